// The model picture of a found logo: its colour and opacity per frame pixel
// of the area the plug-in processes for the mask picture. Stretched over
// the mask picture, as the plug-in places a model, it maps one to one onto
// frames of the size it was found in, and is resampled for other sizes:
// resampling through the coarser raster would smear thin strokes, whose
// opacity steps are what the subtraction must match.
#pragma once

#include "detect/LogoModel.h"
#include "detect/LogoPicture.h"
#include "mask/LogoModelPicture.h"

namespace kestrimo {

// The colour of each pixel is the RGB whose conversion by the plug-in comes
// nearest to the estimated Y, U, V. Empty for an empty picture.
LogoModelPicture BuildModelPicture(const LogoModel& model, const LogoPicture& picture);

}  // namespace kestrimo

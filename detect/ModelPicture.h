// The model picture of a found logo: its colour and opacity per pixel of the
// mask picture (reference raster, placed by the same MaskPosX / MaskPosY),
// from the estimate at frame pixels.
#pragma once

#include "detect/LogoModel.h"
#include "detect/LogoPicture.h"
#include "mask/LogoModelPicture.h"

namespace kestrimo {

// Each picture pixel takes the mean opacity and the opacity-weighted mean
// colour of the frame pixels it covers (in proportion to the part covered);
// the colour is the RGB whose conversion by the plug-in comes nearest to the
// estimated Y, U, V. Empty for an empty picture or a model of another size.
LogoModelPicture BuildModelPicture(const LogoModel& model, const LogoPicture& picture);

}  // namespace kestrimo

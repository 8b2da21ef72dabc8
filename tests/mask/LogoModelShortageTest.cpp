// Each heap allocation of loading a channel's logo model failing in turn, in
// a program of its own that replaces the global operator new: the model
// loads whole or not at all, and a shortage of memory never empties the
// channel's LogoModelFile, which the next save would make a lasting loss.
#include <gtest/gtest.h>

#include <string>

#include "detect/MaskBitmap.h"
#include "mask/LogoRemoval.h"
#include "tests/engine/AllocationCounter.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

TEST(LogoModelShortage, AShortageOfMemoryKeepsTheModelsName) {
  LogoModelPicture written;
  written.width = 60;
  written.height = 40;
  written.pixels.assign(60 * 40, 0x91FFFFFFu);
  testing::PictureFolder folder;
  const std::string file = folder.Write("model.bmp", EncodeModelBitmap(written));
  int faults = 0;
  for (int n = 1; n < 1000; ++n) {
    LogoRemoval removal;
    std::string name = file;
    testing::FailNthOperatorNew(n);
    removal.Load(name);
    const bool faulted = testing::OperatorNewFailed();
    testing::FailNthOperatorNew(0);
    if (!faulted) {
      EXPECT_EQ(removal.Model.pixels, written.pixels) << "no fault reached: the model loads";
      break;
    }
    ++faults;
    EXPECT_EQ(name, file) << "allocation " << n << " failing";
    EXPECT_TRUE(removal.Model.Empty() || removal.Model.pixels == written.pixels) << n;
  }
  EXPECT_GT(faults, 0) << "loading the model allocates";
}

}  // namespace
}  // namespace kestrimo

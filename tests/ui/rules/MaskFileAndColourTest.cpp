// The mask file row and the colour swatch.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/ChannelSettings.h"
#include "ui/rules/ColourChoice.h"
#include "ui/rules/MaskFileRules.h"

namespace kestrimo::ui {
namespace {

EditEffect ReloadAll() {
  EditEffect e;
  e.loadMaskPicture = true;
  e.rebuildMask = true;
  e.refresh = RefreshCode::All;
  return e;
}

TEST(MaskFileText, ShowsThePathOrTheSpacedOutPlaceholder) {
  EXPECT_EQ(MaskFileText("C:\\Logos\\first.bmp"), "C:\\Logos\\first.bmp");
  // "Файл маски не выбран", one blank between letters, three between words.
  EXPECT_EQ(MaskFileText(""),
            "\xD4 \xE0 \xE9 \xEB   \xEC \xE0 \xF1 \xEA \xE8   \xED \xE5   "
            "\xE2 \xFB \xE1 \xF0 \xE0 \xED");
}

TEST(MaskFileChooser, FilterIsDescriptionPatternAndADoubleZero) {
  const char* filter = MaskFileFilter();
  // "Файлы логотипа (*.bmp)"
  EXPECT_STREQ(filter, "\xD4\xE0\xE9\xEB\xFB \xEB\xEE\xE3\xEE\xF2\xE8\xEF\xE0 (*.bmp)");
  const char* pattern = filter + std::strlen(filter) + 1;
  EXPECT_STREQ(pattern, "*.bmp");
  EXPECT_EQ(pattern[std::strlen(pattern) + 1], '\0');
  EXPECT_STREQ(kMaskFileDefaultExtension, "bmp");
  EXPECT_EQ(kMaskFileChooserFlags, 6u);
}

TEST(MaskFileChoice, ChosenFileResetsTheExpansionDropsTheModelAndReloadsEverything) {
  ChannelSettings r = TableDefaults();
  r.ExpandX = 12;
  r.ExpandY = 3;
  r.MaskFileName = "C:\\old.bmp";
  r.LogoModelFile = "C:\\old.png";
  r.LogoSeeThrough = 1;  // a picture chosen by hand makes a channel set up by hand
  EXPECT_EQ(MaskFileChosen(r, "C:\\Logos\\new.bmp"), ReloadAll());
  EXPECT_EQ(r.MaskFileName, "C:\\Logos\\new.bmp");
  EXPECT_EQ(r.ExpandX, 0);
  EXPECT_EQ(r.ExpandY, 0);
  EXPECT_EQ(r.LogoModelFile, "");
  EXPECT_EQ(r.LogoSeeThrough, 0);
  // Choosing the same file again (edited, perhaps) reloads it and resets again.
  r.ExpandX = 5;
  r.LogoModelFile = "C:\\Logos\\new.png";
  EXPECT_EQ(MaskFileChosen(r, "C:\\Logos\\new.bmp"), ReloadAll());
  EXPECT_EQ(r.ExpandX, 0);
  EXPECT_EQ(r.LogoModelFile, "");
}

TEST(MaskFileChoice, DroppingTakesTheModelAlongAndKeepsTheExpansion) {
  ChannelSettings r = TableDefaults();
  r.MaskFileName = "C:\\Logos\\new.bmp";
  r.LogoModelFile = "C:\\Logos\\new.png";
  r.ExpandX = 12;
  r.ExpandY = 4;
  r.LogoSeeThrough = 1;
  ChannelSettings expected = r;
  expected.MaskFileName.clear();
  expected.LogoModelFile.clear();
  expected.LogoSeeThrough = 0;
  EXPECT_EQ(MaskFileDropped(r), ReloadAll());
  EXPECT_EQ(r, expected);
}

TEST(ColourSwatch, DisabledIsGreyHatchingWhateverTheKey) {
  EXPECT_EQ(SwatchFillFor(true, 0x00FF8000), (SwatchFill{true, 0x808080}));
  EXPECT_EQ(SwatchFillFor(true, 0), (SwatchFill{true, 0x808080}));
}

TEST(ColourSwatch, EnabledIsTheKeyColour) {
  const SwatchFill fill = SwatchFillFor(false, TableDefaults().ColorKey);
  EXPECT_FALSE(fill.hatched);
  EXPECT_EQ(fill.colour & 0xFF, 0u);            // red
  EXPECT_EQ((fill.colour >> 8) & 0xFF, 128u);   // green
  EXPECT_EQ((fill.colour >> 16) & 0xFF, 255u);  // blue
  // A top byte from the settings file does not turn it into a palette colour.
  EXPECT_EQ(SwatchFillFor(false, 0xFF123456), (SwatchFill{false, 0x123456}));
}

TEST(ColourChoice, OkStoresCancelKeepsBothRebuildAndRepaint) {
  EditEffect expected;
  expected.rebuildMask = true;
  expected.refresh = RefreshCode::Color;
  ChannelSettings r = TableDefaults();
  EXPECT_EQ(ColourChosen(r, std::nullopt), expected);
  EXPECT_EQ(r.ColorKey, 0x00FF8000u);
  EXPECT_EQ(ColourChosen(r, 0x0000FF00u), expected);
  EXPECT_EQ(r.ColorKey, 0x0000FF00u);
}

}  // namespace
}  // namespace kestrimo::ui

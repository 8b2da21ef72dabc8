// The find-logo button: its texts, the progress caption, the poll steps, the
// messages for each reason, and the found logo applied to a record.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "base/Cp1251Text.h"
#include "ui/rules/LogoFindRules.h"

namespace kestrimo::ui {
namespace {

using Phase = LogoFinding::Phase;
using Reason = LogoFinding::Reason;

TEST(LogoFindButton, ReadsFindOrStopAndShowsTheProgressInTheCaption) {
  EXPECT_STREQ(FindButtonText(false), ToCp1251(u8"Найти логотип").c_str());
  EXPECT_STREQ(FindButtonText(true), ToCp1251(u8"Стоп").c_str());
  EXPECT_STREQ(FindButtonTip(), ToCp1251(u8"Найти логотип").c_str());
  LogoFinding::Progress progress;
  progress.seconds = 12.9;
  progress.samples = 23;
  EXPECT_EQ(SearchCaption("KRD", progress), ToCp1251(u8"KRD — поиск логотипа: 12 с, 23/64").c_str());
  progress.samples = 70;  // the frame that ends the collection may pass the mark
  progress.seconds = 0.2;
  EXPECT_EQ(SearchCaption("", progress), ToCp1251(u8" — поиск логотипа: 0 с, 64/64").c_str());
}

TEST(LogoFindButton, EachPhaseHasItsPollStep) {
  const struct {
    Phase phase;
    SearchStep step;
  } cases[] = {{Phase::Collecting, SearchStep::Wait},
               {Phase::Deciding, SearchStep::Wait},
               {Phase::Watching, SearchStep::Wait},
               {Phase::Found, SearchStep::ApplyFound},
               {Phase::NotFound, SearchStep::ReportFailure},
               {Phase::Idle, SearchStep::End}};
  for (const auto& c : cases) EXPECT_EQ(StepFor(c.phase), c.step) << static_cast<int>(c.phase);
}

// Each reason gets its own message, which names the cause the user can act on.
TEST(LogoFindButton, EachReasonHasAMessageThatSaysWhy) {
  EXPECT_EQ(NotFoundMessage(Reason::None), nullptr);
  const struct {
    Reason reason;
    std::string cause;
  } cases[] = {
      {Reason::NoFrames, ToCp1251(u8"видео ещё нет").c_str()},
      {Reason::OutOfMemory, ToCp1251(u8"памяти").c_str()},
      {Reason::UnsupportedFormat, ToCp1251(u8"формате видео").c_str()},
      {Reason::FrameTooLarge, ToCp1251(u8"кадр слишком велик").c_str()},
      {Reason::TooLittleMovement, ToCp1251(u8"камера стоит неподвижно").c_str()},
      {Reason::NoLogo, ToCp1251(u8"краёв картинки нет неподвижного знака").c_str()},
      {Reason::CannotWrite, ToCp1251(u8"рядом с файлом настроек").c_str()},
      {Reason::Interrupted, ToCp1251(u8"сменился канал или формат").c_str()},
  };
  std::set<std::string> texts;
  for (const auto& c : cases) {
    const char* text = NotFoundMessage(c.reason);
    ASSERT_NE(text, nullptr) << static_cast<int>(c.reason);
    EXPECT_NE(std::string(text).find(c.cause), std::string::npos) << text;
    EXPECT_NE(std::strchr(text, '\n'), nullptr) << "what to try, on a line of its own: " << text;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), std::size(cases));
}

TEST(LogoFindButton, AFoundLogoPlacesThePictureAndTurnsProcessingOn) {
  ChannelSettings record;
  record.Id = 7;
  record.MaskFileName = "C:\\old.bmp";
  record.Opacity = 40;
  record.InvertMask = 1;
  record.ColorKey = 0x123456;
  record.ScreenBlur = 3;
  record.EdgeBlur = 2;
  record.LogoModelFile = "C:\\old.png";
  LogoFinding::Found found;
  found.channel = 7;
  found.maskFileName = "C:\\Plugins\\KRD_Kestrimo\\7.bmp";
  found.shape = MaskShape{40, 30, 120, 50, 1, 0xFF8000, 3, 4, 9};
  found.modelFileName = "C:\\Plugins\\KRD_Kestrimo\\7.png";
  ChannelSettings want = record;
  want.MaskFileName = found.maskFileName;
  want.LogoModelFile = found.modelFileName;
  want.MaskPosX = 40;
  want.MaskPosY = 30;
  want.RectMaskSizeX = 120;
  want.RectMaskSizeY = 50;
  want.ExpandX = 3;
  want.ExpandY = 4;
  want.InvertMask = 0;
  want.ProcEnable = 1;
  want.LogoPresenceCheck = 1;  // a found logo is taken out while it shows
  want.LogoSeeThrough = 1;
  want.ShowMask = 1;  // the key colour and the blurs stay the user's
  const EditEffect effect = LogoFound(record, found);
  EXPECT_EQ(record, want);
  EXPECT_EQ(effect, (EditEffect{true, true, RefreshCode::All}));
  // A find that made no model leaves none: the old one belongs to the old picture.
  found.modelFileName.clear();
  LogoFound(record, found);
  EXPECT_EQ(record.LogoModelFile, "");
  EXPECT_EQ(record.LogoPresenceCheck, 0);
  EXPECT_EQ(record.LogoSeeThrough, 1);  // it needs no model
}

}  // namespace
}  // namespace kestrimo::ui

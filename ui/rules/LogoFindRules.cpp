#include "ui/rules/LogoFindRules.h"

#include <cmath>
#include <cstdio>

#include "base/Cp1251Text.h"

namespace kestrimo::ui {
namespace {

using Reason = LogoFinding::Reason;

constexpr auto kFind = ToCp1251(u8"Найти логотип");
constexpr auto kStop = ToCp1251(u8"Стоп");
constexpr auto kSearching = ToCp1251(u8" — поиск логотипа: ");
constexpr auto kSeconds = ToCp1251(u8" с, ");

constexpr auto kNoFrames = ToCp1251(
    u8"Логотип не найден: видео ещё нет.\n"
    u8"Включите канал и нажмите «Найти логотип», когда пойдёт изображение.");
constexpr auto kOutOfMemory = ToCp1251(
    u8"Логотип не найден: не хватило памяти.\n"
    u8"Закройте другие программы и попробуйте ещё раз.");
constexpr auto kUnsupportedFormat = ToCp1251(
    u8"Логотип не найден: в таком формате видео поиск не работает.\n"
    u8"Поиск понимает кадры YUY2 и RGB 24 бит; маску можно поставить вручную.");
constexpr auto kFrameTooLarge = ToCp1251(
    u8"Логотип не найден: кадр слишком велик для поиска.\n"
    u8"Поиск берёт кадры не больше 4096 x 2304 точек; маску можно поставить вручную.");
constexpr auto kTooLittleMovement = ToCp1251(
    u8"Логотип не найден: картинка почти не меняется или камера стоит неподвижно.\n"
    u8"Попробуйте ещё раз, когда изображение меняется, например после смены сцены.");
constexpr auto kNoLogo = ToCp1251(
    u8"Логотип не найден: у верхнего и нижнего краёв картинки нет неподвижного знака.\n"
    u8"Попробуйте на другой передаче или поставьте маску вручную.");
constexpr auto kCannotWrite = ToCp1251(
    u8"Картинку маски не удалось записать рядом с файлом настроек.\n"
    u8"Проверьте, что в папку настроек можно писать, и попробуйте ещё раз.");
constexpr auto kInterrupted = ToCp1251(
    u8"Поиск логотипа прерван: сменился канал или формат видео.\n"
    u8"Запустите поиск снова на нужном канале.");

}  // namespace

const char* FindButtonText(bool searching) { return searching ? kStop.c_str() : kFind.c_str(); }

const char* FindButtonTip() { return kFind.c_str(); }

std::string SearchCaption(const std::string& caption, const LogoFinding::Progress& progress) {
  const std::int32_t samples =
      progress.samples < LogoFinding::kEnoughSamples ? progress.samples : LogoFinding::kEnoughSamples;
  char numbers[3][16] = {};
  std::snprintf(numbers[0], sizeof numbers[0], "%d", static_cast<int>(std::floor(progress.seconds)));
  std::snprintf(numbers[1], sizeof numbers[1], "%d", static_cast<int>(samples));
  std::snprintf(numbers[2], sizeof numbers[2], "%d", static_cast<int>(LogoFinding::kEnoughSamples));
  return caption + kSearching.c_str() + numbers[0] + kSeconds.c_str() + numbers[1] + "/" +
         numbers[2];
}

SearchStep StepFor(LogoFinding::Phase phase) {
  switch (phase) {
    case LogoFinding::Phase::Collecting:
    case LogoFinding::Phase::Deciding:
    case LogoFinding::Phase::Watching: return SearchStep::Wait;
    case LogoFinding::Phase::Found: return SearchStep::ApplyFound;
    case LogoFinding::Phase::NotFound: return SearchStep::ReportFailure;
    case LogoFinding::Phase::Idle: break;
  }
  return SearchStep::End;
}

const char* NotFoundMessage(LogoFinding::Reason reason) {
  switch (reason) {
    case Reason::None: return nullptr;
    case Reason::NoFrames: return kNoFrames.c_str();
    case Reason::OutOfMemory: return kOutOfMemory.c_str();
    case Reason::UnsupportedFormat: return kUnsupportedFormat.c_str();
    case Reason::FrameTooLarge: return kFrameTooLarge.c_str();
    case Reason::TooLittleMovement: return kTooLittleMovement.c_str();
    case Reason::NoLogo: return kNoLogo.c_str();
    case Reason::CannotWrite: return kCannotWrite.c_str();
    case Reason::Interrupted: return kInterrupted.c_str();
  }
  return nullptr;
}

EditEffect LogoFound(ChannelSettings& record, const LogoFinding::Found& found) {
  // The place, size and growth found; the key colour and soft edge stay the user's.
  MaskShape shape = found.shape;
  shape.InvertMask = 0;
  shape.ColorKey = record.ColorKey;
  shape.EdgeBlur = record.EdgeBlur;
  record.SetShape(shape);
  record.MaskFileName = found.maskFileName;
  record.LogoModelFile = found.modelFileName;
  record.LogoPresenceCheck = found.modelFileName.empty() ? 0 : 1;
  record.LogoSeeThrough = 1;  // it needs no model
  record.ProcEnable = 1;
  record.ShowMask = 1;
  EditEffect effect;
  effect.loadMaskPicture = true;
  effect.rebuildMask = true;
  effect.refresh = RefreshCode::All;
  return effect;
}

}  // namespace kestrimo::ui

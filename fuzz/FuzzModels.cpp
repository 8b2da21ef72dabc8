#include "fuzz/FuzzModels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "detect/MaskBitmap.h"
#include "mask/LogoModelPicture.h"

namespace kestrimo::fuzzing {
namespace {

// Opacities where the removal changes its rule (trust, its ramp, the opaque
// logo, the gain's range), their neighbours and the ends.
constexpr std::uint8_t kOpacities[] = {0,   1,   2,   7,   8,   128, 203, 204, 205, 222, 223,
                                       224, 225, 226, 229, 230, 231, 234, 235, 236, 254, 255};
constexpr std::uint32_t kColours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080};

// Header fields a hostile file breaks: their offsets and widths.
struct Field {
  std::size_t at;
  int bytes;
};
constexpr Field kFields[] = {{2, 4},  {10, 4}, {14, 4}, {18, 4}, {22, 4}, {26, 2}, {28, 2},
                             {30, 4}, {34, 4}, {54, 4}, {58, 4}, {62, 4}, {66, 4}};
constexpr std::uint32_t kFieldValues[] = {0,          1,          4096,       4097,
                                          0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFF000};

// A small linear congruential sequence for per-pixel values, so that a model
// of thousands of pixels takes a few bytes of the input.
class Sequence {
 public:
  explicit Sequence(std::uint32_t seed) : x_(seed * 2654435761u + 1) {}
  std::uint8_t Next() {
    x_ = x_ * 1664525u + 1013904223u;
    return static_cast<std::uint8_t>(x_ >> 24);
  }

 private:
  std::uint32_t x_;
};

void Put(std::string& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes && at + i < out.size(); ++i)
    out[at + i] = static_cast<char>(value >> (8 * i));
}

std::uint8_t AnyOpacity(FuzzedDataProvider& input) {
  return input.ConsumeBool() ? input.PickValueInArray(kOpacities)
                             : input.ConsumeIntegral<std::uint8_t>();
}

// Mostly small sides, odd ones included; sometimes a thin strip as long as a
// side may be.
void ChooseSize(FuzzedDataProvider& input, LogoModelPicture& model) {
  const std::int32_t longSide = input.ConsumeIntegralInRange(1, LogoModelPicture::kMaxSide);
  const std::int32_t shortSide = input.ConsumeIntegralInRange(1, 3);
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: model.width = longSide; model.height = shortSide; break;
    case 1: model.width = shortSide; model.height = longSide; break;
    default:
      model.width = input.ConsumeIntegralInRange(1, 97);
      model.height = input.ConsumeIntegralInRange(1, 61);
  }
}

// The opacity of pixel (x, y): uniform, a solid logo with a fainter rim, a
// ramp over the width, or noise (all values, or the ends and one value).
std::uint8_t OpacityAt(int pattern, std::uint8_t a, std::int32_t x, std::int32_t y,
                       const LogoModelPicture& m, Sequence& noise) {
  switch (pattern) {
    case 0: return a;
    case 1: {
      const std::int32_t edge = std::min({x, y, m.width - 1 - x, m.height - 1 - y});
      return edge == 0 ? 0 : (edge == 1 ? static_cast<std::uint8_t>(a / 2) : a);
    }
    case 2: return static_cast<std::uint8_t>(m.width > 1 ? 255 * x / (m.width - 1) : a);
    case 3: return noise.Next();
    default: {
      const std::uint8_t pick = noise.Next() % 3;
      return pick == 0 ? 0 : (pick == 1 ? a : 255);
    }
  }
}

LogoModelPicture AnyModel(FuzzedDataProvider& input) {
  LogoModelPicture model;
  ChooseSize(input, model);
  const int pattern = input.ConsumeIntegralInRange(0, 4);
  const std::uint8_t a = AnyOpacity(input);
  const bool noisyColour = input.ConsumeBool();
  const std::uint32_t colour = input.ConsumeBool() ? input.PickValueInArray(kColours)
                                                   : input.ConsumeIntegral<std::uint32_t>();
  Sequence noise(input.ConsumeIntegral<std::uint32_t>());
  model.pixels.resize(static_cast<std::size_t>(model.width) * model.height);
  for (std::int32_t y = 0; y < model.height; ++y) {
    for (std::int32_t x = 0; x < model.width; ++x) {
      std::uint32_t rgb = colour & 0xFFFFFFu;
      if (noisyColour) rgb = noise.Next() << 16 | noise.Next() << 8 | noise.Next();
      const std::uint32_t alpha = OpacityAt(pattern, a, x, y, model, noise);
      model.pixels[static_cast<std::size_t>(y) * model.width + x] = alpha << 24 | rgb;
    }
  }
  return model;
}

// The model in another header the reader takes: 40 bytes (uncompressed, or
// bit fields with the masks after it) or 124, rows either way up, and
// sometimes a gap before the pixels.
std::string OtherForm(FuzzedDataProvider& input, const LogoModelPicture& model) {
  const int form = input.ConsumeIntegralInRange(0, 2);
  const std::size_t info = form == 2 ? 124 : 40;
  const bool masks = form != 0;
  const bool topDown = input.ConsumeBool();
  const std::size_t gap = input.ConsumeBool() ? input.ConsumeIntegralInRange(1, 9) : 0;
  const std::size_t dataAt = 14 + info + (masks && info == 40 ? 12 : 0) + gap;
  const std::size_t rowBytes = 4 * static_cast<std::size_t>(model.width);
  std::string file(dataAt + rowBytes * model.height, '\0');
  file[0] = 'B';
  file[1] = 'M';
  Put(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  Put(file, 10, static_cast<std::uint32_t>(dataAt), 4);
  Put(file, 14, static_cast<std::uint32_t>(info), 4);
  Put(file, 18, static_cast<std::uint32_t>(model.width), 4);
  Put(file, 22, static_cast<std::uint32_t>(topDown ? -model.height : model.height), 4);
  Put(file, 26, 1, 2);
  Put(file, 28, 32, 2);
  Put(file, 30, masks ? 3 : 0, 4);
  const std::uint32_t maskValues[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
  if (masks)
    for (int i = 0; i < (info == 40 ? 3 : 4); ++i) Put(file, 54 + 4 * i, maskValues[i], 4);
  for (std::int32_t y = 0; y < model.height; ++y) {
    const std::size_t row = dataAt + rowBytes * (topDown ? y : model.height - 1 - y);
    for (std::int32_t x = 0; x < model.width; ++x) Put(file, row + 4 * x, model.At(x, y), 4);
  }
  return file;
}

// One header field set to a value the reader must refuse or survive, or the
// file cut short.
void Break(FuzzedDataProvider& input, std::string& file) {
  if (input.ConsumeBool()) {
    file.resize(input.ConsumeIntegralInRange<std::size_t>(0, file.size()));
    return;
  }
  const Field field = input.PickValueInArray(kFields);
  const std::uint32_t value = input.ConsumeBool() ? input.PickValueInArray(kFieldValues)
                                                  : input.ConsumeIntegral<std::uint32_t>();
  Put(file, field.at, value, field.bytes);
}

}  // namespace

std::string AnyModelFile(FuzzedDataProvider& input) {
  const int kind = input.ConsumeIntegralInRange(0, 7);
  if (kind == 7) return input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 600));
  const LogoModelPicture model = AnyModel(input);
  std::string file = input.ConsumeBool() ? EncodeModelBitmap(model) : OtherForm(input, model);
  if (kind >= 5) Break(input, file);
  return file;
}

}  // namespace kestrimo::fuzzing

#include "ui/rules/ValueFields.h"

#include <algorithm>
#include <string>

#include "base/Cp1251Text.h"

namespace kestrimo::ui {
namespace {

constexpr auto kBlurMessage = ToCp1251(u8"Значение должно быть цифрой от 0 до 10");
constexpr auto kOpacityMessage =
    ToCp1251(u8"Значение прозрачности должно быть цифрой от 0 до 100");

const ValueFieldInfo kScreenBlur{ControlId::EditScreenBlur, ControlId::SpinScreenBlur,
                                 ControlId::LblScreenBlur,  10, 2, kBlurMessage.c_str(),
                                 false};
const ValueFieldInfo kEdgeBlur{ControlId::EditEdgeBlur, ControlId::SpinEdgeBlur,
                               ControlId::LblEdgeBlur,  10, 2, kBlurMessage.c_str(),
                               true};
const ValueFieldInfo kOpacity{ControlId::EditOpacity, ControlId::SpinOpacity,
                              ControlId::LblOpacity,  100, 3, kOpacityMessage.c_str(),
                              false};

}  // namespace

const ValueFieldInfo& InfoOf(ValueField field) {
  switch (field) {
    case ValueField::ScreenBlur: return kScreenBlur;
    case ValueField::EdgeBlur: return kEdgeBlur;
    case ValueField::Opacity: break;
  }
  return kOpacity;
}

std::optional<ValueField> ValueFieldOf(ControlId control) {
  for (ValueField field : {ValueField::ScreenBlur, ValueField::EdgeBlur, ValueField::Opacity}) {
    const ValueFieldInfo& info = InfoOf(field);
    if (control == info.edit || control == info.spin) return field;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ReadUnsignedText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return std::nullopt;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

ValueFieldDecision DecideValueField(ValueField field, std::string_view text) {
  const ValueFieldInfo& info = InfoOf(field);
  ValueFieldDecision decision;
  decision.rebuildMask = info.rebuildsMask;
  const std::optional<std::uint32_t> read = ReadUnsignedText(text);
  // The number is judged as a signed 32-bit value, so above 2^31 it is negative.
  const std::int32_t value = read ? static_cast<std::int32_t>(*read) : -1;
  if (read && value >= 0 && value <= info.upperBound) {
    decision.store = *read;
  } else {
    decision.message = info.message;
  }
  return decision;
}

std::uint32_t FieldValue(const ChannelSettings& record, ValueField field) {
  switch (field) {
    case ValueField::ScreenBlur: return record.ScreenBlur;
    case ValueField::EdgeBlur: return record.EdgeBlur;
    case ValueField::Opacity: break;
  }
  return static_cast<std::uint32_t>(record.Opacity);
}

void SetFieldValue(ChannelSettings& record, ValueField field, std::uint32_t value) {
  switch (field) {
    case ValueField::ScreenBlur: record.ScreenBlur = value; return;
    case ValueField::EdgeBlur: record.EdgeBlur = value; return;
    case ValueField::Opacity: record.Opacity = static_cast<std::int32_t>(value); return;
  }
}

std::uint16_t SpinPosition(std::uint32_t value) {
  return static_cast<std::uint16_t>(value & 0xFFFFu);
}

std::string SpinText(ValueField field, std::uint32_t value) {
  const std::int32_t position = static_cast<std::int16_t>(SpinPosition(value));
  return std::to_string(std::clamp(position, 0, InfoOf(field).upperBound));
}

}  // namespace kestrimo::ui

// The three number fields of the settings window (background blur, edge blur,
// opacity), each an edit with a spin beside it. Every change of an edit's text
// is checked: a valid number in range is stored, anything else shows the
// field's message and keeps the stored value; either way the spin is set to
// the stored value, which puts its text back into the edit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/ChannelSettings.h"
#include "ui/rules/ControlIds.h"

namespace kestrimo::ui {

enum class ValueField { ScreenBlur, EdgeBlur, Opacity };

struct ValueFieldInfo {
  ControlId edit;
  ControlId spin;
  ControlId label;
  std::int32_t upperBound;   // the range is 0 to this, also the spin's range
  std::int32_t textLimit;    // characters the edit accepts
  const char* message;       // shown for a bad value; code page 1251
  bool rebuildsMask;         // RebuildMask after every change of the text
};

const ValueFieldInfo& InfoOf(ValueField field);

// The field an edit or spin belongs to.
std::optional<ValueField> ValueFieldOf(ControlId control);

// The edit's text read as an unsigned decimal number the way the dialog
// manager reads it: leading blanks skipped, then one or more digits up to the
// end of the text. No digits, any other character, or a number beyond 32 bits
// make the text invalid.
std::optional<std::uint32_t> ReadUnsignedText(std::string_view text);

struct ValueFieldDecision {
  std::optional<std::uint32_t> store;  // value to store in the record
  const char* message = nullptr;       // message to show (MB_OK), or null
  bool rebuildMask = false;            // after the spin was set; also after a message
};

// The decision for a change of the field's text.
ValueFieldDecision DecideValueField(ValueField field, std::string_view text);

std::uint32_t FieldValue(const ChannelSettings& record, ValueField field);
void SetFieldValue(ChannelSettings& record, ValueField field, std::uint32_t value);

// The position sent to the spin for a stored value: its low 16 bits.
std::uint16_t SpinPosition(std::uint32_t value);

// The text the spin then writes into the edit: the position as a signed
// 16-bit number, held inside the spin's range as the spin control holds it.
std::string SpinText(ValueField field, std::uint32_t value);

}  // namespace kestrimo::ui

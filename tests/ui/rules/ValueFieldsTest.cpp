// The number fields: reading the text, the messages, what is stored and what
// the edit shows again.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "model/ChannelSettings.h"
#include "ui/rules/ValueFields.h"

namespace kestrimo::ui {
namespace {

// The messages as code page 1251 bytes, spelled out independently.
const std::string kBlurMessage =
    "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5 \xE4\xEE\xEB\xE6\xED\xEE \xE1\xFB\xF2\xFC "
    "\xF6\xE8\xF4\xF0\xEE\xE9 \xEE\xF2 0 \xE4\xEE 10";
const std::string kOpacityMessage =
    "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE7\xF0\xE0\xF7\xED\xEE\xF1\xF2\xE8 "
    "\xE4\xEE\xEB\xE6\xED\xEE \xE1\xFB\xF2\xFC \xF6\xE8\xF4\xF0\xEE\xE9 \xEE\xF2 0 \xE4\xEE 100";

std::string MessageOf(const ValueFieldDecision& d) { return d.message ? d.message : ""; }

// What the window does for a change of the text: store or show the message,
// then put the stored value back into the edit. Returns the edit's new text.
std::string Change(ChannelSettings& r, ValueField field, const std::string& text,
                   std::string* message = nullptr) {
  const ValueFieldDecision d = DecideValueField(field, text);
  if (d.store) SetFieldValue(r, field, *d.store);
  if (message) *message = MessageOf(d);
  return SpinText(field, FieldValue(r, field));
}

TEST(ReadUnsignedText, DigitsAfterLeadingBlanks) {
  EXPECT_EQ(ReadUnsignedText("0"), 0u);
  EXPECT_EQ(ReadUnsignedText("05"), 5u);
  EXPECT_EQ(ReadUnsignedText("  42"), 42u);
  EXPECT_EQ(ReadUnsignedText("4294967295"), 4294967295u);
}

TEST(ReadUnsignedText, AnythingElseIsNotANumber) {
  for (const char* text : {"", " ", "-1", "+1", "1a", "a1", "1 ", "1.5", "\t1", "4294967296",
                           "99999999999999999999"}) {
    EXPECT_FALSE(ReadUnsignedText(text).has_value()) << '"' << text << '"';
  }
}

TEST(ValueFieldDecision, InRangeValuesAreStoredWithoutMessage) {
  for (const char* text : {"0", "7", "10"}) {
    const ValueFieldDecision d = DecideValueField(ValueField::ScreenBlur, text);
    ASSERT_TRUE(d.store.has_value()) << text;
    EXPECT_EQ(d.message, nullptr);
  }
  EXPECT_EQ(DecideValueField(ValueField::Opacity, "100").store, 100u);
  EXPECT_EQ(DecideValueField(ValueField::EdgeBlur, "3").store, 3u);
}

TEST(ValueFieldDecision, BadValuesShowTheFieldsMessage) {
  for (const char* text : {"", "11", "99", "x"}) {
    const ValueFieldDecision d = DecideValueField(ValueField::ScreenBlur, text);
    EXPECT_FALSE(d.store.has_value()) << text;
    EXPECT_EQ(MessageOf(d), kBlurMessage) << text;
    EXPECT_EQ(MessageOf(DecideValueField(ValueField::EdgeBlur, text)), kBlurMessage) << text;
  }
  for (const char* text : {"", "101", "999"}) {
    const ValueFieldDecision d = DecideValueField(ValueField::Opacity, text);
    EXPECT_FALSE(d.store.has_value()) << text;
    EXPECT_EQ(MessageOf(d), kOpacityMessage) << text;
  }
  // Above 2^31 the number is negative as a signed value, so out of range.
  EXPECT_FALSE(DecideValueField(ValueField::Opacity, "4294967295").store.has_value());
}

TEST(ValueFieldDecision, OnlyTheEdgeBlurRebuildsAndAlsoAfterABadValue) {
  EXPECT_TRUE(DecideValueField(ValueField::EdgeBlur, "4").rebuildMask);
  EXPECT_TRUE(DecideValueField(ValueField::EdgeBlur, "").rebuildMask);
  EXPECT_FALSE(DecideValueField(ValueField::ScreenBlur, "4").rebuildMask);
  EXPECT_FALSE(DecideValueField(ValueField::Opacity, "4").rebuildMask);
}

TEST(ValueFieldEditing, DeletingTheOnlyDigitRestoresTheStoredValue) {
  ChannelSettings r = TableDefaults();
  r.ScreenBlur = 6;
  std::string message;
  EXPECT_EQ(Change(r, ValueField::ScreenBlur, "", &message), "6");
  EXPECT_EQ(message, kBlurMessage);
  EXPECT_EQ(r.ScreenBlur, 6u);
}

TEST(ValueFieldEditing, TypingOneThenOneStoresOneAndRejectsEleven) {
  ChannelSettings r = TableDefaults();
  std::string message;
  EXPECT_EQ(Change(r, ValueField::EdgeBlur, "1", &message), "1");
  EXPECT_EQ(message, "");
  EXPECT_EQ(Change(r, ValueField::EdgeBlur, "11", &message), "1");
  EXPECT_EQ(message, kBlurMessage);
  EXPECT_EQ(r.EdgeBlur, 1u);
}

TEST(ValueFieldEditing, LeadingZeroIsStoredAndShownWithout) {
  ChannelSettings r = TableDefaults();
  EXPECT_EQ(Change(r, ValueField::Opacity, "05"), "5");
  EXPECT_EQ(r.Opacity, 5);
  EXPECT_EQ(Change(r, ValueField::Opacity, "100"), "100");
  EXPECT_EQ(r.Opacity, 100);
}

TEST(ValueFieldEditing, FieldsWriteTheirOwnRecordMember) {
  ChannelSettings r = TableDefaults();
  const ChannelSettings before = r;
  Change(r, ValueField::ScreenBlur, "9");
  Change(r, ValueField::EdgeBlur, "8");
  Change(r, ValueField::Opacity, "77");
  ChannelSettings expected = before;
  expected.ScreenBlur = 9;
  expected.EdgeBlur = 8;
  expected.Opacity = 77;
  EXPECT_EQ(r, expected);
}

TEST(SpinPosition, SendsTheLowSixteenBitsAndShowsThemWithinTheRange) {
  EXPECT_EQ(SpinPosition(7), 7u);
  EXPECT_EQ(SpinPosition(70000), 4464u);
  EXPECT_EQ(SpinText(ValueField::Opacity, 60), "60");
  // Values from the settings file outside the range come back within it.
  EXPECT_EQ(SpinText(ValueField::ScreenBlur, 50), "10");
  EXPECT_EQ(SpinText(ValueField::Opacity, 65536 + 20), "20");
  EXPECT_EQ(SpinText(ValueField::Opacity, 0xFFFFFFFFu), "0");  // -1 as a 16-bit position
}

TEST(ValueFieldOf, EditAndSpinLeadToTheirField) {
  EXPECT_EQ(ValueFieldOf(ControlId::EditScreenBlur), ValueField::ScreenBlur);
  EXPECT_EQ(ValueFieldOf(ControlId::SpinScreenBlur), ValueField::ScreenBlur);
  EXPECT_EQ(ValueFieldOf(ControlId::EditEdgeBlur), ValueField::EdgeBlur);
  EXPECT_EQ(ValueFieldOf(ControlId::SpinOpacity), ValueField::Opacity);
  EXPECT_EQ(ValueFieldOf(ControlId::LblOpacity), std::nullopt);
}

}  // namespace
}  // namespace kestrimo::ui

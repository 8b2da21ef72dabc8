// Which controls each state enables, and what each refresh code reloads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

#include "ui/rules/ControlEnabling.h"
#include "ui/rules/RefreshGroups.h"

namespace kestrimo::ui {
namespace {

const std::set<std::int32_t> kNeedProcessing = {
    5107, 5109, 5108, 5110, 5084, 5085, 5082, 5083, 5087, 5086, 5093, 5088, 5094,
    5068, 5115, 5155, 5100, 5153, 5120, 5154, 5096, 5095, 5151, 5092, 5091};
const std::set<std::int32_t> kNeedPicture = {5116, 5152, 5122, 5156};
const std::set<std::int32_t> kNeedShowMask = {5130, 5090, 5089};
const std::set<std::int32_t> kNeedModel = {5118, 5119};

std::set<std::int32_t> Enabled(bool p, bool m, bool s, bool model = false) {
  std::set<std::int32_t> ids;
  for (const ControlEnable& c : EnabledStates(EnableInputs{p, m, s, model})) {
    if (c.enabled) ids.insert(ToInt(c.id));
  }
  return ids;
}

std::set<std::int32_t> Union(std::initializer_list<const std::set<std::int32_t>*> parts) {
  std::set<std::int32_t> all;
  for (const auto* part : parts) all.insert(part->begin(), part->end());
  return all;
}

TEST(ControlEnabling, EveryManagedControlIsListedOnce) {
  const auto states = EnabledStates(EnableInputs{});
  std::set<std::int32_t> ids;
  for (const ControlEnable& c : states) ids.insert(ToInt(c.id));
  EXPECT_EQ(ids.size(), states.size());
  EXPECT_EQ(ids, Union({&kNeedProcessing, &kNeedPicture, &kNeedShowMask, &kNeedModel}));
  // Never touched: the processing box, the channel name, the bottom buttons,
  // the preview and the group boxes.
  for (std::int32_t untouched : {5071, 5145, 5002, 5008, 5103, 5117, 5121, 5148, 5149, 5150}) {
    EXPECT_EQ(ids.count(untouched), 0u) << untouched;
  }
}

TEST(ControlEnabling, ProcessingOffDisablesEverythingWhateverTheRest) {
  for (bool m : {false, true}) {
    for (bool s : {false, true}) EXPECT_TRUE(Enabled(false, m, s, true).empty()) << m << s;
  }
}

TEST(ControlEnabling, ProcessingOnWithEachCombinationOfPictureAndShowMask) {
  EXPECT_EQ(Enabled(true, false, false), kNeedProcessing);
  EXPECT_EQ(Enabled(true, true, false), Union({&kNeedProcessing, &kNeedPicture}));
  EXPECT_EQ(Enabled(true, false, true), Union({&kNeedProcessing, &kNeedShowMask}));
  EXPECT_EQ(Enabled(true, true, true),
            Union({&kNeedProcessing, &kNeedPicture, &kNeedShowMask}));
  // The subtract box needs a model only, not a loaded picture.
  EXPECT_EQ(Enabled(true, false, false, true), Union({&kNeedProcessing, &kNeedModel}));
}

TEST(RefreshGroups, EachCodeReloadsItsGroups) {
  EXPECT_EQ(GroupsForRefresh(0), (RefreshGroups{true, true, true, true, true}));
  EXPECT_EQ(GroupsForRefresh(1), (RefreshGroups{false, true, false, false, false}));
  EXPECT_EQ(GroupsForRefresh(4), (RefreshGroups{false, false, false, false, true}));
  for (std::int32_t code : {2, 3, 5, -1, 1424}) {
    EXPECT_EQ(GroupsForRefresh(code), RefreshGroups{}) << code;
  }
}

}  // namespace
}  // namespace kestrimo::ui

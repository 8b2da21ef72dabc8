#include "tools/kestrimo-host/hosting/ChannelSchedule.h"

#include <gtest/gtest.h>

namespace kestrimo {
namespace {

TEST(ChannelSchedule, WithoutSwitchesEveryFrameIsTheFirstChannel) {
  const ChannelSchedule schedule({4, "four"}, {});
  EXPECT_EQ(schedule.ChannelOf(0).id, 4);
  EXPECT_EQ(schedule.ChannelOf(1'000'000).name, "four");
}

TEST(ChannelSchedule, SwitchesTakeEffectFromTheirFrameInAnyOrderGiven) {
  const ChannelSchedule schedule(
      {1, "base"}, {{20, 3, std::nullopt}, {10, 2, std::string("two")}});
  EXPECT_EQ(schedule.ChannelOf(9).id, 1);
  EXPECT_EQ(schedule.ChannelOf(10).id, 2);
  EXPECT_EQ(schedule.ChannelOf(10).name, "two");
  EXPECT_EQ(schedule.ChannelOf(19).id, 2);
  EXPECT_EQ(schedule.ChannelOf(20).id, 3);
  EXPECT_EQ(schedule.ChannelOf(20).name, "base");  // no name given: the --name text
}

TEST(ChannelSchedule, LaterSwitchAtTheSameFrameWinsAlsoAtFrameZero) {
  const ChannelSchedule schedule({1, ""}, {{0, 8, std::nullopt}, {5, 6, std::nullopt},
                                           {5, 7, std::nullopt}});
  EXPECT_EQ(schedule.ChannelOf(0).id, 8);
  EXPECT_EQ(schedule.ChannelOf(5).id, 7);
}

}  // namespace
}  // namespace kestrimo

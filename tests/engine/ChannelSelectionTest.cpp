// Which record a channel's frames use, and when records are made.
#include <gtest/gtest.h>

#include "plugin/EntryPoints.h"
#include "engine/PluginState.h"

namespace kestrimo {
namespace {

ChannelSettings Record(ChannelId id, std::int32_t posX) {
  ChannelSettings r = TableDefaults();
  r.Id = id;
  r.MaskPosX = posX;
  return r;
}

class ChannelSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginInit(state, nullptr);
    state.DefaultSettings.MaskFileName = "C:\\logos\\default.bmp";
    state.DefaultSettings.MaskPosX = 321;
  }
  void Format() {
    VideoFormat format{720, 576, 0, 0, 3};
    PluginSetFormat(state, &format);
  }
  void Select(ChannelId id) { state.SelectChannel(id); }
  PluginState state;
};

TEST_F(ChannelSelection, BeforeTheFormatPicksIndexZeroAndAppendsNothing) {
  state.ChannelList = {Record(5, 1), Record(7, 2)};
  Select(7);
  EXPECT_EQ(state.CurrentIndex, 0);
  Select(99);
  EXPECT_EQ(state.CurrentIndex, 0);
  EXPECT_EQ(state.ChannelList.size(), 2u);
}

TEST_F(ChannelSelection, NewChannelGetsACopyOfTheDefaultsWithItsId) {
  state.ChannelList = {Record(5, 1)};
  Format();
  Select(-42);
  ASSERT_EQ(state.ChannelList.size(), 2u);
  EXPECT_EQ(state.CurrentIndex, 1);
  ChannelSettings expected = state.DefaultSettings;
  expected.Id = -42;
  EXPECT_EQ(state.ChannelList[1], expected);
  EXPECT_EQ(state.ChannelList[1].MaskFileName, "C:\\logos\\default.bmp");
  EXPECT_TRUE(state.UndoList.empty()) << "no window, no snapshot to keep in step";
}

TEST_F(ChannelSelection, ReturningToAChannelFindsItsChangedRecord) {
  Format();
  Select(10);
  state.CurrentRecord()->MaskPosX = 500;
  Select(20);
  Select(10);
  EXPECT_EQ(state.CurrentIndex, 0);
  EXPECT_EQ(state.CurrentRecord()->MaskPosX, 500);
  EXPECT_EQ(state.ChannelList.size(), 2u);
}

TEST_F(ChannelSelection, IdsCompareInAll64Bits) {
  Format();
  const ChannelId low = 0x0000000100000005LL;
  const ChannelId high = 0x0000000200000005LL;
  Select(low);
  Select(high);
  EXPECT_EQ(state.ChannelList.size(), 2u);
  EXPECT_EQ(state.CurrentIndex, 1);
}

TEST_F(ChannelSelection, RepeatedSectionsUseTheLowestIndex) {
  state.ChannelList = {Record(3, 1), Record(9, 2), Record(9, 3)};
  Format();
  Select(9);
  EXPECT_EQ(state.CurrentIndex, 1);
  EXPECT_EQ(state.ChannelList.size(), 3u);
}

TEST_F(ChannelSelection, ChannelFirstSeenWithTheWindowOpenIsInBothLists) {
  Format();
  Select(1);
  int window = 0;
  state.SettingsWindow.Attach(&window);
  state.UndoList = state.ChannelList;
  Select(2);
  ASSERT_EQ(state.UndoList.size(), state.ChannelList.size());
  EXPECT_EQ(state.UndoList[1].Id, 2);
  EXPECT_EQ(state.UndoList[1], state.ChannelList[1]);
  // A cancel writes the snapshot back; the new channel keeps its record.
  state.ChannelList[1].MaskPosX = 7;
  state.ChannelList = state.UndoList;
  EXPECT_EQ(state.ChannelList[1].Id, 2);
  EXPECT_EQ(state.ChannelList[1].MaskPosX, 321);
}

TEST_F(ChannelSelection, NoRecordWhenTheListIsEmptyBeforeTheFormat) {
  Select(4);
  EXPECT_EQ(state.CurrentRecord(), nullptr);
  state.CurrentIndex = -1;
  state.ChannelList = {Record(1, 1)};
  EXPECT_EQ(state.CurrentRecord(), nullptr);
}

}  // namespace
}  // namespace kestrimo

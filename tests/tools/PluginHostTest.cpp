#include "tools/kestrimo-host/hosting/PluginHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/kestrimo-host/hosting/KnownChannels.h"

namespace kestrimo {
namespace {

// The stand-in plug-ins are built beside the tests (see CMakeLists.txt).
const std::string kFake = KESTRIMO_FAKE_PLUGIN;
const std::string kOldFake = KESTRIMO_OLD_FAKE_PLUGIN;
const std::string kNotAPlugin = KESTRIMO_NOT_A_PLUGIN;

class PluginHostCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetAllChannels();
    ASSERT_TRUE(probe_.Open(kFake)) << probe_.Error();
    log_ = reinterpret_cast<const char* (*)()>(probe_.Find("FakePlugin_Log"));
    clear_ = reinterpret_cast<void (*)()>(probe_.Find("FakePlugin_Clear"));
    ASSERT_NE(log_, nullptr);
    ASSERT_NE(clear_, nullptr);
    clear_();
  }
  std::string Log() const { return log_(); }

  DynamicLibrary probe_;  // keeps the fake loaded, so its log outlives each host
  const char* (*log_)() = nullptr;
  void (*clear_)() = nullptr;
};

TEST_F(PluginHostCalls, CallsInTheHostsOrderAndAnswersForChannelsSent) {
  std::vector<std::uint8_t> frame = {0x0F, 1, 2, 3};
  {
    PluginHost host;
    ASSERT_TRUE(host.Load(kFake)) << host.Error();
    EXPECT_STREQ(host.Name(), "fake");
    host.Init();
    host.SetFormat(2, 1, 0, 3);
    EXPECT_EQ(host.ProcessFrame(frame.data(), 1, "one"), 1);
    EXPECT_EQ(frame[0], 0xF0) << "the plug-in works on the host's buffer in place";
    EXPECT_EQ(host.ProcessFrame(frame.data(), -5, "Пятый"), 1);
    host.Done();
    host.Done();  // a second Done is not passed on
  }
  EXPECT_EQ(Log(),
            "version;descriptor;init;format 2x1 mode 0 cpu 3;frame 1 'one';"
            "frame -5 'Пятый';done -5:1 424242:0;");
  EXPECT_TRUE(IsKnownChannel(1));
}

TEST_F(PluginHostCalls, ShorterNameAfterALongerOneIsTerminated) {
  std::vector<std::uint8_t> frame(4);
  PluginHost host;
  ASSERT_TRUE(host.Load(kFake)) << host.Error();
  host.Init();
  host.SetFormat(2, 1, 0, 3);
  host.ProcessFrame(frame.data(), 7, "long name");
  host.ProcessFrame(frame.data(), 7, "ab");
  host.ProcessFrame(frame.data(), 7, "");
  EXPECT_NE(Log().find("frame 7 'ab';frame 7 '';"), std::string::npos) << Log();
}

TEST_F(PluginHostCalls, DestroyingARunningHostEndsThePlugin) {
  {
    PluginHost host;
    ASSERT_TRUE(host.Load(kFake)) << host.Error();
    host.Init();
  }
  EXPECT_NE(Log().find("done"), std::string::npos) << Log();
}

TEST_F(PluginHostCalls, NothingIsCalledBeforeInit) {
  std::vector<std::uint8_t> frame(4);
  PluginHost host;
  ASSERT_TRUE(host.Load(kFake)) << host.Error();
  host.SetFormat(2, 1, 0, 3);
  EXPECT_EQ(host.ProcessFrame(frame.data(), 1, ""), 0);
  host.Done();
  EXPECT_EQ(Log(), "version;descriptor;");
}

TEST(PluginHostLoad, RefusesLibrariesThatAreNoPlugins) {
  struct Case {
    std::string path;
    const char* mentions;
  };
  for (const Case& c : {Case{kOldFake, "version 2"},
                        Case{kNotAPlugin, "Telvaro_Plugin_Version"},
                        Case{"no-such-library-here", "no-such-library-here"}}) {
    PluginHost host;
    EXPECT_FALSE(host.Load(c.path)) << c.path;
    EXPECT_NE(host.Error().find(c.mentions), std::string::npos) << host.Error();
    host.Init();  // harmless after a failed load
    host.Done();
  }
}

TEST(KnownChannels, TheCallbackAnswersForRememberedIdsOnly) {
  ForgetAllChannels();
  RememberChannel(INT64_MIN);
  RememberChannel(0x100000001);
  EXPECT_EQ(KnownChannelExists(INT64_MIN), 1);
  EXPECT_EQ(KnownChannelExists(0x100000001), 1);
  EXPECT_EQ(KnownChannelExists(1), 0) << "all 64 bits count";
  ForgetAllChannels();
  EXPECT_EQ(KnownChannelExists(INT64_MIN), 0);
}

}  // namespace
}  // namespace kestrimo

// The dialog framework on the settings window's template: creation, member
// dispatch, control lookup, the default Enter and Escape, and destruction.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <set>
#include <vector>

#include "engine/SettingsWindowLink.h"
#include "resources/ResourceIds.h"
#include "tests/ui/windows/SettingsTemplateTable.h"
#include "tests/ui/windows/WindowTesting.h"
#include "ui/DialogBase.h"

namespace kestrimo::testing {
namespace {

class ProbeDialog : public DialogBase {
 public:
  explicit ProbeDialog(int templateId = IDD_SETTINGS) : DialogBase(templateId, PluginModule()) {}

  int inits = 0;
  HWND windowAtInit = nullptr;
  int ncDestroys = 0;
  HWND windowAtNcDestroy = reinterpret_cast<HWND>(1);
  std::vector<WPARAM> refreshCodes;
  bool ignoreEnterAndEscape = false;
  int oks = 0, cancels = 0;

 protected:
  BOOL OnInitDialog() override {
    ++inits;
    windowAtInit = Window();
    return TRUE;
  }
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
    if (message != kWmSettingsRefresh) return false;
    refreshCodes.push_back(wParam);
    result = 1;
    return true;
  }
  void OnOK() override {
    ++oks;
    if (!ignoreEnterAndEscape) DialogBase::OnOK();
  }
  void OnCancel() override {
    ++cancels;
    if (!ignoreEnterAndEscape) DialogBase::OnCancel();
  }
  void PostNcDestroy() override {
    ++ncDestroys;
    windowAtNcDestroy = Window();
  }
};

class DialogBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(PluginModule(), nullptr) << pluginLibraryPath; }
};

TEST_F(DialogBaseTest, CreatesAModelessWindowAndInitialisesItOnce) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  EXPECT_NE(dialog.Window(), nullptr);
  EXPECT_TRUE(IsWindow(dialog.Window()));
  EXPECT_FALSE(dialog.IsModal());
  EXPECT_EQ(dialog.inits, 1);
  EXPECT_EQ(dialog.windowAtInit, dialog.Window());
  EXPECT_FALSE(IsWindowVisible(dialog.Window())) << "shown only by its owner";
  EXPECT_EQ(dialog.Item(IDC_BTN_ABOUT), GetDlgItem(dialog.Window(), IDC_BTN_ABOUT));
  EXPECT_EQ(dialog.Item(4999), nullptr);
}

TEST_F(DialogBaseTest, RefusesASecondWindowWhileOneExists) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  HWND first = dialog.Window();
  EXPECT_FALSE(dialog.Create(nullptr));
  EXPECT_EQ(dialog.Window(), first);
  EXPECT_EQ(dialog.inits, 1);
}

TEST_F(DialogBaseTest, BindsTheThirtyFourControlsTheSettingsWindowKeeps) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  std::array<HWND, kBoundControlIds.size()> controls{};
  ASSERT_TRUE(dialog.BindItems(kBoundControlIds, controls));
  std::set<HWND> distinct;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    EXPECT_EQ(GetDlgCtrlID(controls[i]), kBoundControlIds[i]);
    distinct.insert(controls[i]);
  }
  EXPECT_EQ(distinct.size(), controls.size());
}

TEST_F(DialogBaseTest, BindingReportsAMissingControlAndLeavesItNull) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  const std::array<int, 3> ids = {IDC_BTN_OK, 4999, IDC_PREVIEW};
  std::array<HWND, 3> controls{};
  EXPECT_FALSE(dialog.BindItems(ids, controls));
  EXPECT_NE(controls[0], nullptr);
  EXPECT_EQ(controls[1], nullptr);
  EXPECT_NE(controls[2], nullptr);
  std::array<HWND, 2> tooShort{};
  EXPECT_FALSE(dialog.BindItems(ids, tooShort));
}

TEST_F(DialogBaseTest, HandlerResultsReachTheSenderAndPostedMessagesArrive) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  EXPECT_EQ(SendMessageA(dialog.Window(), kWmSettingsRefresh, kRefreshEnable, 0), 1);
  PostMessageA(dialog.Window(), kWmSettingsRefresh, kRefreshColor, 0);
  PumpMessages(50);
  EXPECT_EQ(dialog.refreshCodes, (std::vector<WPARAM>{kRefreshEnable, kRefreshColor}));
}

TEST_F(DialogBaseTest, DestroyingClearsTheHandleBeforePostNcDestroy) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  HWND window = dialog.Window();
  dialog.Destroy();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(dialog.Window(), nullptr);
  EXPECT_EQ(dialog.ncDestroys, 1);
  EXPECT_EQ(dialog.windowAtNcDestroy, nullptr);
  dialog.Destroy();  // nothing left to destroy
  EXPECT_EQ(dialog.ncDestroys, 1);
  ASSERT_TRUE(dialog.Create(nullptr)) << "a closed dialog opens again";
  EXPECT_EQ(dialog.inits, 2);
}

TEST_F(DialogBaseTest, ByDefaultOkAndCancelEndAModelessWindow) {
  ProbeDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  SendMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(dialog.Window(), nullptr);
  ASSERT_TRUE(dialog.Create(nullptr));
  SendMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(dialog.Window(), nullptr);
  EXPECT_EQ(dialog.oks, 1);
  EXPECT_EQ(dialog.cancels, 1);
}

TEST_F(DialogBaseTest, OverriddenOkAndCancelKeepTheWindow) {
  ProbeDialog dialog;
  dialog.ignoreEnterAndEscape = true;
  ASSERT_TRUE(dialog.Create(nullptr));
  SendMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  SendMessageA(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_NE(dialog.Window(), nullptr);
  EXPECT_EQ(dialog.oks, 1);
  EXPECT_EQ(dialog.cancels, 1);
}

TEST_F(DialogBaseTest, AMissingTemplateCreatesNothing) {
  ProbeDialog dialog(4999);
  EXPECT_FALSE(dialog.Create(nullptr));
  EXPECT_EQ(dialog.Window(), nullptr);
  EXPECT_EQ(dialog.DoModal(nullptr), -1);
  EXPECT_EQ(dialog.inits, 0);
}

TEST_F(DialogBaseTest, TheDestructorDestroysAnOpenWindow) {
  HWND window = nullptr;
  {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    window = dialog.Window();
  }
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(DialogBaseTest, WithoutAModuleItUsesTheOneHoldingTheCode) {
  HMODULE own = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&PluginModule), &own);
  const DialogBase dialog(IDD_ABOUT);
  EXPECT_EQ(dialog.Module(), own);
  EXPECT_EQ(dialog.TemplateId(), IDD_ABOUT);
}

}  // namespace
}  // namespace kestrimo::testing

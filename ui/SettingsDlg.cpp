#include "ui/SettingsDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <optional>
#include <string>

#include "base/Cp1251Text.h"
#include "imaging/ScaledBlend.h"
#include "resources/ResourceIds.h"
#include "ui/rules/CheckBoxes.h"
#include "ui/rules/ColourChoice.h"
#include "ui/rules/ControlEnabling.h"
#include "ui/rules/LogoFindRules.h"
#include "ui/rules/MaskFileRules.h"
#include "ui/rules/PositionButtons.h"
#include "ui/rules/PreviewFit.h"
#include "ui/rules/RefreshGroups.h"

namespace kestrimo {
namespace {

using ui::ControlId;
using ui::ToInt;

constexpr int kUnsetPosition = -100;
constexpr const char* kMessageCaption = "KRD_Kestrimo";

constexpr auto kTipPreview = ToCp1251(u8"Маска логотипа");
constexpr auto kTipColour = ToCp1251(u8"Выбрать цвет маски");
constexpr auto kTipBrowse = ToCp1251(u8"Выбрать маску");
constexpr auto kTipClear = ToCp1251(u8"Отключить маску");
constexpr auto kTipSubtract = ToCp1251(
    u8"Цвет и прозрачность логотипа, найденные кнопкой «Найти логотип», вычитаются из "
    u8"картинки вместо закрашивания. Если снять флажок, логотип снова закрашивается; "
    u8"вернуть вычитание можно новым поиском.");
constexpr auto kTipPresence = ToCp1251(
    u8"Кадры без логотипа (реклама, заставки) остаются нетронутыми; как только логотип "
    u8"появляется снова, он снова убирается. Нужен логотип, найденный кнопкой «Найти логотип».");
constexpr auto kTipSeeThrough = ToCp1251(
    u8"Когда камера движется, картинка под непрозрачным логотипом восстанавливается по тому, "
    u8"что было видно на этом месте в прошлых кадрах; где это невозможно, логотип закрашивается "
    u8"как обычно. Флажок ставится сам, когда логотип найден кнопкой «Найти логотип».");
// Long tips wrap at this width, in pixels.
constexpr int kTipWidth = 280;

struct ButtonIcon {
  int button;
  int icon;
};
constexpr ButtonIcon kButtonIcons[] = {
    {IDC_MOVE_LEFT, IDI_LEFT},          {IDC_MOVE_RIGHT, IDI_RIGHT},
    {IDC_MOVE_UP, IDI_UP},              {IDC_MOVE_DOWN, IDI_DOWN},
    {IDC_CORNER_NW, IDI_CORNER_NW},     {IDC_CORNER_SW, IDI_CORNER_SW},
    {IDC_CORNER_NE, IDI_CORNER_NE},     {IDC_CORNER_SE, IDI_CORNER_SE},
    {IDC_BTN_BROWSE, IDI_BROWSE},       {IDC_WIDTH_MINUS, IDI_WIDTH_MINUS},
    {IDC_WIDTH_PLUS, IDI_WIDTH_PLUS},   {IDC_BTN_CLEAR_MASK, IDI_CLEAR},
    {IDC_HEIGHT_MINUS, IDI_HEIGHT_MINUS}, {IDC_HEIGHT_PLUS, IDI_HEIGHT_PLUS},
    {IDC_RESET_EXPAND, IDI_RESET},
};

constexpr ui::ValueField kValueFields[] = {ui::ValueField::ScreenBlur, ui::ValueField::EdgeBlur,
                                           ui::ValueField::Opacity};

// The one hooked window: the thread mouse hook has no pointer of its own.
CSettingsDlg* hookOwner = nullptr;

ui::MouseEvent EventOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: return ui::MouseEvent::LeftDown;
    case WM_LBUTTONDBLCLK: return ui::MouseEvent::LeftDoubleClick;
    case WM_LBUTTONUP: return ui::MouseEvent::LeftUp;
    default: return ui::MouseEvent::Other;
  }
}

// The centre of `inner` on `outer`, as the window's first placement; a
// negative coordinate becomes 0.
POINT CentreOn(const RECT& inner, const RECT& outer) {
  LONG x = inner.left + (outer.left + outer.right) / 2 - (inner.left + inner.right) / 2;
  LONG y = inner.top + (outer.top + outer.bottom) / 2 - (inner.top + inner.bottom) / 2;
  return POINT{x < 0 ? 0 : x, y < 0 ? 0 : y};
}

// The file chooser keeps its path buffer for the library's lifetime, so each
// opening starts from the file chosen last.
char chosenPath[MAX_PATH] = {};
COLORREF customColours[16] = {};

}  // namespace

CSettingsDlg::CSettingsDlg() : DialogBase(IDD_SETTINGS), m_about(nullptr) {}

CSettingsDlg::~CSettingsDlg() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  if (hookOwner == this) hookOwner = nullptr;
}

bool CSettingsDlg::Open(PluginState& state, HWND hostWindow) {
  if (Window() != nullptr) return false;
  state_ = &state;
  m_hostWnd = hostWindow;
  if (!Create(m_hostWnd)) {
    m_hostWnd = nullptr;
    return false;
  }
  ShowWindow(Window(), SW_SHOW);
  return true;
}

void CSettingsDlg::StartFlash(int count) {
  if (Window() == nullptr) return;
  m_flashCount = 2 * count;
  SetTimer(Window(), kFlashTimerId, kFlashIntervalMs, nullptr);
}

// ---------------------------------------------------------------- opening

BOOL CSettingsDlg::OnInitDialog() {
  initialising_ = true;
  searching_ = false;
  char caption[128] = {};
  GetWindowTextA(Window(), caption, sizeof caption);
  caption_ = caption;
  PlaceWindow();
  TakeUndoSnapshot();
  m_preview = std::make_unique<PreviewCanvas>(Item(IDC_PREVIEW));
  SetButtonIcons();
  SetUpValueFields();
  CreateToolTips();
  InstallMouseHook();
  PostRefresh(ui::RefreshCode::All);
  initialising_ = false;
  return TRUE;
}

void CSettingsDlg::PlaceWindow() {
  std::int32_t& x = state_->DlgWndPosX;
  std::int32_t& y = state_->DlgWndPosY;
  if ((x == kUnsetPosition && y == kUnsetPosition) || x >= GetSystemMetrics(SM_CXSCREEN) ||
      y >= GetSystemMetrics(SM_CYSCREEN)) {
    RECT window{};
    RECT host{};
    GetWindowRect(Window(), &window);
    if (m_hostWnd == nullptr || !GetWindowRect(m_hostWnd, &host))
      SystemParametersInfoA(SPI_GETWORKAREA, 0, &host, 0);
    const POINT centre = CentreOn(window, host);
    x = centre.x;
    y = centre.y;
  }
  SetWindowPos(Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The window joins the plug-in's link in the same holding of the lock as the
// snapshot, so a channel first seen from then on enters both lists.
void CSettingsDlg::TakeUndoSnapshot() {
  LockHold hold(state_->SettingsLock);
  state_->UndoList = state_->ChannelList;
  state_->SettingsWindow.Attach(Window());
}

void CSettingsDlg::SetButtonIcons() {
  for (const ButtonIcon& pair : kButtonIcons) {
    HANDLE icon = LoadImageA(Module(), MAKEINTRESOURCEA(pair.icon), IMAGE_ICON, 0, 0, LR_SHARED);
    if (icon != nullptr)
      SendDlgItemMessageA(Window(), pair.button, BM_SETIMAGE, IMAGE_ICON,
                          reinterpret_cast<LPARAM>(icon));
  }
}

void CSettingsDlg::SetUpValueFields() {
  for (ui::ValueField field : kValueFields) {
    const ui::ValueFieldInfo& info = ui::InfoOf(field);
    HWND spin = Item(ToInt(info.spin));
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(ToInt(info.edit))), 0);
    SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(info.upperBound, 0));
    SendDlgItemMessageA(Window(), ToInt(info.edit), EM_LIMITTEXT, info.textLimit, 0);
  }
}

void CSettingsDlg::CreateToolTips() {
  m_toolTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              Window(), nullptr, Module(), nullptr);
  if (m_toolTip == nullptr) return;
  const std::pair<int, const char*> tools[] = {{IDC_PREVIEW, kTipPreview.c_str()},
                                               {IDC_COLOR_SWATCH, kTipColour.c_str()},
                                               {IDC_BTN_BROWSE, kTipBrowse.c_str()},
                                               {IDC_BTN_CLEAR_MASK, kTipClear.c_str()},
                                               {IDC_BTN_FIND_LOGO, ui::FindButtonTip()},
                                               {IDC_CHK_SUBTRACT_LOGO, kTipSubtract.c_str()},
                                               {IDC_CHK_LOGO_PRESENCE, kTipPresence.c_str()},
                                               {IDC_CHK_SEE_THROUGH, kTipSeeThrough.c_str()}};
  for (const auto& [id, text] : tools) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;  // the tool is the whole control window
    tool.hwnd = Window();
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(m_toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
  SendMessageA(m_toolTip, TTM_ACTIVATE, TRUE, 0);
}

void CSettingsDlg::InstallMouseHook() {
  hookOwner = this;
  hook_ = SetWindowsHookExA(WH_MOUSE, &CSettingsDlg::MouseHook, nullptr,
                            GetWindowThreadProcessId(Window(), nullptr));
}

// ---------------------------------------------------------------- messages

bool CSettingsDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case kWmSettingsRefresh:
      Refresh(static_cast<std::int32_t>(wParam));
      result = 1;
      return true;
    case WM_CLOSE:
      CloseDiscarding();
      return true;
    case WM_DESTROY:
      OnDestroy();
      return false;
    case WM_TIMER:
      OnTimer(wParam);
      return false;  // default processing follows
    case WM_DRAWITEM:
      if (wParam != IDC_COLOR_SWATCH) return false;
      result = DrawSwatch(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return true;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
    default:
      return false;
  }
}

bool CSettingsDlg::OnCommand(int id, int notification) {
  if (notification == EN_CHANGE) {
    const std::optional<ui::ValueField> field = ui::ValueFieldOf(ui::ToControlId(id));
    if (!field || ui::InfoOf(*field).edit != ui::ToControlId(id)) return false;
    OnValueChanged(*field);
    return true;
  }
  if (notification != BN_CLICKED) return false;
  switch (id) {
    case IDC_BTN_CANCEL: PostMessageA(Window(), WM_CLOSE, 0, 0); return true;
    case IDC_BTN_OK: DestroyWindow(Window()); return true;
    case IDC_BTN_ABOUT: m_about.DoModal(); return true;
    case IDC_BTN_BROWSE: ChooseMaskFile(); return true;
    case IDC_BTN_FIND_LOGO: OnFindButton(); return true;
    case IDC_COLOR_SWATCH: ChooseColour(); return true;
    case IDC_BTN_CLEAR_MASK:
      EditCurrent([](ChannelSettings& r) { return ui::MaskFileDropped(r); });
      return true;
    case IDC_CORNER_NE:
    case IDC_CORNER_NW:
    case IDC_CORNER_SE:
    case IDC_CORNER_SW:
    case IDC_RESET_EXPAND: OnPositionButton(ui::ToControlId(id)); return true;
    case IDC_CHK_ENABLE:
    case IDC_CHK_SHOW_MASK:
    case IDC_CHK_INVERT:
    case IDC_CHK_SUBTRACT_LOGO:
    case IDC_CHK_LOGO_PRESENCE:
    case IDC_CHK_SEE_THROUGH: OnCheckBox(ui::ToControlId(id)); return true;
    default: return false;
  }
}

// Values are copied under the lock; the controls are set after releasing it,
// since setting them sends messages.
void CSettingsDlg::Refresh(std::int32_t code) {
  const ui::RefreshGroups groups = ui::GroupsForRefresh(code);
  ChannelSettings record;
  std::string channelName;
  bool maskLoaded = false;
  {
    LockHold hold(state_->SettingsLock);
    const ChannelSettings* current = state_->CurrentRecord();
    record = current != nullptr ? *current : state_->DefaultSettings;
    channelName = state_->ChannelName;
    maskLoaded = state_->Mask.MaskLoaded != 0;
  }
  HWND window = Window();
  if (groups.values) {
    SetDlgItemTextA(window, IDC_CHANNEL_NAME, channelName.c_str());
    for (ControlId box : ui::kCheckBoxes)
      CheckDlgButton(window, ToInt(box), ui::CheckStateOf(record, box));
    for (ui::ValueField field : kValueFields)
      SendDlgItemMessageA(window, ToInt(ui::InfoOf(field).spin), UDM_SETPOS, 0,
                          MAKELPARAM(ui::SpinPosition(ui::FieldValue(record, field)), 0));
  }
  if (Window() == nullptr) return;  // a handler above may have closed it
  if (groups.swatch)
    RedrawWindow(Item(IDC_COLOR_SWATCH), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  if (groups.maskFile)
    SetDlgItemTextA(window, IDC_MASK_FILE, ui::MaskFileText(record.MaskFileName).c_str());
  if (groups.preview) PaintPreview();
  if (groups.enabling) {
    const ui::EnableInputs inputs{record.ProcEnable != 0, maskLoaded, record.ShowMask != 0,
                                  !record.LogoModelFile.empty()};
    for (const ui::ControlEnable& control : ui::EnabledStates(inputs))
      EnableWindow(Item(ToInt(control.id)), control.enabled);
  }
}

// A search is stopped first; once the records are restored, the pictures
// found meanwhile that none of them names go.
void CSettingsDlg::CloseDiscarding() {
  StopSearch();
  {
    LockHold hold(state_->SettingsLock);
    state_->ChannelList = state_->UndoList;
    if (ChannelSettings* record = state_->CurrentRecord()) {
      state_->Mask.LoadPictures(record->MaskFileName, record->LogoModelFile);
      Rebuild(*record);
    }
  }
  state_->Finding.RemoveUnnamedPictures();
  DestroyWindow(Window());
}

void CSettingsDlg::OnDestroy() {
  RECT rect{};
  if (GetWindowRect(Window(), &rect)) {
    state_->DlgWndPosX = rect.left;
    state_->DlgWndPosY = rect.top;
  }
  KillTimer(Window(), ui::kRepeatTimerId);
  KillTimer(Window(), kFlashTimerId);
  // Closing ends a search still running and keeps the found pictures the
  // records name (after a cancel, none of those found meanwhile).
  StopSearch();
  state_->Finding.KeepNamedPictures();
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  if (hookOwner == this) hookOwner = nullptr;
  m_preview.reset();
  m_toolTip = nullptr;  // an owned window: destroyed with the dialog
}

void CSettingsDlg::PostNcDestroy() {
  {
    LockHold hold(state_->SettingsLock);
    state_->SettingsWindow.Detach();
  }
  m_hostWnd = nullptr;
}

void CSettingsDlg::OnTimer(UINT_PTR id) {
  if (id == static_cast<UINT_PTR>(ui::kRepeatTimerId)) {
    ApplyRepeatStep(m_repeat.Tick());
  } else if (id == ui::kFindTimerId) {
    PollSearch();
  } else if (id == kFlashTimerId) {
    if (m_flashCount != 0) {
      FlashWindow(Window(), TRUE);
      --m_flashCount;
    } else {
      KillTimer(Window(), kFlashTimerId);
    }
  }
}

// ---------------------------------------------------------------- editing

template <class Edit>
void CSettingsDlg::EditCurrent(Edit edit) {
  ui::EditEffect effect;
  {
    LockHold hold(state_->SettingsLock);
    ChannelSettings* record = state_->CurrentRecord();
    if (record == nullptr) return;
    effect = edit(*record);
    if (effect.loadMaskPicture) state_->Mask.LoadPictures(record->MaskFileName, record->LogoModelFile);
    if (effect.rebuildMask) Rebuild(*record);
  }
  if (effect.refresh) PostRefresh(*effect.refresh);
}

void CSettingsDlg::Rebuild(const ChannelSettings& record) {
  state_->Mask.RebuildMask(record.Shape(), state_->Geometry, state_->FrameWidth, state_->FrameHeight);
}

void CSettingsDlg::PostRefresh(ui::RefreshCode code) {
  if (Window() != nullptr)
    PostMessageA(Window(), kWmSettingsRefresh, static_cast<WPARAM>(code), 0);
}

void CSettingsDlg::OnValueChanged(ui::ValueField field) {
  // The spins rewrite their edits while the window opens, before the first
  // refresh; and a spin that keeps rewriting an edit must not recurse forever.
  if (initialising_ || valueDepth_ > 2) return;
  ++valueDepth_;
  const ui::ValueFieldInfo& info = ui::InfoOf(field);
  char text[32] = {};
  GetDlgItemTextA(Window(), ToInt(info.edit), text, sizeof text);
  const ui::ValueFieldDecision decision = ui::DecideValueField(field, text);
  if (decision.store)
    EditCurrent([&](ChannelSettings& r) {
      ui::SetFieldValue(r, field, *decision.store);
      return ui::EditEffect{};
    });
  if (decision.message != nullptr)
    MessageBoxA(Window(), decision.message, kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
  std::uint32_t value = 0;
  {
    LockHold hold(state_->SettingsLock);
    const ChannelSettings* record = state_->CurrentRecord();
    value = record != nullptr ? ui::FieldValue(*record, field) : 0;
  }
  if (Window() != nullptr) {
    SendDlgItemMessageA(Window(), ToInt(info.spin), UDM_SETPOS, 0,
                        MAKELPARAM(ui::SpinPosition(value), 0));
    // A spin whose position did not change leaves its edit alone; the edit
    // must show the stored value all the same.
    const std::string shown = ui::SpinText(field, value);
    GetDlgItemTextA(Window(), ToInt(info.edit), text, sizeof text);
    if (shown != text) SetDlgItemTextA(Window(), ToInt(info.edit), shown.c_str());
  }
  if (decision.rebuildMask)
    EditCurrent([](ChannelSettings&) { return ui::EditEffect{false, true, std::nullopt}; });
  --valueDepth_;
}

void CSettingsDlg::OnCheckBox(ControlId box) {
  const auto state = static_cast<std::int32_t>(
      SendDlgItemMessageA(Window(), ToInt(box), BM_GETCHECK, 0, 0));
  EditCurrent([&](ChannelSettings& r) { return ui::CheckBoxClicked(r, box, state); });
}

void CSettingsDlg::OnPositionButton(ControlId button) {
  EditCurrent([&](ChannelSettings& r) {
    return ui::ApplyPositionButton(r, button, 0, ui::MaskContextOf(state_->Mask));
  });
}

void CSettingsDlg::ApplyRepeatStep(std::int32_t steps) {
  const ControlId button = m_repeat.Button();
  EditCurrent([&](ChannelSettings& r) {
    return ui::ApplyPositionButton(r, button, steps, ui::MaskContextOf(state_->Mask));
  });
}

void CSettingsDlg::ChooseMaskFile() {
  OPENFILENAMEA chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.lpstrFilter = ui::MaskFileFilter();
  chooser.lpstrFile = chosenPath;
  chooser.nMaxFile = sizeof chosenPath;
  chooser.lpstrDefExt = ui::kMaskFileDefaultExtension;
  chooser.Flags = ui::kMaskFileChooserFlags;
  if (!GetOpenFileNameA(&chooser)) return;  // no lock is held while it is open
  const std::string path = chosenPath;
  EditCurrent([&](ChannelSettings& r) { return ui::MaskFileChosen(r, path); });
}

void CSettingsDlg::ChooseColour() {
  CHOOSECOLORA chooser{};
  chooser.lStructSize = sizeof chooser;
  {
    LockHold hold(state_->SettingsLock);
    const ChannelSettings* record = state_->CurrentRecord();
    if (record == nullptr) return;
    chooser.rgbResult = record->ColorKey & 0xFFFFFF;
  }
  chooser.lpCustColors = customColours;
  chooser.Flags = CC_RGBINIT | CC_FULLOPEN;
  const bool chosen = ChooseColorA(&chooser) != FALSE;  // no lock is held while it is open
  const std::optional<std::uint32_t> colour =
      chosen ? std::optional<std::uint32_t>(chooser.rgbResult) : std::nullopt;
  EditCurrent([&](ChannelSettings& r) { return ui::ColourChosen(r, colour); });
}

bool CSettingsDlg::DrawSwatch(const DRAWITEMSTRUCT& item) {
  std::uint32_t colorKey = 0;
  {
    LockHold hold(state_->SettingsLock);
    const ChannelSettings* record = state_->CurrentRecord();
    colorKey = record != nullptr ? record->ColorKey : state_->DefaultSettings.ColorKey;
  }
  const ui::SwatchFill fill = ui::SwatchFillFor((item.itemState & ODS_DISABLED) != 0, colorKey);
  HBRUSH brush = fill.hatched ? CreateHatchBrush(HS_FDIAGONAL, fill.colour)
                              : CreateSolidBrush(fill.colour);
  RECT rect = item.rcItem;
  HGDIOBJ previous = SelectObject(item.hDC, brush);
  FillRect(item.hDC, &rect, brush);
  SelectObject(item.hDC, previous);
  DeleteObject(brush);
  DrawEdge(item.hDC, &rect, EDGE_BUMP, BF_RECT);
  return true;
}

void CSettingsDlg::PaintPreview() {
  if (m_preview == nullptr || m_preview->m_canvasBits == nullptr) return;
  {
    LockHold hold(state_->SettingsLock);
    m_preview->ClearCanvas();
    const DibImage& picture = state_->Mask.MaskPicture;
    if (state_->Mask.MaskLoaded != 0 && picture.pixels != nullptr) {
      const Size canvas{m_preview->m_canvasWidth, m_preview->m_canvasHeight};
      const Rect target = ui::FitPreview(picture.rect, canvas);
      if (!target.IsEmpty())
        state_->PreviewScaler.Scale(picture.View(), kScaleFormatBgraBottomUp,
                                   ImageView{m_preview->m_canvasBits, canvas, target},
                                   kScaleFormatBgraBottomUp, kScaleOpacityCopy, 0, false);
    }
  }
  m_preview->PresentCanvas();
}

// ---------------------------------------------------------------- logo search

void CSettingsDlg::OnFindButton() {
  if (searching_)
    StopSearch();
  else
    StartSearch();
}

// Start and Stop take the settings lock themselves; none is held here.
void CSettingsDlg::StartSearch() {
  const LogoFinding::Reason reason = state_->Finding.Start(*state_);
  if (reason != LogoFinding::Reason::None) {
    ReportNotFound(reason);
    return;
  }
  ShowSearching(true);
  SetTimer(Window(), ui::kFindTimerId, ui::kFindPollMs, nullptr);
  PollSearch();  // the caption shows the search at once
}

void CSettingsDlg::StopSearch() {
  if (!searching_) return;
  state_->Finding.Stop();
  ShowSearching(false);
}

void CSettingsDlg::ShowSearching(bool searching) {
  searching_ = searching;
  if (!searching) {
    KillTimer(Window(), ui::kFindTimerId);
    SetWindowTextA(Window(), caption_.c_str());
  }
  SetDlgItemTextA(Window(), IDC_BTN_FIND_LOGO, ui::FindButtonText(searching));
}

void CSettingsDlg::PollSearch() {
  if (!searching_) return;
  const LogoFinding::Progress progress = state_->Finding.Poll();
  switch (ui::StepFor(progress.phase)) {
    case ui::SearchStep::Wait:
      SetWindowTextA(Window(), ui::SearchCaption(caption_, progress).c_str());
      return;
    case ui::SearchStep::ApplyFound: {
      ShowSearching(false);
      LogoFinding::Found found;
      if (state_->Finding.TakeFound(found)) ApplyFound(found);
      return;
    }
    case ui::SearchStep::ReportFailure:
      StopSearch();
      ReportNotFound(progress.reason);
      return;
    case ui::SearchStep::End: ShowSearching(false); return;
  }
}

// The channel may have changed between the find and this poll: the picture
// then goes and the search is reported as interrupted.
void CSettingsDlg::ApplyFound(const LogoFinding::Found& found) {
  bool applied = false;
  EditCurrent([&](ChannelSettings& r) {
    if (r.Id != found.channel) return ui::EditEffect{};
    applied = true;
    return ui::LogoFound(r, found);
  });
  if (applied) return;
  state_->Finding.RemoveUnnamedPictures();
  ReportNotFound(LogoFinding::Reason::Interrupted);
}

// No lock is held while the message is shown; the video keeps running.
void CSettingsDlg::ReportNotFound(LogoFinding::Reason reason) {
  const char* text = ui::NotFoundMessage(reason);
  if (text != nullptr) MessageBoxA(Window(), text, kMessageCaption, MB_OK | MB_ICONINFORMATION);
}

// ---------------------------------------------------------------- mouse hook

LRESULT CALLBACK CSettingsDlg::MouseHook(int code, WPARAM wParam, LPARAM lParam) {
  // A message only peeked at (HC_NOREMOVE) comes again when it is removed;
  // acting on both would count one press twice.
  if (code == HC_ACTION && hookOwner != nullptr && hookOwner->Window() != nullptr)
    hookOwner->OnHookedMouse(static_cast<UINT>(wParam),
                             *reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CSettingsDlg::OnHookedMouse(UINT message, const MOUSEHOOKSTRUCT& info) {
  const bool onThisWindow = info.hwnd != nullptr && GetParent(info.hwnd) == Window();
  const ControlId target =
      onThisWindow ? ui::ToControlId(GetDlgCtrlID(info.hwnd)) : ControlId::None;
  switch (ui::RepeatActionFor(EventOf(message), target, onThisWindow)) {
    case ui::RepeatAction::Start:
      ApplyRepeatStep(m_repeat.Press(target));
      SetTimer(Window(), ui::kRepeatTimerId, ui::kRepeatIntervalMs, nullptr);
      break;
    case ui::RepeatAction::Stop: KillTimer(Window(), ui::kRepeatTimerId); break;
    case ui::RepeatAction::None: break;
  }
  if (m_toolTip != nullptr) {
    MSG relayed{};
    relayed.hwnd = info.hwnd;
    relayed.message = message;
    relayed.pt = info.pt;
    SendMessageA(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
}

}  // namespace kestrimo

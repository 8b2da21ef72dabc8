// The icons and bitmaps in the library's resources: present in Russian, of
// the sizes and colour depths the window expects, drawn as described.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/ui/windows/WindowTesting.h"

namespace kestrimo::testing {
namespace {

constexpr WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
constexpr COLORREF kDarkRed = RGB(128, 0, 0);

struct ExpectedIcon {
  int id;
  int bits;           // 4: 16 colours, 8: 256 colours
  COLORREF ink;       // the colour the picture is drawn in
};

const ExpectedIcon kIcons[] = {
    {IDI_BROWSE, 4, RGB(255, 255, 0)},   {IDI_UP, 8, kDarkRed},
    {IDI_CLEAR, 8, RGB(255, 0, 0)},      {IDI_CORNER_SE, 8, kDarkRed},
    {IDI_CORNER_NW, 8, kDarkRed},        {IDI_CORNER_NE, 8, kDarkRed},
    {IDI_DOWN, 8, kDarkRed},             {IDI_LEFT, 8, kDarkRed},
    {IDI_RIGHT, 8, kDarkRed},            {IDI_CORNER_SW, 8, kDarkRed},
    {IDI_HEIGHT_MINUS, 8, kDarkRed},     {IDI_WIDTH_PLUS, 8, kDarkRed},
    {IDI_HEIGHT_PLUS, 8, kDarkRed},      {IDI_WIDTH_MINUS, 8, kDarkRed},
    {IDI_RESET, 8, kDarkRed},
};

struct ExpectedBitmap {
  int id;
  int width, height, bits;
};

const ExpectedBitmap kBitmaps[] = {
    {IDB_ABOUT, 32, 32, 24}, {IDB_MOVE_GLYPH, 15, 12, 4}, {IDB_SIZE_GLYPH, 15, 12, 4}};

const BYTE* ResourceBytes(HMODULE module, const char* type, int id, DWORD* size) {
  HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kRussian);
  if (found == nullptr) return nullptr;
  *size = SizeofResource(module, found);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD iconId;
};
#pragma pack(pop)

// The icon drawn at 16 x 16 over a plain background.
std::vector<COLORREF> DrawOver(HICON icon, COLORREF background) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(dc, surface);
  HBRUSH brush = CreateSolidBrush(background);
  RECT all{0, 0, 16, 16};
  FillRect(dc, &all, brush);
  DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  GdiFlush();
  std::vector<COLORREF> pixels;
  for (int i = 0; i < 256; ++i) {
    const BYTE* p = static_cast<const BYTE*>(bits) + 4 * i;
    pixels.push_back(RGB(p[2], p[1], p[0]));
  }
  DeleteObject(brush);
  SelectObject(dc, previous);
  DeleteObject(surface);
  DeleteDC(dc);
  return pixels;
}

TEST(ResourceImages, IconsAreSixteenPixelsInTheirColourDepth) {
  ASSERT_NE(PluginModule(), nullptr) << pluginLibraryPath;
  for (const ExpectedIcon& want : kIcons) {
    SCOPED_TRACE(::testing::Message() << "icon " << want.id);
    DWORD size = 0;
    const BYTE* group = ResourceBytes(PluginModule(), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */,
                                      want.id, &size);
    ASSERT_NE(group, nullptr);
    ASSERT_GE(size, 6 + sizeof(GroupIconEntry));
    WORD count = 0;
    std::memcpy(&count, group + 4, 2);
    EXPECT_EQ(count, 1);
    GroupIconEntry entry{};
    std::memcpy(&entry, group + 6, sizeof entry);
    EXPECT_EQ(entry.width, 16);
    EXPECT_EQ(entry.height, 16);
    EXPECT_EQ(entry.bitCount, want.bits);
    EXPECT_EQ(entry.colourCount, want.bits == 4 ? 16 : 0);
    const BYTE* image = ResourceBytes(PluginModule(), MAKEINTRESOURCEA(3) /* RT_ICON */,
                                      entry.iconId, &size);
    ASSERT_NE(image, nullptr);
    BITMAPINFOHEADER header{};
    ASSERT_GE(size, sizeof header);
    std::memcpy(&header, image, sizeof header);
    EXPECT_EQ(header.biWidth, 16);
    EXPECT_EQ(header.biHeight, 32);  // colour image and transparency mask
    EXPECT_EQ(header.biBitCount, want.bits);
  }
}

TEST(ResourceImages, IconsAreDrawnInTheirColourOnATransparentGround) {
  ASSERT_NE(PluginModule(), nullptr);
  for (const ExpectedIcon& want : kIcons) {
    SCOPED_TRACE(::testing::Message() << "icon " << want.id);
    auto icon = static_cast<HICON>(
        LoadImageA(PluginModule(), MAKEINTRESOURCEA(want.id), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon, &parts));
    BITMAP colour{};
    GetObjectA(parts.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 16);
    EXPECT_EQ(colour.bmHeight, 16);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    const std::vector<COLORREF> onWhite = DrawOver(icon, RGB(255, 255, 255));
    const std::vector<COLORREF> onBlack = DrawOver(icon, RGB(0, 0, 0));
    int transparent = 0, inked = 0;
    for (int i = 0; i < 256; ++i) {
      transparent += onWhite[i] == RGB(255, 255, 255) && onBlack[i] == RGB(0, 0, 0);
      inked += onWhite[i] == want.ink && onBlack[i] == want.ink;
    }
    EXPECT_GE(transparent, 64);
    EXPECT_GE(inked, 12);
    DestroyIcon(icon);
  }
}

TEST(ResourceImages, BitmapsHaveTheirSizesAndColourDepths) {
  ASSERT_NE(PluginModule(), nullptr);
  for (const ExpectedBitmap& want : kBitmaps) {
    SCOPED_TRACE(::testing::Message() << "bitmap " << want.id);
    DWORD size = 0;
    const BYTE* data = ResourceBytes(PluginModule(), MAKEINTRESOURCEA(2) /* RT_BITMAP */,
                                     want.id, &size);
    ASSERT_NE(data, nullptr);
    BITMAPINFOHEADER header{};
    ASSERT_GE(size, sizeof header);
    std::memcpy(&header, data, sizeof header);
    EXPECT_EQ(header.biWidth, want.width);
    EXPECT_EQ(header.biHeight, want.height);
    EXPECT_EQ(header.biBitCount, want.bits);
    HANDLE loaded = LoadImageA(PluginModule(), MAKEINTRESOURCEA(want.id), IMAGE_BITMAP, 0, 0, 0);
    ASSERT_NE(loaded, nullptr);
    BITMAP bitmap{};
    GetObjectA(loaded, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, want.width);
    EXPECT_EQ(bitmap.bmHeight, want.height);
    DeleteObject(loaded);
  }
}

}  // namespace
}  // namespace kestrimo::testing

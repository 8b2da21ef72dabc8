#include "tests/ui/windows/DialogTemplate.h"

#include <cstring>

namespace kestrimo::testing {

namespace {

// Reads little-endian fields from a block, failing softly past its end.
class Reader {
 public:
  Reader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }

  template <typename T>
  T Get() {
    T value{};
    if (offset_ + sizeof(T) > size_) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, data_ + offset_, sizeof(T));
    offset_ += sizeof(T);
    return value;
  }
  std::wstring String() {
    std::wstring text;
    for (WCHAR c = Get<WCHAR>(); ok_ && c != 0; c = Get<WCHAR>()) text += c;
    return text;
  }
  NameOrNumber NameOrOrdinal() {
    NameOrNumber out;
    const WORD first = Get<WORD>();
    if (first == 0xFFFF) {
      out.isNumber = true;
      out.number = Get<WORD>();
    } else if (first != 0) {
      out.text = std::wstring(1, static_cast<wchar_t>(first)) + String();
    }
    return out;
  }
  void Skip(DWORD bytes) {
    if (offset_ + bytes > size_) ok_ = false;
    offset_ += bytes;
  }
  void AlignToDword() { Skip((4 - offset_ % 4) % 4); }

 private:
  const BYTE* data_;
  DWORD size_;
  DWORD offset_ = 0;
  bool ok_ = true;
};

std::wstring PredefinedClass(int atom) {
  switch (atom) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
  }
  return L"#" + std::to_wstring(atom);
}

TemplateItem ReadItem(Reader& in) {
  TemplateItem item;
  in.AlignToDword();
  in.Get<DWORD>();  // help id
  item.exStyle = in.Get<DWORD>();
  item.style = in.Get<DWORD>();
  item.x = in.Get<short>();
  item.y = in.Get<short>();
  item.cx = in.Get<short>();
  item.cy = in.Get<short>();
  item.id = in.Get<DWORD>();
  const NameOrNumber windowClass = in.NameOrOrdinal();
  item.className = windowClass.isNumber ? PredefinedClass(windowClass.number) : windowClass.text;
  item.caption = in.NameOrOrdinal();
  in.Skip(in.Get<WORD>());  // creation data
  return item;
}

}  // namespace

std::optional<DialogTemplateEx> LoadDialogTemplate(HMODULE module, int id, WORD language) {
  HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                MAKEINTRESOURCEA(id), language);
  if (found == nullptr) return std::nullopt;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  if (data == nullptr) return std::nullopt;
  Reader in(data, SizeofResource(module, found));
  if (in.Get<WORD>() != 1 || in.Get<WORD>() != 0xFFFF) return std::nullopt;
  DialogTemplateEx dialog;
  in.Get<DWORD>();  // help id
  dialog.exStyle = in.Get<DWORD>();
  dialog.style = in.Get<DWORD>();
  const WORD count = in.Get<WORD>();
  dialog.x = in.Get<short>();
  dialog.y = in.Get<short>();
  dialog.cx = in.Get<short>();
  dialog.cy = in.Get<short>();
  in.NameOrOrdinal();  // menu
  in.NameOrOrdinal();  // window class
  dialog.caption = in.String();
  if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
    dialog.pointSize = in.Get<WORD>();
    in.Get<WORD>();  // weight
    in.Get<WORD>();  // italic and character set
    dialog.typeface = in.String();
  }
  for (WORD i = 0; i < count && in.ok(); ++i) dialog.items.push_back(ReadItem(in));
  if (!in.ok()) return std::nullopt;
  return dialog;
}

}  // namespace kestrimo::testing

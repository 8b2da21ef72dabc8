// Reads an extended dialog template (DLGTEMPLATEEX) from a module's
// resources, to compare it field by field with what the window should be.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrimo::testing {

// A name or a resource number, as templates store class names, captions
// and images.
struct NameOrNumber {
  int number = 0;  // used when text is empty and isNumber is set
  bool isNumber = false;
  std::wstring text;
};

struct TemplateItem {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::wstring className;  // the predefined classes by name ("Button", ...)
  NameOrNumber caption;
};

struct DialogTemplateEx {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring caption;
  WORD pointSize = 0;
  std::wstring typeface;
  std::vector<TemplateItem> items;
};

// The template of the given id and language; nothing when it is missing,
// not an extended template, or cut short.
std::optional<DialogTemplateEx> LoadDialogTemplate(HMODULE module, int id, WORD language);

}  // namespace kestrimo::testing

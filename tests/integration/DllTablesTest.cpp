// The DLL's own tables, read from its image as Windows maps it: a 32-bit x86
// image that imports only system DLLs and exports exactly the two functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "tests/integration/PluginLibrary.h"

namespace kestrimo::testing {
namespace {

class DllTables : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryA(pluginLibraryPath.c_str());
    ASSERT_NE(module, nullptr);
    base = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  }
  void TearDown() override {
    if (module != nullptr) FreeLibrary(module);
  }
  const IMAGE_DATA_DIRECTORY& Directory(int index) const {
    return nt->OptionalHeader.DataDirectory[index];
  }
  template <typename T>
  const T* At(DWORD rva) const { return reinterpret_cast<const T*>(base + rva); }

  HMODULE module = nullptr;
  const std::uint8_t* base = nullptr;
  const IMAGE_NT_HEADERS32* nt = nullptr;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

TEST_F(DllTables, IsA32BitX86Dll) {
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(DllTables, ImportsOnlySystemDlls) {
  const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",
                                        "comctl32.dll", "comdlg32.dll", "advapi32.dll",
                                        "shell32.dll",  "ole32.dll",    "msvcrt.dll"};
  const IMAGE_DATA_DIRECTORY& dir = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  ASSERT_NE(dir.VirtualAddress, 0u);
  std::vector<std::string> imported;
  for (auto* d = At<IMAGE_IMPORT_DESCRIPTOR>(dir.VirtualAddress); d->Name != 0; ++d)
    imported.push_back(Lower(At<char>(d->Name)));
  EXPECT_FALSE(imported.empty());
  for (const std::string& name : imported) EXPECT_TRUE(system.count(name)) << name;
  EXPECT_EQ(Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT).VirtualAddress, 0u);
}

TEST_F(DllTables, ExportsExactlyTheTwoFunctions) {
  const IMAGE_DATA_DIRECTORY& dir = Directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
  ASSERT_NE(dir.VirtualAddress, 0u);
  const auto* exports = At<IMAGE_EXPORT_DIRECTORY>(dir.VirtualAddress);
  EXPECT_EQ(exports->NumberOfFunctions, 2u);
  ASSERT_EQ(exports->NumberOfNames, 2u);
  const DWORD* names = At<DWORD>(exports->AddressOfNames);
  std::set<std::string> found = {At<char>(names[0]), At<char>(names[1])};
  EXPECT_EQ(found, (std::set<std::string>{"Telvaro_Plugin_PR", "Telvaro_Plugin_Version"}));
  EXPECT_EQ(Lower(At<char>(exports->Name)), "krd_kestrimo.dll");
}

TEST_F(DllTables, CarriesTheVersionRecord) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(module, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041904e3\\FileVersion",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_STREQ(text, "Ver.1.02");
}

}  // namespace
}  // namespace kestrimo::testing

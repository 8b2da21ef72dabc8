// Loads a library by path and finds its exports: how a host meets the plug-in.
#pragma once

#include <string>

namespace kestrimo {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads the library; false with Error() set when it cannot be loaded.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }

  // The address of an exported symbol, or null.
  void* Find(const char* name) const;

  const std::string& Error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace kestrimo

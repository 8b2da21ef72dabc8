// The native library's version record: the fixed part of a Windows version
// resource (signature, structure version, file and product version), so that
// one reader finds the version in the DLL and in the shared object alike.
// The DLL carries the real resource (resources/version.rc) instead.
#include <cstdint>

namespace {

constexpr std::uint32_t kMajor = KESTRIMO_VERSION_MAJOR;
constexpr std::uint32_t kMinor = KESTRIMO_VERSION_MINOR;
constexpr std::uint32_t kPatch = KESTRIMO_VERSION_PATCH;

// Kept by the compiler although nothing reads it in the program.
[[gnu::used]] const std::uint32_t kVersionRecord[] = {
    0xFEEF04BDu,  // signature
    0x00010000u,  // structure version 1.0
    (kMajor << 16) | kMinor, kPatch << 16,  // file version
    (kMajor << 16) | kMinor, kPatch << 16,  // product version
};

}  // namespace

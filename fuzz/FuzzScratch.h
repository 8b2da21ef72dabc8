// A scratch folder of the fuzzing process, made once, named after the
// process, and removed by the next run once the process has ended (libFuzzer
// ends without running destructors), and the files the targets write into
// it: the input becomes a real file so that the plug-in reads it exactly as
// it reads its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrimo::fuzzing {

// The folder, with a trailing slash.
const std::string& ScratchFolder();

// Writes size bytes to name in the scratch folder (replacing it); returns
// the file's full path. Aborts when the file cannot be written, since every
// later finding would be noise.
std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);

}  // namespace kestrimo::fuzzing

#pragma once

// What the fuzz targets share: a scratch folder for the files they hand to file-reading code, and a check that
// turns a broken promise of the code under test into a finding.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace zentu::fuzz {

/// A folder of this process for the files a target writes (below /dev/shm when there is one, so that writing a
/// file per input costs little), removed when the process ends.
const std::filesystem::path& ScratchFolder();

/// Makes `bytes` the whole content of `file`.
void WriteWhole(const std::filesystem::path& file, std::string_view bytes);

/// The fuzzer's input as bytes.
inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace zentu::fuzz

/// Stops the run (a finding, with the input saved by libFuzzer) when `condition` does not hold.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "promise broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

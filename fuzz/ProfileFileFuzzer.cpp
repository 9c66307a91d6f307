// The profile (INI) file reader: the input is a whole file. Lists its sections and their lines, reads keys
// found there, then writes a key and reads it back.

#include "FuzzSupport.h"

#include "settings/ProfileFile.h"

#include <string>
#include <vector>

using zentu::ProfileFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = zentu::fuzz::ScratchFolder() / "zentu_1.ini";
    zentu::fuzz::WriteWhole(file, zentu::fuzz::Bytes(data, size));

    const std::vector<std::string> sections = ProfileFile::sectionNames(file);
    for (std::size_t s = 0; s < sections.size() && s < 8; ++s) {
        const std::vector<std::string> lines = ProfileFile::sectionLines(file, sections[s]);
        for (std::size_t l = 0; l < lines.size() && l < 8; ++l) {
            const std::string key = lines[l].substr(0, lines[l].find('='));
            const std::string value = ProfileFile::readString(file, sections[s], key, "", 256);
            FUZZ_CHECK(value.size() <= 255);
        }
    }
    FUZZ_CHECK(ProfileFile::readString(file, "Config", "version", "none", 8).size() <= 7);

    // Every value reads back exactly as written, whatever else the file holds.
    for (const std::string value : {"0.25", " two blanks ", "\"quoted\""}) {
        if (ProfileFile::writeString(file, "Set_hdb", "select_flag", value)) {
            FUZZ_CHECK(ProfileFile::readString(file, "Set_hdb", "select_flag", "", 256) == value);
        }
    }
    return 0;
}

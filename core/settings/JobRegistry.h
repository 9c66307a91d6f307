#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zentu {

/// What the user sees of a job: its name and three messages (UTF-8).
struct JobRegistryEntry {
    std::string name;
    std::string msg1;
    std::string msg2;
    std::string msg3;
    bool operator==(const JobRegistryEntry&) const = default;
};

/// The job registry files JOB/JOB_N.txt (N = 1..9): four CP932 lines with CR LF,
/// "JOB_name : ", "JOB_MSG1 : ", "JOB_MSG2 : ", "JOB_MSG3 : " and their texts, or the marker "未登録" for an
/// empty slot. Fields are read with the list-input reader; fields missing from a short file read as empty.
class JobRegistry {
public:
    static constexpr std::string_view kUnregistered = "未登録";

    explicit JobRegistry(std::filesystem::path programFolder);

    /// programFolder/JOB/JOB_N.txt.
    std::filesystem::path path(int job) const;
    bool exists(int job) const;

    /// Writes the empty-slot lines ("JOB_MSGn :  " with two spaces). False with `error` set on failure.
    bool writeEmptySlot(int job, std::string* error = nullptr) const;
    /// Why a name or messages cannot be stored in a registry file (in Japanese, a phrase without a full stop), or
    /// nothing: a double quote (the readers would cut the field at it), a line break, a character CP932 lacks.
    static std::optional<std::string> checkEntry(const JobRegistryEntry& entry);
    /// Writes a registered job: one space after each colon, texts as typed; a name that is empty or only
    /// spaces writes "未登録" instead. A line that holds a comma is enclosed in double quotes, so that every reader
    /// takes it whole. False with `error` set on failure, also for a text checkEntry refuses.
    bool writeRegisteredJob(int job, const JobRegistryEntry& entry, std::string* error = nullptr) const;

    /// The first field, or nothing when the file is missing.
    std::optional<std::string> readFirstField(int job) const;
    /// True when the first field exists, is not empty and does not contain the marker (an emptied file names
    /// no job).
    bool isRegistered(int job) const;
    /// The number of lines that contain the marker (0 for a missing file).
    int countMarkerLines(int job) const;

    /// The interactive program's reading: "JOB_name :" etc. removed (no trailing space), then trimmed.
    std::optional<JobRegistryEntry> readTrimmed(int job) const;
    /// The auto-run program's reading: "JOB_name : " etc. removed (with the trailing space), not trimmed.
    /// A field that is only its bare key (the line of an empty message, whose trailing blanks the field
    /// reader drops) gives the empty text.
    std::optional<JobRegistryEntry> readUntrimmed(int job) const;

private:
    std::filesystem::path m_folder;
};

} // namespace zentu

#include "settings/JobRegistry.h"

#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "text/Cp932Codec.h"
#include "text/ListInputReader.h"
#include "text/TextHelpers.h"

#include <array>
#include <utility>

namespace zentu {

namespace {

constexpr std::array<std::string_view, 4> kPrefixes = {"JOB_name : ", "JOB_MSG1 : ", "JOB_MSG2 : ", "JOB_MSG3 : "};
constexpr std::array<std::string_view, 4> kKeys = {"JOB_name :", "JOB_MSG1 :", "JOB_MSG2 :", "JOB_MSG3 :"};
constexpr std::string_view kLineEnd = "\r\n";

/// The file's bytes, or nothing when it cannot be read (a missing file, or a named pipe or folder in its place,
/// which is never waited on).
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file) {
    std::string bytes;
    int error = 0;
    if (ReadRegularFile(file, bytes, error) != FileReadOutcome::Read) {
        return std::nullopt;
    }
    return bytes;
}

/// Writes the whole file through a temporary file beside it, so the registry file is either the old one or the
/// complete new one, never half written.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, std::string* error) {
    std::string reason;
    if (AtomicFile::writeWhole(file, bytes, &reason, "ジョブ登録ファイル")) {
        return true;
    }
    SetError(error, reason);
    return false;
}

/// The four fields of the file as UTF-8 (missing fields of a short file are empty), or nothing when the
/// file is missing. Fields are split on the CP932 bytes, which is safe: the comma, the double quote and the
/// line ends never occur as the second byte of a double-byte character.
std::optional<std::array<std::string, 4>> ReadFields(const std::filesystem::path& file) {
    const std::optional<std::string> bytes = ReadFileBytes(file);
    if (!bytes) {
        return std::nullopt;
    }
    std::array<std::string, 4> fields;
    ListInputReader reader(*bytes);
    std::string field;
    for (std::string& target : fields) {
        if (!reader.next(field)) {
            break;
        }
        target = Cp932Codec::decodeLossy(field);
    }
    return fields;
}

bool ContainsMarker(std::string_view text) {
    return text.find(JobRegistry::kUnregistered) != std::string_view::npos;
}

std::string TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

} // namespace

JobRegistry::JobRegistry(std::filesystem::path programFolder) : m_folder(std::move(programFolder)) {}

std::filesystem::path JobRegistry::path(int job) const {
    return m_folder / "JOB" / ("JOB_" + std::to_string(job) + ".txt");
}

bool JobRegistry::exists(int job) const {
    std::error_code ignored;
    return std::filesystem::is_regular_file(path(job), ignored);
}

bool JobRegistry::writeEmptySlot(int job, std::string* error) const {
    std::string bytes;
    bytes += std::string(kPrefixes[0]) + Cp932Codec::encode(kUnregistered).text + std::string(kLineEnd);
    for (std::size_t i = 1; i < kPrefixes.size(); ++i) {
        // The empty-slot writer puts two spaces after each message key.
        bytes += std::string(kKeys[i]) + "  " + std::string(kLineEnd);
    }
    return WriteFileAtomically(path(job), bytes, error);
}

std::optional<std::string> JobRegistry::checkEntry(const JobRegistryEntry& entry) {
    for (const std::string_view text : {std::string_view(entry.name), std::string_view(entry.msg1),
                                        std::string_view(entry.msg2), std::string_view(entry.msg3)}) {
        // A line break inside a text would split it into lines of its own and shift every field after it.
        if (text.find_first_of("\r\n") != std::string_view::npos) {
            return "JOB名とメッセージに改行は使えません";
        }
        // A field runs to the next comma unless it starts with a double quote, and then it runs to the next quote:
        // a line with a comma is written in quotes so that every reader takes it whole, and a quote of its own
        // could not be read back at all.
        if (text.find('"') != std::string_view::npos) {
            return "JOB名とメッセージに「\"」は使えません";
        }
        if (!Cp932Codec::encode(text).ok) {
            return "JOB名またはメッセージにシフトJIS (CP932) で表せない文字があります";
        }
    }
    return std::nullopt;
}

bool JobRegistry::writeRegisteredJob(int job, const JobRegistryEntry& entry, std::string* error) const {
    const bool blankName = TrimBlanks(entry.name).empty();
    JobRegistryEntry written = entry;
    if (blankName) {
        written.name = std::string(kUnregistered);
    }
    if (const std::optional<std::string> problem = checkEntry(written)) {
        SetError(error,
                 "ジョブ登録ファイル " + Utf8FromPath(path(job)) + " を書き込めませんでした（" + *problem + "）。");
        return false;
    }
    std::string bytes;
    const std::array<const std::string*, 4> texts = {&written.name, &written.msg1, &written.msg2, &written.msg3};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string line = std::string(kPrefixes[i]) + Cp932Codec::encode(*texts[i]).text;
        bytes += (line.find(',') == std::string::npos ? line : '"' + line + '"') + std::string(kLineEnd);
    }
    return WriteFileAtomically(path(job), bytes, error);
}

std::optional<std::string> JobRegistry::readFirstField(int job) const {
    auto fields = ReadFields(path(job));
    if (!fields) {
        return std::nullopt;
    }
    return std::move((*fields)[0]);
}

bool JobRegistry::isRegistered(int job) const {
    const std::optional<std::string> first = readFirstField(job);
    // An empty first field (an emptied or truncated file) names no job, just as a blank name is never
    // written as a registered job.
    return first && !first->empty() && !ContainsMarker(*first);
}

int JobRegistry::countMarkerLines(int job) const {
    const std::optional<std::string> bytes = ReadFileBytes(path(job));
    if (!bytes) {
        return 0;
    }
    int count = 0;
    std::size_t start = 0;
    while (start < bytes->size()) {
        std::size_t end = bytes->find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = bytes->size();
        }
        if (ContainsMarker(Cp932Codec::decodeLossy(std::string_view(*bytes).substr(start, end - start)))) {
            ++count;
        }
        start = end;
        if (start < bytes->size() && (*bytes)[start] == '\r') {
            ++start;
        }
        if (start < bytes->size() && (*bytes)[start] == '\n') {
            ++start;
        }
    }
    return count;
}

std::optional<JobRegistryEntry> JobRegistry::readTrimmed(int job) const {
    auto fields = ReadFields(path(job));
    if (!fields) {
        return std::nullopt;
    }
    std::array<std::string, 4> values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = TrimSpaces(RemoveAll((*fields)[i], kKeys[i]));
    }
    return JobRegistryEntry{values[0], values[1], values[2], values[3]};
}

std::optional<JobRegistryEntry> JobRegistry::readUntrimmed(int job) const {
    auto fields = ReadFields(path(job));
    if (!fields) {
        return std::nullopt;
    }
    std::array<std::string, 4> values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = RemoveAll((*fields)[i], kPrefixes[i]);
        // The field reader drops the blanks at the end of a field, so the line of an empty message arrives
        // as the bare key without its trailing space; that key is not part of the message.
        if (values[i] == kKeys[i]) {
            values[i].clear();
        }
    }
    return JobRegistryEntry{values[0], values[1], values[2], values[3]};
}

} // namespace zentu

#include "settings/JobSettings.h"

#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/ProgramPaths.h"
#include "settings/JobLock.h"
#include "settings/ProfileFile.h"
#include "text/Cp932Codec.h"
#include "text/TextHelpers.h"

#include <array>
#include <cstddef>
#include <vector>

namespace zentu {

namespace {

/// One key of the settings file: its section, its name and the field that holds it. A key added to the file by a
/// later version of the program is written only once it holds a value or the file holds it already, so the file
/// of a job that does not use it keeps its bytes.
struct KeyEntry {
    std::string_view section;
    std::string_view key;
    std::string JobSettings::*field;
    bool onlyWhenSet = false;
};

constexpr std::string_view kConfig = "Config";
constexpr std::string_view kSetHdb = "Set_hdb";
constexpr std::string_view kJobRun = "JOB_run";

/// The sixteen keys in file order, then the three of the ADIF 3.1 option (a save adds them at the end of [Config]).
/// A new file gets its sections and keys in exactly this order.
const std::array<KeyEntry, 19> kKeys = {{
    {kConfig, "version", &JobSettings::version},
    {kConfig, "set_hdb_dir", &JobSettings::set_hdb_dir},
    {kConfig, "set_outcsv_dir", &JobSettings::set_outcsv_dir},
    {kConfig, "adif_out", &JobSettings::adif_out},
    {kSetHdb, "select_flag", &JobSettings::select_flag},
    {kSetHdb, "set_start_date", &JobSettings::set_start_date},
    {kSetHdb, "set_end_date", &JobSettings::set_end_date},
    {kSetHdb, "set_date_time_UJ", &JobSettings::set_date_time_UJ},
    {kSetHdb, "set_start_rec_no", &JobSettings::set_start_rec_no},
    {kSetHdb, "set_end_rec_no", &JobSettings::set_end_rec_no},
    {kSetHdb, "zentu_arun_end_time", &JobSettings::zentu_arun_end_time},
    {kSetHdb, "set_rec_hani", &JobSettings::set_rec_hani},
    {kSetHdb, "set_anytime_last", &JobSettings::set_anytime_last},
    {kSetHdb, "last_start_rec_no", &JobSettings::last_start_rec_no},
    {kSetHdb, "last_end_rec_no", &JobSettings::last_end_rec_no},
    {kJobRun, "select_flag_new_add_last_QSO_data", &JobSettings::select_flag_new_add_last_QSO_data},
    {kConfig, "adif_v31", &JobSettings::adif_v31, true},
    {kConfig, "station_callsign", &JobSettings::station_callsign, true},
    {kConfig, "operator", &JobSettings::operator_callsign, true},
}};

constexpr std::size_t kVersionIndex = 0;
constexpr std::size_t kHdbIndex = 1;
constexpr std::size_t kOutCsvIndex = 2;
constexpr std::size_t kAdifOutIndex = 3;
constexpr std::size_t kArunEndTimeIndex = 10;
constexpr std::size_t kLastStartIndex = 13;
constexpr std::size_t kLastEndIndex = 14;
constexpr std::size_t kSignatureIndex = 15;
constexpr std::size_t kAdifV31Index = 16;
constexpr std::size_t kStationCallsignIndex = 17;
constexpr std::size_t kOperatorIndex = 18;

/// The read buffer of the profile call: a stored value arrives cut to one byte less than this.
constexpr std::size_t kReadBufferSize = 256;
/// Paths are read whole: a path cut to 255 bytes would name another file. A path that long is refused where it
/// is used (CheckPathSetting), never cut.
constexpr std::size_t kPathBufferSize = 32768;

std::size_t BufferSizeOf(std::size_t index) {
    return index == kHdbIndex || index == kOutCsvIndex ? kPathBufferSize : kReadBufferSize;
}

/// Drops a lead byte left alone at the end of a value that the 255-byte limit cut through a double-byte
/// character. Kept, it would decode to a replacement character that the next save could not store.
void DropCutHalfCharacter(std::string& cp932) {
    std::size_t pos = 0;
    while (pos < cp932.size()) {
        if (IsCp932LeadByte(static_cast<unsigned char>(cp932[pos]))) {
            if (pos + 1 == cp932.size()) {
                cp932.pop_back();
                return;
            }
            pos += 2;
        } else {
            ++pos;
        }
    }
}

/// The field's text for the value the profile call gave for key `index`.
std::string FieldText(std::size_t index, std::string raw) {
    if (raw.size() == BufferSizeOf(index) - 1) {
        DropCutHalfCharacter(raw);
    }
    // A hand-edited file may hold bytes that are not CP932; the value still loads, with those bytes shown as
    // replacement characters, rather than the whole job failing to load.
    return Cp932Codec::decodeLossy(raw);
}

/// The key writes of a save of the keys `indices`, compared with the file as `file` holds it. `version` is always
/// written (as `programVersion`); any other key only when the file lacks it or holds a value that loads as another
/// text, so a key the save does not change keeps its bytes exactly (even bytes that are not CP932). `signatureBytes`,
/// when given, is stored as the last-QSO signature byte for byte. On a value CP932 lacks, reports the key and the file
/// and gives false.
bool ChangedKeyWrites(const ProfileSnapshot& file, const JobSettings& settings, std::string_view programVersion,
                      const std::vector<std::size_t>& indices, const std::string* signatureBytes,
                      std::vector<ProfileFile::KeyValue>& writes, std::string* error) {
    writes.clear();
    for (const std::size_t i : indices) {
        const KeyEntry& entry = kKeys[i];
        std::string bytes;
        if (i == kSignatureIndex && signatureBytes != nullptr) {
            bytes = *signatureBytes;
        } else {
            const std::string_view text =
                i == kVersionIndex ? programVersion : std::string_view(settings.*(entry.field));
            if (i != kVersionIndex) {
                const auto stored = file.find(entry.section, entry.key, BufferSizeOf(i));
                if (stored ? FieldText(i, *stored) == text : entry.onlyWhenSet && text.empty()) {
                    continue;
                }
            }
            CodecResult encoded = Cp932Codec::encode(text);
            if (!encoded.ok) {
                SetError(error, "ジョブ設定ファイル " + Utf8FromPath(file.file()) + " に保存できませんでした（" +
                                    std::string(entry.key) + " の値にシフトJIS (CP932) で表せない文字があります）。");
                return false;
            }
            bytes = std::move(encoded.text);
        }
        writes.push_back({std::string(entry.section), std::string(entry.key), std::move(bytes)});
    }
    return true;
}

std::vector<std::size_t> AllKeys() {
    std::vector<std::size_t> indices(kKeys.size());
    for (std::size_t i = 0; i < indices.size(); ++i) {
        indices[i] = i;
    }
    return indices;
}

/// A save of the keys `indices`, worked out and written on one read of the file: the comparison and the change see
/// the same bytes. Nothing is written when no key changes or anything fails.
bool SaveKeys(const std::filesystem::path& path, const JobSettings& settings, std::string_view programVersion,
              const std::vector<std::size_t>& indices, std::string* error) {
    ProfileSnapshot file;
    std::vector<ProfileFile::KeyValue> writes;
    if (!file.read(path)) {
        SetError(error, ProfileFile::lastError());
        return false;
    }
    if (!ChangedKeyWrites(file, settings, programVersion, indices, nullptr, writes, error)) {
        return false;
    }
    if (writes.empty()) {
        return true;
    }
    if (!file.apply(writes)) {
        SetError(error, ProfileFile::lastError());
        return false;
    }
    return AtomicFile::writeWhole(path, file.bytes(), error, "設定ファイル");
}

} // namespace

std::filesystem::path JobSettingsPath(const std::filesystem::path& programFolder, int job) {
    return programFolder / "ini" / ("zentu_" + std::to_string(job) + ".ini");
}

std::string StoredBytesAsLoaded(std::string_view cp932) {
    std::string bytes = ProfileFile::fitToBuffer(cp932, kReadBufferSize);
    if (bytes.size() == kReadBufferSize - 1) {
        DropCutHalfCharacter(bytes);
    }
    return bytes;
}

bool LoadJobSettings(const std::filesystem::path& programFolder, int job, JobSettings& settings, bool withSignature,
                     std::string* error) {
    ProfileSnapshot file;
    const bool read = file.read(JobSettingsPath(programFolder, job));
    if (!read) {
        SetError(error, ProfileFile::lastError());
    }
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (i == kSignatureIndex && !withSignature) {
            continue;
        }
        const std::optional<std::string> value =
            read ? file.find(kKeys[i].section, kKeys[i].key, BufferSizeOf(i)) : std::nullopt;
        settings.*(kKeys[i].field) = value ? FieldText(i, *value) : std::string();
    }
    return read;
}

bool SaveJobSettings(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                     std::string_view programVersion, std::string* error) {
    return SaveKeys(JobSettingsPath(programFolder, job), settings, programVersion, AllKeys(), error);
}

bool SaveJobSettingsPart(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                         JobSettingsPart part, std::string_view programVersion, std::string* error) {
    JobLock lock;
    std::string reason;
    if (!lock.acquire(programFolder, job, kJobLockWait, reason)) {
        const std::string jobText = "JOB " + std::to_string(job);
        SetError(error, lock.busy()
                            ? jobText + " はほかで実行中のため、設定を保存できませんでした。実行が終わってから、"
                                        "もう一度保存してください（何も変更していません）。"
                            : jobText + " の設定を保存できませんでした。" + lock.failure());
        return false;
    }
    // The range keys lie between the environment's, in file order: select_flag to set_anytime_last but the wait.
    std::vector<std::size_t> indices{kVersionIndex};
    if (part == JobSettingsPart::Environment) {
        indices.insert(indices.end(), {kHdbIndex, kOutCsvIndex, kAdifOutIndex, kArunEndTimeIndex, kAdifV31Index,
                                       kStationCallsignIndex, kOperatorIndex});
    } else {
        for (std::size_t i = kAdifOutIndex + 1; i < kLastStartIndex; ++i) {
            if (i != kArunEndTimeIndex) {
                indices.push_back(i);
            }
        }
    }
    return SaveKeys(JobSettingsPath(programFolder, job), settings, programVersion, indices, error);
}

bool SaveRunBookkeeping(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                        std::string* error) {
    return SaveKeys(JobSettingsPath(programFolder, job), settings, {}, {kLastStartIndex, kLastEndIndex}, error);
}

bool PrepareJobSettingsSave(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                            std::string_view programVersion, bool allKeys, const std::string* signatureBytes,
                            AtomicFile& ready, std::string* error) {
    ProfileSnapshot file;
    if (!file.read(JobSettingsPath(programFolder, job))) {
        SetError(error, ProfileFile::lastError());
        return false;
    }
    std::vector<std::size_t> indices = allKeys ? AllKeys() : std::vector<std::size_t>{kLastStartIndex, kLastEndIndex};
    if (!allKeys && signatureBytes != nullptr) {
        indices.push_back(kSignatureIndex);
    }
    std::vector<ProfileFile::KeyValue> writes;
    if (!ChangedKeyWrites(file, settings, programVersion, indices, signatureBytes, writes, error)) {
        return false;
    }
    if (writes.empty()) {
        return true; // nothing changes: the file stays as it is
    }
    if (!file.apply(writes) || !file.prepare(ready)) {
        SetError(error, ProfileFile::lastError());
        return false;
    }
    return true;
}

} // namespace zentu

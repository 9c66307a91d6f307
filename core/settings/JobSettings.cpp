#include "settings/JobSettings.h"

#include "platform/ErrorText.h"
#include "platform/ProgramPaths.h"
#include "settings/ProfileFile.h"
#include "text/Cp932Codec.h"
#include "text/TextHelpers.h"

#include <array>
#include <cstddef>
#include <vector>

namespace zentu {

namespace {

/// One key of the settings file: its section, its name and the field that holds it.
struct KeySpec {
    std::string_view section;
    std::string_view key;
    std::string JobSettings::*field;
};

constexpr std::string_view kConfig = "Config";
constexpr std::string_view kSetHdb = "Set_hdb";
constexpr std::string_view kJobRun = "JOB_run";

/// The sixteen keys in file order. A new file gets its sections and keys in exactly this order.
const std::array<KeySpec, 16> kKeys = {{
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
}};

constexpr std::size_t kSignatureIndex = 15;
constexpr std::size_t kVersionIndex = 0;

/// The read buffer of the profile call: a stored value arrives cut to one byte less than this.
constexpr std::size_t kReadBufferSize = 256;

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

/// Encodes the values to write; on a value CP932 lacks, reports the key and the file and gives false.
bool EncodeWrites(const std::filesystem::path& file, const std::vector<KeySpec>& keys,
                  const std::vector<std::string_view>& values, std::vector<ProfileFile::KeyValue>& writes,
                  std::string* error) {
    writes.clear();
    writes.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        CodecResult encoded = Cp932Codec::encode(values[i]);
        if (!encoded.ok) {
            SetError(error, "ジョブ設定ファイル " + Utf8FromPath(file) + " に保存できませんでした（" +
                                std::string(keys[i].key) + " の値にシフトJIS (CP932) で表せない文字があります）。");
            return false;
        }
        writes.push_back({std::string(keys[i].section), std::string(keys[i].key), std::move(encoded.text)});
    }
    return true;
}

bool WriteAll(const std::filesystem::path& file, const std::vector<ProfileFile::KeyValue>& writes, std::string* error) {
    if (!ProfileFile::writeStrings(file, writes)) {
        // The profile module's reason already names the file and says what failed.
        SetError(error, ProfileFile::lastError());
        return false;
    }
    return true;
}

} // namespace

std::filesystem::path JobSettingsPath(const std::filesystem::path& programFolder, int job) {
    return programFolder / "ini" / ("zentu_" + std::to_string(job) + ".ini");
}

void LoadJobSettings(const std::filesystem::path& programFolder, int job, JobSettings& settings, bool withSignature) {
    const std::filesystem::path file = JobSettingsPath(programFolder, job);
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        if (i == kSignatureIndex && !withSignature) {
            continue;
        }
        std::string raw = ProfileFile::readString(file, kKeys[i].section, kKeys[i].key, "", kReadBufferSize);
        if (raw.size() == kReadBufferSize - 1) {
            DropCutHalfCharacter(raw);
        }
        // A hand-edited file may hold bytes that are not CP932; the value still loads, with those bytes
        // shown as replacement characters, rather than the whole job failing to load.
        settings.*(kKeys[i].field) = Cp932Codec::decodeLossy(raw);
    }
}

bool SaveJobSettings(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                     std::string_view programVersion, std::string* error) {
    const std::filesystem::path file = JobSettingsPath(programFolder, job);
    std::vector<KeySpec> keys(kKeys.begin(), kKeys.end());
    std::vector<std::string_view> values;
    values.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        values.push_back(i == kVersionIndex ? programVersion : std::string_view(settings.*(keys[i].field)));
    }
    std::vector<ProfileFile::KeyValue> writes;
    return EncodeWrites(file, keys, values, writes, error) && WriteAll(file, writes, error);
}

bool SaveRunBookkeeping(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                        std::string* error) {
    const std::filesystem::path file = JobSettingsPath(programFolder, job);
    const std::vector<KeySpec> keys = {kKeys[13], kKeys[14]};
    const std::vector<std::string_view> values = {settings.last_start_rec_no, settings.last_end_rec_no};
    std::vector<ProfileFile::KeyValue> writes;
    return EncodeWrites(file, keys, values, writes, error) && WriteAll(file, writes, error);
}

} // namespace zentu

#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zentu {

class AtomicFile;

/// The settings record of one job: sixteen texts named by their keys in ini/zentu_N.ini, and the three keys of the
/// ADIF 3.1 option.
/// Every field is UTF-8 text as the program holds it; the file holds the same in CP932.
struct JobSettings {
    // [Config]
    std::string version;
    std::string set_hdb_dir;
    std::string set_outcsv_dir;
    std::string adif_out;
    // [Set_hdb]
    std::string select_flag;
    std::string set_start_date;
    std::string set_end_date;
    std::string set_date_time_UJ;
    std::string set_start_rec_no;
    std::string set_end_rec_no;
    std::string zentu_arun_end_time;
    std::string set_rec_hani;
    std::string set_anytime_last;
    std::string last_start_rec_no;
    std::string last_end_rec_no;
    // [JOB_run]
    std::string select_flag_new_add_last_QSO_data;
    // [Config], the ADIF 3.1 option: written to a file only once set (a file without them keeps its bytes)
    std::string adif_v31;          ///< "1": ADIF 3.1 records; blank or missing: the program's own
    std::string station_callsign;  ///< STATION_CALLSIGN of the ADIF 3.1 records (blank: not written)
    std::string operator_callsign; ///< the key `operator`: OPERATOR of the ADIF 3.1 records (blank: not written)

    bool operator==(const JobSettings&) const = default;
};

/// The version text each program writes into the settings files and the ADIF header.
inline constexpr std::string_view kZentuVersion = "0.25";
inline constexpr std::string_view kZentuArunVersion = "0.24";

/// programFolder/ini/zentu_N.ini.
std::filesystem::path JobSettingsPath(const std::filesystem::path& programFolder, int job);

/// Replaces every field by the file's value, read once, whole, so every key comes from the same bytes (a missing
/// file, section or key gives the empty text; a value is cut to 255 bytes, except the two paths set_hdb_dir and
/// set_outcsv_dir, which are read whole so that a path too long to use is refused rather than cut to another file's
/// name). With `withSignature` false the last-QSO signature is not read and stays as it was. A file that is there
/// but cannot be read (or is no regular file) is not taken for an empty one: false with `error` set (in Japanese,
/// naming the file and the cause), and every field read is left empty.
bool LoadJobSettings(const std::filesystem::path& programFolder, int job, JobSettings& settings,
                     bool withSignature = true, std::string* error = nullptr);

/// Saves all keys in one atomic file write (the three keys of the ADIF 3.1 option only when set or already in the
/// file); `version` is written as `programVersion`. A key whose value
/// the file already holds (as the load reads it) is left exactly as its bytes are; a key the file lacks is added.
/// Returns false (with `error` set, in Japanese, naming the file) when the file could not be written or a
/// value cannot be stored in CP932; the file is then unchanged.
bool SaveJobSettings(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                     std::string_view programVersion, std::string* error = nullptr);

/// The keys a dialog owns in a job's settings file. The environment dialog owns the log, the output, ADIF (with the
/// ADIF 3.1 option and its call signs) and the auto-run wait; the range dialog owns the range keys. The bookkeeping
/// keys (where the last run started and ended, the signature of the record it wrote last) belong to the runs alone.
enum class JobSettingsPart { Environment, Range };

/// A dialog's save: takes the job's lock (as the runs do), then writes `version` (as `programVersion`) and the keys
/// of `part` from `settings` on top of the file as it stands now. Every other key keeps what the file holds, so a
/// save never rolls back what a run (of any program) stored meanwhile. False with `error` set (in Japanese, naming
/// the file or the job) when a run held the lock too long, the lock could not be taken or the file not written;
/// nothing is written then.
bool SaveJobSettingsPart(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                         JobSettingsPart part, std::string_view programVersion, std::string* error = nullptr);

/// The auto-run program's save: writes only last_start_rec_no, then last_end_rec_no, in one atomic write.
bool SaveRunBookkeeping(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                        std::string* error = nullptr);

/// Prepares the save a run makes, without putting the file in place: the run commits it together with its output
/// files. With `allKeys` it saves what SaveJobSettings saves, else only what SaveRunBookkeeping saves and, when
/// `signatureBytes` is given, the signature. `signatureBytes`, when given, is stored as
/// select_flag_new_add_last_QSO_data byte for byte. The comparison and the change work on one read of the file.
/// True with `ready` left unopened when nothing would change. False with `error` set; nothing is written then.
bool PrepareJobSettingsSave(const std::filesystem::path& programFolder, int job, const JobSettings& settings,
                            std::string_view programVersion, bool allKeys, const std::string* signatureBytes,
                            AtomicFile& ready, std::string* error);

/// The bytes a load gives for a value stored with the given bytes (a key other than the two paths): at most
/// 255 bytes, never ending in half a double-byte character.
std::string StoredBytesAsLoaded(std::string_view cp932);

} // namespace zentu

#include "convert/JobFiles.h"

#include "convert/ConversionRun.h"
#include "convert/ModeTable.h"
#include "hamlog/LogFiles.h"
#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "platform/SharedLibrary.h"
#include "settings/JobRegistry.h"
#include "settings/JobSettings.h"
#include "text/Cp932Codec.h"
#include "text/TextHelpers.h"

#include <system_error>
#include <vector>

namespace zentu {

namespace {

/// A file the outputs must not replace, and how messages name it.
struct Protected {
    std::filesystem::path path;
    std::string role;
    bool folder = false; ///< everything inside the folder is protected
};

std::filesystem::path Resolved(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
    return error ? path.lexically_normal() : resolved;
}

/// Whether two paths name one file: the same file where both exist (whatever their spelling, links, second
/// names or letter case), else the same resolved path, letter case ignored where the system ignores it.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error) && !error) {
        return true;
    }
    return PathTextsNameOneFile(Resolved(a), Resolved(b));
}

bool Inside(const std::filesystem::path& file, const std::filesystem::path& folder) {
    const std::filesystem::path parent = Resolved(file).parent_path();
    return SameFile(parent, folder);
}

std::vector<Protected> ProtectedFiles(const std::filesystem::path& log, const std::filesystem::path& programFolder) {
    std::vector<Protected> files;
    files.push_back({log, "ログファイル"});
    files.push_back({MasterFileForMessages(log), "ログのマスターファイル"});
    if (programFolder.empty()) {
        return files;
    }
    files.push_back({programFolder / "ini", "プログラムフォルダーの設定フォルダー", true});
    files.push_back({programFolder / "JOB", "プログラムフォルダーのJOBフォルダー", true});
    for (const std::filesystem::path& file : {ModeTablePath(programFolder), programFolder / "zentu_posi.ini"}) {
        files.push_back({file, "プログラムフォルダーのファイル"});
    }
    for (const char* base : {"Hamlog50", "Thdll2Vb"}) {
        files.push_back({programFolder / SharedLibrary::fileName(base), "記録ライブラリ"});
    }
    for (const char* program : {"zentu", "zentu_arun", "zentu_cli", "hamlog_tool", "zentu_bench"}) {
        files.push_back({programFolder / (program + ExecutableSuffix()), "プログラム"});
    }
    return files;
}

std::optional<std::string> CheckOneOutput(const std::filesystem::path& output, std::string_view role,
                                          const std::vector<Protected>& protectedFiles) {
    for (const Protected& file : protectedFiles) {
        const bool clash = file.folder ? Inside(output, file.path) : SameFile(output, file.path);
        if (clash) {
            return std::string(role) + " " + Utf8FromPath(output) + " は" + file.role + " " + Utf8FromPath(file.path) +
                   (file.folder ? " の中にあります。" : " と同じファイルです。") + "別の出力先を指定してください。";
        }
    }
    return std::nullopt;
}

} // namespace

std::filesystem::path JobFilePath(const std::filesystem::path& programFolder, const std::string& utf8Path) {
    const std::filesystem::path path = PathFromUtf8(utf8Path);
    if (utf8Path.empty() || programFolder.empty() || path.is_absolute()) {
        return path;
    }
    return programFolder / path;
}

std::optional<std::string> CheckPathSetting(std::string_view utf8Path, std::string_view what) {
    const std::string shown = std::string(what) + "のパス " + std::string(utf8Path);
    if (utf8Path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return shown + " に改行などの使えない文字があります。";
    }
    // A name of blanks and quotes alone is no file name a user means (a value of one quote would write files named
    // '"' and '".adi'); Windows allows neither a quote in a name nor a name of blanks.
    const std::string name = Utf8FromPath(PathFromUtf8(std::string(utf8Path)).filename());
    if (name.find_first_not_of(" \t\"") == std::string::npos) {
        return shown + " にはファイル名がありません。";
    }
    const CodecResult encoded = Cp932Codec::encode(utf8Path);
    if (!encoded.ok) {
        return shown + " にシフトJIS (CP932) で表せない文字があります。";
    }
    if (encoded.text.size() > kMaxPathBytes) {
        return shown + " は長すぎます（" + std::to_string(encoded.text.size()) + " バイト。" +
               std::to_string(kMaxPathBytes) + " バイトまでにしてください）。";
    }
    return std::nullopt;
}

std::optional<std::string> CheckOutputTargets(const JobSettings& settings, const std::filesystem::path& programFolder) {
    const std::filesystem::path csv = JobFilePath(programFolder, settings.set_outcsv_dir);
    std::vector<Protected> protectedFiles =
        ProtectedFiles(JobFilePath(programFolder, settings.set_hdb_dir), programFolder);
    if (auto clash = CheckOneOutput(csv, "出力ファイル", protectedFiles)) {
        return clash;
    }
    if (settings.adif_out != "1") {
        return std::nullopt;
    }
    // Names are compared the way the file system does: X.ADI as the CSV file is another file than X.adi here, the
    // same file on Windows.
    const std::filesystem::path adif = AdifPathFor(csv);
    if (SameFile(adif, csv)) {
        return "CSV ファイル " + settings.set_outcsv_dir + " と ADIF ファイルの名前が同じです。";
    }
    return CheckOneOutput(adif, "ADIF ファイル", protectedFiles);
}

std::optional<std::string> CheckJobPaths(const JobSettings& settings, const std::filesystem::path& programFolder) {
    if (auto problem = CheckPathSetting(settings.set_hdb_dir, "ログファイル")) {
        return problem;
    }
    if (auto problem = CheckPathSetting(settings.set_outcsv_dir, "出力ファイル")) {
        return problem;
    }
    if (settings.adif_out == "1") {
        if (auto problem =
                CheckPathSetting(Utf8FromPath(AdifPathFor(PathFromUtf8(settings.set_outcsv_dir))), "ADIF ファイル")) {
            return problem;
        }
    }
    return CheckOutputTargets(settings, programFolder);
}

std::optional<std::string> CheckProgramFiles(const std::filesystem::path& programFolder, int job) {
    const std::filesystem::path files[] = {JobRegistry(programFolder).path(job), JobSettingsPath(programFolder, job),
                                           ModeTablePath(programFolder)};
    for (const auto& file : files) {
        const PathKind kind = KindOfPath(file);
        if (kind == PathKind::Folder || kind == PathKind::Other) {
            const FailureCause cause = kind == PathKind::Folder ? FailureCause::IsFolder : FailureCause::NotRegularFile;
            return "ファイル " + Utf8FromPath(file) + " を読めません（" + std::string(CausePhrase(cause)) + "）。";
        }
        // The readers take a file that cannot be read for an empty one ("not registered", "no paths"): it is
        // told with its own cause instead.
        std::string bytes;
        int error = 0;
        if (kind == PathKind::RegularFile && ReadRegularFile(file, bytes, error) == FileReadOutcome::Failed) {
            return "ファイル " + Utf8FromPath(file) + " を読めません（" + SystemReason(error) + "）。";
        }
    }
    return std::nullopt;
}

} // namespace zentu

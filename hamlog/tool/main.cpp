// hamlog_tool: makes logs (from CSV or synthetic) and prints them through the record library's calls.

#include "CsvInput.h"
#include "ErrorText.h"
#include "LogWriter.h"
#include "SyntheticLog.h"
#include "SystemCalls.h"
#include "ToolConsole.h"
#include "codec/Cp932.h"

#include "hamlog/HamlogApi.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage = R"(使い方: hamlog_tool コマンド 引数...

  create LOG.hdb INPUT.csv [--encoding utf8|cp932]
      CSV ファイル（1 行 16 列、引用符付き CSV 可、改行は CR LF・LF・CR のどれでも可）から
      ログ LOG.hdb と LOG.mst を作ります。既にあれば 2 つとも置き換えます（途中で失敗したときや
      Ctrl+C で止めたときは元のまま）。ログの名前の拡張子は .mst 以外にしてください。--encoding を
      省くと、UTF-8 の BOM があるか ASCII だけなら UTF-8、どちらか一方としてだけ正しければその
      文字コードで読みます。UTF-8 としても CP932 としても正しく、読み方で内容が変わるときは読まずに
      止まるので、--encoding で指定してください。ログには CP932 で記録します。
  append LOG.hdb INPUT.csv [--encoding utf8|cp932]
      CSV ファイルの記録をログの末尾に追加し、記録数を更新します。ログを書き換える間はロックする
      ので、同時に実行した追加は順に行われます。ファイルの大きさが見出しの記録数と合わないログ
      （記録数の後ろにも記録があるログ、途中で切れたログ）には、記録を失わないよう追加しません。
      途中で失敗したとき（ディスクがいっぱいなど）は、ログを元のままに戻します。
  generate LOG.hdb COUNT [--seed N]
      COUNT 件の合成記録（実在しそうなコールサイン、2009 年からの日付、日本語の項目）でログを作ります。
      同じ COUNT と N からは同じ記録ができます（N の既定値は 1）。
  print LOG.hdb [--from N] [--to N] [--encoding utf8|cp932]
      記録ライブラリの呼び出しで記録 N から N まで（既定は全部）を読み、1 記録 1 行、16 列の
      引用符付き CSV として標準出力に書きます（既定は UTF-8、cp932 なら記録のままのバイト）。
  count LOG.hdb
      記録数を表示します。
  scan LOG.hdb
      全記録の全 16 項目を記録ライブラリで読み、かかった時間を表示します（速度の確認用）。

終了コード: 成功 0、失敗 1（標準出力に書けないときも）、使い方の誤り 2。失敗の理由は標準エラー出力に
書きます。
)";

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message) {
    hamlog::WriteText(hamlog::ToolStream::Error, "hamlog_tool: " + message + "\n");
    return kExitFailure;
}

/// Writes `text` to the standard output and checks that it got there: a full disk or a closed pipe is a failure, so a
/// caller never takes a missing count or listing for a run that worked.
bool WriteOutput(std::string_view text) {
    return hamlog::WriteText(hamlog::ToolStream::Output, text);
}

int OutputFailure() {
    return Fail("標準出力に書けません（" + hamlog::SystemReason() + "）。");
}

/// WriteOutput, as the end of a command: status 0, or 1 with a message.
int Report(std::string_view text) {
    return WriteOutput(text) ? 0 : OutputFailure();
}

int UsageError(const std::string& message) {
    hamlog::WriteText(hamlog::ToolStream::Error,
                      "hamlog_tool: " + message + "\n詳しくは hamlog_tool --help を見てください。\n");
    return kExitUsage;
}

/// The command line after the command word: positional arguments and "--name value" options.
struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> encoding;
    std::optional<std::string> seed;
    std::optional<std::string> from;
    std::optional<std::string> to;
};

bool ParseArguments(const std::vector<std::string>& words, Arguments& out, std::string& error) {
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string_view word = words[i];
        std::optional<std::string>* option = nullptr;
        if (word == "--encoding") {
            option = &out.encoding;
        } else if (word == "--seed") {
            option = &out.seed;
        } else if (word == "--from") {
            option = &out.from;
        } else if (word == "--to") {
            option = &out.to;
        } else if (word.size() > 2 && word.substr(0, 2) == "--") {
            error = "知らないオプション " + std::string(word) + " があります。";
            return false;
        } else {
            out.positional.emplace_back(word);
            continue;
        }
        if (i + 1 >= words.size()) {
            error = "オプション " + std::string(word) + " に値がありません。";
            return false;
        }
        *option = words[++i];
    }
    return true;
}

std::optional<std::uint64_t> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

bool ParseEncoding(const std::optional<std::string>& text, hamlog::CsvEncoding& encoding, std::string& error) {
    if (!text) {
        encoding = hamlog::CsvEncoding::Detect;
    } else if (*text == "utf8" || *text == "utf-8") {
        encoding = hamlog::CsvEncoding::Utf8;
    } else if (*text == "cp932" || *text == "sjis") {
        encoding = hamlog::CsvEncoding::Cp932;
    } else {
        error = "--encoding には utf8 か cp932 を指定してください。";
        return false;
    }
    return true;
}

/// A path given on the command line (UTF-8).
std::filesystem::path ToolPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

/// A path as the record library's calls take it (CP932 on Windows).
std::string LibraryPath(const std::string& utf8) {
    return hamlog::detail::CallerPath(ToolPath(utf8));
}

/// What is wrong with a file the record library could not open, in Japanese: it is missing, a folder, not a
/// regular file, or the cause the system gives when it is opened.
std::string FileProblem(const std::string& path) {
    using namespace hamlog::detail;
    const std::string text = PathText(ToolPath(path));
    switch (KindAt(text)) {
    case EntryKind::Missing:
        return hamlog::ReasonText(ENOENT);
    case EntryKind::Unknown:
        return hamlog::SystemReason();
    case EntryKind::Folder:
        return "フォルダーです";
    case EntryKind::Other:
        return "名前付きパイプや装置など、通常のファイルではありません";
    case EntryKind::RegularFile:
        break;
    }
    const FileHandle file = OpenRegularFile(text, OpenFor::Reading);
    if (file == kNoFile) {
        return hamlog::SystemReason();
    }
    CloseFile(file);
    return "他のプログラムが書き込み中か、読み取りに失敗しました";
}

std::string OpenFailure(int code, const std::string& log) {
    switch (code) {
    case HAMLOG_ERR_HDB_MISSING:
        return "ログ " + log + " を開けません（" + FileProblem(log) + "）。";
    case HAMLOG_ERR_HDB_NOT_DBASE:
    case HAMLOG_ERR_HDB_VERSION:
    case HAMLOG_ERR_HDB_INVALID:
        return "ログ " + log + " は " + hamlog::TableProblem(code) + "。";
    case HAMLOG_ERR_MST_MISSING: {
        const std::string master = hamlog::MasterFileOf(ToolPath(log));
        return "ログ " + log + " のマスターファイル " + master + " を開けません（" + FileProblem(master) + "）。";
    }
    case HAMLOG_ERR_OUT_OF_MEMORY:
        return "ログ " + log + " を読むためのメモリが足りません。";
    default:
        return "ログ " + log + " を開けません（コード " + std::to_string(code) + "）。";
    }
}

/// The record count through the counting calls, or -1 with `error`.
int CountRecords(const std::string& log, std::string& error) {
    alignas(16) unsigned char handle[HAMLOG_DBF_HANDLE_SIZE] = {};
    const int code = dbf_open(LibraryPath(log).c_str(), handle);
    const int count = dbf_rcount(handle);
    dbf_close(handle);
    if (code != HAMLOG_OK) {
        error = OpenFailure(code, log);
        return -1;
    }
    return count;
}

/// An open log in a record area, closed when it goes.
class OpenLog {
public:
    OpenLog(const OpenLog&) = delete;
    OpenLog& operator=(const OpenLog&) = delete;
    explicit OpenLog(const std::string& log) : m_code(HamlogOpen(0, m_record, LibraryPath(log).c_str(), 0)) {}
    ~OpenLog() { HamlogClose(m_record, 0); }
    int code() const { return m_code; }
    void* record() { return m_record; }

private:
    alignas(16) unsigned char m_record[HAMLOG_RECORD_SIZE] = {};
    int m_code;
};

int CreateOrAppend(const Arguments& args, bool append) {
    if (args.positional.size() != 2) {
        return UsageError(std::string(append ? "append" : "create") + " には LOG.hdb と INPUT.csv が要ります。");
    }
    hamlog::CsvEncoding encoding;
    std::string error;
    if (!ParseEncoding(args.encoding, encoding, error)) {
        return UsageError(error);
    }
    std::vector<hamlog::LogRecord> records;
    if (!hamlog::LoadCsvRecords(ToolPath(args.positional[1]), encoding, records, &error)) {
        return Fail(error);
    }
    const bool done = append ? hamlog::AppendRecords(ToolPath(args.positional[0]), records, &error)
                             : hamlog::CreateLog(ToolPath(args.positional[0]), records, &error);
    return done ? 0 : Fail(error);
}

int Generate(const Arguments& args) {
    if (args.positional.size() != 2) {
        return UsageError("generate には LOG.hdb と COUNT が要ります。");
    }
    const auto count = ParseNumber(args.positional[1]);
    if (!count) {
        return UsageError("COUNT は 0 以上の整数で指定してください。");
    }
    std::uint32_t seed = 1;
    if (args.seed) {
        const auto parsed = ParseNumber(*args.seed);
        if (!parsed || *parsed > UINT32_MAX) {
            return UsageError("--seed は 0 から 4294967295 までの整数で指定してください。");
        }
        seed = static_cast<std::uint32_t>(*parsed);
    }
    std::string error;
    return hamlog::CreateSyntheticLog(ToolPath(args.positional[0]), *count, seed, &error) ? 0 : Fail(error);
}

void AppendQuoted(std::string& line, std::string_view text) {
    line += '"';
    for (const char c : text) {
        if (c == '"') {
            line += '"';
        }
        line += c;
    }
    line += '"';
}

int Print(const Arguments& args) {
    if (args.positional.size() != 1) {
        return UsageError("print には LOG.hdb が要ります。");
    }
    hamlog::CsvEncoding encoding;
    std::string error;
    if (!ParseEncoding(args.encoding, encoding, error)) {
        return UsageError(error);
    }
    const bool raw = encoding == hamlog::CsvEncoding::Cp932;
    const hamlog::TextEncoding written = raw ? hamlog::TextEncoding::Cp932 : hamlog::TextEncoding::Utf8;
    const std::string& log = args.positional[0];
    const int count = CountRecords(log, error);
    if (count < 0) {
        return Fail(error);
    }
    std::uint64_t from = 1;
    std::uint64_t to = static_cast<std::uint64_t>(count);
    if (args.from) {
        const auto parsed = ParseNumber(*args.from);
        if (!parsed || *parsed == 0) {
            return UsageError("--from は 1 以上の整数で指定してください。");
        }
        from = *parsed;
    }
    if (args.to) {
        const auto parsed = ParseNumber(*args.to);
        if (!parsed) {
            return UsageError("--to は 0 以上の整数で指定してください。");
        }
        to = std::min<std::uint64_t>(*parsed, to);
    }

    OpenLog opened(log);
    if (opened.code() != HAMLOG_OK) {
        return Fail(OpenFailure(opened.code(), log));
    }
    char text[HAMLOG_TEXT_SIZE];
    std::string out;
    for (std::uint64_t number = from; number <= to; ++number) {
        THW_read(opened.record(), static_cast<std::int32_t>(number), 2);
        for (std::int16_t field = 1; field <= HAMLOG_FIELD_COUNT; ++field) {
            ThwString(text, opened.record(), field);
            if (field > 1) {
                out += ',';
            }
            AppendQuoted(out, raw ? std::string(text) : zentu::codec::Cp932ToUtf8Lossy(text));
        }
        out += '\n';
        if (out.size() >= (1 << 16)) {
            if (!hamlog::WriteListing(out, written)) {
                return OutputFailure();
            }
            out.clear();
        }
    }
    return hamlog::WriteListing(out, written) ? 0 : OutputFailure();
}

int Count(const Arguments& args) {
    if (args.positional.size() != 1) {
        return UsageError("count には LOG.hdb が要ります。");
    }
    std::string error;
    const int count = CountRecords(args.positional[0], error);
    if (count < 0) {
        return Fail(error);
    }
    return Report(std::to_string(count) + "\n");
}

int Scan(const Arguments& args) {
    if (args.positional.size() != 1) {
        return UsageError("scan には LOG.hdb が要ります。");
    }
    const std::string& log = args.positional[0];
    std::string error;
    const int count = CountRecords(log, error);
    if (count < 0) {
        return Fail(error);
    }
    const auto start = std::chrono::steady_clock::now();
    OpenLog opened(log);
    if (opened.code() != HAMLOG_OK) {
        return Fail(OpenFailure(opened.code(), log));
    }
    char text[HAMLOG_TEXT_SIZE];
    std::uint64_t bytes = 0;
    for (std::int32_t number = 1; number <= count; ++number) {
        THW_read(opened.record(), number, 2);
        for (std::int16_t field = 1; field <= HAMLOG_FIELD_COUNT; ++field) {
            ThwString(text, opened.record(), field);
            bytes += std::strlen(text);
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", elapsed.count());
    return Report(std::to_string(count) + " 件の記録の全 16 項目を " + seconds + " 秒で読みました（項目の合計 " +
                  std::to_string(bytes) + " バイト）。\n");
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> words = hamlog::CommandLineArguments(argc, argv);
    if (words.empty()) {
        hamlog::WriteText(hamlog::ToolStream::Error, kUsage);
        return kExitUsage;
    }
    const std::string_view command = words[0];
    if (command == "--help" || command == "-h" || command == "help") {
        return Report(kUsage);
    }
    Arguments args;
    std::string error;
    if (!ParseArguments(words, args, error)) {
        return UsageError(error);
    }
    if (command == "create" || command == "append") {
        return CreateOrAppend(args, command == "append");
    }
    if (command == "generate") {
        return Generate(args);
    }
    if (command == "print") {
        return Print(args);
    }
    if (command == "count") {
        return Count(args);
    }
    if (command == "scan") {
        return Scan(args);
    }
    return UsageError("知らないコマンド " + std::string(command) + " です。");
}

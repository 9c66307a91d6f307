#include "CsvInput.h"

#include "ErrorText.h"
#include "codec/Cp932.h"

#include <fstream>
#include <sstream>

namespace hamlog {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

/// The length of the line end at `i` (CR LF, LF or CR alone), or 0 when no line ends there.
std::size_t LineEndAt(std::string_view text, std::size_t i) {
    if (text[i] == '\n') {
        return 1;
    }
    if (text[i] == '\r') {
        return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    }
    return 0;
}

/// The line (1-based) that holds byte `offset` of `text`.
std::size_t LineOf(std::string_view text, std::size_t offset) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size();) {
        const std::size_t end = LineEndAt(text, i);
        line += end > 0 ? 1 : 0;
        i += end > 0 ? end : 1;
    }
    return line;
}

std::string NulError(std::size_t line, std::size_t column) {
    return std::to_string(line) + " 行目 " + std::to_string(column) + " 列目に NUL 文字（0x00）があります。";
}

/// Turns the file's bytes into UTF-8 text as `encoding` says, or as the bytes say when it is Detect.
bool DecodeCsv(std::string bytes, CsvEncoding encoding, const std::string& name, std::string& utf8,
               std::string* error) {
    const std::string file = "入力ファイル " + name;
    if (encoding == CsvEncoding::Detect) {
        // A byte order mark says UTF-8; ASCII reads the same either way. Otherwise the file must be valid in one
        // reading only: a CP932 file may happen to be valid UTF-8 too, and then only the user knows which it is.
        const bool validUtf8 = zentu::codec::IsValidUtf8(bytes);
        if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom || zentu::codec::IsAscii(bytes)) {
            encoding = CsvEncoding::Utf8;
        } else {
            zentu::codec::Converted decoded = zentu::codec::Cp932ToUtf8(bytes);
            if (validUtf8 && decoded.ok && decoded.text != bytes) {
                std::size_t firstNonAscii = 0;
                while (static_cast<unsigned char>(bytes[firstNonAscii]) < 0x80) {
                    ++firstNonAscii;
                }
                SetError(error, file + " は UTF-8 としても CP932 (Shift_JIS) としても読め、" +
                                    std::to_string(LineOf(bytes, firstNonAscii)) +
                                    " 行目から読み方で内容が変わります。--encoding utf8 か --encoding cp932 "
                                    "で文字コードを指定してください。");
                return false;
            }
            if (!validUtf8 && !decoded.ok) {
                SetError(error, file + " の " + std::to_string(LineOf(bytes, decoded.failedAt)) +
                                    " 行目に UTF-8 としても CP932 (Shift_JIS) としても正しくないバイトがあります。");
                return false;
            }
            if (!validUtf8) {
                utf8 = std::move(decoded.text);
                return true;
            }
            encoding = CsvEncoding::Utf8;
        }
    }
    if (encoding == CsvEncoding::Utf8) {
        if (!zentu::codec::IsValidUtf8(bytes)) {
            SetError(error, file + " は正しい UTF-8 ではありません。");
            return false;
        }
        utf8 = std::move(bytes);
        return true;
    }
    zentu::codec::Converted decoded = zentu::codec::Cp932ToUtf8(bytes);
    if (!decoded.ok) {
        SetError(error, file + " の " + std::to_string(LineOf(bytes, decoded.failedAt)) +
                            " 行目に CP932 (Shift_JIS) として正しくないバイトがあります。");
        return false;
    }
    utf8 = std::move(decoded.text);
    return true;
}

} // namespace

bool ParseCsv(std::string_view text, std::vector<CsvRow>& rows, std::string* error) {
    rows.clear();
    std::size_t line = 1;
    std::size_t i = 0;
    const std::size_t size = text.size();
    while (i < size) {
        // An empty line holds no row.
        if (const std::size_t end = LineEndAt(text, i)) {
            i += end;
            ++line;
            continue;
        }
        CsvRow row;
        row.line = line;
        for (;;) {
            std::string field;
            const std::size_t column = row.fields.size() + 1;
            if (i < size && text[i] == '"') {
                const std::size_t quoteLine = line;
                ++i;
                bool closed = false;
                while (i < size) {
                    if (text[i] == '"') {
                        if (i + 1 < size && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (const std::size_t end = LineEndAt(text, i)) {
                        field += text.substr(i, end); // a line end inside quotes is part of the text
                        i += end;
                        ++line;
                        continue;
                    }
                    if (text[i] == '\0') {
                        SetError(error, NulError(line, column));
                        return false;
                    }
                    field += text[i++];
                }
                if (!closed) {
                    SetError(error, std::to_string(quoteLine) + " 行目の引用符が閉じられていません。");
                    return false;
                }
                if (i < size && text[i] != ',' && LineEndAt(text, i) == 0) {
                    SetError(error, std::to_string(line) + " 行目の閉じ引用符の後に余分な文字があります。");
                    return false;
                }
            } else {
                while (i < size && text[i] != ',' && LineEndAt(text, i) == 0) {
                    if (text[i] == '\0') {
                        SetError(error, NulError(line, column));
                        return false;
                    }
                    field += text[i++];
                }
            }
            row.fields.push_back(std::move(field));
            if (i < size && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < size) {
                i += LineEndAt(text, i);
                ++line;
            }
            break;
        }
        rows.push_back(std::move(row));
    }
    return true;
}

bool LoadCsvRecords(const std::filesystem::path& csv, CsvEncoding encoding, std::vector<LogRecord>& records,
                    std::string* error) {
    records.clear();
    std::ifstream in(csv, std::ios::binary);
    if (!in) {
        SetError(error, "入力ファイル " + csv.string() + " を開けません（" + SystemReason() + "）。");
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        SetError(error, "入力ファイル " + csv.string() + " を読めません。");
        return false;
    }
    return CsvRecordsFromBytes(content.str(), encoding, csv.string(), records, error);
}

bool CsvRecordsFromBytes(std::string bytes, CsvEncoding encoding, const std::string& name,
                         std::vector<LogRecord>& records, std::string* error) {
    records.clear();
    std::string utf8;
    if (!DecodeCsv(std::move(bytes), encoding, name, utf8, error)) {
        return false;
    }
    std::string_view text = utf8;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }

    std::vector<CsvRow> rows;
    std::string parseError;
    if (!ParseCsv(text, rows, &parseError)) {
        SetError(error, "入力ファイル " + name + " の " + parseError);
        return false;
    }
    records.reserve(rows.size());
    for (const CsvRow& row : rows) {
        if (row.fields.size() != kLogFieldCount) {
            SetError(error, "入力ファイル " + name + " の " + std::to_string(row.line) + " 行目は列が " +
                                std::to_string(row.fields.size()) + " 個です（" + std::to_string(kLogFieldCount) +
                                " 個必要です）。");
            return false;
        }
        LogRecord record;
        for (std::size_t column = 0; column < kLogFieldCount; ++column) {
            zentu::codec::Converted encoded = zentu::codec::Utf8ToCp932(row.fields[column]);
            if (!encoded.ok) {
                SetError(error, "入力ファイル " + name + " の " + std::to_string(row.line) + " 行目 " +
                                    std::to_string(column + 1) + " 列目に CP932 で表せない文字があります。");
                return false;
            }
            record.fields[column] = std::move(encoded.text);
        }
        records.push_back(std::move(record));
    }
    return true;
}

} // namespace hamlog

#include "CsvInput.h"

#include "ErrorText.h"
#include "codec/Cp932.h"

#include <fstream>
#include <sstream>

namespace hamlog {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

} // namespace

bool ParseCsv(std::string_view text, std::vector<CsvRow>& rows, std::string* error) {
    rows.clear();
    std::size_t line = 1;
    std::size_t i = 0;
    const std::size_t size = text.size();
    while (i < size) {
        // An empty line (LF or CR LF alone) holds no row.
        if (text[i] == '\n' || (text[i] == '\r' && i + 1 < size && text[i + 1] == '\n')) {
            i += text[i] == '\r' ? 2 : 1;
            ++line;
            continue;
        }
        CsvRow row;
        row.line = line;
        bool rowDone = false;
        while (!rowDone) {
            std::string field;
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
                    if (text[i] == '\n') {
                        ++line;
                    }
                    field += text[i++];
                }
                if (!closed) {
                    SetError(error, std::to_string(quoteLine) + " 行目の引用符が閉じられていません。");
                    return false;
                }
                if (i < size && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
                    SetError(error, std::to_string(line) + " 行目の閉じ引用符の後に余分な文字があります。");
                    return false;
                }
            } else {
                while (i < size && text[i] != ',' && text[i] != '\n' &&
                       !(text[i] == '\r' && i + 1 < size && text[i + 1] == '\n')) {
                    field += text[i++];
                }
            }
            row.fields.push_back(std::move(field));
            if (i < size && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < size) {
                i += text[i] == '\r' ? 2 : 1;
                ++line;
            }
            rowDone = true;
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
    std::string bytes = content.str();

    if (encoding == CsvEncoding::Detect) {
        encoding = zentu::codec::IsValidUtf8(bytes) ? CsvEncoding::Utf8 : CsvEncoding::Cp932;
    }
    std::string utf8;
    if (encoding == CsvEncoding::Utf8) {
        if (!zentu::codec::IsValidUtf8(bytes)) {
            SetError(error, "入力ファイル " + csv.string() + " は正しい UTF-8 ではありません。");
            return false;
        }
        utf8 = std::move(bytes);
    } else {
        zentu::codec::Converted decoded = zentu::codec::Cp932ToUtf8(bytes);
        if (!decoded.ok) {
            SetError(error, "入力ファイル " + csv.string() + " は正しい CP932 (Shift_JIS) ではありません。");
            return false;
        }
        utf8 = std::move(decoded.text);
    }
    std::string_view text = utf8;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }

    std::vector<CsvRow> rows;
    std::string parseError;
    if (!ParseCsv(text, rows, &parseError)) {
        SetError(error, "入力ファイル " + csv.string() + " の " + parseError);
        return false;
    }
    records.reserve(rows.size());
    for (const CsvRow& row : rows) {
        if (row.fields.size() != kLogFieldCount) {
            SetError(error, "入力ファイル " + csv.string() + " の " + std::to_string(row.line) + " 行目は列が " +
                                std::to_string(row.fields.size()) + " 個です（" + std::to_string(kLogFieldCount) +
                                " 個必要です）。");
            return false;
        }
        LogRecord record;
        for (std::size_t column = 0; column < kLogFieldCount; ++column) {
            zentu::codec::Converted encoded = zentu::codec::Utf8ToCp932(row.fields[column]);
            if (!encoded.ok) {
                SetError(error, "入力ファイル " + csv.string() + " の " + std::to_string(row.line) + " 行目 " +
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

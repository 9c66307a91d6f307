#include "LogTable.h"

#include "ErrorText.h"
#include "SystemCalls.h"

#include <cstdint>
#include <cstring>
#include <ctime>

namespace hamlog {

namespace {

constexpr std::array<std::size_t, kLogFieldCount> kWidths{12, 8, 6, 7, 7, 10, 8, 12, 8, 3, 20, 30, 40, 40, 12, 8};
constexpr std::array<const char*, kLogFieldCount> kNames{"CALLS", "DATE", "TIME",   "HIS",    "MY",   "FREQ",
                                                         "MODE",  "CODE", "GL",     "QSL",    "NAME", "QTH",
                                                         "RMK1",  "RMK2", "QSLVIA", "RCVDATE"};

constexpr std::uint32_t kHeaderLength = detail::kDbfBlockSize + detail::kDbfBlockSize * kLogFieldCount + 1;

} // namespace

const std::array<std::size_t, 16>& FieldWidths() {
    return kWidths;
}

const std::array<const char*, 16>& FieldNames() {
    return kNames;
}

namespace detail {

void PutToday(char* at) {
    const std::tm local = LocalDate(std::time(nullptr));
    at[0] = static_cast<char>(local.tm_year & 0xFF);
    at[1] = static_cast<char>(local.tm_mon + 1);
    at[2] = static_cast<char>(local.tm_mday);
}

RecordShape OurShape() {
    RecordShape shape;
    shape.widths = kWidths;
    shape.recordLength = 1;
    for (const std::size_t width : kWidths) {
        shape.recordLength += width;
    }
    return shape;
}

std::string TableHeader(std::uint32_t count) {
    std::string header(kHeaderLength, '\0');
    header[0] = static_cast<char>(kVersionDbase3);
    PutToday(&header[kLastUpdateAt]);
    PutUint32(&header[kRecordCountAt], count);
    PutUint16(&header[kHeaderLengthAt], kHeaderLength);
    PutUint16(&header[kRecordLengthAt], static_cast<std::uint32_t>(OurShape().recordLength));
    header[kCodePageAt] = static_cast<char>(kCodePageCp932);
    for (std::size_t k = 0; k < kLogFieldCount; ++k) {
        char* descriptor = &header[kDbfBlockSize + kDbfBlockSize * k];
        std::memcpy(descriptor, kNames[k], std::strlen(kNames[k]));
        descriptor[kFieldTypeAt] = kCharacterField;
        descriptor[kFieldLengthAt] = static_cast<char>(kWidths[k]);
    }
    header[kHeaderLength - 1] = static_cast<char>(kDescriptorEnd);
    return header;
}

bool EncodeRecord(const LogRecord& record, const RecordShape& shape, std::uint64_t number, std::string& out,
                  std::string* error) {
    const std::size_t start = out.size();
    out += ' ';
    for (std::size_t k = 0; k < kLogFieldCount; ++k) {
        const std::string& text = record.fields[k];
        if (k >= shape.fieldCount) {
            if (!text.empty()) {
                SetError(error, "記録 " + std::to_string(number) + " の項目 " + std::to_string(k + 1) +
                                    " を入れる列がログの表にありません。");
                out.resize(start);
                return false;
            }
            continue;
        }
        if (text.size() > shape.widths[k]) {
            SetError(error, "記録 " + std::to_string(number) + " の項目 " + std::to_string(k + 1) + " は " +
                                std::to_string(text.size()) + " バイトあり、幅 " + std::to_string(shape.widths[k]) +
                                " バイトに収まりません。");
            out.resize(start);
            return false;
        }
        out += text;
        out.append(shape.widths[k] - text.size(), ' ');
    }
    out.append(start + shape.recordLength - out.size(), ' '); // fields beyond the sixteenth
    return true;
}

bool CountFits(std::uint64_t count, const std::filesystem::path& hdb, std::string* error) {
    if (count > static_cast<std::uint64_t>(INT32_MAX)) {
        SetError(error, "ログ " + hdb.string() + " に入れる記録が多すぎます（" + std::to_string(count) + " 件）。");
        return false;
    }
    return true;
}

} // namespace detail

} // namespace hamlog

#include "convert/LeftOutRecords.h"

namespace zentu {

namespace {

struct ReasonTexts {
    std::string_view text;
    std::string_view code;
};

/// In the order of the bits of LeftOutReason.
constexpr ReasonTexts kReasonTexts[kLeftOutReasonCount] = {
    {"日付または時刻が正しくない", "invalid_date_time"},
    {"コールサインがない", "no_call"},
    {"コールサインに ASCII 以外の文字（全角文字など）がある", "non_ascii_call"},
    {"モードがない", "no_mode"},
    {"モードに ASCII 以外の文字（全角文字など）がある", "non_ascii_mode"},
    {"ADIF にないモード", "unknown_mode"},
    {"周波数がないか数値ではない", "no_frequency"},
    {"送信レポートに ASCII 以外の文字（全角文字など）がある", "non_ascii_rst_sent"},
    {"受信レポートに ASCII 以外の文字（全角文字など）がある", "non_ascii_rst_rcvd"},
};

std::size_t IndexOf(LeftOutReason reason) {
    std::size_t index = 0;
    for (auto bits = static_cast<unsigned>(reason); bits > 1; bits >>= 1) {
        ++index;
    }
    return index < kLeftOutReasonCount ? index : 0;
}

} // namespace

std::string_view LeftOutReasonText(LeftOutReason reason) {
    return kReasonTexts[IndexOf(reason)].text;
}

std::string_view LeftOutReasonCode(LeftOutReason reason) {
    return kReasonTexts[IndexOf(reason)].code;
}

void LeftOutRecords::add(std::int64_t number, LeftOutReasons reasons) {
    ++count;
    if (firstNumbers.size() < kNumbersKept) {
        firstNumbers.push_back(number);
    }
    records.push_back({number, reasons});
    for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
        if ((reasons & Bit(LeftOutReasonAt(i))) != 0) {
            ++byReason[i];
        }
    }
}

void LeftOutRecords::merge(const LeftOutRecords& later) {
    count += later.count;
    for (const std::int64_t number : later.firstNumbers) {
        if (firstNumbers.size() < kNumbersKept) {
            firstNumbers.push_back(number);
        }
    }
    records.insert(records.end(), later.records.begin(), later.records.end());
    for (std::size_t i = 0; i < kLeftOutReasonCount; ++i) {
        byReason[i] += later.byReason[i];
    }
}

bool LeftOutRecords::onlyForDateTime() const {
    for (std::size_t i = 1; i < kLeftOutReasonCount; ++i) {
        if (byReason[i] != 0) {
            return false;
        }
    }
    return true;
}

} // namespace zentu

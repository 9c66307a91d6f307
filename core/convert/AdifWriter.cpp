#include "convert/AdifWriter.h"

#include "convert/DateTime.h"
#include "convert/ModeTable.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

namespace zentu {

namespace {

struct BandRow {
    double lower;
    double upper;
    std::string_view band;
};

constexpr BandRow kBands[] = {
    {1, 2, "160M"},       {3, 4, "80M"},        {7, 8, "40M"},       {10, 11, "30M"},
    {14, 15, "20M"},      {18, 19, "17M"},      {21, 22, "15M"},     {24, 25, "12M"},
    {28, 30, "10M"},      {50, 55, "6M"},       {144, 148, "2M"},    {430, 440, "70CM"},
    {1200, 1300, "23CM"}, {2300, 2500, "13CM"}, {5600, 5900, "6CM"}, {10000, 11000, "3CM"},
};

struct ModeRow {
    std::string_view hamlog;
    std::string_view adif;
};

constexpr ModeRow kFixedModes[] = {
    {"PH", "SSB"},   {"CW", "CW"},    {"RY", "RTTY"},  {"STV", "SSTV"},  {"SST", "SSTV"},
    {"RTY", "RTTY"}, {"TTY", "RTTY"}, {"RTT", "RTTY"}, {"PSK", "PSK31"}, {"PSK3", "PSK31"},
};

constexpr std::string_view kCrLf = "\r\n";

/// Characters from 1-based position `start`, at most `length` of them; shorter or empty past the end.
std::string_view Mid(std::string_view text, std::size_t start, std::size_t length) {
    if (start < 1 || start > text.size()) {
        return {};
    }
    return text.substr(start - 1, length);
}

/// The last `length` characters, or the whole text when it is shorter.
std::string_view Right(std::string_view text, std::size_t length) {
    return text.size() <= length ? text : text.substr(text.size() - length);
}

/// hh + mm + zone letter from a record time "hh:mmJ". A time "hh:mm" without zone letter gives hhmm (it then
/// counts as UTC); the plain rule (characters 1-2 and the last three) would give "hh:mm" and lose it.
std::string RecordTime(std::string_view field) {
    if (field.size() == 5 && field[2] == ':') {
        return std::string(field.substr(0, 2)).append(field.substr(3, 2));
    }
    if (field.size() >= 5) {
        return std::string(Mid(field, 1, 2)).append(Right(field, 3));
    }
    return std::string(field);
}

void AppendField(std::string& out, std::string_view tag, std::string_view value) {
    out += tag;
    out += std::to_string(Cp932CharacterCount(value));
    out += '>';
    out += value;
}

} // namespace

std::string freq_band(double mhz) {
    for (const BandRow& row : kBands) {
        if (row.lower <= mhz && mhz <= row.upper) {
            return std::string(row.band);
        }
    }
    return {};
}

std::string FixedModeName(std::string_view mode) {
    for (const ModeRow& row : kFixedModes) {
        if (mode == row.hamlog) {
            return std::string(row.adif);
        }
    }
    return std::string(mode);
}

std::string AdifHeader(std::string_view versionText) {
    std::string header;
    header.append("ADIF Export from zentu.exe  Version ").append(versionText).append(kCrLf);
    header.append("Internet:  ").append(kAdifWebPage).append(kCrLf);
    header.append("e-mail to: ").append(kAdifMailAddress).append(kCrLf);
    header.append("<EOH>").append(kCrLf);
    header.append(kCrLf);
    return header;
}

std::size_t Cp932CharacterCount(std::string_view cp932) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < cp932.size(); ++i, ++count) {
        if (IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size()) {
            ++i;
        }
    }
    return count;
}

bool write_adif(std::string& out, const std::array<std::string, 16>& fields, const ModeTable* modeTable) {
    const std::string_view dateField = fields[1];
    const std::string date =
        std::string(Mid(dateField, 1, 2)).append(Mid(dateField, 4, 2)).append(Mid(dateField, 7, 2));
    const std::string time = RecordTime(fields[2]);

    std::string qsoDate;
    std::string timeOn;
    const bool valid = time.find('J') != std::string::npos ? conv_J2U_2(date, time, qsoDate, timeOn)
                                                           : conv_UTC(date, time, qsoDate, timeOn);
    if (!valid) {
        // A QSO_DATE or TIME_ON that is no real date-time is refused by strict readers and moved to another day
        // by lenient ones: such a record stays out of the ADIF file.
        return false;
    }

    std::string_view frequency = TrimBlanks(fields[5]);
    if (!frequency.empty() && frequency.back() == '.') {
        frequency = frequency.substr(0, frequency.find('.'));
    }
    const std::string band = freq_band(Val(frequency));

    std::string mode = FixedModeName(fields[6]);
    if (modeTable != nullptr) {
        mode = modeTable->conv_mode_tbl(mode);
    }

    AppendField(out, "<CALL:", fields[0]);
    out.append(" <QSO_DATE:8:d>").append(qsoDate);
    out.append(" <TIME_ON:4>").append(timeOn);
    AppendField(out, " <MODE:", mode);
    AppendField(out, " <BAND:", band);
    AppendField(out, " <FREQ:", frequency);
    AppendField(out, " <RST_SENT:", fields[3]);
    AppendField(out, " <RST_RCVD:", fields[4]);
    out.append(" <EOR>").append(kCrLf).append(kCrLf);
    return true;
}

} // namespace zentu

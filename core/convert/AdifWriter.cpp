#include "convert/AdifWriter.h"

#include "convert/Adif31Writer.h"
#include "convert/DateTime.h"
#include "convert/ModeTable.h"
#include "text/NumberText.h"
#include "text/ShortBytes.h"
#include "text/TextHelpers.h"

#include <cstring>
#include <initializer_list>

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

/// Copies the parts one after another into `buffer` (room for all of them) and returns the joined text.
std::string_view Joined(char* buffer, std::initializer_list<std::string_view> parts) {
    std::size_t length = 0;
    for (const std::string_view part : parts) {
        if (!part.empty()) {
            std::memcpy(buffer + length, part.data(), part.size());
            length += part.size();
        }
    }
    return {buffer, length};
}

/// hh + mm + zone letter from a record time "hh:mmJ", in `buffer` (5 bytes). A time "hh:mm" without zone letter
/// gives hhmm (it then counts as UTC); the plain rule (characters 1-2 and the last three) would give "hh:mm" and
/// lose it. A time shorter than five characters stays as it is.
std::string_view RecordTime(std::string_view field, char* buffer) {
    if (field.size() == 5 && field[2] == ':') {
        return Joined(buffer, {field.substr(0, 2), field.substr(3, 2)});
    }
    if (field.size() >= 5) {
        return Joined(buffer, {Mid(field, 1, 2), Right(field, 3)});
    }
    return field;
}

std::string_view BandOf(double mhz) {
    for (const BandRow& row : kBands) {
        if (row.lower <= mhz && mhz <= row.upper) {
            return row.band;
        }
    }
    return {};
}

std::string_view FixedMode(std::string_view mode) {
    for (const ModeRow& row : kFixedModes) {
        if (mode == row.hamlog) {
            return row.adif;
        }
    }
    return mode;
}

/// Writes a record into room made for it beforehand (its largest size is known before it is written), so a record
/// costs one size check instead of one per piece.
class RecordText {
public:
    explicit RecordText(char* at) : m_at(at) {}
    void put(std::string_view text) { m_at = CopyBytes(m_at, text); }
    void put(char c) { *m_at++ = c; }
    void number(std::size_t value) {
        char digits[20];
        std::size_t count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (count > 0) {
            *m_at++ = digits[--count];
        }
    }
    /// tag + the value's length in characters + ">" + the value.
    void field(std::string_view tag, std::string_view value) {
        put(tag);
        number(Cp932CharacterCount(value));
        put('>');
        put(value);
    }
    char* end() const { return m_at; }

private:
    char* m_at;
};

} // namespace

std::string freq_band(double mhz) {
    return std::string(BandOf(mhz));
}

std::string FixedModeName(std::string_view mode) {
    return std::string(FixedMode(mode));
}

std::string_view FixedModeOf(std::string_view mode) {
    return FixedMode(mode);
}

std::string AdifHeader(std::string_view versionText, std::string_view headerFields) {
    std::string header;
    header.append("ADIF Export from zentu.exe  Version ").append(versionText).append(kCrLf);
    header.append("Internet:  ").append(kAdifWebPage).append(kCrLf);
    header.append("e-mail to: ").append(kAdifMailAddress).append(kCrLf);
    if (!headerFields.empty()) {
        header.append(headerFields).append(kCrLf);
    }
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

bool AdifQsoDateTime(const FieldTexts& fields, char* qsoDate, char* timeOn) {
    // The date is characters 1-2, 4-5 and 7-8 of "yy/mm/dd", whatever stands between them.
    const std::string_view dateField = fields[1];
    char dateBuffer[6];
    const std::string_view date =
        Joined(dateBuffer, {Mid(dateField, 1, 2), Mid(dateField, 4, 2), Mid(dateField, 7, 2)});
    char timeBuffer[5];
    const std::string_view time = RecordTime(fields[2], timeBuffer);
    return RecordDateTimeToUtc(date, time, time.find('J') != std::string_view::npos, qsoDate, timeOn);
}

std::string_view AdifFrequency(std::string_view field) {
    std::string_view frequency = TrimBlanks(field);
    if (!frequency.empty() && frequency.back() == '.') {
        frequency = frequency.substr(0, frequency.find('.'));
    }
    return frequency;
}

bool write_adif(std::string& out, const FieldTexts& fields, const ModeTable* modeTable) {
    char qsoDate[8];
    char timeOn[4];
    if (!AdifQsoDateTime(fields, qsoDate, timeOn)) {
        // A QSO_DATE or TIME_ON that is no real date-time is refused by strict readers and moved to another day
        // by lenient ones: such a record stays out of the ADIF file.
        return false;
    }

    const std::string_view frequency = AdifFrequency(fields[5]);
    const std::string_view band = BandOf(Val(frequency));

    std::string_view mode = FixedMode(fields[6]);
    if (modeTable != nullptr) {
        mode = modeTable->lookUp(mode);
    }

    // Tags, blanks and line ends take less than 128 bytes; each counted value adds its digits (20 at most).
    constexpr std::size_t kFixedRoom = 128;
    constexpr std::size_t kNumberRoom = 20;
    const std::size_t room = kFixedRoom + 6 * kNumberRoom + fields[0].size() + mode.size() + band.size() +
                             frequency.size() + fields[3].size() + fields[4].size();
    const std::size_t start = out.size();
    out.resize(start + room);
    RecordText text(out.data() + start);
    text.field("<CALL:", fields[0]);
    text.put(" <QSO_DATE:8:d>");
    text.put({qsoDate, sizeof qsoDate});
    text.put(" <TIME_ON:4>");
    text.put({timeOn, sizeof timeOn});
    text.field(" <MODE:", mode);
    text.field(" <BAND:", band);
    text.field(" <FREQ:", frequency);
    text.field(" <RST_SENT:", fields[3]);
    text.field(" <RST_RCVD:", fields[4]);
    text.put(" <EOR>");
    text.put(kCrLf);
    text.put(kCrLf);
    out.resize(static_cast<std::size_t>(text.end() - out.data()));
    return true;
}

bool write_adif(std::string& out, const std::array<std::string, 16>& fields, const ModeTable* modeTable) {
    return write_adif(out, ViewsOf(fields), modeTable);
}

LeftOutReasons AppendAdifRecord(std::string& out, const FieldTexts& fields, const AdifStyle& style) {
    if (style.v31) {
        return write_adif_v31(out, fields, style);
    }
    return write_adif(out, fields, style.modeTable) ? 0 : Bit(LeftOutReason::InvalidDateTime);
}

} // namespace zentu

#include "convert/Adif31Writer.h"

#include "convert/AdifEnumerations.h"
#include "convert/ModeTable.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <cstdio>

namespace zentu {

namespace {

constexpr std::string_view kCrLf = "\r\n";

/// ADIF's String fields hold ASCII characters 32 to 126 only.
bool IsAsciiText(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte > 126) {
            return false;
        }
    }
    return true;
}

/// An ADIF Number: an optional minus sign, digits and at most one decimal point, with at least one digit.
bool IsAdifNumber(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    bool digit = false;
    bool point = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

/// Appends " <NAME:length>value" (without the blank for the first field of the line).
void AppendField(std::string& out, std::string_view name, std::string_view value) {
    if (!out.empty() && out.back() != '\n') {
        out += ' ';
    }
    out += '<';
    out += name;
    out += ':';
    out += std::to_string(value.size());
    out += '>';
    out += value;
}

} // namespace

std::string AdifHeaderV31(std::string_view versionText, std::chrono::system_clock::time_point created) {
    using namespace std::chrono;
    const auto day = floor<days>(created);
    const year_month_day date{day};
    const hh_mm_ss time{floor<seconds>(created - day)};
    char timestamp[32];
    std::snprintf(timestamp, sizeof timestamp, "%04d%02u%02u %02d%02d%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));

    // The program's own lines stay as every ADIF file of the program starts; they hold no "<", so a reader takes them
    // for the header's free text.
    std::string fields;
    AppendField(fields, "ADIF_VER", kAdifVersion);
    AppendField(fields, "PROGRAMID", kAdifProgramId);
    AppendField(fields, "PROGRAMVERSION", versionText);
    AppendField(fields, "CREATED_TIMESTAMP", timestamp);
    return AdifHeader(versionText, fields);
}

LeftOutReasons write_adif_v31(std::string& out, const FieldTexts& fields, const AdifStyle& style) {
    LeftOutReasons reasons = 0;
    char qsoDate[8];
    char timeOn[4];
    if (!AdifQsoDateTime(fields, qsoDate, timeOn)) {
        reasons |= Bit(LeftOutReason::InvalidDateTime);
    }

    const std::string_view call = TrimBlanks(fields[0]);
    if (call.empty()) {
        reasons |= Bit(LeftOutReason::NoCall);
    } else if (!IsAsciiText(call)) {
        reasons |= Bit(LeftOutReason::NonAsciiCall);
    }

    // The mode as the program's own ADIF would write it, then in ADIF's spelling: upper case, MODE and SUBMODE.
    const std::string_view fixed = FixedModeOf(fields[6]);
    const std::string_view mapped = style.modeTable != nullptr ? style.modeTable->lookUp(fixed) : fixed;
    const std::string_view mode = TrimBlanks(mapped);
    std::optional<AdifModePair> adifMode;
    if (mode.empty()) {
        reasons |= Bit(LeftOutReason::NoMode);
    } else if (!IsAsciiText(mode)) {
        reasons |= Bit(LeftOutReason::NonAsciiMode);
    } else {
        adifMode = AdifModeOf(Cp932UpperAscii(mode));
        if (!adifMode) {
            reasons |= Bit(LeftOutReason::UnknownMode);
        } else if (adifMode->submode.empty() && mapped != fixed) {
            // The table may name the mode of a submode the log spelt (USB as SSB, C4FM as DIGITALVOICE): the
            // submode is kept.
            const auto spelt = AdifModeOf(Cp932UpperAscii(TrimBlanks(fixed)));
            if (spelt && spelt->mode == adifMode->mode) {
                adifMode = spelt;
            }
        }
    }

    const std::string_view frequency = AdifFrequency(fields[5]);
    if (!IsAdifNumber(frequency)) {
        reasons |= Bit(LeftOutReason::NoFrequency);
    }
    const std::string_view rstSent = TrimBlanks(fields[3]);
    const std::string_view rstRcvd = TrimBlanks(fields[4]);
    if (!IsAsciiText(rstSent)) {
        reasons |= Bit(LeftOutReason::NonAsciiRstSent);
    }
    if (!IsAsciiText(rstRcvd)) {
        reasons |= Bit(LeftOutReason::NonAsciiRstRcvd);
    }
    if (reasons != 0) {
        return reasons;
    }

    std::string line;
    line.reserve(256);
    AppendField(line, "CALL", call);
    AppendField(line, "QSO_DATE", {qsoDate, sizeof qsoDate});
    AppendField(line, "TIME_ON", {timeOn, sizeof timeOn});
    AppendField(line, "MODE", adifMode->mode);
    if (!adifMode->submode.empty()) {
        AppendField(line, "SUBMODE", adifMode->submode);
    }
    // A frequency outside every band keeps its FREQ without a BAND, rather than the nearest band's name.
    if (const std::string_view band = AdifBandOf(Val(frequency)); !band.empty()) {
        AppendField(line, "BAND", band);
    }
    AppendField(line, "FREQ", frequency);
    if (!rstSent.empty()) {
        AppendField(line, "RST_SENT", rstSent);
    }
    if (!rstRcvd.empty()) {
        AppendField(line, "RST_RCVD", rstRcvd);
    }
    if (!style.stationCallsign.empty()) {
        AppendField(line, "STATION_CALLSIGN", style.stationCallsign);
    }
    if (!style.operatorCallsign.empty()) {
        AppendField(line, "OPERATOR", style.operatorCallsign);
    }
    line += " <EOR>";
    out += line;
    out += kCrLf;
    out += kCrLf;
    return 0;
}

} // namespace zentu

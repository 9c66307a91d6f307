#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "convert/FieldTexts.h"
#include "convert/LeftOutRecords.h"

namespace zentu {

class ModeTable;

/// The program's web page and contact address named in the ADIF header.
inline constexpr std::string_view kAdifWebPage = "https://zentu.example.org/";
inline constexpr std::string_view kAdifMailAddress = "zentu@example.org";

/// The band label of a frequency in MHz ("160M" ... "3CM"), or the empty text when no band applies.
std::string freq_band(double mhz);

/// Maps Hamlog's mode spellings by the fixed list (PH to SSB, RY to RTTY, ...); other modes unchanged.
std::string FixedModeName(std::string_view mode);

/// As FixedModeName, without a copy: a text of the fixed list, or `mode` itself.
std::string_view FixedModeOf(std::string_view mode);

/// The five header lines of an ADIF file, each ended by CR LF, for the given program version text. Header fields,
/// when given, go on a line of their own before <EOH>.
std::string AdifHeader(std::string_view versionText, std::string_view headerFields = {});

/// The number of characters of a CP932 text (a double-byte character counts one).
std::size_t Cp932CharacterCount(std::string_view cp932);

/// Appends one ADIF record (its line, CR LF, an empty line) for a record's sixteen field texts
/// (index 0 = field 1; CP932 bytes as the library gave them, cut at NUL, quotes not doubled).
/// The mode goes through the fixed list, then through `modeTable` when one is given.
/// Returns false, appending nothing, when the record's date and time do not form a valid date-time (a day the
/// calendar lacks, 25:00, blanks, letters): the caller counts it as left out of the ADIF file.
bool write_adif(std::string& out, const FieldTexts& fields, const ModeTable* modeTable);
bool write_adif(std::string& out, const std::array<std::string, 16>& fields, const ModeTable* modeTable);

/// How a run writes its ADIF records: the mode table, and the job's ADIF 3.1 option with the station's call signs.
struct AdifStyle {
    const ModeTable* modeTable = nullptr; ///< none for the auto-run program
    bool v31 = false;                     ///< ADIF 3.1 records (Adif31Writer) instead of the program's own
    std::string stationCallsign;          ///< STATION_CALLSIGN (ASCII), not written when empty (ADIF 3.1 only)
    std::string operatorCallsign;         ///< OPERATOR (ASCII), not written when empty (ADIF 3.1 only)
};

/// Appends the ADIF record of a record in the job's style. Returns why the record was left out (nothing appended),
/// or 0 when it was written.
LeftOutReasons AppendAdifRecord(std::string& out, const FieldTexts& fields, const AdifStyle& style);

/// QSO_DATE (8 bytes yyyymmdd) and TIME_ON (4 bytes hhmm) in UTC from a record's date and time; false when they do
/// not form a valid date-time.
bool AdifQsoDateTime(const FieldTexts& fields, char* qsoDate, char* timeOn);

/// The frequency text of a record's field 6: without the blanks at its ends, and "14." written as "14".
std::string_view AdifFrequency(std::string_view field);

} // namespace zentu

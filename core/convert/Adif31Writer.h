#pragma once

#include "convert/AdifWriter.h"
#include "convert/FieldTexts.h"
#include "convert/LeftOutRecords.h"

#include <chrono>
#include <string>
#include <string_view>

namespace zentu {

/// The ADIF version the ADIF 3.1 option declares in the header, and the program's name there.
inline constexpr std::string_view kAdifVersion = "3.1.4";
inline constexpr std::string_view kAdifProgramId = "zentu";

/// The header of an ADIF file of the ADIF 3.1 option: the program's own three lines, then ADIF_VER, PROGRAMID,
/// PROGRAMVERSION (`versionText`) and CREATED_TIMESTAMP (`created`, in UTC) as ADIF 3.1.4 writes header fields, and
/// <EOH> with an empty line. Lines end in CR LF.
std::string AdifHeaderV31(std::string_view versionText, std::chrono::system_clock::time_point created);

/// Appends the ADIF 3.1 record of a record (one line, CR LF, an empty line): CALL, QSO_DATE, TIME_ON, MODE with
/// SUBMODE where ADIF defines one, BAND only when the frequency lies in an ADIF band, FREQ, RST_SENT and RST_RCVD
/// when not empty, STATION_CALLSIGN and OPERATOR when the style has them. The mode goes through the fixed list and the
/// style's mode table first, then becomes ADIF's MODE and SUBMODE (import-only modes as their replacement).
///
/// A record an ADIF reader must refuse is not written: no call sign, no valid date-time, no mode or one ADIF does not
/// know, no frequency or one that is not a number, or a character that is not ASCII in the call sign, the mode or a
/// report. Returns those reasons (nothing appended), or 0 when the record was written.
LeftOutReasons write_adif_v31(std::string& out, const FieldTexts& fields, const AdifStyle& style);

} // namespace zentu

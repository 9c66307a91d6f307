#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zentu {

class ModeTable;

/// The program's web page and contact address named in the ADIF header.
inline constexpr std::string_view kAdifWebPage = "https://zentu.example.org/";
inline constexpr std::string_view kAdifMailAddress = "zentu@example.org";

/// The band label of a frequency in MHz ("160M" ... "3CM"), or the empty text when no band applies.
std::string freq_band(double mhz);

/// Maps Hamlog's mode spellings by the fixed list (PH to SSB, RY to RTTY, ...); other modes unchanged.
std::string FixedModeName(std::string_view mode);

/// The five header lines of an ADIF file, each ended by CR LF, for the given program version text.
std::string AdifHeader(std::string_view versionText);

/// The number of characters of a CP932 text (a double-byte character counts one).
std::size_t Cp932CharacterCount(std::string_view cp932);

/// Appends one ADIF record (its line, CR LF, an empty line) for a record's sixteen field texts
/// (index 0 = field 1; CP932 bytes as the library gave them, cut at NUL, quotes not doubled).
/// The mode goes through the fixed list, then through `modeTable` when one is given.
/// Returns false, appending nothing, when the record's date and time do not form a valid date-time (a day the
/// calendar lacks, 25:00, blanks, letters): the caller counts it as left out of the ADIF file.
bool write_adif(std::string& out, const std::array<std::string, 16>& fields, const ModeTable* modeTable);

} // namespace zentu

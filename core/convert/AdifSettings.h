#pragma once

#include "convert/AdifWriter.h"

#include <optional>
#include <string>
#include <string_view>

namespace zentu {

struct JobSettings;

/// How the names of the two call sign settings are told to the user.
inline constexpr std::string_view kStationCallsignWhat = "自局のコールサイン（STATION_CALLSIGN）";
inline constexpr std::string_view kOperatorWhat = "運用者のコールサイン（OPERATOR）";

/// Whether a job asks for ADIF 3.1 records: ADIF output on and its option adif_v31 "1".
bool WantsAdifV31(const JobSettings& settings);

/// Why a call sign typed or stored for `what` cannot go into an ADIF field, or nothing when it can: ADIF's fields
/// hold ASCII, and a call sign holds no blank. A blank setting is allowed (the field is then not written).
std::optional<std::string> CheckAdifCallsign(std::string_view utf8, std::string_view what);

/// Why the job's ADIF 3.1 settings cannot be used, or nothing: with the option on, both call signs must pass
/// CheckAdifCallsign (a settings file edited by hand may hold anything).
std::optional<std::string> CheckAdifSettings(const JobSettings& settings);

/// How a run of the job writes its ADIF records.
AdifStyle AdifStyleOf(const JobSettings& settings, const ModeTable* modeTable);

} // namespace zentu

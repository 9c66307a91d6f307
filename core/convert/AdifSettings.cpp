#include "convert/AdifSettings.h"

#include "settings/JobSettings.h"
#include "text/TextHelpers.h"

namespace zentu {

bool WantsAdifV31(const JobSettings& settings) {
    return settings.adif_out == "1" && settings.adif_v31 == "1";
}

std::optional<std::string> CheckAdifCallsign(std::string_view utf8, std::string_view what) {
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ') {
            return std::string(what) + " に空白は入れられません。";
        }
        if (byte < 33 || byte > 126) {
            return std::string(what) + " には半角の英数字と記号だけが使えます（ADIF のフィールドは ASCII です）。";
        }
    }
    return std::nullopt;
}

std::optional<std::string> CheckAdifSettings(const JobSettings& settings) {
    if (!WantsAdifV31(settings)) {
        return std::nullopt;
    }
    for (const auto& [value, what] : {std::pair{&settings.station_callsign, kStationCallsignWhat},
                                      std::pair{&settings.operator_callsign, kOperatorWhat}}) {
        if (auto problem = CheckAdifCallsign(*value, what)) {
            return "ADIF 3.1 準拠の設定が正しくありません。" + *problem;
        }
    }
    return std::nullopt;
}

AdifStyle AdifStyleOf(const JobSettings& settings, const ModeTable* modeTable) {
    AdifStyle style;
    style.modeTable = modeTable;
    style.v31 = WantsAdifV31(settings);
    if (style.v31) {
        // Checked before the run (CheckAdifSettings): ASCII, so the UTF-8 text is the bytes written.
        style.stationCallsign = settings.station_callsign;
        style.operatorCallsign = settings.operator_callsign;
    }
    return style;
}

} // namespace zentu

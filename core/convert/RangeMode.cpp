#include "convert/RangeMode.h"

#include <array>
#include <cstddef>

namespace zentu {

std::optional<RangeMode> RangeModeFromFlag(std::string_view select_flag) {
    static constexpr std::array<RangeMode, 5> kModes = {RangeMode::All, RangeMode::DateRange, RangeMode::RecordNumbers,
                                                        RangeMode::LastN, RangeMode::NewAdditions};
    if (select_flag.size() != 1 || select_flag[0] < '0' || select_flag[0] > '4') {
        return std::nullopt;
    }
    return kModes[static_cast<std::size_t>(select_flag[0] - '0')];
}

std::string_view FlagOfRangeMode(RangeMode mode) {
    static constexpr std::array<std::string_view, 5> kFlags = {"0", "1", "2", "3", "4"};
    return kFlags[static_cast<std::size_t>(mode)];
}

TimeBase TimeBaseFromSetting(std::string_view set_date_time_UJ) {
    if (set_date_time_UJ == "UTC") {
        return TimeBase::Utc;
    }
    return set_date_time_UJ == "JST" ? TimeBase::Jst : TimeBase::DateOnly;
}

std::string_view SettingOfTimeBase(TimeBase base) {
    static constexpr std::array<std::string_view, 3> kSettings = {"UTC", "JST", "NON"};
    return kSettings[static_cast<std::size_t>(base)];
}

} // namespace zentu

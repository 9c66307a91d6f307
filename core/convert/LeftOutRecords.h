#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentu {

/// Why a record was left out of the ADIF file. A record may have several reasons: they are bits of one number.
/// Without the ADIF 3.1 option only an invalid date-time leaves a record out.
enum class LeftOutReason : std::uint16_t {
    InvalidDateTime = 1 << 0, ///< the date or the time is no real date-time (also: cannot be compared in a date range)
    NoCall = 1 << 1,          ///< no call sign
    NonAsciiCall = 1 << 2,    ///< the call sign holds a character ADIF's ASCII fields cannot (full-width, kana ...)
    NoMode = 1 << 3,          ///< no mode
    NonAsciiMode = 1 << 4,    ///< the mode holds a character that is not ASCII
    UnknownMode = 1 << 5,     ///< the mode is neither a mode nor a submode of ADIF
    NoFrequency = 1 << 6,     ///< no frequency, or one that is not a number
    NonAsciiRstSent = 1 << 7, ///< the report sent holds a character that is not ASCII
    NonAsciiRstRcvd = 1 << 8, ///< the report received holds a character that is not ASCII
};
/// The bits of LeftOutReason a record was left out for (0: it was written).
using LeftOutReasons = std::uint16_t;
inline constexpr std::size_t kLeftOutReasonCount = 9;

inline constexpr LeftOutReasons Bit(LeftOutReason reason) {
    return static_cast<LeftOutReasons>(reason);
}

/// The reason of bit number `index` (0 to kLeftOutReasonCount - 1).
inline constexpr LeftOutReason LeftOutReasonAt(std::size_t index) {
    return static_cast<LeftOutReason>(1u << index);
}

/// What the user is told for a reason, in Japanese ("コールサインがない").
std::string_view LeftOutReasonText(LeftOutReason reason);
/// A short name of a reason for machine-read reports ("no_call").
std::string_view LeftOutReasonCode(LeftOutReason reason);

/// One record left out, with its record number and its reasons.
struct LeftOutRecord {
    std::int64_t number = 0;
    LeftOutReasons reasons = 0;
    bool operator==(const LeftOutRecord&) const = default;
};

/// Records a run left out of a file: how many, the numbers of the first few (in the order read), every record with
/// its reasons, and how many were left out for each reason.
struct LeftOutRecords {
    static constexpr std::size_t kNumbersKept = 5;
    std::int64_t count = 0;
    std::vector<std::int64_t> firstNumbers;
    std::vector<LeftOutRecord> records;
    std::array<std::int64_t, kLeftOutReasonCount> byReason{};

    void add(std::int64_t number, LeftOutReasons reasons = Bit(LeftOutReason::InvalidDateTime));
    /// Adds records left out after these (in the order read).
    void merge(const LeftOutRecords& later);
    /// Whether every record was left out for its date-time alone.
    bool onlyForDateTime() const;
};

} // namespace zentu

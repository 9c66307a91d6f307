#pragma once

#include "codec/Cp932.h"

#include <string>
#include <string_view>

namespace zentu {

/// Outcome of a conversion between UTF-8 and CP932.
using CodecResult = codec::Converted;

/// Converts between the program's inner text (UTF-8) and the files' code page (CP932, Shift_JIS as
/// Windows uses it): the core's names for the shared codec (codec/Cp932.h). Text that cannot be converted
/// is reported, never dropped or replaced silently.
class Cp932Codec {
public:
    /// UTF-8 to CP932. Fails on invalid UTF-8 and on characters CP932 does not have.
    static CodecResult encode(std::string_view utf8) { return codec::Utf8ToCp932(utf8); }
    /// CP932 to UTF-8. Fails on byte sequences that are not CP932.
    static CodecResult decode(std::string_view cp932) { return codec::Cp932ToUtf8(cp932); }
    /// CP932 to UTF-8 for showing and comparing: never fails; each byte that is not CP932 becomes U+FFFD.
    static std::string decodeLossy(std::string_view cp932) { return codec::Cp932ToUtf8Lossy(cp932); }
    /// UTF-8 to CP932 where a failure is not acceptable to the caller but must not lose the text's length
    /// in bytes: each character CP932 lacks becomes "?".
    static std::string encodeLossy(std::string_view utf8) { return codec::Utf8ToCp932Lossy(utf8); }
    /// True when every byte is below 0x80 (then CP932 and UTF-8 agree and no conversion is needed).
    static bool isAscii(std::string_view bytes) { return codec::IsAscii(bytes); }
};

} // namespace zentu

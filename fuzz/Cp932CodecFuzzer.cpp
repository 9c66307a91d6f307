// The CP932 codec over any bytes, with the promises its callers rely on.

#include "FuzzSupport.h"

#include "codec/Cp932.h"

#include <string>

using namespace zentu::codec;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = zentu::fuzz::Bytes(data, size);
    const bool validUtf8 = IsValidUtf8(bytes);
    if (IsAscii(bytes)) {
        FUZZ_CHECK(validUtf8);
        FUZZ_CHECK(Cp932ToUtf8(bytes).text == bytes);
    }

    // Read as CP932.
    const Converted decoded = Cp932ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(decoded.text));
    FUZZ_CHECK(decoded.ok || decoded.failedAt < size);
    if (decoded.ok) {
        FUZZ_CHECK(Utf8ToCp932(decoded.text).ok); // every CP932 character has a way back
    }
    FUZZ_CHECK(IsValidUtf8(Cp932ToUtf8Lossy(bytes)));

    // Read as UTF-8.
    const Converted encoded = Utf8ToCp932(bytes);
    FUZZ_CHECK(encoded.ok || encoded.failedAt < size);
    FUZZ_CHECK(!encoded.ok || validUtf8);
    if (encoded.ok) {
        FUZZ_CHECK(Cp932ToUtf8(encoded.text).ok);
    }
    const std::string lossy = Utf8ToCp932Lossy(bytes);
    FUZZ_CHECK(Cp932ToUtf8(lossy).ok);
    return 0;
}

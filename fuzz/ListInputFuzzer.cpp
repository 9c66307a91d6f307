// The list-input reader over any bytes: reads every field, and checks that it ends.

#include "FuzzSupport.h"

#include "text/ListInputReader.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zentu::ListInputReader reader(zentu::fuzz::Bytes(data, size));
    std::string field;
    std::size_t fields = 0;
    for (;;) {
        const bool atEnd = reader.atEnd();
        if (!reader.next(field)) {
            FUZZ_CHECK(field.empty());
            break;
        }
        FUZZ_CHECK(!atEnd); // atEnd() promised that no field could be read
        FUZZ_CHECK(field.size() <= size);
        // Every field but a last empty one after a comma takes at least one byte of the input.
        FUZZ_CHECK(++fields <= size + 1);
    }
    return 0;
}

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentu {

/// Reads comma-separated fields the way a list-input statement does, over bytes (CP932 or ASCII):
/// leading blanks are skipped; a field that starts with a double quote runs to the next double quote
/// (the quotes are removed, and anything up to the next comma or line end after it is dropped);
/// an unquoted field runs to the next comma or line end, with the blanks around it dropped.
/// CR LF, LF and CR all end a line. The reader does not own the bytes: keep them alive while reading.
class ListInputReader {
public:
    explicit ListInputReader(std::string_view bytes);

    /// Reads the next field into `field`. Returns false (and leaves `field` empty) when the input is
    /// exhausted. After a successful read, endedLine() tells whether the field ended its line
    /// (at a line end or at the end of the input) rather than at a comma.
    bool next(std::string& field);

    /// Whether the field read last was the last one of its line.
    bool endedLine() const { return m_endedLine; }

    /// True when nothing but blanks and line ends remains, so no further field can be read.
    bool atEnd() const;

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    bool m_endedLine = false;
};

} // namespace zentu

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentu {

/// Reads comma-separated fields the way a list-input statement does, over bytes (CP932 or ASCII):
/// leading blanks are skipped; a field that starts with a double quote runs to the next double quote
/// (the quotes are removed, and anything up to the next comma or line end after it is dropped);
/// an unquoted field runs to the next comma or line end, with the blanks around it dropped.
/// CR LF, LF and CR all end a line. A line with nothing on it gives one empty field; line ends at the end of
/// the input give none. A comma always promises one more field, so "a," reads as "a" and an empty field.
/// A quoted field may span line ends; one whose closing quote is missing stops at the end of its line.
/// The reader does not own the bytes: keep them alive while reading.
class ListInputReader {
public:
    explicit ListInputReader(std::string_view bytes);

    /// Reads the next field into `field`. Returns false (and leaves `field` empty) when the input is
    /// exhausted. After a successful read, endedLine() tells whether the field ended its line
    /// (at a line end or at the end of the input) rather than at a comma.
    bool next(std::string& field);

    /// Whether the field read last was the last one of its line.
    bool endedLine() const { return m_endedLine; }

    /// True when no further field can be read: nothing but blanks and line ends remains, and the field read
    /// last did not end at a comma.
    bool atEnd() const;

private:
    void skipLineEnd();
    void finishField();

    std::string_view m_bytes;
    std::size_t m_pos = 0;
    bool m_endedLine = false;
    bool m_afterComma = false;
};

} // namespace zentu

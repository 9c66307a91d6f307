#pragma once

#include <cstddef>
#include <string_view>

namespace zentu {

/// Walks the lines of a text held in memory, as a line-by-line read of a text file sees them: a line ends at
/// CR LF, at LF or at a lone CR; the last line needs no line end; a line end at the very end of the text does not
/// start one more, empty line. An empty text has no lines. Works on bytes (CP932 or UTF-8: no byte of a
/// double-byte character is CR or LF). The reader does not own the bytes.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}

    /// The next line without its line end, or false at the end of the text.
    bool next(std::string_view& line);

    /// Offset of the first byte after the line read last and its line end.
    std::size_t position() const { return m_pos; }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

} // namespace zentu

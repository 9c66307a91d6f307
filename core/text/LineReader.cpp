#include "text/LineReader.h"

#include <cstring>

namespace zentu {

bool LineReader::next(std::string_view& line) {
    if (m_pos >= m_bytes.size()) {
        return false;
    }
    const char* begin = m_bytes.data() + m_pos;
    const std::size_t left = m_bytes.size() - m_pos;
    // Most lines end in LF: look for it with memchr, then for a lone CR within the line found.
    const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', left));
    const std::size_t upToLf = lf != nullptr ? static_cast<std::size_t>(lf - begin) : left;
    const auto* cr = static_cast<const char*>(std::memchr(begin, '\r', upToLf));
    std::size_t length = upToLf;
    std::size_t ending = lf != nullptr ? 1 : 0;
    if (cr != nullptr) {
        length = static_cast<std::size_t>(cr - begin);
        ending = length + 1 < left && begin[length + 1] == '\n' ? 2 : 1;
    }
    line = std::string_view(begin, length);
    m_pos += length + ending;
    return true;
}

} // namespace zentu

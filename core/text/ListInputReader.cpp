#include "text/ListInputReader.h"

#include "text/TextHelpers.h"

namespace zentu {

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

// Every byte this reader looks for (comma, double quote, blank, CR, LF) lies below 0x40, and no trail byte of
// a CP932 double-byte character does, so a plain byte scan never splits a character.

ListInputReader::ListInputReader(std::string_view bytes) : m_bytes(bytes) {}

bool ListInputReader::atEnd() const {
    if (m_afterComma) {
        return false; // a comma promises one more field, even an empty one at the very end
    }
    for (std::size_t pos = m_pos; pos < m_bytes.size(); ++pos) {
        if (!IsBlankChar(m_bytes[pos]) && !isLineEnd(m_bytes[pos])) {
            return false;
        }
    }
    return true;
}

void ListInputReader::skipLineEnd() {
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\r') {
        ++m_pos;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') {
            ++m_pos;
        }
    } else if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n') {
        ++m_pos;
    }
}

void ListInputReader::finishField() {
    // Past the field's end: a comma continues the line, a line end (or the end of the input) closes it.
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == ',') {
        ++m_pos;
        m_endedLine = false;
        m_afterComma = true;
        return;
    }
    skipLineEnd();
    m_endedLine = true;
    m_afterComma = false;
}

bool ListInputReader::next(std::string& field) {
    field.clear();
    if (atEnd()) {
        m_endedLine = true;
        return false;
    }
    while (m_pos < m_bytes.size() && IsBlankChar(m_bytes[m_pos])) {
        ++m_pos;
    }

    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '"') {
        // Quoted: the text up to the closing quote, even across line ends. Without a closing quote the field
        // stops at the end of its line, so one stray quote cannot swallow the rest of the file.
        const std::size_t open = m_pos + 1;
        std::size_t close = m_bytes.find('"', open);
        if (close == std::string_view::npos) {
            close = open;
            while (close < m_bytes.size() && !isLineEnd(m_bytes[close])) {
                ++close;
            }
            field.assign(m_bytes.substr(open, close - open));
            m_pos = close;
        } else {
            field.assign(m_bytes.substr(open, close - open));
            m_pos = close + 1;
            // Whatever follows the closing quote up to the comma or line end is dropped.
            while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) {
                ++m_pos;
            }
        }
        finishField();
        return true;
    }

    const std::size_t begin = m_pos;
    while (m_pos < m_bytes.size() && m_bytes[m_pos] != ',' && !isLineEnd(m_bytes[m_pos])) {
        ++m_pos;
    }
    std::size_t end = m_pos;
    while (end > begin && IsBlankChar(m_bytes[end - 1])) {
        --end;
    }
    field.assign(m_bytes.substr(begin, end - begin));
    finishField();
    return true;
}

} // namespace zentu

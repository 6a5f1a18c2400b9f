#include "table/reading_lines.h"

#include "text/decimal_text.h"

namespace ornavel {

bool ReadingLines::feed(std::string_view chunk, const Sink &sink)
{
    if (!m_started && !chunk.empty()) {
        m_started = true;
        if (chunk.starts_with("\xFF\xFE") || chunk.starts_with("\xFE\xFF"))
            m_utf16 = true;
        else if (chunk.starts_with("\xEF\xBB\xBF"))
            chunk.remove_prefix(3);
    }
    for (const char c : chunk) {
        if (m_utf16)
            return false;
        const bool afterCr = m_afterCr;
        m_afterCr = c == '\r';
        if (c == '\n' && afterCr)
            continue; // the second half of CRLF
        if (c == '\n' || c == '\r') {
            endLine(sink);
            continue;
        }
        // ASCII text in UTF-16 has a NUL beside every character.
        if (c == '\0' && m_number == 0)
            m_utf16 = true;
        m_any = true;
        add(c);
    }
    return !m_utf16;
}

void ReadingLines::finish(const Sink &sink)
{
    if (m_any && !m_utf16)
        endLine(sink);
}

void ReadingLines::add(char c)
{
    const bool leading = m_line.empty() || m_line == "-" || m_line == "+";
    if (isBlank(c)) {
        m_blank = m_blank || !m_line.empty() || m_zeros;
        return;
    }
    if (c == '0' && leading && !m_blank) {
        m_zeros = true;
        return;
    }
    // Zeros before a nonzero digit change nothing; before anything else, one stands for them.
    if (m_zeros && !(c >= '1' && c <= '9' && !m_blank))
        append('0');
    m_zeros = false;
    if (m_blank)
        append(' ');
    m_blank = false;
    append(c);
}

void ReadingLines::append(char c)
{
    if (m_line.size() < readingLineLimit) {
        m_line.push_back(c);
        return;
    }
    const bool fraction
        = m_line.find('.') != std::string::npos && m_line.find_first_of("eE") == std::string::npos;
    if (fraction && m_tail.empty() && isDigit(c))
        m_sticky = m_sticky || c != '0';
    else if (fraction && m_tail.size() < maxTail)
        m_tail.push_back(c); // an exponent after the digits
    else
        m_tooLong = true;
}

void ReadingLines::endLine(const Sink &sink)
{
    if (m_zeros)
        append('0');
    if (m_sticky)
        m_line.push_back('1');
    m_line += m_tail;
    ReadingLine line;
    line.number = ++m_number;
    line.text = m_line;
    line.tooLong = m_tooLong;
    sink(line);
    m_line.clear();
    m_tail.clear();
    m_zeros = m_blank = m_tooLong = m_sticky = m_any = false;
}

} // namespace ornavel

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ornavel {

// One line of a file of readings, as the table reads it.
struct ReadingLine {
    std::int64_t number = 0; // from 1
    // The line without blanks around it and without leading zeros ("0" where it was all
    // zeros); empty for a blank line. Blanks inside shrink to one.
    std::string_view text;
    bool tooLong = false; // longer than readingLineLimit without its blanks and leading zeros
};

// Enough for the 768 significant digits that can decide a double, after the zeros of the
// smallest.
inline constexpr std::size_t readingLineLimit = 2048;

// Splits bytes into lines of readings, in memory bounded whatever the input: LF, CRLF and a
// lone CR each end a line; a UTF-8 byte-order mark at the start is skipped. Blanks and leading
// zeros never count toward the limit; past it, more digits of a fraction cannot change the
// double, so they are kept as one sticky digit, and anything else that long is tooLong.
// UTF-16 text (a byte-order mark, or a NUL byte in the first line) is refused as a whole.
class ReadingLines
{
public:
    using Sink = std::function<void(const ReadingLine &)>;

    // Gives each line that ends in chunk to sink; false, from then on, once the input shows
    // itself as UTF-16.
    bool feed(std::string_view chunk, const Sink &sink);
    // The last line, where the input does not end with a line end.
    void finish(const Sink &sink);
    bool isUtf16() const { return m_utf16; }

private:
    void add(char c);
    void append(char c);
    void endLine(const Sink &sink);

    static constexpr std::size_t maxTail = 64;
    std::int64_t m_number = 0;
    bool m_started = false, m_utf16 = false, m_afterCr = false;
    // The line so far: zeros skipped at its start, a blank waiting for a non-blank after it.
    bool m_zeros = false, m_blank = false, m_tooLong = false, m_sticky = false, m_any = false;
    std::string m_line, m_tail;
};

} // namespace ornavel

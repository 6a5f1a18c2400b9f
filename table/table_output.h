#pragma once

#include "decision/result_row.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace ornavel {

// A buffered stream of bytes to a file. A failed write ends the output; failed() tells.
class TableOutput
{
public:
    explicit TableOutput(std::FILE *file) : m_file(file) {}
    ~TableOutput() { flush(); }
    TableOutput(const TableOutput &) = delete;
    TableOutput &operator=(const TableOutput &) = delete;

    // Inline, and through a local pointer: cells are a few bytes, and a store through the
    // buffer could otherwise alias the size on every byte.
    void put(std::string_view bytes)
    {
        if (capacity - m_size < bytes.size())
            return putLong(bytes);
        char *p = m_buffer + m_size;
        for (char c : bytes)
            *p++ = c;
        m_size = std::size_t(p - m_buffer);
    }
    // A cell is moved as its whole fixed-size block, one move instead of a loop of unknown
    // length, and the output advances by its text alone.
    void put(const Cell &cell)
    {
        if (capacity - m_size < sizeof cell.text)
            flush();
        std::memcpy(m_buffer + m_size, cell.text, sizeof cell.text);
        m_size += cell.size;
    }
    void put(char c)
    {
        if (m_size == capacity)
            flush();
        m_buffer[m_size++] = c;
    }
    void flush();
    bool failed() const { return m_failed; }
    // The errno of the write or flush that failed, kept before later calls change errno.
    int error() const { return m_error; }

private:
    void putLong(std::string_view bytes);
    void fail();
    static constexpr std::size_t capacity = 1 << 16;
    std::FILE *m_file;
    std::size_t m_size = 0;
    bool m_failed = false;
    int m_error = 0;
    char m_buffer[capacity];
};

} // namespace ornavel

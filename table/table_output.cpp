#include "table/table_output.h"

#include <cerrno>

namespace ornavel {

void TableOutput::putLong(std::string_view bytes)
{
    flush();
    if (bytes.size() > capacity) {
        if (!m_failed && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            fail();
        return;
    }
    std::memcpy(m_buffer, bytes.data(), bytes.size());
    m_size = bytes.size();
}

void TableOutput::flush()
{
    if (m_size > 0 && !m_failed && std::fwrite(m_buffer, 1, m_size, m_file) != m_size)
        fail();
    m_size = 0;
    if (!m_failed && std::fflush(m_file) != 0)
        fail();
}

void TableOutput::fail()
{
    m_failed = true;
    m_error = errno;
}

} // namespace ornavel

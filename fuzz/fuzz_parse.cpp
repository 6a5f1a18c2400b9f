// The lenient parse on any text: no crash, no undefined behaviour, never NaN, and blanks
// never change the value. The same text as the table reads it: as a whole number it is the
// window's reading; as a range it is refused with a message or steps through real values;
// as standard input every line gives a row, with values or a message, and every bad line a
// message of its own.
#include "cli/table_command.h"
#include "table/table.h"
#include "table/table_values.h"
#include "text/number_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void checkTable(const std::uint8_t *data, std::size_t size)
{
    int pipeEnds[2];
    if (size > 60000 || pipe(pipeEnds) != 0)
        return;
    if (write(pipeEnds[1], data, size) != ssize_t(size))
        __builtin_trap();
    close(pipeEnds[1]);
    char *out = nullptr, *err = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE *outFile = open_memstream(&out, &outSize);
    std::FILE *errFile = open_memstream(&err, &errSize);
    const int status = ornavel::runTable({"Po2/P1", "-", "--format", "tsv"}, pipeEnds[0], outFile, errFile);
    close(pipeEnds[0]);
    std::fclose(outFile);
    std::fclose(errFile);

    std::string_view rows(out, outSize);
    rows.remove_prefix(rows.find('\n') + 1); // the header
    std::size_t badRows = 0;
    for (std::size_t end; (end = rows.find('\n')) != std::string_view::npos; rows.remove_prefix(end + 1)) {
        const std::string_view row = rows.substr(0, end);
        const std::string_view note = row.substr(row.rfind('\t') + 1);
        badRows += note == "not a number";
        // A row without a note holds all seven values.
        if (note.empty() && row.find("\t\t") != std::string_view::npos)
            __builtin_trap();
    }
    std::size_t messages = 0;
    for (std::size_t i = 0; i < errSize; ++i)
        messages += err[i] == '\n';
    // A NUL in the first line reads as UTF-16: one message, no row, refused as a whole.
    const bool utf16 = std::string_view(err, errSize).find("UTF-16") != std::string_view::npos;
    if (utf16 ? messages != 1 || badRows != 0 || status != 1
              : messages != badRows || status != (badRows ? 1 : 0))
        __builtin_trap();
    std::free(out);
    std::free(err);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double value = ornavel::parseNumber(text);
    if (std::isnan(value))
        __builtin_trap();

    QString compact = text;
    compact.remove(QLatin1Char(' '));
    const double again = ornavel::parseNumber(compact);
    if (std::memcmp(&value, &again, sizeof value) != 0)
        __builtin_trap();

    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    if (const auto whole = ornavel::wholeNumber(bytes)) {
        if (std::memcmp(&*whole, &value, sizeof value) != 0)
            __builtin_trap();
    }
    std::string error;
    const auto range = ornavel::DecimalRange::parse(bytes, 1000, error);
    if (error.empty() == (range.count() == 0))
        __builtin_trap();
    for (std::int64_t i = 0; i < range.count(); ++i) {
        if (std::isnan(range.at(i)))
            __builtin_trap();
    }
    checkTable(data, size);
    return 0;
}

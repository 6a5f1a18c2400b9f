#include "cli/table.h"

#include "cli/table_format.h"
#include "cli/table_values.h"
#include "decision/calculate.h"
#include "decision/result_row.h"
#include "text/decimal_text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <unistd.h>

namespace ornavel {

const char *const tableHelp = R"(Usage: ornavel table QUANTITY VALUE... [--format FORMAT] [--digits 15]
Writes the window's results for each value, one row each: M1, P2/P1, ρ2/ρ1, T2/T1,
Po2/Po1, Po2/P1, M2 and a note, with "." as the decimal point.

QUANTITY  the known quantity: M1, M2, Po2/P1, or a measured ratio P2/P1, rho2/rho1
          (or ρ2/ρ1), T2/T1, Po2/Po1; without the slash too, in any letter case. The
          input cell is the number as read; from a ratio, M1 is its exact inverse.
VALUE     a number; a range FROM:TO:STEP, decimal-exact and including TO where a step
          lands on it (a negative step counts down); or - for standard input, one value
          a line. A refused value has empty cells and the window's message as its note;
          an unsettled pitot iteration is noted "not converged in 50 iterations", a row
          whose M1 is below 1 "subsonic: no shock forms".
--format  text (aligned columns, the default), csv, tsv, html, markdown or latex.
--digits  15: 15 significant digits instead of 5 decimals.

Examples:
  ornavel table M1 1:3:0.5 --format markdown
  ornavel table Po2/P1 - --format csv < readings.txt
  ornavel table P2/P1 4.5 10.33333
  ornavel table rho2/rho1 1.5:5.5:1
  ornavel table T2/T1 1.6875 --digits 15
  ornavel table Po2/Po1 0.72087 --format csv
)";

namespace {

struct Value {
    enum class Kind { Number, Range, StandardInput } kind;
    double number = 0;
    DecimalRange range {};
};

std::optional<Quantity> quantityNamed(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    // Without the slash too; tolower leaves the bytes of "ρ" alone.
    std::erase(lower, '/');
    constexpr std::pair<std::string_view, Quantity> names[] = {
        {"m1", Quantity::M1},     {"m2", Quantity::M2},           {"po2p1", Quantity::Po2P1},
        {"p2p1", Quantity::P2P1}, {"rho2rho1", Quantity::Ro2Ro1}, {"ρ2ρ1", Quantity::Ro2Ro1},
        {"t2t1", Quantity::T2T1}, {"po2po1", Quantity::Po2Po1},
    };
    for (const auto &[known, quantity] : names) {
        if (lower == known)
            return quantity;
    }
    return std::nullopt;
}

// Lines of a file descriptor in a fixed buffer. Before it waits for more input it flushes
// the output, so that rows for lines already read are never held back.
class LineReader
{
public:
    LineReader(int fd, TableOutput &out) : m_fd(fd), m_out(out) {}

    // The next line without its end, or nothing at the end of input or after a failed read.
    std::optional<std::string_view> next()
    {
        m_line.clear();
        m_tooLong = false;
        m_sticky = false;
        bool any = false;
        for (;;) {
            if (m_pos == m_size && !fill())
                return any ? std::optional(finished()) : std::nullopt;
            any = true;
            const char *start = m_buffer + m_pos;
            const auto *newline = static_cast<const char *>(std::memchr(start, '\n', m_size - m_pos));
            const std::size_t length = std::size_t((newline ? newline : m_buffer + m_size) - start);
            append(start, length);
            m_pos += length;
            if (newline) {
                ++m_pos;
                return finished();
            }
        }
    }
    bool tooLong() const { return m_tooLong; }
    // The errno of a failed read, or 0.
    int readError() const { return m_error; }

private:
    // Enough for the 768 significant digits that can decide a double, after the zeros of
    // the smallest.
    static constexpr std::size_t maxLine = 2048;
    static constexpr std::size_t maxTail = 64;

    // Memory stays bounded whatever the input. Past maxLine, more digits of a fraction
    // cannot change the double: zeros are dropped and any other digit is kept as one
    // nonzero digit at the end, which rounds as they would. Anything else that long is no
    // number.
    void append(const char *start, std::size_t length)
    {
        const std::size_t room = maxLine - std::min(maxLine, m_line.size());
        m_line.append(start, std::min(length, room));
        if (length <= room)
            return;
        const bool fraction
            = m_line.find('.') != std::string::npos && m_line.find_first_of("eE") == std::string::npos;
        for (std::size_t i = room; i < length && !m_tooLong; ++i) {
            const char c = start[i];
            if (fraction && m_tail.empty() && isDigit(c))
                m_sticky = m_sticky || c != '0';
            else if (fraction && m_tail.size() < maxTail)
                m_tail.push_back(c); // an exponent or blanks after the digits
            else
                m_tooLong = true;
        }
    }
    std::string_view finished()
    {
        if (m_sticky)
            m_line.push_back('1');
        m_line += m_tail;
        m_tail.clear();
        return m_line;
    }

    bool fill()
    {
        m_out.flush();
        ssize_t got;
        do
            got = ::read(m_fd, m_buffer, sizeof m_buffer);
        while (got < 0 && errno == EINTR);
        if (got < 0)
            m_error = errno;
        m_pos = 0;
        m_size = got > 0 ? std::size_t(got) : 0;
        return m_size > 0;
    }

    int m_fd;
    TableOutput &m_out;
    char m_buffer[1 << 16];
    std::size_t m_pos = 0, m_size = 0;
    bool m_tooLong = false, m_sticky = false;
    int m_error = 0;
    std::string m_line, m_tail;
};

int usageError(std::FILE *err, const std::string &message)
{
    std::fprintf(err, "ornavel table: %s\n", message.c_str());
    std::fprintf(err, "Usage: ornavel %s (see ornavel table --help)\n", tableSynopsis);
    return 2;
}

// What the command line asks for, or the first thing wrong with it.
struct TableCall {
    std::optional<Quantity> quantity;
    TableFormat format = TableFormat::Text;
    Digits digits = Digits::Result;
    std::vector<Value> values;
    std::string error;
};

// --format or --digits with its value, given after "=" or as the next argument.
void readOption(TableCall &call, std::string_view option, std::string_view value)
{
    if (option == "--format") {
        const auto named = tableFormat(value);
        if (!named)
            call.error
                = "unknown format '" + std::string(value) + "' (text, csv, tsv, html, markdown or latex)";
        call.format = named.value_or(TableFormat::Text);
    } else if (value == "15") {
        call.digits = Digits::Full;
    } else {
        call.error = "--digits takes 15, not '" + std::string(value) + "'";
    }
}

void readValue(TableCall &call, std::string_view argument)
{
    if (argument == "-") {
        // Standard input has one end: a second - would give no rows, silently.
        const bool again = std::any_of(call.values.begin(), call.values.end(),
                                       [](const Value &v) { return v.kind == Value::Kind::StandardInput; });
        if (again)
            call.error = "- (standard input) can be given once";
        call.values.push_back({Value::Kind::StandardInput});
    } else if (const auto word = readValueWord(argument, call.error)) {
        if (const auto *number = std::get_if<double>(&*word))
            call.values.push_back({Value::Kind::Number, *number});
        else
            call.values.push_back({Value::Kind::Range, 0, std::get<DecimalRange>(*word)});
    }
}

// Every argument is checked before anything is written, so that a bad call writes nothing.
TableCall readCall(const std::vector<std::string_view> &arguments, bool &help)
{
    TableCall call;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!optionsEnded && (argument == "--help" || argument == "-h")) {
            help = true;
            return call;
        }
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.substr(0, 2) == "--") {
            const auto equals = argument.find('=');
            const std::string_view option = argument.substr(0, equals);
            if (option != "--format" && option != "--digits") {
                call.error = "unknown option " + std::string(option);
            } else if (equals != std::string_view::npos) {
                readOption(call, option, argument.substr(equals + 1));
            } else if (i + 1 == arguments.size()) {
                call.error = std::string(option) + " needs a value";
            } else {
                readOption(call, option, arguments[++i]);
            }
        } else if (!call.quantity) {
            call.quantity = quantityNamed(argument);
            if (!call.quantity)
                call.error = "unknown quantity '" + std::string(argument)
                    + "' (M1, M2, Po2/P1, P2/P1, rho2/rho1, T2/T1 or Po2/Po1)";
        } else {
            readValue(call, argument);
        }
        if (!call.error.empty())
            return call;
    }
    if (!call.quantity)
        call.error = "no quantity and no value";
    else if (call.values.empty())
        call.error = "no value";
    return call;
}

// The row of one value, as the window would show it.
void writeValue(const TableCall &call, TableWriter &writer, TableOutput &output, double value)
{
    writer.row(output, resultRow(*call.quantity, calculate(*call.quantity, value), call.digits));
}

// Rows for the lines of standard input; a line that is no number is named on err and its
// row marked. Returns whether every line was a number and the input was read to its end.
bool writeLines(const TableCall &call, TableWriter &writer, TableOutput &output, int inputFd, std::FILE *err)
{
    bool allNumbers = true;
    std::int64_t lineNumber = 0;
    LineReader lines(inputFd, output);
    while (!output.failed()) {
        const auto line = lines.next();
        if (!line)
            break;
        ++lineNumber;
        if (std::ranges::all_of(*line, isBlank<char>))
            continue;
        if (const auto number = lines.tooLong() ? std::nullopt : wholeNumber(*line)) {
            writeValue(call, writer, output, *number);
            continue;
        }
        std::fprintf(err, "ornavel table: line %lld of standard input is not a number\n",
                     static_cast<long long>(lineNumber));
        writer.row(output, tableRow(*call.quantity, std::nullopt, call.digits));
        allNumbers = false;
    }
    // A read that failed is not the end of the input: the readings after it are lost.
    if (lines.readError() != 0) {
        std::fprintf(err, "ornavel table: cannot read standard input: %s\n",
                     std::strerror(lines.readError()));
        return false;
    }
    return allNumbers;
}

} // namespace

ResultRow tableRow(Quantity quantity, std::optional<double> value, Digits digits)
{
    if (value)
        return resultRow(quantity, calculate(quantity, *value), digits);
    ResultRow row;
    row.note = notANumberNote;
    return row;
}

bool writeTable(TableOutput &out, TableFormat format, Quantity quantity, Digits digits,
                const TableValues &values, const std::function<bool(std::int64_t)> &progress)
{
    const std::unique_ptr<TableWriter> writer = tableWriter(format);
    writer->begin(out, digits);
    // Asked every so many rows: often enough to cancel at once, rarely enough to cost nothing.
    constexpr std::int64_t progressRows = 1 << 14;
    for (std::int64_t i = 0; i < values.count() && !out.failed(); ++i) {
        if (i % progressRows == 0 && progress && !progress(i))
            return false;
        writer->row(out, tableRow(quantity, values.at(i), digits));
    }
    writer->end(out);
    out.flush();
    return true;
}

int writeHelp(const char *text, std::FILE *out, std::FILE *err, const char *program)
{
    // The errno of the failing call itself, before any other call can replace it.
    int error = std::fputs(text, out) < 0 ? errno : 0;
    if (std::fflush(out) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return 0;
    std::fprintf(err, "%s: cannot write to standard output: %s\n", program, std::strerror(error));
    return 1;
}

int runTable(const std::vector<std::string_view> &arguments, int inputFd, std::FILE *out, std::FILE *err)
{
    bool help = false;
    const TableCall call = readCall(arguments, help);
    if (help)
        return writeHelp(tableHelp, out, err, "ornavel table");
    if (!call.error.empty())
        return usageError(err, call.error);

    // A closed pipe ends the table at once and quietly, as it ends any Unix filter.
    std::signal(SIGPIPE, SIG_DFL);
    TableOutput output(out);
    const std::unique_ptr<TableWriter> writer = tableWriter(call.format);
    writer->begin(output, call.digits);
    bool allNumbers = true;
    for (const Value &value : call.values) {
        switch (value.kind) {
        case Value::Kind::Number:
            writeValue(call, *writer, output, value.number);
            break;
        case Value::Kind::Range:
            for (std::int64_t i = 0; i < value.range.count() && !output.failed(); ++i)
                writeValue(call, *writer, output, value.range.at(i));
            break;
        case Value::Kind::StandardInput:
            allNumbers = writeLines(call, *writer, output, inputFd, err) && allNumbers;
            break;
        }
    }
    writer->end(output);
    output.flush();
    if (output.failed()) {
        if (output.error() != EPIPE)
            std::fprintf(err, "ornavel table: cannot write the table: %s\n", std::strerror(output.error()));
        return 1;
    }
    return allNumbers ? 0 : 1;
}

} // namespace ornavel

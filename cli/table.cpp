#include "cli/table.h"

#include "cli/reading_lines.h"
#include "cli/table_format.h"
#include "cli/table_values.h"
#include "decision/calculate.h"
#include "decision/result_row.h"
#include "text/decimal_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
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
          a line. A refused value keeps its input and has the window's message as its
          note (a zero the quantity's own limit); an unsettled pitot iteration is noted
          "not converged in 50 iterations", a row whose M1 is below 1 "subsonic: no
          shock forms". From a ratio, the other cells are computed from the ratio itself,
          exact near the domain limit; beyond the normal doubles "Input is out of range".
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
    std::string_view number; // as typed
    DecimalRange range {};
};

std::optional<Quantity> quantityNamed(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    // tolower leaves the bytes of "ρ" alone.
    constexpr std::pair<std::string_view, Quantity> names[] = {
        {"m1", Quantity::M1},
        {"m2", Quantity::M2},
        {"po2/p1", Quantity::Po2P1},
        {"p2/p1", Quantity::P2P1},
        {"rho2/rho1", Quantity::Ro2Ro1},
        {"ρ2/ρ1", Quantity::Ro2Ro1},
        {"t2/t1", Quantity::T2T1},
        {"po2/po1", Quantity::Po2Po1},
    };
    for (const auto &[known, quantity] : names) {
        // As listed, or without its slash: nothing else ("p//2/P/1" is no name).
        std::string bare(known);
        std::erase(bare, '/');
        if (lower == known || lower == bare)
            return quantity;
    }
    return std::nullopt;
}

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
        call.values.push_back({Value::Kind::StandardInput, {}, {}});
    } else if (const auto word = readValueWord(argument, call.error)) {
        if (std::holds_alternative<double>(*word))
            call.values.push_back({Value::Kind::Number, argument});
        else
            call.values.push_back({Value::Kind::Range, {}, std::get<DecimalRange>(*word)});
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
// row marked. Before each read the output is flushed, so that rows for lines already read are
// never held back. Returns whether every line was a number and the input was read to its end.
bool writeLines(const TableCall &call, TableWriter &writer, TableOutput &output, int inputFd, std::FILE *err)
{
    bool allNumbers = true;
    std::string longNote;
    const auto writeLine = [&](const ReadingLine &line) {
        if (output.failed() || line.text.empty())
            return;
        if (const auto row = line.tooLong ? std::nullopt : typedRow(*call.quantity, line.text, call.digits)) {
            writer.row(output, *row);
            return;
        }
        allNumbers = false;
        ResultRow row = tableRow(*call.quantity, std::nullopt, call.digits);
        const long long number = line.number;
        if (line.tooLong) {
            longNote = "line " + std::to_string(number) + " is too long to read";
            row.note = longNote.c_str();
            std::fprintf(err, "ornavel table: line %lld of standard input is longer than %zu characters\n",
                         number, readingLineLimit);
        } else {
            std::fprintf(err, "ornavel table: line %lld of standard input is not a number\n", number);
        }
        writer.row(output, row);
    };
    ReadingLines lines;
    std::vector<char> buffer(1 << 16);
    int error = 0;
    while (!output.failed()) {
        output.flush();
        const ssize_t got = ::read(inputFd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error = errno;
        if (got <= 0 || !lines.feed({buffer.data(), std::size_t(got)}, writeLine))
            break;
    }
    if (lines.isUtf16()) {
        std::fprintf(err,
                     "ornavel table: standard input is UTF-16 text; save the readings as UTF-8 or ASCII\n");
        return false;
    }
    lines.finish(writeLine);
    // A read that failed is not the end of the input: the readings after it are lost.
    if (error != 0) {
        std::fprintf(err, "ornavel table: cannot read standard input: %s\n", std::strerror(error));
        return false;
    }
    return allNumbers;
}

// A decimal as the input cell of a value beyond the doubles: at most 16 of its digits, the cut
// marked by an ellipsis, and its exponent ("1E+999").
void writeBeyond(Cell &cell, const DecimalText &decimal)
{
    std::string text = decimal.negative ? "-" : "";
    text += decimal.digits.front();
    if (decimal.digits.size() > 1)
        text.append(".").append(decimal.digits, 1, 15);
    if (decimal.digits.size() > 16)
        text += "…";
    const long power = decimal.exponent + long(decimal.digits.size()) - 1;
    text += (power < 0 ? "E-" : "E+") + std::string(power > -10 && power < 10 ? "0" : "")
        + std::to_string(std::labs(power));
    cell.size = std::uint8_t(std::min(text.size(), sizeof cell.text));
    std::memcpy(cell.text, text.data(), cell.size);
}

} // namespace

std::optional<ResultRow> typedRow(Quantity quantity, std::string_view typed, Digits digits)
{
    const auto read = wholeDecimal(typed, Blanks::Around);
    if (!read)
        return std::nullopt;
    const DecimalText &decimal = *read;
    const double value = decimal.value();
    // A decimal beyond the doubles either way (1e999, 1e-999) is out of range, not an infinity
    // or a zero.
    if (!std::isinf(value) && (value != 0 || decimal.digits.empty()))
        return resultRow(quantity, calculate(quantity, value), digits);
    const double beyond = decimal.negative ? -HUGE_VAL : HUGE_VAL;
    ResultRow row = resultRow(quantity, calculate(quantity, beyond), digits);
    writeBeyond(row.cells[std::size_t(inputColumn(quantity))], decimal);
    return row;
}

ResultRow tableRow(Quantity quantity, const TableValues &values, std::int64_t row, Digits digits)
{
    const std::string_view typed = values.typed(row);
    return typed.empty() ? tableRow(quantity, values.at(row), digits) : *typedRow(quantity, typed, digits);
}

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
        writer->row(out, tableRow(quantity, values, i, digits));
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
            // Checked to be a number when the command line was read.
            writer->row(output, *typedRow(*call.quantity, value.number, call.digits));
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

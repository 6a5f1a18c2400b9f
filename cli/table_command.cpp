#include "cli/table_command.h"

#include "decision/gas.h"
#include "table/reading_lines.h"
#include "table/table.h"
#include "text/decimal_text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <unistd.h>

namespace ornavel {

namespace {

struct Value {
    enum class Kind { Number, Range, StandardInput } kind;
    std::string_view number; // as typed
    DecimalRange range {};
};

int usageError(std::FILE *err, const std::string &message)
{
    std::fprintf(err, "ornavel table: %s\n", message.c_str());
    std::fprintf(err, "Usage: ornavel %s (see ornavel table --help)\n", tableSynopsis);
    return 2;
}

// What the command line asks for, or the first thing wrong with it.
struct TableCall {
    TableSpec tableSpec;
    bool relationNamed = false;
    std::optional<int> quantity;
    std::optional<int> angle;
    std::vector<Value> angles; // the second list, for a relation of two inputs
    std::string_view branch;   // as given; empty: the relation's default
    TableFormat format = TableFormat::Text;
    std::vector<Value> values;
    std::string error;
};

constexpr std::string_view options[] = {"--format", "--digits", "--gamma", "--branch"};

// An option with its value, given after "=" or as the next argument.
void readOption(TableCall &call, std::string_view option, std::string_view value)
{
    if (option == "--format") {
        const auto named = tableFormat(value);
        if (!named)
            call.error
                = "unknown format '" + std::string(value) + "' (text, csv, tsv, html, markdown or latex)";
        call.format = named.value_or(TableFormat::Text);
    } else if (option == "--gamma") {
        const auto gas = readGamma(value);
        if (!gas)
            call.error = "--gamma takes " + gammaChoices() + ", not '" + std::string(value) + "'";
        else
            call.tableSpec.gas = *gas;
    } else if (option == "--branch") {
        call.branch = value;
    } else if (value == "15") {
        call.tableSpec.digits = Digits::Full;
    } else if (value == "17") {
        call.tableSpec.digits = Digits::Shortest;
    } else {
        call.error = "--digits takes 15 or 17, not '" + std::string(value) + "'";
    }
}

// The relation's quantities by their labels, and with spelled names where asked for:
// "ρ2/ρ1 (or rho2/rho1)".
std::string namesOf(std::span<const RelationQuantity> quantities, bool spelled)
{
    std::string list;
    for (std::size_t k = 0; k < quantities.size(); ++k) {
        const RelationQuantity &quantity = quantities[k];
        list += k == 0 ? "" : k + 1 == quantities.size() ? " or " : ", ";
        list += quantity.label;
        // A Greek label's Latin spelling, which every keyboard can type.
        const auto latin = [](std::string_view text) {
            return std::any_of(text.begin(), text.end(),
                               [](char c) { return std::isalpha((unsigned char)c); });
        };
        for (const char *name : quantity.names) {
            if (spelled && name && latin(name) && !latin(quantity.label))
                list += std::string(" (or ") + name + ")";
        }
    }
    return list;
}

std::string quantityList(const Relation &relation, bool spelled = false)
{
    return namesOf(relation.quantities, spelled);
}

std::string angleList(const Relation &relation, bool spelled = false)
{
    return namesOf(relation.angles, spelled);
}

// The branch as given, checked against the relation's, once both are known.
void readBranch(TableCall &call)
{
    const Relation &relation = *call.tableSpec.relation;
    if (call.branch.empty())
        return;
    if (relation.branches.empty()) {
        call.error = "--branch does not apply to " + std::string(relation.name);
        return;
    }
    std::string names;
    for (std::size_t k = 0; k < relation.branches.size(); ++k) {
        if (call.branch == relation.branches[k]) {
            call.tableSpec.branch = int(k);
            return;
        }
        names += std::string(k == 0 ? "" : " or ") + relation.branches[k];
    }
    call.error = "--branch takes " + names + ", not '" + std::string(call.branch) + "'";
}

bool readsStandardInput(const std::vector<Value> &list)
{
    return std::any_of(list.begin(), list.end(),
                       [](const Value &v) { return v.kind == Value::Kind::StandardInput; });
}

void readValue(TableCall &call, std::string_view argument)
{
    std::vector<Value> &list = call.angle ? call.angles : call.values;
    if (argument == "-") {
        // Standard input has one end: a second - would give no rows, silently.
        if (readsStandardInput(call.values) || readsStandardInput(call.angles))
            call.error = "- (standard input) can be given once";
        list.push_back({Value::Kind::StandardInput, {}, {}});
    } else if (const auto word = readValueWord(argument, call.error)) {
        if (std::holds_alternative<double>(*word))
            list.push_back({Value::Kind::Number, argument});
        else
            list.push_back({Value::Kind::Range, {}, std::get<DecimalRange>(*word)});
    }
}

// The rows of a list without standard input.
std::int64_t rowCount(const std::vector<Value> &list)
{
    std::int64_t count = 0;
    for (const Value &value : list)
        count += value.kind == Value::Kind::Range ? value.range.count() : 1;
    return count;
}

// What is missing or too much once every argument is read.
void checkLists(TableCall &call)
{
    const Relation &relation = *call.tableSpec.relation;
    if (!call.quantity) {
        call.error = "no quantity and no value";
    } else if (call.values.empty()) {
        call.error = "no value";
    } else if (!relation.angles.empty() && call.angles.empty()) {
        call.error
            = call.angle ? "no angle value" : "no angle: give " + angleList(relation, true) + " and values";
    } else if (!call.angles.empty()) {
        // A product of two lists is held to the limit of one.
        const std::int64_t values = rowCount(call.values), angles = rowCount(call.angles);
        const bool streamed = readsStandardInput(call.values) || readsStandardInput(call.angles);
        if (!streamed && values > maxRangeRows / angles)
            call.error = "the lists give " + std::to_string(values) + " × " + std::to_string(angles)
                + " rows, more than " + std::to_string(maxRangeRows);
    }
    if (call.error.empty())
        readBranch(call);
    call.tableSpec.quantity = call.quantity.value_or(0);
    call.tableSpec.angle = call.angle.value_or(0);
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
            if (std::find(std::begin(options), std::end(options), option) == std::end(options)) {
                call.error = "unknown option " + std::string(option);
            } else if (equals != std::string_view::npos) {
                readOption(call, option, argument.substr(equals + 1));
            } else if (i + 1 == arguments.size()) {
                call.error = std::string(option) + " needs a value";
            } else {
                readOption(call, option, arguments[++i]);
            }
        } else if (!call.quantity) {
            // The relation may be named first; without it, the normal shock.
            if (const Relation *relation = call.relationNamed ? nullptr : relationNamed(argument)) {
                call.tableSpec.relation = relation;
                call.relationNamed = true;
                continue;
            }
            call.quantity = quantityNamed(*call.tableSpec.relation, argument);
            if (!call.quantity)
                call.error = "unknown quantity '" + std::string(argument) + "' ("
                    + quantityList(*call.tableSpec.relation) + ")";
        } else if (const auto angle
                   = call.angle ? std::nullopt : angleNamed(*call.tableSpec.relation, argument)) {
            // The second list begins at its quantity's name.
            call.angle = angle;
        } else {
            readValue(call, argument);
        }
        if (!call.error.empty())
            return call;
    }
    checkLists(call);
    return call;
}

// The lines of standard input, each given to take, which says whether it was a number; one
// that is not is named on err. Before each read the output is flushed, so that rows for lines
// already read are never held back. Returns whether every line was a number and the input was
// read to its end.
bool readLines(TableOutput &output, int inputFd, std::FILE *err,
               const std::function<bool(const ReadingLine &)> &take)
{
    bool allNumbers = true;
    const auto takeLine = [&](const ReadingLine &line) {
        if (output.failed() || line.text.empty() || take(line))
            return;
        allNumbers = false;
        const long long number = line.number;
        if (line.tooLong)
            std::fprintf(err, "ornavel table: line %lld of standard input is longer than %zu characters\n",
                         number, readingLineLimit);
        else
            std::fprintf(err, "ornavel table: line %lld of standard input is not a number\n", number);
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
        if (got <= 0 || !lines.feed({buffer.data(), std::size_t(got)}, takeLine))
            break;
    }
    if (lines.isUtf16()) {
        std::fprintf(err,
                     "ornavel table: standard input is UTF-16 text; save the readings as UTF-8 or ASCII\n");
        return false;
    }
    lines.finish(takeLine);
    // A read that failed is not the end of the input: the readings after it are lost.
    if (error != 0) {
        std::fprintf(err, "ornavel table: cannot read standard input: %s\n", std::strerror(error));
        return false;
    }
    return allNumbers;
}

// The inputs of a list without standard input, in order: a number as typed, a range's values.
template<typename Take>
void forEachInput(const std::vector<Value> &list, const TableOutput &output, Take take)
{
    for (const Value &value : list) {
        if (value.kind == Value::Kind::Number)
            take(TableInput {std::nullopt, value.number});
        for (std::int64_t i = 0;
             value.kind == Value::Kind::Range && i < value.range.count() && !output.failed(); ++i)
            take(TableInput {value.range.at(i), {}});
    }
}

// Every row of the call. Without standard input the values are the outer loop; a list read
// from standard input is, so that each line read is written with every value of the other.
bool writeRows(const TableCall &call, const TableRows &rows, TableWriter &writer, TableOutput &output,
               int inputFd, std::FILE *err)
{
    const bool anglesOuter = readsStandardInput(call.angles);
    const std::vector<Value> &outer = anglesOuter ? call.angles : call.values;
    const std::vector<Value> *inner
        = rows.hasAngles() ? (anglesOuter ? &call.values : &call.angles) : nullptr;
    const auto write = [&](const TableInput &first, const TableInput &second) {
        writer.row(output, anglesOuter ? rows.row(second, first) : rows.row(first, second));
    };
    // The rows of one value of the outer list.
    const auto writeOuter = [&](const TableInput &input) {
        if (!inner)
            writer.row(output, rows.row(input));
        else
            forEachInput(*inner, output, [&](const TableInput &other) { write(input, other); });
    };
    std::string longNote;
    const auto takeLine = [&](const ReadingLine &line) {
        if (!inner) {
            if (const auto row = line.tooLong ? std::nullopt : rows.typedRow(line.text)) {
                writer.row(output, *row);
                return true;
            }
        } else if (!line.tooLong && wholeDecimal(line.text, Blanks::Around)) {
            writeOuter(TableInput {std::nullopt, line.text});
            return true;
        }
        // Rows that keep the line's place, noted.
        longNote = "line " + std::to_string(line.number) + " is too long to read";
        ResultRow row = rows.row(std::nullopt);
        if (line.tooLong)
            row.note = longNote.c_str();
        const std::int64_t count = inner ? rowCount(*inner) : 1;
        for (std::int64_t k = 0; k < count && !output.failed(); ++k)
            writer.row(output, row);
        return false;
    };
    bool allNumbers = true;
    for (const Value &value : outer) {
        switch (value.kind) {
        case Value::Kind::Number:
            // Checked to be a number when the command line was read.
            writeOuter(TableInput {std::nullopt, value.number});
            break;
        case Value::Kind::Range:
            for (std::int64_t i = 0; i < value.range.count() && !output.failed(); ++i)
                writeOuter(TableInput {value.range.at(i), {}});
            break;
        case Value::Kind::StandardInput:
            allNumbers = readLines(output, inputFd, err, takeLine) && allNumbers;
            break;
        }
    }
    return allNumbers;
}

// Words of text laid out in lines of at most 78 characters, each after indent.
std::string wrapped(const std::string &text, const std::string &indent)
{
    std::string out, line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        // Display width: UTF-8 continuation bytes take no column.
        const auto width = [](const std::string &s) {
            return std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xc0) != 0x80; });
        };
        if (!line.empty() && width(indent) + width(line) + 1 + width(word) > 78) {
            out += indent + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        at = end + 1;
    }
    return out + indent + line + "\n";
}

} // namespace

std::string tableHelp()
{
    const std::string indent(10, ' ');
    std::string help = wrapped(std::string("ornavel ") + tableSynopsis, "       ").replace(0, 7, "Usage: ")
        + "Writes a row for each value: the relation's columns and a note, with \".\" as the\n"
          "decimal point.\n\n";
    help += "RELATION  one of these (normal, the default, gives the window's results):\n";
    for (const Relation &relation : relations()) {
        std::string columns;
        for (const RelationColumn &column : relation.columns)
            columns += std::string(columns.empty() ? "" : ", ") + column.label;
        std::string text = std::string(relation.name) + ": " + relation.title + ". Columns " + columns
            + ". QUANTITY " + quantityList(relation, true) + ".";
        if (!relation.angles.empty())
            text += " Then the angles: " + angleList(relation, true) + " and their values.";
        if (!relation.branches.empty()) {
            text += " --branch";
            for (std::size_t k = 0; k < relation.branches.size(); ++k)
                text += std::string(k == 0 ? " " : " or ") + relation.branches[k];
            text += std::string(" (default ") + relation.branches[0] + ").";
        }
        help += wrapped(text + " " + relation.help, indent + "  ").replace(0, indent.size(), indent);
    }
    help += wrapped("the known quantity, by one of its names, without the slash too, in any letter case. The "
                    "input cell is the number as read.",
                    indent)
                .replace(0, indent.size(), "QUANTITY  ");
    help += R"(VALUE     a number; a range FROM:TO:STEP, decimal-exact and including TO where a step
          lands on it (a negative step counts down); or - for standard input, one value
          a line. A refused value keeps its input and has the refusal as its note.
)";
    std::string gasList;
    for (const Gas &gas : gases())
        gasList += std::string(gasList.empty() ? "" : ", ") + gas.name + " " + gas.shown;
    help += wrapped("the ratio of specific heats: a number greater than 1 and at most 3, or a gas (ideal, "
                    "at 300 K): "
                        + gasList + ". The default is air, 1.4; another gas is named on a first line.",
                    indent)
                .replace(0, indent.size(), "--gamma   ");
    help += R"(--format  text (aligned columns, the default), csv, tsv, html, markdown or latex.
--digits  15: 15 significant digits instead of 5 decimals; 17: every cell the shortest
          text that reads back as the same double, every bit of it.

Examples:
  ornavel table M1 1:3:0.5 --format markdown
  ornavel table M1 2 --gamma helium
  ornavel table Po2/P1 - --format csv < readings.txt
  ornavel table P2/P1 4.5 10.33333
  ornavel table rho2/rho1 1.5:5.5:1
  ornavel table T2/T1 1.6875 --digits 15
  ornavel table Po2/Po1 0.72087 --format csv
  ornavel table isentropic 'A/A*' 2 --branch subsonic
  ornavel table pitot Po2/P1 - < readings.txt
  ornavel table oblique M1 2 theta 10 --branch strong
  ornavel table expansion M1 2 theta 0:30:5
)";
    return help;
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
        return writeHelp(tableHelp().c_str(), out, err, "ornavel table");
    if (!call.error.empty())
        return usageError(err, call.error);

    // A closed pipe ends the table at once and quietly, as it ends any Unix filter.
    std::signal(SIGPIPE, SIG_DFL);
    TableOutput output(out);
    const std::unique_ptr<TableWriter> writer = tableWriter(call.format);
    const TableRows rows(call.tableSpec);
    writer->begin(output, call.tableSpec);
    const bool allNumbers = writeRows(call, rows, *writer, output, inputFd, err);
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

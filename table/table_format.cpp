#include "table/table_format.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

namespace ornavel {

namespace {

std::string_view noteOf(const ResultRow &row)
{
    return row.note;
}

// All the header's labels, the relation's columns and the note.
template<typename Put>
void forEachLabel(const TableSpec &tableSpec, Put put)
{
    for (const RelationColumn &column : tableSpec.relation->columns)
        put(std::string_view(column.label));
    put(std::string_view(noteLabel));
}

// Air's tables name no gas, as they always have; any other gas is named in a caption.
bool namesGas(const TableSpec &tableSpec)
{
    return tableSpec.gas.gamma != 1.4;
}

std::string gasCaption(const TableSpec &tableSpec)
{
    return std::string(tableSpec.relation->title)
        + ", γ = " + (namesGas(tableSpec) ? tableSpec.gas.shown : "1.4");
}

// The cells of a row, as many as its relation has.
std::span<const Cell> cellsOf(const ResultRow &row)
{
    return {row.cells.data(), std::size_t(row.columns)};
}

// Fields separated by one character; CSV quotes a field that holds the separator, a quote or
// a line break (RFC 4180) and ends its lines with CR LF; TSV fields never hold a tab.
class SeparatedWriter : public TableWriter
{
public:
    SeparatedWriter(char separator, std::string_view lineEnd, bool quoting)
        : m_separator(separator),
          m_lineEnd(lineEnd),
          m_quoting(quoting)
    {
    }
    void begin(TableOutput &out, const TableSpec &tableSpec) override
    {
        bool first = true;
        forEachLabel(tableSpec, [&](std::string_view label) {
            if (!first)
                out.put(m_separator);
            first = false;
            field(out, label);
        });
        out.put(m_lineEnd);
    }
    void row(TableOutput &out, const ResultRow &row) override
    {
        for (const Cell &cell : cellsOf(row)) {
            out.put(cell);
            out.put(m_separator);
        }
        field(out, noteOf(row));
        out.put(m_lineEnd);
    }
    void end(TableOutput &) override {}

private:
    void field(TableOutput &out, std::string_view text)
    {
        if (!m_quoting || text.find_first_of("\",\r\n") == std::string_view::npos) {
            out.put(text);
            return;
        }
        out.put('"');
        for (char c : text) {
            if (c == '"')
                out.put('"');
            out.put(c);
        }
        out.put('"');
    }
    char m_separator;
    std::string_view m_lineEnd;
    bool m_quoting;
};

// Characters a terminal shows for UTF-8 text: every byte but continuation bytes.
std::size_t shownWidth(std::string_view text)
{
    std::size_t width = 0;
    for (char c : text)
        width += (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    return width;
}

// Aligned columns for a terminal: numbers right-aligned in fixed widths, so that rows can
// stream: ten characters hold a five-decimal result (the normal shock's seven then fit 80
// characters), 21 every 15-digit text, 23 nearly every shortest one; a longer text pushes the
// rest of its row along, a blank still before it. The note comes last, unpadded. A gas other
// than air is named on a first line.
class TextWriter : public TableWriter
{
public:
    void begin(TableOutput &out, const TableSpec &tableSpec) override
    {
        m_width = tableSpec.digits == Digits::Full ? 21 : tableSpec.digits == Digits::Shortest ? 23 : 10;
        if (namesGas(tableSpec)) {
            out.put(gasCaption(tableSpec));
            out.put('\n');
        }
        for (const RelationColumn &column : tableSpec.relation->columns)
            cell(out, column.label);
        out.put(' ');
        out.put(noteLabel);
        out.put('\n');
    }
    void row(TableOutput &out, const ResultRow &row) override
    {
        for (const Cell &c : cellsOf(row))
            cell(out, c.view());
        const std::string_view note = noteOf(row);
        if (!note.empty()) {
            out.put(' ');
            out.put(note);
        }
        out.put('\n');
    }
    void end(TableOutput &) override {}

private:
    void cell(TableOutput &out, std::string_view text)
    {
        const std::size_t pad = 1 + m_width - std::min(m_width, shownWidth(text));
        static constexpr char blanks[] = "                              ";
        out.put(std::string_view(blanks, std::min(pad, sizeof blanks - 1)));
        out.put(text);
    }
    std::size_t m_width = 10;
};

void putEscaped(TableOutput &out, std::string_view text, std::string_view (*escape)(char))
{
    for (char c : text) {
        const std::string_view replacement = escape(c);
        if (replacement.empty())
            out.put(c);
        else
            out.put(replacement);
    }
}

std::string_view htmlEscape(char c)
{
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    default:
        return {};
    }
}

// A complete page, so that a browser or a word processor opens it as it stands.
class HtmlWriter : public TableWriter
{
public:
    void begin(TableOutput &out, const TableSpec &tableSpec) override
    {
        out.put("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
        putEscaped(out, gasCaption(tableSpec), htmlEscape);
        out.put("</title>\n"
                "<style>th, td { padding: 0 0.6em; text-align: right; } "
                "th:last-child, td:last-child { text-align: left; }</style>\n"
                "</head>\n<body>\n<table>\n<thead>\n<tr>");
        forEachLabel(tableSpec, [&](std::string_view label) { element(out, "th", label); });
        out.put("</tr>\n</thead>\n<tbody>\n");
    }
    void row(TableOutput &out, const ResultRow &row) override
    {
        out.put("<tr>");
        for (const Cell &cell : cellsOf(row))
            element(out, "td", cell.view());
        element(out, "td", noteOf(row));
        out.put("</tr>\n");
    }
    void end(TableOutput &out) override { out.put("</tbody>\n</table>\n</body>\n</html>\n"); }

private:
    static void element(TableOutput &out, std::string_view tag, std::string_view text)
    {
        out.put('<');
        out.put(tag);
        out.put('>');
        putEscaped(out, text, htmlEscape);
        out.put("</");
        out.put(tag);
        out.put('>');
    }
};

std::string_view markdownEscape(char c)
{
    return c == '|' ? "\\|" : c == '\\' ? "\\\\" : std::string_view {};
}

class MarkdownWriter : public TableWriter
{
public:
    void begin(TableOutput &out, const TableSpec &tableSpec) override
    {
        if (namesGas(tableSpec)) {
            putEscaped(out, gasCaption(tableSpec), markdownEscape);
            out.put("\n\n");
        }
        out.put('|');
        forEachLabel(tableSpec, [&](std::string_view label) { cell(out, label); });
        out.put("\n|");
        for (std::size_t i = 0; i < tableSpec.relation->columns.size(); ++i)
            out.put("---:|");
        out.put(":---|\n");
    }
    void row(TableOutput &out, const ResultRow &row) override
    {
        out.put('|');
        for (const Cell &c : cellsOf(row))
            cell(out, c.view());
        cell(out, noteOf(row));
        out.put('\n');
    }
    void end(TableOutput &) override {}

private:
    static void cell(TableOutput &out, std::string_view text)
    {
        out.put(' ');
        putEscaped(out, text, markdownEscape);
        out.put(" |");
    }
};

std::string_view latexEscape(char c)
{
    switch (c) {
    case '\\':
        return "\\textbackslash{}";
    case '|':
        return "\\textbar{}";
    case '&':
        return "\\&";
    case '%':
        return "\\%";
    case '$':
        return "\\$";
    case '#':
        return "\\#";
    case '_':
        return "\\_";
    case '{':
        return "\\{";
    case '}':
        return "\\}";
    case '~':
        return "\\textasciitilde{}";
    case '^':
        return "\\textasciicircum{}";
    default:
        return {};
    }
}

// A longtable with booktabs rules, so that a long table breaks across pages with its header
// repeated; Greek letters are written in math mode, which every LaTeX engine has.
class LatexWriter : public TableWriter
{
public:
    void begin(TableOutput &out, const TableSpec &tableSpec) override
    {
        out.put("% \\usepackage{booktabs,longtable}\n\\begin{longtable}{");
        for (std::size_t i = 0; i < tableSpec.relation->columns.size(); ++i)
            out.put('r');
        out.put("l}\n");
        if (namesGas(tableSpec)) {
            out.put("\\caption{");
            text(out, gasCaption(tableSpec));
            out.put("}\\\\\n");
        }
        out.put("\\toprule\n");
        for (const RelationColumn &column : tableSpec.relation->columns) {
            out.put(column.latex);
            out.put(" & ");
        }
        text(out, noteLabel);
        out.put(" \\\\\n\\midrule\n\\endhead\n");
    }
    void row(TableOutput &out, const ResultRow &row) override
    {
        for (const Cell &c : cellsOf(row)) {
            out.put(c);
            out.put(" & ");
        }
        text(out, noteOf(row));
        out.put(" \\\\\n");
    }
    void end(TableOutput &out) override { out.put("\\bottomrule\n\\end{longtable}\n"); }

private:
    static void text(TableOutput &out, std::string_view text)
    {
        static constexpr std::pair<std::string_view, std::string_view> greek[] = {
            {"ρ", "$\\rho$"},   {"γ", "$\\gamma$"}, {"μ", "$\\mu$"},    {"ν", "$\\nu$"},
            {"θ", "$\\theta$"}, {"β", "$\\beta$"},  {"…", "\\ldots{}"}, {"°", "$^\\circ$"},
        };
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto *letter = std::find_if(std::begin(greek), std::end(greek), [&](const auto &g) {
                return text.substr(i, g.first.size()) == g.first;
            });
            if (letter != std::end(greek)) {
                out.put(letter->second);
                i += letter->first.size() - 1;
                continue;
            }
            putEscaped(out, text.substr(i, 1), latexEscape);
        }
    }
};

} // namespace

std::optional<TableFormat> tableFormat(std::string_view name)
{
    constexpr std::pair<std::string_view, TableFormat> names[] = {
        {"text", TableFormat::Text}, {"csv", TableFormat::Csv},           {"tsv", TableFormat::Tsv},
        {"html", TableFormat::Html}, {"markdown", TableFormat::Markdown}, {"latex", TableFormat::Latex},
    };
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const auto &[known, format] : names) {
        if (lower == known)
            return format;
    }
    return std::nullopt;
}

std::unique_ptr<TableWriter> tableWriter(TableFormat format)
{
    switch (format) {
    case TableFormat::Csv:
        return std::make_unique<SeparatedWriter>(',', "\r\n", true);
    case TableFormat::Tsv:
        return std::make_unique<SeparatedWriter>('\t', "\n", false);
    case TableFormat::Html:
        return std::make_unique<HtmlWriter>();
    case TableFormat::Markdown:
        return std::make_unique<MarkdownWriter>();
    case TableFormat::Latex:
        return std::make_unique<LatexWriter>();
    case TableFormat::Text:
        break;
    }
    return std::make_unique<TextWriter>();
}

} // namespace ornavel

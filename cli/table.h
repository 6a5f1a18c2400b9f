#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

namespace ornavel {

// What `ornavel --help` says of the table command.
inline constexpr const char *tableSynopsis
    = "table QUANTITY VALUE... [--format text|csv|tsv|html|markdown|latex] [--digits 15]";
extern const char *const tableHelp;

// `ornavel table`: the window's results for each value, one row each, streamed to out.
// arguments are those after "table". Returns the exit status: 0; 1 when a line of standard
// input was not a number, standard input could not be read or the output failed; 2 for a usage error, with
// nothing on out. Writes text to out, as --help and --version do ("help" in the message); a failed write is
// told on err, naming its own error, and gives 1.
int writeHelp(const char *text, std::FILE *out, std::FILE *err, const char *program);

int runTable(const std::vector<std::string_view> &arguments, int inputFd, std::FILE *out, std::FILE *err);

} // namespace ornavel

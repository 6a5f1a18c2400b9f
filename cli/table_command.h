#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace ornavel {

// What `ornavel --help` says of the table command.
inline constexpr const char *tableSynopsis
    = "table [RELATION] QUANTITY VALUE... [QUANTITY VALUE...] [--gamma G] "
      "[--branch B] "
      "[--format text|csv|tsv|html|markdown|latex] [--digits 15|17]";
// `ornavel table --help`, from the relations' descriptions.
std::string tableHelp();

// Writes text to out, as --help and --version do; a failed write is told on err, naming its
// own error, and gives 1.
int writeHelp(const char *text, std::FILE *out, std::FILE *err, const char *program);

// `ornavel table`: a row for each value, streamed to out. arguments are those after "table".
// Returns the exit status: 0; 1 when a line of standard input was not a number, standard
// input could not be read or the output failed; 2 for a usage error, with nothing on out.
int runTable(const std::vector<std::string_view> &arguments, int inputFd, std::FILE *out, std::FILE *err);

} // namespace ornavel

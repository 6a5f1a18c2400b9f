#pragma once

// Runs `ornavel table` in this process, as the tests compare with it: its status and what it
// wrote on standard output (or to the file named) and standard error.
#include "cli/table.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace ornavel::testing {

struct Captured {
    int status;
    std::string out, err;
};

// Standard input is inputFd, or a pipe holding input when inputFd is pipeInput.
constexpr int pipeInput = -2;

inline Captured captureTable(const std::vector<std::string_view> &arguments, int inputFd = -1,
                             const std::string &input = {}, const char *outFile = nullptr)
{
    int fds[2] = {-1, -1};
    if (inputFd == pipeInput && pipe(fds) == 0) {
        [[maybe_unused]] const ssize_t written = write(fds[1], input.data(), input.size());
        close(fds[1]);
        inputFd = fds[0];
    }
    char *outText = nullptr, *errText = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE *out = outFile ? std::fopen(outFile, "w") : open_memstream(&outText, &outSize);
    std::FILE *err = open_memstream(&errText, &errSize);
    Captured c {runTable(arguments, inputFd, out, err), {}, {}};
    std::fclose(out);
    std::fclose(err);
    c.out.assign(outText ? outText : "", outSize);
    c.err.assign(errText, errSize);
    std::free(outText);
    std::free(errText);
    if (fds[0] >= 0)
        close(fds[0]);
    return c;
}

} // namespace ornavel::testing

#include "cli/table_command.h"
#include "table/table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace ornavel {
namespace {

struct Captured {
    int status;
    std::string out, err;
};

// The one capture helper: runs the table with standard input from a pipe holding input (or
// from the descriptor given), its output in memory (or to the file named).
Captured run(std::vector<std::string_view> arguments, const std::string &input, int inputFd = -2,
             const char *outFile = nullptr)
{
    int fds[2] = {-1, -1};
    if (inputFd == -2) {
        EXPECT_EQ(pipe(fds), 0);
        EXPECT_EQ(write(fds[1], input.data(), input.size()), ssize_t(input.size()));
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
    c.out = outText ? outText : "";
    c.err = errText;
    std::free(outText);
    std::free(errText);
    if (fds[0] >= 0)
        close(fds[0]);
    return c;
}

struct TableCase {
    std::string name;
    std::vector<std::string_view> arguments;
    std::string input;
    int status;
    std::string inOut, inErr; // each must occur in its stream
    int inputFd = -2;
    const char *outFile = nullptr;
};

class Table : public testing::TestWithParam<TableCase>
{};

TEST_P(Table, WritesAndTells)
{
    const TableCase &c = GetParam();
    int fd = c.inputFd;
    if (fd == -3)
        fd = open("/tmp", O_RDONLY);
    const Captured got = run(c.arguments, c.input, fd, c.outFile);
    if (fd >= 0 && c.inputFd == -3)
        close(fd);
    EXPECT_EQ(got.status, c.status) << got.err;
    EXPECT_NE(got.out.find(c.inOut), std::string::npos) << got.out;
    EXPECT_NE(got.err.find(c.inErr), std::string::npos) << got.err;
}

const std::string zeros(2000, '0');
// Halfway between 1 and the next double: any nonzero digit after it rounds up, zeros do not.
const std::string halfway = "1.00000000000000011102230246251565404236316680908203125";
const std::string row2 = "2,4.5,2.66667,1.6875,0.72087,5.64044,0.57735,";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cli, Table, testing::Values(
    TableCase {"read_error_after_the_rows_so_far", {"M1", "2", "-", "--format", "csv"}, "", 1, row2, "cannot read standard input: Is a directory", -3},
    TableCase {"closed_standard_input", {"M1", "-"}, "", 1, "M1", "cannot read standard input: Bad file descriptor", -1},
    TableCase {"help_to_a_full_device", {"--help"}, "", 1, "", "cannot write to standard output: No space left on device", -2, "/dev/full"},
    TableCase {"rows_to_a_full_device_name_its_error", {"M1", "1:3:1"}, "", 1, "", "cannot write the table: No space left on device", -2, "/dev/full"},
    TableCase {"a_long_number_on_standard_input", {"M1", "-", "--format", "csv"}, "2." + zeros + "\n", 0, row2, ""},
    // Just above the tie between 1 and the next double, by a digit 2000 places after it.
    TableCase {"a_long_fraction_keeps_its_last_digit", {"M1", "-", "--format", "tsv"}, halfway + zeros + "1e0\n", 0, "\n1.0000000000000002\t", ""},
    TableCase {"zeros_past_the_line_limit_keep_a_tie", {"M1", "-", "--format", "tsv"}, halfway + zeros + "\n", 0, "\n1\t", ""},
    TableCase {"trailing_zeros_are_no_digits", {"M1", "1:2.0000000000000000000000000000000000000000:1", "--format", "csv"}, "", 0, row2, ""},
    TableCase {"too_many_rows_says_so", {"M1", "0:1:1e-40"}, "", 2, "", "has more than 10000000 rows"},
    TableCase {"a_step_of_37_digits_is_exact", {"M1", "1.000000000000000000000000000000000001:1.000000000000000000000000000000000003:1e-36", "--format", "csv"}, "", 0, "\n1,", ""},
    TableCase {"a_step_away_from_TO", {"M1", "3:1:0.5"}, "", 2, "", "range 3:1:0.5 counts up to a smaller TO"},
    TableCase {"a_quantity_alone", {"M1"}, "", 2, "", "ornavel table: no value"},
    // Digits and exponent longer than the short buffer for them (under AddressSanitizer).
    TableCase {"many_digits_and_a_long_exponent", {"M1", "-", "--format", "csv"}, "0." + std::string(40, '0') + "1" + std::string(58, '0') + "1\n", 0, ",|M1| must be greater than 0.37796", ""},
    TableCase {"a_far_exponent_undoes_far_zeros", {"M1", "-", "--format", "csv"}, "0." + zeros + "2e2001\n", 0, row2, ""},
    TableCase {"a_second_dash", {"M1", "-", "-"}, "2\n", 2, "", "- (standard input) can be given once"},
    TableCase {"values_after_a_double_dash", {"M1", "--format", "csv", "--", "2"}, "", 0, row2, ""},
    TableCase {"an_option_after_a_double_dash_is_a_value", {"M1", "--", "--digits"}, "", 2, "", "'--digits' is not a number"},
    // Past the line limit only a fraction's digits are dropped, never an exponent's.
    TableCase {"a_long_exponent_is_no_fraction", {"M1", "-"}, "1.5e1" + zeros + zeros + "\n", 1, " line 1 is too long to read", "line 1 of standard input is longer than 2048 characters"},
    // Blanks and leading zeros never count toward the line limit, nor lose a line.
    TableCase {"blanks_and_leading_zeros_are_no_length", {"M1", "-", "--format", "csv"}, "2" + std::string(5000, ' ') + "\n" + std::string(2048, ' ') + "2\n" + zeros + zeros + "2\n", 0, row2 + "\r\n" + row2 + "\r\n" + row2, ""},
    TableCase {"a_byte_order_mark_and_every_line_end", {"M1", "-", "--format", "csv"}, "\xEF\xBB\xBF" "2\r2\r\n2\r", 0, "note\r\n" + row2 + "\r\n" + row2 + "\r\n" + row2 + "\r\n", ""},
    TableCase {"utf16_is_told_once", {"M1", "-"}, std::string("\xFF\xFE" "2\0\n\0", 6), 1, "", "standard input is UTF-16 text"},
    TableCase {"a_zero_meets_the_quantity_s_limit", {"P2/P1", "0", "--format", "csv"}, "", 0, ",0,,,,,,P2/P1 must be greater than 0", ""},
    TableCase {"beyond_the_doubles_keeps_its_input", {"P2/P1", "1e999", "1e-999", "--format", "csv"}, "", 0, ",1E+999,,,,,,Input is out of range\r\n,1E-999,,,,,,Input is out of range", ""},
    TableCase {"no_other_slashes", {"p//2/P/1", "2"}, "", 2, "", "unknown quantity 'p//2/P/1'"},
    TableCase {"format_in_any_case", {"M1", "2", "--format", "CSV"}, "", 0, row2, ""},
    TableCase {"latex_breaks_across_pages", {"M1", "2", "--format", "latex"}, "", 0, "\\endhead\n2 & 4.5", ""},
    TableCase {"rho_by_name_and_by_letter", {"rho2/RHO1", "2.66667", "--format", "csv"}, "", 0, "\n2,4.50001,2.66667,", ""},
    TableCase {"greek_and_no_slash", {"ρ2ρ1", "6"}, "", 0, "ρ2/ρ1 must be between 0.16667 and 6", ""},
    TableCase {"ratio_names_without_slash", {"pO2Po1", "-0.1", "--format", "csv"}, "", 0, ",-0.1,,,Po2/Po1 must be greater than 0", ""},
    // Any gas: by name in any case, its limits written for it, named in a text table's first line.
    TableCase {"helium_and_its_limit", {"normal", "M1", "2", "0.3", "--gamma", "HeLiUm", "--format", "csv"}, "", 0, "\n2,4.75,2.28571,2.07813,0.76298,6.34536,0.60698,\r\n0.3,,,,,,,|M1| must be greater than 0.44721\r\n", ""},
    TableCase {"a_gas_named_above_a_text_table", {"M1", "2", "--gamma", "carbon-dioxide"}, "", 0, "Normal shock, γ = 1.289 (carbon-dioxide)\n         M1", ""},
    TableCase {"co2_limits_of_rho", {"rho2/rho1", "0.1", "--gamma", "co2", "--format", "csv"}, "", 0, "\n,,0.1,,,,,ρ2/ρ1 must be between 0.12626 and 7.92042\r\n", ""},
    TableCase {"co2_limit_of_M2", {"M2", "0.2", "--gamma=co2", "--format", "csv"}, "", 0, ",0.2,|M2| must be greater than 0.33482\r\n", ""},
    TableCase {"gamma_3_is_in", {"M1", "2", "--gamma", "3", "--format", "csv"}, "", 0, "\n2,5.5,1.6,3.4375,0.86298,9.64836,0.6742,", ""},
    TableCase {"gamma_1_is_out", {"M1", "2", "--gamma", "1"}, "", 2, "", "--gamma takes a number greater than 1 and at most 3, or a gas: air, nitrogen,"},
    TableCase {"gamma_above_3_is_out", {"M1", "2", "--gamma", "3.0000000000000004"}, "", 2, "", "not '3.0000000000000004'"},
    TableCase {"gamma_nan_is_out", {"M1", "2", "--gamma", "nan"}, "", 2, "", "not 'nan'"},
    TableCase {"every_bit", {"T2/T1", "1.6875", "--digits", "17", "--format", "csv"}, "", 0, "\n2,4.5,2.6666666666666665,1.6875,0.7208738614847453,5.640440812823317,0.5773502691896257,", ""},
    TableCase {"no_branch_to_take", {"M1", "2", "--branch", "weak"}, "", 2, "", "--branch does not apply to normal"},
    // The other relations, each from its description: its columns, domain and notes.
    TableCase {"isentropic_at_rest_and_outside", {"isentropic", "p/p0", "1", "0", "--format", "csv"}, "", 0, "\n0,1,1,1,,,,at rest: A/A* is infinite\r\n,0,,,,,,p/p0 must be greater than 0 and at most 1\r\n", ""},
    TableCase {"isentropic_area_subsonic", {"ISENTROPIC", "aa*", "1.6875", "--branch", "subsonic", "--format", "csv"}, "", 0, "\n0.37224,0.90876,0.93394,0.97303,1.6875,,,subsonic: μ and ν only from M = 1\r\n", ""},
    TableCase {"isentropic_nu_limit_for_helium", {"isentropic", "ν", "90", "--gamma", "helium", "--format", "csv"}, "", 0, ",90,ν must be at least 0 and less than 90\r\n", ""},
    TableCase {"isentropic_branches_named", {"isentropic", "A/A*", "2", "--branch", "weak"}, "", 2, "", "--branch takes supersonic or subsonic, not 'weak'"},
    TableCase {"pitot_through_mach_1", {"pitot", "Po2/P1", "1.6", "2.05", "0.5", "--format", "csv"}, "", 0, "\n0.8477,1.6,1.6,1,subsonic: no shock ahead of the probe\r\n1.06716,2.05,2.05071,0.99966,\r\n,0.5,,,the pitot reading must be at least the static pressure\r\n", ""},
    // A reading a billionth either side of the sonic one: M1 either side of 1, the note with it.
    TableCase {"pitot_switch_is_continuous", {"pitot", "Po2/P1", "1.892929156844925", "1.8929291606307834", "--digits", "17", "--format", "csv"}, "", 0, "\n0.9999999991428572,1.892929156844925,1.892929156844925,1,subsonic: no shock ahead of the probe\r\n1.000000000857143,1.8929291606307834,1.8929291606307834,1,\r\n", ""},
    TableCase {"oblique_wedge_and_detached", {"oblique", "M1", "2", "theta", "10", "30", "--branch", "strong", "--format", "csv"}, "", 0, "\n2,10,83.70008,0.6037,4.44381,2.64873,1.67771,0.72652,1.98792,0.57943,\r\n2,30,,,,,,,,,detached: θ above θmax = 22.97353° for M1 = 2\r\n", ""},
    TableCase {"oblique_angles_read_outer", {"oblique", "M1", "2", "3", "β", "-", "--format", "csv"}, "25\n", 0, "\n2,,25,,,,,,,,β must be between μ = 30° and 90° for M1 = 2\r\n3,7.2834,25,", ""},
    TableCase {"oblique_product_limit", {"oblique", "M1", "1:10000:1", "theta", "0:1000:1"}, "", 2, "", "the lists give 10000 × 1001 rows, more than 10000000"},
    TableCase {"oblique_needs_angles", {"oblique", "M1", "2"}, "", 2, "", "no angle: give θ (or theta) or β (or beta) and values"},
    TableCase {"expansion_largest_turn", {"expansion", "M1", "2", "theta", "10", "105", "--format", "csv"}, "", 0, "\n2,10,2.38489,26.37976,36.37976,30,24.79085,0.54797,0.65072,0.84209,\r\n2,105,,,,,,,,,\"θ must be less than the largest turn, 104.07432° for M1 = 2\"\r\n", ""}),
    [](const auto &info) { return info.param.name; });
// clang-format on

} // namespace
} // namespace ornavel

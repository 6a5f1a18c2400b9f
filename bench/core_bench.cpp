// The core functions against a bare inline loop doing the same arithmetic: the floor. The
// pairs run interleaved and repeated, and the medians are compared, so machine noise
// affects both sides alike.
#include "core/normal_shock.h"
#include "core/pitot.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Read at run time so that neither side can fold the gas constant into its code.
volatile double gammaSource = 1.4;
volatile double worstPitotRatio = 1.5; // needs all 50 iterations

std::vector<double> machNumbers()
{
    std::vector<double> values;
    for (int i = 0; i < 256; ++i)
        values.push_back(1.0 + 5.0 * i / 255.0);
    return values;
}

void coreShock(benchmark::State &state)
{
    const double gamma = gammaSource;
    const std::vector<double> values = machNumbers();
    for (auto _ : state) {
        for (double M1 : values) {
            const double M2 = ornavel::downstreamMach(gamma, M1);
            ornavel::ShockRatios r = ornavel::shockRatios(gamma, M1, M2);
            benchmark::DoNotOptimize(r);
        }
    }
}

void coreShockFloor(benchmark::State &state)
{
    double g = gammaSource;
    const std::vector<double> values = machNumbers();
    for (auto _ : state) {
        for (double M1 : values) {
            // The core receives gamma with every call and divides by it every time; so must
            // the floor, rather than hoisting the gamma-only quotients out of the loop.
            benchmark::DoNotOptimize(g);
            const double s = M1 * M1;
            const double h = (g - 1) / 2;
            const double M2 = std::sqrt((1 + h * s) / (g * s - h));
            const double X1 = 1 + h * s;
            const double X2 = 1 + h * (M2 * M2);
            const double T2T1 = X1 / X2;
            const double e = g / (g - 1);
            const double Po1P1 = std::pow(X1, e);
            const double Po2P2 = std::pow(X2, e);
            const double P2P1 = 1 + ((2 * g) / (g + 1)) * (s - 1);
            const double Po2P1 = Po2P2 * P2P1;
            ornavel::ShockRatios r {P2P1, P2P1 / T2T1, T2T1, Po2P1 / Po1P1, Po2P1};
            benchmark::DoNotOptimize(r);
        }
    }
}

void pitotWorst(benchmark::State &state)
{
    const double gamma = gammaSource;
    const double ratio = worstPitotRatio;
    for (auto _ : state) {
        ornavel::PitotSolution solution = ornavel::solvePitotMach(gamma, ratio);
        benchmark::DoNotOptimize(solution);
    }
}

void pitotFloor(benchmark::State &state)
{
    const double gamma = gammaSource;
    const double ratio = worstPitotRatio;
    for (auto _ : state) {
        double next = 1;
        for (int k = 0; k < ornavel::pitotIterationLimit; ++k) {
            const double M = next;
            const double s = M * M;
            const double q = std::pow((36 * s) / (35 * s - 5), 3.5);
            next = std::sqrt(1 + (((gamma + 1) / 2) / gamma) * (ratio / q - 1));
            if (std::fabs(next - M) < ornavel::pitotTolerance)
                break;
        }
        benchmark::DoNotOptimize(next);
    }
}

BENCHMARK(coreShock);
BENCHMARK(coreShockFloor);
BENCHMARK(pitotWorst);
BENCHMARK(pitotFloor);

// Keeps the time per iteration of every repetition, by benchmark name.
class Collector : public benchmark::ConsoleReporter
{
public:
    Collector() : ConsoleReporter(OO_Tabular) {}

    std::map<std::string, std::vector<double>> times;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
        }
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=15";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string minTime = "--benchmark_min_time=0.1";
    args.push_back(repetitions.data());
    args.push_back(interleave.data());
    args.push_back(minTime.data());
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());

    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    auto &t = collector.times;
    if (t["coreShock"].empty() || t["coreShockFloor"].empty() || t["pitotWorst"].empty()
        || t["pitotFloor"].empty())
        return 1;
    std::printf("core-shock-vs-floor: %.3f\n", median(t["coreShock"]) / median(t["coreShockFloor"]));
    std::printf("pitot-worst-vs-floor: %.3f\n", median(t["pitotWorst"]) / median(t["pitotFloor"]));
    return 0;
}

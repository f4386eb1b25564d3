// Prints the time of one solve for each of the five break-even searches.
#include <chrono>
#include <cstdio>

#include "costcmp/core/cost_model.h"

using namespace costcmp;

namespace {

using Clock = std::chrono::steady_clock;
using Solver = CostResult (*)(const CostParams&);

// Repeats the solve until at least 0.2 s have passed and answers the mean
// time of one solve in microseconds.
double MicrosPerSolve(Solver solve, const CostParams& p, long long* checksum) {
    long long runs = 0;
    const auto start = Clock::now();
    auto elapsed = Clock::duration::zero();
    do {
        *checksum += solve(p).value.Raw();
        ++runs;
        elapsed = Clock::now() - start;
    } while (elapsed < std::chrono::milliseconds(200));
    return std::chrono::duration<double, std::micro>(elapsed).count() / runs;
}

ParamTexts Texts(const char* sb, const char* sc) {
    return {"80,000", sb, sc, "2", "100", "600", "0", "5", "6", "5", "60"};
}

} // namespace

int main() {
    // The sample set of the input screen, and the same set with no SaaS fee
    // and no users, for which no candidate of any solver qualifies.
    const CostParams sample = ConvertParams(Texts("15,000", "5"));
    const CostParams none = ConvertParams(Texts("0", "0"));
    struct Row {
        const char* name;
        Solver solve;
        int candidates;
    } rows[] = {
        {"SolveUsers (1)", SolveUsers, 90000},
        {"SolvePeriod (2)", SolvePeriod, 1000},
        {"SolveDevCost (3)", SolveDevCost, 190000},
        {"SolveMonthlyFee (4)", SolveMonthlyFee, 89501},
        {"SolveMaintRate (5)", SolveMaintRate, 100},
    };

    long long checksum = 0;
    std::printf("%-22s %14s %14s %12s %16s\n", "solver", "sample [us]", "no sol. [us]",
                "candidates", "ns / candidate");
    for (const Row& r : rows) {
        const double s = MicrosPerSolve(r.solve, sample, &checksum);
        const double n = MicrosPerSolve(r.solve, none, &checksum);
        std::printf("%-22s %14.3f %14.3f %12d %16.2f\n", r.name, s, n, r.candidates,
                    n * 1000.0 / r.candidates);
    }
    std::printf("(checksum %lld)\n", checksum);
    return 0;
}

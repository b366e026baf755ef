// fcVelocity against the obvious C-library way (skip to the first digit,
// strtod, sqrt, snprintf "%.2f") on the same texts: the calculator's usual
// inputs and the longest texts a field can hand over, at 6,553 and 65,534
// characters to show the cost grows linearly.
#include "texts.h"
#include "velocity.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using texts::highBytes;
using texts::repeated;

constexpr double kG = 6.672e-11;
const char* const kEarth = "Zem\xEC 5.98e24";

const char* skipToDigit(const char* p)
{
    while (*p != '\0' && (*p < '0' || *p > '9'))
        ++p;
    return p;
}

bool obviousVelocity(VelocityKind kind, const char* distance, const char* mass,
                     char* result, std::size_t resultSize)
{
    const double doub1 = std::strtod(skipToDigit(distance), nullptr);
    const double doub2 = std::strtod(skipToDigit(mass), nullptr);
    if (doub1 == 0.0 || doub2 == 0.0)
        return false;
    const double v = std::sqrt(static_cast<int>(kind) * kG * doub2 / doub1);
    std::snprintf(result, resultSize, "%.2f", v);
    return true;
}

// The exact decimal of m * 2^-k: the digits of m * 5^k, k of them after
// the point.
std::string exactFraction(std::uint64_t m, int k)
{
    std::vector<int> digits;   // least significant first
    for (; m != 0; m /= 10)
        digits.push_back(static_cast<int>(m % 10));
    for (int i = 0; i < k; ++i) {
        int carry = 0;
        for (int& d : digits) {
            const int t = d * 5 + carry;
            d = t % 10;
            carry = t / 10;
        }
        if (carry != 0)
            digits.push_back(carry);
    }
    std::string text;
    for (auto d = digits.rbegin(); d != digits.rend(); ++d)
        text += static_cast<char>('0' + *d);
    return "0." + std::string(static_cast<std::size_t>(k) - text.size(), '0') + text;
}

struct Case {
    std::string name;
    std::string distance;
    std::string mass;
};

std::vector<Case> cases()
{
    std::vector<Case> list = {
        {"Earth surface", "6378000", kEarth},
        {"Moon orbit", "3.84e8", kEarth},
        {"Earth orbit", "1.496e11", "Slunce 1.987e30"},
        {"label r2=", "r2=6378000 m", "5.98e24 kg"},
    };
    for (const std::size_t n : {std::size_t{6553}, std::size_t{65534}}) {
        const std::string size = "/" + std::to_string(n);
        list.push_back({"skipped bytes" + size, highBytes(n - 7) + "6378000", kEarth});
        list.push_back({"no digit at all" + size, highBytes(n), kEarth});
        list.push_back({"digits" + size, "6378000." + repeated("1234567890", n - 8), kEarth});
        list.push_back({"exponent digits" + size, "6378e" + std::string(n - 6, '0') + "3", kEarth});
        // Halfway between the smallest normal double and the next, then
        // a last nonzero digit: all 760 significant digits count.
        const std::string halfway = exactFraction((std::uint64_t{1} << 53) + 1, 1075);
        list.push_back({"near-halfway digits, exact path" + size, "6378000",
                        halfway + std::string(n - halfway.size() - 1, '0') + "1"});
        list.push_back({"0.000...0001 style" + size,
                        "0." + std::string(n - 40, '0') + "6378000000000000000000001e" +
                            std::to_string(n - 33),
                        kEarth});
    }
    return list;
}

template <bool (*Velocity)(VelocityKind, const char*, const char*, char*, std::size_t)>
void run(benchmark::State& state, const Case& c)
{
    char result[400];
    for (auto _ : state) {
        benchmark::DoNotOptimize(Velocity(VelocityKind::Circular, c.distance.c_str(),
                                          c.mass.c_str(), result, sizeof result));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(c.distance.size() + c.mass.size()));
    state.SetLabel(Velocity(VelocityKind::Circular, c.distance.c_str(), c.mass.c_str(), result,
                            sizeof result) ? result : "input error");
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<Case> all = cases();
    for (const Case& c : all) {
        benchmark::RegisterBenchmark(("fcVelocity   " + c.name).c_str(), run<fcVelocity>, c);
        benchmark::RegisterBenchmark(("strtod+printf " + c.name).c_str(), run<obviousVelocity>, c);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

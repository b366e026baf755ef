// fcVelocity against the obvious C-library way (skip to the first digit,
// strtod, sqrt, snprintf "%.2f") on the same texts, side by side in one
// run: the calculator's usual inputs, the longest texts a field can hand
// over (at 6,553 and 65,534 characters, to show the cost grows linearly),
// and texts on or within a hair of the point halfway between two doubles.
// A small timer of its own, so that it builds and runs with every
// toolchain and C runtime the core is built for.
//
//   velocity_bench [rounds]
#include "texts.h"
#include "velocity.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using texts::highBytes;
using texts::repeated;

const char* const kEarth = "Zem\xEC 5.98e24";

using Velocity = bool (*)(VelocityKind, const char*, const char*, char*, std::size_t);

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
    const double v = std::sqrt(static_cast<int>(kind) * kGravitationalConstant * doub2 / doub1);
    std::snprintf(result, resultSize, "%.2f", v);
    return true;
}

struct Row {
    std::string name;
    std::string distance;
    std::string mass;
    bool tie;   // on or next to a halfway point: held to 1.0, not 0.5
};

std::vector<Row> rows()
{
    std::vector<Row> list = {
        {"Earth surface", "6378000", kEarth, false},
        {"Moon orbit", "3.84e8", kEarth, false},
        {"Earth orbit", "1.496e11", "Slunce 1.987e30", false},
        {"label r2=", "r2=6378000 m", "5.98e24 kg", false},
    };
    // Halfway between the smallest normal double and the next, then a last
    // nonzero digit: all 760 significant digits count.
    const std::string normalTie = texts::exactDecimal((std::uint64_t{1} << 53) + 1, -1075);
    for (const std::size_t n : {std::size_t{6553}, std::size_t{65534}}) {
        const std::string size = "/" + std::to_string(n);
        list.push_back({"skipped bytes" + size, highBytes(n - 7) + "6378000", kEarth, false});
        list.push_back({"no digit at all" + size, highBytes(n), kEarth, false});
        list.push_back({"digits" + size, "6378000." + repeated("1234567890", n - 8), kEarth, false});
        list.push_back({"exponent digits" + size, "6378e" + std::string(n - 6, '0') + "3", kEarth, false});
        list.push_back({"0.000...0001 style" + size,
                        "0." + std::string(n - 40, '0') + "6378000000000000000000001e" + std::to_string(n - 33),
                        kEarth, false});
        list.push_back({"near tie, normal" + size, "6378000", texts::padded(normalTie, n - 1) + "1", true});
    }
    // Ties: the distance exactly halfway, one unit in its last digit above
    // and below; the mass is the distance and a last digit 1.
    struct Tie {
        const char* name;
        std::string text;
        std::size_t shortest;
    };
    const Tie ties[] = {
        {"tie 2^-1075", texts::exactDecimal(1, -1075), 1077},
        {"tie 2^53+1", texts::exactDecimal((std::uint64_t{1} << 53) + 1, 0), 18},
        {"tie below DBL_MAX", texts::exactDecimal((std::uint64_t{1} << 54) - 3, 969), 311},
    };
    for (const Tie& t : ties)
        for (const std::size_t n : {t.shortest, std::size_t{65534}}) {
            const std::string exact = texts::padded(t.text, n);
            const std::string size = "/" + std::to_string(n);
            list.push_back({t.name + size + " exact", exact, exact + "1", true});
            list.push_back({t.name + size + " +1", texts::nudged(exact, 1), texts::nudged(exact, 1) + "1", true});
            list.push_back({t.name + size + " -1", texts::nudged(exact, -1), texts::nudged(exact, -1) + "1", true});
        }
    return list;
}

volatile unsigned sink;

// Seconds per call of `velocity` on the row, over `calls` calls.
double perCall(Velocity velocity, const Row& row, long calls)
{
    char result[400];
    unsigned seen = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i)
        seen += velocity(VelocityKind::Circular, row.distance.c_str(), row.mass.c_str(), result,
                         sizeof result) + static_cast<unsigned char>(result[0]);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    sink = sink + seen;
    return took.count() / static_cast<double>(calls);
}

// Calls enough for a batch to last 2 ms.
long batchSize(Velocity velocity, const Row& row)
{
    long calls = 1;
    while (perCall(velocity, row, calls) * static_cast<double>(calls) < 0.002)
        calls *= 2;
    return calls;
}

std::string shownTime(double seconds)
{
    char text[32];
    if (seconds < 1e-6)
        std::snprintf(text, sizeof text, "%.1f ns", seconds * 1e9);
    else
        std::snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    return text;
}

std::string resultOf(Velocity velocity, const Row& row)
{
    char result[400];
    return velocity(VelocityKind::Circular, row.distance.c_str(), row.mass.c_str(), result, sizeof result)
               ? result
               : "input error";
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::printf("fcVelocity against skip + strtod + sqrt + snprintf \"%%.2f\": the best of up to %d\n"
                "batches of 2 ms or more each (at least 3, about 1 s a row), taken in turns;\n"
                "goal: ratio <= 0.50, ties <= 1.00\n\n",
                rounds);
    std::printf("%-36s %11s %11s %6s  %s\n", "row", "core", "C library", "ratio", "result");
    int over = 0;
    for (const Row& row : rows()) {
        const long coreCalls = batchSize(fcVelocity, row);
        const long libraryCalls = batchSize(obviousVelocity, row);
        double core = 1e9, library = 1e9, spent = 0;
        // At least three turns, then no more than a second or so a row.
        for (int i = 0; i < rounds && (i < 3 || spent < 1.0); ++i) {
            const double coreTime = perCall(fcVelocity, row, coreCalls);
            const double libraryTime = perCall(obviousVelocity, row, libraryCalls);
            core = std::min(core, coreTime);
            library = std::min(library, libraryTime);
            spent += coreTime * static_cast<double>(coreCalls) + libraryTime * static_cast<double>(libraryCalls);
        }
        const double ratio = core / library;
        const bool met = ratio <= (row.tie ? 1.0 : 0.5);
        over += !met;
        const std::string mine = resultOf(fcVelocity, row), theirs = resultOf(obviousVelocity, row);
        std::printf("%-36s %11s %11s %6.2f%s %s%s\n", row.name.c_str(), shownTime(core).c_str(),
                    shownTime(library).c_str(), ratio, met ? " " : "!", mine.c_str(),
                    mine == theirs ? "" : ("  (C library: " + theirs + ")").c_str());
        std::fflush(stdout);
    }
    std::printf("\n%d rows over their goal (marked !)\n", over);
    return 0;
}

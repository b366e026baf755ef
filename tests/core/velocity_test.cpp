// The velocity core through its interface: the number grammar, correctly
// rounded values (literals, exactly halfway and just off it at every binary
// exponent and at any length, huge and hostile texts, texts at the end of
// readable memory), the velocities and their texts, and the result buffer.
// Expected values come from the compiler's conversion of decimal literals,
// exact decimal expansions of doubles, arithmetic (1/3), where the C library
// is glibc its strtod, and the velocity table that tools/velocity_table.py
// worked out in Python's arithmetic (ORBELA_VELOCITY_TABLE names the file).
#include "reference.h"
#include "texts.h"
#include "velocity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr std::size_t kLongText = 65534;   // longest text a field hands over
const double kInf = std::numeric_limits<double>::infinity();
constexpr auto I = VelocityKind::Circular;
constexpr auto II = VelocityKind::Escape;
const char* const kEarth = "Zem\xEC 5.98e24";

struct ValueCase {
    std::string text;
    double expected;
    int line;
};
#define VALUE(text, expected) ValueCase{text, expected, __LINE__}
// The text and the value the compiler makes of the same literal.
#define LITERAL(number) ValueCase{#number, number, __LINE__}

// Each text read as expected and, where there is glibc, as its strtod reads
// the number the grammar selects. Stops at the first failure.
bool checkValues(const std::vector<ValueCase>& cases)
{
    return std::all_of(cases.begin(), cases.end(), [](const ValueCase& c) {
        std::string problem = reference::valueMismatch(c.text, c.expected);
#ifdef __GLIBC__
        problem += reference::valueMismatch(c.text, reference::value(c.text));
#endif
        EXPECT_TRUE(problem.empty()) << problem << "\n  case at line " << c.line;
        return problem.empty();
    });
}

struct VelocityCase {
    VelocityKind kind;
    std::string distance;
    std::string mass;
    std::string expected;   // empty: an input error
    int line;
};

void checkVelocity(const VelocityCase& c, std::size_t size = 400)
{
    const std::string problem = reference::velocityMismatch(c.kind, c.distance, c.mass, size,
                                                            size > c.expected.size() ? c.expected : "");
    EXPECT_TRUE(problem.empty()) << problem << "\n  case at line " << c.line;
}

TEST(Reading, WhatIsSkippedWhereANumberStartsAndEndsAndItsValue)
{
    checkValues({
        // The number starts at the first ASCII digit: signs, points, letters before it are skipped.
        VALUE("", 0.0), VALUE("Slunce", 0.0), VALUE("-.e+", 0.0), VALUE("\xEC\xE8\xF8\xBE\xFD", 0.0),
        VALUE("-6378000", 6378000.0), VALUE("+5", 5.0), VALUE(".5", 5.0), VALUE("x=12", 12.0), VALUE("e5", 5.0),
        VALUE("E-7", 7.0), VALUE("r2=6378000", 2.0), VALUE("Zem\xEC 5.98e24", 5.98e24), VALUE("\x80\xFF\xB3 7", 7.0),
        // It ends where digits, one point, then "e"/"E", a sign and digits end.
        VALUE("3.84e8 m", 3.84e8), VALUE("6,378e6", 6.0), VALUE("1 000", 1.0), VALUE("12:30", 12.0), VALUE("1/2", 1.0),
        VALUE("0x10", 0.0), VALUE("007", 7.0), VALUE("00.0012", 0.0012), VALUE("5.", 5.0), VALUE("5..3", 5.0),
        VALUE("5.3.2", 5.3), VALUE("5.e3", 5000.0), VALUE("5e", 5.0), VALUE("5e+", 5.0), VALUE("5E-", 5.0),
        VALUE("5e+-3", 5.0), VALUE("5 e3", 5.0), VALUE("5e 3", 5.0), VALUE("5E3", 5000.0), VALUE("5e+3", 5000.0),
        VALUE("5e-3", 0.005), VALUE("5e3e2", 5000.0), VALUE("5e3.7", 5000.0), VALUE("1e0005", 100000.0),
        VALUE("5d3", 5.0), VALUE("5D3", 5.0), VALUE(std::string("12\0" "34", 5), 12.0), VALUE("0.000", 0.0),
        VALUE("0e999999", 0.0), VALUE("1e400", kInf), VALUE("1e-400", 0.0),
        // The value, correctly rounded: as the compiler reads the same literal.
        LITERAL(0.1), LITERAL(6.672e-11), LITERAL(5.98e24), LITERAL(1e22), LITERAL(1e23), LITERAL(1e-22),
        LITERAL(1e-23), LITERAL(123456789e30), LITERAL(9007199254740993e22), LITERAL(8.98846567431158e307),
        LITERAL(3.14159265358979323846264338327950288419716939937510582097),
        LITERAL(123456789012345678901234567890.0), LITERAL(7.038531e-26),
        LITERAL(2.2250738585072011e-308), LITERAL(2.2250738585072012e-308), LITERAL(2.2250738585072014e-308),
        LITERAL(4.9406564584124654e-324), LITERAL(2.4703282292062328e-324),
        LITERAL(1.7976931348623157e308), LITERAL(1.7976931348623158e308),
        VALUE("2.4703282292062327e-324", 0.0), VALUE("1.8e308", kInf),
    });
}

// The double itself reads exactly; exactly halfway to the next one up the
// even one wins, whatever the length; the smallest step away from halfway
// decides, however far down it lies (digits are kept up to the 800th
// significant one).
bool checkAround(double low, std::size_t longest)
{
    const auto [mantissa, exp2] = reference::decompose(low);
    const double high = std::nextafter(low, kInf);
    const double even = mantissa % 2 == 0 ? low : high;
    const std::string tie = texts::padded(texts::exactDecimal(2 * mantissa + 1, exp2 - 1), 0);
    const std::string longTie = texts::padded(tie, longest);
    const std::size_t lead = tie.find_first_not_of("0.");
    const auto past = [&](std::size_t significant) {   // the tie to that many significant digits, then a 1
        return texts::padded(tie, lead + significant + (lead < tie.find('.') ? 1 : 0)) + "1";
    };
    return checkValues({
        VALUE(reference::exactDecimal(low), low), VALUE(tie, even), VALUE(texts::nudged(tie, -1) + "9999", low),
        VALUE(tie + "0001", high), VALUE(past(799), high), VALUE(past(800), high), VALUE(past(801), high),
        VALUE(past(1500), high), VALUE(longTie, even), VALUE(texts::nudged(longTie, 1), high),
        VALUE(texts::nudged(longTie, -1), low),
    });
}

TEST(Values, TiesOfEveryLengthAtEveryBinaryExponent)
{
    // The smallest tie (0 and 2^-1075), 2^53, the largest double, the calculator's numbers.
    for (const double v : {0.0, 0x0.fffffffffffffp-1022, 0x1p53 - 1, 0x1p53, 0x1.ffffffffffffep1023,
                           0x1.fffffffffffffp1023, 0.1, 1e23, 6.672e-11, 5.98e24, 1.987e30, 6378000.0})
        checkAround(v, kLongText);
    // Every binary exponent, the subnormal ones too: its power of two and a random mantissa.
    std::mt19937_64 random(20261206);
    for (double power = 0x1p-1074; power < kInf; power *= 2) {
        const double unit = std::max(power * 0x1p-52, 0x1p-1074);
        const auto steps = static_cast<double>(random() % static_cast<std::uint64_t>(power / unit));
        if (!checkAround(power, 2000) || !checkAround(power + steps * unit, 2000))
            break;
    }
}

TEST(HugeTexts, ReadInFullWithoutOverflow)
{
    const std::string highBytes = texts::highBytes(kLongText);
    checkValues({
        VALUE(highBytes, 0.0), VALUE(highBytes.substr(1) + "7", 7.0),
        VALUE(highBytes.substr(0, 30000) + "5.98e24" + highBytes.substr(0, 30000), 5.98e24),
        VALUE(texts::repeated("-+.eE ", kLongText), 0.0), VALUE(std::string(kLongText, '9'), kInf),
        VALUE("0." + std::string(kLongText - 2, '3'), 1.0 / 3.0),
        VALUE("1e" + std::string(kLongText - 2, '9'), kInf), VALUE("1e-" + std::string(kLongText - 3, '9'), 0.0),
        VALUE("1e+" + std::string(kLongText - 6, '0') + "308", 1e308),
        VALUE("1e-" + std::string(kLongText - 6, '0') + "308", 1e-308),
        VALUE("0." + std::string(65000, '0') + "1e65001", 1.0),
        VALUE("1" + std::string(65000, '0') + "e-65000", 1.0),
        VALUE("1" + std::string(30000, '0') + "1e-30001", 1.0), VALUE(std::string(65000, '9') + "e-65000", 1.0),
    });
}

// The end of a readable page that an unreadable one follows (both kept
// until the process ends), or null where the system would not make them.
char* endBeforeUnreadablePage()
{
#ifdef _WIN32
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::size_t size = system.dwPageSize;
    auto* page = static_cast<char*>(VirtualAlloc(nullptr, 2 * size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD before;
    return page != nullptr && VirtualProtect(page + size, size, PAGE_NOACCESS, &before) ? page + size : nullptr;
#else
    const auto size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* pages = mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    auto* page = static_cast<char*>(pages);
    return pages != MAP_FAILED && mprotect(page + size, size, PROT_NONE) == 0 ? page + size : nullptr;
#endif
}

// Runs of every length whose NUL is the last readable byte: the scans must
// not look past the block that holds it.
TEST(HugeTexts, EndingRightBeforeUnreadableMemory)
{
    char* const end = endBeforeUnreadablePage();
    ASSERT_NE(end, nullptr) << "no page could be made unreadable";
    for (std::size_t n = 0; n < 200; ++n) {
        const std::string zeros(n, '0');
        for (const ValueCase& c : {VALUE(texts::highBytes(n) + "5", 5.0), VALUE(zeros + "5", 5.0),
                                   VALUE("5." + zeros, 5.0), VALUE("5e" + zeros + "1", 50.0),
                                   VALUE(texts::highBytes(n), 0.0)}) {
            char* text = end - c.text.size() - 1;
            std::memcpy(text, c.text.c_str(), c.text.size() + 1);
            EXPECT_EQ(fctext(text), c.expected) << reference::shown(c.text) << ", case at line " << c.line;
        }
    }
}

// Every row of the velocity table: its text in a buffer just large enough
// for it and its NUL; one byte less is too small and leaves the buffer as
// it was. The window passes its 65,536-byte copy of the distance as the
// result buffer, as the third call does.
TEST(Velocity, EveryRowOfTheTable)
{
    const char* path = std::getenv("ORBELA_VELOCITY_TABLE");
    std::ifstream table(path ? path : "", std::ios::binary);
    ASSERT_TRUE(table.is_open()) << "cannot read the table ORBELA_VELOCITY_TABLE names: " << (path ? path : "none");
    const std::string content{std::istreambuf_iterator<char>(table), std::istreambuf_iterator<char>()};
    // Its rows as its bytes count them: every line but those that start with '#'.
    auto rowsInTable = std::count(content.begin(), content.end(), '\n') - (content[0] == '#');
    if (!content.empty() && content.back() != '\n')
        ++rowsInTable;
    for (auto at = content.find("\n#"); at != std::string::npos; at = content.find("\n#", at + 1))
        --rowsInTable;
    std::istringstream lines(content);
    int rows = 0, line = 0;
    for (std::string row; std::getline(lines, row);) {
        ++line;
        if (row[0] == '#')
            continue;
        std::vector<std::string> field;
        std::istringstream fields(row);
        for (std::string f; std::getline(fields, f, '\t');)
            field.push_back(f);
        SCOPED_TRACE(testing::Message() << path << ":" << line << ": " << row);
        if (field.size() != 5 || (field[0] != "I" && field[0] != "II")) {
            ADD_FAILURE() << "not a row: kind (I or II), distance, mass, velocity and why, between tabs";
            continue;
        }
        const VelocityKind k = field[0] == "II" ? II : I;
        const std::string &distance = field[1], &mass = field[2], &expected = field[3];
        for (const std::size_t size : {expected.size() + 1, expected.size()})
            checkVelocity({k, distance, mass, expected, line}, size);
        std::vector<char> text1(65536, '\0');
        distance.copy(text1.data(), distance.size());
        EXPECT_TRUE(fcVelocity(k, text1.data(), mass.c_str(), text1.data(), text1.size()) && text1.data() == expected)
            << "the result into the distance's buffer: " << text1.data();
        ++rows;
    }
    std::printf("%d of the %d rows of the velocity table checked\n", rows, static_cast<int>(rowsInTable));
    EXPECT_TRUE(rows == rowsInTable && rows > 0) << rows << " rows checked of the " << rowsInTable << " in " << path;
}

// A distance or a mass that reads as zero is the input error, in a result
// buffer of any size.
TEST(Velocity, ZeroIsTheInputError)
{
    for (const char* zero : {"", "0", "0.000", "0e7", "-0", "0x10", "1e-400", "\xEC\xB9", "Zem\xEC 0e24"})
        for (const std::size_t size : {0, 8, 400}) {
            checkVelocity({I, zero, kEarth, "", __LINE__}, size);
            checkVelocity({II, "6378000", zero, "", __LINE__}, size);
        }
}

// In the Czech locale, whose decimal comma the C library's printf shows.
TEST(Velocity, TheProcessLocaleChangesNothing)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
#ifdef _WIN32
    const char* const czech = "Czech";
    const char* const how = "the C runtime has no Czech locale";
#else
    const char* const czech = "cs_CZ.UTF-8";
    const char* const how = "not installed; on Debian: the package locales, cs_CZ.UTF-8 in /etc/locale.gen, locale-gen";
#endif
    ASSERT_NE(std::setlocale(LC_ALL, czech), nullptr) << czech << ": " << how;
    char printed[8];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    EXPECT_STREQ(printed, "1,5") << "the C library's printf in " << czech;
    EXPECT_EQ(reference::valueMismatch("1.5", 1.5), "");
    checkVelocity({II, "6378000", kEarth, "11185.40", __LINE__});
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace

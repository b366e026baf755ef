// The velocity core: what the number grammar reads, correctly rounded values,
// huge and hostile texts, the velocities and their "%.2f" texts, and the
// result buffer.
//
// Expected values come from sources independent of the code under test:
// the compiler's own conversion of decimal literals, exact decimal
// expansions of doubles worked out digit by digit below, values known by
// arithmetic (1/3, powers of two) and, where the C library is glibc,
// strtod and snprintf.
#include "reference.h"
#include "texts.h"
#include "velocity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using texts::repeated;

constexpr std::size_t kLongText = 65534;   // longest text a field hands over
constexpr double kG = 6.672e-11;
const double kInf = std::numeric_limits<double>::infinity();

std::uint64_t bitsOf(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

double fromBits(std::uint64_t bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// A text for failure messages: escaped, and shortened when long.
std::string shown(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < 100; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            const char* hex = "0123456789ABCDEF";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    out += '"';
    if (text.size() > 100)
        out += "... (" + std::to_string(text.size()) + " bytes)";
    return out;
}

std::string described(double v)
{
    std::ostringstream s;
    s.precision(17);
    s << v << " (bits 0x" << std::hex << bitsOf(v) << ")";
    return s.str();
}

bool checkValue(const std::string& text, double expected, int line)
{
    const double got = fctext(text.c_str());
    EXPECT_EQ(bitsOf(got), bitsOf(expected))
        << "input " << shown(text) << "\n  got      " << described(got)
        << "\n  expected " << described(expected) << "\n  case at line " << line;
    return bitsOf(got) == bitsOf(expected);
}

// mantissa * 2^exp2 written out in full: every digit, no exponent.
std::string exactDecimal(std::uint64_t mantissa, int exp2)
{
    constexpr std::uint32_t kBase = 1000000000;
    std::vector<std::uint32_t> groups;   // nine digits each, least significant first
    for (; mantissa != 0; mantissa /= kBase)
        groups.push_back(static_cast<std::uint32_t>(mantissa % kBase));
    const auto multiply = [&groups](std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (auto& g : groups) {
            const std::uint64_t t = std::uint64_t{g} * factor + carry;
            g = static_cast<std::uint32_t>(t % kBase);
            carry = t / kBase;
        }
        for (; carry != 0; carry /= kBase)
            groups.push_back(static_cast<std::uint32_t>(carry % kBase));
    };
    for (int k = exp2; k > 0; k -= 16)
        multiply(std::uint32_t{1} << std::min(k, 16));
    for (int k = -exp2; k > 0; k -= 8)
        multiply(static_cast<std::uint32_t>(std::pow(5, std::min(k, 8))));

    std::string digits = groups.empty() ? "0" : std::to_string(groups.back());
    for (std::size_t i = groups.size() - 1; i-- > 0;) {
        const std::string g = std::to_string(groups[i]);
        digits += std::string(9 - g.size(), '0') + g;
    }
    const std::size_t fraction = exp2 < 0 ? static_cast<std::size_t>(-exp2) : 0;
    if (fraction == 0)
        return digits;
    if (digits.size() <= fraction)
        digits.insert(0, fraction + 1 - digits.size(), '0');
    digits.insert(digits.size() - fraction, ".");
    return digits;
}

// A finite double that is not negative as mantissa * 2^exp2.
void decompose(double v, std::uint64_t& mantissa, int& exp2)
{
    const std::uint64_t bits = bitsOf(v);
    const int field = static_cast<int>(bits >> 52);
    mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    if (field != 0)
        mantissa |= std::uint64_t{1} << 52;
    exp2 = (field != 0 ? field : 1) - 1075;
}

std::string exactDecimal(double v)
{
    std::uint64_t mantissa;
    int exp2;
    decompose(v, mantissa, exp2);
    return exactDecimal(mantissa, exp2);
}

// "123.456" as "123456e-3": the same value through the exponent.
std::string withExponent(const std::string& decimal)
{
    const std::size_t point = decimal.find('.');
    if (point == std::string::npos)
        return decimal + "e0";
    const std::size_t fraction = decimal.size() - point - 1;
    return decimal.substr(0, point) + decimal.substr(point + 1) + "e-" + std::to_string(fraction);
}

// "%.2f" of a double that is not negative, worked out on its exact decimal.
std::string fixed2ByHand(double v)
{
    std::string text = exactDecimal(v);
    if (text.find('.') == std::string::npos)
        return text + ".00";
    text += "000";
    const std::size_t cut = text.find('.') + 3;
    const std::string rest = text.substr(cut);
    text.resize(cut);
    const bool beyondHalf = rest.find_first_not_of('0', 1) != std::string::npos;
    const bool lastOdd = (text.back() - '0') % 2 == 1;
    if (rest[0] > '5' || (rest[0] == '5' && (beyondHalf || lastOdd))) {
        std::size_t i = text.size();
        while (i-- > 0) {
            if (text[i] == '.')
                continue;
            if (text[i] != '9') {
                ++text[i];
                break;
            }
            text[i] = '0';
        }
        if (i == std::string::npos)
            text.insert(0, "1");
    }
    return text;
}

struct ValueCase {
    const char* text;
    double expected;
    int line;
};
#define VALUE(text, expected) ValueCase{text, expected, __LINE__}
// The text and the value the compiler makes of the same literal.
#define LITERAL(number) ValueCase{#number, number, __LINE__}

// ------------------------------------------------------------- grammar

TEST(Grammar, WhatIsSkippedWhereANumberStartsAndEnds)
{
    const ValueCase cases[] = {
        VALUE("", 0.0),
        VALUE("abc", 0.0),
        VALUE("Slunce", 0.0),
        VALUE("-.e+", 0.0),
        VALUE("\xEC\xE8\xF8\xBE\xFD\xE1\xED\xE9", 0.0),
        VALUE("6378000", 6378000.0),
        VALUE("-6378000", 6378000.0),
        VALUE("+5", 5.0),
        VALUE(".5", 5.0),
        VALUE("x=12", 12.0),
        VALUE("r2=6378000", 2.0),
        VALUE("Zem\xEC 5.98e24", 5.98e24),
        VALUE("Slunce 1.987e30", 1.987e30),
        VALUE("\x80\xFF\xB2\xB3 7", 7.0),
        VALUE("e5", 5.0),
        VALUE("E-7", 7.0),
        VALUE("3.84e8 m", 3.84e8),
        VALUE("6378000 m", 6378000.0),
        VALUE("6,378e6", 6.0),
        VALUE("1 000", 1.0),
        VALUE("0x10", 0.0),
        VALUE("007", 7.0),
        VALUE("00.0012", 0.0012),
        VALUE("5.", 5.0),
        VALUE("5.25", 5.25),
        VALUE("5..3", 5.0),
        VALUE("5.3.2", 5.3),
        VALUE("5.e3", 5000.0),
        VALUE("5e", 5.0),
        VALUE("5e+", 5.0),
        VALUE("5E-", 5.0),
        VALUE("5e+-3", 5.0),
        VALUE("5 e3", 5.0),
        VALUE("5e 3", 5.0),
        VALUE("5e3", 5000.0),
        VALUE("5E3", 5000.0),
        VALUE("5e+3", 5000.0),
        VALUE("5e-3", 0.005),
        VALUE("5e3e2", 5000.0),
        VALUE("5e3.7", 5000.0),
        VALUE("1e0005", 100000.0),
        VALUE("5d3", 5.0),
        VALUE("5D3", 5.0),
        VALUE("12\0" "34", 12.0),
        VALUE("\0" "34", 0.0),
        VALUE("0", 0.0),
        VALUE("0.000", 0.0),
        VALUE("0e7", 0.0),
        VALUE("0e999999", 0.0),
        VALUE("1e400", kInf),
        VALUE("1e-400", 0.0),
    };
    for (const ValueCase& c : cases)
        checkValue(c.text, c.expected, c.line);
}

// --------------------------------------------------------------- values

TEST(Values, AgreeWithTheCompilersConversion)
{
    const ValueCase cases[] = {
        LITERAL(0.1),
        LITERAL(0.3),
        LITERAL(6.672e-11),
        LITERAL(1e22),
        LITERAL(1e23),
        LITERAL(1e-22),
        LITERAL(123456789e30),
        LITERAL(9007199254740993e22),
        LITERAL(8.98846567431158e307),
        LITERAL(9007199254740992.0),
        LITERAL(9007199254740993.0),
        LITERAL(9007199254740995.0),
        LITERAL(9007199254740993.000000000000000000000000000001),
        LITERAL(1.00000000000000011102230246251565404236316680908203125),
        LITERAL(1.00000000000000011102230246251565404236316680908203124999),
        LITERAL(1.00000000000000011102230246251565404236316680908203125001),
        LITERAL(3.14159265358979323846264338327950288419716939937510582097),
        LITERAL(123456789012345678901234567890.0),
        LITERAL(7.038531e-26),
        LITERAL(2.2250738585072011e-308),
        LITERAL(2.2250738585072012e-308),
        LITERAL(2.2250738585072014e-308),
        LITERAL(4.9406564584124654e-324),
        LITERAL(2.4703282292062328e-324),
        LITERAL(1.7976931348623157e308),
        LITERAL(1.7976931348623158e308),
        LITERAL(5.98e24),
        LITERAL(1.496e11),
        VALUE("2.4703282292062327e-324", 0.0),
        VALUE("1.8e308", kInf),
    };
    for (const ValueCase& c : cases)
        checkValue(c.text, c.expected, c.line);
}

TEST(Values, PowersOfTwoWrittenOutInFull)
{
    for (int k = -1074; k <= 1023; ++k) {
        const std::uint64_t bits = k >= -1022 ? std::uint64_t(k + 1023) << 52
                                              : std::uint64_t{1} << (k + 1074);
        const std::string text = exactDecimal(1, k);
        if (!checkValue(text, fromBits(bits), __LINE__) ||
            !checkValue(withExponent(text), fromBits(bits), __LINE__))
            break;
    }
}

// Exactly halfway between two adjacent doubles the even one wins; the
// smallest step away from halfway decides, however far down it lies.
bool checkHalfway(double low)
{
    std::uint64_t mantissa;
    int exp2;
    decompose(low, mantissa, exp2);
    const double high = fromBits(bitsOf(low) + 1);
    const double even = mantissa % 2 == 0 ? low : high;
    const std::string tie = exactDecimal(2 * mantissa + 1, exp2 - 1);
    const bool integral = tie.find('.') == std::string::npos;

    std::string below = tie;
    if (integral) {
        std::size_t i = below.size() - 1;
        for (; below[i] == '0'; --i)
            below[i] = '9';
        --below[i];
        below += ".9999";
    } else {
        below.back() = '4';
        below += "9999";
    }
    const std::string stretched = integral ? tie + "." : tie;
    // The 800th significant digit and its neighbours are where the reading
    // stops keeping digits.
    const std::size_t lead = tie.find_first_not_of("0.");
    const std::size_t point = tie.find('.') == std::string::npos ? tie.size() : tie.find('.');
    const auto past = [&](std::size_t significant) {
        std::size_t end = lead + significant + (lead < point && lead + significant > point ? 1 : 0);
        std::string text = stretched;
        if (text.size() < end)
            text += std::string(end - text.size(), '0');
        return text;
    };
    bool ok = checkValue(tie, even, __LINE__) && checkValue(withExponent(tie), even, __LINE__) &&
              checkValue(below, low, __LINE__) && checkValue(withExponent(below), low, __LINE__) &&
              checkValue(stretched + "0001", high, __LINE__) &&
              checkValue(past(2000), even, __LINE__);
    for (std::size_t significant : {798, 799, 800, 801, 802, 1500})
        ok = ok && checkValue(past(significant) + "1", high, __LINE__);
    return ok;
}

TEST(Values, HalfwayBetweenAdjacentDoubles)
{
    const std::uint64_t boundaries[] = {
        0,                       // zero and the smallest subnormal
        1, 2, 0x000FFFFFFFFFFFFF,  // subnormals
        0x0010000000000000,      // smallest normal
        0x3FF0000000000000,      // 1
        0x4340000000000000,      // 2^53
        0x7FEFFFFFFFFFFFFE,
        0x7FEFFFFFFFFFFFFF,      // largest finite: halfway up is infinity
    };
    for (const std::uint64_t bits : boundaries)
        checkHalfway(fromBits(bits));
    for (const double v : {0.1, 1e23, 6.672e-11, 5.98e24, 1.987e30, 6378000.0})
        checkHalfway(v);

    std::mt19937_64 random(20261206);
    for (int i = 0; i < 1500; ++i) {
        const std::uint64_t bits = random() >> 1;
        if ((bits >> 52) != 0x7FF && !checkHalfway(fromBits(bits)))
            break;
    }
}

#ifdef __GLIBC__
TEST(Values, MatchGlibcOnGeneratedTexts)
{
    std::mt19937_64 random(6378000);
    const auto pick = [&random](int low, int high) {
        return static_cast<int>(random() % static_cast<std::uint64_t>(high - low + 1)) + low;
    };
    const char* junk[] = {"", "-", "+", ".", "r = ", "Zem\xEC ", "\xB5\xA7", "e", "x"};
    const char* tails[] = {"", " m", "kg", "e", "E+", ".", "d3", ",5", "\xB2"};
    int failures = 0;
    for (int i = 0; i < 200000 && failures < 10; ++i) {
        std::string text = junk[pick(0, 8)];
        const int digits = pick(0, 3) == 0 ? pick(20, 820) : pick(1, 20);
        for (int d = 0; d < digits; ++d)
            text += static_cast<char>('0' + (pick(0, 4) == 0 ? 0 : pick(0, 9)));
        if (pick(0, 1) == 1)
            text.insert(static_cast<std::size_t>(pick(static_cast<int>(text.size()) - digits,
                                                      static_cast<int>(text.size()))), ".");
        if (pick(0, 2) != 0)
            text += (pick(0, 1) ? "e" : "E") + std::string(pick(0, 2) ? "" : pick(0, 1) ? "+" : "-") +
                    std::to_string(pick(0, 400));
        text += tails[pick(0, 8)];
        if (!checkValue(text, reference::value(text.c_str()), __LINE__))
            ++failures;
    }
    // Doubles of every size, half of them subnormal, to 1 to 19 digits.
    for (int i = 0; i < 40000 && failures < 10; ++i) {
        const double v = fromBits(random() >> (i % 2 == 0 ? 1 : 12));
        if (!std::isfinite(v))
            continue;
        char text[40];
        std::snprintf(text, sizeof text, "%.*e", pick(0, 18), v);
        if (!checkValue(text, reference::value(text), __LINE__))
            ++failures;
    }
}
#endif

// ------------------------------------------------------ huge and hostile

TEST(HugeTexts, ReadInFullWithoutOverflow)
{
    const std::string highBytes = texts::highBytes(kLongText);
    const std::string one = "1.00000000000000011102230246251565404236316680908203125";
    const std::string overflow = exactDecimal((std::uint64_t{1} << 54) - 1, 970);
    std::string belowOverflow = overflow;
    belowOverflow.back() = static_cast<char>(belowOverflow.back() - 1);
    const std::string zeros = std::string(60000, '0');

    const struct {
        std::string text;
        double expected;
        int line;
    } cases[] = {
        {highBytes, 0.0, __LINE__},
        {highBytes.substr(1) + "7", 7.0, __LINE__},
        {highBytes.substr(0, 30000) + "5.98e24" + highBytes.substr(0, 30000), 5.98e24, __LINE__},
        {repeated("-+.eE ", kLongText), 0.0, __LINE__},
        {std::string(kLongText, '9'), kInf, __LINE__},
        {"1" + std::string(kLongText - 1, '0'), kInf, __LINE__},
        {"0." + std::string(kLongText - 3, '0') + "1", 0.0, __LINE__},
        {"0." + std::string(kLongText - 3, '3'), 1.0 / 3.0, __LINE__},
        {"0." + repeated("1234567890", kLongText - 2), 1234567890.0 / 9999999999.0, __LINE__},
        {repeated("1234567890", kLongText), kInf, __LINE__},
        {"1e" + std::string(kLongText - 2, '9'), kInf, __LINE__},
        {"1e-" + std::string(kLongText - 3, '9'), 0.0, __LINE__},
        {"1e" + std::string(kLongText - 2, '0'), 1.0, __LINE__},
        {"1e+" + std::string(kLongText - 6, '0') + "308", 1e308, __LINE__},
        {"1e-" + std::string(kLongText - 6, '0') + "308", 1e-308, __LINE__},
        {"0." + std::string(65000, '0') + "1e65001", 1.0, __LINE__},
        {"1" + std::string(65000, '0') + "e-65000", 1.0, __LINE__},
        {"1" + std::string(30000, '0') + "1e-30001", 1.0, __LINE__},
        {std::string(65000, '9') + "e-65000", 1.0, __LINE__},
        {one + zeros, 1.0, __LINE__},
        {one + zeros + "1", fromBits(0x3FF0000000000001), __LINE__},
        {overflow + "." + zeros, kInf, __LINE__},
        {belowOverflow + "." + std::string(60000, '9'), fromBits(0x7FEFFFFFFFFFFFFF), __LINE__},
    };
    for (const auto& c : cases)
        checkValue(c.text, c.expected, c.line);
}

#ifdef __GLIBC__
TEST(HugeTexts, MatchGlibcOnLongDigitRuns)
{
    std::mt19937_64 random(11185);
    for (int i = 0; i < 200; ++i) {
        const std::size_t length = 1000 + random() % (kLongText - 1000);
        std::string text(length, '0');
        for (char& c : text)
            c = static_cast<char>('0' + random() % 10);
        text[random() % 700] = '.';
        if (i % 2 == 1)
            text.replace(length - 6, 6, "e-" + std::to_string(random() % 10000));
        if (!checkValue(text, reference::value(text.c_str()), __LINE__))
            break;
    }
}
#endif

// -------------------------------------------------------------- velocity

struct VelocityCase {
    VelocityKind kind;
    std::string distance;
    std::string mass;
    std::string expected;
    int line;
};

void checkVelocity(const VelocityCase& c)
{
    char result[400] = "untouched";
    const bool ok = fcVelocity(c.kind, c.distance.c_str(), c.mass.c_str(), result, sizeof result);
    EXPECT_TRUE(ok && c.expected == result)
        << "distance " << shown(c.distance) << ", mass " << shown(c.mass) << ", kind "
        << static_cast<int>(c.kind) << "\n  got      " << (ok ? "" : "failure, ") << result
        << "\n  expected " << c.expected << "\n  case at line " << c.line;
}

constexpr auto I = VelocityKind::Circular;
constexpr auto II = VelocityKind::Escape;

TEST(Velocity, TheCalculatorsExamples)
{
    const VelocityCase cases[] = {
        {I, "6378000", "Zem\xEC 5.98e24", "7909.27", __LINE__},
        {II, "6378000", "Zem\xEC 5.98e24", "11185.40", __LINE__},
        {I, "3.84e8", "Zem\xEC 5.98e24", "1019.33", __LINE__},
        {II, "3.84e8", "Zem\xEC 5.98e24", "1441.54", __LINE__},
        {I, "1.496e11", "Slunce 1.987e30", "29768.79", __LINE__},
        {II, "1.496e11", "Slunce 1.987e30", "42099.42", __LINE__},
        {I, "-6378000", "Zem\xEC 5.98e24", "7909.27", __LINE__},
        {I, "6378000 m", "5.98e24 kg", "7909.27", __LINE__},
        {II, "6378000 m", "5.98e24 kg", "11185.40", __LINE__},
        {I, "r2=6378000", "Zem\xEC 5.98e24", "14124192.01", __LINE__},
        {I, "1", "1", "0.00", __LINE__},
        {I, "1e400", "5.98e24", "0.00", __LINE__},
        {I, "6378000", "1e400", "inf", __LINE__},
        {II, "1e-320", "1e308", "inf", __LINE__},
        {I, "1e400", "1e400", "nan", __LINE__},
        {I, "1e-100", "1e200",
         "8168231142664854254118632448112032621140846433345828959311782268330189488287342872492525851046923930510189241591961200178237811413289782883647488.00",
         __LINE__},
    };
    for (const VelocityCase& c : cases)
        checkVelocity(c);
}

TEST(Velocity, InputErrorLeavesTheResultAsItWas)
{
    const char* zeroDistances[] = {"", "abc", "0", "0.000", "0e7", "-0", "0x10", "1e-400", "\xEC\xB9"};
    const char* zeroMasses[] = {"", "Slunce", "0", "0000", "Zem\xEC 0.0e24"};
    const auto check = [](const char* distance, const char* mass) {
        char result[32] = "previous result";
        std::memset(result + 16, 'Q', sizeof result - 16);
        const std::string before(result, sizeof result);
        const bool ok = fcVelocity(I, distance, mass, result, sizeof result);
        EXPECT_TRUE(!ok && before == std::string(result, sizeof result))
            << "distance " << shown(distance) << ", mass " << shown(mass)
            << "\n  got      " << (ok ? "success " : "failure ") << shown(std::string(result, sizeof result))
            << "\n  expected failure " << shown(before);
    };
    for (const char* distance : zeroDistances) {
        check(distance, "Zem\xEC 5.98e24");
        check(distance, "0");
    }
    for (const char* mass : zeroMasses)
        check("6378000", mass);
}

TEST(Velocity, ResultMayBeTheDistanceBuffer)
{
    const std::string distances[] = {
        "6378000",
        repeated("\x9A\xE8\xF8 ", kLongText - 7) + "6378000",
        "6378000" + repeated("5", kLongText - 7),
    };
    const char* expected[] = {"7909.27", "7909.27", "0.00"};
    for (int i = 0; i < 3; ++i) {
        std::vector<char> text1(65536, '\0');
        std::copy(distances[i].begin(), distances[i].end(), text1.begin());
        const bool ok = fcVelocity(I, text1.data(), "Zem\xEC 5.98e24", text1.data(), text1.size());
        EXPECT_TRUE(ok && std::string(text1.data()) == expected[i])
            << "distance " << shown(distances[i]) << "\n  got      " << shown(text1.data())
            << "\n  expected " << expected[i];
    }
}

TEST(Velocity, TooSmallABufferIsNeverWrittenTo)
{
    const struct {
        const char* distance;
        const char* mass;
        std::string text;
    } cases[] = {
        {"6378000", "5.98e24", "7909.27"},
        {"1", "1", "0.00"},
        {"6378000", "1e400", "inf"},
        {"1e-10", "1e30", "816823114266485.50"},
    };
    for (const auto& c : cases) {
        for (std::size_t size = 0; size <= c.text.size() + 1; ++size) {
            char result[40];
            std::memset(result, '#', sizeof result);
            const bool ok = fcVelocity(I, c.distance, c.mass, result, size);
            const bool fits = size > c.text.size();
            const std::string expected =
                fits ? c.text + '\0' + std::string(sizeof result - size, '#') : std::string(sizeof result, '#');
            const std::string got = fits ? std::string(result, c.text.size() + 1) +
                                               std::string(result + size, sizeof result - size)
                                         : std::string(result, sizeof result);
            EXPECT_TRUE(ok == fits && got == expected)
                << "distance " << c.distance << ", mass " << c.mass << ", size " << size
                << "\n  got      " << (ok ? "success " : "failure ") << shown(got)
                << "\n  expected " << (fits ? "success " : "failure ") << shown(expected);
        }
    }
}

// A distance of exactly G makes the velocity the square root of the mass.
VelocityCase withVelocity(double v, int line)
{
    const double mass = v * v;
    return {I, exactDecimal(kG), exactDecimal(mass), fixed2ByHand(std::sqrt(kG * mass / kG)), line};
}

TEST(Velocity, PrintedExactlyWithTwoDecimals)
{
    const struct {
        double velocity;
        const char* text;
        int line;
    } cases[] = {
        {0.125, "0.12", __LINE__},   {0.375, "0.38", __LINE__},   {0.625, "0.62", __LINE__},
        {0.875, "0.88", __LINE__},   {1.125, "1.12", __LINE__},   {3.875, "3.88", __LINE__},
        {100.125, "100.12", __LINE__}, {12345.375, "12345.38", __LINE__},
        {2.675, "2.67", __LINE__},   {1.005, "1.00", __LINE__},   {0.015, "0.01", __LINE__},
        {0.005, "0.01", __LINE__},   {0.045, "0.04", __LINE__},   {0.085, "0.09", __LINE__},
        {1.5, "1.50", __LINE__},
        {1e22, "10000000000000000000000.00", __LINE__},
    };
    for (const auto& c : cases) {
        const VelocityCase vc = withVelocity(c.velocity, c.line);
        ASSERT_EQ(vc.expected, c.text) << "velocity case at line " << c.line;
        checkVelocity(vc);
    }
    std::mt19937_64 random(29768);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        // Velocities from 1e-6 to 1e150, on every scale.
        const double v = std::pow(10.0, static_cast<double>(random() % 156000) / 1000.0 - 6.0);
        checkVelocity(withVelocity(v, __LINE__));
    }
}

#ifdef __GLIBC__
TEST(Velocity, PrintedAsGlibcPrintsIt)
{
    std::mt19937_64 random(42099);
    for (int i = 0; i < 100000 && !HasFailure(); ++i) {
        char distance[40];
        char mass[40];
        std::snprintf(distance, sizeof distance, "%.17g", fromBits(random() >> 1));
        const double v = (random() % 4 == 0) ? static_cast<double>(random() % 100000) / 8.0
                                              : std::pow(10.0, static_cast<double>(random() % 16000) / 100.0 - 4.0);
        std::snprintf(mass, sizeof mass, "%.17g", v * v);
        const VelocityKind kind = i % 2 ? I : II;
        const double d = reference::value(distance);
        const double m = reference::value(mass);
        if (d == 0.0 || m == 0.0)
            continue;
        const double factor = static_cast<int>(kind);
        checkVelocity({kind, distance, mass, reference::fixed2(std::sqrt(factor * kG * m / d)), __LINE__});
    }
}
#endif

TEST(Velocity, TheProcessLocaleChangesNothing)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* names[] = {"cs_CZ.UTF-8", "de_DE.UTF-8", "Czech_Czechia.1250", "Czech", "German"};
    const char* chosen = nullptr;
    for (const char* name : names)
        if (chosen == nullptr && std::setlocale(LC_ALL, name) != nullptr)
            chosen = name;
    if (chosen == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    checkValue("1.5", 1.5, __LINE__);
    checkVelocity({II, "6378000", "Zem\xEC 5.98e24", "11185.40", __LINE__});
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace

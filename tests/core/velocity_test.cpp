// The velocity core: the number grammar, correctly rounded values, huge and
// hostile texts, the velocities and their "%.2f" texts, the result buffer.
// Expected values come from the compiler's conversion of decimal literals,
// exact decimal expansions of doubles worked out below, arithmetic (1/3)
// and, where the C library is glibc, strtod and snprintf.
#include "reference.h"
#include "texts.h"
#include "velocity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kLongText = 65534;   // longest text a field hands over
constexpr double kG = 6.672e-11;
const double kInf = std::numeric_limits<double>::infinity();
constexpr auto I = VelocityKind::Circular;
constexpr auto II = VelocityKind::Escape;
const char* const kEarth = "Zem\xEC 5.98e24";

double fromBits(std::uint64_t bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// A text for failure messages: escaped, and shortened when long.
std::string shown(const std::string& text)
{
    return testing::PrintToString(text.substr(0, 100)) +
           (text.size() > 100 ? "... (" + std::to_string(text.size()) + " bytes)" : "");
}

bool checkValue(const std::string& text, double expected, int line)
{
    const double got = fctext(text.c_str());
    EXPECT_TRUE(got == expected) << std::setprecision(17) << "input " << shown(text) << "\n  got      " << got
                                 << "\n  expected " << expected << "\n  case at line " << line;
    return got == expected;
}

// mantissa * 2^exp2 written out in full: every digit, no exponent.
std::string exactDecimal(std::uint64_t mantissa, int exp2)
{
    constexpr std::uint64_t kBase = 1000000000;
    std::vector<std::uint64_t> groups;   // nine digits each, least significant first
    for (groups.push_back(mantissa % kBase); mantissa >= kBase;)
        groups.push_back((mantissa /= kBase) % kBase);
    for (int k = std::abs(exp2); k > 0; k -= 8) {
        std::uint64_t factor = 1, carry = 0;
        for (int i = std::min(k, 8); i > 0; --i)
            factor *= exp2 > 0 ? 2 : 5;
        for (auto& g : groups) {
            carry += g * factor;
            g = carry % kBase;
            carry /= kBase;
        }
        for (; carry != 0; carry /= kBase)
            groups.push_back(carry % kBase);
    }
    std::string digits = std::to_string(groups.back());
    for (std::size_t i = groups.size() - 1; i-- > 0;)
        digits += std::to_string(kBase + groups[i]).substr(1);
    const std::size_t fraction = exp2 < 0 ? static_cast<std::size_t>(-exp2) : 0;
    if (fraction != 0 && digits.size() <= fraction)
        digits.insert(0, fraction + 1 - digits.size(), '0');
    return fraction == 0 ? digits : digits.insert(digits.size() - fraction, ".");
}

// A finite double that is not negative as mantissa * 2^exp2.
std::pair<std::uint64_t, int> decompose(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int field = static_cast<int>(bits >> 52);
    const std::uint64_t hidden = field != 0 ? std::uint64_t{1} << 52 : 0;
    return {bits % (std::uint64_t{1} << 52) + hidden, std::max(field, 1) - 1075};
}

std::string exactDecimal(double v)
{
    const auto [mantissa, exp2] = decompose(v);
    return exactDecimal(mantissa, exp2);
}

// "123.456" as "123456e-3": the same value through the exponent.
std::string withExponent(const std::string& decimal)
{
    const std::size_t point = decimal.find('.');
    if (point == std::string::npos)
        return decimal + "e0";
    return decimal.substr(0, point) + decimal.substr(point + 1) + "e-" +
           std::to_string(decimal.size() - point - 1);
}

struct ValueCase {
    std::string text;
    double expected;
    int line;
};
#define VALUE(text, expected) ValueCase{text, expected, __LINE__}
// The text and the value the compiler makes of the same literal.
#define LITERAL(number) ValueCase{#number, number, __LINE__}

TEST(Grammar, WhatIsSkippedWhereANumberStartsAndEnds)
{
    const ValueCase cases[] = {
        VALUE("", 0.0), VALUE("Slunce", 0.0), VALUE("-.e+", 0.0), VALUE("\xEC\xE8\xF8\xBE\xFD", 0.0),
        VALUE("-6378000", 6378000.0), VALUE("+5", 5.0), VALUE(".5", 5.0), VALUE("x=12", 12.0),
        VALUE("r2=6378000", 2.0), VALUE("Zem\xEC 5.98e24", 5.98e24), VALUE("\x80\xFF\xB2\xB3 7", 7.0),
        VALUE("e5", 5.0), VALUE("E-7", 7.0), VALUE("3.84e8 m", 3.84e8), VALUE("6,378e6", 6.0),
        VALUE("1 000", 1.0), VALUE("0x10", 0.0), VALUE("007", 7.0), VALUE("00.0012", 0.0012),
        VALUE("5.", 5.0), VALUE("5..3", 5.0), VALUE("5.3.2", 5.3), VALUE("5.e3", 5000.0),
        VALUE("5e", 5.0), VALUE("5e+", 5.0), VALUE("5E-", 5.0), VALUE("5e+-3", 5.0),
        VALUE("5 e3", 5.0), VALUE("5e 3", 5.0), VALUE("5E3", 5000.0), VALUE("5e+3", 5000.0),
        VALUE("5e-3", 0.005), VALUE("5e3e2", 5000.0), VALUE("5e3.7", 5000.0), VALUE("1e0005", 100000.0),
        VALUE("5d3", 5.0), VALUE("5D3", 5.0), VALUE(std::string("12\0" "34", 5), 12.0),
        VALUE("0.000", 0.0), VALUE("0e999999", 0.0), VALUE("1e400", kInf), VALUE("1e-400", 0.0),
    };
    for (const ValueCase& c : cases)
        checkValue(c.text, c.expected, c.line);
}

TEST(Values, AgreeWithTheCompilersConversion)
{
    const ValueCase cases[] = {
        LITERAL(0.1), LITERAL(6.672e-11), LITERAL(5.98e24), LITERAL(1e22), LITERAL(1e23), LITERAL(1e-22),
        LITERAL(1e-23), LITERAL(123456789e30), LITERAL(9007199254740993e22), LITERAL(8.98846567431158e307),
        LITERAL(9007199254740993.0), LITERAL(9007199254740995.0),
        LITERAL(9007199254740993.000000000000000000000000000001),
        LITERAL(1.00000000000000011102230246251565404236316680908203125),
        LITERAL(1.00000000000000011102230246251565404236316680908203124999),
        LITERAL(1.00000000000000011102230246251565404236316680908203125001),
        LITERAL(3.14159265358979323846264338327950288419716939937510582097),
        LITERAL(123456789012345678901234567890.0), LITERAL(7.038531e-26),
        LITERAL(2.2250738585072011e-308), LITERAL(2.2250738585072012e-308), LITERAL(2.2250738585072014e-308),
        LITERAL(4.9406564584124654e-324), LITERAL(2.4703282292062328e-324),
        LITERAL(1.7976931348623157e308), LITERAL(1.7976931348623158e308),
        VALUE("2.4703282292062327e-324", 0.0), VALUE("1.8e308", kInf),
    };
    for (const ValueCase& c : cases)
        checkValue(c.text, c.expected, c.line);
}

// The double itself reads exactly; exactly halfway to the next one the even
// one wins; the smallest step away from halfway decides, however far down
// it lies (digits are kept up to the 800th significant one).
bool checkAround(double low)
{
    const auto [mantissa, exp2] = decompose(low);
    const double high = std::nextafter(low, kInf);
    const double even = mantissa % 2 == 0 ? low : high;
    std::string tie = exactDecimal(2 * mantissa + 1, exp2 - 1);
    if (tie.find('.') == std::string::npos)
        tie += '.';
    std::string below = tie;
    std::size_t i = below.size();
    while (below[--i] == '0' || below[i] == '.')
        below[i] = below[i] == '0' ? '9' : '.';
    --below[i];
    const std::size_t lead = tie.find_first_not_of("0.");
    const auto past = [&](std::size_t significant) {
        return tie + std::string(lead + significant + (lead < tie.find('.') ? 1 : 0) - tie.size(), '0');
    };
    const ValueCase cases[] = {
        VALUE(exactDecimal(low), low), VALUE(withExponent(exactDecimal(low)), low),
        VALUE(tie, even), VALUE(withExponent(tie), even), VALUE(past(2000), even),
        VALUE(below + "9999", low), VALUE(withExponent(below + "9999"), low), VALUE(tie + "0001", high),
        VALUE(past(798) + "1", high), VALUE(past(799) + "1", high), VALUE(past(800) + "1", high),
        VALUE(past(801) + "1", high), VALUE(past(802) + "1", high), VALUE(past(1500) + "1", high),
    };
    return std::all_of(std::begin(cases), std::end(cases),
                       [](const ValueCase& c) { return checkValue(c.text, c.expected, c.line); });
}

TEST(Values, ExactAndHalfwayAndJustOffHalfway)
{
    const double special[] = {0.0, fromBits(0x000FFFFFFFFFFFFF), fromBits(0x7FEFFFFFFFFFFFFE),
                              fromBits(0x7FEFFFFFFFFFFFFF), 0.1, 1e23, kG, 5.98e24, 1.987e30, 6378000.0};
    for (const double v : special)
        checkAround(v);
    // Every binary exponent, the subnormal ones too: its power of two and a random mantissa.
    constexpr std::uint64_t kNormal = std::uint64_t{1} << 52;
    std::mt19937_64 random(20261206);
    for (std::uint64_t power = 1; power < 0x7FF * kNormal; power += std::min(power, kNormal)) {
        const std::uint64_t fraction = random() % std::min(power, kNormal);
        if (!checkAround(fromBits(power)) || !checkAround(fromBits(power | fraction)))
            break;
    }
}

#ifdef __GLIBC__
// Texts as a user might type them, with 1 to 65,000 digits, and doubles of
// every size printed to 1 to 19 digits, against glibc's strtod.
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
        const std::size_t start = text.size();
        const int digits = i % 1000 == 0 ? pick(1000, 65000) : pick(0, 3) ? pick(1, 20) : pick(20, 820);
        for (int d = 0; d < digits; ++d)
            text += static_cast<char>('0' + (pick(0, 4) == 0 ? 0 : pick(0, 9)));
        if (pick(0, 1) == 1)
            text.insert(start + static_cast<std::size_t>(pick(0, std::min(digits, 700))), ".");
        if (pick(0, 2) != 0)
            text += (pick(0, 1) ? "e" : "E") + std::string(pick(0, 2) ? "" : pick(0, 1) ? "+" : "-") +
                    std::to_string(pick(0, 400));
        text += tails[pick(0, 8)];
        failures += !checkValue(text, reference::value(text.c_str()), __LINE__);
    }
    for (int i = 0; i < 40000 && failures < 10; ++i) {
        const double v = fromBits(random() >> (i % 2 == 0 ? 1 : 12));   // half of them subnormal
        char text[40];
        std::snprintf(text, sizeof text, "%.*e", pick(0, 18), v);
        failures += std::isfinite(v) && !checkValue(text, reference::value(text), __LINE__);
    }
}
#endif

TEST(HugeTexts, ReadInFullWithoutOverflow)
{
    const std::string highBytes = texts::highBytes(kLongText);
    const std::string one =
        "1.00000000000000011102230246251565404236316680908203125" + std::string(60000, '0');
    const ValueCase cases[] = {
        VALUE(highBytes, 0.0), VALUE(highBytes.substr(1) + "7", 7.0),
        VALUE(highBytes.substr(0, 30000) + "5.98e24" + highBytes.substr(0, 30000), 5.98e24),
        VALUE(texts::repeated("-+.eE ", kLongText), 0.0), VALUE(std::string(kLongText, '9'), kInf),
        VALUE("0." + std::string(kLongText - 2, '3'), 1.0 / 3.0),
        VALUE("1e" + std::string(kLongText - 2, '9'), kInf),
        VALUE("1e-" + std::string(kLongText - 3, '9'), 0.0),
        VALUE("1e+" + std::string(kLongText - 6, '0') + "308", 1e308),
        VALUE("1e-" + std::string(kLongText - 6, '0') + "308", 1e-308),
        VALUE("0." + std::string(65000, '0') + "1e65001", 1.0),
        VALUE("1" + std::string(65000, '0') + "e-65000", 1.0),
        VALUE("1" + std::string(30000, '0') + "1e-30001", 1.0),
        VALUE(std::string(65000, '9') + "e-65000", 1.0),
        VALUE(one, 1.0), VALUE(one + "1", fromBits(0x3FF0000000000001)),
    };
    for (const ValueCase& c : cases)
        checkValue(c.text, c.expected, c.line);
}

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

TEST(Velocity, TheCalculatorsExamples)
{
    const VelocityCase cases[] = {
        {I, "6378000", kEarth, "7909.27", __LINE__}, {II, "6378000", kEarth, "11185.40", __LINE__},
        {I, "3.84e8", kEarth, "1019.33", __LINE__}, {II, "3.84e8", kEarth, "1441.54", __LINE__},
        {I, "1.496e11", "Slunce 1.987e30", "29768.79", __LINE__},
        {II, "1.496e11", "Slunce 1.987e30", "42099.42", __LINE__},
        {I, "1", "1", "0.00", __LINE__}, {I, "1e400", "5.98e24", "0.00", __LINE__},
        {I, "6378000", "1e400", "inf", __LINE__}, {II, "1e-320", "1e308", "inf", __LINE__},
        {I, "1e400", "1e400", "nan", __LINE__},
        {I, "1e-100", "1e200",
         "8168231142664854254118632448112032621140846433345828959311782268330189488287342872492525851046923930510189241591961200178237811413289782883647488.00",
         __LINE__},
    };
    for (const VelocityCase& c : cases)
        checkVelocity(c);
}

// fcVelocity into the first size bytes of a larger buffer: on success the
// text and its NUL; on failure, and beyond size always, nothing written.
void checkWrites(const char* distance, const char* mass, std::size_t size, const std::string& text, int line)
{
    std::string result(size + 8, '#');
    const bool ok = fcVelocity(I, distance, mass, result.data(), size);
    const std::string head = text.empty() ? "" : text + '\0';
    EXPECT_TRUE(ok == !text.empty() && result.compare(0, head.size(), head) == 0 &&
                result.find_first_not_of('#', text.empty() ? 0 : size) == std::string::npos)
        << "distance " << shown(distance) << ", mass " << shown(mass) << ", size " << size
        << "\n  got      " << (ok ? "success " : "failure ") << shown(result)
        << "\n  expected " << (text.empty() ? "failure, untouched" : "success " + shown(head))
        << "\n  case at line " << line;
}

TEST(Velocity, InputErrorLeavesTheResultAsItWas)
{
    for (const char* zero : {"", "0", "0.000", "0e7", "-0", "0x10", "1e-400", "\xEC\xB9", "Zem\xEC 0e24"}) {
        checkWrites(zero, kEarth, 32, "", __LINE__);
        checkWrites("6378000", zero, 32, "", __LINE__);
    }
}

TEST(Velocity, TooSmallABufferIsNeverWrittenTo)
{
    const VelocityCase cases[] = {
        {I, "6378000", "5.98e24", "7909.27", __LINE__}, {I, "1", "1", "0.00", __LINE__},
        {I, "6378000", "1e400", "inf", __LINE__}, {I, "1e-10", "1e30", "816823114266485.50", __LINE__},
    };
    for (const VelocityCase& c : cases)
        for (std::size_t size = 0; size <= c.expected.size() + 1; ++size)
            checkWrites(c.distance.c_str(), c.mass.c_str(), size,
                        size > c.expected.size() ? c.expected : "", c.line);
}

TEST(Velocity, ResultMayBeTheDistanceBuffer)
{
    const std::pair<std::string, const char*> cases[] = {
        {"6378000", "7909.27"},
        {texts::repeated("\x9A\xE8\xF8 ", kLongText - 7) + "6378000", "7909.27"},
        {"6378000" + texts::repeated("5", kLongText - 7), "0.00"},
    };
    for (const auto& [distance, expected] : cases) {
        std::vector<char> text1(65536, '\0');
        std::copy(distance.begin(), distance.end(), text1.begin());
        const bool ok = fcVelocity(I, text1.data(), kEarth, text1.data(), text1.size());
        EXPECT_TRUE(ok && std::string(text1.data()) == expected)
            << "distance " << shown(distance) << "\n  got      " << shown(text1.data())
            << "\n  expected " << expected;
    }
}

// The "%.2f" text of a velocity that is not negative: glibc's where there is
// one, else worked out on the exact decimal.
#ifdef __GLIBC__
std::string fixed2(double v)
{
    return reference::fixed2(v);
}
#else
std::string fixed2(double v)
{
    if (std::isinf(v))
        return "inf";
    const std::string exact = exactDecimal(v);
    const std::size_t point = exact.find('.');
    if (point == std::string::npos)
        return exact + ".00";
    const std::string fraction = exact.substr(point + 1) + "000";
    std::uint64_t hundredths = std::stoull(exact.substr(0, point) + fraction.substr(0, 2));
    const bool beyondHalf = fraction.find_first_not_of('0', 3) != std::string::npos;
    hundredths += fraction[2] > '5' || (fraction[2] == '5' && (beyondHalf || hundredths % 2 == 1));
    return std::to_string(hundredths / 100) + "." + std::to_string(100 + hundredths % 100).substr(1);
}
#endif

TEST(Velocity, PrintedExactlyWithTwoDecimals)
{
    // A distance of exactly G makes the velocity of kind I the square root of the mass.
#define PRINTED(v, text) VelocityCase{I, exactDecimal(kG), exactDecimal((v) * (v)), text, __LINE__}
    const VelocityCase cases[] = {
        PRINTED(0.125, "0.12"), PRINTED(0.375, "0.38"), PRINTED(0.625, "0.62"), PRINTED(0.875, "0.88"),
        PRINTED(1.125, "1.12"), PRINTED(3.875, "3.88"), PRINTED(100.125, "100.12"), PRINTED(1.5, "1.50"),
        PRINTED(12345.375, "12345.38"), PRINTED(2.675, "2.67"), PRINTED(1.005, "1.00"),
        PRINTED(0.015, "0.01"), PRINTED(0.005, "0.01"), PRINTED(0.045, "0.04"), PRINTED(0.085, "0.09"),
        PRINTED(1e22, "10000000000000000000000.00"),
    };
    for (const VelocityCase& c : cases)
        checkVelocity(c);

    // Velocities on every scale up to infinity, and eighths, which end in ties.
    const std::string distances[] = {exactDecimal(kG), "6378000", "1e-300"};
    const double distance[] = {kG, 6378000.0, 1e-300};
    std::mt19937_64 random(29768);
    for (int i = 0; i < 30000 && !HasFailure(); ++i) {
        const double v = i % 4 == 0 ? static_cast<double>(random() % 100000) / 8.0
                                    : std::pow(10.0, static_cast<double>(random() % 160000) / 1000.0 - 6.0);
        const VelocityKind kind = i % 2 ? I : II;
        const double velocity = std::sqrt(static_cast<int>(kind) * kG * (v * v) / distance[i % 3]);
        checkVelocity({kind, distances[i % 3], exactDecimal(v * v), fixed2(velocity), __LINE__});
    }
}

TEST(Velocity, TheProcessLocaleChangesNothing)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const char* names[] = {"cs_CZ.UTF-8", "de_DE.UTF-8", "Czech_Czechia.1250", "Czech", "German"};
    if (std::none_of(std::begin(names), std::end(names),
                     [](const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }))
        GTEST_SKIP() << "no locale with a decimal comma installed";
    checkValue("1.5", 1.5, __LINE__);
    checkVelocity({II, "6378000", kEarth, "11185.40", __LINE__});
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace

// The longest and strangest texts a user can get into the two input
// fields (typed, pasted, or set by another program), run through both
// velocity buttons of the real window. String literals are compiled to
// Windows-1250, the program's encoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "driver.h"
#include "program_test.h"
#include "release_driver.h"
#include "resource.h"
#include "texts.h"

namespace {

using texts::highBytes;

constexpr size_t kRead = 65534;  // what a velocity command reads of a field
constexpr size_t kOver = 70000;
// Wine's edit control takes seconds to lay out 65,534 digits.
constexpr DWORD kSetTextMs = 60000;

const char* const kEarth = "Země 5.98e24";

// The results of Kruhova r.I and Unikova r.II; null: the input-error box.
struct Answer {
    const char* circular;
    const char* escape;
};
const Answer kSurface{"7909.27", "11185.40"}, kZero{"0.00", "0.00"}, kInfinite{"inf", "inf"},
    kRejected{nullptr, nullptr};
// Put into the result field before each command; no case computes it.
const char* const kMarker = "1.23";

const char* const kDistanceLabel = "Vzdálenost od středu Země: ";
const char* const kMassLabel = "Hmotnost centrálního tělesa v kilogramech: ";
const char* const kCzechFill = "žluťoučký kůň úpěl ďábelské ódy ";

std::string digits(char d, size_t n) { return std::string(n, d); }

// `head`, then `fill` repeated, then `tail`: exactly `n` characters.
std::string framed(const std::string& head, const std::string& fill, const std::string& tail, size_t n) {
    return head + texts::repeated(fill, n - head.size() - tail.size()) + tail;
}

// The window's text length in characters; SIZE_MAX when it does not answer.
size_t textLength(HWND wnd, DWORD ms = kChangeMs) {
    DWORD_PTR len = 0;
    return SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, ms, &len) ? size_t(len) : SIZE_MAX;
}

// An edit control lays out its text when it paints.
bool finishDrawing(HWND wnd) {
    DWORD_PTR r = 0;
    return SendMessageTimeoutW(wnd, WM_PAINT, 0, 0, SMTO_NORMAL, kSetTextMs, &r) != 0;
}

// The text on the clipboard as CF_TEXT (the bytes as they are) or as
// CF_UNICODETEXT (converted from Windows-1250).
bool putOnClipboard(const std::string& cp1250, UINT format) {
    std::wstring w = fromCp1250(cp1250);
    const void* data = format == CF_UNICODETEXT ? static_cast<const void*>(w.c_str()) : cp1250.c_str();
    size_t bytes = format == CF_UNICODETEXT ? (w.size() + 1) * sizeof(wchar_t) : cp1250.size() + 1;
    if (!waitUntil([] { return OpenClipboard(nullptr) != FALSE; }, kChangeMs)) return false;
    HGLOBAL h = EmptyClipboard() ? GlobalAlloc(GMEM_MOVEABLE, bytes) : nullptr;
    if (h) {
        std::memcpy(GlobalLock(h), data, bytes);
        GlobalUnlock(h);
        if (!SetClipboardData(format, h)) h = GlobalFree(h);
    }
    CloseClipboard();
    return h != nullptr;
}

class HostileInput : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        distance = GetDlgItem(main, IDC_DISTANCE);
        ASSERT_NE(massEdit = comboEdit(GetDlgItem(main, IDC_MASS)), nullptr) << "no edit field in the mass box";
    }
    void TearDown() override {
        if (slowest) std::printf("slowest answer to a velocity command: %lu ms\n", slowest);
        ProgramTest::TearDown();
    }

    // Clicks a velocity button and checks the answer: the expected result
    // in the result field, or (expected null) the input-error box, closed
    // with its OK. The first text other than the previous one counts.
    void command(int button, const char* expected) {
        SCOPED_TRACE(button == IDOK ? "button Kruhova r.I" : "button Unikova r.II");
        HWND result = GetDlgItem(main, IDC_RESULT);
        ASSERT_TRUE(setText(result, kMarker, kChangeMs));
        ASSERT_TRUE(activate(main)) << "cannot activate the window";
        DWORD start = GetTickCount();
        clickCentre(GetDlgItem(main, button));
        std::string shows = kMarker;
        HWND box = nullptr;
        bool answered = waitUntil([&] {
            shows = windowText(result);
            return shows != kMarker || (box = ownedDialog(main)) != nullptr;
        }, kAppearMs);
        DWORD took = GetTickCount() - start;
        if (took > slowest) slowest = took;
        ASSERT_TRUE(answered) << "no answer within " << kAppearMs << " ms";
        if (expected) {
            EXPECT_EQ(shows, expected);
            EXPECT_LE(took, kChangeMs) << "result shown after " << took << " ms";
            EXPECT_EQ(ownedDialog(main), nullptr) << "a box opened";
        } else {
            ASSERT_NE(box, nullptr) << "no input-error box; the result field shows \"" << shown(shows) << "\"";
            EXPECT_EQ(windowText(box), "chyba");
            EXPECT_EQ(itemText(box, kBoxText), "Zadejte do pole číslici");
            ASSERT_TRUE(activate(box)) << "cannot activate the error box";
            clickCentre(GetDlgItem(box, IDOK));
            ASSERT_TRUE(waitGone(box)) << "the error box is still open after a click on OK";
            EXPECT_EQ(windowText(result), kMarker) << "an input error changed the result field";
        }
        EXPECT_TRUE(answers(app)) << "the program ended or does not answer";
    }

    void bothButtons(const Answer& a) {
        command(IDOK, a.circular);
        command(IDC_ESCAPE, a.escape);
    }

    // The field holds exactly `expected` (compared in full, its start shown).
    ::testing::AssertionResult holds(HWND field, const std::string& expected) {
        std::string got = longText(field, kSetTextMs);
        if (got == expected) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "field holds " << got.size() << " characters, expected "
                                             << expected.size() << ": \"" << shown(got.substr(0, 40)) << "...\"";
    }

    HWND distance = nullptr;
    HWND massEdit = nullptr;
    DWORD slowest = 0;
};

// WM_SETTEXT passes the typing limit: the texts run up to and beyond what
// a velocity command reads.
TEST_F(HostileInput, SetDirectly) {
    struct Case {
        int line;
        const char* what;
        std::string distance;
        std::string mass;
        Answer answer;
    };
    const Case cases[] = {
        {__LINE__, "distance 1 and 65,533 zeros: infinite", "1" + digits('0', kRead - 1), kEarth, kZero},
        {__LINE__, "distance label, number, then digits beyond what is read",
         framed(kDistanceLabel, kCzechFill, "6378000", kRead) + digits('5', kOver - kRead), kEarth, kSurface},
        {__LINE__, "distance bytes 0x80-0xFF, a number beyond what is read",
         highBytes(kRead) + "6378000" + highBytes(kOver - kRead - 7), kEarth, kRejected},
        {__LINE__, "distance exponent of 5,001 digits",
         framed(kDistanceLabel, kCzechFill, "6.378e" + digits('0', 5000) + "6", kRead), kEarth, kSurface},
        {__LINE__, "distance 1e-999...: zero", framed(kDistanceLabel, kCzechFill, "1e-" + digits('9', 5000), kRead),
         kEarth, kRejected},
        {__LINE__, "mass label, number, then digits beyond what is read", "6378000",
         framed(kMassLabel, kCzechFill, "5.98e24", kRead) + digits('9', kOver - kRead), kSurface},
        {__LINE__, "mass 1e999...: infinite", "6378000",
         framed(kMassLabel, kCzechFill, "1e" + digits('9', 5000), kRead), kInfinite},
        {__LINE__, "mass bytes 0x80-0xFF, a number beyond what is read", "6378000",
         highBytes(kRead) + "5.98e24" + highBytes(kOver - kRead - 7), kRejected},
        {__LINE__, "both infinite", "1e" + digits('9', 5000), "1e" + digits('9', 5000), {"nan", "nan"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": " << c.what);
        DWORD start = GetTickCount();
        ASSERT_TRUE(setText(distance, c.distance, kSetTextMs)) << "distance not taken";
        ASSERT_TRUE(setText(massEdit, c.mass, kSetTextMs)) << "mass not taken";
        ASSERT_TRUE(finishDrawing(distance));
        ASSERT_TRUE(finishDrawing(massEdit));
        ASSERT_TRUE(holds(distance, c.distance));
        ASSERT_TRUE(holds(massEdit, c.mass));
        DWORD set = GetTickCount() - start;
        bothButtons(c.answer);
        std::printf("line %d: %zu + %zu characters set in %lu ms, both commands in %lu ms\n", c.line,
                    c.distance.size(), c.mass.size(), set, GetTickCount() - start - set);
        EXPECT_EQ(textLength(distance), c.distance.size()) << "the distance box changed";
        EXPECT_EQ(textLength(massEdit), c.mass.size()) << "the mass field changed";
    }
}

// Through the keyboard and the clipboard a field takes no more than it
// allows: the distance box up to its typing limit, the mass field (a combo
// box without horizontal scrolling) only what fits in its width.
TEST_F(HostileInput, PastedAndTyped) {
    DWORD_PTR limit = 0, massLimit = 0;
    ASSERT_TRUE(SendMessageTimeoutW(distance, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kChangeMs, &limit));
    ASSERT_TRUE(SendMessageTimeoutW(massEdit, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, kChangeMs, &massLimit));
    std::printf("typing limit: distance box %llu, mass field %llu characters\n", (unsigned long long)limit,
                (unsigned long long)massLimit);
    // What the fields take from the keyboard and the clipboard is read in full.
    ASSERT_LT(limit, kRead);
    ASSERT_LT(massLimit, kRead);
    ASSERT_GT(limit, 7u);
    // Wine trims a text too wide for the mass field a character at a time,
    // laying the rest out anew each time: 3,000 digits would take 10 s.
    struct Case {
        int line;
        const char* what;
        bool toMass;
        std::string clip;  // empty: nothing pasted
        UINT format;
        std::string typed;
        // The mass field keeps a part of what it was given, as long as it
        // fits; the result holds for any part within these lengths.
        size_t keptAtLeast;
        size_t keptAtMost;
        Answer answer;
    };
    const Case cases[] = {
        {__LINE__, "distance label, number at the limit, 2 digits more", false,
         framed(kDistanceLabel, kCzechFill, "6378000", limit) + "55", CF_UNICODETEXT, "", 0, 0, kSurface},
        {__LINE__, "distance bytes 0x80-0xFF up to the limit, then a number", false, highBytes(limit) + "6378000",
         CF_TEXT, "", 0, 0, kRejected},
        {__LINE__, "distance exponent of zeros up to the limit, then a digit", false,
         "6.378e" + digits('0', limit - 7) + "6" + "5", CF_UNICODETEXT, "", 0, 0, kSurface},
        {__LINE__, "distance 2 characters short of the limit, 4 typed", false,
         framed(kDistanceLabel, kCzechFill, "63780", limit - 2), CF_UNICODETEXT, "0055", 0, 0, kSurface},
        {__LINE__, "mass label longer than the field, then a number", true, std::string(kMassLabel) + "5.98e24",
         CF_UNICODETEXT, "", 1, std::string(kMassLabel).size(), kRejected},
        {__LINE__, "mass 1e and a thousand nines", true, "1e" + digits('9', 1000), CF_TEXT, "", 5, limit, kInfinite},
        {__LINE__, "mass bytes 0x80-0xFF beyond the limit", true, highBytes(limit + 100), CF_TEXT, "", 1, limit,
         kRejected},
        {__LINE__, "mass 1e and 40 nines typed", true, "", 0, "1e" + digits('9', 40), 5, 41, kInfinite},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": " << c.what);
        HWND field = c.toMass ? massEdit : distance;
        ASSERT_TRUE(setText(c.toMass ? distance : massEdit, c.toMass ? "6378000" : kEarth, kChangeMs));
        ASSERT_TRUE(setText(field, "", kChangeMs));
        ASSERT_TRUE(c.clip.empty() || putOnClipboard(c.clip, c.format)) << "the clipboard refused the text";
        ASSERT_TRUE(activate(main));
        clickCentre(field);
        ASSERT_TRUE(waitUntil([&] { return focusWindow(main) == field; }, kChangeMs)) << "no focus after a click";
        if (!c.clip.empty()) {
            pressKey('V', {VK_CONTROL});
            ASSERT_TRUE(waitUntil([&] { return textLength(field, kSetTextMs) != 0; }, kSetTextMs))
                << "Ctrl+V pasted nothing";
        }
        if (!c.typed.empty()) typeText(c.typed);
        ASSERT_TRUE(finishDrawing(field));
        const std::string given = c.clip + c.typed;
        const std::string inField = longText(field, kSetTextMs);
        if (c.toMass) {
            std::printf("line %d: the mass field kept %zu of %zu characters\n", c.line, inField.size(),
                        given.size());
            ASSERT_TRUE(given.compare(0, inField.size(), inField) == 0 && inField.size() >= c.keptAtLeast &&
                        inField.size() <= c.keptAtMost)
                << "the mass field holds \"" << shown(inField) << "\"";
        } else {
            ASSERT_TRUE(holds(field, given.substr(0, limit)));
        }
        bothButtons(c.answer);
        EXPECT_EQ(longText(field, kSetTextMs), inField) << "the field changed";
    }
}

}  // namespace

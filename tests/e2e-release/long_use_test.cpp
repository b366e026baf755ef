// A long day with the calculator: a thousand velocity commands, half of
// them input errors, and two hundred openings of the About box must leave
// the program's memory, GDI objects and windows where they were. Prints
// the figures. String literals are compiled to Windows-1250.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "driver.h"
#include "program_test.h"
#include "release_driver.h"
#include "resource.h"

namespace {

constexpr int kCommands = 1000;
constexpr int kAboutOpenings = 200;
constexpr int64_t kMemoryTolerance = 256 * 1024;

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";

struct Command {
    int line;
    const char* distance;
    const char* mass;
    int button;
    const char* result;  // null: input error
};

// Computed and rejected commands alternate; successive results all differ,
// so each one shows that its command ran.
const Command kCommandCycle[] = {
    {__LINE__, "6378000", kEarth, IDOK, "7909.27"},
    {__LINE__, "0", kEarth, IDOK, nullptr},
    {__LINE__, "6378000", kEarth, IDC_ESCAPE, "11185.40"},
    {__LINE__, "abc", kEarth, IDC_ESCAPE, nullptr},
    {__LINE__, "3.84e8", kEarth, IDOK, "1019.33"},
    {__LINE__, "6378000", "", IDOK, nullptr},
    {__LINE__, "3.84e8", kEarth, IDC_ESCAPE, "1441.54"},
    {__LINE__, "6378000", "Slunce", IDC_ESCAPE, nullptr},
    {__LINE__, "1.496e11", kSun, IDOK, "29768.79"},
    {__LINE__, "0x10", kEarth, IDOK, nullptr},
    {__LINE__, "1.496e11", kSun, IDC_ESCAPE, "42099.42"},
    {__LINE__, "", "", IDC_ESCAPE, nullptr},
};

class LongUse : public ProgramTest {
protected:
    // One command through its button, as a click delivers it; an input
    // error's box closed with its OK. "" or what went wrong.
    std::string run(const Command& c) {
        if (!setText(GetDlgItem(main, IDC_DISTANCE), c.distance, kChangeMs) ||
            !setText(comboEdit(GetDlgItem(main, IDC_MASS)), c.mass, kChangeMs))
            return "the fields do not take their texts";
        const std::string before = itemText(main, IDC_RESULT);
        PostMessageW(GetDlgItem(main, c.button), BM_CLICK, 0, 0);
        if (c.result) {
            if (!waitUntil([&] { return itemText(main, IDC_RESULT) == c.result; }, kChangeMs))
                return "result \"" + itemText(main, IDC_RESULT) + "\", expected " + c.result;
            return ownedDialog(main) ? "a box opened" : "";
        }
        HWND box = waitOwnedDialog(main, kAppearMs);
        if (!box) return "no input-error box; result \"" + itemText(main, IDC_RESULT) + "\"";
        std::string caption = windowText(box);
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        if (!waitGone(box)) return "the error box stays open after OK";
        if (caption != "chyba") return "a box \"" + shown(caption) + "\" instead of the input error";
        if (itemText(main, IDC_RESULT) != before)
            return "the result changed from " + before + " to " + itemText(main, IDC_RESULT);
        return {};
    }

    // Opens the About box by its menu command, waits until it has painted,
    // and closes it with OK or, every other time, a close request.
    std::string openAbout(int n) {
        PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
        HWND box = waitOwnedDialog(main, kAppearMs);
        if (!box) return "no About box";
        if (itemText(box, IDC_ABOUT_NAME) != "ORBELA_XB 1.0.0")
            return "a box \"" + shown(windowText(box)) + "\" instead of the About box";
        InvalidateRect(box, nullptr, TRUE);
        if (!waitUntil([&] { return !GetUpdateRect(box, nullptr, FALSE); }, kChangeMs))
            return "the About box does not paint";
        if (n % 2)
            PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        return waitGone(box) ? "" : "the About box stays open";
    }

    // Runs `count` commands (or About boxes); stops after five failures.
    void repeat(int count, bool about) {
        int failures = 0;
        for (int n = 0; n < count && failures < 5; ++n) {
            const Command& c = kCommandCycle[n % std::size(kCommandCycle)];
            std::string error = about ? openAbout(n) : run(c);
            if (error.empty()) continue;
            ++failures;
            if (about)
                ADD_FAILURE() << "About box " << n << ": " << error;
            else
                ADD_FAILURE() << "command " << n << " (line " << c.line << "): " << error;
        }
        ASSERT_EQ(failures, 0);
    }

    Figures settledFigures() {
        EXPECT_TRUE(answers(app)) << "the program ended or does not answer";
        Sleep(200);
        return measure(app);
    }
};

int64_t growth(uint64_t from, uint64_t to) { return int64_t(to) - int64_t(from); }

TEST_F(LongUse, ThousandCommandsAndTwoHundredAboutBoxes) {
    const bool guiCounted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0;
    if (!guiCounted) {
        // The stand-in count must follow three new brushes here first.
        long before = gdiHandlesInUse(GetCurrentProcess());
        HBRUSH brushes[3];
        for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
        long during = gdiHandlesInUse(GetCurrentProcess());
        for (HBRUSH b : brushes) DeleteObject(b);
        ASSERT_TRUE(before >= 0 && during == before + 3 && gdiHandlesInUse(GetCurrentProcess()) == before)
            << "GetGuiResources reports nothing and the GDI handle table cannot be read";
    }

    repeat(4 * int(std::size(kCommandCycle)), false);
    repeat(5, true);
    const Figures before = settledFigures();
    DWORD start = GetTickCount();
    repeat(kCommands, false);
    const DWORD commandsMs = GetTickCount() - start;
    const Figures commands = settledFigures();
    start = GetTickCount();
    repeat(kAboutOpenings, true);
    const DWORD aboutMs = GetTickCount() - start;
    const Figures after = settledFigures();

    std::printf("\nResource use of ORBELA.exe after a warm-up, after %d velocity commands (half of them\n"
                "input errors), after %d About boxes\n\n%-34s %12s %16s %14s %12s\n",
                kCommands, kAboutOpenings, "figure", "before", "after commands", "after About", "difference");
    const char* notReported = guiCounted ? "" : "not reported by this system (Wine: 0)";
    auto row = [&](const char* name, auto field, int64_t unit, const char* note) {
        int64_t b = int64_t(before.*field) / unit, c = int64_t(commands.*field) / unit;
        int64_t a = int64_t(after.*field) / unit;
        std::printf("%-34s %12lld %16lld %14lld %+12lld  %s\n", name, (long long)b, (long long)c, (long long)a,
                    (long long)(a - b), note);
    };
    row("PrivateUsage (KiB)", &Figures::privateBytes, 1024, before.privateBytes ? "" : notReported);
    row("PagefileUsage (KiB)", &Figures::pagefileBytes, 1024, "");
    row("WorkingSetSize (KiB)", &Figures::workingSetBytes, 1024, "");
    row("GDI objects (GetGuiResources)", &Figures::gdiObjects, 1, notReported);
    row("USER objects (GetGuiResources)", &Figures::userObjects, 1, notReported);
    if (!guiCounted) row("GDI handles in use (Wine's table)", &Figures::gdiHandles, 1, "");
    row("windows of the process", &Figures::windows, 1, "");
    std::printf("\n%d commands in %lu ms (%.1f ms each), %d About boxes in %lu ms (%.1f ms each);\n"
                "commands and box buttons driven by posted BM_CLICK\n\n",
                kCommands, commandsMs, double(commandsMs) / kCommands, kAboutOpenings, aboutMs,
                double(aboutMs) / kAboutOpenings);

    EXPECT_LE(growth(before.privateBytes, after.privateBytes), kMemoryTolerance);
    EXPECT_LE(growth(before.pagefileBytes, after.pagefileBytes), kMemoryTolerance);
    EXPECT_LE(growth(before.workingSetBytes, after.workingSetBytes), kMemoryTolerance);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
    EXPECT_EQ(commands.gdiHandles, before.gdiHandles) << "GDI handles left by velocity commands";
    EXPECT_EQ(after.gdiHandles, commands.gdiHandles) << "GDI handles left by About boxes";
    EXPECT_EQ(commands.windows, before.windows) << "windows left by velocity commands";
    EXPECT_EQ(after.windows, commands.windows) << "windows left by About boxes";

    // The memory figures must see half a megabyte of text in the distance box.
    const int probe = 512 * 1024;
    ASSERT_TRUE(setText(GetDlgItem(main, IDC_DISTANCE), std::string(probe, 'x'), 60000));
    const Figures probed = settledFigures();
    std::printf("with %d KiB of text in the distance box: PagefileUsage %+lld KiB, WorkingSetSize %+lld KiB\n",
                probe / 1024, (long long)growth(after.pagefileBytes, probed.pagefileBytes) / 1024,
                (long long)growth(after.workingSetBytes, probed.workingSetBytes) / 1024);
    EXPECT_GE(growth(after.pagefileBytes, probed.pagefileBytes), probe) << "PagefileUsage does not follow";
    EXPECT_GE(growth(after.workingSetBytes, probed.workingSetBytes), probe) << "WorkingSetSize does not follow";
}

}  // namespace

// The real program through a long day of use: four hundred velocity
// commands and eighty About boxes must leave its memory, GDI
// objects and windows where they were.
#include "fixture.h"

#include <psapi.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";

using LongUse = ProgramTest;

// Computed and rejected commands alternate, and successive results differ,
// so each shows that its command ran: its result, or the input-error box,
// closed by its OK, with the result kept; each About box paints and is
// closed by a close request. The figures come after a warm-up and after
// each half of the commands and of the boxes: a leak grows in the second
// half too, while caches settle in the first.
TEST_F(LongUse, LeavesNothingBehind) {
    const std::tuple<const char*, const char*, HWND, const char*> cycle[] = {  // null: the input error
        {"6378000", kEarth, circular, "7909.27"},   {"0", kEarth, circular, nullptr},
        {"6378000", kEarth, escape, "11185.40"},    {"abc", kEarth, escape, nullptr},
        {"3.84e8", kEarth, circular, "1019.33"},    {"6378000", "", circular, nullptr},
        {"3.84e8", kEarth, escape, "1441.54"},      {"0x10", "Slunce", escape, nullptr},
    };
    auto use = [&](int commands, int boxes) {
        for (int i = 0; i < commands && !HasFailure(); ++i) {
            const auto& [typed, massText, button, velocity] = cycle[i % std::size(cycle)];
            ASSERT_TRUE(setText(distance, typed) && setText(field(mass), massText) &&
                        setText(result, std::to_string(i)));
            PostMessageW(button, BM_CLICK, 0, 0);
            HWND box = velocity ? nullptr : ownedBox(main, kChangeMs);
            ASSERT_TRUE(velocity || (box && text(box) + itemText(box, kBoxText) == "chybaZadejte do pole číslici"))
                << "command " << i << ", " << typed << " | " << massText << " by " << name(button) << ": no input-error box";
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            const std::string expected = velocity ? velocity : std::to_string(i);
            ASSERT_TRUE(waitUntil([&] { return !ownedBox(main) && text(result) == expected; }, kChangeMs))
                << "command " << i << ", " << typed << " | " << massText << " by " << name(button) << ": result "
                << text(result) << ", expected " << expected;
        }
        for (int i = 0; i < boxes && !HasFailure(); ++i) {
            PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
            HWND box = ownedBox(main, kChangeMs);
            ASSERT_TRUE(box && showing(box, "ORBELA_XB " ORBELA_VERSION)) << "About box " << i;
            InvalidateRect(box, nullptr, TRUE);
            ASSERT_TRUE(waitUntil([&] { return !GetUpdateRect(box, nullptr, FALSE); }, kChangeMs)) << "not painted";
            PostMessageW(box, WM_CLOSE, 0, 0);
            ASSERT_TRUE(waitGone(box)) << "About box " << i << " stays open";
        }
    };
    std::printf("\nORBELA.exe after a warm-up, 200 and 400 velocity commands (half of them input errors),\n"
                "then 40 and 80 About boxes:\n");
    std::vector<std::vector<long>> figures;  // pagefile and working set (KiB), GDI handles, windows
    const std::pair<int, int> steps[] = {{40, 4}, {200, 0}, {200, 0}, {0, 40}, {0, 40}};
    for (const auto& [commands, boxes] : steps) {
        const DWORD start = GetTickCount();
        use(commands, boxes);
        ASSERT_TRUE(painted(main)) << "the window does not settle";
        PROCESS_MEMORY_COUNTERS pmc{};
        GetProcessMemoryInfo(process, &pmc, sizeof pmc);
        const long windows = windowsOf(pid);
        figures.push_back({long(pmc.PagefileUsage / 1024), long(pmc.WorkingSetSize / 1024), gdiObjects(process),
                           windows});
        std::printf("  PagefileUsage %6ld KiB, WorkingSetSize %6ld KiB, GDI handles %4ld, windows %3ld (%lu ms)\n",
                    figures.back()[0], figures.back()[1], figures.back()[2], windows, GetTickCount() - start);
    }
    // A leak grows with each of the 200 commands or 40 boxes of a half; Wine
    // itself may add a few handles once, at any time.
    ASSERT_GE(figures[0][2], 0) << "the GDI handle table cannot be read";
    for (size_t second : {2, 4}) {  // the second half of the commands, of the boxes
        EXPECT_LE(figures[second][0] - figures[second - 1][0], 1024) << "memory grows, step " << second;
        EXPECT_LE(figures[second][2] - figures[second - 1][2], 8) << "GDI handles grow, step " << second;
        EXPECT_EQ(figures[second][3], figures[second - 1][3]) << "windows, step " << second;
    }
}

}  // namespace

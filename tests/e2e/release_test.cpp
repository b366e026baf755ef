// The real program under the longest texts its fields take, and through a
// long day of use: six hundred velocity commands and a hundred and twenty
// About boxes must leave its memory, GDI objects and windows where they were.
#include "driver.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>

#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";
constexpr size_t kRead = 65534;  // what a velocity command reads of a field

// One velocity command through its button: "" when the result field comes
// to show `result` and no box opens, or (result null) when the input-error
// box opens, closed by its OK, and the result field stays as it was.
std::string command(HWND main, int button, const char* result) {
    HWND field = GetDlgItem(main, IDC_RESULT);
    const std::string before = text(field);
    PostMessageW(GetDlgItem(main, button), BM_CLICK, 0, 0);
    if (result && !waitUntil([&] { return text(field) == result; }, kChangeMs)) return "result " + text(field);
    if (result) return ownedBox(main) ? "a box opened" : "";
    HWND box = ownedBox(main, kChangeMs);
    if (!box) return "no input-error box; result " + text(field);
    const std::string shows = text(box) + ": " + itemText(box, kBoxText);
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    if (!waitGone(box)) return "the error box stays open after OK";
    if (shows != "chyba: Zadejte do pole číslici") return "a box " + shown(shows);
    return text(field) == before ? "" : "the result changed from " + before + " to " + text(field);
}

using Release = ProgramTest;

// Texts set straight into the fields, as long as a command reads and more.
TEST_F(Release, LongestTexts) {
    const std::string label = "Vzdálenost od středu Země: ", fill = "žluťoučký kůň úpěl ďábelské ódy ";
    auto framed = [&](const std::string& tail) {
        std::string s = label;
        while (s.size() + tail.size() < kRead) s += fill.substr(0, kRead - tail.size() - s.size());
        return s + tail;
    };
    std::string highBytes, huge = "1e" + std::string(5000, '9');
    for (size_t i = 0; i < kRead; ++i) highBytes += char(0x80 + i % 0x80);
    struct Case {
        int line;
        std::string distance, mass;
        const char *circular, *escape;  // null: the input error
    };
    const Case cases[] = {
        {__LINE__, framed("6378000"), kEarth, "7909.27", "11185.40"},
        {__LINE__, "6378000", framed("5.98e24"), "7909.27", "11185.40"},
        {__LINE__, "1" + std::string(kRead - 1, '0'), kEarth, "0.00", "0.00"},
        {__LINE__, highBytes + "6378000", kEarth, nullptr, nullptr},
        {__LINE__, "6378000", framed(huge), "inf", "inf"},
        {__LINE__, huge, huge, "nan", "nan"},
    };
    HWND fields[] = {item(IDC_DISTANCE), FindWindowExA(item(IDC_MASS), nullptr, "Edit", nullptr)};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        const DWORD start = GetTickCount();
        for (int i = 0; i < 2; ++i) {
            // Wine's edit control takes seconds to lay out the longest texts.
            const std::string& given = i ? c.mass : c.distance;
            const std::string holds = setText(fields[i], given, 120000) ? text(fields[i], 120000) : "";
            ASSERT_TRUE(holds == given) << "field " << i << " holds " << holds.size() << " characters of "
                                        << given.size() << ": \"" << shown(holds.substr(0, 60)) << "...\"";
        }
        const DWORD set = GetTickCount() - start;
        EXPECT_EQ(command(main, IDOK, c.circular), "");
        EXPECT_EQ(command(main, IDC_ESCAPE, c.escape), "");
        std::printf("line %d: %zu + %zu characters set in %lu ms, both commands in %lu ms\n", c.line,
                    c.distance.size(), c.mass.size(), set, GetTickCount() - start - set);
    }
}

// Entries in use in the GDI handle table that the process's PEB points to
// (at 0xF8 of the 64-bit PEB), as Wine keeps it: Wine reports no
// GetGuiResources. -1 when it cannot be read.
long gdiHandles(HANDLE process) {
    struct Entry {
        uint64_t object;
        uint32_t owner;
        uint16_t unique;
        uint8_t type;  // 0: not in use
        uint8_t flags;
        uint64_t user;
    };
    PROCESS_BASIC_INFORMATION info{};
    uint64_t table = 0;
    std::vector<Entry> entries(0x10000);
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0 ||
        !ReadProcessMemory(process, PBYTE(info.PebBaseAddress) + 0xF8, &table, sizeof table, nullptr) ||
        !ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size() * sizeof(Entry),
                           nullptr))
        return -1;
    return long(std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.type != 0; }));
}

// Computed and rejected commands alternate; successive results all differ,
// so each shows that its command ran. About boxes close by OK, or every
// other time by a close request. The figures are taken after a warm-up and
// after each half of the commands and of the boxes: a leak grows in the
// second half too, while caches settle in the first.
TEST_F(Release, LongUseLeavesNothingBehind) {
    struct Command {
        const char *distance, *mass;
        int button;
        const char* result;  // null: the input error
    };
    const Command cycle[] = {
        {"6378000", kEarth, IDOK, "7909.27"},       {"0", kEarth, IDOK, nullptr},
        {"6378000", kEarth, IDC_ESCAPE, "11185.40"}, {"abc", kEarth, IDC_ESCAPE, nullptr},
        {"3.84e8", kEarth, IDOK, "1019.33"},        {"6378000", "", IDOK, nullptr},
        {"3.84e8", kEarth, IDC_ESCAPE, "1441.54"},  {"0x10", "Slunce", IDC_ESCAPE, nullptr},
    };
    HWND mass = FindWindowExA(item(IDC_MASS), nullptr, "Edit", nullptr);
    auto commands = [&](int n) {
        for (int i = 0; i < n && !HasFailure(); ++i) {
            const Command& c = cycle[i % std::size(cycle)];
            ASSERT_TRUE(setText(item(IDC_DISTANCE), c.distance) && setText(mass, c.mass));
            ASSERT_EQ(command(main, c.button, c.result), "") << "command " << i;
        }
    };
    auto aboutBoxes = [&](int n) {
        for (int i = 0; i < n && !HasFailure(); ++i) {
            PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
            HWND box = ownedBox(main, kChangeMs);
            ASSERT_TRUE(box && itemText(box, IDC_ABOUT_NAME) == "ORBELA_XB 1.0.0") << "About box " << i;
            InvalidateRect(box, nullptr, TRUE);
            ASSERT_TRUE(waitUntil([&] { return !GetUpdateRect(box, nullptr, FALSE); }, kChangeMs)) << "not painted";
            if (i % 2)
                PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            ASSERT_TRUE(waitGone(box)) << "About box " << i << " stays open";
        }
    };
    const char* const names[] = {"PagefileUsage (KiB)", "WorkingSetSize (KiB)", "GDI handles in use",
                                 "windows of the process"};
    std::vector<std::vector<long>> figures;  // one row of the names' figures after each step
    auto measure = [&] {
        Sleep(200);
        PROCESS_MEMORY_COUNTERS pmc{};
        GetProcessMemoryInfo(process, &pmc, sizeof pmc);
        long windows = 0;
        for (HWND wnd : topWindows(pid)) {
            ++windows;
            EnumChildWindows(wnd, [](HWND, LPARAM n) -> BOOL { return ++*reinterpret_cast<long*>(n) > 0; },
                             LPARAM(&windows));
        }
        figures.push_back({long(pmc.PagefileUsage / 1024), long(pmc.WorkingSetSize / 1024), gdiHandles(process),
                           windows});
    };
    commands(40);
    aboutBoxes(4);
    measure();
    DWORD start = GetTickCount(), ms[2] = {};
    for (int step = 0; step < 4; ++step) {
        step < 2 ? commands(300) : aboutBoxes(60);
        ms[step / 2] += GetTickCount() - start;
        start = GetTickCount();
        measure();
    }
    std::printf("\nORBELA.exe before, after 300 and 600 velocity commands (half of them input errors), and\n"
                "after 60 and 120 About boxes (%lu ms for the commands, %lu ms for the boxes):\n", ms[0], ms[1]);
    for (size_t row = 0; row < std::size(names); ++row) {
        std::printf("  %-24s", names[row]);
        for (const auto& f : figures) std::printf(" %10ld", f[row]);
        std::printf("\n");
    }
    ASSERT_GE(figures[0][2], 0) << "the GDI handle table cannot be read";
    for (int second : {2, 4}) {
        SCOPED_TRACE(second == 2 ? "the second 300 velocity commands" : "the second 60 About boxes");
        const std::vector<long> &before = figures[second - 1], &after = figures[second];
        EXPECT_LE(after[0] - before[0], 1024) << "memory grows";
        EXPECT_EQ((std::vector<long>{after[2], after[3]}), (std::vector<long>{before[2], before[3]}))
            << "GDI handles, windows";
    }
}

}  // namespace

// The real program under the longest texts its fields take, and through a
// long day of use: a thousand velocity commands and two hundred About
// boxes must leave its memory, GDI objects and windows where they were.
#include "driver.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";
constexpr size_t kRead = 65534;  // what a velocity command reads of a field

// `head`, then `fill` repeated, then `tail`: `n` characters in all.
std::string framed(const std::string& head, const std::string& fill, const std::string& tail, size_t n) {
    std::string s = head;
    while (s.size() + tail.size() < n) s += fill.substr(0, n - tail.size() - s.size());
    return s + tail;
}

// One velocity command through its button: "" when the result field comes
// to show `result` and no box opens, or (result null) when the input-error
// box opens, closed by its OK, and the result field stays as it was.
std::string command(HWND main, int button, const char* result) {
    HWND field = GetDlgItem(main, IDC_RESULT);
    const std::string before = text(field);
    PostMessageW(GetDlgItem(main, button), BM_CLICK, 0, 0);
    if (result)
        return !waitUntil([&] { return text(field) == result; }, kChangeMs) ? "result " + text(field)
               : ownedBox(main)                                              ? "a box opened"
                                                                             : "";
    HWND box = ownedBox(main, kChangeMs);
    if (!box) return "no input-error box; result " + text(field);
    const std::string caption = text(box), message = itemText(box, kBoxText);
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    if (!waitGone(box)) return "the error box stays open after OK";
    if (caption != "chyba" || message != "Zadejte do pole číslici")
        return "a box \"" + shown(caption) + "\": \"" + shown(message) + "\"";
    return text(field) == before ? "" : "the result changed from " + before + " to " + text(field);
}

using Release = ProgramTest;

// Texts set straight into the fields, as long as a command reads and more.
TEST_F(Release, LongestTexts) {
    const std::string label = "Vzdálenost od středu Země: ", fill = "žluťoučký kůň úpěl ďábelské ódy ";
    std::string highBytes;
    for (size_t i = 0; i < kRead; ++i) highBytes += char(0x80 + i % 0x80);
    struct Case {
        int line;
        std::string distance, mass;
        const char *circular, *escape;  // null: the input error
    };
    const Case cases[] = {
        {__LINE__, framed(label, fill, "6378000", kRead), kEarth, "7909.27", "11185.40"},
        {__LINE__, "6378000", framed(label, fill, "5.98e24", kRead), "7909.27", "11185.40"},
        {__LINE__, "1" + std::string(kRead - 1, '0'), kEarth, "0.00", "0.00"},
        {__LINE__, highBytes + "6378000", kEarth, nullptr, nullptr},
        {__LINE__, "6378000", framed(label, fill, "1e" + std::string(5000, '9'), kRead), "inf", "inf"},
        {__LINE__, "1e" + std::string(5000, '9'), "1e" + std::string(5000, '9'), "nan", "nan"},
    };
    HWND distance = item(IDC_DISTANCE), mass = FindWindowExA(item(IDC_MASS), nullptr, "Edit", nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        const DWORD start = GetTickCount();
        // Wine's edit control takes seconds to lay out the longest texts.
        ASSERT_TRUE(setText(distance, c.distance, 120000) && setText(mass, c.mass, 120000));
        for (const auto& [field, given] : {std::pair{distance, &c.distance}, std::pair{mass, &c.mass}}) {
            const std::string holds = text(field, 120000);
            ASSERT_TRUE(holds == *given) << "a field holds " << holds.size() << " characters of "
                                         << given->size() << ": \"" << shown(holds.substr(0, 60)) << "...\"";
        }
        const DWORD set = GetTickCount() - start;
        EXPECT_EQ(command(main, IDOK, c.circular), "");
        EXPECT_EQ(command(main, IDC_ESCAPE, c.escape), "");
        std::printf("line %d: %zu + %zu characters set in %lu ms, both commands in %lu ms\n", c.line,
                    c.distance.size(), c.mass.size(), set, GetTickCount() - start - set);
    }
}

// Entries in use in the GDI handle table that the process's PEB points to
// (at 0xF8 of the 64-bit PEB); Wine reports no GetGuiResources. -1 when it
// cannot be read.
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
    ULONG got = 0;
    uint64_t table = 0;
    std::vector<Entry> entries(0x10000);
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, &got) != 0 ||
        !ReadProcessMemory(process, PBYTE(info.PebBaseAddress) + 0xF8, &table, sizeof table, nullptr) || !table ||
        !ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size() * sizeof(Entry),
                           nullptr))
        return -1;
    long inUse = 0;
    for (const Entry& e : entries) inUse += e.type != 0;
    return inUse;
}

struct Figures {
    long pagefileKiB, workingSetKiB, gdiHandles, windows;
};

Figures measure(HANDLE process, DWORD pid) {
    Sleep(200);
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(process, &pmc, sizeof pmc);
    long windows = 0;
    for (HWND wnd : topWindows(pid)) {
        ++windows;
        EnumChildWindows(wnd, [](HWND, LPARAM n) -> BOOL {
            ++*reinterpret_cast<long*>(n);
            return TRUE;
        }, LPARAM(&windows));
    }
    return {long(pmc.PagefileUsage / 1024), long(pmc.WorkingSetSize / 1024), gdiHandles(process), windows};
}

// Computed and rejected commands alternate; successive results all differ,
// so each shows that its command ran.
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
    // Closed by OK, or every other time by a close request.
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
    commands(40);
    aboutBoxes(4);
    std::vector<Figures> f{measure(process, pid)};
    const DWORD start = GetTickCount();
    for (int half = 0; half < 2; ++half) {
        commands(500);
        f.push_back(measure(process, pid));
    }
    const DWORD commandsMs = GetTickCount() - start;
    for (int half = 0; half < 2; ++half) {
        aboutBoxes(100);
        f.push_back(measure(process, pid));
    }
    std::printf("\nORBELA.exe before, after 500 and 1000 velocity commands (half of them input errors), and\n"
                "after 100 and 200 About boxes (%lu ms for the commands, %lu ms for the boxes):\n",
                commandsMs, GetTickCount() - start - commandsMs);
    const std::pair<const char*, long Figures::*> rows[] = {{"PagefileUsage (KiB)", &Figures::pagefileKiB},
                                                            {"WorkingSetSize (KiB)", &Figures::workingSetKiB},
                                                            {"GDI handles in use", &Figures::gdiHandles},
                                                            {"windows of the process", &Figures::windows}};
    for (const auto& [name, field] : rows) {
        std::printf("  %-24s", name);
        for (const Figures& x : f) std::printf(" %10ld", x.*field);
        std::printf("\n");
    }
    ASSERT_GE(f[0].gdiHandles, 0) << "the GDI handle table cannot be read";
    // A leak grows with every command; the first commands may settle caches.
    EXPECT_LE(f[2].pagefileKiB - f[1].pagefileKiB, 1024) << "memory grows with velocity commands";
    EXPECT_LE(f[4].pagefileKiB - f[3].pagefileKiB, 1024) << "memory grows with About boxes";
    for (const Figures& x : f) EXPECT_EQ(std::tie(x.gdiHandles, x.windows), std::tie(f[0].gdiHandles, f[0].windows));
}

}  // namespace

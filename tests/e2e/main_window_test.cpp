// The real main window, started as its own process and driven from outside
// with real keystrokes and clicks. String literals are compiled to
// Windows-1250, the program's encoding, and compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "driver.h"
#include "program_test.h"
#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";

// Whether `icon`, drawn `size` pixels square over the colour of the top
// left pixel of the screen area `r`, stands anywhere in that area.
bool showsIcon(const RECT& r, HICON icon, int size) {
    Image shot = captureScreen(r);
    if (!icon || shot.width < size || shot.height < size) return false;
    Image drawn = paintedImage(size, size, [&](HDC mem) {
        uint32_t c = shot.at(0, 0);
        HBRUSH bg = CreateSolidBrush(RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        RECT all{0, 0, size, size};
        FillRect(mem, &all, bg);
        DrawIconEx(mem, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DeleteObject(bg);
    });
    for (int y = 0; y + size <= shot.height; ++y)
        for (int x = 0; x + size <= shot.width; ++x) {
            bool same = true;
            for (int j = 0; j < size && same; ++j)
                for (int i = 0; i < size && same; ++i) same = shot.at(x + i, y + j) == drawn.at(i, j);
            if (same) return true;
        }
    return false;
}

// "question" when the box shows the system's question icon, "none" when
// its text stands where an icon would.
std::string boxIcon(HWND box) {
    HWND icon = GetDlgItem(box, kBoxIcon);
    RECT r{}, t{};
    if (icon) GetWindowRect(icon, &r);
    GetWindowRect(GetDlgItem(box, kBoxText), &t);
    if (!icon || !IsWindowVisible(icon) || IsRectEmpty(&r) || t.left < r.right) return "none";
    HICON question = LoadIconA(nullptr, IDI_QUESTION);
    return waitUntil([&] { return showsIcon(r, question, r.right - r.left); }, kChangeMs) ? "question"
                                                                                         : "another";
}

// What a message box shows.
struct Box {
    std::string caption, text, buttons, icon;
};
bool operator==(const Box& a, const Box& b) {
    return std::tie(a.caption, a.text, a.buttons, a.icon) == std::tie(b.caption, b.text, b.buttons, b.icon);
}
void PrintTo(const Box& b, std::ostream* os) {
    *os << "caption \"" << shown(b.caption) << "\", text \"" << shown(b.text) << "\", buttons "
        << b.buttons << ", icon " << b.icon;
}

Box readBox(HWND box) {
    Box b{windowText(box), itemText(box, kBoxText), "", boxIcon(box)};
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (className(c) != "Button" || !IsWindowVisible(c)) continue;
        int id = GetDlgCtrlID(c);
        if (!b.buttons.empty()) b.buttons += " ";
        b.buttons += id == IDOK ? "OK" : id == IDYES ? "Yes" : id == IDNO ? "No" : std::to_string(id);
    }
    return b;
}

class Window : public ProgramTest {
protected:
    HWND item(int id) const { return GetDlgItem(main, id); }
    std::string text(int id) const { return itemText(main, id); }
    HWND field(int id) const { return id == IDC_MASS ? comboEdit(item(id)) : item(id); }

    void click(int id) {
        ASSERT_TRUE(activate(main));
        clickCentre(item(id));
    }

    // Control `id` comes to show `expected`.
    ::testing::AssertionResult shows(int id, const std::string& expected) {
        if (waitUntil([&] { return text(id) == expected; }, kChangeMs)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "control " << id << " shows \"" << shown(text(id))
                                             << "\", expected \"" << shown(expected) << "\"";
    }

    // Clicks into the distance or the mass box.
    ::testing::AssertionResult focus(int id) {
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        clickCentre(field(id));
        if (waitUntil([&] { return focusWindow(main) == field(id); }, kChangeMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "a click into control " << id
                                             << " left the focus in control " << focusId(main);
    }

    // Replaces the text of the distance or the mass box by typing.
    ::testing::AssertionResult enter(int id, const std::string& value) {
        auto focused = focus(id);
        if (!focused) return focused;
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        if (value.empty())
            pressKey(VK_DELETE);
        else
            typeText(value);
        return shows(id, value);
    }

    // Chooses a preset mass: with the arrow keys in the emptied box, or with
    // a click on the box's arrow and one on the item.
    ::testing::AssertionResult choose(const std::string& preset, bool byMouse) {
        auto items = comboItems(item(IDC_MASS));
        int index = int(std::find(items.begin(), items.end(), preset) - items.begin());
        if (index == int(items.size())) return ::testing::AssertionFailure() << "no preset " << shown(preset);
        if (!byMouse) {
            auto emptied = enter(IDC_MASS, "");
            if (!emptied) return emptied;
            for (WORD key : {VK_DOWN, VK_UP})
                for (size_t i = 0; i <= items.size() && text(IDC_MASS) != preset; ++i) pressKey(key);
            return shows(IDC_MASS, preset);
        }
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        RECT r;
        GetWindowRect(item(IDC_MASS), &r);
        clickAt(POINT{r.right - GetSystemMetrics(SM_CXVSCROLL) / 2 - 2, (r.top + r.bottom) / 2});
        HWND list = nullptr;
        waitUntil([&] { return (list = findTopWindow(app.pid, "ComboLBox", nullptr)) != nullptr; }, kChangeMs);
        if (!list) return ::testing::AssertionFailure() << "the list did not open";
        DWORD_PTR h = 0;
        SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, kChangeMs, &h);
        GetWindowRect(list, &r);
        clickAt(POINT{(r.left + r.right) / 2, r.top + 1 + index * int(h) + int(h) / 2});
        return shows(IDC_MASS, preset);
    }
};

using StartUp = Window;
using Velocity = Window;
using Messages = Window;

// ---------------------------------------------------------------- start-up

TEST_F(StartUp, PresetsIconsAndFrame) {
    EXPECT_EQ(comboItems(item(IDC_MASS)), (std::vector<std::string>{kSun, kEarth}));
    DWORD_PTR sel = 0;
    SendMessageTimeoutW(item(IDC_MASS), CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kChangeMs, &sel);
    EXPECT_EQ(LRESULT(sel), CB_ERR) << "a preset is selected at start";

    // Wine answers no WM_GETICON from another process: the small icon is
    // looked for where a person sees it, at the left of the caption.
    RECT r;
    GetWindowRect(main, &r);
    r.bottom = r.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    r.right = r.left + 48;
    HMODULE exe = LoadLibraryExA(envPath("ORBELA_EXE").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HICON small = HICON(LoadImageA(exe, MAKEINTRESOURCEA(IDI_SMALL), IMAGE_ICON, 16, 16, LR_SHARED));
    HICON app16 = HICON(LoadImageA(exe, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16, LR_SHARED));
    EXPECT_TRUE(waitUntil([&] { return showsIcon(r, small, 16); }, kChangeMs))
        << "the caption does not show the icon IDI_SMALL";
    EXPECT_FALSE(showsIcon(r, app16, 16)) << "the caption shows the program icon IDI_APP";

    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & frame, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
        << "a maximise box or a sizing border, or no minimise box";
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitUntil([&] { return IsIconic(main) != FALSE; }, kChangeMs)) << "not minimised";
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(main); }, kChangeMs)) << "not restored";
}

// ---------------------------------------------------------------- velocity

enum class Mass { Typed, Keys, Mouse };
// How the two commands are given: both buttons clicked; Enter in the
// distance or the mass box for Kruhova r.I; Enter on each button, focused
// by Tab.
enum class Press { Click, EnterInDistance, EnterInMass, EnterOnButton };

TEST_F(Velocity, ButtonsAndEnter) {
    struct Case {
        int line;
        const char* distance;
        const char* mass;
        Mass how;
        Press press;
        const char* circular;
        const char* escape;
    };
    const Case cases[] = {
        {__LINE__, "6378000", kEarth, Mass::Keys, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "3.84e8", kEarth, Mass::Typed, Press::EnterInDistance, "1019.33", "1441.54"},
        {__LINE__, "1.496e11", kSun, Mass::Mouse, Press::EnterOnButton, "29768.79", "42099.42"},
        {__LINE__, "6378000", "7.35e22", Mass::Typed, Press::EnterInMass, "876.86", "1240.06"},
        {__LINE__, "6378000 m", "5.98e24 kg", Mass::Typed, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "-6378000", kEarth, Mass::Mouse, Press::EnterInMass, "7909.27", "11185.40"},
        {__LINE__, "1.496e11", kSun, Mass::Keys, Press::EnterOnButton, "29768.79", "42099.42"},
    };
    std::string previous = "0.00";
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": distance \"" << c.distance
                                          << "\", mass \"" << shown(c.mass) << "\"");
        ASSERT_NE(previous, c.circular) << "each row must change the result";
        ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
        ASSERT_TRUE(c.how == Mass::Typed ? enter(IDC_MASS, c.mass) : choose(c.mass, c.how == Mass::Mouse));
        for (int button : {IDOK, IDC_ESCAPE}) {
            if (c.press == Press::EnterOnButton) {
                ASSERT_TRUE(activate(main));
                ASSERT_TRUE(tabTo(main, button));
                pressKey(VK_RETURN);
            } else if (button == IDOK && c.press != Press::Click) {
                ASSERT_TRUE(focus(c.press == Press::EnterInMass ? IDC_MASS : IDC_DISTANCE));
                pressKey(VK_RETURN);
            } else {
                click(button);
            }
            EXPECT_TRUE(shows(IDC_RESULT, button == IDOK ? c.circular : c.escape))
                << (button == IDOK ? "Kruhova r.I" : "Unikova r.II");
            ASSERT_EQ(ownedDialog(main), nullptr) << "a box opened";
        }
        previous = c.escape;
    }
}

// ---------------------------------------------------------------- messages

TEST_F(Messages, InputErrorKeepsResult) {
    struct Case {
        int line;
        const char* distance;
        const char* mass;
        int button;
    };
    const Case cases[] = {
        {__LINE__, "", "", IDOK},
        {__LINE__, "0", kEarth, IDOK},
        {__LINE__, "abc", kEarth, IDC_ESCAPE},
        {__LINE__, "6378000", "", IDC_ESCAPE},
        {__LINE__, "6378000", "Slunce", IDOK},
    };
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
    ASSERT_TRUE(enter(IDC_MASS, kEarth));
    click(IDOK);
    ASSERT_TRUE(shows(IDC_RESULT, "7909.27"));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": distance \"" << c.distance
                                          << "\", mass \"" << shown(c.mass) << "\"");
        ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
        ASSERT_TRUE(enter(IDC_MASS, c.mass));
        click(c.button);
        HWND box = waitOwnedDialog(main);
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_EQ(readBox(box), (Box{"chyba", "Zadejte do pole číslici", "OK", "none"}));
        if (&c == cases) screenshot(box, "error");
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input behind the box";
        ASSERT_TRUE(activate(box));
        pressKey(VK_RETURN);
        ASSERT_TRUE(waitGone(box));
        EXPECT_EQ(text(IDC_RESULT), "7909.27");
        EXPECT_EQ(text(IDC_DISTANCE), c.distance);
    }
}

TEST_F(Messages, DefinitionsAndUsage) {
    struct Case {
        int line;
        int id;
        bool byEnter;  // Enter on the button, focused by Tab; the usage: Alt+N, N
        const char* caption;
        const char* text;
        const char* shot;
    };
    const Case cases[] = {
        {__LINE__, IDC_DEF1, false, "Prvni kosm.rychlost",
         "1. kosmická rychlost - rychlost, jíž by obíhalo těleso\n zanedbatelné hmotnosti po "
         "kruhové dráze, obvykle\n na úrovni povrchu tělesa.",
         "definition1"},
        {__LINE__, IDC_DEF2, true, "Druhá kosm.rychlost",
         "2. kosmická rychlost - minimální úniková rychlost.", "definition2"},
        {__LINE__, IDC_DEF3, false, "Třetí kosm.rychlost",
         "3. kosmická rychlost - někdy používaný pojem pro\n rychlost potřebnou k úniku z "
         "gravitačního působení centrální hvězdy (Slunce).",
         "definition3"},
        {__LINE__, IDM_HELP, true, "Help",
         "Do editboxu  \"Vzdalenost v metrech\" zadate vzdalenost v metrech od centraniho "
         "tělesa napr. Vzdalenost\nZemě Měsíc bude 3.84e8 a do comboboxu zadáte hmotnost "
         "centrálního tělesa v kilogramech.\nPak zvolíte Kruhova r.I ,to je vypočet první "
         "kosmicke rychlosti a, nebo Unikova r.II,\nto  je Druhá kosmická rychlost. Pokud "
         "dosadíte hmotnost Slunce, bude Druhá kosmická rychlost\nzároveň Třetí kosmickou, "
         "porotože se družice začne neustále vzdalovat od Slunce.",
         "usage"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": " << c.shot);
        if (!c.byEnter) {
            click(c.id);
        } else {
            ASSERT_TRUE(activate(main));
            if (c.id == IDM_HELP) {
                pressKey('N', {VK_MENU});
                ASSERT_NE(waitMenu(app.pid), nullptr) << "Alt+N opened no menu";
                pressKey('N');
            } else {
                ASSERT_TRUE(tabTo(main, c.id));
                pressKey(VK_RETURN);
            }
        }
        HWND box = waitOwnedDialog(main);
        ASSERT_NE(box, nullptr) << "no box";
        EXPECT_EQ(readBox(box), (Box{c.caption, c.text, "OK", "none"}));
        screenshot(box, c.shot);
        ASSERT_TRUE(activate(box));
        clickCentre(GetDlgItem(box, IDOK));
        ASSERT_TRUE(waitGone(box)) << "OK did not close the box";
        EXPECT_EQ(text(IDC_RESULT), "0.00");
    }
}

// ---------------------------------------------------------------- exit

enum class Ask { Esc, CloseBox, AltF4, Cancel, MenuKeys, MenuMouse };
const char* const kAskNames[] = {"Esc", "CloseBox", "AltF4", "Cancel", "MenuKeys", "MenuMouse"};
void PrintTo(Ask a, std::ostream* os) { *os << kAskNames[int(a)]; }

class ExitWays : public Window, public ::testing::WithParamInterface<Ask> {};

// The question is answered by key (N, A) or by mouse, the two in turn.
TEST_P(ExitWays, NoKeepsStateYesExits) {
    const Ask how = GetParam();
    const bool noByKey = how == Ask::Esc || how == Ask::AltF4 || how == Ask::MenuKeys;
    auto ask = [&] {
        ASSERT_TRUE(activate(main));
        switch (how) {
        case Ask::Esc: pressKey(VK_ESCAPE); break;
        case Ask::AltF4: pressKey(VK_F4, {VK_MENU}); break;
        case Ask::Cancel: clickCentre(item(IDCANCEL)); break;
        case Ask::CloseBox: {
            POINT at = closeBoxPoint(main);
            ASSERT_NE(at.x, 0) << "no close box found in the caption";
            clickAt(at);
            break;
        }
        case Ask::MenuKeys:
            pressKey('P', {VK_MENU});
            ASSERT_NE(waitMenu(app.pid), nullptr) << "Alt+P opened no menu";
            pressKey('U');
            break;
        case Ask::MenuMouse:
            ASSERT_TRUE(clickFirstMenuItem(main, kMenuBar, 0)) << "a click on Program opened no menu";
            break;
        }
    };
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
    ASSERT_TRUE(enter(IDC_MASS, kEarth));
    click(IDC_ESCAPE);
    ASSERT_TRUE(shows(IDC_RESULT, "11185.40"));
    ASSERT_TRUE(enter(IDC_DISTANCE, "3.84e8"));
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        ask();
        HWND box = waitOwnedDialog(main);
        ASSERT_NE(box, nullptr) << "no exit question";
        EXPECT_EQ(readBox(box), (Box{"ORBELA_XB 1.0.0", "Chcete ukončit?", "Yes No", "question"}));
        if (how == Ask::Esc && !yes) screenshot(box, "exit-question");
        ASSERT_TRUE(activate(box));
        if (noByKey != yes)
            pressKey(yes ? 'A' : 'N');
        else
            clickCentre(GetDlgItem(box, yes ? IDYES : IDNO));
        if (yes) break;
        ASSERT_TRUE(waitGone(box)) << "No did not close the question";
        EXPECT_EQ(WaitForSingleObject(app.process, 300), WAIT_TIMEOUT) << "the program ended on No";
        EXPECT_EQ(ownedDialog(main), nullptr) << "another box opened";
        EXPECT_EQ(text(IDC_DISTANCE), "3.84e8");
        EXPECT_EQ(text(IDC_MASS), kEarth);
        EXPECT_EQ(text(IDC_RESULT), "11185.40");
    }
    DWORD code = 12345;
    ASSERT_EQ(WaitForSingleObject(app.process, kAppearMs), WAIT_OBJECT_0) << "the program did not end on Yes";
    GetExitCodeProcess(app.process, &code);
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(ExitQuestion, ExitWays,
                         ::testing::Values(Ask::Esc, Ask::CloseBox, Ask::AltF4, Ask::Cancel,
                                           Ask::MenuKeys, Ask::MenuMouse),
                         [](const ::testing::TestParamInfo<Ask>& info) { return kAskNames[int(info.param)]; });

TEST_F(StartUp, TabOrder) {
    const std::vector<int> order{IDC_DEF1, IDC_DEF2, IDC_DEF3, IDOK, IDCANCEL,
                                 IDC_ESCAPE, IDC_DISTANCE, IDC_MASS, IDC_DEF1};
    ASSERT_TRUE(activate(main));
    ASSERT_TRUE(tabTo(main, IDC_DEF1));
    auto walk = [&](std::initializer_list<WORD> mods) {
        std::vector<int> seen{focusId(main)};
        while (seen.size() < order.size()) {
            pressKey(VK_TAB, mods);
            waitUntil([&] { return focusId(main) != seen.back(); }, kChangeMs);
            seen.push_back(focusId(main));
        }
        return seen;
    };
    EXPECT_EQ(walk({}), order) << "Tab";
    EXPECT_EQ(walk({VK_SHIFT}), std::vector<int>(order.rbegin(), order.rend())) << "Shift+Tab";
}

TEST_F(StartUp, TextsOnMenuColour) {
    const COLORREF m = GetSysColor(COLOR_MENU);
    const uint32_t menu = uint32_t(GetRValue(m)) << 16 | GetGValue(m) << 8 | GetBValue(m);
    const uint32_t yellow = 0xFFFFA0, pink = 0xFF00A0, blue = 0x0000FF;
    struct Case {
        int line;
        int id;
        uint32_t ink;
        bool group;  // a group box: only its caption strip, which has its frame too
    };
    const Case cases[] = {
        {__LINE__, IDC_TITLE, yellow, false},
        {__LINE__, IDC_RESULT, pink, false},
        {__LINE__, IDC_LABEL_DISTANCE, blue, false},
        {__LINE__, IDC_LABEL_MASS, blue, false},
        {__LINE__, IDC_LABEL_RESULT, blue, false},
        {__LINE__, IDC_STATUS, blue, false},
        {__LINE__, IDC_GROUP_INPUT, blue, true},
        {__LINE__, IDC_GROUP_RESULT, blue, true},
        {__LINE__, IDC_GROUP_DEFS, blue, true},
    };
    ASSERT_TRUE(activate(main));
    for (const Case& c : cases) {
        RECT r;
        GetClientRect(item(c.id), &r);
        MapWindowPoints(item(c.id), nullptr, reinterpret_cast<POINT*>(&r), 2);
        if (c.group) r.bottom = r.top + 10;
        std::map<uint32_t, int> seen;
        auto right = [&] { return seen.count(c.ink) && seen.count(menu) && (c.group || seen.size() == 2); };
        waitUntil([&] {
            seen.clear();
            for (uint32_t p : captureScreen(r).px) ++seen[p];
            return right();
        }, kChangeMs);
        std::ostringstream list;
        for (const auto& [colour, n] : seen) list << std::hex << " " << colour << std::dec << " x" << n;
        EXPECT_TRUE(right()) << "line " << c.line << ": control " << c.id << " wants ink " << std::hex << c.ink
                             << " on " << menu << " alone; seen" << list.str();
    }
    screenshot(main, "main");
}

}  // namespace

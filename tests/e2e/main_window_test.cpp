// The main window, started as its own process and driven from outside with
// real keystrokes and clicks. String literals are compiled to Windows-1250,
// the program's encoding, and compared byte for byte.
#include <map>
#include <sstream>
#include <tuple>

#include "driver.h"
#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";
const std::vector<std::wstring> kMenuBar{L"&Program", L"&Nápověda"};

uint32_t rgb(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Whether `icon`, drawn `size` pixels square over the colour of the top
// left pixel of the screen area `r`, stands anywhere in that area.
bool showsIcon(const RECT& r, HICON icon, int size) {
    Image shot = captureScreen(r);
    if (!icon || shot.width < size || shot.height < size) return false;
    Image drawn = paintedImage(size, size, [&](HDC mem) {
        HBRUSH bg = CreateSolidBrush(RGB(shot.px[0] >> 16, (shot.px[0] >> 8) & 0xFF, shot.px[0] & 0xFF));
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

// What a message box shows; its icon "question", "none" (the text stands
// where an icon would) or "another".
struct Box {
    std::string caption, text, buttons, icon;
    bool operator==(const Box& b) const {
        return std::tie(caption, text, buttons, icon) == std::tie(b.caption, b.text, b.buttons, b.icon);
    }
};
void PrintTo(const Box& b, std::ostream* os) {
    *os << "caption \"" << shown(b.caption) << "\", text \"" << shown(b.text) << "\", buttons " << b.buttons
        << ", icon " << b.icon;
}

Box readBox(HWND box) {
    Box b{text(box), itemText(box, kBoxText), "", "none"};
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(c);
        if (className(c) == "Button" && IsWindowVisible(c))
            b.buttons += std::string(b.buttons.empty() ? "" : " ") +
                         (id == IDOK ? "OK" : id == IDYES ? "Yes" : id == IDNO ? "No" : std::to_string(id));
    }
    HWND icon = GetDlgItem(box, kBoxIcon);
    RECT r{}, t{};
    GetWindowRect(GetDlgItem(box, kBoxText), &t);
    if (icon && IsWindowVisible(icon) && GetWindowRect(icon, &r) && !IsRectEmpty(&r) && t.left >= r.right)
        b.icon = waitUntil([&] { return showsIcon(r, LoadIconA(nullptr, IDI_QUESTION), r.right - r.left); },
                           kChangeMs) ? "question" : "another";
    return b;
}

class Window : public ProgramTest {
protected:
    HWND field(int id) const {
        return id == IDC_MASS ? FindWindowExA(item(id), nullptr, "Edit", nullptr) : item(id);
    }

    // Control `id` comes to show `expected`.
    ::testing::AssertionResult shows(int id, const std::string& expected) {
        if (waitUntil([&] { return itemText(main, id) == expected; }, kChangeMs)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "control " << id << " shows \"" << shown(itemText(main, id))
                                             << "\", expected \"" << shown(expected) << "\"";
    }

    // Clicks into the distance or the mass box.
    ::testing::AssertionResult focus(int id) {
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        click(field(id));
        if (waitUntil([&] { return focusWindow(main) == field(id); }, kChangeMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "a click into control " << id << " left the focus in "
                                             << focusId(main);
    }

    // Replaces the text of the distance or the mass box by typing.
    ::testing::AssertionResult enter(int id, const std::string& value) {
        auto focused = focus(id);
        if (!focused) return focused;
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        value.empty() ? pressKey(VK_DELETE) : typeText(value);
        return shows(id, value);
    }

    // Chooses a preset mass: with the arrow keys in the emptied box, or with
    // a click on the box's arrow and one on the item.
    ::testing::AssertionResult choose(const std::string& preset, bool byMouse) {
        const auto items = comboItems(item(IDC_MASS));
        const int index = int(std::find(items.begin(), items.end(), preset) - items.begin());
        auto emptied = enter(IDC_MASS, "");
        if (!emptied) return emptied;
        if (!byMouse) {
            for (WORD key : {VK_DOWN, VK_UP})
                for (size_t i = 0; i <= items.size() && itemText(main, IDC_MASS) != preset; ++i) pressKey(key);
            return shows(IDC_MASS, preset);
        }
        RECT r;
        GetWindowRect(item(IDC_MASS), &r);
        clickAt(POINT{r.right - GetSystemMetrics(SM_CXVSCROLL) / 2 - 2, (r.top + r.bottom) / 2});
        HWND list = nullptr;
        waitUntil([&] {
            for (HWND w : topWindows(pid))
                if (IsWindowVisible(w) && className(w) == "ComboLBox") return (list = w) != nullptr;
            return false;
        }, kChangeMs);
        DWORD_PTR h = 0;
        if (!list || !SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, kChangeMs, &h))
            return ::testing::AssertionFailure() << "the list did not open";
        GetWindowRect(list, &r);
        clickAt(POINT{(r.left + r.right) / 2, r.top + 1 + index * int(h) + int(h) / 2});
        return shows(IDC_MASS, preset);
    }
};

using StartUp = Window;
using Velocity = Window;
using Messages = Window;

TEST_F(StartUp, FieldsPresetsIconAndFrame) {
    EXPECT_EQ(comboItems(item(IDC_MASS)), (std::vector<std::string>{kSun, kEarth})) << "sorted presets";
    for (int id : {IDC_DISTANCE, IDC_MASS}) EXPECT_EQ(itemText(main, id), "") << "control " << id;
    EXPECT_EQ(itemText(main, IDC_RESULT), "0.00");

    // Wine answers no WM_GETICON from another process: the small icon is
    // looked for where a person sees it, at the left of the caption.
    RECT caption;
    GetWindowRect(main, &caption);
    caption.bottom = caption.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    caption.right = caption.left + 48;
    HMODULE exe = LoadLibraryExA(envPath("ORBELA_EXE").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    auto icon = [&](int id) { return HICON(LoadImageA(exe, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0)); };
    EXPECT_TRUE(waitUntil([&] { return showsIcon(caption, icon(IDI_SMALL), 16); }, kChangeMs))
        << "the caption does not show the icon IDI_SMALL";
    EXPECT_FALSE(showsIcon(caption, icon(IDI_APP), 16)) << "the caption shows the program icon IDI_APP";

    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & frame, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
        << "a maximise box or a sizing border, or no minimise box";
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitUntil([&] { return IsIconic(main); }, kChangeMs)) << "not minimised";
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(main); }, kChangeMs)) << "not restored";
}

// What each control shows at start and in which colours, as the screen
// shows it. The title is compared pixel for pixel with the text drawn here
// in 22-pixel italic Times New Roman; the others must show their ink and
// the menu colour (a group box: in its caption strip) and no other colour.
TEST_F(StartUp, TextsAndColours) {
    const uint32_t menu = rgb(GetSysColor(COLOR_MENU)), blue = 0x0000FF, none = 0xFFFFFFFF;
    struct Case {
        int line, id;
        const char* text;
        uint32_t ink;
    };
    const Case cases[] = {
        {__LINE__, IDC_TITLE, "Kosmicke rychlosti", 0xFFFFA0},
        {__LINE__, IDC_RESULT, "0.00", 0xFF00A0},
        {__LINE__, IDC_LABEL_DISTANCE, "Vzdalenost od stredu centr. telesa v metrech.", blue},
        {__LINE__, IDC_LABEL_MASS, "Hmotnost centralniho telesa v kilogramech", blue},
        {__LINE__, IDC_LABEL_RESULT, "Vysledna rychlost v metrech za sekundu", blue},
        {__LINE__, IDC_STATUS, "ORBELA_XB", blue},
        {__LINE__, IDC_GROUP_INPUT, "Zadani", blue},
        {__LINE__, IDC_GROUP_RESULT, "Vysledek", blue},
        {__LINE__, IDC_GROUP_DEFS, "Definice kosm. rychlosti", blue},
        {__LINE__, IDC_DEF1, "Prvni kosm. rychlost", none},
        {__LINE__, IDC_DEF2, "Druha kosm. rychlost", none},
        {__LINE__, IDC_DEF3, "Treti kosm. rychlost", none},
        {__LINE__, IDOK, "Kruhova r.I", none},
        {__LINE__, IDCANCEL, "Cancel", none},
        {__LINE__, IDC_ESCAPE, "Unikova r.II", none},
    };
    ASSERT_TRUE(activate(main));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": control " << c.id);
        EXPECT_EQ(itemText(main, c.id), c.text);
        if (c.ink == none) continue;
        RECT r = clientOnScreen(item(c.id));
        const bool group = className(item(c.id)) == "Button";
        if (group) r.bottom = r.top + 10;
        if (c.id == IDC_TITLE) {
            const Image title = paintedImage(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
                LOGFONTA lf;
                GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
                lf.lfHeight = -22;
                lf.lfItalic = 1;
                lstrcpyA(lf.lfFaceName, "Times New Roman");
                HFONT font = CreateFontIndirectA(&lf);
                RECT all{0, 0, r.right - r.left, r.bottom - r.top};
                FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
                HGDIOBJ old = SelectObject(dc, font);
                SetTextColor(dc, RGB(255, 255, 160));
                SetBkMode(dc, TRANSPARENT);
                DrawTextW(dc, widen(c.text).c_str(), -1, &all, DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK);
                DeleteObject(SelectObject(dc, old));
            });
            size_t differ = 0;
            waitUntil([&] {
                const Image shot = captureScreen(r);
                differ = 0;
                for (size_t i = 0; i < shot.px.size(); ++i) differ += shot.px[i] != title.px[i];
                return differ == 0;
            }, kChangeMs);
            EXPECT_EQ(differ, 0u) << "pixels that differ from the title in 22-pixel italic Times New Roman, "
                                     "pale yellow on the menu colour";
            continue;
        }
        std::map<uint32_t, int> seen;
        auto right = [&] { return seen.count(c.ink) && seen.count(menu) && (group || seen.size() == 2); };
        waitUntil([&] {
            seen.clear();
            for (uint32_t p : captureScreen(r).px) ++seen[p];
            return right();
        }, kChangeMs);
        std::ostringstream list;
        for (const auto& [colour, n] : seen) list << std::hex << " " << colour << std::dec << " x" << n;
        EXPECT_TRUE(right()) << std::hex << "wants ink " << c.ink << " on " << menu << " alone; seen" << list.str();
    }
}

TEST_F(StartUp, TabOrder) {
    const std::vector<int> order{IDC_DEF1, IDC_DEF2, IDC_DEF3, IDOK, IDCANCEL, IDC_ESCAPE, IDC_DISTANCE, IDC_MASS,
                                 IDC_DEF1};
    ASSERT_TRUE(activate(main));
    ASSERT_TRUE(tabTo(main, IDC_DEF1));
    for (bool back : {false, true}) {
        std::vector<int> seen{focusId(main)};
        while (seen.size() < order.size()) {
            back ? pressKey(VK_TAB, {VK_SHIFT}) : pressKey(VK_TAB);
            waitUntil([&] { return focusId(main) != seen.back(); }, kChangeMs);
            seen.push_back(focusId(main));
        }
        EXPECT_EQ(seen, back ? std::vector<int>(order.rbegin(), order.rend()) : order) << (back ? "Shift+Tab" : "Tab");
    }
}

// The mass chosen by keys or mouse or typed; each command given by a click
// on its button, Enter on its button (focused by Tab), or, for Kruhova
// r.I, Enter in the distance or the mass box.
enum class Mass { Typed, Keys, Mouse };
enum class Press { Click, EnterInDistance, EnterInMass, EnterOnButton };

TEST_F(Velocity, ButtonsAndEnter) {
    struct Case {
        int line;
        const char *distance, *mass;
        Mass how;
        Press press;
        const char *circular, *escape;
    };
    const Case cases[] = {
        {__LINE__, "6378000", kEarth, Mass::Keys, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "3.84e8", kEarth, Mass::Typed, Press::EnterInDistance, "1019.33", "1441.54"},
        {__LINE__, "1.496e11", kSun, Mass::Mouse, Press::EnterOnButton, "29768.79", "42099.42"},
        {__LINE__, "6378000", "7.35e22", Mass::Typed, Press::EnterInMass, "876.86", "1240.06"},
        {__LINE__, "6378000 m", "5.98e24 kg", Mass::Typed, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "-6378000", kEarth, Mass::Mouse, Press::EnterInMass, "7909.27", "11185.40"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": distance \"" << c.distance << "\", mass \""
                                          << shown(c.mass) << "\"");
        ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
        ASSERT_TRUE(c.how == Mass::Typed ? enter(IDC_MASS, c.mass) : choose(c.mass, c.how == Mass::Mouse));
        ASSERT_TRUE(setText(item(IDC_RESULT), "-"));
        for (int button : {IDOK, IDC_ESCAPE}) {
            ASSERT_TRUE(activate(main));
            if (c.press == Press::EnterOnButton) {
                ASSERT_TRUE(tabTo(main, button));
                pressKey(VK_RETURN);
            } else if (button == IDOK && c.press != Press::Click) {
                ASSERT_TRUE(focus(c.press == Press::EnterInMass ? IDC_MASS : IDC_DISTANCE));
                pressKey(VK_RETURN);
            } else {
                click(item(button));
            }
            EXPECT_TRUE(shows(IDC_RESULT, button == IDOK ? c.circular : c.escape)) << itemText(main, button);
            ASSERT_EQ(ownedBox(main), nullptr) << "a box opened";
        }
    }
}

TEST_F(Messages, InputErrorKeepsTheResult) {
    struct Case {
        int line;
        const char *distance, *mass;
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
    click(item(IDOK));
    ASSERT_TRUE(shows(IDC_RESULT, "7909.27"));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": distance \"" << c.distance << "\", mass \""
                                          << shown(c.mass) << "\"");
        ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
        ASSERT_TRUE(enter(IDC_MASS, c.mass));
        click(item(c.button));
        HWND box = ownedBox(main, kChangeMs);
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_EQ(readBox(box), (Box{"chyba", "Zadejte do pole číslici", "OK", "none"}));
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input behind the box";
        ASSERT_TRUE(activate(box));
        pressKey(VK_RETURN);
        ASSERT_TRUE(waitGone(box));
        EXPECT_EQ(itemText(main, IDC_RESULT), "7909.27");
        EXPECT_EQ(itemText(main, IDC_DISTANCE), c.distance);
    }
}

TEST_F(Messages, DefinitionsAndUsage) {
    struct Case {
        int line, id;
        bool byKeys;  // Enter on the button, focused by Tab; the usage: Alt+N, N
        const char *caption, *text;
    };
    const Case cases[] = {
        {__LINE__, IDC_DEF1, false, "Prvni kosm.rychlost",
         "1. kosmická rychlost - rychlost, jíž by obíhalo těleso\n zanedbatelné hmotnosti po "
         "kruhové dráze, obvykle\n na úrovni povrchu tělesa."},
        {__LINE__, IDC_DEF2, true, "Druhá kosm.rychlost", "2. kosmická rychlost - minimální úniková rychlost."},
        {__LINE__, IDC_DEF3, false, "Třetí kosm.rychlost",
         "3. kosmická rychlost - někdy používaný pojem pro\n rychlost potřebnou k úniku z "
         "gravitačního působení centrální hvězdy (Slunce)."},
        {__LINE__, IDM_HELP, true, "Help",
         "Do editboxu  \"Vzdalenost v metrech\" zadate vzdalenost v metrech od centraniho "
         "tělesa napr. Vzdalenost\nZemě Měsíc bude 3.84e8 a do comboboxu zadáte hmotnost "
         "centrálního tělesa v kilogramech.\nPak zvolíte Kruhova r.I ,to je vypočet první "
         "kosmicke rychlosti a, nebo Unikova r.II,\nto  je Druhá kosmická rychlost. Pokud "
         "dosadíte hmotnost Slunce, bude Druhá kosmická rychlost\nzároveň Třetí kosmickou, "
         "porotože se družice začne neustále vzdalovat od Slunce."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        ASSERT_TRUE(activate(main));
        if (!c.byKeys) {
            click(item(c.id));
        } else if (c.id == IDM_HELP) {
            pressKey('N', {VK_MENU});
            ASSERT_NE(waitMenu(pid), nullptr) << "Alt+N opened no menu";
            pressKey('N');
        } else {
            ASSERT_TRUE(tabTo(main, c.id));
            pressKey(VK_RETURN);
        }
        HWND box = ownedBox(main, kChangeMs);
        ASSERT_NE(box, nullptr) << "no box";
        EXPECT_EQ(readBox(box), (Box{c.caption, c.text, "OK", "none"}));
        ASSERT_TRUE(activate(box));
        click(GetDlgItem(box, IDOK));
        ASSERT_TRUE(waitGone(box)) << "OK did not close the box";
    }
}

enum class Ask { Esc, CloseBox, AltF4, Cancel, MenuKeys, MenuMouse };
const char* const kAskNames[] = {"Esc", "CloseBox", "AltF4", "Cancel", "MenuKeys", "MenuMouse"};

class ExitWays : public Window, public ::testing::WithParamInterface<Ask> {
protected:
    void ask() {
        ASSERT_TRUE(activate(main));
        switch (GetParam()) {
        case Ask::Esc: pressKey(VK_ESCAPE); break;
        case Ask::AltF4: pressKey(VK_F4, {VK_MENU}); break;
        case Ask::Cancel: click(item(IDCANCEL)); break;
        case Ask::CloseBox:
            ASSERT_NE(closeBoxPoint(main).x, 0) << "no close box in the caption";
            clickAt(closeBoxPoint(main));
            break;
        case Ask::MenuKeys:
            pressKey('P', {VK_MENU});
            ASSERT_NE(waitMenu(pid), nullptr) << "Alt+P opened no menu";
            pressKey('U');
            break;
        case Ask::MenuMouse:
            ASSERT_TRUE(clickFirstMenuItem(main, kMenuBar, 0)) << "a click on Program opened no menu";
            break;
        }
    }
};

// No leaves the window as it was; Yes ends the program with exit code 0.
// The question is answered by key (N, A) or by mouse, in turn.
TEST_P(ExitWays, NoKeepsTheWindowYesEnds) {
    const bool byKey = GetParam() == Ask::Esc || GetParam() == Ask::AltF4 || GetParam() == Ask::MenuKeys;
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
    ASSERT_TRUE(enter(IDC_MASS, kEarth));
    click(item(IDC_ESCAPE));
    ASSERT_TRUE(shows(IDC_RESULT, "11185.40"));
    ASSERT_TRUE(enter(IDC_DISTANCE, "3.84e8"));
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        ask();
        HWND box = ownedBox(main, kChangeMs);
        ASSERT_NE(box, nullptr) << "no exit question";
        EXPECT_EQ(readBox(box), (Box{"ORBELA_XB 1.0.0", "Chcete ukončit?", "Yes No", "question"}));
        ASSERT_TRUE(activate(box));
        if (byKey != yes)
            pressKey(yes ? 'A' : 'N');
        else
            click(GetDlgItem(box, yes ? IDYES : IDNO));
        if (yes) break;
        ASSERT_TRUE(waitGone(box)) << "No did not close the question";
        EXPECT_EQ(WaitForSingleObject(process, 300), WAIT_TIMEOUT) << "the program ended on No";
        EXPECT_EQ(ownedBox(main), nullptr) << "another box opened";
        EXPECT_EQ((std::vector<std::string>{itemText(main, IDC_DISTANCE), itemText(main, IDC_MASS), itemText(main, IDC_RESULT)}),
                  (std::vector<std::string>{"3.84e8", kEarth, "11185.40"}));
    }
    DWORD code = 12345;
    ASSERT_EQ(WaitForSingleObject(process, kAppearMs), WAIT_OBJECT_0) << "the program did not end on Yes";
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(ExitQuestion, ExitWays,
                         ::testing::Values(Ask::Esc, Ask::CloseBox, Ask::AltF4, Ask::Cancel, Ask::MenuKeys,
                                           Ask::MenuMouse),
                         [](const ::testing::TestParamInfo<Ask>& info) { return kAskNames[int(info.param)]; });

}  // namespace

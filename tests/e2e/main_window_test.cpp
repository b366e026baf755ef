// The main window, started as its own process and driven from outside with
// real keystrokes and clicks. String literals are compiled to Windows-1250,
// the program's encoding, and compared byte for byte.
#include <map>
#include <sstream>

#include "driver.h"
#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";

uint32_t rgb(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Whether the screen area `r` shows `picture` anywhere, drawn by `paint`
// (`size` pixels square) over the colour of the area's top left pixel.
bool showsIcon(const RECT& r, HICON icon, int size) {
    const Image shot = captureScreen(r);
    const Image drawn = paintedImage(size, size, [&](HDC mem) {
        HBRUSH bg = CreateSolidBrush(RGB(shot.px[0] >> 16, (shot.px[0] >> 8) & 0xFF, shot.px[0] & 0xFF));
        RECT all{0, 0, size, size};
        FillRect(mem, &all, bg);
        DrawIconEx(mem, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DeleteObject(bg);
    });
    for (int y = 0; icon && y + size <= shot.height; ++y)
        for (int x = 0; x + size <= shot.width; ++x) {
            bool same = true;
            for (int j = 0; j < size && same; ++j)
                for (int i = 0; i < size && same; ++i) same = shot.at(x + i, y + j) == drawn.at(i, j);
            if (same) return true;
        }
    return false;
}

// What a message box shows, as readable text: "caption | text | buttons |
// icon", the icon "question", "none" (the text stands where an icon would)
// or "another".
std::string boxShows(HWND box) {
    std::string buttons, icon = "none";
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (className(c) == "Button" && IsWindowVisible(c)) buttons += (buttons.empty() ? "" : " ") + text(c);
    RECT r{}, t{};
    HWND iconWnd = GetDlgItem(box, kBoxIcon);
    GetWindowRect(GetDlgItem(box, kBoxText), &t);
    if (iconWnd && IsWindowVisible(iconWnd) && GetWindowRect(iconWnd, &r) && !IsRectEmpty(&r) && t.left >= r.right)
        icon = waitUntil([&] { return showsIcon(r, LoadIconA(nullptr, IDI_QUESTION), r.right - r.left); },
                         kChangeMs) ? "question" : "another";
    return shown(text(box) + " | " + itemText(box, kBoxText) + " | " + buttons + " | " + icon);
}

class Window : public ProgramTest {
protected:
    // Control `id` comes to show `expected`.
    ::testing::AssertionResult shows(int id, const std::string& expected) {
        if (waitUntil([&] { return itemText(main, id) == expected; }, kChangeMs))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "control " << id << " shows \"" << shown(itemText(main, id))
                                             << "\", expected \"" << shown(expected) << "\"";
    }

    // Clicks into the distance or the mass box and replaces its text: a
    // preset mass is chosen with the arrow keys, any other text typed.
    ::testing::AssertionResult enter(int id, const std::string& value) {
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        click(item(id));
        if (!waitUntil([&] { return focusId(main) == id; }, kChangeMs))
            return ::testing::AssertionFailure() << "a click into " << id << " left the focus in " << focusId(main);
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        pressKey(VK_DELETE);
        if (value != kEarth && value != kSun) typeText(value);
        for (WORD key : {VK_DOWN, VK_UP})
            for (int i = 0; i < 3 && (value == kEarth || value == kSun) && itemText(main, id) != value; ++i)
                pressInMass(key);
        return shows(id, value);
    }

    // Presses an arrow key in the mass box; what the box then shows.
    std::string pressInMass(WORD key) {
        const std::string before = itemText(main, IDC_MASS);
        pressKey(key);
        waitUntil([&] { return itemText(main, IDC_MASS) != before; }, 1000);
        return itemText(main, IDC_MASS);
    }
};

using StartUp = Window;
using Velocity = Window;
using Messages = Window;

TEST_F(StartUp, FieldsPresetsIconAndFrame) {
    EXPECT_EQ(itemText(main, IDC_DISTANCE) + "|" + itemText(main, IDC_MASS) + "|" + itemText(main, IDC_RESULT),
              "||0.00");
    ASSERT_TRUE(enter(IDC_MASS, ""));
    std::vector<std::string> presets;
    for (int i = 0; i < 3; ++i) presets.push_back(shown(pressInMass(VK_DOWN)));
    EXPECT_EQ(presets, (std::vector<std::string>{shown(kSun), shown(kEarth), shown(kEarth)})) << "sorted presets";
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
}

// What the coloured texts show, as the screen shows them. The title is
// compared pixel for pixel with its text drawn here in 22-pixel italic
// Times New Roman; the others must show their ink and the menu colour (a
// group box: in its caption strip) and no other colour.
TEST_F(StartUp, TextsAndColours) {
    const uint32_t menu = rgb(GetSysColor(COLOR_MENU)), blue = 0x0000FF;
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
    };
    ASSERT_TRUE(activate(main));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": control " << c.id);
        EXPECT_EQ(itemText(main, c.id), c.text);
        RECT r = clientOnScreen(item(c.id));
        const bool group = className(item(c.id)) == "Button";
        if (group) r.bottom = r.top + 10;
        const Image title = paintedImage(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
            LOGFONTA lf;
            GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
            lf.lfHeight = -22;
            lf.lfItalic = 1;
            lstrcpyA(lf.lfFaceName, "Times New Roman");
            RECT all{0, 0, r.right - r.left, r.bottom - r.top};
            FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
            HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&lf));
            SetTextColor(dc, RGB(255, 255, 160));
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, widen(c.text).c_str(), -1, &all, DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK);
            DeleteObject(SelectObject(dc, old));
        });
        std::map<uint32_t, int> seen;
        auto right = [&] {
            if (c.id == IDC_TITLE) return captureScreen(r).px == title.px;
            seen.clear();
            for (uint32_t p : captureScreen(r).px) ++seen[p];
            return seen.count(c.ink) && seen.count(menu) && (group || seen.size() == 2);
        };
        waitUntil(right, kChangeMs);
        std::ostringstream list;
        for (const auto& [colour, n] : seen) list << std::hex << " " << colour << std::dec << " x" << n;
        EXPECT_TRUE(right()) << std::hex << "wants ink " << c.ink << " on " << menu << " alone, the title in 22-pixel "
                             << "italic Times New Roman; seen" << list.str();
    }
}

TEST_F(StartUp, TabOrder) {
    const std::vector<int> order{IDC_DEF1, IDC_DEF2, IDC_DEF3, IDOK, IDCANCEL, IDC_ESCAPE, IDC_DISTANCE, IDC_MASS,
                                 IDC_DEF1};
    ASSERT_TRUE(activate(main) && tabTo(main, IDC_DEF1));
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

// Each command given by a click on its button or by Enter on it (focused
// by Tab); Kruhova r.I also by Enter in the distance or the mass box.
enum class Press { Click, EnterOnButton, EnterInDistance, EnterInMass };

TEST_F(Velocity, ButtonsAndEnter) {
    struct Case {
        int line;
        const char *distance, *mass;
        Press press;
        const char *circular, *escape;
    };
    const Case cases[] = {
        {__LINE__, "6378000", kEarth, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "3.84e8", kEarth, Press::EnterInDistance, "1019.33", "1441.54"},
        {__LINE__, "1.496e11", kSun, Press::EnterOnButton, "29768.79", "42099.42"},
        {__LINE__, "6378000", "7.35e22", Press::EnterInMass, "876.86", "1240.06"},
        {__LINE__, "-6378000 m", "5.98e24 kg", Press::Click, "7909.27", "11185.40"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        // The field that Enter is pressed in is entered last and keeps the focus.
        const bool distanceLast = c.press == Press::EnterInDistance;
        ASSERT_TRUE(enter(distanceLast ? IDC_MASS : IDC_DISTANCE, distanceLast ? c.mass : c.distance) &&
                    enter(distanceLast ? IDC_DISTANCE : IDC_MASS, distanceLast ? c.distance : c.mass) &&
                    setText(item(IDC_RESULT), "-"));
        for (int button : {IDOK, IDC_ESCAPE}) {
            ASSERT_TRUE(activate(main));
            if (c.press == Press::EnterOnButton || (button == IDOK && c.press != Press::Click)) {
                ASSERT_TRUE(c.press != Press::EnterOnButton || tabTo(main, button));
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
        const char *distance, *mass;
        int button;
    };
    const Case cases[] = {{"", "", IDOK}, {"0", kEarth, IDOK}, {"abc", kEarth, IDC_ESCAPE},
                          {"6378000", "", IDC_ESCAPE}, {"6378000", "Slunce", IDOK}};
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000") && enter(IDC_MASS, kEarth));
    click(item(IDOK));
    ASSERT_TRUE(shows(IDC_RESULT, "7909.27"));
    for (const auto& [distance, mass, button] : cases) {
        SCOPED_TRACE(::testing::Message() << "distance \"" << distance << "\", mass \"" << shown(mass) << "\"");
        ASSERT_TRUE(enter(IDC_DISTANCE, distance) && enter(IDC_MASS, mass));
        click(item(button));
        HWND box = ownedBox(main, kChangeMs);
        ASSERT_NE(box, nullptr) << "no error box";
        EXPECT_EQ(boxShows(box), shown("chyba | Zadejte do pole číslici | OK | none"));
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input behind the box";
        ASSERT_TRUE(activate(box));
        pressKey(VK_RETURN);
        ASSERT_TRUE(waitGone(box));
        EXPECT_EQ(itemText(main, IDC_RESULT) + "|" + itemText(main, IDC_DISTANCE), "7909.27|" + std::string(distance));
    }
}

TEST_F(Messages, DefinitionsAndUsage) {
    struct Case {
        int id;
        bool byKeys;  // Enter on the button, focused by Tab; the usage: Alt+N, N
        const char* shows;
    };
    const Case cases[] = {
        {IDC_DEF1, false,
         "Prvni kosm.rychlost | 1. kosmická rychlost - rychlost, jíž by obíhalo těleso\n zanedbatelné "
         "hmotnosti po kruhové dráze, obvykle\n na úrovni povrchu tělesa. | OK | none"},
        {IDC_DEF2, true, "Druhá kosm.rychlost | 2. kosmická rychlost - minimální úniková rychlost. | OK | none"},
        {IDC_DEF3, false,
         "Třetí kosm.rychlost | 3. kosmická rychlost - někdy používaný pojem pro\n rychlost potřebnou k úniku z "
         "gravitačního působení centrální hvězdy (Slunce). | OK | none"},
        {IDM_HELP, true,
         "Help | Do editboxu  \"Vzdalenost v metrech\" zadate vzdalenost v metrech od centraniho tělesa napr. "
         "Vzdalenost\nZemě Měsíc bude 3.84e8 a do comboboxu zadáte hmotnost centrálního tělesa v kilogramech.\n"
         "Pak zvolíte Kruhova r.I ,to je vypočet první kosmicke rychlosti a, nebo Unikova r.II,\nto  je Druhá "
         "kosmická rychlost. Pokud dosadíte hmotnost Slunce, bude Druhá kosmická rychlost\nzároveň Třetí "
         "kosmickou, porotože se družice začne neustále vzdalovat od Slunce. | OK | none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "command " << c.id);
        ASSERT_TRUE(activate(main));
        if (c.id == IDM_HELP) {
            pressKey('N', {VK_MENU});
            ASSERT_NE(waitMenu(pid), nullptr) << "Alt+N opened no menu";
            pressKey('N');
        } else if (c.byKeys) {
            ASSERT_TRUE(tabTo(main, c.id));
            pressKey(VK_RETURN);
        } else {
            click(item(c.id));
        }
        HWND box = ownedBox(main, kChangeMs);
        ASSERT_NE(box, nullptr) << "no box";
        EXPECT_EQ(boxShows(box), shown(c.shows));
        ASSERT_TRUE(activate(box));
        click(GetDlgItem(box, IDOK));
        ASSERT_TRUE(waitGone(box)) << "OK did not close the box";
    }
}

enum class Ask { Esc, CloseBox, AltF4, Cancel, Menu };
const char* const kAskNames[] = {"Esc", "CloseBox", "AltF4", "Cancel", "Menu"};
class ExitWays : public Window, public ::testing::WithParamInterface<Ask> {};

// No leaves the window as it was; Yes ends the program with exit code 0.
// The question is answered by key (N, A) or by mouse, in turn.
TEST_P(ExitWays, NoKeepsTheWindowYesEnds) {
    const Ask how = GetParam();
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000") && enter(IDC_MASS, kEarth));
    click(item(IDC_ESCAPE));
    ASSERT_TRUE(shows(IDC_RESULT, "11185.40") && enter(IDC_DISTANCE, "3.84e8"));
    for (bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        ASSERT_TRUE(activate(main));
        if (how == Ask::Esc) pressKey(VK_ESCAPE);
        if (how == Ask::AltF4) pressKey(VK_F4, {VK_MENU});
        if (how == Ask::Cancel) click(item(IDCANCEL));
        if (how == Ask::CloseBox) clickAt(closeBoxPoint(main));
        if (how == Ask::Menu) pressKey('P', {VK_MENU});
        if (how == Ask::Menu && waitMenu(pid)) pressKey('U');
        HWND box = ownedBox(main, kChangeMs);
        ASSERT_NE(box, nullptr) << "no exit question";
        EXPECT_EQ(boxShows(box), shown("ORBELA_XB 1.0.0 | Chcete ukončit? | &Ano &Ne | question"));
        ASSERT_TRUE(activate(box));
        if ((how == Ask::Esc || how == Ask::AltF4 || how == Ask::Menu) != yes)
            pressKey(yes ? 'A' : 'N');
        else
            click(GetDlgItem(box, yes ? IDYES : IDNO));
        if (yes) break;
        ASSERT_TRUE(waitGone(box)) << "No did not close the question";
        EXPECT_EQ(WaitForSingleObject(process, 300), WAIT_TIMEOUT) << "the program ended on No";
        EXPECT_EQ(ownedBox(main), nullptr) << "another box opened";
        EXPECT_EQ(itemText(main, IDC_DISTANCE) + "|" + shown(itemText(main, IDC_MASS)) + "|" +
                      itemText(main, IDC_RESULT), "3.84e8|" + shown(kEarth) + "|11185.40");
    }
    DWORD code = 12345;
    ASSERT_EQ(WaitForSingleObject(process, kAppearMs), WAIT_OBJECT_0) << "the program did not end on Yes";
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(ExitQuestion, ExitWays,
                         ::testing::Values(Ask::Esc, Ask::CloseBox, Ask::AltF4, Ask::Cancel, Ask::Menu),
                         [](const ::testing::TestParamInfo<Ask>& info) { return kAskNames[int(info.param)]; });

}  // namespace

// The main window, started as its own process and driven from outside with
// real keystrokes and clicks; every text it shows compared whole, as the user
// must read it, and its results as the screen shows them.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <ios>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fixture.h"
#include "texts.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";

// `count` characters of `piece` repeated.
std::string repeatedTo(const std::string& piece, size_t count) {
    const std::wstring wide = widen(piece);
    std::wstring text;
    while (text.size() < count) text.append(wide, 0, count - text.size());
    return narrow(text);
}

class Window : public ProgramTest {
protected:
    HWND layout = nullptr;

    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure()) return;
        layout = dialogFromFile(envPath("ORBELA_EXE"), "ORBELA_XB");
        ASSERT_NE(layout, nullptr) << "no dialog \"ORBELA_XB\" in " << envPath("ORBELA_EXE");
    }
    void TearDown() override {
        if (layout) DestroyWindow(layout);
        ProgramTest::TearDown();
    }
    // `control` of the window, as the layout made here has it.
    HWND laidOut(HWND control) {
        HWND same = GetDlgItem(layout, GetDlgCtrlID(control));
        return className(control) == "Edit" && className(GetParent(control)) == "ComboBox"
                   ? FindWindowExA(laidOut(GetParent(control)), nullptr, "Edit", nullptr) : same;
    }
    // How many pixels wide the text of `control` may be.
    int room(HWND control) {
        RECT r{};
        GetClientRect(control, &r);
        return r.right;
    }
    HFONT fontOf(HWND control) { return HFONT(SendMessageW(laidOut(control), WM_GETFONT, 0, 0)); }

    // `control` comes to show `expected`.
    ::testing::AssertionResult shows(HWND control, const std::string& expected) {
        return ::testing::AssertionResult(waitUntil([&] { return text(control) == expected; }, kChangeMs))
               << name(control) << " shows \"" << shown(text(control)) << "\", expected \"" << shown(expected) << "\"";
    }

    // The result field shows `expected`, whole on the screen: the text as
    // its own font draws it in its ink stands in the field's pixels.
    ::testing::AssertionResult showsWhole(const std::string& expected) {
        if (auto same = shows(result, expected); !same) return same;
        const Image drawn = textImage(fontOf(result), expected, RGB(0xFF, 0x00, 0xA0), GetSysColor(COLOR_MENU));
        return ::testing::AssertionResult(painted(main) && waitUntil([&] {
                   return find(captureScreen(clientOnScreen(result)), drawn).x >= 0;
               }, kChangeMs))
               << "the result field shows \"" << expected << "\" (" << drawn.width << " pixels wide), but the screen"
               << " does not show it whole in the field's " << room(result) << " pixels";
    }

    // Clicks into the distance or the mass box and replaces its text: a
    // preset mass is chosen with the arrow keys, any other text typed but
    // the longest, which are set straight into the field.
    ::testing::AssertionResult enter(HWND box, const std::string& value) {
        if (value.size() > 1000) {
            // Wine's edit control takes seconds to lay out the longest texts when it paints them.
            DWORD_PTR painted = 0;
            const bool set = setText(field(box), value, 120000) &&
                             SendMessageTimeoutW(field(box), WM_PAINT, 0, 0, SMTO_NORMAL, 120000, &painted);
            const std::string holds = set ? text(field(box), 120000) : "";
            return ::testing::AssertionResult(holds == value) << name(box) << " holds " << holds.size()
                   << " bytes of " << value.size() << ": \"" << shown(holds.substr(0, 60)) << "...\"";
        }
        if (auto cleared = clear(box); !cleared) return cleared;
        if (value != kEarth && value != kSun) {
            typeText(value);
            return shows(field(box), value);
        }
        const std::string chosen = chooseItem(box, value);
        return ::testing::AssertionResult(chosen.empty()) << "cannot choose " << value << " in " << name(box) << ": " << chosen;
    }
    ::testing::AssertionResult clear(HWND box) {
        const std::string cleared = clearBox(main, box);
        return ::testing::AssertionResult(cleared.empty()) << "cannot clear " << name(box) << ": " << cleared;
    }

    // The message box that opens over the disabled window must show
    // "caption | text | buttons | icon" (boxShows); null if none.
    HWND expectBox(const std::string& expected) {
        HWND box = ownedBox(main, kChangeMs);
        const std::string seen = box ? boxShows(box) : "no box";
        EXPECT_TRUE(sameText("the message box", seen, expected));
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input behind the box";
        // Owned by the window (ownedBox), where Windows and Wine put every
        // box, in the middle of the work area, as the window is; its text
        // left-aligned and read left to right.
        const HWND words = GetDlgItem(box, kBoxText);
        const LONG rtl = WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LAYOUTRTL;
        EXPECT_TRUE(box ? centredAndNotTopmost(box) : ::testing::AssertionFailure());
        EXPECT_TRUE(!words || ((GetWindowLongW(words, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT &&
                               !((GetWindowLongW(words, GWL_EXSTYLE) | GetWindowLongW(box, GWL_EXSTYLE)) & rtl)))
            << "the text right-aligned, centred or read right to left";
        return box;
    }
};

using StartUp = Window;
using Velocity = Window;
using Messages = Window;

TEST_F(StartUp, FieldsPresetsIconAndFrame) {
    EXPECT_EQ(text(distance) + "|" + text(field(mass)) + "|" + text(result), "||0.00");
    EXPECT_EQ(listItems(mass), (std::vector<std::string>{kSun, kEarth})) << "the presets in the list, sorted";
    // Down in the empty mass box shows the first preset, then the second.
    ASSERT_TRUE(clear(mass));
    for (const char* preset : {kSun, kEarth}) {
        pressKey(VK_DOWN);
        EXPECT_TRUE(shows(field(mass), preset));
    }
    // Wine answers no WM_GETICON from another process: the small icon is
    // looked for where a person sees it, at the left of the caption, as the
    // window system draws an icon of the standard size there.
    const int small = GetSystemMetrics(SM_CXSMICON);
    RECT caption;
    GetWindowRect(main, &caption);
    caption = {caption.left, caption.top, caption.left + 3 * small,
               caption.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME)};
    auto icon = [&](const char* file) { return iconFile(file, GetSystemMetrics(SM_CXICON)); };
    EXPECT_TRUE(waitUntil([&] { return iconAt(caption, icon("small.ico"), small).x >= 0; }, kChangeMs))
        << "the caption does not show the small icon of res/small.ico";
    EXPECT_LT(iconAt(caption, icon("app.ico"), small).x, 0) << "the caption shows the program icon of res/app.ico";
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & frame, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
        << "a maximise box or a sizing border, or no minimise box";
}

// Every text of the window, top down and left to right, and of its menu
// as Windows loads it from the program's file (the menu of another
// process cannot be read under Wine); each text whole in its control; the
// window centred on the work area, below every topmost window.
TEST_F(StartUp, EveryTextAndTheWindowsPlace) {
    EXPECT_TRUE(sameText("the window's texts", text(main) + textsDown(main),
                         "ORBELA_XB|Kosmicke rychlosti|Definice kosm. rychlosti|Zadani"
                         "|Vzdalenost od stredu centr. telesa v metrech.|Prvni kosm. rychlost|Druha kosm. rychlost"
                         "|Hmotnost centralniho telesa v kilogramech|Treti kosm. rychlost|Unikova r.II|Kruhova r.I"
                         "|Cancel|Vysledek|Vysledna rychlost v metrech za sekundu|0.00|ORBELA_XB"));
    EXPECT_EQ(outOfPlace(main, layout), "") << "texts cut off in the window";
    const std::vector<HMENU> menus = menusFromFile(envPath("ORBELA_EXE"));
    ASSERT_EQ(menus.size(), 1u) << "menus in " << envPath("ORBELA_EXE");
    EXPECT_TRUE(sameText("the menu", menuText(menus[0]),
                         "&Program\n  &Ukončit\tAlt-F4\n&Nápověda\n  &O programu...\n  &Návod\n"));
    EXPECT_TRUE(centredAndNotTopmost(main));
}

// A click on the minimise box minimises the window; a double click on the
// minimised window brings it back where it was, as it was.
TEST_F(StartUp, MinimisedAndRestored) {
    ASSERT_TRUE(enter(distance, "6378000"));
    RECT before{}, after{}, small{};
    GetWindowRect(main, &before);
    const POINT minimise = minimiseBoxPoint(main);
    ASSERT_GE(minimise.x, 0) << "no minimise box in the caption";
    ASSERT_TRUE(activate(main) && clickAt(minimise));
    ASSERT_TRUE(waitUntil([&] { return IsIconic(main) && GetWindowRect(main, &small) && !EqualRect(&small, &before); },
                          kChangeMs)) << "a click on the minimise box";
    ASSERT_TRUE(clickAt(POINT{(small.left + small.right) / 2, (small.top + small.bottom) / 2}, 2));
    EXPECT_TRUE(waitUntil([&] {
        return !IsIconic(main) && IsWindowVisible(main) && GetWindowRect(main, &after) && EqualRect(&before, &after);
    }, kChangeMs)) << "a double click on the minimised window leaves it at " << after.left << ", " << after.top
                   << ", not " << before.left << ", " << before.top << (IsIconic(main) ? ", minimised" : "");
    EXPECT_EQ(text(distance) + "|" + text(result), "6378000|0.00");
    EXPECT_TRUE(IsWindowEnabled(main) && painted(main));
}

// The icon Explorer shows for the program's file, its first icon group, is
// the rocket of res/app.ico at both sizes: as the shell extracts it
// (ExtractIconExW, index 0) and as Windows loads the group from the file.
// (Wine's shell makes the small one from the large image, not from the
// group's own small one, so that size is taken from the group alone.)
TEST_F(StartUp, TheFilesIconIsTheRocket) {
    auto pixels = [](HICON icon, int size) { return iconImage(icon, size, RGB(255, 0, 255)).px; };
    HICON extracted = nullptr;
    ExtractIconExW(widen(envPath("ORBELA_EXE")).c_str(), 0, &extracted, nullptr, 1);
    EXPECT_TRUE(extracted && pixels(extracted, 32) == pixels(iconFile("app.ico", 32), 32))
        << "the shell shows the file with another icon than the 32-pixel rocket of res/app.ico";
    for (int size : {16, 32}) {
        HICON first = firstIconFromFile(envPath("ORBELA_EXE"), size);
        EXPECT_TRUE(first && pixels(first, size) == pixels(iconFile("app.ico", size), size))
            << "the first icon group's " << size << "-pixel image is not the rocket of res/app.ico";
    }
}

// What the coloured texts show, as the screen shows them: their ink on the
// menu colour and no other colour (a group box: in its caption strip, with
// its frame); the title pixel for pixel as italic Times New Roman draws it,
// whole in its strip: 22 pixels high in the 594 pixels of the window at
// 96 DPI, and at the same share of a window grown with a larger dialog font.
TEST_F(StartUp, TextsAndColours) {
    const COLORREF m = GetSysColor(COLOR_MENU);
    const uint32_t menu = GetRValue(m) << 16 | GetGValue(m) << 8 | GetBValue(m), blue = 0x0000FF;
    const std::pair<const char*, uint32_t> cases[] = {  // the text, its ink as 0xRRGGBB
        {"Kosmicke rychlosti", 0xFFFFA0},
        {"0.00", 0xFF00A0},
        {kDistanceLabel, blue},
        {kMassLabel, blue},
        {kResultLabel, blue},
        {"ORBELA_XB", blue},
        {"Zadani", blue},
        {"Vysledek", blue},
        {"Definice kosm. rychlosti", blue},
    };
    const RECT window = clientOnScreen(main);
    const int height = int((22 * (window.bottom - window.top) + 297) / 594);
    ASSERT_TRUE(activate(main));
    for (const auto& c : cases) {
        const char* const label = c.first;
        const uint32_t ink = c.second;
        SCOPED_TRACE(::testing::Message() << "\"" << label << "\"");
        HWND control = showing(main, label);
        ASSERT_NE(control, nullptr) << "no one control shows it";
        const bool title = label == std::string("Kosmicke rychlosti"), group = className(control) == "Button";
        RECT r = clientOnScreen(control);
        r.bottom = group ? r.top + 10 : r.bottom;
        const Image drawn = !title ? Image{} : paintedImage(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
            RECT all{0, 0, r.right - r.left, r.bottom - r.top};
            FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
            HFONT font = CreateFontW(-height, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     L"Times New Roman");
            EXPECT_LE(textSize(font, label).cx, r.right - r.left) << "the title is wider than its strip";
            HGDIOBJ old = SelectObject(dc, font);
            SetTextColor(dc, RGB(ink >> 16, ink >> 8 & 0xFF, ink & 0xFF));
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, widen(label).c_str(), -1, &all, DT_CENTER | DT_WORDBREAK);
            DeleteObject(SelectObject(dc, old));
        });
        std::set<uint32_t> seen;
        auto right = [&] {
            const Image shot = captureScreen(r);
            seen = std::set<uint32_t>(shot.px.begin(), shot.px.end());
            if (title) return shot.px == drawn.px;
            return seen.count(ink) && seen.count(menu) && (group || seen.size() == 2);
        };
        EXPECT_TRUE(waitUntil(right, kChangeMs)) << "wants only ink " << std::hex << ink << " on " << menu
                                                 << " (the title as " << height << "-pixel italic Times New Roman), "
                                                 << seen.size() << " colours seen";
    }
}

// The drawing, the bitmap of res/MYBMP.bmp, stands pixel for pixel at its
// own size in the window, in the middle of the frame it stands in (give or
// take a pixel of rounding).
TEST_F(StartUp, DrawingCentredAtItsOwnSize) {
    const std::string path = envPath("ORBELA_RES") + "\\MYBMP.bmp";
    HANDLE file = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectW(file, sizeof bm, &bm)) << "cannot read " << path << " (ORBELA_RES)";
    const Image drawing = paintedImage(bm.bmWidth, bm.bmHeight, [&](HDC dc) {
        HDC from = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(from, file);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
        DeleteObject(SelectObject(from, old));
        DeleteDC(from);
    });
    const RECT window = clientOnScreen(main);
    POINT found{-1, -1};
    ASSERT_TRUE(activate(main));
    ASSERT_TRUE(waitUntil([&] { return (found = find(captureScreen(window), drawing)).x >= 0; }, kChangeMs))
        << "the " << drawing.width << " x " << drawing.height << " drawing is nowhere in the window";
    const POINT middle{found.x + drawing.width / 2, found.y + drawing.height / 2};
    const RECT frame = clientOnScreen(ChildWindowFromPointEx(main, middle, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT));
    const POINT at{window.left + found.x - frame.left, window.top + found.y - frame.top};
    const POINT centred{(frame.right - frame.left - drawing.width) / 2, (frame.bottom - frame.top - drawing.height) / 2};
    EXPECT_TRUE(std::abs(at.x - centred.x) <= 1 && std::abs(at.y - centred.y) <= 1)
        << "the drawing stands at " << at.x << ", " << at.y << " in its " << frame.right - frame.left << " x "
        << frame.bottom - frame.top << " frame, not at " << centred.x << ", " << centred.y;
}

// No button of the window is framed as the default one: with the focus in
// the distance box, Kruhova r.I and Unikova r.II look as Cancel does at
// their edges.
TEST_F(StartUp, NoButtonFramedAsTheDefault) {
    ASSERT_TRUE(enter(distance, "6378000"));
    auto edges = [&](HWND button) {
        const Image shot = captureScreen(clientOnScreen(button));
        std::vector<uint32_t> ring;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (x < 2 || y < 2 || x >= shot.width - 2 || y >= shot.height - 2) ring.push_back(shot.at(x, y));
        return ring;
    };
    ASSERT_TRUE(painted(main));
    for (HWND button : {circular, escape}) EXPECT_TRUE(edges(button) == edges(cancel)) << name(button);
}

// Tab goes round the controls and back to the first; Shift+Tab goes back.
TEST_F(StartUp, TabOrder) {
    const std::vector<HWND> order{definition[0], definition[1], definition[2], circular, cancel, escape, distance,
                                  mass,          definition[0], mass,          distance};
    ASSERT_TRUE(activate(main) && tabTo(main, definition[0]));
    std::vector<HWND> seen{focused(main)};
    while (seen.size() < order.size()) {
        seen.size() < order.size() - 2 ? pressKey(VK_TAB) : pressKey(VK_TAB, {VK_SHIFT});
        waitUntil([&] { return focused(main) != seen.back(); }, kChangeMs);
        seen.push_back(focused(main));
    }
    auto listed = [&](const std::vector<HWND>& controls) {
        std::string list;
        for (HWND c : controls) list += name(c) + "\n";
        return list;
    };
    EXPECT_EQ(listed(seen), listed(order));
}

// Each command given by a click on its button or by Enter on it (focused
// by Tab); Kruhova r.I also by Enter in the distance or the mass box,
// whichever was entered last. Before each command the result shows a mark
// of its own, so a command that does nothing is seen. A field without a
// number gives the input error, and the result stays as it was. Texts as
// long as a command reads (65,534 characters) and longer are set straight
// into the fields, as another program could; the others are typed.
enum class Press { Click, EnterOnButton, EnterInDistance, EnterInMass };

TEST_F(Velocity, ButtonsAndEnterAndTheInputError) {
    const size_t read = 65534;
    auto framed = [&](const std::string& tail) {  // a Czech label, Czech words and `tail`
        return repeatedTo("Vzdálenost od středu Země: žluťoučký kůň úpěl ďábelské ódy ", read - tail.size()) + tail;
    };
    const std::string highBytes = fromCp1250(texts::highBytes(read));
    struct Case {
        int line;
        std::string distance, mass;
        Press press;
        const char *circular, *escape;  // null: the input error
    };
    const Case cases[] = {
        {__LINE__, "6378000", kEarth, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "3.84e8", kEarth, Press::EnterInDistance, "1019.33", "1441.54"},
        {__LINE__, "1.496e11", kSun, Press::EnterOnButton, "29768.79", "42099.42"},
        {__LINE__, "6378000", "7.35e22", Press::EnterInMass, "876.86", "1240.06"},
        {__LINE__, "-6378000 m", "5.98e24 kg", Press::Click, "7909.27", "11185.40"},
        {__LINE__, "", "", Press::Click, nullptr, nullptr},
        {__LINE__, "0", kEarth, Press::EnterInDistance, nullptr, nullptr},
        {__LINE__, "6378000", "Slunce", Press::EnterInMass, nullptr, nullptr},
        {__LINE__, framed("6378000"), kEarth, Press::Click, "7909.27", "11185.40"},
        {__LINE__, "1" + std::string(read - 1, '0'), kEarth, Press::Click, "0.00", "0.00"},
        {__LINE__, highBytes + "6378000", kEarth, Press::Click, nullptr, nullptr},
        {__LINE__, "6378000", framed("1e" + std::string(5000, '9')), Press::Click, "inf", "inf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        const bool distanceLast = c.press == Press::EnterInDistance;
        ASSERT_TRUE(enter(distanceLast ? mass : distance, distanceLast ? c.mass : c.distance));
        ASSERT_TRUE(enter(distanceLast ? distance : mass, distanceLast ? c.distance : c.mass));
        for (HWND button : {circular, escape}) {
            const std::string mark = "(" + name(button) + ", line " + std::to_string(c.line) + ")";
            ASSERT_TRUE(setText(result, mark));
            ASSERT_TRUE(activate(main));
            if (c.press == Press::EnterOnButton || (button == circular && c.press != Press::Click)) {
                ASSERT_TRUE(c.press != Press::EnterOnButton || tabTo(main, button));
                pressKey(VK_RETURN);
            } else {
                click(button);
            }
            const char* velocity = button == circular ? c.circular : c.escape;
            HWND box = velocity ? nullptr : expectBox("chyba | Zadejte do pole číslici | OK | none");
            if (box && activate(box)) pressKey(VK_RETURN);
            EXPECT_TRUE(velocity ? showsWhole(velocity) : waitGone(box) && shows(result, mark)) << name(button);
            ASSERT_EQ(ownedBox(main), nullptr) << "a box is open";
        }
    }
}

// The longest results the field shows whole, 11 characters (velocities
// below 10^8 m/s), are seen whole on the screen. The test prints how many
// characters of the widest digit fit its font, for the README.
TEST_F(Velocity, TheLongestResultsShownWhole) {
    size_t longest = 0;
    for (size_t n = 4; n < 30; ++n) {
        int widest = 0;
        for (char d = '0'; d <= '9'; ++d)
            widest = std::max<int>(widest, textSize(fontOf(result), std::string(n - 3, d) + ".00").cx);
        if (widest <= room(result)) longest = n;
    }
    std::printf("The result field shows %zu characters of any digits whole, in %d pixels.\n", longest, room(result));
    for (const auto& [typed, velocity] : {std::pair{"0.0409", "98768158.55"}, std::pair{"0.05", "89329233.74"}}) {
        ASSERT_TRUE(enter(distance, typed) && enter(mass, kEarth));
        ASSERT_TRUE(activate(main) && click(circular));
        EXPECT_TRUE(showsWhole(velocity)) << typed;
    }
}

// Typed with real keystrokes: a distance longer than its box is wide ends
// up whole in the box, which scrolls, and is computed; the mass box, as the
// layout has it, takes no more than it shows, and what it took is computed.
TEST_F(Velocity, TypedLongerThanTheBoxesAreWide) {
    const std::string distant = "Vzdálenost od středu Země: 6378000 m", heavy = "5.98e24 kg, hmotnost Země podle tabulek";
    ASSERT_TRUE(enter(distance, distant));
    EXPECT_GT(textSize(fontOf(distance), distant).cx, room(distance)) << "the distance fits its box";
    ASSERT_TRUE(clear(mass));
    typeText(heavy);
    // Tab moves the focus on once every key before it has been taken.
    pressKey(VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return focused(main) != mass; }, kChangeMs)) << "Tab after the mass";
    const std::string took = text(field(mass));
    EXPECT_TRUE(took.size() < heavy.size() && took.compare(0, 7, "5.98e24") == 0 &&
                textSize(fontOf(field(mass)), took).cx <= room(field(mass)))
        << "the mass box took \"" << took << "\" of \"" << heavy << "\", " << textSize(fontOf(field(mass)), took).cx
        << " pixels wide, in a box of " << room(field(mass));
    for (const auto& [button, velocity] : {std::pair{circular, "7909.27"}, std::pair{escape, "11185.40"}}) {
        ASSERT_TRUE(activate(main) && click(button));
        EXPECT_TRUE(showsWhole(velocity)) << name(button);
    }
}

// Every box of the window, each closed once by a key (Enter, or N for Ne)
// and once by a click (OK, or Ne): the definitions and the About box by a
// click or by Enter on the focused button, the usage by the menu's access
// keys, the input error by Enter in either field, the exit question by
// every way to close the window. Each leaves the window as the user left
// it: the focus where it was, each field's text and caret or selection,
// the result. Last, Enter, the exit question's default button Ano, ends the
// program with exit code 0.
TEST_F(Messages, TheWindowAsTheUserLeftItAfterEveryBox) {
    const std::string definition1 = "Prvni kosm.rychlost | 1. kosmická rychlost - rychlost, jíž by obíhalo těleso\n "
        "zanedbatelné hmotnosti po kruhové dráze, obvykle\n na úrovni povrchu tělesa. | OK | none",
        definition2 = "Druhá kosm.rychlost | 2. kosmická rychlost - minimální úniková rychlost. | OK | none",
        definition3 = "Třetí kosm.rychlost | 3. kosmická rychlost - někdy používaný pojem pro\n rychlost potřebnou k "
        "úniku z gravitačního působení centrální hvězdy (Slunce). | OK | none",
        usage = "Help | Do editboxu  \"Vzdalenost v metrech\" zadate vzdalenost v metrech od centraniho tělesa napr. "
        "Vzdalenost\nZemě Měsíc bude 3.84e8 a do comboboxu zadáte hmotnost centrálního tělesa v kilogramech.\nPak "
        "zvolíte Kruhova r.I ,to je vypočet první kosmicke rychlosti a, nebo Unikova r.II,\nto  je Druhá kosmická "
        "rychlost. Pokud dosadíte hmotnost Slunce, bude Druhá kosmická rychlost\nzároveň Třetí kosmickou, porotože "
        "se družice začne neustále vzdalovat od Slunce. | OK | none",
        error = "chyba | Zadejte do pole číslici | OK | none",
        question = "ORBELA_XB " ORBELA_VERSION " | Chcete ukončit? | &Ano &Ne | question",
        about = "About |  | OK orbela@example.org | none";
    auto menuItem = [&](WORD menu, WORD entry) {  // by the access keys: Alt+menu, then the entry's
        return [=] {
            pressKey(menu, {VK_MENU});
            waitMenu(pid);
            pressKey(entry);
        };
    };
    auto clickOn = [&](HWND button) { return [=] { click(button); }; };
    auto press = [](WORD key, WORD mod = 0) { return [=] { mod ? pressKey(key, {mod}) : pressKey(key); }; };
    const struct {
        int line;
        HWND from;  // where the user leaves the focus, by Tab: a field with its 3rd and 4th characters
                    // selected, or a button, the default one then (one focused by a click is not)
        std::function<void()> open;
        const std::string& box;
        HWND moved;  // where the focus is after, if not where it was
    } cases[] = {
        {__LINE__, distance, menuItem('N', 'N'), usage, nullptr},
        {__LINE__, mass, menuItem('N', 'N'), usage, nullptr},
        // A click on a push button gives it the focus.
        {__LINE__, distance, clickOn(definition[0]), definition1, definition[0]},
        {__LINE__, definition[0], press(VK_RETURN), definition1, nullptr},
        {__LINE__, mass, clickOn(definition[1]), definition2, definition[1]},
        {__LINE__, definition[1], press(VK_RETURN), definition2, nullptr},
        {__LINE__, distance, clickOn(definition[2]), definition3, definition[2]},
        {__LINE__, definition[2], press(VK_RETURN), definition3, nullptr},
        {__LINE__, distance, press(VK_RETURN), error, nullptr},
        {__LINE__, mass, press(VK_RETURN), error, nullptr},
        {__LINE__, distance, menuItem('N', 'O'), about, nullptr},
        {__LINE__, circular, menuItem('N', 'O'), about, nullptr},
        {__LINE__, mass, clickOn(cancel), question, cancel},
        {__LINE__, distance, press(VK_ESCAPE), question, nullptr},
        {__LINE__, mass, [&] { clickAt(closeBoxPoint(main)); }, question, nullptr},
        {__LINE__, distance, press(VK_F4, VK_MENU), question, nullptr},
        {__LINE__, escape, menuItem('P', 'U'), question, nullptr},  // Program, Ukoncit
        {__LINE__, distance, press(VK_ESCAPE), question, nullptr},
    };
    auto selection = [](HWND field, UINT get) {
        const DWORD s = DWORD(SendMessageW(field, get, 0, 0));
        return " [" + std::to_string(LOWORD(s)) + "-" + std::to_string(HIWORD(s)) + "]";
    };
    auto state = [&] {
        return name(focused(main)) + " | " + text(distance) + selection(distance, EM_GETSEL) + " | " +
               text(field(mass)) + selection(mass, CB_GETEDITSEL) + " | " + text(result);
    };
    ASSERT_TRUE(setText(distance, "3.84e8") && setText(field(mass), "Slunce") && setText(result, "11185.40"));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const bool yes = i + 1 == std::size(cases), no = c.box == question, byClick = i % 2;
        SCOPED_TRACE(::testing::Message() << "line " << c.line << (yes ? ", answered Ano" : byClick ? ", closed by a click"
                                                                                             : ", closed by a key"));
        ASSERT_TRUE(activate(main));
        if (c.from == distance || c.from == mass) {
            auto selected = [&](const char* range) {
                return waitUntil([&] { return selection(c.from, c.from == mass ? CB_GETEDITSEL : EM_GETSEL) == range; },
                                 kChangeMs);
            };
            ASSERT_TRUE(tabTo(main, c.from));
            pressKey(VK_HOME);
            ASSERT_TRUE(selected(" [0-0]")) << "Home in " << name(c.from);
            for (WORD shift : {0, 0, VK_SHIFT, VK_SHIFT}) shift ? pressKey(VK_RIGHT, {shift}) : pressKey(VK_RIGHT);
            ASSERT_TRUE(selected(" [2-4]")) << "cannot select in " << name(c.from);
        } else {
            ASSERT_TRUE(tabTo(main, distance) && tabTo(main, c.from));
        }
        const std::string left = state();
        c.open();
        HWND box = expectBox(c.box);
        ASSERT_TRUE(box && activate(box));
        if (yes) {
            pressKey(VK_RETURN);  // Ano, the default button
            break;
        }
        ASSERT_TRUE(byClick ? click(buttonCaptioned(box, no ? "&Ne" : "OK")) : (pressKey(no ? 'N' : VK_RETURN), true));
        ASSERT_TRUE(waitGone(box)) << "the box stays open";
        EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(main) && IsWindowEnabled(main); }, kChangeMs) &&
                    painted(main) && WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            << "the window did not come back, or the program ended";
        EXPECT_EQ(state(), c.moved ? name(c.moved) + left.substr(left.find(" |")) : left);
    }
    DWORD code = 12345;
    ASSERT_EQ(WaitForSingleObject(process, kAppearMs), WAIT_OBJECT_0) << "the program did not end on Yes";
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
}

}  // namespace

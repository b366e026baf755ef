// The main window, started as its own process and driven from outside with
// real keystrokes and clicks. String literals are compiled to Windows-1250,
// the program's encoding, and compared byte for byte.
#include <algorithm>
#include <functional>
#include <set>

#include "fixture.h"
#include "resource.h"
#include "texts.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";

// A message as the tests compare it: a short one whole; a long one by what
// can go wrong with it: its first and last words (the right box for the
// right button), its length and lines (whole), and its letters with
// diacritics, which must all be Czech ones (the text decoded as
// Windows-1250).
std::string gist(const std::string& cp1250) {
    if (cp1250.size() <= 40) return cp1250;
    const std::string czech = "áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ";
    size_t accented = 0, other = 0;
    for (char c : cp1250)
        if (c & 0x80) ++(czech.find(c) != std::string::npos ? accented : other);
    return cp1250.substr(0, 12) + "…" + cp1250.substr(cp1250.size() - 12) + " (" + std::to_string(cp1250.size()) +
           " characters, " + std::to_string(std::count(cp1250.begin(), cp1250.end(), '\n') + 1) + " lines, " +
           std::to_string(accented) + " Czech letters with diacritics, " + std::to_string(other) + " other)";
}

// Where `part` stands pixel for pixel in `whole`; {-1, -1} if nowhere.
POINT find(const Image& whole, const Image& part) {
    for (int y = 0; y + part.height <= whole.height; ++y)
        for (int x = 0; x + part.width <= whole.width; ++x) {
            bool same = true;
            for (int j = 0; j < part.height && same; ++j) {
                const auto row = part.px.begin() + j * part.width;
                same = std::equal(row, row + part.width, whole.px.begin() + (y + j) * whole.width + x);
            }
            if (same) return {x, y};
        }
    return {-1, -1};
}

// Whether `icon`, drawn `size` pixels square over the colour of the top
// left pixel of the screen area `r`, stands anywhere in that area.
bool showsIcon(const RECT& r, HICON icon, int size) {
    const Image shot = captureScreen(r);
    const Image drawn = paintedImage(size, size, [&](HDC mem) {
        HBRUSH bg = CreateSolidBrush(RGB(shot.px[0] >> 16, (shot.px[0] >> 8) & 0xFF, shot.px[0] & 0xFF));
        RECT all{0, 0, size, size};
        FillRect(mem, &all, bg);
        DrawIconEx(mem, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        DeleteObject(bg);
    });
    return icon && find(shot, drawn).x >= 0;
}

class Window : public ProgramTest {
protected:
    // Control `id` comes to show `expected`.
    ::testing::AssertionResult shows(int id, const std::string& expected) {
        return ::testing::AssertionResult(waitUntil([&] { return itemText(main, id) == expected; }, kChangeMs))
               << "control " << id << " shows \"" << shown(itemText(main, id)) << "\", expected \"" << shown(expected)
               << "\"";
    }

    // Clicks into the distance or the mass box and replaces its text: a
    // preset mass is chosen with the arrow keys, any other text typed but
    // the longest, which are set straight into the field.
    ::testing::AssertionResult enter(int id, const std::string& value) {
        if (value.size() > 1000) {
            // Wine's edit control takes seconds to lay out the longest texts when it paints them.
            DWORD_PTR painted = 0;
            const bool set = setText(field(id), value, 120000) &&
                             SendMessageTimeoutW(field(id), WM_PAINT, 0, 0, SMTO_NORMAL, 120000, &painted);
            const std::string holds = set ? text(field(id), 120000) : "";
            return ::testing::AssertionResult(holds == value) << "control " << id << " holds " << holds.size()
                   << " characters of " << value.size() << ": \"" << shown(holds.substr(0, 60)) << "...\"";
        }
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        click(item(id));
        if (!waitUntil([&] { return focusId(main) == id; }, kChangeMs))
            return ::testing::AssertionFailure() << "a click into " << id << " left the focus in " << focusId(main);
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        pressKey(VK_DELETE);
        const bool preset = value == kEarth || value == kSun;
        if (!preset) typeText(value);
        for (WORD key : {VK_DOWN, VK_UP})
            for (int i = 0; i < 3 && preset && itemText(main, id) != value; ++i) pressInMass(key);
        return shows(id, value);
    }

    // Presses an arrow key in the mass box; what the box then shows.
    std::string pressInMass(WORD key) {
        const std::string before = itemText(main, IDC_MASS);
        pressKey(key);
        waitUntil([&] { return itemText(main, IDC_MASS) != before; }, 1000);
        return itemText(main, IDC_MASS);
    }

    // The message box that opens over the disabled window must show
    // "caption | gist of the text | buttons | icon" (the icon "question",
    // "none" when the text stands where an icon would, or "another"); null
    // if none.
    HWND expectBox(const std::string& expected) {
        HWND box = ownedBox(main, kChangeMs), icon = box ? GetDlgItem(box, kBoxIcon) : nullptr;
        std::string seen = box ? text(box) + " | " + gist(itemText(box, kBoxText)) + " |" : "no box";
        for (HWND c = GetWindow(box, GW_CHILD); box && c; c = GetWindow(c, GW_HWNDNEXT))
            if (className(c) == "Button" && IsWindowVisible(c)) seen += " " + text(c);
        RECT r{}, t{};
        GetWindowRect(GetDlgItem(box, kBoxText), &t);
        const bool iconShown = icon && IsWindowVisible(icon) && GetWindowRect(icon, &r) && t.left >= r.right;
        seen += !box ? "" : !iconShown ? " | none"
                : waitUntil([&] { return showsIcon(r, LoadIconA(nullptr, IDI_QUESTION), r.right - r.left); }, kChangeMs)
                    ? " | question" : " | another";
        EXPECT_EQ(shown(seen), shown(expected));
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input behind the box";
        return box;
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
    caption = {caption.left, caption.top, caption.left + 48,
               caption.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME)};
    auto icon = [](const char* file) {
        return HICON(LoadImageA(nullptr, (envPath("ORBELA_RES") + "\\" + file).c_str(), IMAGE_ICON, 16, 16,
                                LR_LOADFROMFILE));
    };
    EXPECT_TRUE(waitUntil([&] { return showsIcon(caption, icon("small.ico"), 16); }, kChangeMs))
        << "the caption does not show the small icon of res/small.ico";
    EXPECT_FALSE(showsIcon(caption, icon("app.ico"), 16)) << "the caption shows the program icon of res/app.ico";
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & frame, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
        << "a maximise box or a sizing border, or no minimise box";
}

// What the coloured texts show, as the screen shows them: their ink on the
// menu colour and no other colour (a group box: in its caption strip, with
// its frame); the title pixel for pixel as 22-pixel italic Times New Roman
// draws it. Each text is plain ASCII, and the labels name their units.
TEST_F(StartUp, TextsAndColours) {
    const COLORREF m = GetSysColor(COLOR_MENU);
    const uint32_t menu = GetRValue(m) << 16 | GetGValue(m) << 8 | GetBValue(m), blue = 0x0000FF;
    const std::tuple<int, const char*, uint32_t> cases[] = {  // a part of the text, the ink as 0xRRGGBB
        {IDC_TITLE, "Kosmicke rychlosti", 0xFFFFA0},
        {IDC_RESULT, "0.00", 0xFF00A0},
        {IDC_LABEL_DISTANCE, " v metrech.", blue},
        {IDC_LABEL_MASS, " v kilogramech", blue},
        {IDC_LABEL_RESULT, " v metrech za sekundu", blue},
        {IDC_STATUS, "ORBELA_XB", blue},
        {IDC_GROUP_INPUT, "Zadani", blue},
        {IDC_GROUP_RESULT, "Vysledek", blue},
        {IDC_GROUP_DEFS, "Definice kosm. rychlosti", blue},
    };
    ASSERT_TRUE(activate(main));
    for (const auto& [id, part, ink] : cases) {
        SCOPED_TRACE(::testing::Message() << "control " << id);
        const std::string label = itemText(main, id);
        EXPECT_TRUE(label.find(part) != std::string::npos &&
                    std::none_of(label.begin(), label.end(), [](char c) { return c & 0x80; }))
            << "\"" << shown(label) << "\" wants \"" << part << "\" and no diacritics";
        RECT r = clientOnScreen(item(id));
        const bool group = className(item(id)) == "Button";
        r.bottom = group ? r.top + 10 : r.bottom;
        const Image title = id != IDC_TITLE ? Image{} : paintedImage(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
            RECT all{0, 0, r.right - r.left, r.bottom - r.top};
            FillRect(dc, &all, GetSysColorBrush(COLOR_MENU));
            HGDIOBJ old = SelectObject(dc, CreateFontW(-22, 0, 0, 0, FW_NORMAL, TRUE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                                                       0, 0, 0, L"Times New Roman"));
            SetTextColor(dc, RGB(ink >> 16, ink >> 8 & 0xFF, ink & 0xFF));
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, widen(label).c_str(), -1, &all, DT_CENTER | DT_WORDBREAK);
            DeleteObject(SelectObject(dc, old));
        });
        std::set<uint32_t> seen;
        auto right = [&] {
            const Image shot = captureScreen(r);
            seen = std::set<uint32_t>(shot.px.begin(), shot.px.end());
            if (id == IDC_TITLE) return shot.px == title.px;
            return seen.count(ink) && seen.count(menu) && (group || seen.size() == 2);
        };
        EXPECT_TRUE(waitUntil(right, kChangeMs)) << "wants only ink " << std::hex << ink << " on " << menu
                                                 << " (the title as 22-pixel italic Times New Roman), "
                                                 << seen.size() << " colours seen";
    }
}

// The drawing, the bitmap of res/MYBMP.bmp, stands pixel for pixel at its
// own size in the middle of its frame (give or take a pixel of rounding).
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
    const RECT frame = clientOnScreen(item(IDC_PICTURE));
    POINT found{-1, -1};
    ASSERT_TRUE(activate(main));
    waitUntil([&] { return (found = find(captureScreen(frame), drawing)).x >= 0; }, kChangeMs);
    const POINT centred{(frame.right - frame.left - drawing.width) / 2, (frame.bottom - frame.top - drawing.height) / 2};
    EXPECT_TRUE(std::abs(found.x - centred.x) <= 1 && std::abs(found.y - centred.y) <= 1)
        << "the " << drawing.width << " x " << drawing.height << " drawing stands at " << found.x << ", " << found.y
        << " in its frame, not at " << centred.x << ", " << centred.y << " (-1: nowhere)";
}

// No button of the window is framed as the default one: with the focus in
// the distance box, Kruhova r.I and Unikova r.II look as Cancel does at
// their edges.
TEST_F(StartUp, NoButtonFramedAsTheDefault) {
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
    auto edges = [&](int id) {
        const Image shot = captureScreen(clientOnScreen(item(id)));
        std::vector<uint32_t> ring;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (x < 2 || y < 2 || x >= shot.width - 2 || y >= shot.height - 2) ring.push_back(shot.at(x, y));
        return ring;
    };
    EXPECT_TRUE(edges(IDOK) == edges(IDCANCEL)) << "Kruhova r.I";
    EXPECT_TRUE(edges(IDC_ESCAPE) == edges(IDCANCEL)) << "Unikova r.II";
}

// Tab goes round the controls and back to the first; Shift+Tab goes back.
TEST_F(StartUp, TabOrder) {
    const std::vector<int> order{IDC_DEF1, IDC_DEF2, IDC_DEF3, IDOK, IDCANCEL, IDC_ESCAPE, IDC_DISTANCE,
                                 IDC_MASS, IDC_DEF1, IDC_MASS, IDC_DISTANCE};
    ASSERT_TRUE(activate(main) && tabTo(main, IDC_DEF1));
    std::vector<int> seen{focusId(main)};
    while (seen.size() < order.size()) {
        seen.size() < order.size() - 2 ? pressKey(VK_TAB) : pressKey(VK_TAB, {VK_SHIFT});
        waitUntil([&] { return focusId(main) != seen.back(); }, kChangeMs);
        seen.push_back(focusId(main));
    }
    EXPECT_EQ(seen, order);
}

// Each command given by a click on its button or by Enter on it (focused
// by Tab); Kruhova r.I also by Enter in the distance or the mass box,
// whichever was entered last. A field without a number gives the input
// error, and the result stays as it was. Texts as long as a command reads
// (65,534 characters) and longer are set straight into the fields, as
// another program could; the others are typed.
enum class Press { Click, EnterOnButton, EnterInDistance, EnterInMass };

TEST_F(Velocity, ButtonsAndEnterAndTheInputError) {
    const size_t read = 65534;
    auto framed = [&](const std::string& tail) {  // a Czech label, Czech words and `tail`
        return texts::repeated("Vzdálenost od středu Země: žluťoučký kůň úpěl ďábelské ódy ", read - tail.size()) + tail;
    };
    const std::string highBytes = texts::highBytes(read);
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
        ASSERT_TRUE(enter(distanceLast ? IDC_MASS : IDC_DISTANCE, distanceLast ? c.mass : c.distance));
        ASSERT_TRUE(enter(distanceLast ? IDC_DISTANCE : IDC_MASS, distanceLast ? c.distance : c.mass));
        const std::string before = itemText(main, IDC_RESULT);
        for (int button : {IDOK, IDC_ESCAPE}) {
            ASSERT_TRUE(activate(main));
            if (c.press == Press::EnterOnButton || (button == IDOK && c.press != Press::Click)) {
                ASSERT_TRUE(c.press != Press::EnterOnButton || tabTo(main, button));
                pressKey(VK_RETURN);
            } else {
                click(item(button));
            }
            const char* result = button == IDOK ? c.circular : c.escape;
            HWND box = result ? nullptr : expectBox("chyba | Zadejte do pole číslici | OK | none");
            if (box && activate(box)) pressKey(VK_RETURN);
            EXPECT_TRUE(result ? shows(IDC_RESULT, result) : waitGone(box) && shows(IDC_RESULT, before));
            ASSERT_EQ(ownedBox(main), nullptr) << "a box is open";
        }
    }
}

// Every box of the main window: the definitions by a click or by Enter on
// the button (focused by Tab), the usage by Alt+N, N, and the exit question
// by every way to close the window. Each is answered by a key or a click
// in turn, OK or No, which leaves the window as it was; then Enter, its
// default button Ano, ends the program with exit code 0.
TEST_F(Messages, DefinitionsUsageAndTheExitQuestion) {
    const char* const question = "ORBELA_XB " ORBELA_VERSION " | Chcete ukončit? | &Ano &Ne | question";
    auto menuItem = [&](WORD menu, WORD entry) {  // by the access keys: Alt+menu, then the entry's
        return [=] {
            pressKey(menu, {VK_MENU});
            waitMenu(pid);
            pressKey(entry);
        };
    };
    auto clickOn = [&](int id) { return [=] { click(item(id)); }; };
    const std::pair<std::function<void()>, const char*> cases[] = {
        {clickOn(IDC_DEF1),
         "Prvni kosm.rychlost | 1. kosmická …rchu tělesa. (131 characters, 3 lines, 10 Czech letters with "
         "diacritics, 0 other) | OK | none"},
        {[&] {
             tabTo(main, IDC_DEF2);
             pressKey(VK_RETURN);
         },
         "Druhá kosm.rychlost | 2. kosmická …vá rychlost. (50 characters, 1 lines, 5 Czech letters with diacritics, "
         "0 other) | OK | none"},
        {clickOn(IDC_DEF3),
         "Třetí kosm.rychlost | 3. kosmická …dy (Slunce). (127 characters, 2 lines, 14 Czech letters with "
         "diacritics, 0 other) | OK | none"},
        {menuItem('N', 'N'),  // Napoveda, Navod
         "Help | Do editboxu …t od Slunce. (449 characters, 5 lines, 24 Czech letters with diacritics, 0 other) | "
         "OK | none"},
        {[] { pressKey(VK_ESCAPE); }, question},
        {clickOn(IDCANCEL), question},
        {[&] { clickAt(closeBoxPoint(main)); }, question},
        {[] { pressKey(VK_F4, {VK_MENU}); }, question},
        {menuItem('P', 'U'), question},  // Program, Ukoncit
        {[] { pressKey(VK_ESCAPE); }, question},
    };
    ASSERT_TRUE(setText(item(IDC_DISTANCE), "3.84e8") && setText(field(IDC_MASS), kEarth) &&
                setText(item(IDC_RESULT), "11185.40"));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const bool yes = i + 1 == std::size(cases), no = cases[i].second == question;
        SCOPED_TRACE(::testing::Message() << "case " << i << (yes ? ", Yes" : ""));
        ASSERT_TRUE(activate(main));
        cases[i].first();
        HWND box = expectBox(cases[i].second);
        ASSERT_TRUE(box && activate(box));
        if (yes)
            pressKey(VK_RETURN);  // Ano, the default button
        else
            i % 2 ? click(GetDlgItem(box, no ? IDNO : IDOK)) : pressKey(no ? 'N' : VK_RETURN);
        if (yes) break;
        ASSERT_TRUE(waitGone(box)) << "the box stays open";
        EXPECT_EQ(WaitForSingleObject(process, 300), WAIT_TIMEOUT) << "the program ended";
        EXPECT_EQ(shown(itemText(main, IDC_DISTANCE) + "|" + itemText(main, IDC_MASS) + "|" +
                        itemText(main, IDC_RESULT)), shown("3.84e8|Země 5.98e24|11185.40"));
    }
    DWORD code = 12345;
    ASSERT_EQ(WaitForSingleObject(process, kAppearMs), WAIT_OBJECT_0) << "the program did not end on Yes";
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
}

}  // namespace

// The main window, started as its own process and driven from outside with
// real keystrokes and clicks; texts compared as the screen shows them.
#include <algorithm>
#include <functional>
#include <set>

#include "fixture.h"
#include "texts.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";

// A message as the tests compare it: a short one whole; a long one by what
// can go wrong with it: its first and last words (the right box for the
// right button), its length and lines (whole), and its letters with
// diacritics, which must all be Czech ones.
std::string gist(const std::string& utf8) {
    const std::wstring text = widen(utf8), czech = L"áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ";
    if (text.size() <= 40) return utf8;
    size_t accented = 0, other = 0;
    for (wchar_t c : text)
        if (c >= 0x80) ++(czech.find(c) != std::wstring::npos ? accented : other);
    return narrow(text.substr(0, 12)) + "…" + narrow(text.substr(text.size() - 12)) + " (" +
           std::to_string(text.size()) + " characters, " +
           std::to_string(std::count(text.begin(), text.end(), L'\n') + 1) + " lines, " + std::to_string(accented) +
           " Czech letters with diacritics, " + std::to_string(other) + " other)";
}

// `count` characters of `piece` repeated.
std::string repeatedTo(const std::string& piece, size_t count) {
    const std::wstring wide = widen(piece);
    std::wstring text;
    while (text.size() < count) text.append(wide, 0, count - text.size());
    return narrow(text);
}

class Window : public ProgramTest {
protected:
    // `control` comes to show `expected`.
    ::testing::AssertionResult shows(HWND control, const std::string& expected) {
        return ::testing::AssertionResult(waitUntil([&] { return text(control) == expected; }, kChangeMs))
               << name(control) << " shows \"" << shown(text(control)) << "\", expected \"" << shown(expected) << "\"";
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
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        click(box);
        if (!waitUntil([&] { return focused(main) == box; }, kChangeMs))
            return ::testing::AssertionFailure() << "a click into " << name(box) << " left the focus in "
                                                 << name(focused(main));
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        pressKey(VK_DELETE);
        const bool preset = value == kEarth || value == kSun;
        if (!preset) typeText(value);
        for (WORD key : {VK_DOWN, VK_UP})
            for (int i = 0; i < 3 && preset && text(box) != value; ++i) pressIn(box, key);
        return shows(field(box), value);
    }

    // Presses a key in `box`; what the box then shows.
    std::string pressIn(HWND box, WORD key) {
        const std::string before = text(box);
        pressKey(key);
        waitUntil([&] { return text(box) != before; }, 1000);
        return text(box);
    }

    // The message box that opens over the disabled window must show
    // "caption | gist of the text | buttons | icon" (the icon "question",
    // "none" when the text stands where an icon would, or "another"); null
    // if none.
    HWND expectBox(const std::string& expected) {
        HWND box = ownedBox(main, kChangeMs), icon = box ? GetDlgItem(box, kBoxIcon) : nullptr;
        std::string seen = box ? text(box) + " | " + gist(text(GetDlgItem(box, kBoxText))) + " |" : "no box";
        for (HWND c = GetWindow(box, GW_CHILD); box && c; c = GetWindow(c, GW_HWNDNEXT))
            if (className(c) == "Button" && IsWindowVisible(c)) seen += " " + text(c);
        RECT r{}, t{};
        GetWindowRect(GetDlgItem(box, kBoxText), &t);
        const bool iconShown = icon && IsWindowVisible(icon) && GetWindowRect(icon, &r) && t.left >= r.right;
        seen += !box ? "" : !iconShown ? " | none"
                : waitUntil([&] { return iconAt(r, LoadIconA(nullptr, IDI_QUESTION), r.right - r.left).x >= 0; }, kChangeMs)
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
    EXPECT_EQ(text(distance) + "|" + text(field(mass)) + "|" + text(result), "||0.00");
    ASSERT_TRUE(enter(mass, ""));
    std::vector<std::string> presets;
    for (int i = 0; i < 3; ++i) presets.push_back(pressIn(mass, VK_DOWN));
    EXPECT_EQ(presets, (std::vector<std::string>{kSun, kEarth, kEarth})) << "sorted presets";
    // Wine answers no WM_GETICON from another process: the small icon is
    // looked for where a person sees it, at the left of the caption.
    RECT caption;
    GetWindowRect(main, &caption);
    caption = {caption.left, caption.top, caption.left + 48,
               caption.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME)};
    auto icon = [](const char* file) { return iconFile(file, 16); };
    EXPECT_TRUE(waitUntil([&] { return iconAt(caption, icon("small.ico"), 16).x >= 0; }, kChangeMs))
        << "the caption does not show the small icon of res/small.ico";
    EXPECT_LT(iconAt(caption, icon("app.ico"), 16).x, 0) << "the caption shows the program icon of res/app.ico";
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & frame, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX)
        << "a maximise box or a sizing border, or no minimise box";
}

// What the coloured texts show, as the screen shows them: their ink on the
// menu colour and no other colour (a group box: in its caption strip, with
// its frame); the title pixel for pixel as 22-pixel italic Times New Roman
// draws it.
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
            if (title) return shot.px == drawn.px;
            return seen.count(ink) && seen.count(menu) && (group || seen.size() == 2);
        };
        EXPECT_TRUE(waitUntil(right, kChangeMs)) << "wants only ink " << std::hex << ink << " on " << menu
                                                 << " (the title as 22-pixel italic Times New Roman), "
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
            EXPECT_TRUE(velocity ? shows(result, velocity) : waitGone(box) && shows(result, mark)) << name(button);
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
    auto clickOn = [&](HWND button) { return [=] { click(button); }; };
    const struct {
        int line;
        std::function<void()> open;
        const char* box;
    } cases[] = {
        {__LINE__, clickOn(definition[0]),
         "Prvni kosm.rychlost | 1. kosmická …rchu tělesa. (131 characters, 3 lines, 10 Czech letters with "
         "diacritics, 0 other) | OK | none"},
        {__LINE__,
         [&] {
             tabTo(main, definition[1]);
             pressKey(VK_RETURN);
         },
         "Druhá kosm.rychlost | 2. kosmická …vá rychlost. (50 characters, 1 lines, 5 Czech letters with diacritics, "
         "0 other) | OK | none"},
        {__LINE__, clickOn(definition[2]),
         "Třetí kosm.rychlost | 3. kosmická …dy (Slunce). (127 characters, 2 lines, 14 Czech letters with "
         "diacritics, 0 other) | OK | none"},
        {__LINE__, menuItem('N', 'N'),  // Napoveda, Navod
         "Help | Do editboxu …t od Slunce. (449 characters, 5 lines, 24 Czech letters with diacritics, 0 other) | "
         "OK | none"},
        {__LINE__, [] { pressKey(VK_ESCAPE); }, question},
        {__LINE__, clickOn(cancel), question},
        {__LINE__, [&] { clickAt(closeBoxPoint(main)); }, question},
        {__LINE__, [] { pressKey(VK_F4, {VK_MENU}); }, question},
        {__LINE__, menuItem('P', 'U'), question},  // Program, Ukoncit
        {__LINE__, [] { pressKey(VK_ESCAPE); }, question},
    };
    ASSERT_TRUE(setText(distance, "3.84e8") && setText(field(mass), kEarth) && setText(result, "11185.40"));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const bool yes = i + 1 == std::size(cases), no = cases[i].box == question;
        SCOPED_TRACE(::testing::Message() << "line " << cases[i].line << (yes ? ", answered Ano" : ""));
        ASSERT_TRUE(activate(main));
        cases[i].open();
        HWND box = expectBox(cases[i].box);
        ASSERT_TRUE(box && activate(box));
        if (yes)
            pressKey(VK_RETURN);  // Ano, the default button
        else
            i % 2 ? click(buttonCaptioned(box, no ? "&Ne" : "OK")) : pressKey(no ? 'N' : VK_RETURN);
        if (yes) break;
        ASSERT_TRUE(waitGone(box)) << "the box stays open";
        EXPECT_EQ(WaitForSingleObject(process, 300), WAIT_TIMEOUT) << "the program ended";
        EXPECT_EQ(shown(text(distance) + "|" + text(field(mass)) + "|" + text(result)), "3.84e8|Země 5.98e24|11185.40");
    }
    DWORD code = 12345;
    ASSERT_EQ(WaitForSingleObject(process, kAppearMs), WAIT_OBJECT_0) << "the program did not end on Yes";
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(code, 0u);
}

}  // namespace

// The real main window, started as its own process and driven from outside
// with real keystrokes and clicks. String literals here are compiled to
// Windows-1250, the program's encoding, and compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "driver.h"
#include "program_test.h"
#include "resource.h"

namespace {

const char* const kEarth = "Země 5.98e24";
const char* const kSun = "Slunce 1.987e30";
const char* const kExitText = "Chcete ukončit?";
const char* const kExitCaption = "ORBELA_XB 1.0.0";

class Window : public ProgramTest {
protected:
    HWND item(int id) const { return GetDlgItem(main, id); }
    std::string text(int id) const { return itemText(main, id); }

    // Clicks into the distance box or the mass box and replaces its text by
    // typing, as a user does.
    ::testing::AssertionResult enter(int id, const std::string& value) {
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        HWND target = item(id);
        if (id == IDC_MASS) target = comboEdit(target);
        clickCentre(target);
        if (!waitUntil([&] { return focusWindow(main) == target; }, kChangeMs))
            return ::testing::AssertionFailure()
                   << "no focus in control " << id << " after a click; the focus is in "
                   << className(focusWindow(main)) << " " << GetDlgCtrlID(focusWindow(main));
        pressKey(VK_HOME);
        pressKey(VK_END, {VK_SHIFT});
        if (value.empty())
            pressKey(VK_DELETE);
        else
            typeText(value);
        if (!waitUntil([&] { return text(id) == value; }, kChangeMs))
            return ::testing::AssertionFailure()
                   << "control " << id << " shows \"" << shown(text(id)) << "\", typed \""
                   << shown(value) << "\"";
        return ::testing::AssertionSuccess();
    }

    // Opens the mass list with a click on its arrow and clicks the preset.
    ::testing::AssertionResult choosePresetByMouse(const std::string& preset) {
        if (!activate(main)) return ::testing::AssertionFailure() << "cannot activate the window";
        HWND combo = item(IDC_MASS);
        auto items = comboItems(combo);
        auto at = std::find(items.begin(), items.end(), preset);
        if (at == items.end()) return ::testing::AssertionFailure() << "no preset " << shown(preset);
        RECT r;
        GetWindowRect(combo, &r);
        clickAt(POINT{r.right - GetSystemMetrics(SM_CXVSCROLL) / 2 - 2, (r.top + r.bottom) / 2});
        HWND list = nullptr;
        waitUntil([&] { return (list = findTopWindow(app.pid, "ComboLBox", nullptr)) != nullptr; },
                  kChangeMs);
        if (!list) return ::testing::AssertionFailure() << "the list did not open";
        DWORD_PTR h = 0;
        SendMessageTimeoutW(list, LB_GETITEMHEIGHT, 0, 0, SMTO_ABORTIFHUNG, 2000, &h);
        RECT lr;
        GetWindowRect(list, &lr);
        int index = int(at - items.begin());
        clickAt(POINT{(lr.left + lr.right) / 2, lr.top + 1 + index * int(h) + int(h) / 2});
        if (!waitUntil([&] { return text(IDC_MASS) == preset; }, kChangeMs))
            return ::testing::AssertionFailure() << "mass shows \"" << shown(text(IDC_MASS)) << "\"";
        return ::testing::AssertionSuccess();
    }

    // Clicks into the mass box and steps to the preset with the arrow keys.
    ::testing::AssertionResult choosePresetByKeys(const std::string& preset) {
        auto items = comboItems(item(IDC_MASS));
        auto at = std::find(items.begin(), items.end(), preset);
        if (at == items.end()) return ::testing::AssertionFailure() << "no preset " << shown(preset);
        auto typed = enter(IDC_MASS, "");
        if (!typed) return typed;
        pressKey(VK_HOME, {VK_CONTROL});
        for (auto i = items.begin(); i <= at; ++i) pressKey(VK_DOWN);
        if (!waitUntil([&] { return text(IDC_MASS) == preset; }, kChangeMs))
            return ::testing::AssertionFailure() << "mass shows \"" << shown(text(IDC_MASS)) << "\"";
        return ::testing::AssertionSuccess();
    }

    void click(int id) {
        ASSERT_TRUE(activate(main));
        clickCentre(item(id));
    }

    std::string waitResult(const std::string& expected) {
        waitUntil([&] { return text(IDC_RESULT) == expected; }, kChangeMs);
        return text(IDC_RESULT);
    }

    HWND waitBox() { return waitOwnedDialog(main); }
};

// What a message box shows.
struct Box {
    std::string caption;
    std::string text;
    std::set<int> buttons;
};

Box readBox(HWND box) {
    Box b;
    b.caption = windowText(box);
    b.text = itemText(box, kBoxText);
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (className(c) == "Button" && IsWindowVisible(c)) b.buttons.insert(GetDlgCtrlID(c));
    }
    return b;
}

// Closes a box by clicking the button `id`.
void clickBoxButton(HWND box, int id) {
    ASSERT_TRUE(activate(box));
    clickCentre(GetDlgItem(box, id));
    ASSERT_TRUE(waitGone(box)) << "box still open after clicking button " << id;
}

// The system icon `which` as the box's icon control paints it.
Image drawnIcon(HICON icon, const Image& like, uint32_t background) {
    return paintedImage(like.width, like.height, [&](HDC mem) {
        HBRUSH bg = CreateSolidBrush(RGB(background >> 16, (background >> 8) & 0xFF, background & 0xFF));
        RECT all{0, 0, like.width, like.height};
        FillRect(mem, &all, bg);
        DrawIconEx(mem, 0, 0, icon, like.width, like.height, 0, nullptr, DI_NORMAL);
        DeleteObject(bg);
    });
}

// Which of the four message-box icons the box shows, by its pixels.
std::string boxIconName(HWND box) {
    HWND icon = GetDlgItem(box, kBoxIcon);
    RECT r{};
    if (icon) GetWindowRect(icon, &r);
    if (!icon || !IsWindowVisible(icon) || IsRectEmpty(&r)) return "none";
    // Without an icon the box lays its text out over the icon's place.
    RECT t{};
    GetWindowRect(GetDlgItem(box, kBoxText), &t);
    if (t.left < r.right) return "none";
    struct Known {
        LPCSTR id;
        const char* name;
    };
    const Known known[] = {{IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "exclamation"},
                           {IDI_HAND, "hand"}, {IDI_ASTERISK, "asterisk"}};
    std::string seen = "unknown";
    waitUntil([&] {
        Image shot = captureScreen(r);
        for (const Known& k : known)
            if (drawnIcon(LoadIconA(nullptr, k.id), shot, shot.at(0, 0)).px == shot.px) {
                seen = k.name;
                return true;
            }
        return false;
    }, kChangeMs);
    return seen;
}

std::string buttonsOf(const std::set<int>& ids) {
    std::string s;
    for (int id : ids) s += std::to_string(id) + " ";
    return s;
}

using StartUp = Window;
using Velocity = Window;
using Messages = Window;
using Keyboard = Window;
using Colours = Window;

// ---------------------------------------------------------------- start-up

TEST_F(StartUp, FieldsAndPresets) {
    EXPECT_EQ(text(IDC_DISTANCE), "");
    EXPECT_EQ(text(IDC_MASS), "");
    EXPECT_EQ(text(IDC_RESULT), "0.00");
    std::vector<std::string> expected{kSun, kEarth};
    auto got = comboItems(item(IDC_MASS));
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "item " << i << ": got \"" << shown(got[i])
                                       << "\", expected \"" << shown(expected[i]) << "\"";
    DWORD_PTR sel = 0;
    SendMessageTimeoutW(item(IDC_MASS), CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &sel);
    EXPECT_EQ(LRESULT(sel), CB_ERR) << "a preset is selected at start";
}

TEST_F(StartUp, ControlTexts) {
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {IDC_DEF1, "Prvni kosm. rychlost"},
        {IDC_DEF2, "Druha kosm. rychlost"},
        {IDC_DEF3, "Treti kosm. rychlost"},
        {IDOK, "Kruhova r.I"},
        {IDCANCEL, "Cancel"},
        {IDC_ESCAPE, "Unikova r.II"},
        {IDC_LABEL_DISTANCE, "Vzdalenost od stredu centr. telesa v metrech."},
        {IDC_LABEL_MASS, "Hmotnost centralniho telesa v kilogramech"},
        {IDC_LABEL_RESULT, "Vysledna rychlost v metrech za sekundu"},
        {IDC_GROUP_INPUT, "Zadani"},
        {IDC_GROUP_RESULT, "Vysledek"},
        {IDC_TITLE, "Kosmicke rychlosti"},
        {IDC_GROUP_DEFS, "Definice kosm. rychlosti"},
        {IDC_STATUS, "ORBELA_XB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(c.id), c.text) << "control " << c.id;
}

// Where in `shot` the 16 x 16 image of icon group `group` of `exe` stands,
// pixel for pixel; {-1, -1} when nowhere.
POINT findIcon(const Image& shot, const std::string& exe, int group) {
    HMODULE m = LoadLibraryExA(exe.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HICON icon = m ? HICON(LoadImageA(m, MAKEINTRESOURCEA(group), IMAGE_ICON, 16, 16, 0)) : nullptr;
    POINT found{-1, -1};
    if (icon) {
        Image like;
        like.width = like.height = 16;
        Image drawn = drawnIcon(icon, like, 0);
        for (int y = 0; y + 16 <= shot.height && found.x < 0; ++y)
            for (int x = 0; x + 16 <= shot.width && found.x < 0; ++x) {
                bool same = true;
                for (int j = 0; j < 16 && same; ++j)
                    for (int i = 0; i < 16 && same; ++i) same = shot.at(x + i, y + j) == drawn.at(i, j);
                if (same) found = POINT{x, y};
            }
        DestroyIcon(icon);
    }
    if (m) FreeLibrary(m);
    return found;
}

TEST_F(StartUp, CaptionIconsAndFrame) {
    EXPECT_EQ(windowText(main), "ORBELA_XB");
    // Wine answers no WM_GETICON from another process: the small icon is
    // checked where a person sees it, at the left of the caption.
    RECT r;
    GetWindowRect(main, &r);
    r.bottom = r.top + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME);
    r.right = r.left + 48;
    POINT small{-1, -1};
    waitUntil([&] { return (small = findIcon(captureScreen(r), envPath("ORBELA_EXE"), IDI_SMALL)).x >= 0; },
              kChangeMs);
    EXPECT_GE(small.x, 0) << "the caption does not show the icon IDI_SMALL";
    EXPECT_LT(findIcon(captureScreen(r), envPath("ORBELA_EXE"), IDI_APP).x, 0)
        << "the caption shows the program icon IDI_APP";

    LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "has a maximise box";
    EXPECT_FALSE(style & WS_THICKFRAME) << "has a sizing border";
    EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_STATICEDGE);

    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(waitUntil([&] { return IsIconic(main) != FALSE; }, kChangeMs)) << "not minimised";
    PostMessageW(main, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(waitUntil([&] { return !IsIconic(main); }, kChangeMs)) << "not restored";
}

// ---------------------------------------------------------------- velocity

enum class Mass { Typed, PresetByKeys, PresetByMouse };

TEST_F(Velocity, BothButtons) {
    struct Case {
        int line;
        const char* distance;
        const char* mass;
        Mass how;
        const char* circular;
        const char* escape;
    };
    const Case cases[] = {
        {__LINE__, "6378000", kEarth, Mass::PresetByKeys, "7909.27", "11185.40"},
        {__LINE__, "3.84e8", kEarth, Mass::Typed, "1019.33", "1441.54"},
        {__LINE__, "1.496e11", kSun, Mass::PresetByMouse, "29768.79", "42099.42"},
        {__LINE__, "6378000", "7.35e22", Mass::Typed, "876.86", "1240.06"},
        {__LINE__, "6378000 m", "5.98e24 kg", Mass::Typed, "7909.27", "11185.40"},
        {__LINE__, "-6378000", kEarth, Mass::PresetByMouse, "7909.27", "11185.40"},
    };
    std::string previous = "0.00";
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": distance \"" << c.distance
                                          << "\", mass \"" << shown(c.mass) << "\"");
        ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
        switch (c.how) {
        case Mass::Typed: ASSERT_TRUE(enter(IDC_MASS, c.mass)); break;
        case Mass::PresetByKeys: ASSERT_TRUE(choosePresetByKeys(c.mass)); break;
        case Mass::PresetByMouse: ASSERT_TRUE(choosePresetByMouse(c.mass)); break;
        }
        ASSERT_NE(previous, c.circular) << "the table must change the result at every step";
        click(IDOK);
        EXPECT_EQ(waitResult(c.circular), c.circular) << "button Kruhova r.I";
        click(IDC_ESCAPE);
        EXPECT_EQ(waitResult(c.escape), c.escape) << "button Unikova r.II";
        previous = c.escape;
        ASSERT_EQ(ownedDialog(main), nullptr) << "a box opened";
    }
}

TEST_F(Velocity, EnterInDistanceAndMassBoxes) {
    struct Case {
        int line;
        int where;
        const char* distance;
        const char* expected;
    };
    const Case cases[] = {
        {__LINE__, IDC_DISTANCE, "6378000", "7909.27"},
        {__LINE__, IDC_MASS, "3.84e8", "1019.33"},
        {__LINE__, IDC_DISTANCE, "1.496e11", "51.64"},
    };
    ASSERT_TRUE(enter(IDC_MASS, kEarth));
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": Enter in control " << c.where);
        ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
        ASSERT_TRUE(enter(c.where, c.where == IDC_MASS ? kEarth : c.distance));
        pressKey(VK_RETURN);
        EXPECT_EQ(waitResult(c.expected), c.expected);
        EXPECT_EQ(ownedDialog(main), nullptr) << "a box opened";
    }
}

TEST_F(Velocity, EnterOnFocusedButtonPressesIt) {
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
    ASSERT_TRUE(enter(IDC_MASS, kEarth));
    ASSERT_TRUE(tabTo(main, IDC_ESCAPE));
    pressKey(VK_RETURN);
    EXPECT_EQ(waitResult("11185.40"), "11185.40") << "Enter on Unikova r.II";

    ASSERT_TRUE(tabTo(main, IDC_DEF2));
    pressKey(VK_RETURN);
    HWND box = waitBox();
    ASSERT_NE(box, nullptr) << "Enter on Druha kosm. rychlost opened nothing";
    EXPECT_EQ(windowText(box), "Druhá kosm.rychlost");
    EXPECT_EQ(text(IDC_RESULT), "11185.40");
    clickBoxButton(box, IDOK);

    ASSERT_TRUE(tabTo(main, IDOK));
    ASSERT_TRUE(activate(main));
    pressKey(VK_RETURN);
    EXPECT_EQ(waitResult("7909.27"), "7909.27") << "Enter on Kruhova r.I";
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
        {__LINE__, "0x10", kEarth, IDOK},
        {__LINE__, "6378000", "", IDC_ESCAPE},
        {__LINE__, "6378000", "Slunce", IDOK},
    };
    std::string before = "0.00";
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": distance \"" << c.distance
                                          << "\", mass \"" << shown(c.mass) << "\"");
        if (!first) {
            ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
            ASSERT_TRUE(enter(IDC_MASS, kEarth));
            click(IDOK);
            before = waitResult("7909.27");
            ASSERT_EQ(before, "7909.27");
            ASSERT_TRUE(enter(IDC_DISTANCE, c.distance));
            ASSERT_TRUE(enter(IDC_MASS, c.mass));
        }
        click(c.button);
        HWND box = waitBox();
        ASSERT_NE(box, nullptr) << "no error box";
        Box b = readBox(box);
        EXPECT_EQ(b.caption, "chyba");
        EXPECT_EQ(b.text, "Zadejte do pole číslici") << "got \"" << shown(b.text) << "\"";
        EXPECT_EQ(b.buttons, std::set<int>{IDOK}) << "buttons: " << buttonsOf(b.buttons);
        EXPECT_EQ(boxIconName(box), "none");
        if (first) screenshot(box, "error");
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window takes input behind the box";
        ASSERT_TRUE(activate(box));
        pressKey(VK_RETURN);
        ASSERT_TRUE(waitGone(box));
        EXPECT_EQ(text(IDC_RESULT), before);
        EXPECT_EQ(text(IDC_DISTANCE), c.distance);
        first = false;
    }
}

TEST_F(Messages, DefinitionsAndUsage) {
    struct Case {
        int line;
        int button;  // 0: the menu item Nápověda / Návod, by its access keys
        const char* caption;
        const char* text;
        const char* shot;
    };
    const Case cases[] = {
        {__LINE__, IDC_DEF1, "Prvni kosm.rychlost",
         "1. kosmická rychlost - rychlost, jíž by obíhalo těleso\n zanedbatelné hmotnosti po "
         "kruhové dráze, obvykle\n na úrovni povrchu tělesa.",
         "definition1"},
        {__LINE__, IDC_DEF2, "Druhá kosm.rychlost",
         "2. kosmická rychlost - minimální úniková rychlost.", "definition2"},
        {__LINE__, IDC_DEF3, "Třetí kosm.rychlost",
         "3. kosmická rychlost - někdy používaný pojem pro\n rychlost potřebnou k úniku z "
         "gravitačního působení centrální hvězdy (Slunce).",
         "definition3"},
        {__LINE__, 0, "Help",
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
        if (c.button) {
            click(c.button);
        } else {
            ASSERT_TRUE(activate(main));
            pressKey('N', {VK_MENU});
            ASSERT_NE(waitMenu(app.pid), nullptr) << "Alt+N opened no menu";
            pressKey('N');
        }
        HWND box = waitBox();
        ASSERT_NE(box, nullptr) << "no box";
        Box b = readBox(box);
        EXPECT_EQ(b.caption, c.caption) << "got \"" << shown(b.caption) << "\"";
        EXPECT_EQ(b.text, c.text) << "got      \"" << shown(b.text) << "\"\nexpected \""
                                  << shown(c.text) << "\"";
        EXPECT_EQ(b.buttons, std::set<int>{IDOK}) << "buttons: " << buttonsOf(b.buttons);
        EXPECT_EQ(boxIconName(box), "none");
        screenshot(box, c.shot);
        clickBoxButton(box, IDOK);
        EXPECT_EQ(text(IDC_RESULT), "0.00");
    }
}

// ---------------------------------------------------------------- exit

enum class Ask { EscKey, CloseBox, AltF4, CancelButton, MenuKeys, MenuMouse };

const char* askName(Ask a) {
    switch (a) {
    case Ask::EscKey: return "Esc";
    case Ask::CloseBox: return "close box";
    case Ask::AltF4: return "Alt+F4";
    case Ask::CancelButton: return "Cancel";
    case Ask::MenuKeys: return "menu by Alt+P, U";
    case Ask::MenuMouse: return "menu by mouse";
    }
    return "?";
}

void PrintTo(Ask a, std::ostream* os) { *os << askName(a); }

class ExitWays : public Window, public ::testing::WithParamInterface<Ask> {
protected:
    void ask(Ask how) {
        ASSERT_TRUE(activate(main));
        switch (how) {
        case Ask::EscKey: pressKey(VK_ESCAPE); break;
        case Ask::AltF4: pressKey(VK_F4, {VK_MENU}); break;
        case Ask::CancelButton: clickCentre(item(IDCANCEL)); break;
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
    }

    HWND question(Ask how) {
        ask(how);
        HWND box = waitBox();
        EXPECT_NE(box, nullptr) << "no exit question after " << askName(how);
        return box;
    }
};

TEST_P(ExitWays, NoKeepsStateYesExits) {
    Ask how = GetParam();
    ASSERT_TRUE(enter(IDC_DISTANCE, "6378000"));
    ASSERT_TRUE(enter(IDC_MASS, kEarth));
    click(IDC_ESCAPE);
    ASSERT_EQ(waitResult("11185.40"), "11185.40");
    ASSERT_TRUE(enter(IDC_DISTANCE, "3.84e8"));

    HWND box = question(how);
    ASSERT_NE(box, nullptr);
    Box b = readBox(box);
    EXPECT_EQ(b.text, kExitText) << "got \"" << shown(b.text) << "\"";
    EXPECT_EQ(b.caption, kExitCaption);
    EXPECT_EQ((b.buttons), (std::set<int>{IDYES, IDNO})) << "buttons: " << buttonsOf(b.buttons);
    EXPECT_EQ(itemText(box, IDYES), "&Ano");
    EXPECT_EQ(itemText(box, IDNO), "&Ne");
    EXPECT_EQ(boxIconName(box), "question");
    if (how == Ask::EscKey) screenshot(box, "exit-question");

    // No, by the keyboard and by the mouse in turn.
    if (how == Ask::EscKey || how == Ask::AltF4 || how == Ask::MenuKeys) {
        ASSERT_TRUE(activate(box));
        pressKey('N');
        ASSERT_TRUE(waitGone(box)) << "N did not answer the question";
    } else {
        clickBoxButton(box, IDNO);
    }
    EXPECT_EQ(WaitForSingleObject(app.process, 300), WAIT_TIMEOUT) << "the program ended on No";
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(text(IDC_DISTANCE), "3.84e8");
    EXPECT_EQ(text(IDC_MASS), kEarth);
    EXPECT_EQ(text(IDC_RESULT), "11185.40");
    EXPECT_EQ(ownedDialog(main), nullptr);

    box = question(how);
    ASSERT_NE(box, nullptr);
    if (how == Ask::EscKey || how == Ask::CloseBox || how == Ask::MenuMouse) {
        clickBoxButton(box, IDYES);
    } else {
        ASSERT_TRUE(activate(box));
        pressKey('A');
    }
    DWORD code = 12345;
    ASSERT_TRUE(waitExit(app, kAppearMs, &code)) << "the program did not end on Yes";
    EXPECT_EQ(code, 0u);
}

INSTANTIATE_TEST_SUITE_P(ExitQuestion, ExitWays,
                         ::testing::Values(Ask::EscKey, Ask::CloseBox, Ask::AltF4,
                                           Ask::CancelButton, Ask::MenuKeys, Ask::MenuMouse),
                         [](const ::testing::TestParamInfo<Ask>& info) {
                             std::string n = askName(info.param);
                             for (char& c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

// ---------------------------------------------------------------- keyboard

TEST_F(Keyboard, TabOrder) {
    const std::vector<int> order{IDC_DEF1, IDC_DEF2, IDC_DEF3, IDOK, IDCANCEL,
                                 IDC_ESCAPE, IDC_DISTANCE, IDC_MASS};
    ASSERT_TRUE(activate(main));
    ASSERT_TRUE(tabTo(main, IDC_DEF1));
    std::vector<int> forward{focusId(main)};
    for (size_t i = 1; i <= order.size(); ++i) {
        int before = forward.back();
        pressKey(VK_TAB);
        waitUntil([&] { return focusId(main) != before; }, kChangeMs);
        forward.push_back(focusId(main));
    }
    std::vector<int> expected = order;
    expected.push_back(IDC_DEF1);
    EXPECT_EQ(forward, expected) << "Tab";

    std::vector<int> backward{focusId(main)};
    for (size_t i = 1; i <= order.size(); ++i) {
        int before = backward.back();
        pressKey(VK_TAB, {VK_SHIFT});
        waitUntil([&] { return focusId(main) != before; }, kChangeMs);
        backward.push_back(focusId(main));
    }
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(backward, expected) << "Shift+Tab";
}

// ---------------------------------------------------------------- colours

// The colours inside a control's client area, with their pixel counts.
std::vector<std::pair<uint32_t, int>> coloursIn(HWND control, int top, int height) {
    RECT r;
    GetClientRect(control, &r);
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&r), 2);
    r.top += top;
    if (height > 0) r.bottom = r.top + height;
    Image img = captureScreen(r);
    std::vector<std::pair<uint32_t, int>> counts;
    for (uint32_t p : img.px) {
        auto at = std::find_if(counts.begin(), counts.end(), [&](auto& c) { return c.first == p; });
        if (at == counts.end()) counts.emplace_back(p, 1);
        else ++at->second;
    }
    return counts;
}

std::string listColours(const std::vector<std::pair<uint32_t, int>>& counts) {
    std::string s;
    char buf[32];
    for (auto& c : counts) {
        std::snprintf(buf, sizeof buf, "%06X x%d ", c.first, c.second);
        s += buf;
    }
    return s;
}

TEST_F(Colours, TextsOnMenuColour) {
    const uint32_t menu = rgbOf(GetSysColor(COLOR_MENU));
    const uint32_t yellow = 0xFFFFA0, pink = 0xFF00A0, blue = 0x0000FF;
    struct Case {
        int line;
        int id;
        uint32_t ink;
        bool group;  // a group box: only its caption strip is looked at
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
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": control " << c.id);
        std::vector<std::pair<uint32_t, int>> seen;
        auto has = [&](uint32_t colour) {
            return std::any_of(seen.begin(), seen.end(), [&](auto& s) { return s.first == colour; });
        };
        // Repainting is asynchronous: wait until the text is there.
        waitUntil([&] {
            seen = coloursIn(item(c.id), 0, c.group ? 10 : 0);
            return has(c.ink) && has(menu);
        }, kChangeMs);
        EXPECT_TRUE(has(c.ink)) << "no text in its colour; seen " << listColours(seen);
        EXPECT_TRUE(has(menu)) << "no menu colour behind the text; seen " << listColours(seen);
        if (!c.group) {
            EXPECT_EQ(seen.size(), 2u) << "other colours besides text and background: "
                                       << listColours(seen);
        }
    }
    screenshot(main, "main");
}

}  // namespace

// The About box of the real program, opened and closed the way a user does
// it, with its web and mail hand-offs observed through a stand-in browser
// and mail program. String literals are compiled to Windows-1250, the
// program's encoding, and compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "about_driver.h"
#include "driver.h"
#include "figures.h"
#include "maker.h"
#include "program_test.h"
#include "resource.h"

namespace {

const char* const kName = "ORBELA_XB 1.0.0";
const char* const kListing = MAKER_LISTING_PAGE;
const char* const kMailTo = "mailto:" MAKER_MAIL;
// No hand-off may follow this long after the last one that was seen.
constexpr DWORD kSettleMs = 1500;
// A stand-in program, started through the shell, to write its line.
constexpr DWORD kHandOffMs = 8000;

enum class Open { MenuMouse, AltThenKeys, AltN };

const char* openName(Open how) {
    switch (how) {
    case Open::MenuMouse: return "menu by mouse";
    case Open::AltThenKeys: return "Alt, N, O";
    case Open::AltN: return "Alt+N, O";
    }
    return "?";
}

POINT clientToScreen(HWND wnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(wnd, &p);
    return p;
}

std::string lineList(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += "\n  " + l;
    return lines.empty() ? " (none)" : s;
}

class About : public ProgramTest {
protected:
    // Opens the About box from the menu as a user does; the box, or null
    // with a failure recorded.
    HWND open(Open how) {
        if (!activate(main)) {
            ADD_FAILURE() << "cannot activate the main window";
            return nullptr;
        }
        switch (how) {
        case Open::MenuMouse:
            if (!clickFirstMenuItem(main, kMenuBar, 1)) {
                ADD_FAILURE() << "a click on Nápověda opened no menu";
                return nullptr;
            }
            break;
        case Open::AltThenKeys:
            pressKey(VK_MENU);
            pressKey('N');
            if (!waitMenu(app.pid)) {
                ADD_FAILURE() << "Alt, N opened no menu";
                return nullptr;
            }
            pressKey('O');
            break;
        case Open::AltN:
            pressKey('N', {VK_MENU});
            if (!waitMenu(app.pid)) {
                ADD_FAILURE() << "Alt+N opened no menu";
                return nullptr;
            }
            pressKey('O');
            break;
        }
        HWND box = waitOwnedDialog(main);
        if (!box) {
            ADD_FAILURE() << openName(how) << " opened no box";
            return nullptr;
        }
        EXPECT_EQ(windowText(box), "About") << "opened by " << openName(how);
        EXPECT_EQ(ownedDialogs(main).size(), 1u) << "more than one box is open";
        return box;
    }

    // Clicks into the distance box and types, as a user does.
    void typeIntoDistance(const std::string& text) {
        clickCentre(GetDlgItem(main, IDC_DISTANCE));
        typeText(text);
    }
};

// The stand-in browser and mail program, registered for this prefix.
class HandOff : public About {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        log = std::string(temp) + "orbela-handoffs.log";
        std::string error = registerRecorder(envPath("ORBELA_RECORDER"), log);
        ASSERT_EQ(error, "") << "set ORBELA_RECORDER to about_recorder.exe";
        About::SetUp();
    }

    // Waits for hand-off number `count` and checks that it was `expected`.
    ::testing::AssertionResult handedOff(size_t count, const std::string& expected) {
        auto lines = waitLogLines(log, count, kHandOffMs);
        if (lines.size() != count)
            return ::testing::AssertionFailure()
                   << lines.size() << " hand-offs, expected " << count << ":" << lineList(lines);
        if (lines.back() != expected)
            return ::testing::AssertionFailure()
                   << "handed off \"" << lines.back() << "\", expected \"" << expected << "\"";
        return ::testing::AssertionSuccess();
    }

    // After the last expected hand-off, nothing more may come.
    std::vector<std::string> settled() {
        Sleep(kSettleMs);
        return logLines(log);
    }

    std::string log;
};

using AboutOpen = About;
using AboutClose = About;
using AboutLook = About;
using AboutResources = About;
using AboutHandOff = HandOff;

// ------------------------------------------------------------------- opening

TEST_F(AboutOpen, FromTheMenuByMouseAndByKeys) {
    const Open ways[] = {Open::MenuMouse, Open::AltThenKeys, Open::AltN, Open::MenuMouse,
                         Open::AltThenKeys};
    int opening = 0;
    for (Open how : ways) {
        SCOPED_TRACE(::testing::Message() << "opening " << ++opening << " by " << openName(how));
        HWND box = open(how);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(itemText(box, IDC_ABOUT_NAME), kName);
        EXPECT_EQ(itemText(box, IDC_ABOUT_NOTICE), MAKER_NOTICE)
            << "got \"" << shown(itemText(box, IDC_ABOUT_NOTICE)) << "\"";
        EXPECT_EQ(itemText(box, IDC_ABOUT_MAIL), MAKER_MAIL);
        EXPECT_EQ(itemText(box, IDOK), "OK");
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled behind the box";
        ASSERT_TRUE(activate(box));
        clickCentre(GetDlgItem(box, IDOK));
        ASSERT_TRUE(waitGone(box)) << "OK did not close the box";
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kChangeMs))
            << "the main window stays disabled";
    }
}

TEST_F(AboutOpen, MainWindowTakesNoInputMeanwhile) {
    HWND box = open(Open::AltThenKeys);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main));

    // Clicks on the distance box and on "Kruhova r.I", keys typed after them.
    HWND distance = GetDlgItem(main, IDC_DISTANCE);
    RECT boxRect;
    GetWindowRect(box, &boxRect);
    ASSERT_FALSE(PtInRect(&boxRect, centreOf(distance))) << "the box covers the distance box";
    typeIntoDistance("123");
    clickCentre(GetDlgItem(main, IDOK));
    typeText("456");
    // Tab moves the focus within the box: the keys before it have been taken.
    HWND before = focusWindow(box);
    pressKey(VK_TAB);
    EXPECT_TRUE(waitUntil([&] { return focusWindow(box) != before; }, kChangeMs))
        << "Tab does not move the focus in the box";
    EXPECT_TRUE(IsChild(box, focusWindow(box))) << "the focus left the box";
    EXPECT_EQ(itemText(main, IDC_DISTANCE), "");
    EXPECT_EQ(itemText(main, IDC_RESULT), "0.00");
    EXPECT_EQ(ownedDialogs(main), std::vector<HWND>{box}) << "another box opened";
    EXPECT_FALSE(IsWindowEnabled(main));

    ASSERT_TRUE(activate(box));
    clickCentre(GetDlgItem(box, IDOK));
    ASSERT_TRUE(waitGone(box));
    // Afterwards the same input reaches the main window.
    ASSERT_TRUE(activate(main));
    typeIntoDistance("123");
    EXPECT_TRUE(waitUntil([&] { return itemText(main, IDC_DISTANCE) == "123"; }, kChangeMs))
        << "distance box shows \"" << itemText(main, IDC_DISTANCE) << "\" after the box closed";
}

// ------------------------------------------------------------------- closing

TEST_F(AboutClose, EscLeavesTheBoxOpen) {
    HWND box = open(Open::AltN);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(activate(box));
    for (int i = 0; i < 3; ++i) pressKey(VK_ESCAPE);
    HWND before = focusWindow(box);
    pressKey(VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return focusWindow(box) != before; }, kChangeMs))
        << "Tab after Esc does not move the focus";
    EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box)) << "Esc closed the box";
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(ownedDialogs(main), std::vector<HWND>{box});
}

enum class Close { OkClick, Enter, CloseBox, AltF4 };

TEST_F(AboutClose, OkEnterCloseBoxAndAltF4CloseIt) {
    struct Case {
        int line;
        Close how;
        const char* name;
        Open open;
    };
    const Case cases[] = {
        {__LINE__, Close::OkClick, "click on OK", Open::MenuMouse},
        {__LINE__, Close::Enter, "Enter, the focus on OK", Open::AltThenKeys},
        {__LINE__, Close::CloseBox, "click on the close box", Open::AltN},
        {__LINE__, Close::AltF4, "Alt+F4", Open::AltThenKeys},
        {__LINE__, Close::Enter, "Enter, the focus on OK", Open::MenuMouse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": " << c.name);
        HWND box = open(c.open);
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(activate(box));
        switch (c.how) {
        case Close::OkClick:
            clickCentre(GetDlgItem(box, IDOK));
            break;
        case Close::Enter:
            ASSERT_TRUE(tabTo(box, IDOK));
            pressKey(VK_RETURN);
            break;
        case Close::CloseBox: {
            POINT x = closeBoxPoint(box);
            ASSERT_NE(x.x, 0) << "no close box in the caption";
            clickAt(x);
            break;
        }
        case Close::AltF4:
            pressKey(VK_F4, {VK_MENU});
            break;
        }
        ASSERT_TRUE(waitGone(box)) << "the box is still open";
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kChangeMs));
        EXPECT_EQ(WaitForSingleObject(app.process, 0), WAIT_TIMEOUT) << "the program ended";
    }
    // Nothing reached the main window on the way: the next box is the About
    // box again, not an exit question.
    HWND box = open(Open::AltN);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(itemText(box, IDC_ABOUT_NAME), kName);
}

// ----------------------------------------------------------------- hand-offs

TEST_F(AboutHandOff, ClicksOnTheSurfaceOpenTheListingPage) {
    HWND box = open(Open::AltThenKeys);
    ASSERT_NE(box, nullptr);
    RECT client;
    GetClientRect(box, &client);
    struct Case {
        int line;
        const char* where;
        int id;  // the control under the point; 0: the box itself
        POINT at;
    };
    const Case cases[] = {
        {__LINE__, "empty surface, bottom left", 0, clientToScreen(box, 6, client.bottom - 6)},
        {__LINE__, "icon", IDC_ABOUT_ICON, centreOf(GetDlgItem(box, IDC_ABOUT_ICON))},
        {__LINE__, "name line", IDC_ABOUT_NAME, centreOf(GetDlgItem(box, IDC_ABOUT_NAME))},
        {__LINE__, "notice line", IDC_ABOUT_NOTICE, centreOf(GetDlgItem(box, IDC_ABOUT_NOTICE))},
        {__LINE__, "painted home-page address", 0, clientToScreen(box, 200, 148)},
        {__LINE__, "empty surface, top right", 0, clientToScreen(box, client.right - 6, 6)},
    };
    size_t count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": click on the " << c.where);
        POINT inBox = c.at;
        ScreenToClient(box, &inBox);
        HWND under = ChildWindowFromPointEx(box, inBox, CWP_SKIPINVISIBLE);
        ASSERT_EQ(under, c.id ? GetDlgItem(box, c.id) : box) << "another window is under the point";
        ASSERT_TRUE(activate(box));
        clickAt(c.at);
        EXPECT_TRUE(handedOff(++count, kListing));
        EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    }
    auto lines = settled();
    EXPECT_EQ(lines, std::vector<std::string>(count, kListing)) << "hand-offs:" << lineList(lines);
}

TEST_F(AboutHandOff, MailButtonOpensAMessageNotTheListingPage) {
    HWND box = open(Open::MenuMouse);
    ASSERT_NE(box, nullptr);
    HWND mail = GetDlgItem(box, IDC_ABOUT_MAIL);
    ASSERT_TRUE(activate(box));
    clickCentre(mail);
    EXPECT_TRUE(handedOff(1, kMailTo)) << "click on the e-mail button";
    // Enter and Space with the focus moved onto the e-mail button press it.
    ASSERT_TRUE(tabTo(box, IDOK));
    ASSERT_TRUE(tabTo(box, IDC_ABOUT_MAIL));
    pressKey(VK_RETURN);
    EXPECT_TRUE(handedOff(2, kMailTo)) << "Enter on the e-mail button";
    pressKey(VK_SPACE);
    EXPECT_TRUE(handedOff(3, kMailTo)) << "Space on the e-mail button";
    EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    auto lines = settled();
    EXPECT_EQ(lines, std::vector<std::string>(3, kMailTo)) << "hand-offs:" << lineList(lines);
}

TEST_F(AboutHandOff, OkAndTheFocusOnTheMailButtonOpenNothing) {
    HWND box = open(Open::AltN);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(activate(box));
    ASSERT_TRUE(tabTo(box, IDC_ABOUT_MAIL));
    ASSERT_TRUE(tabTo(box, IDOK));
    clickCentre(GetDlgItem(box, IDOK));
    ASSERT_TRUE(waitGone(box));
    // A click known to hand off: it must be the only one.
    box = open(Open::AltN);
    ASSERT_NE(box, nullptr);
    RECT client;
    GetClientRect(box, &client);
    ASSERT_TRUE(activate(box));
    clickAt(clientToScreen(box, 6, client.bottom - 6));
    EXPECT_TRUE(handedOff(1, kListing)) << "the click after OK";
    auto lines = settled();
    EXPECT_EQ(lines, std::vector<std::string>{kListing}) << "hand-offs:" << lineList(lines);
}

// ------------------------------------------------------------------ painting

TEST_F(AboutLook, HomePageAddressIsBlueWhereItIsPainted) {
    HWND box = open(Open::AltThenKeys);
    ASSERT_NE(box, nullptr);
    screenshot(box, "about");

    // The extent of the address in the font the box paints it with.
    LOGFONTA lf{};
    lf.lfUnderline = 1;
    strcpy(lf.lfFaceName, "system");
    HFONT font = CreateFontIndirectA(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE ext{};
    GetTextExtentPoint32A(dc, MAKER_HOME_PAGE, int(sizeof MAKER_HOME_PAGE - 1), &ext);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    ASSERT_GT(ext.cx, 0);

    RECT client;
    GetClientRect(box, &client);
    POINT origin = clientToScreen(box, 0, 0);
    RECT icon;
    GetWindowRect(GetDlgItem(box, IDC_ABOUT_ICON), &icon);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&icon), 2);
    const int x0 = 160, y0 = 140;
    const int x1 = std::min<int>(x0 + ext.cx, client.right), y1 = std::min<int>(y0 + ext.cy, client.bottom);
    const uint32_t blue = 0x0000FF;

    Image shot;
    RECT blueBox{};
    int longestRun = 0, outside = 0;
    POINT firstOutside{-1, -1};
    waitUntil([&] {
        shot = captureScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
        blueBox = RECT{shot.width, shot.height, -1, -1};
        longestRun = outside = 0;
        for (int y = 0; y < shot.height; ++y) {
            int run = 0;
            for (int x = 0; x < shot.width; ++x) {
                bool isBlue = shot.at(x, y) == blue;
                run = isBlue ? run + 1 : 0;
                if (!isBlue) continue;
                POINT p{x, y};
                if (PtInRect(&icon, p)) continue;
                if (x < x0 || x >= x1 || y < y0 || y >= y1) {
                    if (!outside++) firstOutside = p;
                    continue;
                }
                longestRun = std::max(longestRun, run);
                blueBox.left = std::min<LONG>(blueBox.left, x);
                blueBox.top = std::min<LONG>(blueBox.top, y);
                blueBox.right = std::max<LONG>(blueBox.right, x + 1);
                blueBox.bottom = std::max<LONG>(blueBox.bottom, y + 1);
            }
        }
        return longestRun >= (x1 - x0) - 2;
    }, kChangeMs);

    std::printf("client %ldx%ld, address cell (%d,%d)-(%d,%d), blue pixels in (%ld,%ld)-(%ld,%ld), "
                "underline %d px\n",
                client.right, client.bottom, x0, y0, x1, y1, blueBox.left, blueBox.top,
                blueBox.right, blueBox.bottom, longestRun);
    EXPECT_EQ(outside, 0) << "blue pixels outside the address, the first at client (" << firstOutside.x
                          << "," << firstOutside.y << ")";
    ASSERT_GE(blueBox.right, 0) << "no blue pixel at client (160,140) onward";
    EXPECT_LE(blueBox.left, x0 + 2) << "the address starts right of x 160";
    EXPECT_GE(blueBox.right, x1 - 2) << "the address is shorter than its text";
    EXPECT_LE(blueBox.top, y0 + ext.cy / 2) << "the address starts below y 140";
    // The underline: one unbroken blue row under the whole address.
    EXPECT_GE(longestRun, (x1 - x0) - 2) << "no underline the length of the address";
}

// ------------------------------------------------------------------ resources

void printFigures(const char* when, const Figures& f) {
    std::printf("%-7s GDI objects %4ld (GetGuiResources), %4ld (handle table, %ld fonts), "
                "USER objects %4ld, private %7llu KiB, pagefile %7llu KiB, working set %7llu KiB\n"
                "        GDI objects by kind: %s\n",
                when, f.gdiObjects, f.gdi.own, f.gdi.fonts, f.userObjects,
                (unsigned long long)(f.privateBytes / 1024), (unsigned long long)(f.pagefileBytes / 1024),
                (unsigned long long)(f.workingSetBytes / 1024), f.gdi.kinds.c_str());
}

// The figures once the program waits for input again and its GDI objects
// read the same twice in a row.
Figures quietFigures(const Program& app) {
    Figures f = measure(app);
    for (int i = 0; i < 50; ++i) {
        WaitForInputIdle(app.process, kChangeMs);
        Sleep(20);
        Figures again = measure(app);
        bool same = again.gdi.own == f.gdi.own && again.gdi.fonts == f.gdi.fonts;
        f = again;
        if (same) break;
    }
    return f;
}

TEST_F(AboutResources, TwoHundredOpeningsLeaveNoTrace) {
    // Opens the box by its menu command, makes it paint, closes it by OK or
    // by a close request in turn.
    auto cycle = [&](int i) -> ::testing::AssertionResult {
        PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
        HWND box = waitOwnedDialog(main);
        if (!box) return ::testing::AssertionFailure() << "opening " << i << ": no box";
        std::string name = itemText(box, IDC_ABOUT_NAME);
        if (name != kName)
            return ::testing::AssertionFailure() << "opening " << i << ": name line \"" << name << "\"";
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        if (i % 2)
            PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!waitUntil([&] { return !IsWindow(box); }, kChangeMs))
            return ::testing::AssertionFailure() << "opening " << i << ": not closed";
        if (!waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kChangeMs))
            return ::testing::AssertionFailure() << "opening " << i << ": main window disabled";
        return ::testing::AssertionSuccess();
    };
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(cycle(i)) << "warming up";

    const int kOpenings = 200;
    Figures before = quietFigures(app);
    DWORD start = GetTickCount();
    for (int i = 0; i < kOpenings; ++i) ASSERT_TRUE(cycle(i));
    DWORD took = GetTickCount() - start;
    Figures after = quietFigures(app);

    std::printf("%d openings in %lu ms (%.1f ms each)\n", kOpenings, took, double(took) / kOpenings);
    printFigures("before", before);
    printFigures("after", after);

    if (before.gdiObjects || after.gdiObjects) {
        EXPECT_LE(after.gdiObjects, before.gdiObjects + 5);
    }
    if (before.userObjects || after.userObjects) {
        EXPECT_LE(after.userObjects, before.userObjects + 5);
    }
    ASSERT_GE(before.gdi.own, 0) << "the GDI handle table cannot be read";
    // One object kept per opening would add 200. Wine's cache of device
    // contexts (each with a region and a surface) may grow by a few.
    EXPECT_LE(after.gdi.own, before.gdi.own + 30);
    EXPECT_LE(after.gdi.fonts, before.gdi.fonts + 2);
    ASSERT_GT(before.workingSetBytes, 0u) << "no memory figures";
    // Private memory moves by whole pages; the working set also by file
    // pages that Wine maps in and out for itself (a megabyte and more).
    const uint64_t kPrivateTolerance = 32 * 1024, kWorkingSetTolerance = 4096 * 1024;
    if (before.privateBytes || after.privateBytes) {
        EXPECT_LE(after.privateBytes, before.privateBytes + kPrivateTolerance);
    }
    EXPECT_LE(after.pagefileBytes, before.pagefileBytes + kPrivateTolerance);
    EXPECT_LE(after.workingSetBytes, before.workingSetBytes + kWorkingSetTolerance);
}

}  // namespace

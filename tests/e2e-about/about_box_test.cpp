// The About box of the real program, opened and closed the way a user does
// it, with its web and mail hand-offs observed through a stand-in browser
// and mail program. String literals are compiled to Windows-1250, the
// program's encoding, and compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "driver.h"
#include "maker.h"
#include "program_test.h"
#include "resource.h"

namespace {

const char* const kListing = MAKER_LISTING_PAGE;
const char* const kMailTo = "mailto:" MAKER_MAIL;

enum class Open { MenuMouse, AltThenKeys, AltN };
const char* const kOpenNames[] = {"menu by mouse", "Alt, N, O", "Alt+N, O"};

POINT clientToScreen(HWND wnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(wnd, &p);
    return p;
}

class About : public ProgramTest {
protected:
    // Opens the box from the menu as a user does and checks what it shows;
    // the box, or null with a failure recorded.
    HWND open(Open how) {
        const char* name = kOpenNames[int(how)];
        auto fail = [&](const char* why) {
            ADD_FAILURE() << name << ": " << why;
            return HWND(nullptr);
        };
        if (!activate(main)) return fail("cannot activate the main window");
        if (how == Open::MenuMouse) {
            if (!clickFirstMenuItem(main, kMenuBar, 1)) return fail("no menu opened");
        } else {
            if (how == Open::AltN) {
                pressKey('N', {VK_MENU});
            } else {
                pressKey(VK_MENU);
                pressKey('N');
            }
            if (!waitMenu(app.pid)) return fail("no menu opened");
            pressKey('O');
        }
        HWND box = waitOwnedDialog(main);
        if (!box) return fail("no box opened");
        EXPECT_EQ(ownedDialogs(main), std::vector<HWND>{box}) << "another box is open too";
        EXPECT_EQ(windowText(box), "About") << name;
        EXPECT_EQ(itemText(box, IDC_ABOUT_NAME), "ORBELA_XB 1.0.0") << name;
        EXPECT_EQ(itemText(box, IDC_ABOUT_NOTICE), MAKER_NOTICE) << name;
        EXPECT_EQ(itemText(box, IDC_ABOUT_MAIL), MAKER_MAIL) << name;
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled behind the box";
        return box;
    }
};

using AboutOpen = About;

enum class Close { Ok, Enter, CloseBox, AltF4 };

// While the box is open, clicks and keys meant for the main window reach
// nothing, and Esc leaves the box open.
TEST_F(AboutOpen, EveryWayInAndOut) {
    struct Case {
        int line;
        Open open;
        Close close;
    };
    HWND distance = GetDlgItem(main, IDC_DISTANCE);
    const Case cases[] = {
        {__LINE__, Open::MenuMouse, Close::Ok},     {__LINE__, Open::AltThenKeys, Close::Enter},
        {__LINE__, Open::AltN, Close::CloseBox},    {__LINE__, Open::AltThenKeys, Close::AltF4},
        {__LINE__, Open::MenuMouse, Close::Enter},  {__LINE__, Open::AltN, Close::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        HWND box = open(c.open);
        ASSERT_NE(box, nullptr);
        RECT boxRect;
        GetWindowRect(box, &boxRect);
        ASSERT_FALSE(PtInRect(&boxRect, centreOf(distance))) << "the box covers the distance box";
        clickCentre(distance);
        typeText("123");
        clickCentre(GetDlgItem(main, IDOK));
        ASSERT_TRUE(activate(box));
        pressKey(VK_ESCAPE);
        // Tab still moves the focus within the box: the keys before it are taken.
        HWND before = focusWindow(box);
        pressKey(VK_TAB);
        ASSERT_TRUE(waitUntil([&] { return focusWindow(box) != before; }, kChangeMs))
            << "Tab after Esc does not move the focus";
        ASSERT_TRUE(IsWindowVisible(box) && IsChild(box, focusWindow(box))) << "Esc closed the box";
        EXPECT_EQ(ownedDialogs(main), std::vector<HWND>{box}) << "another box opened";
        switch (c.close) {
        case Close::Ok: clickCentre(GetDlgItem(box, IDOK)); break;
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
        case Close::AltF4: pressKey(VK_F4, {VK_MENU}); break;
        }
        ASSERT_TRUE(waitGone(box)) << "the box is still open";
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kChangeMs))
            << "the main window stays disabled";
        EXPECT_EQ(WaitForSingleObject(app.process, 0), WAIT_TIMEOUT) << "the program ended";
        EXPECT_EQ(itemText(main, IDC_DISTANCE), "");
        EXPECT_EQ(itemText(main, IDC_RESULT), "0.00");
    }
    // The same input, with no box open, reaches the main window.
    ASSERT_TRUE(activate(main));
    clickCentre(distance);
    typeText("123");
    EXPECT_TRUE(waitUntil([&] { return itemText(main, IDC_DISTANCE) == "123"; }, kChangeMs))
        << "the distance box shows \"" << itemText(main, IDC_DISTANCE) << "\"";
}

// ------------------------------------------------------------------ hand-offs

// The recorder, registered for http, https and mailto in this prefix,
// writes each address the shell hands it as one line of `log`.
class AboutHandOff : public About {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        log = std::string(temp) + "orbela-handoffs.log";
        DeleteFileA(log.c_str());
        std::string recorder = envPath("ORBELA_RECORDER");
        ASSERT_NE(GetFileAttributesA(recorder.c_str()), INVALID_FILE_ATTRIBUTES)
            << "set ORBELA_RECORDER to about_recorder.exe";
        // Wine reads the handlers from HKEY_LOCAL_MACHINE\Software\Classes.
        const std::string command = "\"" + recorder + "\" \"" + log + "\" \"%1\"";
        for (std::string protocol : {"http", "https", "mailto"}) {
            const std::string key = "Software\\Classes\\" + protocol, url = "URL:" + protocol;
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
            const std::string values[][3] = {
                {key, "", url}, {key, "URL Protocol", ""}, {key + "\\shell\\open\\command", "", command}};
            for (const auto& [sub, name, value] : values)
                ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, sub.c_str(), name.empty() ? nullptr : name.c_str(),
                                          REG_SZ, value.c_str(), DWORD(value.size() + 1)),
                          ERROR_SUCCESS)
                    << "cannot register the recorder for " << protocol;
        }
        About::SetUp();
    }

    std::vector<std::string> logLines() {
        std::vector<std::string> lines;
        HANDLE f = CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return lines;
        std::string text;
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
        CloseHandle(f);
        for (size_t start = 0, nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
            lines.push_back(text.substr(start, nl - start));
        return lines;
    }

    std::string log;
};

// A click anywhere on the box but its buttons opens the listing page, the
// e-mail button (clicked, or Enter or Space on it) a message; each exactly
// once. Moving the focus and closing with OK open nothing.
TEST_F(AboutHandOff, ListingPageAndMail) {
    HWND box = open(Open::AltThenKeys);
    ASSERT_NE(box, nullptr);
    RECT client;
    GetClientRect(box, &client);
    struct Case {
        int line;
        const char* what;
        int id;    // the control under the point or with the focus; 0: the box itself
        POINT at;  // where to click, unless `key`
        WORD key;  // a key pressed with the focus moved onto `id` by Tab
        const char* expected;
    };
    const Case cases[] = {
        {__LINE__, "empty surface, bottom left", 0, clientToScreen(box, 6, client.bottom - 6), 0, kListing},
        {__LINE__, "icon", IDC_ABOUT_ICON, centreOf(GetDlgItem(box, IDC_ABOUT_ICON)), 0, kListing},
        {__LINE__, "name line", IDC_ABOUT_NAME, centreOf(GetDlgItem(box, IDC_ABOUT_NAME)), 0, kListing},
        {__LINE__, "notice line", IDC_ABOUT_NOTICE, centreOf(GetDlgItem(box, IDC_ABOUT_NOTICE)), 0, kListing},
        {__LINE__, "painted home-page address", 0, clientToScreen(box, 200, 148), 0, kListing},
        {__LINE__, "empty surface, top right", 0, clientToScreen(box, client.right - 6, 6), 0, kListing},
        {__LINE__, "e-mail button", IDC_ABOUT_MAIL, centreOf(GetDlgItem(box, IDC_ABOUT_MAIL)), 0, kMailTo},
        {__LINE__, "Enter on the e-mail button", IDC_ABOUT_MAIL, {}, VK_RETURN, kMailTo},
        {__LINE__, "Space on the e-mail button", IDC_ABOUT_MAIL, {}, VK_SPACE, kMailTo},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": " << c.what);
        ASSERT_TRUE(activate(box));
        if (c.key) {
            ASSERT_TRUE(tabTo(box, IDOK));
            ASSERT_TRUE(tabTo(box, c.id));
            pressKey(c.key);
        } else {
            POINT inBox = c.at;
            ScreenToClient(box, &inBox);
            ASSERT_EQ(ChildWindowFromPointEx(box, inBox, CWP_SKIPINVISIBLE), c.id ? GetDlgItem(box, c.id) : box)
                << "another window is under the point";
            clickAt(c.at);
        }
        expected.push_back(c.expected);
        std::vector<std::string> lines;
        waitUntil([&] { return (lines = logLines()).size() >= expected.size(); }, 8000);
        EXPECT_EQ(lines, expected) << "hand-offs so far";
        EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    }
    ASSERT_TRUE(activate(box));
    clickCentre(GetDlgItem(box, IDOK));
    ASSERT_TRUE(waitGone(box));
    // No hand-off may come this long after the last one.
    Sleep(1500);
    EXPECT_EQ(logLines(), expected) << "hand-offs after the box closed";
}

// ------------------------------------------------------------------ painting

// The address is painted in blue, underlined, at client (160, 140) in the
// system font; nothing else in the box but its icon is that blue.
TEST_F(AboutOpen, HomePageAddressIsBlueWhereItIsPainted) {
    HWND box = open(Open::AltThenKeys);
    ASSERT_NE(box, nullptr);
    screenshot(box, "about");

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

    RECT client, icon;
    GetClientRect(box, &client);
    POINT origin = clientToScreen(box, 0, 0);
    GetWindowRect(GetDlgItem(box, IDC_ABOUT_ICON), &icon);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&icon), 2);
    const RECT cell{160, 140, std::min<LONG>(160 + ext.cx, client.right), std::min<LONG>(140 + ext.cy, client.bottom)};
    int underline = 0, outside = 0;
    POINT firstOutside{-1, -1};
    waitUntil([&] {
        Image shot = captureScreen(RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
        underline = outside = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0, run = 0; x < shot.width; ++x) {
                POINT p{x, y};
                run = shot.at(x, y) == 0x0000FF ? run + 1 : 0;
                if (!run || PtInRect(&icon, p)) continue;
                if (!PtInRect(&cell, p) && !outside++) firstOutside = p;
                if (PtInRect(&cell, p)) underline = std::max(underline, run);
            }
        return underline >= cell.right - cell.left - 2;
    }, kChangeMs);
    EXPECT_EQ(outside, 0) << "blue pixels outside the address, the first at client (" << firstOutside.x
                          << "," << firstOutside.y << ")";
    EXPECT_GE(underline, cell.right - cell.left - 2) << "no blue underline the length of the address";
}

}  // namespace

// The About box of the real program, opened and closed the way a user does
// it, its painted address read from the screen, and its web and mail
// hand-offs observed through a stand-in browser and mail program.
#include <fstream>

#include "driver.h"
#include "maker.h"
#include "resource.h"

namespace {

const char* const kListing = MAKER_LISTING_PAGE;
const char* const kMailTo = "mailto:" MAKER_MAIL;

class About : public ProgramTest {
protected:
    // Opens the box from the menu by Alt+N, O or by Alt, N, O and checks what
    // it shows and that the main window is disabled behind it.
    HWND open(bool altAlone = false) {
        if (!activate(main)) return nullptr;
        if (altAlone) {
            pressKey(VK_MENU);
            pressKey('N');
        } else {
            pressKey('N', {VK_MENU});
        }
        if (!waitMenu(pid)) return nullptr;
        pressKey('O');
        HWND box = ownedBox(main, kChangeMs);
        if (!box) return nullptr;
        EXPECT_EQ((std::vector<std::string>{text(box), itemText(box, IDC_ABOUT_NAME), itemText(box, IDC_ABOUT_NOTICE),
                                            itemText(box, IDC_ABOUT_MAIL)}),
                  (std::vector<std::string>{"About", "ORBELA_XB 1.0.0", MAKER_NOTICE, MAKER_MAIL}));
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled behind the box";
        return box;
    }
};

enum class Close { Ok, Enter, CloseBox, AltF4 };

// While the box is open, clicks and keys meant for the main window reach
// nothing, and Esc leaves the box open.
TEST_F(About, EveryWayInAndOut) {
    const std::pair<bool, Close> cases[] = {
        {false, Close::Ok}, {true, Close::Enter}, {false, Close::CloseBox}, {true, Close::AltF4}};
    for (const auto& [altAlone, close] : cases) {
        SCOPED_TRACE(::testing::Message() << "way out " << int(close));
        HWND box = open(altAlone);
        ASSERT_NE(box, nullptr) << "no About box opened";
        click(item(IDC_DISTANCE));
        typeText("123");
        click(item(IDOK));
        ASSERT_TRUE(activate(box));
        pressKey(VK_ESCAPE);
        // Tab still moves the focus within the box: the keys before it are taken.
        const int before = focusId(box);
        pressKey(VK_TAB);
        ASSERT_TRUE(waitUntil([&] { return focusId(box) != before; }, kChangeMs)) << "Tab after Esc";
        ASSERT_TRUE(IsWindowVisible(box) && ownedBox(main) == box) << "Esc closed the box, or another opened";
        if (close == Close::Ok) click(GetDlgItem(box, IDOK));
        if (close == Close::Enter && tabTo(box, IDOK)) pressKey(VK_RETURN);
        if (close == Close::CloseBox) clickAt(closeBoxPoint(box));
        if (close == Close::AltF4) pressKey(VK_F4, {VK_MENU});
        ASSERT_TRUE(waitGone(box)) << "the box is still open";
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main); }, kChangeMs)) << "the main window stays disabled";
        EXPECT_EQ(itemText(main, IDC_DISTANCE) + "|" + itemText(main, IDC_RESULT), "|0.00");
    }
    // The same input, with no box open, reaches the main window.
    ASSERT_TRUE(activate(main));
    click(item(IDC_DISTANCE));
    typeText("123");
    EXPECT_TRUE(waitUntil([&] { return itemText(main, IDC_DISTANCE) == "123"; }, kChangeMs));
}

// The address is painted in blue, underlined, from client (160, 140) in the
// system font; nothing else in the box but its icon is that blue.
TEST_F(About, PaintsTheHomePageAddress) {
    HWND box = open();
    ASSERT_NE(box, nullptr) << "no About box opened";
    LOGFONTA lf{};
    lf.lfUnderline = 1;
    lstrcpyA(lf.lfFaceName, "system");
    SIZE ext{};
    paintedImage(1, 1, [&](HDC dc) {
        HGDIOBJ old = SelectObject(dc, CreateFontIndirectA(&lf));
        GetTextExtentPoint32A(dc, MAKER_HOME_PAGE, int(sizeof MAKER_HOME_PAGE - 1), &ext);
        DeleteObject(SelectObject(dc, old));
    });
    RECT icon, cell{160, 140, 160 + ext.cx, 140 + ext.cy};
    GetWindowRect(GetDlgItem(box, IDC_ABOUT_ICON), &icon);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&icon), 2);
    int inCell = 0, outside = 0;
    waitUntil([&] {
        const Image shot = captureScreen(clientOnScreen(box));
        inCell = outside = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                if (shot.at(x, y) == 0x0000FF && !PtInRect(&icon, POINT{x, y}))
                    ++(PtInRect(&cell, POINT{x, y}) ? inCell : outside);
        return inCell > ext.cx;
    }, kChangeMs);
    EXPECT_EQ(outside, 0) << "blue pixels outside the address";
    EXPECT_GT(inCell, ext.cx) << "not the address and its underline in blue";
}

// The recorder, registered for http, https and mailto in this prefix,
// writes each address the shell hands it as one line of the log.
class AboutHandOff : public About {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        log = std::string(temp) + "orbela-handoffs.log";
        DeleteFileA(log.c_str());
        // Wine reads the handlers from HKEY_LOCAL_MACHINE\Software\Classes.
        const std::string command = "\"" + envPath("ORBELA_RECORDER") + "\" \"" + log + "\" \"%1\"";
        for (std::string protocol : {"http", "https", "mailto"}) {
            const std::string key = "Software\\Classes\\" + protocol, url = "URL:" + protocol;
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

    std::vector<std::string> handedOff() {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    std::string log;
};

POINT inClient(HWND wnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(wnd, &p);
    return p;
}

// A click anywhere on the box but its buttons opens the listing page, the
// e-mail button (clicked, or Enter or Space on it) a message; each exactly
// once. Closing with OK opens nothing.
TEST_F(AboutHandOff, ListingPageAndMail) {
    HWND box = open();
    ASSERT_NE(box, nullptr) << "no About box opened";
    RECT client;
    GetClientRect(box, &client);
    struct Case {
        int line;
        int id;    // the control under the point or with the focus; 0: the box itself
        POINT at;  // where to click, unless `key`
        WORD key;  // a key pressed with the focus moved onto `id` by Tab
        const char* expected;
    };
    auto on = [&](int id) { return centreOf(GetDlgItem(box, id)); };
    const Case cases[] = {
        {__LINE__, 0, inClient(box, 6, client.bottom - 6), 0, kListing},
        {__LINE__, IDC_ABOUT_ICON, on(IDC_ABOUT_ICON), 0, kListing},
        {__LINE__, IDC_ABOUT_NAME, on(IDC_ABOUT_NAME), 0, kListing},
        {__LINE__, IDC_ABOUT_NOTICE, on(IDC_ABOUT_NOTICE), 0, kListing},
        {__LINE__, 0, inClient(box, 200, 148), 0, kListing},  // the painted address
        {__LINE__, IDC_ABOUT_MAIL, on(IDC_ABOUT_MAIL), 0, kMailTo},
        {__LINE__, IDC_ABOUT_MAIL, {}, VK_RETURN, kMailTo},
        {__LINE__, IDC_ABOUT_MAIL, {}, VK_SPACE, kMailTo},
    };
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line);
        ASSERT_TRUE(activate(box));
        if (c.key) {
            ASSERT_TRUE(tabTo(box, IDOK) && tabTo(box, c.id));
            pressKey(c.key);
        } else {
            POINT inBox = c.at;
            ScreenToClient(box, &inBox);
            ASSERT_EQ(ChildWindowFromPointEx(box, inBox, CWP_SKIPINVISIBLE), c.id ? GetDlgItem(box, c.id) : box)
                << "another window is under the point";
            clickAt(c.at);
        }
        expected.push_back(c.expected);
        waitUntil([&] { return handedOff().size() >= expected.size(); }, 8000);
        EXPECT_EQ(handedOff(), expected) << "hand-offs so far";
        EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    }
    ASSERT_TRUE(activate(box));
    click(GetDlgItem(box, IDOK));
    ASSERT_TRUE(waitGone(box));
    Sleep(1500);  // no hand-off may come this long after the last one
    EXPECT_EQ(handedOff(), expected) << "hand-offs after the box closed";
}

}  // namespace

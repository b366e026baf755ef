// The About box of the real program, opened and closed the way a user does
// it, its painted address read from the screen, and its web and mail
// hand-offs observed through a stand-in browser and mail program.
#include <fstream>

#include "fixture.h"
#include "resource.h"

namespace {

// The maker's addresses and notice line.
const char* const kHomePage = "http://www.example.org/orbela/";
const char* const kListingPage = "http://www.example.org/programy/";
const char* const kMail = "orbela@example.org";
const char* const kNotice = "Výukový program zdarma";

class About : public ProgramTest {
protected:
    // Opens the box from the menu by Alt+N, O or by Alt, N, O, and checks
    // what it shows and that the main window is disabled behind it.
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
        EXPECT_EQ(box ? text(box) + "|" + itemText(box, IDC_ABOUT_NAME) + "|" + itemText(box, IDC_ABOUT_NOTICE) + "|" +
                            itemText(box, IDC_ABOUT_MAIL) : "no box",
                  std::string("About|ORBELA_XB " ORBELA_VERSION "|") + kNotice + "|" + kMail);
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled behind the box";
        return box;
    }
};

// Esc leaves the box open; OK, Enter on OK, the close box and Alt+F4 close it.
TEST_F(About, WaysInAndOut) {
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(::testing::Message() << "way out " << way);
        HWND box = open(way % 2);
        ASSERT_TRUE(box && activate(box));
        pressKey(VK_ESCAPE);
        // Tab still moves the focus within the box: the key before it has been taken.
        const int before = focusId(box);
        pressKey(VK_TAB);
        ASSERT_TRUE(waitUntil([&] { return focusId(box) != before; }, kChangeMs)) << "Tab after Esc";
        ASSERT_TRUE(IsWindowVisible(box) && ownedBox(main) == box) << "Esc closed the box, or another opened";
        if (way == 0) click(GetDlgItem(box, IDOK));
        if (way == 1 && tabTo(box, IDOK)) pressKey(VK_RETURN);
        if (way == 2) clickAt(closeBoxPoint(box));
        if (way == 3) pressKey(VK_F4, {VK_MENU});
        ASSERT_TRUE(waitGone(box)) << "the box is still open";
        EXPECT_TRUE(waitUntil([&] { return IsWindowEnabled(main); }, kChangeMs)) << "the main window stays disabled";
    }
}

// The box paints its home-page address. A click anywhere on the box but
// its buttons opens the listing page, a click on the e-mail button a
// message; each exactly once, and closing with OK opens nothing. The
// recorder, registered for http and mailto in this prefix, writes each
// address the shell hands it as a line of the log.
TEST_F(About, PaintsTheAddressAndHandsTheListingPageAndTheMailAddressToTheShell) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "orbela-handoffs.log";
    DeleteFileA(log.c_str());
    // Wine reads the handlers from HKEY_LOCAL_MACHINE\Software\Classes.
    const std::string command = "\"" + envPath("ORBELA_RECORDER") + "\" \"" + log + "\" \"%1\"";
    for (const std::string protocol : {"http", "mailto"}) {
        const std::string key = "Software\\Classes\\" + protocol + "\\shell\\open\\command";
        ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(),
                                  DWORD(command.size() + 1)), ERROR_SUCCESS) << protocol;
    }
    HWND box = open();
    ASSERT_NE(box, nullptr);
    // The address is painted whole, in blue and underlined from client
    // (160, 140) in the system font: a blue line under it exactly as long
    // as the address is wide in that font, and that blue nowhere else in
    // the box but in its icon.
    SIZE address{};
    paintedImage(1, 1, [&](HDC dc) {
        HGDIOBJ old = SelectObject(dc, CreateFontA(0, 0, 0, 0, 0, FALSE, TRUE, FALSE, 0, 0, 0, 0, 0, "System"));
        GetTextExtentPoint32A(dc, kHomePage, int(strlen(kHomePage)), &address);
        DeleteObject(SelectObject(dc, old));
    });
    RECT icon;
    GetWindowRect(GetDlgItem(box, IDC_ABOUT_ICON), &icon);
    MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&icon), 2);
    int start = -1, longest = 0, elsewhere = 0;
    waitUntil([&] {
        const Image shot = captureScreen(clientOnScreen(box));
        longest = elsewhere = 0;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0, run = 0; x < shot.width; ++x) {
                run = shot.at(x, y) == 0x0000FF ? run + 1 : 0;
                const bool line = y >= 140 && y < 140 + address.cy;
                if (line && run > longest) {
                    longest = run;
                    start = x + 1 - run;
                } else if (run && !line && !PtInRect(&icon, POINT{x, y})) {
                    ++elsewhere;
                }
            }
        return start == 160 && longest == address.cx;
    }, kChangeMs);
    EXPECT_EQ(elsewhere, 0) << "blue outside the address";
    EXPECT_EQ(std::to_string(start) + " + " + std::to_string(longest), "160 + " + std::to_string(address.cx))
        << "where the underline starts + its length, against the address's width";
    RECT client = clientOnScreen(box);
    const std::pair<POINT, int> clicks[] = {  // where, and which control is there (0: the box itself)
        {{client.left + 6, client.bottom - 6}, 0},
        {centreOf(GetDlgItem(box, IDC_ABOUT_ICON)), IDC_ABOUT_ICON},
        {centreOf(GetDlgItem(box, IDC_ABOUT_NAME)), IDC_ABOUT_NAME},
        {centreOf(GetDlgItem(box, IDC_ABOUT_NOTICE)), IDC_ABOUT_NOTICE},
        {{client.left + 200, client.top + 148}, 0},  // the painted address
        {centreOf(GetDlgItem(box, IDC_ABOUT_MAIL)), IDC_ABOUT_MAIL},
    };
    std::vector<std::string> expected, lines;
    auto handedOff = [&] {
        std::ifstream in(log);
        lines.clear();
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    for (const auto& [at, id] : clicks) {
        SCOPED_TRACE(::testing::Message() << "a click on control " << id);
        POINT inBox = at;
        ScreenToClient(box, &inBox);
        ASSERT_EQ(ChildWindowFromPointEx(box, inBox, CWP_SKIPINVISIBLE), id ? GetDlgItem(box, id) : box);
        ASSERT_TRUE(activate(box));
        clickAt(at);
        expected.push_back(id == IDC_ABOUT_MAIL ? std::string("mailto:") + kMail : kListingPage);
        waitUntil([&] { return handedOff().size() >= expected.size(); }, 8000);
        EXPECT_EQ(lines, expected) << "hand-offs so far";
        EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    }
    ASSERT_TRUE(activate(box));
    click(GetDlgItem(box, IDOK));
    ASSERT_TRUE(waitGone(box));
    Sleep(1500);  // no hand-off may come this long after the last one
    EXPECT_EQ(handedOff(), expected) << "hand-offs after the box closed";
}

}  // namespace

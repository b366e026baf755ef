// The About box of the real program, opened and closed the way a user does
// it, its painted address read from the screen, and its web and mail
// hand-offs observed through a stand-in browser and mail program.
#include <fstream>

#include "fixture.h"

namespace {

// The maker's addresses and notice line.
const char* const kHomePage = "http://www.example.org/orbela/";
const char* const kListingPage = "http://www.example.org/programy/";
const char* const kMail = "orbela@example.org";
const char* const kNotice = "Výukový program zdarma";

const std::string kName = "ORBELA_XB " ORBELA_VERSION;

// The texts a box shows, from the top down and left to right (a picture's
// control holds the picture's name, which it does not show).
std::string textsDown(HWND box) {
    std::vector<std::pair<std::pair<LONG, LONG>, std::string>> texts;
    RECT r;
    for (HWND c = GetWindow(box, GW_CHILD); box && c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG kind = GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK;
        const bool picture = className(c) == "Static" && (kind == SS_ICON || kind == SS_BITMAP);
        if (IsWindowVisible(c) && !picture && GetWindowRect(c, &r) && !text(c).empty())
            texts.push_back({{r.top, r.left}, text(c)});
    }
    std::sort(texts.begin(), texts.end());
    std::string all;
    for (const auto& t : texts) all += "|" + t.second;
    return all;
}

// An icon of res/ at the standard icon size as the box shows it: its top
// left corner on the screen, or {-1, -1}.
POINT iconIn(HWND box, const char* file) {
    const int size = GetSystemMetrics(SM_CXICON);
    return iconAt(clientOnScreen(box), iconFile(file, size), size);
}

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
        EXPECT_EQ(box ? text(box) + textsDown(box) : "no box", "About|" + kName + "|" + kNotice + "|" + kMail + "|OK");
        POINT flag{-1, -1};
        EXPECT_TRUE(box && waitUntil([&] { return (flag = iconIn(box, "about.ico")).x >= 0; }, kChangeMs))
            << "the box does not show the flag of res/about.ico";
        EXPECT_LT(iconIn(box, "app.ico").x, 0) << "the box shows the program's icon of res/app.ico";
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled behind the box";
        return box;
    }
};

// Esc leaves the box open; OK, Enter on OK, the close box and Alt+F4 close it.
TEST_F(About, WaysInAndOut) {
    const char* ways[] = {"a click on OK", "Enter on OK", "a click on the close box", "Alt+F4"};
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(::testing::Message() << "the way out by " << ways[way]);
        HWND box = open(way % 2);
        ASSERT_TRUE(box && activate(box));
        pressKey(VK_ESCAPE);
        // Tab still moves the focus within the box: the key before it has been taken.
        HWND before = focused(box);
        pressKey(VK_TAB);
        ASSERT_TRUE(waitUntil([&] { return focused(box) != before; }, kChangeMs)) << "Tab after Esc";
        ASSERT_TRUE(IsWindowVisible(box) && ownedBox(main) == box) << "Esc closed the box, or another opened";
        HWND ok = buttonCaptioned(box, "OK");
        if (way == 0) click(ok);
        if (way == 1 && tabTo(box, ok)) pressKey(VK_RETURN);
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
    const int size = GetSystemMetrics(SM_CXICON);
    POINT flag = iconIn(box, "about.ico");
    ScreenToClient(box, &flag);
    const RECT icon{flag.x, flag.y, flag.x + size, flag.y + size};
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
    const std::string listing = kListingPage, mail = std::string("mailto:") + kMail;
    const struct {
        const char* what;
        POINT at;
        bool onBox;  // no control there
        const std::string& address;  // what the shell is handed
    } clicks[] = {
        {"the box's bottom left corner", {client.left + 6, client.bottom - 6}, true, listing},
        {"the flag", {client.left + icon.left + size / 2, client.top + icon.top + size / 2}, false, listing},
        {"the name", centreOf(showing(box, kName)), false, listing},
        {"the notice", centreOf(showing(box, kNotice)), false, listing},
        {"the painted address", {client.left + 200, client.top + 148}, true, listing},
        {"the e-mail button", centreOf(buttonCaptioned(box, kMail)), false, mail},
    };
    std::vector<std::string> expected, lines;
    auto handedOff = [&] {
        std::ifstream in(log);
        lines.clear();
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    for (const auto& [what, at, onBox, address] : clicks) {
        SCOPED_TRACE(::testing::Message() << "a click on " << what);
        POINT inBox = at;
        ScreenToClient(box, &inBox);
        ASSERT_EQ(ChildWindowFromPointEx(box, inBox, CWP_SKIPINVISIBLE) == box, onBox);
        ASSERT_TRUE(activate(box));
        clickAt(at);
        expected.push_back(address);
        waitUntil([&] { return handedOff().size() >= expected.size(); }, 8000);
        EXPECT_EQ(lines, expected) << "hand-offs so far";
        EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    }
    ASSERT_TRUE(activate(box));
    click(buttonCaptioned(box, "OK"));
    ASSERT_TRUE(waitGone(box));
    Sleep(1500);  // no hand-off may come this long after the last one
    EXPECT_EQ(handedOff(), expected) << "hand-offs after the box closed";
}

}  // namespace

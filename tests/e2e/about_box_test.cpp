// The About box of the real program, opened and closed the way a user does
// it, its painted address read from the screen, and its web and mail
// hand-offs observed through a stand-in browser and mail program.
#include "fixture.h"

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The maker's addresses and notice line.
const char* const kHomePage = "http://www.example.org/orbela/";
const char* const kListingPage = "http://www.example.org/programy/";
const char* const kMail = "orbela@example.org";
const char* const kNotice = "Výukový program zdarma";

const std::string kName = "ORBELA_XB " ORBELA_VERSION;

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
        if (!activate(main)) {
            ADD_FAILURE() << "the main window does not become active";
            return nullptr;
        }
        if (altAlone) {
            // N once the menu bar has the keys, as a user sees it: pressed
            // at once, Wine at times drops the two.
            pressKey(VK_MENU);
            if (!waitUntil([&] { return inMenuMode(main); }, kChangeMs)) {
                ADD_FAILURE() << "Alt alone does not take the keys to the menu bar";
                return nullptr;
            }
            pressKey('N');
        } else {
            pressKey('N', {VK_MENU});
        }
        if (!waitMenu(pid)) {
            ADD_FAILURE() << "the menu does not open";
            return nullptr;
        }
        pressKey('O');
        HWND box = ownedBox(main, kChangeMs);
        EXPECT_EQ(box ? text(box) + textsDown(box) : "no box", "About|" + kName + "|" + kNotice + "|" + kMail + "|OK");
        POINT flag{-1, -1};
        EXPECT_TRUE(box && waitUntil([&] { return (flag = iconIn(box, "about.ico")).x >= 0; }, kChangeMs))
            << "the box does not show the flag of res/about.ico";
        EXPECT_LT(iconIn(box, "app.ico").x, 0) << "the box shows the program's icon of res/app.ico";
        EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled behind the box";
        EXPECT_TRUE(box && centredAndNotTopmost(box));
        HWND layout = dialogFromFile(envPath("ORBELA_EXE"), "About");
        EXPECT_EQ(box ? outOfPlace(box, layout) : "", "") << "texts cut off in the box";
        DestroyWindow(layout);
        return box;
    }

    // The stand-in browser and mail program, registered for http and mailto
    // in this prefix, writes each address the shell hands it as a line of
    // this log. Wine reads the handlers from HKEY_LOCAL_MACHINE\Software\Classes.
    std::string log;
    void SetUp() override {
        ProgramTest::SetUp();
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        log = std::string(temp) + "orbela-handoffs.log";
        DeleteFileA(log.c_str());
        const std::string command = "\"" + envPath("ORBELA_RECORDER") + "\" \"" + log + "\" \"%1\"";
        for (const std::string protocol : {"http", "mailto"}) {
            const std::string key = "Software\\Classes\\" + protocol + "\\shell\\open\\command";
            ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(),
                                      DWORD(command.size() + 1)), ERROR_SUCCESS) << protocol;
        }
    }
    // What the shell has been handed so far, once no stand-in is running:
    // the shell starts one before it returns to the box.
    std::vector<std::string> handedOff() {
        EXPECT_TRUE(waitUntil([] { return !running("about_recorder.exe"); }, kChangeMs))
            << "a stand-in browser or mail program runs on";
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

// Esc leaves the box open; OK, Enter on OK, the close box and Alt+F4 close it.
TEST_F(About, WaysInAndOut) {
    const char* ways[] = {"a click on OK", "Enter on OK", "a click on the close box", "Alt+F4"};
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(::testing::Message() << "the way out by " << ways[way]);
        HWND box = open(way % 2);
        ASSERT_TRUE(box && activate(box)) << "the box does not become active";
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

// The home-page address as the box must paint it: in the system font,
// underlined, blue, over the box's background.
Image addressAsPainted(uint32_t background) {
    const HFONT system = CreateFontA(0, 0, 0, 0, 0, FALSE, TRUE, FALSE, 0, 0, 0, 0, 0, "System");
    const Image address = textImage(system, kHomePage, RGB(0, 0, 255),
                                    RGB(background >> 16, background >> 8 & 0xFF, background & 0xFF));
    DeleteObject(system);
    return address;
}

// Where the box's home-page address must stand on the screen: at (160, 140)
// of its 504 x 222 pixels at 96 DPI, and at the same share of a box grown
// with a larger dialog font, give or take a pixel of rounding there.
RECT addressPlace(HWND box, const Image& address) {
    const RECT client = clientOnScreen(box);
    const long width = client.right - client.left, height = client.bottom - client.top;
    const long x = client.left + (160 * width + 252) / 504, y = client.top + (140 * height + 111) / 222;
    const long slack = width == 504 && height == 222 ? 0 : 1;
    return RECT{x - slack, y - slack, x + address.width + slack, y + address.height + slack};
}

// The box paints its home-page address in its place, letter for letter as
// the test draws it, inside the box and over none of its controls, on its
// first paint and again after another window has covered it and gone; and
// so does the box opened a second time.
TEST_F(About, PaintsTheAddressEveryTime) {
    auto pump = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    };
    for (const char* box_opened : {"first", "second"}) {
        SCOPED_TRACE(::testing::Message() << "the box opened a " << box_opened << " time");
        HWND box = open();
        ASSERT_NE(box, nullptr);
        const RECT client = clientOnScreen(box);
        const Image address = addressAsPainted(captureScreen(client).px[0]);
        const RECT where = addressPlace(box, address);
        POINT at{};
        auto shown = [&] { return (at = find(captureScreen(where), address)).x >= 0; };
        EXPECT_TRUE(painted(box) && waitUntil(shown, kChangeMs)) << "the first paint";
        const RECT ink{where.left + at.x, where.top + at.y, where.left + at.x + address.width,
                       where.top + at.y + address.height};
        RECT both{};
        EXPECT_TRUE(IntersectRect(&both, &ink, &client) && EqualRect(&both, &ink)) << "the address leaves the box";
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            EXPECT_FALSE(GetWindowRect(c, &both) && IntersectRect(&both, &both, &ink)) << "over \"" << text(c) << "\"";
        HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                                     client.left, client.top, client.right - client.left, client.bottom - client.top,
                                     nullptr, nullptr, nullptr, nullptr);
        // The cover is of one colour all over.
        const bool hidden = waitUntil([&] {
            pump();
            const auto px = captureScreen(where).px;
            return std::count(px.begin(), px.end(), px[0]) == std::ptrdiff_t(px.size());
        }, kChangeMs);
        DestroyWindow(cover);
        pump();
        ASSERT_TRUE(hidden) << "the cover does not hide the address";
        EXPECT_TRUE(waitUntil(shown, kChangeMs) && painted(box)) << "the paint after the cover went";
        pressKey(VK_RETURN);
        ASSERT_TRUE(waitGone(box)) << "Enter left the box open";
    }
}

// Enter right after the box opens, before any other key, presses OK: the
// box closes and nothing goes to the shell. Enter on the e-mail button, with
// the focus moved there by Tab, hands the mail address over.
TEST_F(About, EnterClosesTheBoxButOnTheMailButtonWritesAMessage) {
    HWND box = open();
    ASSERT_TRUE(box && painted(box));
    pressKey(VK_RETURN);
    EXPECT_TRUE(waitGone(box)) << "Enter left the box open";
    EXPECT_EQ(handedOff(), std::vector<std::string>{}) << "Enter handed an address to the shell";
    box = open();
    ASSERT_TRUE(box && tabTo(box, buttonCaptioned(box, kMail)));
    pressKey(VK_RETURN);
    ASSERT_TRUE(waitUntil([&] { return handedOff().size() == 1; }, kChangeMs));
    EXPECT_EQ(handedOff(), std::vector<std::string>{std::string("mailto:") + kMail + " 1"});
    EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
}

// A click anywhere on the box but its buttons opens the listing page, a
// click on the e-mail button a message; each exactly once, shown normally
// (SW_SHOWNORMAL, 1), and closing with OK opens nothing.
TEST_F(About, HandsTheListingPageAndTheMailAddressToTheShell) {
    HWND box = open();
    ASSERT_NE(box, nullptr);
    const int size = GetSystemMetrics(SM_CXICON);
    POINT flag = iconIn(box, "about.ico");
    ScreenToClient(box, &flag);
    const RECT icon{flag.x, flag.y, flag.x + size, flag.y + size};
    RECT client = clientOnScreen(box);
    const std::string listing = kListingPage + std::string(" 1"), mail = "mailto:" + std::string(kMail) + " 1";
    const RECT address = addressPlace(box, addressAsPainted(0));
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
        {"the painted address", {(address.left + address.right) / 2, (address.top + address.bottom) / 2}, true, listing},
        {"the e-mail button", centreOf(buttonCaptioned(box, kMail)), false, mail},
    };
    std::vector<std::string> expected;
    for (const auto& [what, at, onBox, address] : clicks) {
        SCOPED_TRACE(::testing::Message() << "a click on " << what);
        POINT inBox = at;
        ScreenToClient(box, &inBox);
        ASSERT_EQ(ChildWindowFromPointEx(box, inBox, CWP_SKIPINVISIBLE) == box, onBox);
        ASSERT_TRUE(activate(box));
        clickAt(at);
        expected.push_back(address);
        waitUntil([&] { return handedOff().size() >= expected.size(); }, kChangeMs);
        EXPECT_EQ(handedOff(), expected) << "hand-offs so far";
        EXPECT_TRUE(IsWindowVisible(box)) << "the box closed";
    }
    ASSERT_TRUE(activate(box) && click(buttonCaptioned(box, "OK")));
    ASSERT_TRUE(waitGone(box));
    EXPECT_EQ(handedOff(), expected) << "hand-offs after the box closed";
}

}  // namespace

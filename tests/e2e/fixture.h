// Starts the program under test (a copy of ORBELA_EXE, beside planted DLLs)
// before each test and ends it after: the same tests run against the 64-bit
// build and the 32-bit product.
// The controls a test acts on and reads are found as a user finds them:
// the buttons by their captions, the fields and the result under the
// labels that name them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"

constexpr char kDistanceLabel[] = "Vzdalenost od stredu centr. telesa v metrech.";
constexpr char kMassLabel[] = "Hmotnost centralniho telesa v kilogramech";
constexpr char kResultLabel[] = "Vysledna rychlost v metrech za sekundu";

// An icon of res/ (ORBELA_RES) as the window system makes it `size` pixels
// square; a test that cannot load it fails.
inline HICON iconFile(const char* file, int size) {
    const std::string path = envPath("ORBELA_RES") + "\\" + file;
    HICON icon = HICON(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
    if (!icon) ADD_FAILURE() << "cannot load the icon " << path << " (ORBELA_RES)";
    return icon;
}

// `got` is the text `what` must show, whole; else where it first differs.
inline ::testing::AssertionResult sameText(const std::string& what, const std::string& got,
                                           const std::string& expected) {
    if (got == expected) return ::testing::AssertionSuccess();
    const std::wstring g = widen(got), e = widen(expected);
    size_t at = 0;
    while (at < g.size() && at < e.size() && g[at] == e[at]) ++at;
    auto from = [&](const std::wstring& t) { return "\"" + shown(narrow(t.substr(at, 20))) + "\""; };
    return ::testing::AssertionFailure() << what << " differs at character " << at + 1 << " of " << e.size()
                                         << ": shows " << from(g) << ", expected " << from(e) << "\n  shows    \""
                                         << shown(got) << "\"\n  expected \"" << shown(expected) << "\"";
}

// `wnd` stands in the middle of the screen's work area (give or take a
// pixel of rounding), below every topmost window.
inline ::testing::AssertionResult centredAndNotTopmost(HWND wnd) {
    RECT work{}, r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(wnd, &r);
    const long dx = (r.left - work.left) - (work.right - r.right), dy = (r.top - work.top) - (work.bottom - r.bottom);
    const bool topmost = GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
    if (std::abs(dx) <= 1 && std::abs(dy) <= 1 && !topmost) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text(wnd) << "\" stands at " << r.left << ", " << r.top << " to "
                                         << r.right << ", " << r.bottom << " in the work area " << work.left << ", "
                                         << work.top << " to " << work.right << ", " << work.bottom
                                         << (topmost ? ", topmost" : "");
}

// The program runs as downloaded into a folder that holds DLLs of system
// names too, which Windows looks for in a program's folder first: those the
// session has Wine take from there, as Windows does
// (ORBELA_WINEDLLOVERRIDES=a,b,...=n,b), each leaving a mark beside itself
// when it is loaded (marker.c).
inline std::vector<std::string> planted() {
    const std::string overrides = std::getenv("ORBELA_WINEDLLOVERRIDES") ? std::getenv("ORBELA_WINEDLLOVERRIDES") : "";
    std::istringstream list(overrides.substr(0, overrides.find('=')));
    std::vector<std::string> names;
    for (std::string name; std::getline(list, name, ',');) names.push_back(name);
    return names;
}

class ProgramTest : public ::testing::Test, protected Program {
protected:
    HWND circular = nullptr, escape = nullptr, cancel = nullptr, definition[3] = {};
    HWND distance = nullptr, mass = nullptr, result = nullptr;
    std::map<HWND, std::string> names;  // each of them by its caption, or [its label]
    std::string folder;                 // where it runs from

    void SetUp() override {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "Downloads\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string exe = folder + "ORBELA.exe";
        bool copied = CopyFileA(envPath("ORBELA_EXE").c_str(), exe.c_str(), FALSE);
        for (const std::string& dll : planted()) {
            copied = CopyFileA(envPath("ORBELA_MARKER").c_str(), (folder + dll + ".dll").c_str(), FALSE) && copied;
            DeleteFileA((folder + dll + ".dll.loaded").c_str());
        }
        ASSERT_TRUE(copied && !planted().empty()) << "cannot copy ORBELA_EXE and ORBELA_MARKER into " << folder
                                                 << ", or no DLLs to plant in ORBELA_WINEDLLOVERRIDES";
        if (!startProgram(exe, "ORBELA_XB", *this)) {
            DWORD code = STILL_ACTIVE;
            if (process) GetExitCodeProcess(process, &code);
            char state[40] = "did not start";
            if (process) std::snprintf(state, sizeof state, code == STILL_ACTIVE ? "runs on" : "ended, code 0x%lx", code);
            FAIL() << "no window \"ORBELA_XB\" of \"" << exe << "\" (ORBELA_EXE) within " << kAppearMs
                   << " ms; the program " << state;
        }
        const struct {
            const char* text;
            bool button;  // else a label, with the control under it
            HWND* found;
        } controls[] = {
            {"Kruhova r.I", true, &circular},
            {"Unikova r.II", true, &escape},
            {"Cancel", true, &cancel},
            {"Prvni kosm. rychlost", true, &definition[0]},
            {"Druha kosm. rychlost", true, &definition[1]},
            {"Treti kosm. rychlost", true, &definition[2]},
            {kDistanceLabel, false, &distance},
            {kMassLabel, false, &mass},
            {kResultLabel, false, &result},
        };
        for (const auto& c : controls) {
            *c.found = c.button ? buttonCaptioned(main, c.text) : under(main, showing(main, c.text));
            ASSERT_NE(*c.found, nullptr) << (c.button ? "no one button \"" : "no one label \"") << c.text << "\""
                                         << (c.button ? "" : ", or nothing under it");
            names[*c.found] = c.button ? c.text : std::string("[") + c.text + "]";
        }
    }
    // Not one planted DLL was loaded.
    void TearDown() override {
        endProgram(*this);
        for (const std::string& dll : planted())
            EXPECT_TRUE(GetFileAttributesA((folder + dll + ".dll.loaded").c_str()) == INVALID_FILE_ATTRIBUTES)
                << "the program loaded the " << dll << ".dll beside it";
    }

    // A control by its name, for messages.
    std::string name(HWND control) {
        return names.count(control) ? names[control] : control ? "\"" + text(control) + "\"" : "nothing";
    }
};

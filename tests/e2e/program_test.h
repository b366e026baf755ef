// A GoogleTest fixture that starts the real program (ORBELA_EXE) before
// each test and ends it after.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

// The main window's menu bar, the items as its menu resource names them.
inline const std::vector<std::wstring> kMenuBar{L"&Program", L"&Nápověda"};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error = startProgram(app, envPath("ORBELA_EXE"), "ORBELA_XB");
        ASSERT_EQ(error, "") << "set ORBELA_EXE to the 64-bit ORBELA.exe";
        main = app.main;
    }
    void TearDown() override { stopProgram(app); }

    Program app;
    HWND main = nullptr;
};

// Starts the program under test (ORBELA_EXE) before each test and ends it
// after: the same tests run against the 64-bit build and the 32-bit product.
#pragma once

#include <gtest/gtest.h>

#include "driver.h"

class ProgramTest : public ::testing::Test, protected Program {
protected:
    void SetUp() override {
        ASSERT_TRUE(startProgram(envPath("ORBELA_EXE"), "ORBELA_XB", *this))
            << "no window \"ORBELA_XB\" of \"" << envPath("ORBELA_EXE") << "\" (ORBELA_EXE) within " << kAppearMs << " ms";
    }
    void TearDown() override { endProgram(*this); }
    HWND item(int id) const { return GetDlgItem(main, id); }
    // Where control `id` holds its text: itself, or a combo box's edit field.
    HWND field(int id) const {
        HWND edit = FindWindowExA(item(id), nullptr, "Edit", nullptr);
        return edit ? edit : item(id);
    }
};

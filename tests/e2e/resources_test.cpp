// The resources of the built programs, read from the executables as data.
// The 32-bit product cannot run here; its resources must be the very bytes
// of the 64-bit build that the window tests drive.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "driver.h"
#include "program_test.h"
#include "resource.h"

namespace {

std::string resName(LPCSTR name) {
    return IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                : std::string(name);
}

struct ResourceSet {
    HMODULE module = nullptr;
    // "type/name/language" -> bytes
    std::map<std::string, std::vector<unsigned char>> all;
};

BOOL CALLBACK onLanguage(HMODULE m, LPCSTR type, LPCSTR name, WORD lang, LONG_PTR lp) {
    auto* r = reinterpret_cast<ResourceSet*>(lp);
    HRSRC res = FindResourceExA(m, type, name, lang);
    DWORD size = SizeofResource(m, res);
    auto* p = static_cast<const unsigned char*>(LockResource(LoadResource(m, res)));
    r->all[resName(type) + "/" + resName(name) + "/" + std::to_string(lang)] =
        p ? std::vector<unsigned char>(p, p + size) : std::vector<unsigned char>{};
    return TRUE;
}

ResourceSet loadResources(const std::string& exe) {
    ResourceSet r;
    r.module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    // 64-bit code has one calling convention: plain lambdas serve as callbacks.
    static ENUMRESNAMEPROCA onName = [](HMODULE m, LPCSTR type, LPSTR name, LONG_PTR lp) -> BOOL {
        return EnumResourceLanguagesA(m, type, name, onLanguage, lp), TRUE;
    };
    auto onType = [](HMODULE m, LPSTR type, LONG_PTR lp) -> BOOL {
        return EnumResourceNamesA(m, type, onName, lp), TRUE;
    };
    if (r.module) EnumResourceTypesA(r.module, onType, LONG_PTR(&r));
    return r;
}

const std::vector<unsigned char>* find(const ResourceSet& r, const std::string& key) {
    auto at = r.all.find(key);
    return at == r.all.end() ? nullptr : &at->second;
}

// Reads a dialog template as the window system does.
struct Reader {
    const unsigned char* p;
    const unsigned char* end;
    bool bad = false;
    template <class T>
    T get() {
        T v{};
        if (p + sizeof v > end) {
            bad = true;
            return v;
        }
        std::memcpy(&v, p, sizeof v);
        p += sizeof v;
        return v;
    }
    // A string, or "#n" for an ordinal.
    std::string sz() {
        auto first = get<WORD>();
        if (first == 0xFFFF) return "#" + std::to_string(get<WORD>());
        std::wstring w;
        for (WORD c = first; c && !bad; c = get<WORD>()) w += wchar_t(c);
        return toCp1250(w);
    }
    void align(const unsigned char* base) {
        while ((p - base) % 4) ++p;
    }
};

// A control class as the template names it, by name or by its ordinal.
std::string className(std::string cls) {
    if (cls == "#128") return "BUTTON";
    if (cls == "#129") return "EDIT";
    if (cls == "#130") return "STATIC";
    if (cls == "#133") return "COMBOBOX";
    for (char& c : cls) c = char(std::toupper(static_cast<unsigned char>(c)));
    return cls;
}

// The 64-bit build's resources, and the program itself running, for the
// texts its controls show at start.
class Resources : public ProgramTest {
protected:
    void SetUp() override {
        static const ResourceSet all = loadResources(envPath("ORBELA_EXE"));
        exe64 = &all;
        ASSERT_NE(exe64->module, nullptr) << "set ORBELA_EXE to ORBELA.exe";
        ProgramTest::SetUp();
    }
    const ResourceSet* exe64 = nullptr;
};

// Only the program's own kinds (bitmap, icon, menu, dialog, icon group),
// all in English (US), and the very bytes the 32-bit product carries.
TEST_F(Resources, OwnKindsAndTheSameIn32Bit) {
    const std::string allowed[] = {"#2", "#3", "#4", "#5", "#14"};
    std::string path32 = envPath("ORBELA_EXE32");
    ResourceSet exe32 = loadResources(path32);
    ASSERT_NE(exe32.module, nullptr) << "cannot load \"" << path32 << "\" (build the win32 preset first)";
    for (const auto& [key, bytes] : exe64->all) {
        EXPECT_NE(std::find(std::begin(allowed), std::end(allowed), key.substr(0, key.find('/'))), std::end(allowed))
            << "unexpected resource " << key;
        EXPECT_EQ(key.substr(key.rfind('/') + 1), "1033") << key;
        const auto* other = find(exe32, key);
        EXPECT_TRUE(other && *other == bytes)
            << key << ": " << (other ? std::to_string(other->size()) : "no") << " bytes in the 32-bit build, "
            << bytes.size() << " in the 64-bit build";
    }
    for (const auto& entry : exe32.all)
        EXPECT_NE(find(*exe64, entry.first), nullptr) << entry.first << " only in the 32-bit build";
    FreeLibrary(exe32.module);
}

// Width, height and bits per pixel of the bitmap and of each icon image.
TEST_F(Resources, BitmapAndIcons) {
    auto header = [&](const std::string& key) {
        const auto* r = find(*exe64, key);
        BITMAPINFOHEADER h{};
        if (r && r->size() >= sizeof h) std::memcpy(&h, r->data(), sizeof h);
        return std::vector<long>{h.biWidth, h.biHeight, h.biBitCount};
    };
    EXPECT_EQ(header("#2/MYBMP/1033"), (std::vector<long>{449, 188, 24})) << "bitmap MYBMP";
    for (const auto& [group, sizes] :
         {std::pair{IDI_APP, std::vector<int>{16, 32}}, std::pair{IDI_SMALL, std::vector<int>{16}}}) {
        const auto* g = find(*exe64, "#14/#" + std::to_string(group) + "/1033");
        ASSERT_TRUE(g && g->size() == 6u + 14u * sizes.size() && (*g)[4] == sizes.size())
            << "icon group " << group << " is missing or has not " << sizes.size() << " images";
        for (size_t i = 0; i < sizes.size(); ++i) {
            const unsigned char* e = g->data() + 6 + 14 * i;
            // An icon image's height counts its mask too.
            EXPECT_EQ(header("#3/#" + std::to_string(e[12] | e[13] << 8) + "/1033"),
                      (std::vector<long>{sizes[i], 2 * sizes[i], 8}))
                << "icon group " << group << " image " << i;
            EXPECT_EQ((std::vector<int>{e[0], e[1]}), (std::vector<int>{sizes[i], sizes[i]})) << "image " << i;
        }
    }
}

TEST_F(Resources, MenuTextsAndCommands) {
    HMENU menu = LoadMenuA(exe64->module, "IDR_MENU_ORBELA");
    ASSERT_NE(menu, nullptr);
    struct Item {
        int popup;  // -1: the menu bar
        int pos;
        const char* text;
        UINT command;
    };
    const Item items[] = {
        {-1, 0, "&Program", UINT(-1)},
        {-1, 1, "&Nápověda", UINT(-1)},
        {0, 0, "&Ukončit\tAlt-F4", IDM_EXIT},
        {1, 0, "&O programu...", IDM_ABOUT},
        {1, 1, "&Návod", IDM_HELP},
    };
    for (int popup = -1; popup < 2; ++popup) {
        HMENU m = popup < 0 ? menu : GetSubMenu(menu, popup);
        EXPECT_EQ(GetMenuItemCount(m), std::count_if(std::begin(items), std::end(items),
                                                     [&](const Item& it) { return it.popup == popup; }))
            << "items in pop-up " << popup;
    }
    for (const Item& it : items) {
        HMENU m = it.popup < 0 ? menu : GetSubMenu(menu, it.popup);
        wchar_t buf[128] = L"";
        GetMenuStringW(m, UINT(it.pos), buf, 128, MF_BYPOSITION);
        EXPECT_EQ(toCp1250(buf), it.text) << "pop-up " << it.popup << " item " << it.pos << ": \""
                                          << shown(toCp1250(buf)) << "\"";
        EXPECT_EQ(GetMenuItemID(m, it.pos), it.command) << "pop-up " << it.popup << " item " << it.pos;
    }
    DestroyMenu(menu);
}

TEST_F(Resources, MainDialogTemplate) {
    const auto* t = find(*exe64, "#5/#113/1033");
    ASSERT_NE(t, nullptr);
    Reader r{t->data(), t->data() + t->size()};
    ASSERT_EQ((std::vector<int>{r.get<WORD>(), r.get<WORD>()}), (std::vector<int>{1, 0xFFFF}))
        << "not an extended dialog template";
    r.get<DWORD>();
    EXPECT_EQ(r.get<DWORD>(), DWORD(WS_EX_STATICEDGE)) << "extended style";
    EXPECT_EQ(r.get<DWORD>(), DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME | DS_CENTER |
                                    DS_SETFONT | DS_FIXEDSYS))
        << "style";
    WORD count = r.get<WORD>();
    EXPECT_EQ((std::vector<short>{r.get<short>(), r.get<short>(), r.get<short>(), r.get<short>()}),
              (std::vector<short>{0, 0, 320, 297}));
    EXPECT_EQ((std::vector<std::string>{r.sz(), r.sz(), r.sz()}),
              (std::vector<std::string>{"IDR_MENU_ORBELA", "", "ORBELA_XB"}))
        << "menu, class, caption";
    EXPECT_EQ((std::vector<int>{r.get<WORD>(), r.get<WORD>(), r.get<BYTE>(), r.get<BYTE>()}),
              (std::vector<int>{10, 0, 0, 1}))
        << "font size, weight, italic, character set";
    EXPECT_EQ(r.sz(), "Helv") << "font";

    const DWORD child = WS_CHILD | WS_VISIBLE;
    struct Control {
        int line;
        int id;
        const char* cls;
        DWORD style;
        DWORD exStyle;
        short x, y, cx, cy;
        const char* text;
    };
    const Control controls[] = {
        {__LINE__, IDC_DEF1, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, 17, 55, 76, 12, "Prvni kosm. rychlost"},
        {__LINE__, IDC_DEF2, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, 17, 67, 76, 12, "Druha kosm. rychlost"},
        {__LINE__, IDC_DEF3, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, 17, 79, 76, 12, "Treti kosm. rychlost"},
        {__LINE__, IDOK, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, 196, 99, 40, 14, "Kruhova r.I"},
        {__LINE__, IDCANCEL, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, 249, 99, 40, 14, "Cancel"},
        {__LINE__, IDC_ESCAPE, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, 146, 99, 40, 14, "Unikova r.II"},
        {__LINE__, IDC_LABEL_DISTANCE, "STATIC", SS_LEFT | WS_BORDER, 0, 146, 41, 143, 12,
         "Vzdalenost od stredu centr. telesa v metrech."},
        {__LINE__, IDC_DISTANCE, "EDIT", ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
         WS_EX_CLIENTEDGE, 187, 54, 61, 12, ""},
        {__LINE__, IDC_LABEL_MASS, "STATIC", SS_LEFT | WS_BORDER, 0, 145, 68, 144, 12,
         "Hmotnost centralniho telesa v kilogramech"},
        {__LINE__, IDC_MASS, "COMBOBOX", CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP,
         WS_EX_CLIENTEDGE, 188, 82, 68, 65, ""},
        {__LINE__, IDC_LABEL_RESULT, "STATIC", SS_LEFT | WS_BORDER, 0, 146, 123, 142, 12,
         "Vysledna rychlost v metrech za sekundu"},
        {__LINE__, IDC_RESULT, "STATIC", SS_CENTER | SS_SUNKEN, 0, 197, 136, 40, 12, "0.00"},
        {__LINE__, IDC_PICTURE, "STATIC", SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZEIMAGE | SS_SUNKEN | WS_BORDER, 0,
         12, 154, 296, 110, "MYBMP"},
        {__LINE__, IDC_GROUP_INPUT, "BUTTON", BS_GROUPBOX, 0, 112, 34, 179, 64, "Zadani"},
        {__LINE__, IDC_GROUP_RESULT, "BUTTON", BS_GROUPBOX, WS_EX_STATICEDGE, 111, 114, 180, 37, "Vysledek"},
        {__LINE__, IDC_TITLE, "STATIC", SS_CENTER | SS_SUNKEN, 0, 13, 13, 279, 12, "Kosmicke rychlosti"},
        {__LINE__, IDC_GROUP_DEFS, "BUTTON", BS_GROUPBOX, 0, 12, 34, 87, 64, "Definice kosm. rychlosti"},
        {__LINE__, IDC_STATUS, "STATIC", SS_LEFT | SS_SUNKEN | WS_BORDER, WS_EX_CLIENTEDGE, 7, 279, 307, 12,
         "ORBELA_XB"},
        {__LINE__, IDC_FRAME, "STATIC", SS_BLACKFRAME, 0, 6, 6, 308, 285, ""},
    };
    ASSERT_EQ(count, std::size(controls)) << "number of controls";
    for (const Control& c : controls) {
        SCOPED_TRACE(::testing::Message() << "line " << c.line << ": control " << c.id);
        r.align(t->data());
        r.get<DWORD>();
        DWORD exStyle = r.get<DWORD>();
        DWORD style = r.get<DWORD>();
        short x = r.get<short>(), y = r.get<short>(), cx = r.get<short>(), cy = r.get<short>();
        DWORD id = r.get<DWORD>();
        std::string cls = className(r.sz()), text = r.sz();
        WORD extra = r.get<WORD>();
        r.p += extra;
        ASSERT_FALSE(r.bad) << "template ends early";
        EXPECT_EQ(id, DWORD(c.id));
        EXPECT_EQ(cls, c.cls);
        EXPECT_EQ(style, c.style | child) << std::hex << "extra bits " << (style & ~(c.style | child))
                                          << ", missing bits " << (~style & (c.style | child));
        EXPECT_EQ(exStyle, c.exStyle) << std::hex << "extended style";
        EXPECT_EQ((std::vector<short>{x, y, cx, cy}), (std::vector<short>{c.x, c.y, c.cx, c.cy}));
        EXPECT_EQ(text, c.text);
        if (c.id != IDC_PICTURE) {
            EXPECT_EQ(itemText(main, c.id), c.text) << "the running window";
        }
    }
}

}  // namespace

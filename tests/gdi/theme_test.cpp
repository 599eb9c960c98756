// Visual styles: the run-time module draws button parts through the
// desktop's style, and refuses to load when the classic look is asked for.
#include "support.h"

#include "win/uxtheme.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const WCHAR kButton[] = {'B', 'u', 't', 't', 'o', 'n', 0};
const WCHAR kNoSuch[] = {'N', 'o', 'S', 'u', 'c', 'h', 0};
const WCHAR kList[] = {'N', 'o', 'S', 'u', 'c', 'h', ';', 'B', 'u', 't', 't', 'o', 'n', 0};

struct Theme {
    Theme() {
        module = LoadLibraryA("UXTHEME.DLL");
        if (!module) return;
        open = reinterpret_cast<PFN_OpenThemeData>(GetProcAddress(module, "OpenThemeData"));
        close = reinterpret_cast<PFN_CloseThemeData>(GetProcAddress(module, "CloseThemeData"));
        background = reinterpret_cast<PFN_DrawThemeBackground>(GetProcAddress(module, "DrawThemeBackground"));
        text = reinterpret_cast<PFN_DrawThemeText>(GetProcAddress(module, "DrawThemeText"));
        content = reinterpret_cast<PFN_GetThemeBackgroundContentRect>(GetProcAddress(module, "GetThemeBackgroundContentRect"));
    }
    ~Theme() {
        if (module) FreeLibrary(module);
    }
    HMODULE module = nullptr;
    PFN_OpenThemeData open = nullptr;
    PFN_CloseThemeData close = nullptr;
    PFN_DrawThemeBackground background = nullptr;
    PFN_DrawThemeText text = nullptr;
    PFN_GetThemeBackgroundContentRect content = nullptr;
};

// Pixels that differ between two canvases of the same size.
int differences(const Canvas &a, const Canvas &b) {
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) n += a.at(x, y) != b.at(x, y);
    return n;
}

TEST(Themes, ButtonPartsAreDrawnPerState) {
    Theme t;
    ASSERT_NE(t.module, nullptr);
    ASSERT_TRUE(t.open && t.close && t.background && t.text && t.content);
    EXPECT_EQ(t.open(nullptr, kNoSuch), nullptr);
    HTHEME theme = t.open(nullptr, kList);
    ASSERT_NE(theme, nullptr);
    RECT r{0, 0, 80, 24};
    Canvas normal(80, 24), pressed(80, 24), disabled(80, 24);
    ASSERT_EQ(t.background(theme, normal.dc, BP_PUSHBUTTON, PBS_NORMAL, &r, nullptr), S_OK);
    ASSERT_EQ(t.background(theme, pressed.dc, BP_PUSHBUTTON, PBS_PRESSED, &r, nullptr), S_OK);
    ASSERT_EQ(t.background(theme, disabled.dc, BP_PUSHBUTTON, PBS_DISABLED, &r, nullptr), S_OK);
    EXPECT_GT(normal.inked(0, 0, 80, 24), 100);
    EXPECT_GT(differences(normal, pressed), 20);

    RECT inside{};
    ASSERT_EQ(t.content(theme, normal.dc, BP_PUSHBUTTON, PBS_NORMAL, &r, &inside), S_OK);
    EXPECT_GT(inside.left, r.left - 1);
    EXPECT_LT(inside.right, r.right + 1);
    EXPECT_LT(inside.left, inside.right);

    // Text is drawn inside its rectangle in the context's font; grayed text differs.
    const WCHAR help[] = {'&', 'H', 'e', 'l', 'p', 0};
    HFONT f = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(normal.dc, f);
    SelectObject(disabled.dc, f);
    Canvas before(80, 24);
    BitBlt(before.dc, 0, 0, 80, 24, normal.dc, 0, 0, SRCCOPY);
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    ASSERT_EQ(t.text(theme, normal.dc, BP_PUSHBUTTON, PBS_NORMAL, help, -1, flags, 0, &r), S_OK);
    int changed = differences(before, normal);
    EXPECT_GT(changed, 20);
    Canvas blankDisabled(80, 24);
    BitBlt(blankDisabled.dc, 0, 0, 80, 24, disabled.dc, 0, 0, SRCCOPY);
    ASSERT_EQ(t.text(theme, disabled.dc, BP_PUSHBUTTON, PBS_DISABLED, help, -1, flags, 0, &r), S_OK);
    EXPECT_GT(differences(blankDisabled, disabled), 20);
    // The text stays off the left and right quarters of a wide button.
    Canvas wide(200, 24), wideBefore(200, 24);
    RECT wr{0, 0, 200, 24};
    SelectObject(wide.dc, f);
    t.text(theme, wide.dc, BP_PUSHBUTTON, PBS_NORMAL, help, -1, flags, 0, &wr);
    EXPECT_EQ(wide.inked(0, 0, 50, 24), 0);
    EXPECT_EQ(wide.inked(150, 0, 200, 24), 0);
    EXPECT_GT(wide.inked(50, 0, 150, 24), 20);
    SelectObject(normal.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(disabled.dc, GetStockObject(SYSTEM_FONT));
    SelectObject(wide.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);

    EXPECT_EQ(t.background(theme, normal.dc, 99, 1, &r, nullptr), E_INVALIDARG);
    EXPECT_EQ(t.close(theme), S_OK);
    EXPECT_EQ(t.close(theme), E_HANDLE);
    EXPECT_EQ(t.background(theme, normal.dc, BP_PUSHBUTTON, PBS_NORMAL, &r, nullptr), E_HANDLE);
}

TEST(Themes, TheClassicLookSwitchKeepsTheModuleFromLoading) {
    setenv("SUITE_CLASSIC_LOOK", "1", 1);
    HMODULE refused = LoadLibraryA("UXTHEME.DLL");
    DWORD error = GetLastError();
    unsetenv("SUITE_CLASSIC_LOOK");
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    Theme t;
    EXPECT_NE(t.module, nullptr);
}

}  // namespace

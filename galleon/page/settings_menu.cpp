#include "settings_menu.h"

#include "menu/menumod.h"
#include "pagecommon.h"
#include "photolog.h"

namespace {

// The colours of the pages' menus.
constexpr COLORREF kBackground = RGB(255, 251, 247);
constexpr COLORREF kGrayText = RGB(165, 166, 165);
constexpr COLORREF kSelection = RGB(181, 190, 214);
constexpr COLORREF kFrame = RGB(8, 36, 107);
constexpr COLORREF kStrip = RGB(206, 203, 198);

void setOption(HMENU menu, int item, int option, LONG_PTR value) {
    int rc = menumodSetOption(menu, item, option, value);
    if (rc != 0) photoLog(LOG_CALL_FAILED, "menumodSetOption() returned error code %d", rc);
}

}  // namespace

HICON settingsSmallIcon(int id) {
    if (id <= 0) return nullptr;
    return static_cast<HICON>(LoadImageA(pageModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
}

UINT settingsMenuTrack(HWND owner, HMENU menu, const SettingsMenuIcon* icons, int count, POINT at) {
    if (!menu) return 0;
    // The module is started for this menu and shut down after it; in a
    // process where it is already running (the host draws its tray menu with
    // the same module) it is used as it is and left running.
    int rc = menumodInit();
    bool owned = rc == 0;
    bool drawn = rc == 0 || rc == -1;
    if (!drawn) photoLog(LOG_CALL_FAILED, "menumodInit() returned error code %d", rc);
    if (drawn) {
        rc = menumodPrepareMenu(menu);
        if (rc != 0) {
            photoLog(LOG_CALL_FAILED, "menumodPrepareMenu() returned error code %d", rc);
            drawn = false;
        }
    }
    if (drawn) {
        setOption(menu, -1, MENUMOD_OPT_STYLE, MENUMOD_STYLE_STRIP | MENUMOD_STYLE_ICONS);
        setOption(menu, -1, MENUMOD_OPT_BACKGROUND, kBackground);
        setOption(menu, -1, MENUMOD_OPT_GRAYTEXT, kGrayText);
        setOption(menu, -1, MENUMOD_OPT_SELECTION, kSelection);
        setOption(menu, -1, MENUMOD_OPT_FRAME, kFrame);
        setOption(menu, -1, MENUMOD_OPT_STRIP, kStrip);
        for (int i = 0; i < count; ++i) {
            if (HICON icon = settingsSmallIcon(icons[i].icon))
                setOption(menu, static_cast<int>(icons[i].command), MENUMOD_OPT_ICON, reinterpret_cast<LONG_PTR>(icon));
            if (HICON active = settingsSmallIcon(icons[i].activeIcon))
                setOption(menu, static_cast<int>(icons[i].command), MENUMOD_OPT_ACTIVE_ICON,
                          reinterpret_cast<LONG_PTR>(active));
        }
    }
    UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
    if (drawn) {
        rc = menumodRestoreMenu(menu);
        if (rc != 0) {
            photoLog(LOG_CALL_FAILED, "menumodPrepareMenu() returned error code %d", rc);
            DestroyMenu(menu);
        }
    } else {
        DestroyMenu(menu);
    }
    if (owned) {
        rc = menumodShutdown();
        if (rc != 0) photoLog(LOG_CALL_FAILED, "menumodShutdown() returned error code %d", rc);
    }
    return chosen;
}

bool settingsMenuMeasure(MEASUREITEMSTRUCT* measure) {
    return measure && measure->CtlType == ODT_MENU && menumodMeasureItem(measure) == 0;
}

bool settingsMenuDraw(const DRAWITEMSTRUCT* draw) {
    return draw && draw->CtlType == ODT_MENU && menumodDrawItem(draw) == 0;
}

// Owner-drawn popup menus: drawing records attached to menu items, their
// options, and measuring and drawing items with the platform's GDI.
#include "menu/menumod.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace {

struct MenuItemRecord {
    DWORD style;
    HICON icon;
    HICON activeIcon;
    COLORREF background;
    COLORREF selection;
    COLORREF frame;
    COLORREF strip;
    COLORREF text;
    COLORREF grayText;
    HFONT font;
    char *label;
    DWORD mark;
    HMENU menu;
};

bool initialised = false;
int lastError = 0;
// Every record this module made. Item data is checked against it before it
// is read, so another module's item data is never taken for a record.
std::set<MenuItemRecord *> records;
std::mutex recordsLock;

int result(int r) {
    lastError = r;
    return r;
}

MenuItemRecord *recordOf(ULONG_PTR data) {
    auto *r = reinterpret_cast<MenuItemRecord *>(data);
    std::lock_guard<std::mutex> g(recordsLock);
    if (!r || !records.count(r) || r->mark != MENUMOD_MARK) return nullptr;
    return r;
}

MenuItemRecord *newRecord(HMENU menu, const char *label) {
    auto *r = static_cast<MenuItemRecord *>(std::calloc(1, sizeof(MenuItemRecord)));
    if (!r) return nullptr;
    r->background = GetSysColor(COLOR_MENU);
    r->selection = GetSysColor(COLOR_HIGHLIGHT);
    r->frame = GetSysColor(COLOR_HIGHLIGHT);
    r->strip = GetSysColor(COLOR_MENU);
    r->text = GetSysColor(COLOR_MENUTEXT);
    r->grayText = GetSysColor(COLOR_GRAYTEXT);
    r->font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    r->label = label && *label ? strdup(label) : nullptr;
    r->mark = MENUMOD_MARK;
    r->menu = menu;
    std::lock_guard<std::mutex> g(recordsLock);
    records.insert(r);
    return r;
}

void freeRecord(MenuItemRecord *r) {
    {
        std::lock_guard<std::mutex> g(recordsLock);
        records.erase(r);
    }
    std::free(r->label);
    std::free(r);
}

void prepare(HMENU menu, int depth) {
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        char text[256] = "";
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mii)) continue;
        if (mii.hSubMenu && depth < 16) prepare(mii.hSubMenu, depth + 1);
        if (recordOf(mii.dwItemData)) continue;
        MenuItemRecord *r = newRecord(menu, (mii.fType & MFT_SEPARATOR) ? nullptr : text);
        if (!r) continue;
        MENUITEMINFOA set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_FTYPE | MIIM_DATA;
        set.fType = mii.fType | MFT_OWNERDRAW;
        set.dwItemData = reinterpret_cast<ULONG_PTR>(r);
        SetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &set);
    }
}

void release(HMENU menu, int depth) {
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mii)) continue;
        if (mii.hSubMenu && depth < 16) release(mii.hSubMenu, depth + 1);
        if (MenuItemRecord *r = recordOf(mii.dwItemData)) {
            freeRecord(r);
            MENUITEMINFOA set{};
            set.cbSize = sizeof set;
            set.fMask = MIIM_DATA;
            SetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &set);
        }
    }
}

bool applyOption(MenuItemRecord *r, int option, LONG_PTR value) {
    COLORREF colour = static_cast<COLORREF>(value);
    switch (option) {
    case MENUMOD_OPT_BACKGROUND: r->background = colour; return true;
    case MENUMOD_OPT_SELECTION: r->selection = colour; return true;
    case MENUMOD_OPT_STRIP: r->strip = colour; return true;
    case MENUMOD_OPT_GRAYTEXT: r->grayText = colour; return true;
    case MENUMOD_OPT_FRAME: r->frame = colour; return true;
    case MENUMOD_OPT_ACTIVE_ICON: r->activeIcon = reinterpret_cast<HICON>(value); return true;
    case MENUMOD_OPT_ICON: r->icon = reinterpret_cast<HICON>(value); return true;
    case MENUMOD_OPT_FONT: r->font = reinterpret_cast<HFONT>(value); return true;
    case MENUMOD_OPT_STYLE: r->style = static_cast<DWORD>(value); return true;
    case MENUMOD_OPT_TEXT: {
        const char *text = reinterpret_cast<const char *>(value);
        char *copy = text ? strdup(text) : nullptr;
        if (text && !copy) return false;
        std::free(r->label);
        r->label = copy;
        return true;
    }
    default: return false;
    }
}

// Sets the option on every record of the menu and its submenus; the number set.
int applyToAll(HMENU menu, int option, LONG_PTR value, int depth) {
    int set = 0;
    int count = GetMenuItemCount(menu);
    for (int pos = 0; pos < count; ++pos) {
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mii)) continue;
        if (mii.hSubMenu && depth < 16) set += applyToAll(mii.hSubMenu, option, value, depth + 1);
        if (MenuItemRecord *r = recordOf(mii.dwItemData)) set += applyOption(r, option, value) ? 1 : 0;
    }
    return set;
}

}  // namespace

int menumodInit(void) {
    if (initialised) return result(-1);
    initialised = true;
    return result(0);
}

int menumodShutdown(void) {
    if (!initialised) return result(-1);
    initialised = false;
    return result(0);
}

int menumodPrepareMenu(HMENU menu) {
    if (!initialised) return result(-1);
    if (!menu || !IsMenu(menu)) return result(-2);
    prepare(menu, 0);
    return result(0);
}

int menumodRestoreMenu(HMENU menu) {
    if (!initialised) return result(-1);
    if (!menu || !IsMenu(menu)) return result(-2);
    release(menu, 0);
    DestroyMenu(menu);
    return result(0);
}

int menumodSetOption(HMENU menu, int item, int option, LONG_PTR value) {
    if (!initialised) return result(-1);
    if (!menu || !IsMenu(menu) || option < MENUMOD_OPT_BACKGROUND || option > MENUMOD_OPT_TEXT) return result(-2);
    if (item == -1) {
        applyToAll(menu, option, value, 0);
        return result(0);
    }
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(item), FALSE, &mii)) return result(-2);
    MenuItemRecord *r = recordOf(mii.dwItemData);
    if (!r || !applyOption(r, option, value)) return result(-2);
    return result(0);
}

int menumodGetLastError(void) { return lastError; }

// ---- Measuring and drawing --------------------------------------------------

namespace {

// "Helv" of 8 points (at 96 dpi) in the given weight.
HFONT menuFont(int weight) {
    return CreateFontA(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Helv");
}

SIZE iconSize(HICON icon) {
    SIZE size{0, 0};
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return size;
    BITMAP bm{};
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof bm, &bm)) size = {bm.bmWidth, bm.bmHeight};
    else if (ii.hbmMask && GetObjectA(ii.hbmMask, sizeof bm, &bm)) size = {bm.bmWidth, bm.bmHeight};
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    return size;
}

SIZE textSize(HDC dc, const char *text, int weight) {
    HFONT font = menuFont(weight);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_LEFT);
    SelectObject(dc, old);
    DeleteObject(font);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

bool isDefaultItem(HMENU menu, UINT id) {
    UINT def = GetMenuDefaultItem(menu, FALSE, 0);
    return def != static_cast<UINT>(-1) && def == id;
}

// A gray copy of an icon: every pixel that is not black becomes the gray of
// its luma; black stays black, the mask is kept. Null when it cannot be made.
HICON grayIcon(HICON icon) {
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return nullptr;
    HICON gray = nullptr;
    BITMAP bm{};
    if (ii.hbmColor && GetObjectA(ii.hbmColor, sizeof bm, &bm) && bm.bmBitsPixel == 32) {
        LONG bytes = bm.bmWidthBytes * bm.bmHeight;
        auto *bits = static_cast<BYTE *>(std::malloc(static_cast<size_t>(bytes)));
        if (bits && GetBitmapBits(ii.hbmColor, bytes, bits) == bytes) {
            for (LONG i = 0; i + 3 < bytes; i += 4) {
                BYTE b = bits[i], g = bits[i + 1], r = bits[i + 2];
                if (!r && !g && !b) continue;
                auto luma = static_cast<BYTE>(0.299 * r + 0.587 * g + 0.114 * b);
                bits[i] = bits[i + 1] = bits[i + 2] = luma;
            }
            if (SetBitmapBits(ii.hbmColor, static_cast<DWORD>(bytes), bits) == bytes) gray = CreateIconIndirect(&ii);
        }
        std::free(bits);
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
    return gray;
}

void fill(HDC dc, const RECT &rect, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void drawIcons(HDC dc, const MenuItemRecord &r, const RECT &rc, UINT state) {
    bool selected = state & ODS_SELECTED, grayed = state & ODS_GRAYED, disabled = state & ODS_DISABLED,
         checked = state & ODS_CHECKED;
    int x = rc.left + 4, y = rc.top + 2;
    if (grayed) {
        HICON gray = disabled ? nullptr : grayIcon(r.icon);
        if (gray) {
            DrawIconEx(dc, x, y, gray, 0, 0, 0, nullptr, DI_NORMAL);
            DestroyIcon(gray);
        } else if (r.icon) {
            DrawIconEx(dc, x, y, r.icon, 0, 0, 0, nullptr, DI_NORMAL);
        }
    } else if (selected || checked) {
        HICON icon = r.activeIcon ? r.activeIcon : r.icon;
        if (icon) DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
    } else if (r.icon) {
        DrawIconEx(dc, x, y, r.icon, 0, 0, 0, nullptr, DI_NORMAL);
    }
    if (checked && !grayed) {
        HPEN pen = CreatePen(PS_SOLID, 1, r.frame);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, rc.left + 2, rc.top + 1, rc.left + 22, rc.bottom - 1);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
}

}  // namespace

int menumodMeasureItem(MEASUREITEMSTRUCT *measure) {
    if (!initialised) return result(-1);
    if (!measure || measure->CtlType != ODT_MENU) return result(-2);
    MenuItemRecord *r = recordOf(measure->itemData);
    if (!r) return result(-2);
    if (measure->itemID == 0) {
        measure->itemHeight = MENUMOD_SEPARATOR_HEIGHT;
        measure->itemWidth = 0;
        return result(0);
    }
    if (!r->label) return result(-2);
    SIZE normal = iconSize(r->icon), active = iconSize(r->activeIcon);
    LONG iconWidth = normal.cx > active.cx ? normal.cx : active.cx;
    LONG iconHeight = normal.cy > active.cy ? normal.cy : active.cy;
    HDC dc = GetDC(nullptr);
    SIZE text = textSize(dc, r->label, isDefaultItem(r->menu, measure->itemID) ? FW_SEMIBOLD : FW_NORMAL);
    ReleaseDC(nullptr, dc);
    LONG width = iconWidth > text.cx ? iconWidth : text.cx;
    // The item is as high as its icon or its text, whichever is higher, so a
    // text item without an icon still gets room for its line.
    LONG height = (iconHeight > text.cy ? iconHeight : text.cy) + 4;
    if (r->style & MENUMOD_STYLE_STRIP) width += MENUMOD_TEXT_INDENT;
    measure->itemWidth = static_cast<UINT>(width);
    measure->itemHeight = static_cast<UINT>(height);
    return result(0);
}

int menumodDrawItem(const DRAWITEMSTRUCT *draw) {
    if (!initialised) return result(-1);
    if (!draw || draw->CtlType != ODT_MENU || !draw->hDC) return result(-2);
    MenuItemRecord *r = recordOf(draw->itemData);
    if (!r) return result(-2);
    HDC dc = draw->hDC;
    const RECT rc = draw->rcItem;
    UINT state = draw->itemState;
    bool selected = state & ODS_SELECTED, grayed = state & ODS_GRAYED;
    int saved = SaveDC(dc);

    if (!selected || grayed) {
        fill(dc, rc, r->background);
    } else {
        HPEN pen = CreatePen(PS_SOLID, 1, r->frame);
        HBRUSH brush = CreateSolidBrush(r->selection);
        HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(brush);
        DeleteObject(pen);
    }
    if ((r->style & MENUMOD_STYLE_STRIP) && (!selected || grayed))
        fill(dc, RECT{rc.left, rc.top, rc.left + MENUMOD_STRIP_WIDTH, rc.bottom}, r->strip);
    if (r->style & MENUMOD_STYLE_ICONS) drawIcons(dc, *r, rc, state);

    int margin = (r->style & MENUMOD_STYLE_STRIP) ? MENUMOD_TEXT_INDENT : 0;
    if (r->label) {
        // The default item is bold, every other item normal: the same weights
        // the item was measured with, whatever font the context holds.
        bool isDefault = (state & ODS_DEFAULT) || isDefaultItem(r->menu, draw->itemID);
        int weight = isDefault ? FW_SEMIBOLD : FW_NORMAL;
        HFONT font = menuFont(weight);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetTextColor(dc, grayed ? r->grayText : r->text);
        SetBkMode(dc, TRANSPARENT);
        RECT textRect{rc.left + margin, rc.top + 2, rc.right, rc.bottom - 2};
        DrawTextA(dc, r->label, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | DT_LEFT);
        SelectObject(dc, oldFont);
        DeleteObject(font);
    } else {
        HPEN pen = CreatePen(PS_SOLID, 1, r->strip);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        int y = (rc.top + rc.bottom) / 2;
        MoveToEx(dc, rc.left + margin, y, nullptr);
        LineTo(dc, rc.right, y);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
    }
    RestoreDC(dc, saved);
    return result(0);
}

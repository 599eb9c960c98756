// Menus: handle-table objects that hold their items; Qt menus are built from
// them when a popup opens or a menu bar is drawn, so the items can change at
// any time (WM_INITMENUPOPUP comes just before a popup is built). A chosen
// command is posted to the owner window as WM_COMMAND, or returned by
// TrackPopupMenu with TPM_RETURNCMD.
#include "core/app.h"
#include "gdi/dc.h"
#include "shell/menu_capture.h"
#include "user/controls.h"
#include "user/queue.h"
#include "user/window.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPainter>
#include <QWidgetAction>

#include <cstring>
#include <mutex>

namespace platform::ui {
namespace {

struct MenuItem {
    UINT type = MFT_STRING;
    UINT state = 0;
    UINT id = 0;
    HMENU sub = nullptr;
    ULONG_PTR data = 0;
    std::string text;
    HBITMAP bitmap = nullptr;
};

class MenuObject : public PlatformObject {
public:
    explicit MenuObject(bool popup) : PlatformObject(ObjectType::Menu), popup(popup) {}
    const bool popup;
    std::vector<MenuItem> items;
};

std::recursive_mutex menuLock;  // menus are read by other threads (tray code)

std::shared_ptr<MenuObject> menuGet(HMENU h) {
    auto m = handleGet<MenuObject>(h);
    if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return m;
}

// The item of a command (searched through submenus) or position, and its menu.
MenuItem *findItem(HMENU h, UINT item, bool byPosition, std::shared_ptr<MenuObject> *owner = nullptr, int depth = 0) {
    auto m = menuGet(h);
    if (!m || depth > 16) return nullptr;
    if (byPosition) {
        if (item >= m->items.size()) return nullptr;
        if (owner) *owner = m;
        return &m->items[item];
    }
    for (MenuItem &i : m->items) {
        if (!i.sub && i.id == item && !(i.type & MFT_SEPARATOR)) {
            if (owner) *owner = m;
            return &i;
        }
    }
    for (MenuItem &i : m->items) {
        if (i.sub && i.id == item) {
            if (owner) *owner = m;
            return &i;
        }
        if (i.sub)
            if (MenuItem *found = findItem(i.sub, item, false, owner, depth + 1)) return found;
    }
    return nullptr;
}

// An item from the flags of AppendMenuA, InsertMenuA and ModifyMenuA.
MenuItem itemFromFlags(UINT flags, UINT_PTR idNew, LPCSTR newItem) {
    MenuItem i;
    if (flags & MF_POPUP) {
        i.sub = reinterpret_cast<HMENU>(idNew);
        i.id = static_cast<UINT>(-1);
    } else {
        i.id = static_cast<UINT>(idNew);
    }
    if (flags & MF_SEPARATOR) i.type = MFT_SEPARATOR;
    else if (flags & MF_OWNERDRAW) i.type = MFT_OWNERDRAW, i.data = reinterpret_cast<ULONG_PTR>(newItem);
    else if (flags & MF_BITMAP) i.type = MFT_BITMAP, i.bitmap = reinterpret_cast<HBITMAP>(const_cast<char *>(newItem));
    else if (newItem) i.text = newItem;
    if (flags & MF_MENUBREAK) i.type |= MFT_MENUBREAK;
    if (flags & MF_MENUBARBREAK) i.type |= MFT_MENUBARBREAK;
    if (flags & MF_RIGHTJUSTIFY) i.type |= MFT_RIGHTJUSTIFY;
    if (flags & (MF_GRAYED | MF_DISABLED)) i.state |= MFS_GRAYED;
    if (flags & MF_CHECKED) i.state |= MFS_CHECKED;
    return i;
}

// ---- Qt menus built from menu objects ---------------------------------------

struct TrackState {
    UINT chosen = 0;
};

void fillQMenu(QMenu *qm, HMENU h, HWND owner, TrackState *track, bool notify);

// An owner-drawn item: its size comes from WM_MEASUREITEM, its pixels from
// WM_DRAWITEM to the owner, with a context on the item's painter and the
// item's state (selected while it is the menu's active item).
class OwnerDrawnItem : public QWidget {
public:
    OwnerDrawnItem(const MenuItem &item, HMENU menu, HWND owner, QMenu *qm)
        : QWidget(nullptr), id_(item.id), state_(item.state), data_(item.data), menu_(menu), owner_(owner), qmenu_(qm) {
        MEASUREITEMSTRUCT mis{ODT_MENU, 0, item.id, 0, 0, item.data};
        SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
        size_ = QSize(static_cast<int>(mis.itemWidth), static_cast<int>(mis.itemHeight));
        if (size_.isEmpty()) size_ = QSize(120, fontMetrics().height() + 4);
        setMinimumSize(size_);
        setMouseTracking(true);
        QObject::connect(qm, &QMenu::hovered, this, [this] { update(); });
    }
    QSize sizeHint() const override { return size_; }
    void setAction(QAction *a) { action_ = a; }

protected:
    void paintEvent(QPaintEvent *) override {
        if (!IsWindow(owner_)) return;
        QPainter painter(this);
        HDC dc = gdiBeginPaint(&painter, owner_);
        if (!dc) return;
        UINT state = 0;
        // The menu makes the item under the pointer or chosen with the keys its active one.
        if (qmenu_ && action_ && qmenu_->activeAction() == action_) state |= ODS_SELECTED;
        if (state_ & MFS_GRAYED) state |= ODS_GRAYED | ODS_DISABLED;
        if (state_ & MFS_CHECKED) state |= ODS_CHECKED;
        if (state_ & MFS_DEFAULT) state |= ODS_DEFAULT;
        DRAWITEMSTRUCT dis{ODT_MENU, 0, id_, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(menu_), dc,
                           RECT{0, 0, width(), height()}, data_};
        SendMessageA(owner_, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
        gdiEndPaint(dc);
    }

private:
    UINT id_, state_;
    ULONG_PTR data_;
    HMENU menu_;
    HWND owner_;
    QPointer<QMenu> qmenu_;
    QAction *action_ = nullptr;
    QSize size_;
};

QAction *makeAction(QMenu *qm, HMENU menu, const MenuItem &item, HWND owner, TrackState *track, bool notify) {
    QAction *a;
    if (item.type & MFT_SEPARATOR) return qm->addSeparator();
    if (item.sub) {
        QMenu *sub = qm->addMenu(mnemonicText(item.text, false));
        HMENU subHandle = item.sub;
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, subHandle, owner, track, notify] {
            sub->clear();
            fillQMenu(sub, subHandle, owner, track, notify);
        });
        sub->addAction(QString());  // so the submenu shows its arrow before its first opening
        a = sub->menuAction();
    } else if (item.type & MFT_OWNERDRAW) {
        auto *wa = new QWidgetAction(qm);
        auto *drawn = new OwnerDrawnItem(item, menu, owner, qm);
        drawn->setAction(wa);
        wa->setDefaultWidget(drawn);
        qm->addAction(wa);
        a = wa;
    } else {
        a = qm->addAction(mnemonicText(item.text, false));
        if (item.type & MFT_BITMAP) a->setIcon(QIcon(pixmapFromBitmap(item.bitmap)));
    }
    a->setEnabled(!(item.state & MFS_GRAYED));
    if (item.state & MFS_CHECKED) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    if (item.state & MFS_DEFAULT) qm->setDefaultAction(a);
    if (!item.sub) {
        UINT id = item.id;
        QObject::connect(a, &QAction::triggered, qm, [track, owner, id] {
            if (track) track->chosen = id;
            else if (IsWindow(owner)) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        });
    }
    return a;
}

void fillQMenu(QMenu *qm, HMENU h, HWND owner, TrackState *track, bool notify) {
    if (notify && owner) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(h), 0);
    std::vector<MenuItem> items;
    {
        std::lock_guard<std::recursive_mutex> g(menuLock);
        auto m = handleGet<MenuObject>(h);
        if (!m) return;
        items = m->items;
    }
    for (const MenuItem &i : items) makeAction(qm, h, i, owner, track, notify);
}

thread_local QPointer<QMenu> activePopup;

void buildMenuBar(HWND hwnd) {
    auto w = windowGet(hwnd);
    if (!w || !w->widget || !w->widget->layout()) return;
    QLayout *layout = w->widget->layout();
    auto *bar = qobject_cast<QMenuBar *>(layout->menuBar());
    if (!w->menu) {
        if (bar) {
            layout->setMenuBar(nullptr);
            bar->deleteLater();
        }
        return;
    }
    if (!bar) {
        bar = new QMenuBar(w->widget);
        bar->setNativeMenuBar(false);
        layout->setMenuBar(bar);
        bar->show();
    }
    bar->clear();
    struct Relayout {
        QLayout *layout;
        ~Relayout() { layout->activate(); }  // the client area is below the bar at once
    } relayout{layout};
    std::vector<MenuItem> items;
    {
        std::lock_guard<std::recursive_mutex> g(menuLock);
        auto m = handleGet<MenuObject>(w->menu);
        if (m) items = m->items;
    }
    for (const MenuItem &item : items) {
        if (item.sub) {
            QMenu *sub = bar->addMenu(mnemonicText(item.text, false));
            HMENU subHandle = item.sub;
            sub->setEnabled(!(item.state & MFS_GRAYED));
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, subHandle, hwnd] {
                sub->clear();
                fillQMenu(sub, subHandle, hwnd, nullptr, true);
            });
            sub->addAction(QString());
        } else if (!(item.type & MFT_SEPARATOR)) {
            QAction *a = bar->addAction(mnemonicText(item.text, false));
            a->setEnabled(!(item.state & MFS_GRAYED));
            UINT id = item.id;
            QObject::connect(a, &QAction::triggered, bar, [hwnd, id] { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); });
        }
    }
}

void destroyMenuTree(HMENU h, int depth) {
    auto m = handleGet<MenuObject>(h);
    if (!m || depth > 16) return;
    handleRemove(handleValue(h));
    for (const MenuItem &i : m->items)
        if (i.sub) destroyMenuTree(i.sub, depth + 1);
}

// MENU resources: a header of two words, then items. A popup is its flags
// (MF_POPUP) and text, followed by its own items; a command is flags, id and
// text. MF_END marks the last item of each level.
bool parseMenu(const uint8_t *p, size_t size, size_t *pos, HMENU into, int depth) {
    if (depth > 16) return false;
    for (;;) {
        auto u16 = [&](uint16_t *v) {
            if (*pos + 2 > size) return false;
            std::memcpy(v, p + *pos, 2);
            *pos += 2;
            return true;
        };
        uint16_t flags, id = 0;
        if (!u16(&flags)) return false;
        if (!(flags & MF_POPUP) && !u16(&id)) return false;
        QString text;
        for (uint16_t c;;) {
            if (!u16(&c)) return false;
            if (!c) break;
            text.append(QChar(c));
        }
        std::string t = toAnsi(text);
        UINT itemFlags = flags & ~static_cast<UINT>(MF_END);
        if (flags & MF_POPUP) {
            HMENU sub = CreatePopupMenu();
            if (!parseMenu(p, size, pos, sub, depth + 1)) {
                DestroyMenu(sub);
                return false;
            }
            AppendMenuA(into, itemFlags, reinterpret_cast<UINT_PTR>(sub), t.c_str());
        } else if (t.empty() && id == 0 && !(flags & ~MF_END)) {
            AppendMenuA(into, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(into, itemFlags, id, t.c_str());
        }
        if (flags & MF_END) return true;
    }
}

// MENUITEMINFOA fields into an item, as its mask says.
void applyInfo(MenuItem &i, const MENUITEMINFOA &mii) {
    if (mii.fMask & MIIM_FTYPE) i.type = mii.fType;
    if (mii.fMask & MIIM_TYPE) {
        i.type = mii.fType;
        if (mii.fType & MFT_BITMAP) i.bitmap = reinterpret_cast<HBITMAP>(mii.dwTypeData);
        else if (!(mii.fType & (MFT_SEPARATOR | MFT_OWNERDRAW))) i.text = mii.dwTypeData ? mii.dwTypeData : "";
    }
    if (mii.fMask & MIIM_STRING) i.text = mii.dwTypeData ? mii.dwTypeData : "";
    if (mii.fMask & MIIM_STATE) i.state = mii.fState;
    if (mii.fMask & MIIM_ID) i.id = mii.wID;
    if (mii.fMask & MIIM_SUBMENU) i.sub = mii.hSubMenu;
    if (mii.fMask & MIIM_DATA) i.data = mii.dwItemData;
    if ((mii.fMask & MIIM_BITMAP) && mii.cbSize >= sizeof(MENUITEMINFOA)) i.bitmap = mii.hbmpItem;
}

}  // namespace

void menuDestroyedWindow(HWND hwnd) {
    auto w = windowGet(hwnd);
    if (w && w->menu) {
        DestroyMenu(w->menu);
        w->menu = nullptr;
    }
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

extern "C" {

WINUSERAPI HMENU WINAPI CreateMenu(void) { return handleNew<HMENU>(std::make_shared<MenuObject>(false)); }

WINUSERAPI HMENU WINAPI CreatePopupMenu(void) { return handleNew<HMENU>(std::make_shared<MenuObject>(true)); }

WINUSERAPI BOOL WINAPI IsMenu(HMENU hMenu) { return handleGet<MenuObject>(hMenu) != nullptr; }

WINUSERAPI BOOL WINAPI DestroyMenu(HMENU hMenu) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    if (!menuGet(hMenu)) return FALSE;
    destroyMenuTree(hMenu, 0);
    return TRUE;
}

WINUSERAPI BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    auto m = menuGet(hMenu);
    if (!m) return FALSE;
    if ((uFlags & MF_POPUP) && !handleGet<MenuObject>(reinterpret_cast<HMENU>(uIDNewItem))) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    MenuItem item = itemFromFlags(uFlags, uIDNewItem, lpNewItem);
    if (uFlags & MF_BYPOSITION) {
        size_t at = uPosition >= m->items.size() ? m->items.size() : uPosition;
        m->items.insert(m->items.begin() + static_cast<ptrdiff_t>(at), item);
        return TRUE;
    }
    std::shared_ptr<MenuObject> owner;
    MenuItem *before = findItem(hMenu, uPosition, false, &owner);
    if (!before) {
        m->items.push_back(item);  // an unknown command appends, as on Windows
        return TRUE;
    }
    owner->items.insert(owner->items.begin() + (before - owner->items.data()), item);
    return TRUE;
}

WINUSERAPI BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    return InsertMenuA(hMenu, static_cast<UINT>(-1), (uFlags & ~static_cast<UINT>(MF_BYCOMMAND)) | MF_BYPOSITION,
                       uIDNewItem, lpNewItem);
}

WINUSERAPI BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = findItem(hMnu, uPosition, uFlags & MF_BYPOSITION);
    if (!i) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    MenuItem n = itemFromFlags(uFlags, uIDNewItem, lpNewItem);
    if (i->sub && !n.sub && i->sub != n.sub) DestroyMenu(i->sub);
    n.state |= i->state & MFS_DEFAULT;
    *i = n;
    return TRUE;
}

WINUSERAPI BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    std::shared_ptr<MenuObject> owner;
    MenuItem *i = findItem(hMenu, uPosition, uFlags & MF_BYPOSITION, &owner);
    if (!i) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    owner->items.erase(owner->items.begin() + (i - owner->items.data()));
    return TRUE;
}

WINUSERAPI BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = findItem(hMenu, uPosition, uFlags & MF_BYPOSITION);
    if (!i) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    HMENU sub = i->sub;
    RemoveMenu(hMenu, uPosition, uFlags);
    if (sub) DestroyMenu(sub);
    return TRUE;
}

WINUSERAPI DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = findItem(hMenu, uIDCheckItem, uCheck & MF_BYPOSITION);
    if (!i) return static_cast<DWORD>(-1);
    DWORD old = i->state & MFS_CHECKED;
    if (uCheck & MF_CHECKED) i->state |= MFS_CHECKED;
    else i->state &= ~static_cast<UINT>(MFS_CHECKED);
    return old;
}

WINUSERAPI BOOL WINAPI CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    auto m = menuGet(hmenu);
    if (!m) return FALSE;
    bool found = false;
    for (size_t p = 0; p < m->items.size(); ++p) {
        MenuItem &i = m->items[p];
        UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(p) : i.id;
        if (key < first || key > last) continue;
        i.type |= MFT_RADIOCHECK;
        if (key == check) i.state |= MFS_CHECKED, found = true;
        else i.state &= ~static_cast<UINT>(MFS_CHECKED);
    }
    return found;
}

WINUSERAPI BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = findItem(hMenu, uIDEnableItem, uEnable & MF_BYPOSITION);
    if (!i) return -1;
    BOOL old = static_cast<BOOL>(i->state & MFS_GRAYED);
    if (uEnable & (MF_GRAYED | MF_DISABLED)) i->state |= MFS_GRAYED;
    else i->state &= ~static_cast<UINT>(MFS_GRAYED);
    return old;
}

WINUSERAPI BOOL WINAPI SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    auto m = menuGet(hMenu);
    if (!m) return FALSE;
    MenuItem *target = uItem == static_cast<UINT>(-1) ? nullptr : findItem(hMenu, uItem, fByPos);
    if (uItem != static_cast<UINT>(-1) && !target) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    for (MenuItem &i : m->items) i.state &= ~static_cast<UINT>(MFS_DEFAULT);
    if (target) target->state |= MFS_DEFAULT;
    return TRUE;
}

WINUSERAPI UINT WINAPI GetMenuDefaultItem(HMENU hMenu, UINT fByPos, UINT) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    auto m = menuGet(hMenu);
    if (!m) return static_cast<UINT>(-1);
    for (size_t p = 0; p < m->items.size(); ++p)
        if (m->items[p].state & MFS_DEFAULT) return fByPos ? static_cast<UINT>(p) : m->items[p].id;
    return static_cast<UINT>(-1);
}

WINUSERAPI UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = findItem(hMenu, uId, uFlags & MF_BYPOSITION);
    if (!i) return static_cast<UINT>(-1);
    UINT s = i->state | (i->type & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP));
    if (i->sub) {
        auto m = handleGet<MenuObject>(i->sub);
        s = (s & 0xFF) | MF_POPUP | (m ? static_cast<UINT>(m->items.size()) << 8 : 0);
    }
    return s;
}

WINUSERAPI int WINAPI GetMenuItemCount(HMENU hMenu) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    auto m = menuGet(hMenu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

WINUSERAPI UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = nPos < 0 ? nullptr : findItem(hMenu, static_cast<UINT>(nPos), true);
    return !i || i->sub ? static_cast<UINT>(-1) : i->id;
}

WINUSERAPI HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = nPos < 0 ? nullptr : findItem(hMenu, static_cast<UINT>(nPos), true);
    return i ? i->sub : nullptr;
}

WINUSERAPI int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    MenuItem *i = findItem(hMenu, uIDItem, flags & MF_BYPOSITION);
    if (!i) return 0;
    if (!lpString) return static_cast<int>(i->text.size());
    return copyText(i->text, lpString, cchMax);
}

WINUSERAPI BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA mii) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    if (!mii || mii->cbSize < offsetof(MENUITEMINFOA, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MenuItem *i = findItem(hmenu, item, fByPosition);
    if (!i) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    if (mii->fMask & (MIIM_TYPE | MIIM_FTYPE)) mii->fType = i->type;
    if (mii->fMask & MIIM_STATE) mii->fState = i->state;
    if (mii->fMask & MIIM_ID) mii->wID = i->id;
    if (mii->fMask & MIIM_SUBMENU) mii->hSubMenu = i->sub;
    if (mii->fMask & MIIM_DATA) mii->dwItemData = i->data;
    if (mii->fMask & MIIM_CHECKMARKS) mii->hbmpChecked = mii->hbmpUnchecked = nullptr;
    if ((mii->fMask & MIIM_BITMAP) && mii->cbSize >= sizeof(MENUITEMINFOA)) mii->hbmpItem = i->bitmap;
    bool wantsText = (mii->fMask & MIIM_STRING) || ((mii->fMask & MIIM_TYPE) && !(i->type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)));
    if (wantsText) {
        // cch is the buffer size on the way in and the text length on the way out.
        if (mii->dwTypeData && mii->cch > 0) copyText(i->text, mii->dwTypeData, static_cast<int>(mii->cch));
        mii->cch = static_cast<UINT>(i->text.size());
    } else if ((mii->fMask & MIIM_TYPE) && (i->type & MFT_BITMAP)) {
        mii->dwTypeData = reinterpret_cast<LPSTR>(i->bitmap);
    }
    return TRUE;
}

WINUSERAPI BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA mii) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    if (!mii || mii->cbSize < offsetof(MENUITEMINFOA, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MenuItem *i = findItem(hmenu, item, fByPosition);
    if (!i) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    applyInfo(*i, *mii);
    return TRUE;
}

WINUSERAPI BOOL WINAPI InsertMenuItemA(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOA mii) {
    std::lock_guard<std::recursive_mutex> g(menuLock);
    auto m = menuGet(hmenu);
    if (!m || !mii || mii->cbSize < offsetof(MENUITEMINFOA, hbmpItem)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    MenuItem n;
    applyInfo(n, *mii);
    std::shared_ptr<MenuObject> owner = m;
    size_t at = m->items.size();
    if (fByPosition) {
        at = std::min<size_t>(item, m->items.size());
    } else if (MenuItem *before = findItem(hmenu, item, false, &owner)) {
        at = static_cast<size_t>(before - owner->items.data());
    }
    owner->items.insert(owner->items.begin() + static_cast<ptrdiff_t>(at), n);
    return TRUE;
}

WINUSERAPI HMENU WINAPI GetMenu(HWND hWnd) {
    auto w = windowGet(hWnd);
    return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

WINUSERAPI BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu) {
    auto w = windowGet(hWnd);
    if (!w || (w->style & WS_CHILD)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (hMenu && !IsMenu(hMenu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    w->menu = hMenu;
    onUiThread([hWnd] { buildMenuBar(hWnd); });
    return TRUE;
}

WINUSERAPI BOOL WINAPI DrawMenuBar(HWND hWnd) {
    if (!GetMenu(hWnd)) return FALSE;
    onUiThread([hWnd] { buildMenuBar(hWnd); });
    return TRUE;
}

WINUSERAPI BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT *) {
    if (!IsMenu(hMenu) || !IsWindow(hWnd)) {
        SetLastError(!IsMenu(hMenu) ? ERROR_INVALID_MENU_HANDLE : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The notification area is taking this menu for a panel: nothing shows.
    if (shell::trayMenuCaptured(hMenu, hWnd)) return (uFlags & TPM_RETURNCMD) ? FALSE : TRUE;
    if (activePopup) {
        SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return FALSE;
    }
    bool notify = !(uFlags & TPM_NONOTIFY);
    if (notify) SendMessageA(hWnd, WM_ENTERMENULOOP, TRUE, 0);
    TrackState track;
    QMenu menu;
    activePopup = &menu;
    fillQMenu(&menu, hMenu, hWnd, &track, notify);
    QSize size = menu.sizeHint();
    QPoint at(x, y);
    if (uFlags & TPM_RIGHTALIGN) at.rx() -= size.width();
    else if (uFlags & TPM_CENTERALIGN) at.rx() -= size.width() / 2;
    if (uFlags & TPM_BOTTOMALIGN) at.ry() -= size.height();
    else if (uFlags & TPM_VCENTERALIGN) at.ry() -= size.height() / 2;
    menu.popup(at);
    runModalLoop([&] { return !menu.isVisible(); });
    activePopup = nullptr;
    if (notify) SendMessageA(hWnd, WM_EXITMENULOOP, TRUE, 0);
    if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(track.chosen);
    if (track.chosen && IsWindow(hWnd)) PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(track.chosen, 0), 0);
    return TRUE;
}

WINUSERAPI BOOL WINAPI EndMenu(void) {
    if (!activePopup) return FALSE;
    activePopup->close();
    return TRUE;
}

WINUSERAPI HMENU WINAPI LoadMenuIndirectA(const void *lpMenuTemplate) {
    if (!lpMenuTemplate) return nullptr;
    const auto *p = static_cast<const uint8_t *>(lpMenuTemplate);
    uint16_t version, offset;
    std::memcpy(&version, p, 2);
    std::memcpy(&offset, p + 2, 2);
    if (version != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HMENU m = CreateMenu();
    size_t pos = 4 + offset;
    // Templates in memory carry no size: the items end the walk.
    if (!parseMenu(p, 1 << 20, &pos, m, 0)) {
        DestroyMenu(m);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return m;
}

WINUSERAPI HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName) {
    HRSRC res = FindResourceA(hInstance, lpMenuName, RT_MENU);
    if (!res) return nullptr;
    HGLOBAL data = LoadResource(hInstance, res);
    const auto *p = data ? static_cast<const uint8_t *>(LockResource(data)) : nullptr;
    DWORD size = SizeofResource(hInstance, res);
    if (!p || size < 4) return nullptr;
    uint16_t version, offset;
    std::memcpy(&version, p, 2);
    std::memcpy(&offset, p + 2, 2);
    size_t pos = 4 + static_cast<size_t>(offset);
    if (version != 0 || pos > size) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    HMENU m = CreateMenu();
    if (!parseMenu(p, size, &pos, m, 0)) {
        DestroyMenu(m);
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return m;
}

}  // extern "C"

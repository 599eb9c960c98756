#include "settings_helpers.h"

#include <prsht.h>

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <gd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace galleonui {

namespace {

QWidget* widgetOf(HWND hwnd) {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

POINT rowPoint(HWND list, int row) {
    RECT r{};
    r.left = LVIR_LABEL;
    ListView_GetItemRect(list, row, &r, LVIR_LABEL);
    return POINT{r.left + 4, (r.top + r.bottom) / 2};
}

// What every menumod drawing record begins with (Part 2.5: style, icon,
// active icon, ...).
struct MenuRecordPrefix {
    DWORD style;
    HICON icon;
    HICON activeIcon;
};

struct Catcher {
    HWND window = nullptr;
    WNDPROC previous = nullptr;
    int choose = -1;
    std::string shotName;
    std::function<void(const std::vector<MenuItemSeen>&)> inspect;
    HMENU menu = nullptr;
    std::vector<MenuItemSeen> items;
    bool done = false;
    UINT_PTR timer = 0;
};

Catcher* g_catcher = nullptr;

std::vector<MenuItemSeen> readMenu(HMENU menu) {
    std::vector<MenuItemSeen> items;
    int n = GetMenuItemCount(menu);
    UINT def = GetMenuDefaultItem(menu, FALSE, 0);
    for (int pos = 0; pos < n; ++pos) {
        char text[256] = "";
        MENUITEMINFOA mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mii);
        MenuItemSeen seen;
        seen.id = mii.wID;
        seen.text = text;
        seen.separator = (mii.fType & MFT_SEPARATOR) != 0;
        seen.grayed = (mii.fState & MFS_GRAYED) != 0;
        seen.isDefault = def != static_cast<UINT>(-1) && def == mii.wID && !seen.separator;
        seen.ownerDrawn = (mii.fType & MFT_OWNERDRAW) != 0;
        if (seen.ownerDrawn && mii.dwItemData) {
            auto* record = reinterpret_cast<const MenuRecordPrefix*>(mii.dwItemData);
            seen.icon = record->icon;
            seen.activeIcon = record->activeIcon;
        }
        items.push_back(seen);
    }
    return items;
}

LRESULT CALLBACK catcherProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Catcher* c = g_catcher;
    if (c && hwnd == c->window && message == WM_INITMENUPOPUP && !c->menu) {
        c->menu = reinterpret_cast<HMENU>(wParam);
        c->items = readMenu(c->menu);
        if (c->inspect) c->inspect(c->items);
    }
    WNDPROC previous = c && hwnd == c->window ? c->previous : nullptr;
    return previous ? CallWindowProcA(previous, hwnd, message, wParam, lParam) : 0;
}

void CALLBACK catcherTick(HWND, UINT, UINT_PTR, DWORD) {
    Catcher* c = g_catcher;
    if (!c || c->done || !c->menu) return;
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    c->done = true;
    if (!c->shotName.empty()) {
        std::string dir = std::string(SUITE_BINARY_DIR) + "/screenshots/galleon";
        std::system(("mkdir -p '" + dir + "'").c_str());
        menu->grab().save(QString::fromStdString(dir + "/" + c->shotName + ".png"));
    }
    QList<QAction*> actions = menu->actions();
    if (c->choose >= 0 && c->choose < actions.size()) {
        QAction* a = actions[c->choose];
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(a).center());
        if (menu->isVisible()) a->trigger(), menu->close();
    } else {
        QTest::keyClick(menu, Qt::Key_Escape);
        if (menu->isVisible()) menu->close();
    }
}

}  // namespace

void clickRow(HWND list, int row) {
    POINT p = rowPoint(list, row);
    uiinput::clickAt(list, p.x, p.y);
}

void rightClickRow(HWND list, int row) {
    POINT p = rowPoint(list, row);
    QWidget* w = widgetOf(list);
    if (!w) return;
    QPoint at(p.x, p.y);
    if (QWidget* inner = w->childAt(at)) {
        at = inner->mapFrom(w, at);
        w = inner;
    }
    QTest::mouseClick(w, Qt::RightButton, Qt::NoModifier, at);
}

void doubleClickRow(HWND list, int row) {
    POINT p = rowPoint(list, row);
    uiinput::doubleClickAt(list, p.x, p.y);
}

void clickHeader(HWND list, int column) {
    HWND header = ListView_GetHeader(list);
    RECT r{};
    Header_GetItemRect(header, column, &r);
    uiinput::clickAt(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

int headerImage(HWND list, int column) {
    HWND header = ListView_GetHeader(list);
    HDITEMA item{};
    item.mask = HDI_IMAGE | HDI_FORMAT;
    if (!Header_GetItem(header, column, &item)) return -1;
    return (item.fmt & HDF_IMAGE) ? item.iImage : -1;
}

MenuCatcher::MenuCatcher(HWND window, int choose, std::string shotName,
                         std::function<void(const std::vector<MenuItemSeen>&)> inspect) {
    auto* c = new Catcher{};
    c->window = window;
    c->choose = choose;
    c->shotName = std::move(shotName);
    c->inspect = std::move(inspect);
    c->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(catcherProc)));
    c->timer = SetTimer(nullptr, 0, 15, catcherTick);
    g_catcher = c;
}

MenuCatcher::~MenuCatcher() {
    Catcher* c = g_catcher;
    g_catcher = nullptr;
    if (!c) return;
    KillTimer(nullptr, c->timer);
    if (IsWindow(c->window)) SetWindowLongPtrA(c->window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(c->previous));
    delete c;
}

bool MenuCatcher::done() const { return g_catcher && g_catcher->done; }

const std::vector<MenuItemSeen>& MenuCatcher::items() const {
    static const std::vector<MenuItemSeen> none;
    return g_catcher ? g_catcher->items : none;
}

HICON pluginIcon(HMODULE module, int id) {
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
}

namespace {

std::string shellLogPath() {
    static std::string path = [] {
        char pattern[] = "/tmp/galleon-shell-XXXXXX";
        int fd = mkstemp(pattern);
        if (fd >= 0) close(fd);
        setenv("PLATFORM_SHELL_OPEN_LOG", pattern, 1);
        return std::string(pattern);
    }();
    return path;
}

}  // namespace

std::vector<std::string> shellOpened() {
    std::ifstream in(shellLogPath());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void resetShellLog() { std::ofstream(shellLogPath(), std::ios::trunc); }

void shot(HWND window, const std::string& name) {
    uiinput::screenshotFolder() = "galleon";
    uiinput::screenshot(window, name);
}

bool dropFiles(HWND window, const std::vector<std::string>& paths) {
    QWidget* target = widgetOf(window);
    if (!target) return false;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
    QMimeData data;
    data.setUrls(urls);
    QPoint at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    // WM_DROPFILES is posted: let it arrive.
    uiinput::pumpUntil([] { return false; }, 150);
    return drop.isAccepted();
}

void writeJpeg(const std::string& path, int w, int h) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) gdImageSetPixel(im, x, y, gdTrueColor((x * 255) / w, (y * 255) / h, 128));
    int size = 0;
    void* bytes = gdImageJpegPtr(im, &size, 90);
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(bytes), size);
    gdFree(bytes);
    gdImageDestroy(im);
}

std::string todayFolder() {
    static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    SYSTEMTIME now;
    GetLocalTime(&now);
    return std::string(months[now.wMonth - 1]) + " " + std::to_string(now.wDay) + ", " + std::to_string(now.wYear);
}

namespace {

struct BesideStep {
    std::string caption;
    HWND exclude = nullptr;
    std::function<void(HWND)> step;
    UINT_PTR timer = 0;
};
BesideStep* g_beside = nullptr;

void CALLBACK besideTick(HWND, UINT, UINT_PTR, DWORD) {
    BesideStep* b = g_beside;
    if (!b) return;
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, b->caption.c_str()); w;
         w = FindWindowExA(nullptr, w, nullptr, b->caption.c_str())) {
        if (w == b->exclude || !IsWindowVisible(w)) continue;
        g_beside = nullptr;
        KillTimer(nullptr, b->timer);
        b->step(w);
        delete b;
        return;
    }
}

}  // namespace

void whenShownBeside(const char* caption, HWND exclude, std::function<void(HWND)> step) {
    delete g_beside;
    g_beside = new BesideStep{caption, exclude, std::move(step), 0};
    g_beside->timer = SetTimer(nullptr, 0, 20, besideTick);
}

bool besideStepPending() { return g_beside != nullptr; }

HWND currentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void clickTab(HWND sheet, int index) {
    HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    QWidget* w = widgetOf(tab);
    QTabBar* bar = w ? qobject_cast<QTabBar*>(w) : nullptr;
    if (w && !bar) bar = w->findChild<QTabBar*>();
    if (bar && index < bar->count()) {
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    } else {
        ADD_FAILURE() << "no tab bar in the sheet";
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    MSG m;
    for (int i = 0; i < 100 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

}  // namespace galleonui

// Input through Qt's test library on the widgets behind the windows.
#include "real_input.h"

#include <commctrl.h>

#include <cstring>

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>

namespace settingstest {

namespace {

QWidget *widgetOf(HWND hwnd) {
    QWidget *found = nullptr;
    for (QWidget *w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

// Delivers the key and mouse messages the input queued.
void settleInput() {
    MSG m;
    for (int i = 0; i < 1000 && (PeekMessageA(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
                                 PeekMessageA(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
         ++i) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void clickAt(HWND window, QPoint p) {
    QWidget *w = widgetOf(window);
    if (!w) return;
    if (QWidget *inner = w->childAt(p)) {
        p = inner->mapFrom(w, p);
        w = inner;
    }
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
    settleInput();
}

QString plain(const std::string &text) { return QString::fromStdString(text).remove(QLatin1Char('&')); }

QAction *actionNamed(const QList<QAction *> &actions, const std::string &text) {
    for (QAction *a : actions)
        if (QString(a->text()).remove(QLatin1Char('&')) == plain(text)) return a;
    return nullptr;
}

}  // namespace

void clickNow(HWND window) {
    if (QWidget *w = widgetOf(window)) clickAt(window, w->rect().center());
}

void pressF1(HWND control) {
    SetFocus(control);
    if (QWidget *w = widgetOf(control)) QTest::keyClick(w, Qt::Key_F1);
    settleInput();
}

void typeInto(HWND control, const std::string &text) {
    SetFocus(control);
    if (QWidget *w = widgetOf(control)) QTest::keyClicks(w, QString::fromStdString(text));
    settleInput();
}

bool clickTreeEntry(HWND tree, const std::string &text, int occurrence) {
    auto next = [tree](HTREEITEM item, UINT how) {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    };
    for (HTREEITEM item = next(nullptr, TVGN_ROOT); item; item = next(item, TVGN_NEXTVISIBLE)) {
        char buf[128] = "";
        TVITEMA it{};
        it.mask = TVIF_TEXT;
        it.hItem = item;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        if (text != buf || occurrence-- != 0) continue;
        RECT r{};
        std::memcpy(&r, &item, sizeof item);  // the item goes in, its rectangle comes out
        if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return false;
        clickAt(tree, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        return true;
    }
    return false;
}

bool chooseFromMenuBar(HWND window, const std::string &popup, const std::string &item, const std::string &shot) {
    QWidget *w = widgetOf(window);
    QMenuBar *bar = w ? w->window()->findChild<QMenuBar *>() : nullptr;
    if (!bar) return false;
    QAction *entry = actionNamed(bar->actions(), popup);
    if (!entry || !entry->menu()) return false;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->actionGeometry(entry).center());
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu || menu != entry->menu()) return false;
    QAction *chosen = actionNamed(menu->actions(), item);
    if (!chosen) {
        menu->close();
        return false;
    }
    if (!shot.empty()) menu->grab().save(QString::fromStdString(shot));
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(chosen).center());
    return true;
}

}  // namespace settingstest

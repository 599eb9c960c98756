// SysTabControl32: a QTabBar above a framed display area. A click on a tab
// asks the parent first (TCN_SELCHANGING, which may refuse), then reports
// the change (TCN_SELCHANGE); TCM_SETCURSEL changes quietly, as on Windows.
#include "user/controls.h"

#include <commctrl.h>

#include <QFrame>
#include <QIcon>
#include <QResizeEvent>
#include <QTabBar>

#include <vector>

namespace platform::ui {
namespace {

class TabWidget : public QWidget {
public:
    TabWidget(HWND hwnd, QWidget *parent) : QWidget(parent), hwnd_(hwnd), bar(new QTabBar(this)), frame(new QFrame(this)) {
        bar->setDrawBase(false);
        bar->setExpanding(false);
        bar->setUsesScrollButtons(true);
        frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
        frame->lower();
        QObject::connect(bar, &QTabBar::currentChanged, this, [this](int index) { changed(index); });
    }

    // The display area below the tabs, in the control's coordinates.
    QRect display() const {
        int top = bar->count() ? bar->sizeHint().height() : 0;
        return QRect(0, top, width(), height() - top).adjusted(2, 2, -2, -2);
    }

    std::vector<LPARAM> params;
    HIMAGELIST images = nullptr;
    int current = -1;  // the selection the parent has agreed to
    bool quiet = false;

protected:
    void resizeEvent(QResizeEvent *) override { layout(); }

private:
    friend LRESULT CALLBACK tabControlProc(HWND, UINT, WPARAM, LPARAM);

    void layout() {
        int top = bar->count() ? bar->sizeHint().height() : 0;
        bar->setGeometry(0, 0, width(), top);
        frame->setGeometry(0, std::max(0, top - 1), width(), height() - std::max(0, top - 1));
    }

    LRESULT notify(UINT code) {
        HWND parent = GetParent(hwnd_);
        if (!parent) return 0;
        NMHDR hdr{hwnd_, static_cast<UINT_PTR>(GetWindowLongPtrA(hwnd_, GWLP_ID)), code};
        return SendMessageA(parent, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
    }

    void changed(int index) {
        if (quiet || index == current) return;
        // Qt has already moved the tab; put it back while the parent decides.
        int wanted = index;
        setQuietly(current);
        if (current >= 0 && notify(TCN_SELCHANGING)) return;
        if (!IsWindow(hwnd_)) return;
        setQuietly(wanted);
        current = wanted;
        notify(TCN_SELCHANGE);
    }

public:
    void setQuietly(int index) {
        quiet = true;
        bar->setCurrentIndex(index);
        quiet = false;
    }
    void relayout() { layout(); }

    HWND hwnd_;
    QTabBar *bar;
    QFrame *frame;
};

TabWidget *tabOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<TabWidget *>(w->widget.data()) : nullptr;
}

QWidget *createTabControl(WindowObject &w, QWidget *parent) {
    auto *t = new TabWidget(w.hwnd, parent);
    applyTabStop(t->bar, static_cast<DWORD>(w.style.load()) | WS_TABSTOP);
    return t;
}

void setItem(TabWidget *t, int index, const TCITEMA &item) {
    if (item.mask & TCIF_TEXT) t->bar->setTabText(index, mnemonicText(item.pszText ? item.pszText : "", false));
    if (item.mask & TCIF_PARAM) t->params[static_cast<size_t>(index)] = item.lParam;
    if ((item.mask & TCIF_IMAGE) && t->images && item.iImage >= 0) {
        if (HICON icon = ImageList_GetIcon(t->images, item.iImage, 0)) {
            t->bar->setTabIcon(index, QIcon(pixmapFromIcon(icon)));
            DestroyIcon(icon);
        }
    }
}

}  // namespace

LRESULT CALLBACK tabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TabWidget *t = tabOf(hwnd);
    if (!t) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case TCM_GETITEMCOUNT: return t->bar->count();
    case TCM_INSERTITEMA: {
        auto *item = reinterpret_cast<const TCITEMA *>(lParam);
        if (!item) return -1;
        int index = std::clamp(static_cast<int>(wParam), 0, t->bar->count());
        t->quiet = true;
        t->bar->insertTab(index, QString());
        t->quiet = false;
        t->params.insert(t->params.begin() + index, 0);
        setItem(t, index, *item);
        if (t->current >= index && t->bar->count() > 1) ++t->current;
        if (t->current < 0) t->current = 0;
        t->setQuietly(t->current);
        t->relayout();
        return index;
    }
    case TCM_SETITEMA: {
        auto *item = reinterpret_cast<const TCITEMA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!item || index < 0 || index >= t->bar->count()) return FALSE;
        setItem(t, index, *item);
        return TRUE;
    }
    case TCM_GETITEMA: {
        auto *item = reinterpret_cast<TCITEMA *>(lParam);
        int index = static_cast<int>(wParam);
        if (!item || index < 0 || index >= t->bar->count()) return FALSE;
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0)
            copyText(toAnsi(t->bar->tabText(index)), item->pszText, item->cchTextMax);
        if (item->mask & TCIF_PARAM) item->lParam = t->params[static_cast<size_t>(index)];
        return TRUE;
    }
    case TCM_DELETEITEM: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= t->bar->count()) return FALSE;
        t->quiet = true;
        t->bar->removeTab(index);
        t->quiet = false;
        t->params.erase(t->params.begin() + index);
        if (t->current == index) t->current = t->bar->count() ? std::min(index, t->bar->count() - 1) : -1;
        else if (t->current > index) --t->current;
        t->setQuietly(t->current);
        t->relayout();
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        t->quiet = true;
        while (t->bar->count()) t->bar->removeTab(0);
        t->quiet = false;
        t->params.clear();
        t->current = -1;
        t->relayout();
        return TRUE;
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS: return t->current;
    case TCM_SETCURSEL:
    case TCM_SETCURFOCUS: {
        int index = static_cast<int>(wParam), old = t->current;
        if (index < 0 || index >= t->bar->count()) return -1;
        t->current = index;
        t->setQuietly(index);
        return old;
    }
    case TCM_SETIMAGELIST: {
        HIMAGELIST old = t->images;
        t->images = reinterpret_cast<HIMAGELIST>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETIMAGELIST: return reinterpret_cast<LRESULT>(t->images);
    case TCM_ADJUSTRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r) return 0;
        QRect d = t->display();
        int top = d.top(), left = d.left(), right = t->width() - d.right() - 1, bottom = t->height() - d.bottom() - 1;
        if (wParam) r->left -= left, r->top -= top, r->right += right, r->bottom += bottom;
        else r->left += left, r->top += top, r->right -= right, r->bottom -= bottom;
        return 0;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

namespace {
PredefinedClassRegistrar tabRegistrar{{WC_TABCONTROLA, tabControlProc, createTabControl, CS_DBLCLKS}};
}

}  // namespace platform::ui

// "tooltips_class32": a list of tools (a window, or a rectangle of one) and
// the tip shown for the tool under the mouse, through QToolTip. The mouse
// reaches the tooltip either from Qt's own tooltip events on the tool's
// widget (TTF_SUBCLASS) or as messages the caller relays (TTM_RELAYEVENT).
// A tool whose text is LPSTR_TEXTCALLBACKA asks its window for the text with
// TTN_GETDISPINFOA each time the tip is shown.
#include <windows.h>
#include <commctrl.h>

#include "user/controls.h"
#include "user/window.h"

#include <QCursor>
#include <QHelpEvent>
#include <QPointer>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <string>
#include <vector>

namespace platform::ui {
namespace {

struct Tool {
    UINT flags = 0;
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    HINSTANCE hinst = nullptr;
    bool callback = false;
    std::string text;
    LPARAM lParam = 0;
    QPointer<QWidget> watched;  // the widget whose tooltip events show this tool (TTF_SUBCLASS)

    HWND window() const { return (flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(id) : hwnd; }
    bool same(HWND h, UINT_PTR i) const { return hwnd == h && id == i; }
};

class Tooltip;

// Shows a TTF_SUBCLASS tool's tip on Qt's tooltip event of its widget.
class ToolWatcher : public QObject {
public:
    ToolWatcher(Tooltip *tip) : tip_(tip) {}

protected:
    bool eventFilter(QObject *obj, QEvent *e) override;

private:
    Tooltip *tip_;
};

class Tooltip : public QWidget {
public:
    explicit Tooltip(HWND hwnd) : hwnd_(hwnd), watcher_(this) {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { show(candidate_, lastPoint_); });
    }
    ~Tooltip() override { pop(); }

    std::vector<Tool> tools;
    bool active = true;
    int maxWidth = -1;
    int initialDelay = 500, autoPop = 5000, reshowDelay = 100;

    Tool *find(HWND h, UINT_PTR id) {
        for (Tool &t : tools)
            if (t.same(h, id)) return &t;
        return nullptr;
    }
    int indexOf(const Tool *t) const { return t ? static_cast<int>(t - tools.data()) : -1; }

    void add(const TOOLINFOA &ti) {
        if (Tool *old = find(ti.hwnd, ti.uId)) remove(old);
        Tool t;
        t.flags = ti.uFlags, t.hwnd = ti.hwnd, t.id = ti.uId, t.rect = ti.rect, t.hinst = ti.hinst;
        t.lParam = ti.cbSize >= sizeof(TOOLINFOA) ? ti.lParam : 0;
        setText(t, ti.lpszText, ti.hinst);
        if (t.flags & TTF_SUBCLASS) {
            t.watched = windowWidget(t.window());
            if (t.watched) {
                t.watched->installEventFilter(&watcher_);
                t.watched->setAttribute(Qt::WA_AlwaysShowToolTips);
            }
        }
        tools.push_back(t);
    }

    void remove(Tool *t) {
        int i = indexOf(t);
        if (i == shown_) pop();
        QWidget *w = t->watched;
        tools.erase(tools.begin() + i);
        if (shown_ > i) --shown_;
        if (candidate_ > i) --candidate_;
        else if (candidate_ == i) candidate_ = -1, timer_.stop();
        bool stillWatched = false;
        for (const Tool &o : tools) stillWatched |= o.watched == w;
        if (w && !stillWatched) w->removeEventFilter(&watcher_);
    }

    static void setText(Tool &t, LPCSTR text, HINSTANCE hinst) {
        t.callback = text == LPSTR_TEXTCALLBACKA;
        t.text.clear();
        if (t.callback || !text) return;
        if (IS_INTRESOURCE(text)) {
            char buf[1024];
            int n = hinst ? LoadStringA(hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buf, sizeof buf) : 0;
            t.text.assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
        } else {
            t.text = text;
        }
    }

    // The tool of a window at a point of its client area.
    Tool *toolAt(HWND h, POINT client) {
        for (Tool &t : tools) {
            if (t.flags & TTF_IDISHWND) {
                if (reinterpret_cast<HWND>(t.id) == h) return &t;
            } else if (t.hwnd == h && PtInRect(&t.rect, client)) {
                return &t;
            }
        }
        return nullptr;
    }

    // A mouse message relayed by the caller.
    void relay(const MSG &m) {
        if (m.message == WM_MOUSEMOVE) {
            POINT client{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            int at = indexOf(toolAt(m.hwnd, client));
            lastPoint_ = QPoint(m.pt.x, m.pt.y);
            if (at == shown_ && at >= 0) return;
            bool wasShown = shown_ >= 0;
            if (wasShown) pop();
            if (at < 0 || !active) {
                candidate_ = -1;
                timer_.stop();
                return;
            }
            if (at != candidate_ || !timer_.isActive()) {
                candidate_ = at;
                timer_.start(wasShown ? reshowDelay : initialDelay);
            }
        } else if (m.message >= WM_LBUTTONDOWN && m.message <= WM_MOUSELAST) {
            // A click ends the tip until the mouse moves onto a tool again.
            pop();
            candidate_ = -1;
            timer_.stop();
        }
    }

    // Qt's tooltip event on a watched widget.
    bool help(QWidget *w, QHelpEvent *e) {
        HWND h = windowFromWidget(w);
        if (!h) return false;
        QWidget *hw = windowWidget(h);
        QPoint p = hw ? hw->mapFromGlobal(e->globalPos()) : e->pos();
        Tool *t = toolAt(h, POINT{p.x(), p.y()});
        if (!t || !(t->flags & TTF_SUBCLASS) || !active) return false;
        show(indexOf(t), e->globalPos());
        return true;
    }

    std::string textOf(Tool &t) {
        if (!t.callback) return t.text;
        NMTTDISPINFOA di{};
        di.hdr.hwndFrom = hwnd_;
        di.hdr.idFrom = t.id;
        di.hdr.code = TTN_GETDISPINFOA;
        di.lpszText = di.szText;
        di.hinst = t.hinst;
        di.uFlags = t.flags;
        di.lParam = t.lParam;
        HWND h = t.hwnd;
        UINT_PTR id = t.id;
        SendMessageA(h, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&di));
        std::string text;
        if (di.lpszText == di.szText) text.assign(di.szText, strnlen(di.szText, sizeof di.szText));
        else if (di.lpszText && IS_INTRESOURCE(di.lpszText)) {
            char buf[1024];
            int n = di.hinst ? LoadStringA(di.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(di.lpszText)), buf, sizeof buf) : 0;
            text.assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
        } else if (di.lpszText && di.lpszText != LPSTR_TEXTCALLBACKA) {
            text = di.lpszText;
        }
        // TTF_DI_SETITEM: the answer becomes the tool's text from now on.
        if ((di.uFlags & TTF_DI_SETITEM)) {
            if (Tool *again = find(h, id)) again->callback = false, again->text = text;
        }
        return text;
    }

    // Lines no wider than the maximum width, when one is set; else one line.
    QString layout(const std::string &text) const {
        QString t = fromAnsi(text);
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (maxWidth < 0) return t.replace(QLatin1Char('\n'), QLatin1Char(' '));
        QFontMetrics fm(QToolTip::font());
        QStringList out;
        for (const QString &para : t.split(QLatin1Char('\n'))) {
            QString line;
            for (const QString &word : para.split(QLatin1Char(' '))) {
                QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
                if (!line.isEmpty() && fm.horizontalAdvance(candidate) > maxWidth) {
                    out << line;
                    line = word;
                } else {
                    line = candidate;
                }
            }
            out << line;
        }
        return out.join(QLatin1Char('\n'));
    }

    void show(int index, QPoint globalPos) {
        if (index < 0 || index >= static_cast<int>(tools.size()) || !active) return;
        HWND h = tools[index].hwnd;
        UINT_PTR id = tools[index].id;
        std::string text = textOf(tools[index]);
        // The window may have changed the tools while it was asked.
        Tool *t = find(h, id);
        QWidget *w = t ? windowWidget(t->window()) : nullptr;
        if (!t || !w || text.empty()) return pop();
        QString shownText = layout(text);
        if (Qt::mightBeRichText(shownText)) shownText = Qt::convertFromPlainText(shownText, Qt::WhiteSpaceNoWrap);
        QRect area = (t->flags & TTF_IDISHWND) ? w->rect()
                                                 : QRect(QPoint(t->rect.left, t->rect.top), QPoint(t->rect.right - 1, t->rect.bottom - 1));
        QPoint at = globalPos;
        if (t->flags & TTF_CENTERTIP) {
            QFontMetrics fm(QToolTip::font());
            int width = 0;
            for (const QString &line : shownText.split(QLatin1Char('\n'))) width = std::max(width, fm.horizontalAdvance(line));
            at = w->mapToGlobal(QPoint(area.center().x() - width / 2, area.bottom() + 2));
        }
        shown_ = indexOf(t);
        candidate_ = -1;
        NMHDR nm{hwnd_, id, static_cast<UINT>(TTN_SHOW)};
        SendMessageA(h, WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&nm));
        QToolTip::showText(at, shownText, w, area, autoPop);
    }

    void pop() {
        if (shown_ < 0) return;
        Tool t = tools[shown_];
        shown_ = -1;
        QToolTip::hideText();
        NMHDR nm{hwnd_, t.id, static_cast<UINT>(TTN_POP)};
        SendMessageA(t.hwnd, WM_NOTIFY, static_cast<WPARAM>(t.id), reinterpret_cast<LPARAM>(&nm));
    }

    void refresh() {
        if (shown_ >= 0) show(shown_, QCursor::pos());
    }

    bool isShown(const Tool *t) const { return t && indexOf(t) == shown_; }

private:
    HWND hwnd_;
    ToolWatcher watcher_;
    QTimer timer_;
    int candidate_ = -1;  // the tool whose tip the timer will show
    int shown_ = -1;      // the tool whose tip is up
    QPoint lastPoint_;
};

bool ToolWatcher::eventFilter(QObject *obj, QEvent *e) {
    if (e->type() != QEvent::ToolTip || !obj->isWidgetType()) return false;
    return tip_->help(static_cast<QWidget *>(obj), static_cast<QHelpEvent *>(e));
}

Tooltip *tipOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<Tooltip *>(w->client.data()) : nullptr;
}

QWidget *createTooltip(WindowObject &w, QWidget *) { return new Tooltip(w.hwnd); }

bool validInfo(LPARAM lParam) {
    auto *ti = reinterpret_cast<const TOOLINFOA *>(lParam);
    return ti && ti->cbSize >= TTTOOLINFOA_V1_SIZE;
}

LRESULT CALLBACK tooltipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Tooltip *tip = tipOf(hwnd);
    if (!tip) return DefWindowProcA(hwnd, msg, wParam, lParam);
    auto *ti = reinterpret_cast<TOOLINFOA *>(lParam);
    switch (msg) {
    case TTM_ACTIVATE:
        tip->active = wParam != 0;
        if (!tip->active) tip->pop();
        return 0;
    case TTM_ADDTOOLA:
        if (!validInfo(lParam)) return FALSE;
        tip->add(*ti);
        return TRUE;
    case TTM_DELTOOLA:
        if (validInfo(lParam))
            if (Tool *t = tip->find(ti->hwnd, ti->uId)) tip->remove(t);
        return 0;
    case TTM_NEWTOOLRECTA:
        if (validInfo(lParam))
            if (Tool *t = tip->find(ti->hwnd, ti->uId)) t->rect = ti->rect;
        return 0;
    case TTM_UPDATETIPTEXTA:
        if (validInfo(lParam))
            if (Tool *t = tip->find(ti->hwnd, ti->uId)) {
                Tooltip::setText(*t, ti->lpszText, ti->hinst ? ti->hinst : t->hinst);
                if (tip->isShown(t)) tip->refresh();
            }
        return 0;
    case TTM_GETTOOLINFOA:
    case TTM_GETTEXTA: {
        if (!validInfo(lParam)) return FALSE;
        Tool *t = tip->find(ti->hwnd, ti->uId);
        if (!t) return FALSE;
        if (msg == TTM_GETTOOLINFOA) {
            ti->uFlags = t->flags, ti->rect = t->rect, ti->hinst = t->hinst;
            if (ti->cbSize >= sizeof(TOOLINFOA)) ti->lParam = t->lParam;
            if (t->callback) ti->lpszText = LPSTR_TEXTCALLBACKA;
            else if (ti->lpszText) copyText(t->text, ti->lpszText, 80);
        } else if (ti->lpszText) {
            // The caller's buffer holds wParam bytes (80 when wParam is 0, as older callers assume).
            copyText(t->callback ? std::string() : t->text, ti->lpszText, wParam ? static_cast<int>(wParam) : 80);
        }
        return TRUE;
    }
    case TTM_SETTOOLINFOA:
        if (validInfo(lParam))
            if (Tool *t = tip->find(ti->hwnd, ti->uId)) {
                t->flags = ti->uFlags, t->rect = ti->rect, t->hinst = ti->hinst;
                if (ti->cbSize >= sizeof(TOOLINFOA)) t->lParam = ti->lParam;
                Tooltip::setText(*t, ti->lpszText, ti->hinst);
            }
        return 0;
    case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(tip->tools.size());
    case TTM_RELAYEVENT:
        if (auto *m = reinterpret_cast<const MSG *>(lParam)) tip->relay(*m);
        return 0;
    case TTM_SETDELAYTIME: {
        int ms = static_cast<SHORT>(LOWORD(lParam));
        bool reset = ms < 0;
        switch (wParam) {
        case TTDT_AUTOMATIC:
            if (reset) ms = 500;
            tip->initialDelay = ms, tip->autoPop = ms * 10, tip->reshowDelay = ms / 5;
            break;
        case TTDT_INITIAL: tip->initialDelay = reset ? 500 : ms; break;
        case TTDT_AUTOPOP: tip->autoPop = reset ? 5000 : ms; break;
        case TTDT_RESHOW: tip->reshowDelay = reset ? 100 : ms; break;
        default: break;
        }
        return 0;
    }
    case TTM_GETDELAYTIME:
        switch (wParam) {
        case TTDT_INITIAL:
        case TTDT_AUTOMATIC: return tip->initialDelay;
        case TTDT_AUTOPOP: return tip->autoPop;
        case TTDT_RESHOW: return tip->reshowDelay;
        default: return 0;
        }
    case TTM_SETMAXTIPWIDTH: {
        int old = tip->maxWidth;
        tip->maxWidth = static_cast<int>(static_cast<LONG>(lParam));
        return old;
    }
    case TTM_GETMAXTIPWIDTH: return tip->maxWidth;
    case TTM_POP: tip->pop(); return 0;
    case TTM_UPDATE: tip->refresh(); return 0;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

PredefinedClassRegistrar registrar{{TOOLTIPS_CLASSA, tooltipProc, createTooltip, CS_DBLCLKS}};

}  // namespace
}  // namespace platform::ui

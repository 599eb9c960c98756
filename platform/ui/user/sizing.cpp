// WM_SIZING after the fact (see sizing.h).
#include "user/sizing.h"

#include "user/window.h"

#include <QLayout>
#include <QResizeEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace platform::ui {
namespace {

// The last sizes the program gave the frame, newest last: the window
// system reports them back later, possibly after the program moved on.
constexpr const char *kPlacedSizes = "platformPlacedSizes";
// The frame's geometry as of its last resize or move event.
constexpr const char *kLastGeometry = "platformSizingGeometry";
constexpr int kPlacedKept = 4;

// The window whose WM_SIZING is being sent, and its rectangle before.
struct SizingNow {
    HWND hwnd = nullptr;
    RECT before{};
};
thread_local SizingNow sizingNow;

// The frame's rectangle as GetWindowRect gives it. Qt tells the widget of a
// resize before it tells it of the move that came with it (a left border
// drag), so the position is the native window's, which has both already.
QRect windowRect(QWidget *frame) {
    QPoint origin = frame->windowHandle() ? frame->windowHandle()->framePosition() : frame->pos();
    return QRect(origin, frame->size());
}

bool placedByProgram(QWidget *frame, const QSize &size) {
    const QVariantList sizes = frame->property(kPlacedSizes).toList();
    return std::any_of(sizes.begin(), sizes.end(), [&](const QVariant &v) { return v.toSize() == size; });
}

// The edge or corner that moved between the two rectangles; 0 for none (a
// move, or both sides of an axis changing at once).
WPARAM draggedEdge(const QRect &before, const QRect &after) {
    bool left = after.left() != before.left(), right = after.right() != before.right();
    bool top = after.top() != before.top(), bottom = after.bottom() != before.bottom();
    int h = left == right ? 0 : left ? 1 : 2;  // 1 left, 2 right
    int v = top == bottom ? 0 : top ? 1 : 2;   // 1 top, 2 bottom
    static const WPARAM edges[3][3] = {
        {0, WMSZ_TOP, WMSZ_BOTTOM},
        {WMSZ_LEFT, WMSZ_TOPLEFT, WMSZ_BOTTOMLEFT},
        {WMSZ_RIGHT, WMSZ_TOPRIGHT, WMSZ_BOTTOMRIGHT},
    };
    return edges[h][v];
}

void userResized(QWidget *frame, HWND hwnd, const QRect &before) {
    QRect now = windowRect(frame);
    WPARAM edge = draggedEdge(before, now);
    if (!edge) return;
    RECT proposed{now.left(), now.top(), now.left() + now.width(), now.top() + now.height()};
    RECT asked = proposed;
    SizingNow saved = sizingNow;
    sizingNow = SizingNow{hwnd, RECT{before.left(), before.top(), before.left() + before.width(), before.top() + before.height()}};
    SendMessageA(hwnd, WM_SIZING, edge, reinterpret_cast<LPARAM>(&proposed));
    sizingNow = saved;
    if (proposed.left == asked.left && proposed.top == asked.top && proposed.right == asked.right &&
        proposed.bottom == asked.bottom)
        return;
    // The window wants another rectangle: it becomes the window's, as if the
    // drag had ended there.
    int width = std::max<int>(proposed.right - proposed.left, 0), height = std::max<int>(proposed.bottom - proposed.top, 0);
    frame->move(proposed.left, proposed.top);
    frame->resize(width, height);
    sizingPlaced(frame);
    frame->setProperty(kLastGeometry, windowRect(frame));
}

}  // namespace

bool sizingRectBefore(HWND hwnd, RECT *rect) {
    if (!hwnd || hwnd != sizingNow.hwnd) return false;
    *rect = sizingNow.before;
    return true;
}

void sizingPlaced(QWidget *frame) {
    if (!frame) return;
    // The client area follows at once, shown or not: a window asks for its
    // client rectangle right after it was placed (WM_INITDIALOG, WM_CREATE).
    if (QLayout *layout = frame->layout()) {
        layout->invalidate();
        layout->activate();
    }
    QVariantList sizes = frame->property(kPlacedSizes).toList();
    sizes.append(frame->size());
    while (sizes.size() > kPlacedKept) sizes.removeFirst();
    frame->setProperty(kPlacedSizes, sizes);
}

void sizingFrameEvent(QWidget *frame, QEvent *event) {
    QVariant last = frame->property(kLastGeometry);
    QRect before = last.isValid() ? last.toRect() : windowRect(frame);
    frame->setProperty(kLastGeometry, windowRect(frame));
    if (event->type() != QEvent::Resize || !event->spontaneous()) return;
    if (!frame->isVisible() || frame->windowState() != Qt::WindowNoState) return;
    HWND hwnd = windowFromWidget(frame);
    auto w = windowGet(hwnd);
    if (!w || w->widget != frame || (w->style & WS_CHILD)) return;
    if (placedByProgram(frame, static_cast<QResizeEvent *>(event)->size())) return;
    userResized(frame, hwnd, before);
}

}  // namespace platform::ui

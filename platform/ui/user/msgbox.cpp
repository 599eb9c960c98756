// MessageBoxA on QMessageBox, modal to its owner in a Win32 modal loop (the
// owner is disabled meanwhile). A test hook answers boxes without showing
// them; without a display and without a hook, a box cannot be answered, so
// its text goes to the error stream and the default button is returned.
#include "core/app.h"
#include "user/queue.h"
#include "user/window.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>

#include <cstdio>
#include <mutex>
#include <vector>

using namespace platform;
using namespace platform::ui;

namespace {

std::mutex hookLock;
UIMESSAGEBOXHOOK hook = nullptr;
void *hookContext = nullptr;

// The buttons of a box type, in order.
std::vector<int> buttonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {IDOK};
    }
}

int defaultButton(UINT type) {
    std::vector<int> b = buttonsOf(type);
    size_t i = (type & MB_DEFMASK) >> 8;
    return b[i < b.size() ? i : 0];
}

QMessageBox::StandardButton standardOf(int id) {
    switch (id) {
    case IDOK: return QMessageBox::Ok;
    case IDCANCEL: return QMessageBox::Cancel;
    case IDABORT: return QMessageBox::Abort;
    case IDRETRY: return QMessageBox::Retry;
    case IDIGNORE: return QMessageBox::Ignore;
    case IDYES: return QMessageBox::Yes;
    case IDNO: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

}  // namespace

extern "C" {

WINUSERAPI void WINAPI uiSetMessageBoxHook(UIMESSAGEBOXHOOK h, void *context) {
    std::lock_guard<std::mutex> g(hookLock);
    hook = h;
    hookContext = context;
}

WINUSERAPI int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    const char *text = lpText ? lpText : "";
    const char *caption = lpCaption ? lpCaption : "Error";
    {
        std::unique_lock<std::mutex> g(hookLock);
        if (UIMESSAGEBOXHOOK h = hook) {
            void *ctx = hookContext;
            g.unlock();
            return h(ctx, hWnd, text, caption, uType);
        }
    }
    if (!uiApplication() || uiHeadless() || !uiOnMainThread()) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return defaultButton(uType);
    }
    HWND owner = hWnd ? GetAncestor(hWnd, GA_ROOT) : nullptr;
    // Above its owner (a transient parent), but not its Qt child: the owner
    // is disabled while the box is up, the box is not.
    QMessageBox box;
    if (QWidget *ownerWidget = windowWidget(owner)) {
        box.winId();
        ownerWidget->window()->winId();
        box.windowHandle()->setTransientParent(ownerWidget->window()->windowHandle());
    }
    box.setWindowTitle(fromAnsi(caption));
    box.setText(fromAnsi(text));
    switch (uType & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    int answer = 0;
    std::vector<std::pair<QAbstractButton *, int>> buttons;
    for (int id : buttonsOf(uType)) {
        QAbstractButton *b;
        if (QMessageBox::StandardButton s = standardOf(id)) b = box.addButton(s);
        else b = box.addButton(id == IDTRYAGAIN ? QStringLiteral("&Try Again") : QStringLiteral("&Continue"),
                               QMessageBox::AcceptRole);
        buttons.emplace_back(b, id);
        if (id == defaultButton(uType)) box.setDefaultButton(qobject_cast<QPushButton *>(b));
        if (id == IDCANCEL || (buttonsOf(uType).size() == 1)) box.setEscapeButton(b);
    }
    if (uType & MB_HELP) box.addButton(QMessageBox::Help);
    if (uType & (MB_TOPMOST | MB_SYSTEMMODAL)) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(&box, &QMessageBox::buttonClicked, &box, [&](QAbstractButton *clicked) {
        for (auto &[b, id] : buttons)
            if (b == clicked) answer = id;
    });
    bool disabled = owner && IsWindowEnabled(owner) && EnableWindow(owner, FALSE) == FALSE;
    box.setWindowModality(Qt::NonModal);
    box.show();
    runModalLoop([&] { return !box.isVisible(); });
    if (disabled) EnableWindow(owner, TRUE);
    // Closing the box by its frame answers Cancel where there is one.
    if (!answer) answer = std::find(buttons.begin(), buttons.end(), std::pair<QAbstractButton *, int>(box.escapeButton(), IDCANCEL)) != buttons.end() ? IDCANCEL : defaultButton(uType);
    return answer;
}

WINUSERAPI BOOL WINAPI MessageBeep(UINT) {
    if (uiApplication()) QApplication::beep();
    return TRUE;
}

}  // extern "C"

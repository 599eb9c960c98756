// Shell_NotifyIconA: the icon table of the process, kept here under a lock so
// that any thread can add, change and remove icons; the panel side runs on
// the user-interface thread from copies of each change.
#include "core/app.h"
#include "shell/ansi_text.h"
#include "shell/tray_engine.h"

#include <shellapi.h>

#include <QApplication>
#include <QMetaObject>

#include <cstddef>
#include <map>
#include <mutex>

namespace platform::ui::shell {
namespace {

std::mutex iconsLock;
std::map<TrayIconKey, TrayIconState> icons;

// Which fields a record carries, by its cbSize: 1 up to the 64-byte tooltip,
// 2 with the 128-byte tooltip, state and balloon. 0: not a known layout.
int layoutOf(DWORD size) {
    constexpr DWORD nativeV1 = offsetof(NOTIFYICONDATAA, szTip) + 64;
    constexpr DWORD nativeV2 = offsetof(NOTIFYICONDATAA, guidItem);
    if (size == NOTIFYICONDATAA_V1_SIZE || size == nativeV1) return 1;
    if (size == NOTIFYICONDATAA_V2_SIZE || size == NOTIFYICONDATAA_V3_SIZE || size == nativeV2 ||
        size == sizeof(NOTIFYICONDATAA))
        return 2;
    return 0;
}

// Copies what the record's flags name into the icon's state.
void apply(TrayIconState &state, const NOTIFYICONDATAA &data, int layout) {
    if (data.uFlags & NIF_MESSAGE) state.callbackMessage = data.uCallbackMessage;
    if (data.uFlags & NIF_ICON) state.image = iconImage(data.hIcon);
    if (data.uFlags & NIF_TIP) state.tip = fixedText(data.szTip, layout == 1 ? 63 : 127);
    if (layout >= 2 && (data.uFlags & NIF_STATE) && (data.dwStateMask & NIS_HIDDEN))
        state.hidden = (data.dwState & NIS_HIDDEN) != 0;
}

// Runs a change on the user-interface thread: at once when called there, else
// queued in order behind the changes before it.
template <typename F>
void onUiThread(F &&change) {
    QApplication *app = uiApplication();
    if (uiOnMainThread()) {
        change();
    } else {
        QMetaObject::invokeMethod(app, std::forward<F>(change), Qt::QueuedConnection);
    }
}

}  // namespace

}  // namespace platform::ui::shell

using namespace platform::ui::shell;

extern "C" BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
    if (!lpData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int layout = layoutOf(lpData->cbSize);
    if (layout == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TrayIconKey key{lpData->hWnd, lpData->uID};
    std::optional<TrayBalloon> balloon;
    if (layout >= 2 && (lpData->uFlags & NIF_INFO) && (dwMessage == NIM_ADD || dwMessage == NIM_MODIFY)) {
        balloon = TrayBalloon{fixedText(lpData->szInfoTitle, 63), fixedText(lpData->szInfo, 255),
                              lpData->dwInfoFlags, lpData->uTimeout};
    }

    std::unique_lock lock(iconsLock);
    auto it = icons.find(key);
    switch (dwMessage) {
    case NIM_ADD:
    case NIM_MODIFY: {
        if ((dwMessage == NIM_ADD) == (it != icons.end())) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        TrayIconState state = it != icons.end() ? it->second : TrayIconState{};
        apply(state, *lpData, layout);
        icons[key] = state;
        lock.unlock();
        onUiThread([key, state, balloon] {
            TrayEngine &engine = TrayEngine::instance();
            engine.update(key, state);
            if (balloon) engine.showBalloon(key, *balloon);
        });
        return TRUE;
    }
    case NIM_DELETE:
        if (it == icons.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        icons.erase(it);
        lock.unlock();
        onUiThread([key] { TrayEngine::instance().remove(key); });
        return TRUE;
    case NIM_SETFOCUS:
    case NIM_SETVERSION:
        if (it == icons.end()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return TRUE;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

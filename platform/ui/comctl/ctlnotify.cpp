#include "comctl/ctlnotify.h"

#include "user/window.h"

namespace platform::ui {

HWND controlParent(HWND control) {
    auto w = windowGet(control);
    return w ? w->parent.load() : nullptr;
}

LRESULT wmNotifyParent(HWND control, UINT code, NMHDR *hdr) {
    auto w = windowGet(control);
    HWND parent = w ? w->parent.load() : nullptr;
    if (!parent) return 0;
    hdr->hwndFrom = control;
    hdr->idFrom = static_cast<UINT_PTR>(w->id.load());
    hdr->code = code;
    return SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(hdr->idFrom), reinterpret_cast<LPARAM>(hdr));
}

}  // namespace platform::ui

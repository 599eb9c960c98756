// HtmlHelpA (exported by the "hhctrl.ocx" module) and WinHelpA on the
// suite's help archives.
#include "help/htmlhelp.h"

#include "help/helparchive.h"
#include "help/helpviewer.h"

#include "win/htmlhelp.h"

#include <cstring>
#include <string>

// A control's id comes from the window functions of this library when they
// are built in; without them pair lists cannot be resolved.
extern "C" int GetDlgCtrlID(HWND hWnd) __attribute__((weak));

using namespace platform;
using namespace platform::ui;

namespace {

// What HtmlHelpA hands back on success: a handle of its own, never a window.
class HelpSession : public PlatformObject {
public:
    HelpSession() : PlatformObject(ObjectType::Other) {}
};

HWND sessionHandle() {
    static HWND handle = handleNew<HWND>(std::make_shared<HelpSession>());
    return handle;
}

struct FileSpec {
    std::string archive;
    std::string topic;  // after "::/", may be empty
};

FileSpec splitFile(const char *file) {
    FileSpec spec;
    std::string s = file ? file : "";
    if (size_t window = s.find('>'); window != std::string::npos) s.erase(window);
    size_t sep = s.find("::");
    if (sep == std::string::npos) {
        spec.archive = s;
        return spec;
    }
    spec.archive = s.substr(0, sep);
    spec.topic = s.substr(sep + 2);
    while (!spec.topic.empty() && spec.topic.front() == '/') spec.topic.erase(0, 1);
    return spec;
}

bool openContext(const std::string &archive, uint32_t context) {
    auto map = helpReadMap(archive);
    if (!map) return false;
    auto target = map->page(context);
    return target && helpOpenPage(archive, *target);
}

bool openContents(const std::string &archive) {
    auto map = helpReadMap(archive);
    return map && helpOpenPage(archive, map->contents);
}

bool popupTopic(const std::string &archive, const std::string &textFile, uint32_t topic, POINT at,
                const HH_POPUP *style) {
    auto text = helpReadEntry(archive, textFile);
    if (!text) return false;
    auto body = helpPopupText(*text, topic);
    if (!body) return false;
    RECT noMargins{-1, -1, -1, -1};
    helpShowPopup(*body, at, style ? style->pszFont : nullptr, style ? style->clrForeground : CLR_INVALID,
                  style ? style->clrBackground : CLR_INVALID, style ? style->rcMargins : noMargins);
    return true;
}

// The context of a control in a (control id, context) list ended by a zero pair.
bool contextOfControl(HWND control, const DWORD *pairs, uint32_t *context) {
    if (!pairs || !control || !GetDlgCtrlID) return false;
    int id = GetDlgCtrlID(control);
    for (int i = 0; i < 4096 && (pairs[0] || pairs[1]); ++i, pairs += 2)
        if (pairs[0] == static_cast<DWORD>(id)) {
            *context = pairs[1];
            return true;
        }
    return false;
}

}  // namespace

namespace platform::ui {

HWND helpHtmlHelp(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData) {
    FileSpec spec = splitFile(pszFile);
    bool ok = false;
    switch (uCommand) {
    case HH_DISPLAY_TOPIC: {
        const char *topic = reinterpret_cast<const char *>(dwData);
        std::string target = topic && *topic ? topic : spec.topic;
        if (target.empty()) ok = openContents(spec.archive);
        else ok = helpOpenPage(spec.archive, target);
        break;
    }
    case HH_DISPLAY_TOC:
    case HH_DISPLAY_INDEX:
    case HH_DISPLAY_SEARCH: ok = openContents(spec.archive); break;
    case HH_HELP_CONTEXT: ok = openContext(spec.archive, static_cast<uint32_t>(dwData)); break;
    case HH_DISPLAY_TEXT_POPUP: {
        const auto *popup = reinterpret_cast<const HH_POPUP *>(dwData);
        if (!popup) break;
        if (popup->hinst && popup->idString) {
            char text[1024];
            if (LoadStringA(popup->hinst, popup->idString, text, sizeof text) > 0) {
                helpShowPopup(text, popup->pt, popup->pszFont, popup->clrForeground, popup->clrBackground,
                              popup->rcMargins);
                ok = true;
            }
        } else if (popup->idString) {
            ok = !spec.topic.empty() && popupTopic(spec.archive, spec.topic, popup->idString, popup->pt, popup);
        } else if (popup->pszText) {
            helpShowPopup(popup->pszText, popup->pt, popup->pszFont, popup->clrForeground, popup->clrBackground,
                          popup->rcMargins);
            ok = true;
        }
        break;
    }
    case HH_TP_HELP_CONTEXTMENU:
    case HH_TP_HELP_WM_HELP: {
        uint32_t context = 0;
        ok = !spec.topic.empty() &&
             contextOfControl(hwndCaller, reinterpret_cast<const DWORD *>(dwData), &context) &&
             popupTopic(spec.archive, spec.topic, context, helpPointerPosition(), nullptr);
        break;
    }
    case HH_CLOSE_ALL: helpClosePopups(); return nullptr;
    default: break;
    }
    if (!ok) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return sessionHandle();
}

}  // namespace platform::ui

extern "C" {

WINBASEAPI BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    FileSpec spec = splitFile(lpszHelp);
    switch (uCommand) {
    case HELP_QUIT: helpClosePopups(); return TRUE;
    case HELP_SETINDEX:
    case HELP_FORCEFILE: return helpReadMap(spec.archive).has_value();
    case HELP_CONTEXT: return openContext(spec.archive, static_cast<uint32_t>(dwData));
    case HELP_CONTENTS:
    case HELP_HELPONHELP:
    case HELP_FINDER:
    case HELP_KEY:
    case HELP_PARTIALKEY: return openContents(spec.archive);
    case HELP_CONTEXTPOPUP:
    case HELP_CONTEXTMENU:
    case HELP_WM_HELP: {
        auto map = helpReadMap(spec.archive);
        if (!map) return FALSE;
        uint32_t context = static_cast<uint32_t>(dwData);
        if (uCommand != HELP_CONTEXTPOPUP &&
            !contextOfControl(hWndMain, reinterpret_cast<const DWORD *>(dwData), &context))
            return FALSE;
        if (popupTopic(spec.archive, map->popups, context, helpPointerPosition(), nullptr)) return TRUE;
        // A context without pop-up text may still have a page.
        auto target = map->page(context);
        return target && helpOpenPage(spec.archive, *target);
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

}  // extern "C"

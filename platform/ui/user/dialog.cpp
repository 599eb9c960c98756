// Dialog windows: creation from a template, the default dialog procedure,
// modal dialogs and EndDialog.
#include "user/dialog.h"

#include "core/app.h"
#include "user/controls.h"
#include "user/queue.h"
#include "user/window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <strings.h>

namespace platform::ui {
namespace {

const char *predefinedClass(WORD ordinal) {
    switch (ordinal) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
    default: return nullptr;
    }
}

int dluX(int v, const DialogState &d) { return (v * d.baseX + 2) / 4; }
int dluY(int v, const DialogState &d) { return (v * d.baseY + 4) / 8; }

// Base units of a font as Windows computes them: the average width of the
// 52 letters, and the character height.
void baseUnits(const QFont &font, DialogState *d) {
    QFontMetrics fm(font);
    int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    d->baseX = std::max(1, (width / 26 + 1) / 2);
    d->baseY = std::max(1, fm.height());
}

// Static labels with a mnemonic lead to the next control that takes focus.
void connectMnemonics(HWND dlg) {
    auto w = windowGet(dlg);
    if (!w) return;
    const std::vector<HWND> &kids = w->children;
    for (size_t i = 0; i < kids.size(); ++i) {
        auto kw = windowGet(kids[i]);
        if (!kw || !qobject_cast<QLabel *>(kw->widget.data()) || kw->text.find('&') == std::string::npos) continue;
        for (size_t j = i + 1; j < kids.size(); ++j) {
            if (!(GetWindowLongA(kids[j], GWL_STYLE) & WS_TABSTOP)) continue;
            staticShowMnemonic(kids[i], windowClientWidget(kids[j]));
            break;
        }
    }
}

HWND firstTabStop(HWND dlg) { return GetNextDlgTabItem(dlg, nullptr, FALSE); }

int defaultButtonId(const DialogTemplate &t) {
    for (const DialogItem &i : t.items)
        if (i.cls.isOrdinal && i.cls.ordinal == 0x80 && (i.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return static_cast<int>(i.id);
    return IDOK;
}

std::shared_ptr<WindowObject> dialogOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w && w->dialog ? w : nullptr;
}

}  // namespace

QFont dialogFont(const std::string &face, int pointSize, int weight, bool italic) {
    // The period's dialog faces resolve to the desktop's sans-serif fonts.
    static const char *const sans[] = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Helv", "Tahoma",
                                       "SmallFonts", "Small Fonts", "System", "Microsoft Sans Serif"};
    QString family = fromAnsi(face);
    for (const char *s : sans)
        if (strcasecmp(face.c_str(), s) == 0) family = QStringLiteral("Liberation Sans");
    if (face.empty()) family = QStringLiteral("Liberation Sans");
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, (pointSize * 96 + 36) / 72));
    if (weight > 0) f.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    f.setItalic(italic);
    return f;
}

HWND dialogRootOf(HWND hwnd) {
    HWND found = nullptr;
    for (HWND h = hwnd; h; h = GetParent(h)) {
        auto w = windowGet(h);
        if (!w) break;
        if (w->dialog) found = h;
        if (!(w->style & WS_CHILD)) break;
    }
    return found;
}

HWND dialogCreate(HINSTANCE instance, const DialogTemplate &t, HWND parent, DLGPROC proc, LPARAM param) {
    if (!uiApplication() || !uiOnMainThread()) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return nullptr;
    }
    auto state = std::make_unique<DialogState>();
    QFont font = (t.style & DS_SETFONT) ? dialogFont(t.face, t.pointSize, t.weight, t.italic)
                                        : dialogFont("MS Sans Serif", 8, 0, false);
    baseUnits(font, state.get());
    DWORD style = t.style;
    if (style & DS_CONTROL) style = (style & ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU)) | WS_CHILD;
    int x = dluX(t.x, *state), y = dluY(t.y, *state), cx = dluX(t.cx, *state), cy = dluY(t.cy, *state);
    if (!(style & WS_CHILD)) {
        // A top-level dialog is placed relative to its owner, or centred.
        RECT owner{0, 0, 0, 0};
        if (parent) GetWindowRect(GetAncestor(parent, GA_ROOT), &owner);
        if ((style & (DS_CENTER | DS_CENTERMOUSE)) || !parent) {
            QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                            : QRect(0, 0, 1024, 768);
            QRect around = parent ? QRect(owner.left, owner.top, owner.right - owner.left, owner.bottom - owner.top)
                                  : screen;
            x = around.center().x() - cx / 2;
            y = around.center().y() - cy / 2;
        } else {
            x += owner.left, y += owner.top;
        }
    }
    LPCSTR cls = t.cls.empty() ? WC_DIALOG
                 : t.cls.isOrdinal ? reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(t.cls.ordinal))
                                   : t.cls.text.c_str();
    HWND dlg = CreateWindowExA(t.exStyle | ((style & DS_CONTROL) ? WS_EX_CONTROLPARENT : 0), cls, t.title.c_str(),
                               style & ~static_cast<DWORD>(WS_VISIBLE), x, y, cx, cy, parent, nullptr, instance,
                               nullptr);
    if (!dlg) return nullptr;
    auto w = windowGet(dlg);
    state->proc = proc;
    state->defaultId = defaultButtonId(t);
    w->dialog = std::move(state);
    w->client->setFont(font);
    w->widget->setFont(font);
    if (!t.menu.empty() && !(style & WS_CHILD)) {
        LPCSTR name = t.menu.isOrdinal ? reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(t.menu.ordinal))
                                       : t.menu.text.c_str();
        if (HMENU m = LoadMenuA(instance, name)) SetMenu(dlg, m);
    }
    const DialogState &d = *w->dialog;
    for (const DialogItem &item : t.items) {
        std::string clsName;
        if (item.cls.isOrdinal) {
            const char *n = predefinedClass(item.cls.ordinal);
            if (!n) continue;
            clsName = n;
        } else {
            clsName = item.cls.text;
        }
        std::string title = item.title.isOrdinal ? std::string() : item.title.text;
        HWND c = CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, clsName.c_str(), title.c_str(),
                                 item.style | WS_CHILD, dluX(item.x, d), dluY(item.y, d), dluX(item.cx, d),
                                 dluY(item.cy, d), dlg, reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.id)),
                                 instance, item.data.empty() ? nullptr : const_cast<uint8_t *>(item.data.data()));
        if (!c) {
            if (t.style & DS_NOFAILCREATE) continue;
            DestroyWindow(dlg);
            return nullptr;
        }
        // Icons and bitmaps of static controls, named by resource id or name.
        DWORD type = item.style & SS_TYPEMASK;
        if (strcasecmp(clsName.c_str(), "STATIC") == 0 && (type == SS_ICON || type == SS_BITMAP) &&
            !item.title.empty()) {
            LPCSTR res = item.title.isOrdinal ? reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(item.title.ordinal))
                                              : item.title.text.c_str();
            if (type == SS_ICON) {
                if (HICON icon = LoadIconA(instance, res)) SendMessageA(c, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
            } else if (HBITMAP bmp = LoadBitmapA(instance, res)) {
                SendMessageA(c, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp));
            }
        }
    }
    connectMnemonics(dlg);
    HWND focus = firstTabStop(dlg);
    if (SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param) && IsWindow(dlg) && focus &&
        IsWindow(focus))
        SetFocus(focus);
    if (IsWindow(dlg) && (t.style & WS_VISIBLE)) ShowWindow(dlg, SW_SHOW);
    return IsWindow(dlg) ? dlg : nullptr;
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

namespace {

// The bytes of a dialog resource, parsed.
bool loadTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate *t) {
    HRSRC res = FindResourceA(instance, name, RT_DIALOG);
    if (!res) return false;
    HGLOBAL data = LoadResource(instance, res);
    const void *bytes = data ? LockResource(data) : nullptr;
    if (!bytes || !parseDialogTemplate(static_cast<const uint8_t *>(bytes), SizeofResource(instance, res), t)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    return true;
}

// Templates in memory carry no size; the parser stops at the items' end.
constexpr size_t kIndirectLimit = 1 << 20;

INT_PTR runModal(HINSTANCE instance, const DialogTemplate &t, HWND owner, DLGPROC proc, LPARAM param) {
    HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
    DialogTemplate modal = t;
    modal.style &= ~static_cast<DWORD>(WS_CHILD | DS_CONTROL | WS_VISIBLE);
    modal.style |= WS_POPUP;
    HWND dlg = dialogCreate(instance, modal, root, proc, param);
    if (!dlg) return -1;
    auto w = windowGet(dlg);
    w->dialog->modal = true;
    bool disabledOwner = false;
    if (root && IsWindowEnabled(root) && !w->dialog->ended) {
        EnableWindow(root, FALSE);
        disabledOwner = true;
    }
    if (!w->dialog->ended) ShowWindow(dlg, SW_SHOW);
    runModalLoop([&] { return !IsWindow(dlg) || w->dialog->ended; },
                 [dlg](MSG &m) { return IsWindow(dlg) && IsDialogMessageA(dlg, &m); });
    INT_PTR result = w->dialog->ended ? w->dialog->result : 0;
    if (disabledOwner) EnableWindow(root, TRUE);
    if (IsWindow(dlg)) DestroyWindow(dlg);
    if (root && IsWindow(root)) SetActiveWindow(root);
    return result;
}

}  // namespace

extern "C" {

WINUSERAPI HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                                  DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DialogTemplate t;
    if (!parseDialogTemplate(reinterpret_cast<const uint8_t *>(lpTemplate), kIndirectLimit, &t)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return dialogCreate(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

WINUSERAPI HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                          DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DialogTemplate t;
    if (!loadTemplate(hInstance, lpTemplateName, &t)) return nullptr;
    return dialogCreate(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

WINUSERAPI INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate,
                                                  HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DialogTemplate t;
    if (!parseDialogTemplate(reinterpret_cast<const uint8_t *>(hDialogTemplate), kIndirectLimit, &t)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return runModal(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

WINUSERAPI INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                          DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    DialogTemplate t;
    if (!loadTemplate(hInstance, lpTemplateName, &t)) return -1;
    return runModal(hInstance, t, hWndParent, lpDialogFunc, dwInitParam);
}

WINUSERAPI BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    auto w = dialogOf(hDlg);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    w->dialog->ended = true;
    w->dialog->result = nResult;
    // The owner comes back before the dialog goes, so it gets the activation.
    if (w->dialog->modal) {
        if (HWND owner = w->owner.load()) EnableWindow(owner, TRUE);
    }
    ShowWindow(hDlg, SW_HIDE);
    return TRUE;
}

WINUSERAPI LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto w = dialogOf(hDlg);
    if (!w) return DefWindowProcA(hDlg, Msg, wParam, lParam);
    if (DLGPROC proc = w->dialog->proc.load()) {
        INT_PTR r = proc(hDlg, Msg, wParam, lParam);
        if (r) {
            switch (Msg) {
            case WM_INITDIALOG:
            case WM_CTLCOLORMSGBOX:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG:
            case WM_CTLCOLORSCROLLBAR:
            case WM_CTLCOLORSTATIC:
            case WM_GETICON:
                return r;
            default:
                return IsWindow(hDlg) ? w->dialog->msgResult.load() : 0;
            }
        }
    }
    if (!IsWindow(hDlg)) return 0;
    switch (Msg) {
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(hDlg, IDCANCEL);
        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case DM_GETDEFID: return MAKELONG(w->dialog->defaultId, DC_HASDEFID);
    case DM_SETDEFID: {
        HWND old = GetDlgItem(hDlg, w->dialog->defaultId);
        if (old && (GetWindowLongA(old, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        w->dialog->defaultId = static_cast<int>(wParam);
        HWND now = GetDlgItem(hDlg, static_cast<int>(wParam));
        if (now && (GetWindowLongA(now, GWL_STYLE) & BS_TYPEMASK) == BS_PUSHBUTTON)
            SendMessageA(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        return TRUE;
    }
    case WM_INITDIALOG: return 0;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: return 0;
    default: return DefWindowProcA(hDlg, Msg, wParam, lParam);
    }
}

WINUSERAPI LONG WINAPI GetDialogBaseUnits(void) {
    uiApplication();
    DialogState d;
    baseUnits(dialogFont("MS Sans Serif", 8, 0, false), &d);
    return MAKELONG(d.baseX, d.baseY);
}

WINUSERAPI BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
    auto w = dialogOf(hDlg);
    if (!w || !lpRect) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const DialogState &d = *w->dialog;
    *lpRect = RECT{dluX(lpRect->left, d), dluY(lpRect->top, d), dluX(lpRect->right, d), dluY(lpRect->bottom, d)};
    return TRUE;
}

}  // extern "C"

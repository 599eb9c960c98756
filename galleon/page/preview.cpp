// The Preview page of the wizard and the photo editor (the same page as a
// dialog of its own): one publish item at a time with its file name,
// caption and picture, turned and flipped by the four buttons.
#include <commctrl.h>
#include <prsht.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "listmod.h"
#include "pagecommon.h"
#include "pageids.h"
#include "pages.h"
#include "photolog.h"
#include "preview_image.h"
#include "publish.h"
#include "tooltip.h"
#include "wizard_ids.h"
#include "wizard_pages.h"

namespace {

constexpr int CAPTION_KEPT = MAX_PATH - 1;  // characters of the caption edit stored
constexpr int BOX_MARGIN = 16;              // the picture is fitted this much inside the control

struct ActionButton {
    int id;
    int icon;
    const char* tip;
};
const ActionButton ACTIONS[] = {
    {IDC_PREVIEW_ROTATE, IDI_ROTATE, "Rotate photo counter-clockwise 90\xB0"},
    {IDC_PREVIEW_FLIP_H, IDI_FLIP_HORIZONTAL, "Flip photo horizontally"},
    {IDC_PREVIEW_FLIP_V, IDI_FLIP_VERTICAL, "Flip photo vertically"},
    {IDC_PREVIEW_RESTORE, IDI_RESTORE, "Restore original photo"},
};

struct EditorContext {
    int itemList;
};

struct Preview {
    CollectionRecord* record = nullptr;  // the wizard's record (page only)
    int itemList = -1;
    bool editor = false;
    int position = 0;
    int shownId = -1;  // list id of the item shown
    gdImagePtr image = nullptr;
    PageFonts fonts;
    HICON icons[4] = {};
};

int itemCount(const Preview* p) {
    int n = listGetCount(p->itemList);
    return n > 0 ? n : 0;
}

bool readItem(const Preview* p, int id, PublishItem* item) {
    if (id < 0 || listGetItem(p->itemList, id, item, sizeof *item) != sizeof *item) return false;
    item->sourcePath[MAX_PATH - 1] = item->caption[MAX_PATH - 1] = 0;
    return true;
}

void writeItem(const Preview* p, int id, const PublishItem& item) {
    int rc = listUpdateItem(p->itemList, id, &item, sizeof item);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "listUpdateItem returned error code %d", rc);
}

void freeImage(Preview* p) {
    if (p->image) gdImageDestroy(p->image);
    p->image = nullptr;
}

// The caption becomes a file name in the collection's folder: separators and
// control characters turn into '_', and leading dots and blanks (a hidden or
// blank name) are dropped. Empty when nothing is left.
std::string cleanCaption(const std::string& typed) {
    std::string out;
    for (char c : typed) {
        auto u = static_cast<unsigned char>(c);
        if (out.empty() && (c == '.' || c == ' ')) continue;
        out += (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) ? '_' : c;
    }
    return out;
}

// The caption edit into the item; an empty caption keeps the old one.
void takeCaption(HWND dlg, PublishItem* item) {
    std::string caption = cleanCaption(wizardText(dlg, IDC_PREVIEW_CAPTION, CAPTION_KEPT));
    if (!caption.empty()) std::snprintf(item->caption, sizeof item->caption, "%s", caption.c_str());
}

void storeCaption(HWND dlg, Preview* p) {
    PublishItem item;
    if (!readItem(p, p->shownId, &item)) return;
    std::string before = item.caption;
    takeCaption(dlg, &item);
    if (before != item.caption) writeItem(p, p->shownId, item);
}

void showCurrent(HWND dlg, Preview* p) {
    freeImage(p);
    p->shownId = listGetItemId(p->itemList, p->position);
    PublishItem item;
    HWND control = GetDlgItem(dlg, IDC_PREVIEW_IMAGE);
    if (readItem(p, p->shownId, &item)) {
        const char* slash = std::strrchr(item.sourcePath, '/');
        SetDlgItemTextA(dlg, IDC_PREVIEW_FILE, slash ? slash + 1 : item.sourcePath);
        SetDlgItemTextA(dlg, IDC_PREVIEW_CAPTION, item.caption);
        RECT client{};
        GetClientRect(control, &client);
        p->image = previewMakeImage(item.sourcePath, client.right - client.left - BOX_MARGIN,
                                    client.bottom - client.top - BOX_MARGIN);
    } else {
        p->shownId = -1;
        SetDlgItemTextA(dlg, IDC_PREVIEW_FILE, "");
        SetDlgItemTextA(dlg, IDC_PREVIEW_CAPTION, "");
    }
    HWND caption = GetDlgItem(dlg, IDC_PREVIEW_CAPTION);
    SetFocus(caption);
    SendMessageA(caption, EM_SETSEL, 0, -1);
    EnableWindow(GetDlgItem(dlg, IDC_PREVIEW_ROTATE), p->image != nullptr);
    InvalidateRect(control, nullptr, TRUE);
}

void move(HWND dlg, Preview* p, int step) {
    int n = itemCount(p);
    if (n == 0) return;
    p->position = ((p->position + step) % n + n) % n;
    showCurrent(dlg, p);
}

// A button's change to the shown item. The caption typed so far goes with
// it, so showing the item again does not take the typing back.
void act(HWND dlg, Preview* p, int button) {
    PublishItem item;
    if (!readItem(p, p->shownId, &item)) return;
    takeCaption(dlg, &item);
    switch (button) {
        case IDC_PREVIEW_ROTATE: item.rotation = (item.rotation + 1) % 4; break;
        case IDC_PREVIEW_FLIP_H: item.flipHorizontal = !item.flipHorizontal; break;
        case IDC_PREVIEW_FLIP_V: item.flipVertical = !item.flipVertical; break;
        default: item.rotation = 0, item.flipHorizontal = item.flipVertical = 0; break;
    }
    writeItem(p, p->shownId, item);
    HWND control = GetDlgItem(dlg, button);
    EnableWindow(control, FALSE);
    showCurrent(dlg, p);
    if (button != IDC_PREVIEW_ROTATE || p->image) EnableWindow(control, TRUE);
}

void draw(const Preview* p, const DRAWITEMSTRUCT* di) {
    PublishItem item;
    bool known = readItem(p, p->shownId, &item);
    previewPaint(di->hDC, di->rcItem, p->image, known ? item.rotation : 0, known && item.flipHorizontal,
                 known && item.flipVertical);
}

void open(HWND dlg, Preview* p) {
    p->fonts.title(dlg, IDC_WIZ_TITLE);
    p->position = 0;
    for (size_t i = 0; i < std::size(ACTIONS); ++i) {
        p->icons[i] =
            static_cast<HICON>(LoadImageA(pageModule(), MAKEINTRESOURCEA(ACTIONS[i].icon), IMAGE_ICON, 32, 32, 0));
        SendDlgItemMessageA(dlg, ACTIONS[i].id, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(p->icons[i]));
    }
    tipmodStart();  // already started by an earlier page is as good
    if (tipmodAttach(dlg, pageModule()) >= 0)
        for (const ActionButton& a : ACTIONS) tipmodAddTool(GetDlgItem(dlg, a.id));
}

void close(HWND dlg, Preview* p) {
    freeImage(p);
    tipmodDetach(dlg);
    tipmodStop();
    for (HICON& icon : p->icons)
        if (icon) DestroyIcon(icon), icon = nullptr;
}

bool tooltipText(NMHDR* hdr) {
    if (hdr->code != TTN_GETDISPINFOA) return false;
    auto* di = reinterpret_cast<NMTTDISPINFOA*>(hdr);
    int id = GetDlgCtrlID(reinterpret_cast<HWND>(hdr->idFrom));
    for (const ActionButton& a : ACTIONS)
        if (a.id == id) di->lpszText = const_cast<char*>(a.tip);
    return true;
}

BOOL command(HWND dlg, Preview* p, int id) {
    switch (id) {
        case IDC_PREVIEW_NEXT:
            storeCaption(dlg, p);
            move(dlg, p, 1);
            return TRUE;
        case IDC_PREVIEW_PREVIOUS:
            move(dlg, p, -1);
            return TRUE;
        case IDC_PREVIEW_ROTATE:
        case IDC_PREVIEW_FLIP_H:
        case IDC_PREVIEW_FLIP_V:
        case IDC_PREVIEW_RESTORE:
            act(dlg, p, id);
            return TRUE;
        case IDC_EDITOR_OK:
            if (!p->editor) return FALSE;
            storeCaption(dlg, p);
            close(dlg, p);
            EndDialog(dlg, 1);
            return TRUE;
        case IDC_EDITOR_CANCEL:
        case IDCANCEL:
            if (!p->editor) return FALSE;
            close(dlg, p);
            EndDialog(dlg, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

// The wizard's notifications to the page.
BOOL pageNotification(HWND dlg, Preview* p, UINT code) {
    if (code == PSN_SETACTIVE) {
        p->position = 0;
        bool several = itemCount(p) > 1;
        EnableWindow(GetDlgItem(dlg, IDC_PREVIEW_NEXT), several);
        EnableWindow(GetDlgItem(dlg, IDC_PREVIEW_PREVIOUS), several);
        wizardSetButtons(dlg, PSWIZB_BACK | PSWIZB_NEXT);
        showCurrent(dlg, p);
        wizardFocusLater(dlg, IDC_PREVIEW_CAPTION);
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    if (wizardIsForward(code)) {
        storeCaption(dlg, p);
        ++p->record->pageCounter;
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    if (code == PSN_WIZBACK) {
        --p->record->pageCounter;
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR previewProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam, bool editor) {
    auto* p = reinterpret_cast<Preview*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        p = new Preview;
        p->editor = editor;
        if (editor) {
            p->itemList = lParam ? reinterpret_cast<const EditorContext*>(lParam)->itemList : -1;
        } else if ((p->record = wizardRecordOf(lParam))) {
            p->itemList = p->record->fileList;
        }
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(p));
        open(dlg, p);
        if (editor) showCurrent(dlg, p);
        return FALSE;
    }
    if (!p) return FALSE;
    if (message == WM_DESTROY) {
        close(dlg, p);
        delete p;
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        return FALSE;
    }
    INT_PTR result = 0;
    if (wizardCommonMessage(dlg, message, wParam, lParam, editor ? WIZ_HELP_EDITOR : WIZ_HELP_PREVIEW, &result))
        return result;
    switch (message) {
        case WM_DRAWITEM: {
            auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (di->CtlID != IDC_PREVIEW_IMAGE) return FALSE;
            draw(p, di);
            return TRUE;
        }
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            return command(dlg, p, LOWORD(wParam));
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (tooltipText(hdr)) return TRUE;
            return !editor && p->record ? pageNotification(dlg, p, hdr->code) : FALSE;
        }
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK wizardPreviewPageProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return previewProc(dlg, message, wParam, lParam, false);
}

namespace {

INT_PTR CALLBACK editorProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    return previewProc(dlg, message, wParam, lParam, true);
}

}  // namespace

INT_PTR wizardPhotoEditor(HWND owner, int itemList) {
    EditorContext context{itemList};
    INT_PTR rc = DialogBoxParamA(pageModule(), MAKEINTRESOURCEA(IDD_PHOTO_EDITOR), owner, editorProc,
                                 reinterpret_cast<LPARAM>(&context));
    return rc == 1 ? 1 : 0;
}

// The service editor. Its port rows live only in the list until OK, which
// hands them to serviceCommit in list order.
#include "serviceedit.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "listimages.h"
#include "lvsort.h"
#include "pagehelp.h"
#include "pageids.h"
#include "plugin.h"
#include "portedit.h"
#include "rangetext.h"
#include "servicecommit.h"
#include "servicemod.h"

namespace {

constexpr int NAME_MAX_CHARS = 127;

struct Editor {
    HWND dlg;
    HWND ports;
    HIMAGELIST images;
    LvSortContext sort;
    LPARAM nextRowKey;  // rows are told apart by a key of their own when sorted
    bool committed;     // an OK stored something, even if the editor stayed open
    ServiceFields fields;
};

Editor *editorOf(HWND dlg) { return reinterpret_cast<Editor *>(GetWindowLongPtrA(dlg, DWLP_USER)); }

void setRowTexts(Editor *e, int item, const PortRow &row) {
    char from[8], to[8];
    std::snprintf(from, sizeof from, "%u", (unsigned)row.from);
    std::snprintf(to, sizeof to, "%u", (unsigned)row.to);
    ListView_SetItemText(e->ports, item, 0, from);
    ListView_SetItemText(e->ports, item, 1, to);
    ListView_SetItemText(e->ports, item, 2, const_cast<char *>(protocolName(row.protocol)));
}

void appendRow(Editor *e, const PortRow &row) {
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    it.iItem = ListView_GetItemCount(e->ports);
    it.pszText = const_cast<char *>("");
    it.iImage = IMAGE_PORT_RANGE;
    it.lParam = e->nextRowKey++;
    int item = ListView_InsertItem(e->ports, &it);
    if (item >= 0) setRowTexts(e, item, row);
}

PortRow rowAt(Editor *e, int item) {
    char text[16];
    PortRow row{};
    ListView_GetItemText(e->ports, item, 0, text, sizeof text);
    row.from = (uint16_t)std::strtoul(text, nullptr, 10);
    ListView_GetItemText(e->ports, item, 1, text, sizeof text);
    row.to = (uint16_t)std::strtoul(text, nullptr, 10);
    ListView_GetItemText(e->ports, item, 2, text, sizeof text);
    row.protocol = protocolOfName(text);
    return row;
}

void followSelection(Editor *e) {
    bool selected = ListView_GetNextItem(e->ports, -1, LVNI_SELECTED) >= 0;
    EnableWindow(GetDlgItem(e->dlg, IDC_PORT_EDIT), selected);
    EnableWindow(GetDlgItem(e->dlg, IDC_PORT_DELETE), selected);
}

void followName(Editor *e) {
    EnableWindow(GetDlgItem(e->dlg, IDOK), GetWindowTextLengthA(GetDlgItem(e->dlg, IDC_SERVICE_NAME)) > 0);
}

void init(Editor *e) {
    e->ports = GetDlgItem(e->dlg, IDC_PORTS);
    SendDlgItemMessageA(e->dlg, IDC_SERVICE_NAME, EM_LIMITTEXT, NAME_MAX_CHARS, 0);
    const int marks[] = {IDB_PORT_RANGE};
    e->images = listImagesCreate(marks, 1);
    ListView_SetExtendedListViewStyle(e->ports, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    ListView_SetImageList(e->ports, e->images, LVSIL_SMALL);
    RECT r{};
    GetClientRect(e->ports, &r);
    int width = r.right - r.left;
    const char *titles[] = {"From", "To", "Type"};
    // Type gets what is left short of a vertical scroll bar's width.
    int widths[] = {width * 35 / 100, width * 35 / 100, width * 25 / 100};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char *>(titles[i]);
        column.cx = widths[i];
        column.iSubItem = i;
        ListView_InsertColumn(e->ports, i, &column);
    }
    lvsortInitContext(&e->sort, e->ports);

    ServiceFields &f = e->fields;
    if (f.serviceId >= 0) {
        servicemodGetServiceName(f.serviceId, f.name, sizeof f.name);
        SetDlgItemTextA(e->dlg, IDC_SERVICE_NAME, f.name);
        CheckDlgButton(e->dlg, IDC_SERVICE_ENABLE, servicemodGetServiceEnable(f.serviceId) == 1 ? BST_CHECKED : 0);
        PortRange range{};
        for (int pos = 0; servicemodGetPortRange(f.serviceId, pos, &range) >= 0; ++pos)
            appendRow(e, PortRow{range.from, range.to, range.protocol});
    }
    followName(e);
    followSelection(e);
}

void editRow(Editor *e, int item) {
    PortRow row = item >= 0 ? rowAt(e, item) : PortRow{0, 0, PROTO_TCP};
    PortEdit edit{row.from, row.to, row.protocol};
    if (portEditorRun(e->dlg, &edit) != IDOK) return;
    PortRow result{edit.from, edit.to, edit.protocol};
    if (item >= 0) setRowTexts(e, item, result);
    else appendRow(e, result);
    followSelection(e);
}

void deleteRow(Editor *e) {
    int item = ListView_GetNextItem(e->ports, -1, LVNI_SELECTED);
    if (item < 0) return;
    PortRow row = rowAt(e, item);
    char question[160];
    formatRange(question, sizeof question, "Are you sure you want to remove %s port %u?",
                "Are you sure you want to remove %s ports %u - %u?", row.protocol, row.from, row.to);
    if (MessageBoxA(e->dlg, question, PAGE_TITLE, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    ListView_DeleteItem(e->ports, item);
    followSelection(e);
}

void confirm(Editor *e) {
    ServiceFields &f = e->fields;
    GetDlgItemTextA(e->dlg, IDC_SERVICE_NAME, f.name, sizeof f.name);
    if (!f.name[0]) return;
    f.enabled = IsDlgButtonChecked(e->dlg, IDC_SERVICE_ENABLE) == BST_CHECKED ? 1 : 0;
    f.rows.clear();
    int count = ListView_GetItemCount(e->ports);
    for (int i = 0; i < count; ++i) f.rows.push_back(rowAt(e, i));
    bool complete = serviceCommit(e->dlg, &f);
    e->committed = e->committed || f.serviceId >= 0;
    if (complete) EndDialog(e->dlg, IDOK);
}

INT_PTR CALLBACK serviceEditorProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    Editor *e = editorOf(dlg);
    switch (msg) {
    case WM_INITDIALOG:
        e = reinterpret_cast<Editor *>(lParam);
        e->dlg = dlg;
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        init(e);
        return TRUE;
    case WM_COMMAND:
        if (!e) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_SERVICE_NAME:
            if (HIWORD(wParam) == EN_CHANGE) followName(e);
            return TRUE;
        case IDC_PORT_ADD: editRow(e, -1); return TRUE;
        case IDC_PORT_EDIT: editRow(e, ListView_GetNextItem(e->ports, -1, LVNI_SELECTED)); return TRUE;
        case IDC_PORT_DELETE: deleteRow(e); return TRUE;
        case IDOK: confirm(e); return TRUE;
        case IDCANCEL: EndDialog(dlg, IDCANCEL); return TRUE;
        case IDHELP: pageTopicHelp(dlg, PAGE_HELP_SERVICE); return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<NMHDR *>(lParam);
        if (!e || hdr->hwndFrom != e->ports) return FALSE;
        switch (hdr->code) {
        case LVN_ITEMCHANGED:
        case NM_CLICK: followSelection(e); return TRUE;
        case NM_DBLCLK: {
            int item = ListView_GetNextItem(e->ports, -1, LVNI_SELECTED);
            if (item >= 0) editRow(e, item);
            return TRUE;
        }
        case LVN_COLUMNCLICK: {
            int column = reinterpret_cast<NMLISTVIEW *>(hdr)->iSubItem;
            lvsortColumnClick(&e->sort, column, column == 2 ? LVSORT_TEXT : LVSORT_INTEGER, 0);
            return TRUE;
        }
        }
        return FALSE;
    }
    case WM_HELP:
        pageControlHelp(dlg, PAGE_HELP_SERVICE, reinterpret_cast<const HELPINFO *>(lParam));
        return TRUE;
    case WM_DESTROY:
        if (e && e->images) {
            ListView_SetImageList(e->ports, nullptr, LVSIL_SMALL);
            ImageList_Destroy(e->images);
            e->images = nullptr;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

INT_PTR serviceEditorRun(HWND owner, int serviceId) {
    Editor editor{};
    editor.fields.serviceId = serviceId;
    INT_PTR result = DialogBoxParamA(pluginModule(), MAKEINTRESOURCEA(IDD_SERVICE_EDITOR), owner, serviceEditorProc,
                                     reinterpret_cast<LPARAM>(&editor));
    // A service stored by an OK that then refused a range exists even when the
    // editor is cancelled afterwards: the page must show it and save it.
    return result == IDOK || editor.committed ? IDOK : IDCANCEL;
}

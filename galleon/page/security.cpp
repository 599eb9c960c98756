// The Security page: the access policy (allow all computers or none) and its
// exceptions, the host access module's targets, one row each. The list is
// the page's own until Apply hands it to the module; "&Clear" empties the
// module's list at once.
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "advanced_ids.h"
#include "config.h"
#include "fwmod.h"
#include "hostentry.h"
#include "lvsort.h"
#include "pagecommon.h"
#include "pageids.h"
#include "pages.h"
#include "photolog.h"
#include "varmod.h"

namespace {

constexpr int kHostImage = 3;
constexpr int kNetworkImage = 4;
constexpr int kTargetSize = 32;

struct SecurityPage {
    bool changed;
    LvSortContext sort;
    LPARAM nextParam;  // item data of the next row: unique, for sorting
};

SecurityPage* pageOf(HWND dlg) { return reinterpret_cast<SecurityPage*>(GetWindowLongPtrA(dlg, DWLP_USER)); }
HWND hostList(HWND dlg) { return GetDlgItem(dlg, IDC_SECURITY_HOSTS); }
bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
void enable(HWND dlg, int id, bool on) { EnableWindow(GetDlgItem(dlg, id), on); }

void changed(HWND dlg, SecurityPage* page) {
    page->changed = true;
    PropSheet_Changed(GetParent(dlg), dlg);
}

const char* kindName(const char* target) { return fwmodGetTargetKind(target) == 2 ? "Network" : "Host"; }
int kindImage(const char* target) { return fwmodGetTargetKind(target) == 2 ? kNetworkImage : kHostImage; }

std::string rowText(HWND list, int row) {
    char text[kTargetSize + 32] = "";
    ListView_GetItemText(list, row, 0, text, sizeof text);
    return text;
}

// The row holding exactly this text, or -1.
int findRow(HWND list, const char* text, int except = -1) {
    int n = ListView_GetItemCount(list);
    for (int i = 0; i < n; ++i)
        if (i != except && rowText(list, i) == text) return i;
    return -1;
}

void selectRow(HWND list, int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
}

int addRow(HWND dlg, SecurityPage* page, const char* target, int image) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(hostList(dlg));
    item.pszText = const_cast<char*>(target);
    item.iImage = image;
    item.lParam = page->nextParam++;
    return ListView_InsertItem(hostList(dlg), &item);
}

void setRow(HWND list, int row, const char* target, int image) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<char*>(target);
    item.iImage = image;
    ListView_SetItem(list, &item);
}

void updateButtons(HWND dlg) {
    bool selected = ListView_GetSelectedCount(hostList(dlg)) > 0;
    enable(dlg, IDC_SECURITY_MODIFY, selected);
    enable(dlg, IDC_SECURITY_DELETE, selected);
    enable(dlg, IDC_SECURITY_CLEAR, ListView_GetItemCount(hostList(dlg)) > 0);
}

// Allow all (automatic rejection may then add hosts) or allow none.
void choosePolicy(HWND dlg, int id) {
    CheckRadioButton(dlg, IDC_SECURITY_ALLOW, IDC_SECURITY_DENY, id);
    bool allow = id == IDC_SECURITY_ALLOW;
    if (!allow) CheckDlgButton(dlg, IDC_SECURITY_AUTO_REJECT, BST_UNCHECKED);
    enable(dlg, IDC_SECURITY_AUTO_REJECT, allow);
}

void open(HWND dlg, SecurityPage* page) {
    HWND list = hostList(dlg);
    const int icons[] = {IDI_HOST, IDI_NETWORK};
    pageSetupList(list, icons, 2);
    RECT client{};
    GetClientRect(list, &client);
    pageAddColumn(list, 0, "Host or Network", client.right - client.left - GetSystemMetrics(SM_CXVSCROLL) - 1);
    lvsortInitContext(&page->sort, list);

    CheckDlgButton(dlg, IDC_SECURITY_AUTO_REJECT, g_config.autoReject ? BST_CHECKED : BST_UNCHECKED);
    bool allow = fwmodGetPolicy() == FWMOD_ALLOW_ALL_EXCEPT;
    CheckRadioButton(dlg, IDC_SECURITY_ALLOW, IDC_SECURITY_DENY, allow ? IDC_SECURITY_ALLOW : IDC_SECURITY_DENY);
    enable(dlg, IDC_SECURITY_AUTO_REJECT, allow);

    char target[kTargetSize];
    for (int pos = 0; fwmodGetTarget(pos, target, sizeof target) >= 0; ++pos) addRow(dlg, page, target, kindImage(target));
    updateButtons(dlg);
    page->changed = false;
}

// The host entry dialog; the address entered, or empty after Cancel.
std::string askTarget(HWND dlg, const char* title, const char* description, const std::string& value) {
    int vars = varmodCreateList();
    if (vars < 0) {
        photoLog(LOG_CALL_FAILED, "varmodCreateList() returned error code %d", vars);
        return "";
    }
    varmodAddVariable(vars, "TITLE", title, 0);
    varmodAddVariable(vars, "DESCRIPTION", description, 0);
    varmodAddVariable(vars, "VALUE", value.c_str(), 0);
    std::string result;
    if (hostEntryRun(dlg, vars) == 1 && varmodHasVariable(vars, "RESULT")) {
        char text[kTargetSize] = "";
        varmodGetVariable(vars, "RESULT", text, sizeof text - 1);
        result = text;
    }
    varmodDestroyList(vars);
    return result;
}

void reportExisting(HWND dlg, int row, const char* target) {
    selectRow(hostList(dlg), row);
    updateButtons(dlg);
    char text[128];
    std::snprintf(text, sizeof text, "%s \"%s\" already exists.", kindName(target), target);
    pageMessageBox(dlg, text, MB_OK | MB_ICONERROR);
}

void addTarget(HWND dlg, SecurityPage* page) {
    std::string target = askTarget(dlg, "Add Host or Network",
                                   "Specify the host or network that you wish to add to the access control list", "");
    if (target.empty()) return;
    HWND list = hostList(dlg);
    if (int row = findRow(list, target.c_str()); row >= 0) return reportExisting(dlg, row, target.c_str());
    int row = addRow(dlg, page, target.c_str(), kindImage(target.c_str()));
    selectRow(list, row);
    updateButtons(dlg);
    changed(dlg, page);
}

void modifyTarget(HWND dlg, SecurityPage* page) {
    HWND list = hostList(dlg);
    int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (row < 0) return;
    std::string target = askTarget(dlg, "Modify Host or Network",
                                   "Specify the host or network that you wish to add to the access control list.",
                                   rowText(list, row));
    if (target.empty()) return;
    // The edited row counts too: confirming the same text changes nothing.
    if (int same = findRow(list, target.c_str()); same >= 0) return reportExisting(dlg, same, target.c_str());
    setRow(list, row, target.c_str(), kindImage(target.c_str()));
    selectRow(list, row);
    updateButtons(dlg);
    changed(dlg, page);
}

void deleteTarget(HWND dlg, SecurityPage* page) {
    HWND list = hostList(dlg);
    int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    if (row < 0) return;
    std::string target = rowText(list, row);
    char question[128];
    std::snprintf(question, sizeof question, "Are you sure you want to delete %s %s?", kindName(target.c_str()),
                  target.c_str());
    if (pageMessageBox(dlg, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    bool only = ListView_GetItemCount(list) == 1;
    ListView_DeleteItem(list, row);
    // Without exceptions, allowing no computer would shut everyone out.
    if (only) choosePolicy(dlg, IDC_SECURITY_ALLOW);
    updateButtons(dlg);
    enable(dlg, IDC_SECURITY_DELETE, false);
    changed(dlg, page);
}

void clearTargets(HWND dlg, SecurityPage* page) {
    if (pageMessageBox(dlg, "Are you sure you want to clear all host entries?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    int rc = fwmodClearAllTargets();
    if (rc < 0) {
        photoLog(LOG_CALL_FAILED, "fwmodClearAllTargets() failed with error code %d", rc);
        return;
    }
    ListView_DeleteAllItems(hostList(dlg));
    updateButtons(dlg);
    changed(dlg, page);
}

// An in-place edit of a row: only a whole dotted address is taken, and not
// one that another row holds already.
BOOL endLabelEdit(HWND dlg, SecurityPage* page, const NMLVDISPINFOA* info) {
    const char* text = info->item.pszText;
    if (!text) return FALSE;
    if (!hostEntryIsAddress(text)) return FALSE;
    HWND list = hostList(dlg);
    if (int other = findRow(list, text, info->item.iItem); other >= 0) {
        reportExisting(dlg, other, text);
        return FALSE;
    }
    const char* last = std::strrchr(text, '.');
    bool network = last && std::strcmp(last + 1, "0") == 0;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = info->item.iItem;
    item.iImage = network ? kNetworkImage : kHostImage;
    ListView_SetItem(list, &item);
    changed(dlg, page);
    return TRUE;
}

// PSN_APPLY; false when the user keeps the page to think again.
bool apply(HWND dlg, SecurityPage* page) {
    if (!page->changed) return true;
    HWND list = hostList(dlg);
    int rows = ListView_GetItemCount(list);
    bool deny = checked(dlg, IDC_SECURITY_DENY);
    if (rows == 0 && deny &&
        pageMessageBox(dlg, "You are blocking access to this server from all hosts. Are you sure you want to continue?",
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    int rc = fwmodClearAllTargets();
    if (rc < 0) photoLog(LOG_CALL_FAILED, "fwmodClearAllTargets() failed with error code %d", rc);
    rc = fwmodSetPolicy(deny ? FWMOD_DENY_ALL_EXCEPT : FWMOD_ALLOW_ALL_EXCEPT);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "fwmodSetPolicy() failed with error code %d", rc);
    for (int i = 0; i < rows; ++i) {
        rc = fwmodAddTarget(rowText(list, i).c_str());
        if (rc < 0) photoLog(LOG_CALL_FAILED, "fwmodAddTarget() failed with error code %d", rc);
    }
    g_config.autoReject = checked(dlg, IDC_SECURITY_AUTO_REJECT) ? 1 : 0;
    char text[16];
    std::snprintf(text, sizeof text, "%d", g_config.autoReject);
    WritePrivateProfileStringA(CONFIG_SECTION, "AutoReject", text, g_config.configPath);
    page->changed = false;
    return true;
}

BOOL command(HWND dlg, SecurityPage* page, WORD id, WORD code) {
    if (code != BN_CLICKED) return FALSE;
    switch (id) {
    case IDC_SECURITY_ALLOW:
    case IDC_SECURITY_DENY:
        choosePolicy(dlg, id);
        changed(dlg, page);
        return TRUE;
    case IDC_SECURITY_AUTO_REJECT: changed(dlg, page); return TRUE;
    case IDC_SECURITY_ADD: addTarget(dlg, page); return TRUE;
    case IDC_SECURITY_MODIFY: modifyTarget(dlg, page); return TRUE;
    case IDC_SECURITY_DELETE: deleteTarget(dlg, page); return TRUE;
    case IDC_SECURITY_CLEAR: clearTargets(dlg, page); return TRUE;
    }
    return FALSE;
}

BOOL listNotify(HWND dlg, SecurityPage* page, NMHDR* hdr) {
    switch (hdr->code) {
    case NM_CLICK:
    case LVN_ITEMCHANGED: updateButtons(dlg); return FALSE;
    case NM_DBLCLK:
        if (ListView_GetNextItem(hostList(dlg), -1, LVNI_SELECTED) >= 0) modifyTarget(dlg, page);
        return TRUE;
    case LVN_COLUMNCLICK:
        lvsortColumnClick(&page->sort, reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem, LVSORT_IPV4, 0);
        return TRUE;
    case LVN_BEGINLABELEDITA: SetWindowLongPtrA(dlg, DWLP_MSGRESULT, FALSE); return TRUE;
    case LVN_ENDLABELEDITA:
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, endLabelEdit(dlg, page, reinterpret_cast<NMLVDISPINFOA*>(hdr)));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

ZELEXT_EXPORT INT_PTR CALLBACK zelextSecurityProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    SecurityPage* page = pageOf(dlg);
    switch (message) {
    case WM_INITDIALOG:
        page = new SecurityPage{};
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        open(dlg, page);
        return TRUE;
    case WM_COMMAND:
        return page ? command(dlg, page, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_CTLCOLORSTATIC:
        return pageHeadingColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (!page) return FALSE;
        if (hdr->hwndFrom == hostList(dlg)) return listNotify(dlg, page, hdr);
        if (hdr->code == PSN_APPLY) {
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, apply(dlg, page) ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
            return TRUE;
        }
        if (hdr->code == PSN_HELP) {
            pageTopicHelp(dlg, HELP_SECURITY);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        pageControlHelp(dlg, HELP_SECURITY, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_DESTROY:
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        delete page;
        return FALSE;
    }
    return FALSE;
}

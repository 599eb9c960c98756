// The "Advanced..." sheet of the Settings page: the Options, Security and
// Log pages, each with its icon and help, in one modal property sheet.
#include <prsht.h>

#include "pagecommon.h"
#include "pageids.h"
#include "pages.h"

INT_PTR advancedSheetRun(HWND owner) {
    struct Page {
        int dialog;
        int icon;
        DLGPROC proc;
    };
    const Page kPages[] = {
        {IDD_OPTIONS, IDI_OPTIONS, zelextOptionsProc},
        {IDD_SECURITY, IDI_PASSWORD, zelextSecurityProc},
        {IDD_LOG, IDI_TYPE, zelextLogProc},
    };
    PROPSHEETPAGEA pages[3]{};
    for (int i = 0; i < 3; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USEICONID | PSP_HASHELP;
        pages[i].hInstance = pageModule();
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPages[i].dialog);
        pages[i].pszIcon = MAKEINTRESOURCEA(kPages[i].icon);
        pages[i].pfnDlgProc = kPages[i].proc;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = pageModule();
    header.pszCaption = "Advanced...";
    header.nPages = 3;
    header.ppsp = pages;
    return PropertySheetA(&header);
}

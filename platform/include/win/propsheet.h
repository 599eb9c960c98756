/* Property sheets and wizards: a modal window of pages (child dialogs) with
 * tabs and OK, Cancel, Apply and Help, or in wizard mode with Back, Next,
 * Finish and Cancel. Pages talk to the sheet through WM_NOTIFY (PSN_*, the
 * answer in DWL_MSGRESULT) and the sheet's PSM_* messages. Implemented by
 * libplatformui.so. */
#ifndef PLATFORM_WIN_PROPSHEET_H
#define PLATFORM_WIN_PROPSHEET_H

#include "types.h"
#include "handles.h"
#include "user.h"
#include "comctl.h"
#include "tabctl.h"

struct _PROPSHEETPAGEA;
typedef UINT(CALLBACK *LPFNPSPCALLBACKA)(HWND hwnd, UINT uMsg, struct _PROPSHEETPAGEA *ppsp);
typedef int(CALLBACK *PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);

/* One page. The sheet keeps a copy of dwSize bytes (callers may append their
 * own data after the record); WM_INITDIALOG of the page gets that copy. */
typedef struct _PROPSHEETPAGEA {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCSTR pszTemplate;          /* name or MAKEINTRESOURCE id in hInstance */
        LPCDLGTEMPLATEA pResource;   /* PSP_DLGINDIRECT */
    };
    union {
        HICON hIcon;                 /* PSP_USEHICON */
        LPCSTR pszIcon;              /* PSP_USEICONID: name or id in hInstance */
    };
    LPCSTR pszTitle;                 /* PSP_USETITLE: text or id of a string */
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKA pfnCallback;    /* PSP_USECALLBACK */
    UINT *pcRefParent;               /* PSP_USEREFPARENT */
} PROPSHEETPAGEA, *LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA *LPCPROPSHEETPAGEA;
typedef PROPSHEETPAGEA PROPSHEETPAGE;
typedef LPPROPSHEETPAGEA LPPROPSHEETPAGE;
typedef LPCPROPSHEETPAGEA LPCPROPSHEETPAGE;
#define PROPSHEETPAGEA_V1_SIZE sizeof(PROPSHEETPAGEA)

#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400
#define PSP_HIDEHEADER 0x00000800
#define PSP_USEHEADERTITLE 0x00001000
#define PSP_USEHEADERSUBTITLE 0x00002000

/* pfnCallback of a page: PSPCB_CREATE before its window is made (0: the
 * page is left out), PSPCB_RELEASE when the page is destroyed. */
#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

typedef struct _PROPSHEETHEADERA {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;                 /* owner, disabled while the sheet runs */
    HINSTANCE hInstance;             /* for pszIcon and pszCaption ids */
    union {
        HICON hIcon;                 /* PSH_USEHICON */
        LPCSTR pszIcon;              /* PSH_USEICONID */
    };
    LPCSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCSTR pStartPage;           /* PSH_USEPSTARTPAGE: the title of the start page */
    };
    union {
        LPCPROPSHEETPAGEA ppsp;      /* PSH_PROPSHEETPAGE: an array of nPages records */
        HPROPSHEETPAGE *phpage;      /* otherwise: nPages handles, owned by the sheet from now on */
    };
    PFNPROPSHEETCALLBACK pfnCallback; /* PSH_USECALLBACK */
} PROPSHEETHEADERA, *LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA *LPCPROPSHEETHEADERA;
typedef PROPSHEETHEADERA PROPSHEETHEADER;
typedef LPPROPSHEETHEADERA LPPROPSHEETHEADER;
typedef LPCPROPSHEETHEADERA LPCPROPSHEETHEADER;
#define PROPSHEETHEADERA_V1_SIZE sizeof(PROPSHEETHEADERA)

#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARDHASFINISH 0x00000010
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSH_RTLREADING 0x00000800
#define PSH_WIZARDCONTEXTHELP 0x00001000

/* pfnCallback of a sheet: PSCB_INITIALIZED once the sheet window exists. */
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

/* Notifications to pages (WM_NOTIFY with a PSHNOTIFY from the sheet). */
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_WIZBACK (PSN_FIRST - 6)
#define PSN_WIZNEXT (PSN_FIRST - 7)
#define PSN_WIZFINISH (PSN_FIRST - 8)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

/* Answers to PSN_APPLY. */
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2
#define PSNRET_MESSAGEHANDLED 3

typedef struct _PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam; /* PSN_APPLY: TRUE for OK, FALSE for Apply; PSN_RESET: TRUE for the close box */
} PSHNOTIFY, *LPPSHNOTIFY;

/* Messages to the sheet. */
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_SETFINISHTEXTA (WM_USER + 115)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_SETTITLE PSM_SETTITLEA
#define PSM_SETFINISHTEXT PSM_SETFINISHTEXTA

/* PSM_SETWIZBUTTONS flags. */
#define PSWIZB_BACK 0x00000001
#define PSWIZB_NEXT 0x00000002
#define PSWIZB_FINISH 0x00000004
#define PSWIZB_DISABLEDFINISH 0x00000008

/* PSM_PRESSBUTTON buttons. */
#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6
#define PSBTN_MAX 6

#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

/* Control ids inside the sheet window. */
#define PSH_IDC_TAB 0x3020
#define PSH_IDC_APPLYNOW 0x3021
#define PSH_IDC_BACK 0x3023
#define PSH_IDC_NEXT 0x3024
#define PSH_IDC_FINISH 0x3025

#define PropSheet_Changed(s, p) SendMessageA((s), PSM_CHANGED, (WPARAM)(p), 0)
#define PropSheet_UnChanged(s, p) SendMessageA((s), PSM_UNCHANGED, (WPARAM)(p), 0)
#define PropSheet_CancelToClose(s) PostMessageA((s), PSM_CANCELTOCLOSE, 0, 0)
#define PropSheet_SetWizButtons(s, f) PostMessageA((s), PSM_SETWIZBUTTONS, 0, (LPARAM)(f))
#define PropSheet_PressButton(s, b) PostMessageA((s), PSM_PRESSBUTTON, (WPARAM)(b), 0)
#define PropSheet_SetCurSel(s, h, i) SendMessageA((s), PSM_SETCURSEL, (WPARAM)(i), (LPARAM)(h))
#define PropSheet_SetCurSelByID(s, id) SendMessageA((s), PSM_SETCURSELID, 0, (LPARAM)(id))
#define PropSheet_GetCurrentPageHwnd(s) ((HWND)SendMessageA((s), PSM_GETCURRENTPAGEHWND, 0, 0))
#define PropSheet_GetTabControl(s) ((HWND)SendMessageA((s), PSM_GETTABCONTROL, 0, 0))
#define PropSheet_SetTitle(s, f, t) SendMessageA((s), PSM_SETTITLEA, (WPARAM)(f), (LPARAM)(t))
#define PropSheet_SetFinishText(s, t) SendMessageA((s), PSM_SETFINISHTEXTA, 0, (LPARAM)(t))
#define PropSheet_QuerySiblings(s, w, l) SendMessageA((s), PSM_QUERYSIBLINGS, (WPARAM)(w), (LPARAM)(l))
#define PropSheet_Apply(s) SendMessageA((s), PSM_APPLY, 0, 0)

WIN_EXTERN_C_BEGIN

/* Copies the record (dwSize bytes); NULL for a record that is too small. */
WINBASEAPI HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer);
/* Destroys a page that no sheet has taken; FALSE for an unknown handle. */
WINBASEAPI BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage);
/* Runs a modal sheet: 1 or more when settings were applied (OK, Apply or a
 * wizard's Finish), 0 when cancelled without applying, -1 on error. Pages
 * given as handles belong to the sheet and are destroyed with it. */
WINBASEAPI INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph);

WIN_EXTERN_C_END

#define CreatePropertySheetPage CreatePropertySheetPageA
#define PropertySheet PropertySheetA

#endif

/* The shell: the notification area, opening documents and URLs, dropped
 * files. Implemented by libplatformui.so on the desktop's own services. */
#ifndef PLATFORM_SHELLAPI_H
#define PLATFORM_SHELLAPI_H

#include <windows.h>
/* Desktop settings and the caption animation that goes with the tray. */
#include "win/sysparams.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SHELLAPI __attribute__((visibility("default")))

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
#endif

/* Notification area. The record keeps the field order of every layout; the
 * handles are pointer-sized, so cbSize names the layout rather than measuring
 * it: NOTIFYICONDATAA_V1_SIZE (tooltip of 64), _V2_SIZE (tooltip of 128, state,
 * balloon) and _V3_SIZE (with guidItem); the sizes of this build's own record
 * for the same layouts are accepted too. */
typedef struct _NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    CHAR szInfo[256];
    union {
        UINT uTimeout;
        UINT uVersion;
    };
    CHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;
typedef NOTIFYICONDATAA NOTIFYICONDATA;
typedef PNOTIFYICONDATAA PNOTIFYICONDATA;

#define NOTIFYICONDATAA_V1_SIZE 88
#define NOTIFYICONDATAA_V2_SIZE 488
#define NOTIFYICONDATAA_V3_SIZE 504

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIM_SETFOCUS 0x00000003
#define NIM_SETVERSION 0x00000004

#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#define NIF_STATE 0x00000008
#define NIF_INFO 0x00000010
#define NIF_GUID 0x00000020

#define NIS_HIDDEN 0x00000001
#define NIS_SHAREDICON 0x00000002

#define NIIF_NONE 0x00000000
#define NIIF_INFO 0x00000001
#define NIIF_WARNING 0x00000002
#define NIIF_ERROR 0x00000003
#define NIIF_USER 0x00000004
#define NIIF_ICON_MASK 0x0000000F
#define NIIF_NOSOUND 0x00000010

/* Callback notifications (lParam of the icon's callback message). */
#define NIN_SELECT 0x0400
#define NIN_KEYSELECT 0x0401
#define NIN_BALLOONSHOW 0x0402
#define NIN_BALLOONHIDE 0x0403
#define NIN_BALLOONTIMEOUT 0x0404
#define NIN_BALLOONUSERCLICK 0x0405

SHELLAPI BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);

/* Opening documents and URLs in the user's applications. Results above 32
 * mean success. */
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

SHELLAPI HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                                 LPCSTR lpDirectory, INT nShowCmd);

/* Dropped files: a window that accepts them gets WM_DROPFILES with an HDROP in
 * wParam, read with DragQueryFileA and released with DragFinish. */
#define WM_DROPFILES 0x0233

SHELLAPI void DragAcceptFiles(HWND hWnd, BOOL fAccept);
SHELLAPI UINT DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch);
SHELLAPI BOOL DragQueryPoint(HDROP hDrop, LPPOINT lppt);
SHELLAPI void DragFinish(HDROP hDrop);

#undef SHELLAPI

#ifdef __cplusplus
}
#endif

#endif

/* The contract between the host program and its plug-ins: the records that
 * cross the boundary, the notification codes, and the signatures of every
 * exported function in both directions. Plug-ins and the host include this one
 * header; nothing else is shared between them.
 *
 * Every export has C linkage and is found by name with GetProcAddress: the
 * host looks up the plug-in exports on each plug-in's module handle, a plug-in
 * looks up the host exports on the module handles it receives through
 * zelextEnumModules (see common/include/zelext_plugin.h for the plug-in side
 * helpers). Results are signed 32-bit integers, 0 for success and a negative
 * code for failure. */
#ifndef ZELEXT_H
#define ZELEXT_H

#include <windows.h>

/* Host version, in hundredths (201 = 2.01). A plug-in states the oldest host
 * version it accepts as the decimal text of its "SpecialBuild" version item. */
#define ZELEXT_HOST_VERSION 201

/* Version items the host reads from a plug-in file before loading it. A string
 * item is looked up in the first block and, when absent, in the second. */
#define ZELEXT_VERSION_BLOCK_1 "100904B0"
#define ZELEXT_VERSION_BLOCK_2 "040904B0"
#define ZELEXT_NAME_SIZE 128    /* InternalName: at most 127 characters */
#define ZELEXT_STRING_SIZE 512  /* SpecialBuild, Comments, CompanyName */

/* At most this many plug-ins, and this many module handles remembered by a
 * plug-in; at most this many settings pages of all plug-ins together. */
#define ZELEXT_MAX_MODULES 16
#define ZELEXT_MAX_PAGES 16

/* Window class of the host's main window that a plug-in initialised through
 * the legacy zelextInit looks for. */
#define ZELEXT_HOST_CLASS "LOOMC:PROGRAM"

/* ---- Records ----------------------------------------------------------- */

#define EXT_INIT_INFO_SIZE 592
#define EXT_INIT_LOG_NAME_SIZE 64
#define EXT_INIT_CAPTION_SIZE 256
#define EXT_INIT_CONFIG_PATH_SIZE 260

/* Initialisation record passed to zelextInitEx. Fixed layout of 592 bytes,
 * little-endian, with 4-byte handle fields: store handles with HandleToULong
 * and read them back with ULongToHandle<HMODULE>/<HWND>. Character fields are
 * NUL-terminated and zero-filled. */
typedef struct ExtInitInfo {
    DWORD size;                                 /* 592; a plug-in refuses any other value */
    DWORD resourceModule;                       /* HMODULE of the host's branding module */
    DWORD hostWindow;                           /* HWND of the host's hidden main window */
    CHAR logName[EXT_INIT_LOG_NAME_SIZE];       /* mailslot name for the log client */
    CHAR caption[EXT_INIT_CAPTION_SIZE];        /* the same service name again */
    CHAR configPath[EXT_INIT_CONFIG_PATH_SIZE]; /* full path of cradle.ini */
} ExtInitInfo;

#ifdef __cplusplus
static_assert(sizeof(ExtInitInfo) == EXT_INIT_INFO_SIZE, "ExtInitInfo is 592 bytes");
static_assert(offsetof(ExtInitInfo, resourceModule) == 4, "ExtInitInfo layout");
static_assert(offsetof(ExtInitInfo, hostWindow) == 8, "ExtInitInfo layout");
static_assert(offsetof(ExtInitInfo, logName) == 12, "ExtInitInfo layout");
static_assert(offsetof(ExtInitInfo, caption) == 76, "ExtInitInfo layout");
static_assert(offsetof(ExtInitInfo, configPath) == 332, "ExtInitInfo layout");
#else
_Static_assert(sizeof(ExtInitInfo) == EXT_INIT_INFO_SIZE, "ExtInitInfo is 592 bytes");
#endif

/* Icon request passed to zelextSetIcon. */
typedef struct ExtIconInfo {
    LPCSTR tip;  /* new tooltip of the tray icon; required */
    HICON icon;  /* new icon; the host keeps a copy, the caller keeps this one */
    INT flash;   /* non-zero: the tray icon blinks; zero: blinking stops */
} ExtIconInfo;

/* Saved tray icon and tooltip: created by zelextSaveIcon, destroyed only by
 * zelextFreeIcon. Opaque to plug-ins. */
typedef struct ExtSavedIcon ExtSavedIcon;

/* Balloon kinds of ExtInfoTip.infoFlags. */
#ifndef NIIF_NONE
#define NIIF_NONE 0x00000000
#define NIIF_INFO 0x00000001
#define NIIF_WARNING 0x00000002
#define NIIF_ERROR 0x00000003
#endif

/* What a click on a balloon does (ExtInfoTip.action, read only with a module
 * text): open the plug-in's first page, notify the plug-in, blink and notify,
 * nothing, blink and open the first page. */
#define EXT_TIP_OPEN_PAGE 0
#define EXT_TIP_NOTIFY 1
#define EXT_TIP_BLINK_NOTIFY 2
#define EXT_TIP_NONE 3
#define EXT_TIP_BLINK_OPEN_PAGE 4

/* Balloon request passed to zelextShowInfoTip. */
typedef struct ExtInfoTip {
    LPCSTR title;    /* at most 63 characters; required */
    LPCSTR text;     /* at most 255 characters; required */
    LPCSTR module;   /* InternalName the click belongs to; null or empty: none */
    UINT timeout;    /* milliseconds, passed on unchanged */
    UINT infoFlags;  /* NIIF_* */
    DWORD reserved;  /* not read by the host */
    INT action;      /* EXT_TIP_* */
} ExtInfoTip;

/* ---- Notification codes (first argument of zelextNotifyChange) --------- */

#define EXT_NOTIFY_STARTUP 1        /* value 1: all plug-ins loaded and introduced */
#define EXT_NOTIFY_CONFIG_CHANGED 3 /* value EXT_CONFIG_RELOAD: read the settings again */
#define EXT_NOTIFY_COMMAND_LINE 4   /* value: global atom of a command-line string */
#define EXT_NOTIFY_TIP_CLICKED 6    /* value 0: a balloon of this plug-in was clicked */
#define EXT_NOTIFY_MENU_BAR 7       /* value: menu id for zelextAddMenuItem */
#define EXT_NOTIFY_MENU_COMMAND 8   /* value: command value of the chosen item */
#define EXT_CONFIG_RELOAD 4

/* Text of zelextAddMenuItem that makes a separator. */
#define MENUHOST_SEPARATOR "MENUHOST_SEPARATOR"

/* ---- Settings pages ---------------------------------------------------- */

/* A page is an ordinary dialog procedure working as a property-sheet page:
 * the host creates it from the plug-in's template (id from
 * zelextGetEntryPointDlg, low 16 bits) and resource module
 * (zelextGetModuleHandle), sends PSN_SETACTIVE, PSN_APPLY (lParam TRUE for OK,
 * FALSE for Apply) and PSN_HELP, reads the answer from DWL_MSGRESULT, accepts
 * PSM_CHANGED and PSM_PRESSBUTTON, and shows the text pointed to by the page's
 * GWL_USERDATA word as the tooltip of its tree entry. The template's caption
 * is the page title. The procedure type DLGPROC comes from <windows.h>. */

/* ---- Exports of every plug-in (the host calls them) --------------------- */

typedef int (*PFN_zelextInitEx)(ExtInitInfo *info);
typedef int (*PFN_zelextInit)(LPCSTR configPath);
typedef int (*PFN_zelextShutdown)(void);
typedef HMODULE (*PFN_zelextGetModuleHandle)(void);
typedef int (*PFN_zelextGetDlgCount)(void);
typedef int (*PFN_zelextGetEntryPointDlg)(int page);
typedef HICON (*PFN_zelextGetEntryPointIcon)(int page, int size);
typedef DLGPROC (*PFN_zelextGetEntryPointProc)(int page);
typedef int (*PFN_zelextEnumModules)(HMODULE module);
typedef int (*PFN_zelextNotifyChange)(int code, int value);
typedef int (*PFN_zelextGetLastError)(void);

/* ---- Exports of the host program (plug-ins call them) ------------------- */

typedef int (*PFN_zelextSetIcon)(ExtIconInfo *info);
typedef int (*PFN_zelextSaveIcon)(ExtSavedIcon **saved);
typedef int (*PFN_zelextRestoreIcon)(ExtSavedIcon *saved);
typedef int (*PFN_zelextFreeIcon)(ExtSavedIcon **saved);
typedef int (*PFN_zelextAddMenuItem)(int menuId, LPCSTR popup, LPCSTR text, int command,
                                     HMODULE owner);
typedef int (*PFN_zelextDeleteMenuItem)(int menuId, int item);
typedef int (*PFN_zelextShowInfoTip)(ExtInfoTip *tip);
typedef int (*PFN_zelextInstallModule)(LPCSTR path);
typedef int (*PFN_zelextDeferInstallModule)(LPCSTR path);

#ifdef __cplusplus
/* Converts a GetProcAddress result to the export's own pointer type:
 *     auto init = zelextProc<PFN_zelextInitEx>(GetProcAddress(module, "zelextInitEx")); */
template <typename Fn>
inline Fn zelextProc(FARPROC proc) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)(void)>(proc));
}
#endif

/* Declares an export of this module with C linkage and default visibility. */
#ifdef __cplusplus
#define ZELEXT_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define ZELEXT_EXPORT __attribute__((visibility("default")))
#endif

#endif

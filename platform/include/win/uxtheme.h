/* Visual styles: the module "UXTHEME.DLL", loaded at run time, draws the
 * parts of the desktop's theme (Qt's style). Setting SUITE_CLASSIC_LOOK=1 in
 * the environment makes the module refuse to load, so programs fall back to
 * the classic look as on a system without visual styles. */
#ifndef PLATFORM_WIN_UXTHEME_H
#define PLATFORM_WIN_UXTHEME_H

#include "types.h"
#include "handles.h"

#ifndef HRESULT_DEFINED
#define HRESULT_DEFINED
typedef LONG HRESULT;
#endif
#define S_OK ((HRESULT)0L)
#define E_FAIL ((HRESULT)0x80004005L)
#define E_HANDLE ((HRESULT)0x80070006L)
#define E_INVALIDARG ((HRESULT)0x80070057L)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

/* Parts and states of the "Button" class. */
#define BP_PUSHBUTTON 1
#define BP_RADIOBUTTON 2
#define BP_CHECKBOX 3
#define BP_GROUPBOX 4
#define PBS_NORMAL 1
#define PBS_HOT 2
#define PBS_PRESSED 3
#define PBS_DISABLED 4
#define PBS_DEFAULTED 5
#define RBS_UNCHECKEDNORMAL 1
#define RBS_UNCHECKEDHOT 2
#define RBS_UNCHECKEDPRESSED 3
#define RBS_UNCHECKEDDISABLED 4
#define RBS_CHECKEDNORMAL 5
#define RBS_CHECKEDHOT 6
#define RBS_CHECKEDPRESSED 7
#define RBS_CHECKEDDISABLED 8
#define CBS_UNCHECKEDNORMAL 1
#define CBS_UNCHECKEDHOT 2
#define CBS_UNCHECKEDPRESSED 3
#define CBS_UNCHECKEDDISABLED 4
#define CBS_CHECKEDNORMAL 5
#define CBS_CHECKEDHOT 6
#define CBS_CHECKEDPRESSED 7
#define CBS_CHECKEDDISABLED 8
#define GBS_NORMAL 1
#define GBS_DISABLED 2

/* DrawThemeText's second flags. */
#define DTT_GRAYED 0x1

typedef HTHEME(WINAPI *PFN_OpenThemeData)(HWND hwnd, LPCWSTR pszClassList);
typedef HRESULT(WINAPI *PFN_CloseThemeData)(HTHEME hTheme);
typedef HRESULT(WINAPI *PFN_DrawThemeBackground)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                                 const RECT *pRect, const RECT *pClipRect);
typedef HRESULT(WINAPI *PFN_DrawThemeText)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText,
                                           int cchText, DWORD dwTextFlags, DWORD dwTextFlags2, const RECT *pRect);
typedef HRESULT(WINAPI *PFN_GetThemeBackgroundContentRect)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                                           const RECT *pBoundingRect, RECT *pContentRect);

WIN_EXTERN_C_BEGIN

/* The theme of the first class of a ";"-separated list that the module
 * draws ("Button"); NULL for none. */
WINBASEAPI HTHEME WINAPI OpenThemeData(HWND hwnd, LPCWSTR pszClassList);
WINBASEAPI HRESULT WINAPI CloseThemeData(HTHEME hTheme);
WINBASEAPI HRESULT WINAPI DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT *pRect,
                                              const RECT *pClipRect);
/* Text in the context's font, in the theme's text colour for the state;
 * DT_* flags as DrawTextA (cchText -1: up to the NUL). */
WINBASEAPI HRESULT WINAPI DrawThemeText(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText,
                                        int cchText, DWORD dwTextFlags, DWORD dwTextFlags2, const RECT *pRect);
/* The part's content area inside its border. */
WINBASEAPI HRESULT WINAPI GetThemeBackgroundContentRect(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                                        const RECT *pBoundingRect, RECT *pContentRect);
WINBASEAPI BOOL WINAPI IsThemeActive(void);
WINBASEAPI BOOL WINAPI IsAppThemed(void);

WIN_EXTERN_C_END

#endif

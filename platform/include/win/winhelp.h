/* WinHelpA on the suite's help archives: context numbers open pages in the
 * user's browser, context pop-ups show the numbered text of the archive's
 * pop-up file. */
#ifndef PLATFORM_WIN_WINHELP_H
#define PLATFORM_WIN_WINHELP_H

#include "types.h"
#include "handles.h"

#define HELP_CONTEXT 0x0001L
#define HELP_QUIT 0x0002L
#define HELP_INDEX 0x0003L
#define HELP_CONTENTS 0x0003L
#define HELP_HELPONHELP 0x0004L
#define HELP_SETINDEX 0x0005L
#define HELP_SETCONTENTS 0x0005L
#define HELP_CONTEXTPOPUP 0x0008L
#define HELP_FORCEFILE 0x0009L
#define HELP_CONTEXTMENU 0x000AL
#define HELP_FINDER 0x000BL
#define HELP_WM_HELP 0x000CL
#define HELP_KEY 0x0101L
#define HELP_PARTIALKEY 0x0105L

WIN_EXTERN_C_BEGIN

/* HELP_CONTEXTMENU and HELP_WM_HELP: hWndMain is the control, dwData a list
 * of (control id, context) pairs ended by a zero pair. FALSE when the file,
 * context or topic is missing. */
WINBASEAPI BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

WIN_EXTERN_C_END

#endif

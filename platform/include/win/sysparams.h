/* Desktop settings the programs ask about, and the caption animation that
 * shows a window opening from (or closing to) the notification area.
 * Comes with <shellapi.h>. */
#ifndef PLATFORM_WIN_SYSPARAMS_H
#define PLATFORM_WIN_SYSPARAMS_H

#include "types.h"
#include "handles.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tagANIMATIONINFO {
    UINT cbSize;
    int iMinAnimate; /* non-zero: windows animate when minimised, restored, opened from the tray */
} ANIMATIONINFO, *LPANIMATIONINFO;

#define SPI_GETWORKAREA 0x0030
#define SPI_GETANIMATION 0x0048
#define SPI_SETANIMATION 0x0049

#define SPIF_UPDATEINIFILE 0x0001
#define SPIF_SENDCHANGE 0x0002

#define IDANI_OPEN 1
#define IDANI_CAPTION 3

__attribute__((visibility("default"))) BOOL SystemParametersInfoA(UINT uiAction, UINT uiParam, void *pvParam,
                                                                 UINT fWinIni);
__attribute__((visibility("default"))) BOOL DrawAnimatedRects(HWND hwnd, int idAni, const RECT *lprcFrom,
                                                             const RECT *lprcTo);

#ifdef __cplusplus
}
#endif

#endif

/* Image lists: rows of same-sized images with transparency, for list views,
 * tree views, headers and owner-drawn items. Implemented by libplatformui.so;
 * <commctrl.h> includes this header. */
#ifndef PLATFORM_WIN_IMAGELIST_H
#define PLATFORM_WIN_IMAGELIST_H

#include "types.h"
#include "handles.h"
#include "colors.h"
#include "res.h"

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_BLEND25 0x00000002
#define ILD_FOCUS ILD_BLEND25
#define ILD_BLEND50 0x00000004
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50
#define ILD_MASK 0x00000010
#define ILD_IMAGE 0x00000020

WIN_EXTERN_C_BEGIN

/* A list of cx x cy images; cInitial and cGrow are only hints. Colour depths
 * are all kept as 32-bit pixels with alpha; ILC_MASK keeps the masks given. */
WINBASEAPI HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
WINBASEAPI BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
WINBASEAPI int WINAPI ImageList_GetImageCount(HIMAGELIST himl);
/* Grows (with transparent images) or shrinks the list. */
WINBASEAPI BOOL WINAPI ImageList_SetImageCount(HIMAGELIST himl, UINT uNewCount);
WINBASEAPI BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int *cx, int *cy);
/* Adds the images of a bitmap (as many as its width holds, cx each); mask
 * pixels that are set (white) are transparent. Returns the first new index,
 * -1 on failure. */
WINBASEAPI int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
/* The same, with the pixels of colour crMask transparent (the bitmap itself
 * is left as it is). */
WINBASEAPI int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
/* Replaces image i by the icon, scaled to the list's size; i = -1 appends.
 * Returns the image's index, -1 on failure. */
WINBASEAPI int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)
WINBASEAPI BOOL WINAPI ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask);
/* Removes image i; -1 removes all. */
WINBASEAPI BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i);
#define ImageList_RemoveAll(himl) ImageList_Remove(himl, -1)
/* The background drawn behind images with ILD_NORMAL; CLR_NONE (the
 * default) draws transparently. Returns the previous colour. */
WINBASEAPI COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
WINBASEAPI COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl);
WINBASEAPI BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
/* dx, dy: the part of the image drawn (0: all). rgbBk: background
 * (CLR_DEFAULT: the list's, CLR_NONE: none); rgbFg: the colour blended in
 * by ILD_BLEND25/50 (CLR_DEFAULT: the highlight colour). */
WINBASEAPI BOOL WINAPI ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                                        COLORREF rgbBk, COLORREF rgbFg, UINT fStyle);
/* A new icon of image i (the caller destroys it). */
WINBASEAPI HICON WINAPI ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
/* A list of the images of a bitmap or icon resource (or file with
 * LR_LOADFROMFILE), cx wide each; crMask: the transparent colour, CLR_NONE
 * for none, CLR_DEFAULT for the colour of the top-left pixel. */
WINBASEAPI HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE hi, LPCSTR lpbmp, int cx, int cGrow, COLORREF crMask,
                                                  UINT uType, UINT uFlags);
#define ImageList_LoadBitmap(hi, lpbmp, cx, cGrow, crMask) \
    ImageList_LoadImageA(hi, lpbmp, cx, cGrow, crMask, IMAGE_BITMAP, 0)

WIN_EXTERN_C_END

#endif

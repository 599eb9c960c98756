/* Resources of a module: the compiled resource script that every module
 * (program, plug-ins, branding module) carries, and the icons and bitmaps
 * loaded from it. Icons and bitmaps are handles that hold decoded 32-bit
 * pixels; drawing them belongs to the windowing layer. */
#ifndef PLATFORM_WIN_RES_H
#define PLATFORM_WIN_RES_H

#include "handles.h"

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_FONTDIR MAKEINTRESOURCEA(7)
#define RT_FONT MAKEINTRESOURCEA(8)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEA(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)
#define RT_HTML MAKEINTRESOURCEA(23)
#define RT_MANIFEST MAKEINTRESOURCEA(24)

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2

#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_COLOR 0x00000002
#define LR_COPYRETURNORG 0x00000004
#define LR_COPYDELETEORG 0x00000008
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_VGACOLOR 0x00000080
#define LR_LOADMAP3DCOLORS 0x00001000
#define LR_CREATEDIBSECTION 0x00002000
#define LR_COPYFROMRESOURCE 0x00004000
#define LR_SHARED 0x00008000

#ifndef ERROR_INVALID_CURSOR_HANDLE
#define ERROR_INVALID_CURSOR_HANDLE 1402L
#endif
#ifndef ERROR_INVALID_ICON_HANDLE
#define ERROR_INVALID_ICON_HANDLE 1414L
#endif

/* GDI object kinds of GetObjectType. */
#ifndef OBJ_BITMAP
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10
#endif

typedef struct _ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
} ICONINFO, *PICONINFO;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

/* Icon group directory (RT_GROUP_ICON): the images of one icon, each an
 * RT_ICON resource holding PNG data. */
#pragma pack(push, 2)
typedef struct GRPICONDIRENTRY {
    BYTE bWidth; /* 0 means 256 or more */
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
} GRPICONDIRENTRY;
typedef struct GRPICONDIR {
    WORD idReserved;
    WORD idType;
    WORD idCount;
    GRPICONDIRENTRY idEntries[1];
} GRPICONDIR;
#pragma pack(pop)

/* Dialog templates are stored as DLGTEMPLATEEX: these are its fixed head
 * fields (the variable-length parts follow). */
#pragma pack(push, 2)
typedef struct DLGTEMPLATEEX_HEAD {
    WORD dlgVer;    /* 1 */
    WORD signature; /* 0xFFFF */
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
    WORD cDlgItems;
    short x;
    short y;
    short cx;
    short cy;
} DLGTEMPLATEEX_HEAD;
#pragma pack(pop)

WIN_EXTERN_C_BEGIN

/* Finds a resource by name and type, each a MAKEINTRESOURCEA id, "#123", or
 * a name compared without regard to case. hModule NULL is the program.
 * Fails with ERROR_RESOURCE_DATA_NOT_FOUND (the module has no resources),
 * ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND. */
WINBASEAPI HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
/* The same; resources carry no language, so any language matches. */
WINBASEAPI HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage);
/* The resource's data, valid while the module stays loaded. */
WINBASEAPI HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
WINBASEAPI LPVOID WINAPI LockResource(HGLOBAL hResData);
WINBASEAPI DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
/* Resource data needs no freeing; returns FALSE as on Windows. */
WINBASEAPI BOOL WINAPI FreeResource(HGLOBAL hResData);

/* Copies string uID of the module's string table into lpBuffer: at most
 * cchBufferMax - 1 characters and a NUL. Returns the characters copied, 0
 * (with an empty buffer) when there is no such string, 0 for a null buffer
 * or a buffer size of 0 or less. */
WINBASEAPI int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

/* IMAGE_ICON or IMAGE_BITMAP from the module's resources (hInst NULL: the
 * program), or from a PNG file with LR_LOADFROMFILE. An icon is the image of
 * its group nearest to the size asked for (cx, cy; 0 means 32 x 32 with
 * LR_DEFAULTSIZE, else the chosen image's own size) stretched to that size.
 * LR_SHARED returns one handle per image and size; DestroyIcon and
 * DeleteObject leave shared images alone. */
WINBASEAPI HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
/* Shared 32 x 32 icon. */
WINBASEAPI HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
WINBASEAPI HBITMAP WINAPI LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);
/* A new, unshared icon with the same pixels. */
WINBASEAPI HICON WINAPI CopyIcon(HICON hIcon);
WINBASEAPI BOOL WINAPI DestroyIcon(HICON hIcon);
/* New colour (32-bit) and mask (1 where transparent) bitmaps of the icon;
 * the caller deletes both with DeleteObject. */
WINBASEAPI BOOL WINAPI GetIconInfo(HICON hIcon, PICONINFO piconinfo);
/* An icon from the colour bitmap and mask of an ICONINFO (the mask makes
 * pixels transparent where it is set; a colour bitmap with alpha keeps it). */
WINBASEAPI HICON WINAPI CreateIconIndirect(PICONINFO piconinfo);
/* GDI objects (bitmaps; fonts, brushes and pens with the graphics header):
 * DeleteObject (stock and shared objects stay; an object selected into a
 * device context lives on until it is deselected), GetObjectA (the object's
 * record: BITMAP, LOGFONTA, LOGBRUSH, LOGPEN; its size when pv is NULL) and
 * GetObjectType (OBJ_*; 0 for anything else). */
WINBASEAPI BOOL WINAPI DeleteObject(HGDIOBJ ho);
WINBASEAPI int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv);
WINBASEAPI DWORD WINAPI GetObjectType(HGDIOBJ h);
/* Copies up to cb bytes of the bitmap's pixels: rows top-down, bmWidthBytes
 * each; 32-bit pixels as blue, green, red, alpha; 1-bit pixels packed from the
 * high bit, 1 = white. Returns the bytes copied, 0 on failure. */
WINBASEAPI LONG WINAPI GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits);

WIN_EXTERN_C_END

#endif

/* The list view ("SysListView32") and the header ("SysHeader32") controls:
 * messages, styles, records and notifications. Implemented by
 * libplatformui.so on Qt's item views; <commctrl.h> includes this header.
 *
 * Differences from Windows that callers can see:
 * - LVN_ITEMCHANGING may veto selection changes made by the user and by
 *   LVM_SETITEMSTATE alike; focus changes are reported but cannot be vetoed;
 * - LVN_GETINFOTIPA hands out a buffer of 2048 bytes (cchTextMax);
 * - during LVM_SORTITEMS the items keep their places until the sort ends, so
 *   the comparison may read the list; inserting or deleting items from the
 *   comparison fails;
 * - owner data lists, groups, tiles, work areas and background images are
 *   not implemented; LVS_OWNERDRAWFIXED draws as an ordinary list. */
#ifndef PLATFORM_WIN_LISTVIEW_H
#define PLATFORM_WIN_LISTVIEW_H

#include "types.h"
#include "handles.h"
#include "user.h"
#include "imagelist.h"
#include "comctl.h"

#include <string.h>

#define WC_LISTVIEWA "SysListView32"
#define WC_LISTVIEW WC_LISTVIEWA
#define WC_HEADERA "SysHeader32"
#define WC_HEADER WC_HEADERA

/* ---- Header ------------------------------------------------------------- */

#define HDS_HORZ 0x0000
#define HDS_BUTTONS 0x0002
#define HDS_HOTTRACK 0x0004
#define HDS_HIDDEN 0x0008
#define HDS_DRAGDROP 0x0040
#define HDS_FULLDRAG 0x0080

#define HDI_WIDTH 0x0001
#define HDI_HEIGHT HDI_WIDTH
#define HDI_TEXT 0x0002
#define HDI_FORMAT 0x0004
#define HDI_LPARAM 0x0008
#define HDI_BITMAP 0x0010
#define HDI_IMAGE 0x0020
#define HDI_DI_SETITEM 0x0040
#define HDI_ORDER 0x0080

#define HDF_LEFT 0x0000
#define HDF_RIGHT 0x0001
#define HDF_CENTER 0x0002
#define HDF_JUSTIFYMASK 0x0003
#define HDF_RTLREADING 0x0004
#define HDF_SORTDOWN 0x0200
#define HDF_SORTUP 0x0400
#define HDF_IMAGE 0x0800
#define HDF_BITMAP_ON_RIGHT 0x1000
#define HDF_BITMAP 0x2000
#define HDF_STRING 0x4000
#define HDF_OWNERDRAW 0x8000

#define HHT_NOWHERE 0x0001
#define HHT_ONHEADER 0x0002
#define HHT_ONDIVIDER 0x0004
#define HHT_ONDIVOPEN 0x0008
#define HHT_ABOVE 0x0100
#define HHT_BELOW 0x0200
#define HHT_TORIGHT 0x0400
#define HHT_TOLEFT 0x0800

#define HDM_FIRST 0x1200
#define HDM_GETITEMCOUNT (HDM_FIRST + 0)
#define HDM_INSERTITEMA (HDM_FIRST + 1)
#define HDM_DELETEITEM (HDM_FIRST + 2)
#define HDM_GETITEMA (HDM_FIRST + 3)
#define HDM_SETITEMA (HDM_FIRST + 4)
#define HDM_LAYOUT (HDM_FIRST + 5)
#define HDM_HITTEST (HDM_FIRST + 6)
#define HDM_GETITEMRECT (HDM_FIRST + 7)
#define HDM_SETIMAGELIST (HDM_FIRST + 8)
#define HDM_GETIMAGELIST (HDM_FIRST + 9)
#define HDM_ORDERTOINDEX (HDM_FIRST + 15)
#define HDM_GETORDERARRAY (HDM_FIRST + 17)
#define HDM_SETORDERARRAY (HDM_FIRST + 18)
#define HDM_INSERTITEM HDM_INSERTITEMA
#define HDM_GETITEM HDM_GETITEMA
#define HDM_SETITEM HDM_SETITEMA

#define HDN_ITEMCHANGINGA (HDN_FIRST - 0)
#define HDN_ITEMCHANGEDA (HDN_FIRST - 1)
#define HDN_ITEMCLICKA (HDN_FIRST - 2)
#define HDN_ITEMDBLCLICKA (HDN_FIRST - 3)
#define HDN_DIVIDERDBLCLICKA (HDN_FIRST - 5)
#define HDN_BEGINTRACKA (HDN_FIRST - 6)
#define HDN_ENDTRACKA (HDN_FIRST - 7)
#define HDN_TRACKA (HDN_FIRST - 8)
#define HDN_BEGINDRAG (HDN_FIRST - 10)
#define HDN_ENDDRAG (HDN_FIRST - 11)
#define HDN_ITEMCHANGING HDN_ITEMCHANGINGA
#define HDN_ITEMCHANGED HDN_ITEMCHANGEDA
#define HDN_ITEMCLICK HDN_ITEMCLICKA
#define HDN_ITEMDBLCLICK HDN_ITEMDBLCLICKA
#define HDN_DIVIDERDBLCLICK HDN_DIVIDERDBLCLICKA
#define HDN_BEGINTRACK HDN_BEGINTRACKA
#define HDN_ENDTRACK HDN_ENDTRACKA
#define HDN_TRACK HDN_TRACKA

typedef struct _HD_ITEMA {
    UINT mask;
    int cxy;
    LPSTR pszText;
    HBITMAP hbm;
    int cchTextMax;
    int fmt;
    LPARAM lParam;
    int iImage;
    int iOrder;
    UINT type;
    void *pvFilter;
} HDITEMA, *LPHDITEMA, HDITEM, *LPHDITEM, HD_ITEM;

typedef struct _HD_HITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
} HDHITTESTINFO, *LPHDHITTESTINFO;

typedef struct _WINDOWPOS_HD {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
} HDWINDOWPOS;

/* HDM_LAYOUT: the header's place at the top of prc; prc is reduced by it. */
typedef struct _HD_LAYOUT {
    RECT *prc;
    HDWINDOWPOS *pwpos;
} HDLAYOUT, *LPHDLAYOUT;

typedef struct tagNMHEADERA {
    NMHDR hdr;
    int iItem;
    int iButton;
    HDITEMA *pitem;
} NMHEADERA, *LPNMHEADERA, NMHEADER, *LPNMHEADER;

static inline int Header_GetItemCount(HWND h) { return (int)SendMessageA(h, HDM_GETITEMCOUNT, 0, 0); }
static inline int Header_InsertItem(HWND h, int i, const HDITEMA *phdi) { return (int)SendMessageA(h, HDM_INSERTITEMA, (WPARAM)i, (LPARAM)phdi); }
static inline BOOL Header_DeleteItem(HWND h, int i) { return (BOOL)SendMessageA(h, HDM_DELETEITEM, (WPARAM)i, 0); }
static inline BOOL Header_GetItem(HWND h, int i, HDITEMA *phdi) { return (BOOL)SendMessageA(h, HDM_GETITEMA, (WPARAM)i, (LPARAM)phdi); }
static inline BOOL Header_SetItem(HWND h, int i, const HDITEMA *phdi) { return (BOOL)SendMessageA(h, HDM_SETITEMA, (WPARAM)i, (LPARAM)phdi); }
static inline HIMAGELIST Header_SetImageList(HWND h, HIMAGELIST himl) { return (HIMAGELIST)SendMessageA(h, HDM_SETIMAGELIST, 0, (LPARAM)himl); }
static inline HIMAGELIST Header_GetImageList(HWND h) { return (HIMAGELIST)SendMessageA(h, HDM_GETIMAGELIST, 0, 0); }
static inline BOOL Header_GetItemRect(HWND h, int i, RECT *prc) { return (BOOL)SendMessageA(h, HDM_GETITEMRECT, (WPARAM)i, (LPARAM)prc); }
static inline BOOL Header_Layout(HWND h, HDLAYOUT *pl) { return (BOOL)SendMessageA(h, HDM_LAYOUT, 0, (LPARAM)pl); }

/* ---- List view: styles --------------------------------------------------- */

#define LVS_ICON 0x0000
#define LVS_REPORT 0x0001
#define LVS_SMALLICON 0x0002
#define LVS_LIST 0x0003
#define LVS_TYPEMASK 0x0003
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_SHAREIMAGELISTS 0x0040
#define LVS_NOLABELWRAP 0x0080
#define LVS_AUTOARRANGE 0x0100
#define LVS_EDITLABELS 0x0200
#define LVS_OWNERDRAWFIXED 0x0400
#define LVS_ALIGNTOP 0x0000
#define LVS_ALIGNLEFT 0x0800
#define LVS_ALIGNMASK 0x0C00
#define LVS_OWNERDATA 0x1000
#define LVS_NOSCROLL 0x2000
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_NOSORTHEADER 0x8000

#define LVS_EX_GRIDLINES 0x00000001
#define LVS_EX_SUBITEMIMAGES 0x00000002
#define LVS_EX_CHECKBOXES 0x00000004
#define LVS_EX_TRACKSELECT 0x00000008
#define LVS_EX_HEADERDRAGDROP 0x00000010
#define LVS_EX_FULLROWSELECT 0x00000020
#define LVS_EX_ONECLICKACTIVATE 0x00000040
#define LVS_EX_TWOCLICKACTIVATE 0x00000080
#define LVS_EX_FLATSB 0x00000100
#define LVS_EX_REGIONAL 0x00000200
#define LVS_EX_INFOTIP 0x00000400
#define LVS_EX_UNDERLINEHOT 0x00000800
#define LVS_EX_UNDERLINECOLD 0x00001000
#define LVS_EX_MULTIWORKAREAS 0x00002000
#define LVS_EX_LABELTIP 0x00004000
#define LVS_EX_BORDERSELECT 0x00008000
#define LVS_EX_DOUBLEBUFFER 0x00010000

/* ---- List view: records ------------------------------------------------- */

#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008
#define LVIF_INDENT 0x0010
#define LVIF_NORECOMPUTE 0x0800

#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVIS_CUT 0x0004
#define LVIS_DROPHILITED 0x0008
#define LVIS_GLOW 0x0010
#define LVIS_ACTIVATING 0x0020
#define LVIS_OVERLAYMASK 0x0F00
#define LVIS_STATEIMAGEMASK 0xF000
#define INDEXTOSTATEIMAGEMASK(i) ((UINT)(i) << 12)
#define INDEXTOOVERLAYMASK(i) ((UINT)(i) << 8)

#define I_IMAGECALLBACK (-1)
#define I_IMAGENONE (-2)
#define LPSTR_TEXTCALLBACKA ((LPSTR)(INT_PTR)-1)
#define LPSTR_TEXTCALLBACK LPSTR_TEXTCALLBACKA

typedef struct tagLVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
} LVITEMA, *LPLVITEMA, LVITEM, *LPLVITEM, LV_ITEM;

#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVCF_IMAGE 0x0010
#define LVCF_ORDER 0x0020

#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVCFMT_JUSTIFYMASK 0x0003
#define LVCFMT_IMAGE 0x0800
#define LVCFMT_BITMAP_ON_RIGHT 0x1000
#define LVCFMT_COL_HAS_IMAGES 0x8000

typedef struct tagLVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    LPSTR pszText;
    int cchTextMax;
    int iSubItem;
    int iImage;
    int iOrder;
} LVCOLUMNA, *LPLVCOLUMNA, LVCOLUMN, *LPLVCOLUMN, LV_COLUMN;

#define LVSCW_AUTOSIZE (-1)
#define LVSCW_AUTOSIZE_USEHEADER (-2)

#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002
#define LVNI_CUT 0x0004
#define LVNI_DROPHILITED 0x0008
#define LVNI_ABOVE 0x0100
#define LVNI_BELOW 0x0200
#define LVNI_TOLEFT 0x0400
#define LVNI_TORIGHT 0x0800

#define LVFI_PARAM 0x0001
#define LVFI_STRING 0x0002
#define LVFI_PARTIAL 0x0008
#define LVFI_WRAP 0x0020
#define LVFI_NEARESTXY 0x0040

typedef struct tagLVFINDINFOA {
    UINT flags;
    LPCSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
} LVFINDINFOA, *LPLVFINDINFOA, LVFINDINFO, LV_FINDINFO;

#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMICON 0x0002
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)
#define LVHT_ABOVE 0x0008
#define LVHT_BELOW 0x0010
#define LVHT_TORIGHT 0x0020
#define LVHT_TOLEFT 0x0040

typedef struct tagLVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
    int iSubItem;
} LVHITTESTINFO, *LPLVHITTESTINFO, LV_HITTESTINFO;

#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2
#define LVIR_SELECTBOUNDS 3

#define LVA_DEFAULT 0x0000
#define LVA_ALIGNLEFT 0x0001
#define LVA_ALIGNTOP 0x0002
#define LVA_SNAPTOGRID 0x0005

/* Sorting: a negative result puts the item of lParam1 first. */
typedef int(CALLBACK *PFNLVCOMPARE)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

/* ---- List view: messages ------------------------------------------------- */

#define LVM_FIRST 0x1000
#define LVM_GETBKCOLOR (LVM_FIRST + 0)
#define LVM_SETBKCOLOR (LVM_FIRST + 1)
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_FINDITEMA (LVM_FIRST + 13)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_GETSTRINGWIDTHA (LVM_FIRST + 17)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_SCROLL (LVM_FIRST + 20)
#define LVM_REDRAWITEMS (LVM_FIRST + 21)
#define LVM_ARRANGE (LVM_FIRST + 22)
#define LVM_EDITLABELA (LVM_FIRST + 23)
#define LVM_GETEDITCONTROL (LVM_FIRST + 24)
#define LVM_GETCOLUMNA (LVM_FIRST + 25)
#define LVM_SETCOLUMNA (LVM_FIRST + 26)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_GETHEADER (LVM_FIRST + 31)
#define LVM_GETVIEWRECT (LVM_FIRST + 34)
#define LVM_GETTEXTCOLOR (LVM_FIRST + 35)
#define LVM_SETTEXTCOLOR (LVM_FIRST + 36)
#define LVM_GETTEXTBKCOLOR (LVM_FIRST + 37)
#define LVM_SETTEXTBKCOLOR (LVM_FIRST + 38)
#define LVM_GETTOPINDEX (LVM_FIRST + 39)
#define LVM_GETCOUNTPERPAGE (LVM_FIRST + 40)
#define LVM_GETORIGIN (LVM_FIRST + 41)
#define LVM_UPDATE (LVM_FIRST + 42)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_SETITEMCOUNT (LVM_FIRST + 47)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)
#define LVM_GETSUBITEMRECT (LVM_FIRST + 56)
#define LVM_SUBITEMHITTEST (LVM_FIRST + 57)
#define LVM_SETCOLUMNORDERARRAY (LVM_FIRST + 58)
#define LVM_GETCOLUMNORDERARRAY (LVM_FIRST + 59)
#define LVM_GETSELECTIONMARK (LVM_FIRST + 66)
#define LVM_SETSELECTIONMARK (LVM_FIRST + 67)
#define LVM_SORTITEMSEX (LVM_FIRST + 81)
#define LVM_GETITEM LVM_GETITEMA
#define LVM_SETITEM LVM_SETITEMA
#define LVM_INSERTITEM LVM_INSERTITEMA
#define LVM_FINDITEM LVM_FINDITEMA
#define LVM_GETSTRINGWIDTH LVM_GETSTRINGWIDTHA
#define LVM_EDITLABEL LVM_EDITLABELA
#define LVM_GETCOLUMN LVM_GETCOLUMNA
#define LVM_SETCOLUMN LVM_SETCOLUMNA
#define LVM_INSERTCOLUMN LVM_INSERTCOLUMNA
#define LVM_GETITEMTEXT LVM_GETITEMTEXTA
#define LVM_SETITEMTEXT LVM_SETITEMTEXTA

/* ---- List view: notifications ------------------------------------------- */

#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_INSERTITEM (LVN_FIRST - 2)
#define LVN_DELETEITEM (LVN_FIRST - 3)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4)
#define LVN_BEGINLABELEDITA (LVN_FIRST - 5)
#define LVN_ENDLABELEDITA (LVN_FIRST - 6)
#define LVN_COLUMNCLICK (LVN_FIRST - 8)
#define LVN_BEGINDRAG (LVN_FIRST - 9)
#define LVN_BEGINRDRAG (LVN_FIRST - 11)
#define LVN_ITEMACTIVATE (LVN_FIRST - 14)
#define LVN_HOTTRACK (LVN_FIRST - 21)
#define LVN_GETDISPINFOA (LVN_FIRST - 50)
#define LVN_SETDISPINFOA (LVN_FIRST - 51)
#define LVN_KEYDOWN (LVN_FIRST - 55)
#define LVN_GETINFOTIPA (LVN_FIRST - 57)
#define LVN_BEGINLABELEDIT LVN_BEGINLABELEDITA
#define LVN_ENDLABELEDIT LVN_ENDLABELEDITA
#define LVN_GETDISPINFO LVN_GETDISPINFOA
#define LVN_SETDISPINFO LVN_SETDISPINFOA
#define LVN_GETINFOTIP LVN_GETINFOTIPA

/* LVN_ITEMCHANGING/CHANGED, LVN_INSERTITEM, LVN_DELETEITEM, LVN_COLUMNCLICK
 * (iSubItem: the column). */
typedef struct tagNMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
} NMLISTVIEW, *LPNMLISTVIEW, NM_LISTVIEW;

/* NM_CLICK, NM_DBLCLK, NM_RCLICK, NM_RDBLCLK and LVN_ITEMACTIVATE: the item
 * and column under the pointer (-1 when none). */
#define LVKF_ALT 0x0001
#define LVKF_CONTROL 0x0002
#define LVKF_SHIFT 0x0004
typedef struct tagNMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
} NMITEMACTIVATE, *LPNMITEMACTIVATE;

typedef struct tagLVDISPINFOA {
    NMHDR hdr;
    LVITEMA item;
} NMLVDISPINFOA, *LPNMLVDISPINFOA, NMLVDISPINFO, LV_DISPINFO;

typedef struct tagLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
} NMLVKEYDOWN, *LPNMLVKEYDOWN, LV_KEYDOWN;

#define LVGIT_UNFOLDED 0x0001
typedef struct tagNMLVGETINFOTIPA {
    NMHDR hdr;
    DWORD dwFlags;
    LPSTR pszText;
    int cchTextMax;
    int iItem;
    int iSubItem;
    LPARAM lParam;
} NMLVGETINFOTIPA, *LPNMLVGETINFOTIPA, NMLVGETINFOTIP;

/* ---- List view: helpers ------------------------------------------------- */

static inline HIMAGELIST ListView_SetImageList(HWND h, HIMAGELIST himl, int which) { return (HIMAGELIST)SendMessageA(h, LVM_SETIMAGELIST, (WPARAM)which, (LPARAM)himl); }
static inline HIMAGELIST ListView_GetImageList(HWND h, int which) { return (HIMAGELIST)SendMessageA(h, LVM_GETIMAGELIST, (WPARAM)which, 0); }
static inline int ListView_GetItemCount(HWND h) { return (int)SendMessageA(h, LVM_GETITEMCOUNT, 0, 0); }
static inline BOOL ListView_GetItem(HWND h, LVITEMA *pitem) { return (BOOL)SendMessageA(h, LVM_GETITEMA, 0, (LPARAM)pitem); }
static inline BOOL ListView_SetItem(HWND h, const LVITEMA *pitem) { return (BOOL)SendMessageA(h, LVM_SETITEMA, 0, (LPARAM)pitem); }
static inline int ListView_InsertItem(HWND h, const LVITEMA *pitem) { return (int)SendMessageA(h, LVM_INSERTITEMA, 0, (LPARAM)pitem); }
static inline BOOL ListView_DeleteItem(HWND h, int i) { return (BOOL)SendMessageA(h, LVM_DELETEITEM, (WPARAM)i, 0); }
static inline BOOL ListView_DeleteAllItems(HWND h) { return (BOOL)SendMessageA(h, LVM_DELETEALLITEMS, 0, 0); }
static inline int ListView_GetNextItem(HWND h, int i, UINT flags) { return (int)SendMessageA(h, LVM_GETNEXTITEM, (WPARAM)i, MAKELPARAM(flags, 0)); }
static inline int ListView_FindItem(HWND h, int iStart, const LVFINDINFOA *plvfi) { return (int)SendMessageA(h, LVM_FINDITEMA, (WPARAM)iStart, (LPARAM)plvfi); }
static inline BOOL ListView_GetItemRect(HWND h, int i, RECT *prc, int code) {
    if (prc) prc->left = code;
    return (BOOL)SendMessageA(h, LVM_GETITEMRECT, (WPARAM)i, (LPARAM)prc);
}
static inline BOOL ListView_GetSubItemRect(HWND h, int i, int sub, int code, RECT *prc) {
    if (prc) prc->top = sub, prc->left = code;
    return (BOOL)SendMessageA(h, LVM_GETSUBITEMRECT, (WPARAM)i, (LPARAM)prc);
}
static inline int ListView_HitTest(HWND h, LVHITTESTINFO *pinfo) { return (int)SendMessageA(h, LVM_HITTEST, 0, (LPARAM)pinfo); }
static inline int ListView_SubItemHitTest(HWND h, LVHITTESTINFO *pinfo) { return (int)SendMessageA(h, LVM_SUBITEMHITTEST, 0, (LPARAM)pinfo); }
static inline BOOL ListView_EnsureVisible(HWND h, int i, BOOL partialOk) { return (BOOL)SendMessageA(h, LVM_ENSUREVISIBLE, (WPARAM)i, MAKELPARAM(partialOk, 0)); }
static inline BOOL ListView_RedrawItems(HWND h, int first, int last) { return (BOOL)SendMessageA(h, LVM_REDRAWITEMS, (WPARAM)first, (LPARAM)last); }
static inline BOOL ListView_Update(HWND h, int i) { return (BOOL)SendMessageA(h, LVM_UPDATE, (WPARAM)i, 0); }
static inline HWND ListView_EditLabel(HWND h, int i) { return (HWND)SendMessageA(h, LVM_EDITLABELA, (WPARAM)i, 0); }
static inline HWND ListView_GetEditControl(HWND h) { return (HWND)SendMessageA(h, LVM_GETEDITCONTROL, 0, 0); }
static inline BOOL ListView_GetColumn(HWND h, int col, LVCOLUMNA *pcol) { return (BOOL)SendMessageA(h, LVM_GETCOLUMNA, (WPARAM)col, (LPARAM)pcol); }
static inline BOOL ListView_SetColumn(HWND h, int col, const LVCOLUMNA *pcol) { return (BOOL)SendMessageA(h, LVM_SETCOLUMNA, (WPARAM)col, (LPARAM)pcol); }
static inline int ListView_InsertColumn(HWND h, int col, const LVCOLUMNA *pcol) { return (int)SendMessageA(h, LVM_INSERTCOLUMNA, (WPARAM)col, (LPARAM)pcol); }
static inline BOOL ListView_DeleteColumn(HWND h, int col) { return (BOOL)SendMessageA(h, LVM_DELETECOLUMN, (WPARAM)col, 0); }
static inline int ListView_GetColumnWidth(HWND h, int col) { return (int)SendMessageA(h, LVM_GETCOLUMNWIDTH, (WPARAM)col, 0); }
static inline BOOL ListView_SetColumnWidth(HWND h, int col, int cx) { return (BOOL)SendMessageA(h, LVM_SETCOLUMNWIDTH, (WPARAM)col, MAKELPARAM(cx, 0)); }
static inline HWND ListView_GetHeader(HWND h) { return (HWND)SendMessageA(h, LVM_GETHEADER, 0, 0); }
static inline int ListView_GetTopIndex(HWND h) { return (int)SendMessageA(h, LVM_GETTOPINDEX, 0, 0); }
static inline int ListView_GetCountPerPage(HWND h) { return (int)SendMessageA(h, LVM_GETCOUNTPERPAGE, 0, 0); }
static inline BOOL ListView_SetItemState(HWND h, int i, UINT data, UINT mask) {
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.state = data;
    item.stateMask = mask;
    return (BOOL)SendMessageA(h, LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&item);
}
static inline UINT ListView_GetItemState(HWND h, int i, UINT mask) { return (UINT)SendMessageA(h, LVM_GETITEMSTATE, (WPARAM)i, (LPARAM)mask); }
static inline int ListView_GetItemText(HWND h, int i, int sub, LPSTR text, int max) {
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.iSubItem = sub;
    item.cchTextMax = max;
    item.pszText = text;
    return (int)SendMessageA(h, LVM_GETITEMTEXTA, (WPARAM)i, (LPARAM)&item);
}
static inline BOOL ListView_SetItemText(HWND h, int i, int sub, LPCSTR text) {
    LVITEMA item;
    memset(&item, 0, sizeof item);
    item.iSubItem = sub;
    item.pszText = (LPSTR)text;
    return (BOOL)SendMessageA(h, LVM_SETITEMTEXTA, (WPARAM)i, (LPARAM)&item);
}
static inline BOOL ListView_SortItems(HWND h, PFNLVCOMPARE compare, LPARAM lParamSort) { return (BOOL)SendMessageA(h, LVM_SORTITEMS, (WPARAM)lParamSort, (LPARAM)compare); }
static inline BOOL ListView_SortItemsEx(HWND h, PFNLVCOMPARE compare, LPARAM lParamSort) { return (BOOL)SendMessageA(h, LVM_SORTITEMSEX, (WPARAM)lParamSort, (LPARAM)compare); }
static inline UINT ListView_GetSelectedCount(HWND h) { return (UINT)SendMessageA(h, LVM_GETSELECTEDCOUNT, 0, 0); }
static inline DWORD ListView_SetExtendedListViewStyle(HWND h, DWORD ex) { return (DWORD)SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, (LPARAM)ex); }
static inline DWORD ListView_SetExtendedListViewStyleEx(HWND h, DWORD mask, DWORD ex) { return (DWORD)SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, (WPARAM)mask, (LPARAM)ex); }
static inline DWORD ListView_GetExtendedListViewStyle(HWND h) { return (DWORD)SendMessageA(h, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0); }
static inline int ListView_GetSelectionMark(HWND h) { return (int)SendMessageA(h, LVM_GETSELECTIONMARK, 0, 0); }
static inline int ListView_SetSelectionMark(HWND h, int i) { return (int)SendMessageA(h, LVM_SETSELECTIONMARK, 0, (LPARAM)i); }
static inline BOOL ListView_SetBkColor(HWND h, COLORREF c) { return (BOOL)SendMessageA(h, LVM_SETBKCOLOR, 0, (LPARAM)c); }
static inline BOOL ListView_SetTextColor(HWND h, COLORREF c) { return (BOOL)SendMessageA(h, LVM_SETTEXTCOLOR, 0, (LPARAM)c); }
static inline BOOL ListView_SetTextBkColor(HWND h, COLORREF c) { return (BOOL)SendMessageA(h, LVM_SETTEXTBKCOLOR, 0, (LPARAM)c); }
static inline BOOL ListView_Arrange(HWND h, UINT code) { return (BOOL)SendMessageA(h, LVM_ARRANGE, (WPARAM)code, 0); }
static inline BOOL ListView_Scroll(HWND h, int dx, int dy) { return (BOOL)SendMessageA(h, LVM_SCROLL, (WPARAM)dx, (LPARAM)dy); }
static inline int ListView_GetStringWidth(HWND h, LPCSTR psz) { return (int)SendMessageA(h, LVM_GETSTRINGWIDTHA, 0, (LPARAM)psz); }

#endif

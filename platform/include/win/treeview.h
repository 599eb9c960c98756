/* Tree view control ("SysTreeView32"): items with parents, text, images,
 * item data and state; selection, expansion and info tips reported to the
 * parent through WM_NOTIFY. Implemented by libplatformui.so. */
#ifndef PLATFORM_WIN_TREEVIEW_H
#define PLATFORM_WIN_TREEVIEW_H

#include "types.h"
#include "handles.h"
#include "user.h"
#include "comctl.h"
#include "imagelist.h"

#include <string.h>

#define WC_TREEVIEWA "SysTreeView32"
#define WC_TREEVIEW WC_TREEVIEWA


#define TVI_ROOT ((HTREEITEM)(ULONG_PTR)-0x10000)
#define TVI_FIRST ((HTREEITEM)(ULONG_PTR)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(ULONG_PTR)-0x0FFFE)
#define TVI_SORT ((HTREEITEM)(ULONG_PTR)-0x0FFFD)

#ifndef LPSTR_TEXTCALLBACKA
#define LPSTR_TEXTCALLBACKA ((LPSTR)-1L)
#endif
#ifndef I_IMAGECALLBACK
#define I_IMAGECALLBACK (-1)
#endif
#define I_CHILDRENCALLBACK (-1)

/* Styles. */
#define TVS_HASBUTTONS 0x0001
#define TVS_HASLINES 0x0002
#define TVS_LINESATROOT 0x0004
#define TVS_EDITLABELS 0x0008
#define TVS_DISABLEDRAGDROP 0x0010
#define TVS_SHOWSELALWAYS 0x0020
#define TVS_RTLREADING 0x0040
#define TVS_NOTOOLTIPS 0x0080
#define TVS_CHECKBOXES 0x0100
#define TVS_TRACKSELECT 0x0200
#define TVS_SINGLEEXPAND 0x0400
#define TVS_INFOTIP 0x0800
#define TVS_FULLROWSELECT 0x1000
#define TVS_NOSCROLL 0x2000
#define TVS_NONEVENHEIGHT 0x4000

/* Item fields (TVITEMA.mask). */
#define TVIF_TEXT 0x0001
#define TVIF_IMAGE 0x0002
#define TVIF_PARAM 0x0004
#define TVIF_STATE 0x0008
#define TVIF_HANDLE 0x0010
#define TVIF_SELECTEDIMAGE 0x0020
#define TVIF_CHILDREN 0x0040
#define TVIF_INTEGRAL 0x0080

/* Item states. */
#define TVIS_SELECTED 0x0002
#define TVIS_CUT 0x0004
#define TVIS_DROPHILITED 0x0008
#define TVIS_BOLD 0x0010
#define TVIS_EXPANDED 0x0020
#define TVIS_EXPANDEDONCE 0x0040
#define TVIS_EXPANDPARTIAL 0x0080
#define TVIS_OVERLAYMASK 0x0F00
#define TVIS_STATEIMAGEMASK 0xF000
#define TVIS_USERMASK 0xF000

typedef struct tagTVITEMA {
    UINT mask;
    HTREEITEM hItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    LPARAM lParam;
} TVITEMA, *LPTVITEMA, TV_ITEMA, TVITEM, *LPTVITEM, TV_ITEM;

typedef struct tagTVINSERTSTRUCTA {
    HTREEITEM hParent;
    HTREEITEM hInsertAfter;
    TVITEMA item;
} TVINSERTSTRUCTA, *LPTVINSERTSTRUCTA, TV_INSERTSTRUCTA, TVINSERTSTRUCT, *LPTVINSERTSTRUCT, TV_INSERTSTRUCT;

/* Messages. */
#define TV_FIRST 0x1100
#define TVM_INSERTITEMA (TV_FIRST + 0)
#define TVM_DELETEITEM (TV_FIRST + 1)
#define TVM_EXPAND (TV_FIRST + 2)
#define TVM_GETITEMRECT (TV_FIRST + 4)
#define TVM_GETCOUNT (TV_FIRST + 5)
#define TVM_GETINDENT (TV_FIRST + 6)
#define TVM_SETINDENT (TV_FIRST + 7)
#define TVM_GETIMAGELIST (TV_FIRST + 8)
#define TVM_SETIMAGELIST (TV_FIRST + 9)
#define TVM_GETNEXTITEM (TV_FIRST + 10)
#define TVM_SELECTITEM (TV_FIRST + 11)
#define TVM_GETITEMA (TV_FIRST + 12)
#define TVM_SETITEMA (TV_FIRST + 13)
#define TVM_GETVISIBLECOUNT (TV_FIRST + 16)
#define TVM_HITTEST (TV_FIRST + 17)
#define TVM_SORTCHILDREN (TV_FIRST + 19)
#define TVM_ENSUREVISIBLE (TV_FIRST + 20)
#define TVM_SETBKCOLOR (TV_FIRST + 29)
#define TVM_SETTEXTCOLOR (TV_FIRST + 30)
#define TVM_GETBKCOLOR (TV_FIRST + 31)
#define TVM_GETTEXTCOLOR (TV_FIRST + 32)
#define TVM_INSERTITEM TVM_INSERTITEMA
#define TVM_GETITEM TVM_GETITEMA
#define TVM_SETITEM TVM_SETITEMA

/* TVM_SETIMAGELIST and TVM_GETIMAGELIST. */
#define TVSIL_NORMAL 0
#define TVSIL_STATE 2

/* TVM_EXPAND. */
#define TVE_COLLAPSE 0x0001
#define TVE_EXPAND 0x0002
#define TVE_TOGGLE 0x0003
#define TVE_EXPANDPARTIAL 0x4000
#define TVE_COLLAPSERESET 0x8000

/* TVM_GETNEXTITEM and TVM_SELECTITEM. */
#define TVGN_ROOT 0x0000
#define TVGN_NEXT 0x0001
#define TVGN_PREVIOUS 0x0002
#define TVGN_PARENT 0x0003
#define TVGN_CHILD 0x0004
#define TVGN_FIRSTVISIBLE 0x0005
#define TVGN_NEXTVISIBLE 0x0006
#define TVGN_PREVIOUSVISIBLE 0x0007
#define TVGN_DROPHILITE 0x0008
#define TVGN_CARET 0x0009
#define TVGN_LASTVISIBLE 0x000A

/* TVM_HITTEST. */
typedef struct tagTVHITTESTINFO {
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
} TVHITTESTINFO, *LPTVHITTESTINFO;

#define TVHT_NOWHERE 0x0001
#define TVHT_ONITEMICON 0x0002
#define TVHT_ONITEMLABEL 0x0004
#define TVHT_ONITEMINDENT 0x0008
#define TVHT_ONITEMBUTTON 0x0010
#define TVHT_ONITEMRIGHT 0x0020
#define TVHT_ONITEMSTATEICON 0x0040
#define TVHT_ONITEM (TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON)
#define TVHT_ABOVE 0x0100
#define TVHT_BELOW 0x0200
#define TVHT_TORIGHT 0x0400
#define TVHT_TOLEFT 0x0800

/* Notifications. */
#define TVN_SELCHANGINGA (TVN_FIRST - 1)
#define TVN_SELCHANGEDA (TVN_FIRST - 2)
#define TVN_GETDISPINFOA (TVN_FIRST - 3)
#define TVN_SETDISPINFOA (TVN_FIRST - 4)
#define TVN_ITEMEXPANDINGA (TVN_FIRST - 5)
#define TVN_ITEMEXPANDEDA (TVN_FIRST - 6)
#define TVN_BEGINDRAGA (TVN_FIRST - 7)
#define TVN_BEGINRDRAGA (TVN_FIRST - 8)
#define TVN_DELETEITEMA (TVN_FIRST - 9)
#define TVN_BEGINLABELEDITA (TVN_FIRST - 10)
#define TVN_ENDLABELEDITA (TVN_FIRST - 11)
#define TVN_KEYDOWN (TVN_FIRST - 12)
#define TVN_GETINFOTIPA (TVN_FIRST - 13)
#define TVN_SINGLEEXPAND (TVN_FIRST - 15)
#define TVN_SELCHANGING TVN_SELCHANGINGA
#define TVN_SELCHANGED TVN_SELCHANGEDA
#define TVN_ITEMEXPANDING TVN_ITEMEXPANDINGA
#define TVN_ITEMEXPANDED TVN_ITEMEXPANDEDA
#define TVN_DELETEITEM TVN_DELETEITEMA
#define TVN_GETINFOTIP TVN_GETINFOTIPA

/* NMTREEVIEWA.action for selection changes. */
#define TVC_UNKNOWN 0x0000
#define TVC_BYMOUSE 0x0001
#define TVC_BYKEYBOARD 0x0002

typedef struct tagNMTREEVIEWA {
    NMHDR hdr;
    UINT action;
    TVITEMA itemOld;
    TVITEMA itemNew;
    POINT ptDrag;
} NMTREEVIEWA, *LPNMTREEVIEWA, NM_TREEVIEWA, NMTREEVIEW, *LPNMTREEVIEW, NM_TREEVIEW;

typedef struct tagTVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
} NMTVKEYDOWN, *LPNMTVKEYDOWN, TV_KEYDOWN;

#define INFOTIPSIZE 1024
typedef struct tagNMTVGETINFOTIPA {
    NMHDR hdr;
    LPSTR pszText;
    int cchTextMax;
    HTREEITEM hItem;
    LPARAM lParam;
} NMTVGETINFOTIPA, *LPNMTVGETINFOTIPA, NMTVGETINFOTIP, *LPNMTVGETINFOTIP;

/* Message wrappers. */
static inline HTREEITEM TreeView_InsertItem(HWND hwnd, const TVINSERTSTRUCTA *ins) {
    return (HTREEITEM)SendMessageA(hwnd, TVM_INSERTITEMA, 0, (LPARAM)ins);
}
static inline BOOL TreeView_DeleteItem(HWND hwnd, HTREEITEM item) {
    return (BOOL)SendMessageA(hwnd, TVM_DELETEITEM, 0, (LPARAM)item);
}
static inline BOOL TreeView_DeleteAllItems(HWND hwnd) { return TreeView_DeleteItem(hwnd, TVI_ROOT); }
static inline BOOL TreeView_Expand(HWND hwnd, HTREEITEM item, UINT code) {
    return (BOOL)SendMessageA(hwnd, TVM_EXPAND, (WPARAM)code, (LPARAM)item);
}
/* The rectangle's first bytes carry the item in. */
static inline BOOL TreeView_GetItemRect(HWND hwnd, HTREEITEM item, RECT *rc, BOOL textOnly) {
    memcpy(rc, &item, sizeof item);
    return (BOOL)SendMessageA(hwnd, TVM_GETITEMRECT, (WPARAM)textOnly, (LPARAM)rc);
}
static inline UINT TreeView_GetCount(HWND hwnd) { return (UINT)SendMessageA(hwnd, TVM_GETCOUNT, 0, 0); }
static inline HIMAGELIST TreeView_GetImageList(HWND hwnd, int which) {
    return (HIMAGELIST)SendMessageA(hwnd, TVM_GETIMAGELIST, (WPARAM)which, 0);
}
static inline HIMAGELIST TreeView_SetImageList(HWND hwnd, HIMAGELIST list, int which) {
    return (HIMAGELIST)SendMessageA(hwnd, TVM_SETIMAGELIST, (WPARAM)which, (LPARAM)list);
}
static inline HTREEITEM TreeView_GetNextItem(HWND hwnd, HTREEITEM item, UINT code) {
    return (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, (WPARAM)code, (LPARAM)item);
}
static inline HTREEITEM TreeView_GetChild(HWND hwnd, HTREEITEM item) { return TreeView_GetNextItem(hwnd, item, TVGN_CHILD); }
static inline HTREEITEM TreeView_GetNextSibling(HWND hwnd, HTREEITEM item) {
    return TreeView_GetNextItem(hwnd, item, TVGN_NEXT);
}
static inline HTREEITEM TreeView_GetPrevSibling(HWND hwnd, HTREEITEM item) {
    return TreeView_GetNextItem(hwnd, item, TVGN_PREVIOUS);
}
static inline HTREEITEM TreeView_GetParent(HWND hwnd, HTREEITEM item) { return TreeView_GetNextItem(hwnd, item, TVGN_PARENT); }
static inline HTREEITEM TreeView_GetFirstVisible(HWND hwnd) { return TreeView_GetNextItem(hwnd, NULL, TVGN_FIRSTVISIBLE); }
static inline HTREEITEM TreeView_GetNextVisible(HWND hwnd, HTREEITEM item) {
    return TreeView_GetNextItem(hwnd, item, TVGN_NEXTVISIBLE);
}
static inline HTREEITEM TreeView_GetPrevVisible(HWND hwnd, HTREEITEM item) {
    return TreeView_GetNextItem(hwnd, item, TVGN_PREVIOUSVISIBLE);
}
static inline HTREEITEM TreeView_GetSelection(HWND hwnd) { return TreeView_GetNextItem(hwnd, NULL, TVGN_CARET); }
static inline HTREEITEM TreeView_GetRoot(HWND hwnd) { return TreeView_GetNextItem(hwnd, NULL, TVGN_ROOT); }
static inline BOOL TreeView_Select(HWND hwnd, HTREEITEM item, UINT code) {
    return (BOOL)SendMessageA(hwnd, TVM_SELECTITEM, (WPARAM)code, (LPARAM)item);
}
static inline BOOL TreeView_SelectItem(HWND hwnd, HTREEITEM item) { return TreeView_Select(hwnd, item, TVGN_CARET); }
static inline BOOL TreeView_GetItem(HWND hwnd, TVITEMA *item) {
    return (BOOL)SendMessageA(hwnd, TVM_GETITEMA, 0, (LPARAM)item);
}
static inline BOOL TreeView_SetItem(HWND hwnd, const TVITEMA *item) {
    return (BOOL)SendMessageA(hwnd, TVM_SETITEMA, 0, (LPARAM)item);
}
static inline HTREEITEM TreeView_HitTest(HWND hwnd, TVHITTESTINFO *hit) {
    return (HTREEITEM)SendMessageA(hwnd, TVM_HITTEST, 0, (LPARAM)hit);
}
static inline BOOL TreeView_EnsureVisible(HWND hwnd, HTREEITEM item) {
    return (BOOL)SendMessageA(hwnd, TVM_ENSUREVISIBLE, 0, (LPARAM)item);
}
static inline BOOL TreeView_SortChildren(HWND hwnd, HTREEITEM item, BOOL recurse) {
    return (BOOL)SendMessageA(hwnd, TVM_SORTCHILDREN, (WPARAM)recurse, (LPARAM)item);
}

#endif

/* lvsort: sorting a list view by a clicked column. Each sortable list has a
 * sort context owned by its dialog; a click on a column header sorts by that
 * column, a second click on it reverses the order, and the column header
 * shows an ascending or descending arrow (images 1 and 2 of the list's small
 * image list, image 0 being blank). Items are compared by the text of the
 * sorted column, found through their lParam, which must be unique. */
#ifndef COMMON_LVSORT_H
#define COMMON_LVSORT_H

#include <windows.h>
#include <commctrl.h>

#define LVSORT_ASCENDING 16
#define LVSORT_DESCENDING 32

/* Comparison kinds of a column's texts. */
#define LVSORT_INTEGER 1  /* decimal values */
#define LVSORT_DATETIME 2 /* up to six numbers split at "-", "/", " " and ":", in text order */
#define LVSORT_TEXT 3     /* letters without regard to case */
#define LVSORT_REAL 4     /* decimal fractions, after one leading plus-minus sign */
#define LVSORT_IPV4 5     /* dotted IPv4 addresses */

typedef struct LvSortContext {
    HWND list;
    int order;  /* LVSORT_ASCENDING or LVSORT_DESCENDING; -1 before the first sort */
    int column; /* sub-item sorted by; -1 before the first sort */
    int kind;   /* LVSORT_* kind of the sorted column */
} LvSortContext;

/* Header images of a sortable list. */
#define LVSORT_IMAGE_NONE 0
#define LVSORT_IMAGE_UP 1
#define LVSORT_IMAGE_DOWN 2

/* A context for list, before its first sort. */
void lvsortInitContext(LvSortContext *context, HWND list);

/* The LVM_SORTITEMS comparison: lParamSort is the LvSortContext. Negative
 * when the item of first sorts before the item of second; 0 without a
 * context or for an unknown kind. */
int CALLBACK lvsortCompare(LPARAM first, LPARAM second, LPARAM context);

/* Compares two texts by kind (ascending): -1, 0 or 1 (the text kind gives
 * the case-insensitive comparison's value). */
int lvsortCompareTexts(const char *a, const char *b, int kind);

/* A click on column (LVN_COLUMNCLICK): flips the order when it is the sorted
 * column, otherwise sorts it ascending and clears the previous column's
 * arrow; shows the arrow, stores column and kind and sorts the list, with
 * the wait cursor when wait is non-zero. 0, or -2 for a bad context or
 * column. */
int lvsortColumnClick(LvSortContext *context, int column, int kind, int wait);

#endif

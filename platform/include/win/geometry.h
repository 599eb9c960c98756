/* Points, sizes and rectangles shared by windows and graphics. */
#ifndef PLATFORM_WIN_GEOMETRY_H
#define PLATFORM_WIN_GEOMETRY_H

#include "types.h"

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *PSIZE, *LPSIZE;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT *LPCRECT;

#endif

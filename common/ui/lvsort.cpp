// lvsort: column-click sorting of list views with the comparison kinds of
// the suite's lists, and the header arrows that show column and order.
#include "lvsort.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <arpa/inet.h>

namespace {

// A decimal value by atoi's rules (blanks, a sign, digits up to the first
// other character; 0 when there are none), held at the int range where
// atoi's result would be undefined.
int parseInt(const char *s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    long long v = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        v = v * 10 + (*s - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) v = -v;
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

template <class T>
int order(T a, T b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

// The first six numbers of a date and time text; missing ones count as 0.
void dateNumbers(const char *text, int out[6]) {
    for (int i = 0; i < 6; ++i) out[i] = 0;
    int n = 0;
    const char *p = text;
    while (*p && n < 6) {
        size_t gap = std::strspn(p, "-/ :");
        p += gap;
        if (!*p) break;
        size_t len = std::strcspn(p, "-/ :");
        char token[64];
        size_t keep = len < sizeof token - 1 ? len : sizeof token - 1;
        std::memcpy(token, p, keep);
        token[keep] = 0;
        out[n++] = parseInt(token);
        p += len;
    }
}

int caseless(const char *a, const char *b) {
    for (;; ++a, ++b) {
        int ca = std::tolower(static_cast<unsigned char>(*a)), cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb || !ca) return ca - cb;
    }
}

double parseReal(const char *s) {
    if (static_cast<unsigned char>(*s) == 0xB1) ++s;  // the plus-minus sign of the Latin-1 code page
    return std::atof(s);
}

unsigned long ipv4(const char *s) { return ntohl(inet_addr(s)); }

void itemText(HWND list, LPARAM param, int column, char *out, int size) {
    out[0] = 0;
    LVFINDINFOA find{};
    find.flags = LVFI_PARAM;
    find.lParam = param;
    int item = static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
    if (item < 0) return;
    LVITEMA it{};
    it.iSubItem = column;
    it.pszText = out;
    it.cchTextMax = size;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    out[size - 1] = 0;
}

void setArrow(HWND list, int column, int image) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT;
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col))) return;
    col.mask = LVCF_FMT | LVCF_IMAGE;
    col.fmt = (col.fmt & LVCFMT_JUSTIFYMASK) | LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
    col.iImage = image;
    SendMessageA(list, LVM_SETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
}

}  // namespace

void lvsortInitContext(LvSortContext *context, HWND list) {
    if (!context) return;
    context->list = list;
    context->order = -1;
    context->column = -1;
    context->kind = LVSORT_TEXT;
}

int lvsortCompareTexts(const char *a, const char *b, int kind) {
    switch (kind) {
    case LVSORT_INTEGER: return order(parseInt(a), parseInt(b));
    case LVSORT_DATETIME: {
        int na[6], nb[6];
        dateNumbers(a, na);
        dateNumbers(b, nb);
        for (int i = 0; i < 6; ++i)
            if (na[i] != nb[i]) return order(na[i], nb[i]);
        return 0;
    }
    case LVSORT_TEXT: return caseless(a, b);
    case LVSORT_REAL: return order(parseReal(a), parseReal(b));
    case LVSORT_IPV4: return order(ipv4(a), ipv4(b));
    default: return 0;
    }
}

int CALLBACK lvsortCompare(LPARAM first, LPARAM second, LPARAM context) {
    auto *c = reinterpret_cast<const LvSortContext *>(context);
    if (!c) return 0;
    int sign = c->order == LVSORT_DESCENDING ? -1 : 1;
    char a[256], b[256];
    itemText(c->list, first, c->column, a, sizeof a);
    itemText(c->list, second, c->column, b, sizeof b);
    int r = lvsortCompareTexts(a, b, c->kind);
    if (c->kind == LVSORT_TEXT) return r * sign;
    return r < 0 ? -sign : r > 0 ? sign : 0;
}

int lvsortColumnClick(LvSortContext *context, int column, int kind, int wait) {
    if (!context || !IsWindow(context->list) || column < 0) return -2;
    if (column == context->column) {
        context->order = context->order == LVSORT_ASCENDING ? LVSORT_DESCENDING : LVSORT_ASCENDING;
    } else {
        if (context->column >= 0) setArrow(context->list, context->column, LVSORT_IMAGE_NONE);
        context->order = LVSORT_ASCENDING;
    }
    setArrow(context->list, column, context->order == LVSORT_ASCENDING ? LVSORT_IMAGE_UP : LVSORT_IMAGE_DOWN);
    context->column = column;
    context->kind = kind;
    HCURSOR previous = wait ? SetCursor(LoadCursorA(nullptr, IDC_WAIT)) : nullptr;
    SendMessageA(context->list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(lvsortCompare));
    if (wait) SetCursor(previous);
    return 0;
}

// String helpers.
#include <windows.h>

#include <strings.h>

#include <cstdio>
#include <cstring>

namespace {
int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }
}  // namespace

extern "C" {

WINBASEAPI LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    if (!lpString1 || iMaxLength <= 0) return lpString1;
    int i = 0;
    if (lpString2)
        for (; i < iMaxLength - 1 && lpString2[i]; ++i) lpString1[i] = lpString2[i];
    lpString1[i] = '\0';
    return lpString1;
}

WINBASEAPI LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    if (!lpString1) return nullptr;
    return strcpy(lpString1, lpString2 ? lpString2 : "");
}

WINBASEAPI LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2) {
    if (!lpString1) return nullptr;
    return strcat(lpString1, lpString2 ? lpString2 : "");
}

WINBASEAPI int WINAPI lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(strlen(lpString)) : 0; }

WINBASEAPI int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return sign(strcmp(a ? a : "", b ? b : "")); }

WINBASEAPI int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return sign(strcasecmp(a ? a : "", b ? b : "")); }

WINBASEAPI int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
    // The Win32 function writes at most 1024 characters and its NUL.
    int n = vsnprintf(lpOut, 1025, lpFmt, arglist);
    if (n < 0) {
        lpOut[0] = '\0';
        return 0;
    }
    return n > 1024 ? 1024 : n;
}

WINBASEAPI int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    va_list args;
    va_start(args, lpFmt);
    int n = wvsprintfA(lpOut, lpFmt, args);
    va_end(args);
    return n;
}

WINBASEAPI int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
    if (nDenominator == 0) return -1;
    long long product = static_cast<long long>(nNumber) * nNumerator;
    long long half = (nDenominator < 0 ? -static_cast<long long>(nDenominator) : nDenominator) / 2;
    bool negative = (product < 0) != (nDenominator < 0);
    long long magnitude = (product < 0 ? -product : product) + half;
    long long result = magnitude / (nDenominator < 0 ? -static_cast<long long>(nDenominator) : nDenominator);
    if (negative) result = -result;
    if (result > 2147483647LL || result < -2147483647LL - 1) return -1;
    return static_cast<int>(result);
}

}  // extern "C"

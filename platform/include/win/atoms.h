/* Global atoms: reference-counted strings (case-insensitive, at most 255
 * characters) numbered from 0xC000, shared by all processes of the user
 * through a store under $XDG_RUNTIME_DIR (at most 1024 atoms); "#123" and
 * MAKEINTATOM give integer atoms below 0xC000. A store that is not the
 * user's own is never read: the calls fail with ERROR_ACCESS_DENIED. */
#ifndef PLATFORM_WIN_ATOMS_H
#define PLATFORM_WIN_ATOMS_H

#include "types.h"

#define MAXINTATOM 0xC000
#define MAKEINTATOM(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define INVALID_ATOM ((ATOM)0)

WIN_EXTERN_C_BEGIN

WINBASEAPI ATOM WINAPI GlobalAddAtomA(LPCSTR lpString);
WINBASEAPI ATOM WINAPI GlobalFindAtomA(LPCSTR lpString);
WINBASEAPI UINT WINAPI GlobalGetAtomNameA(ATOM nAtom, LPSTR lpBuffer, int nSize);
/* Returns 0 on success, the atom itself on failure. */
WINBASEAPI ATOM WINAPI GlobalDeleteAtom(ATOM nAtom);

WIN_EXTERN_C_END

#endif

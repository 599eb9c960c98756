/* Global atoms: a process-wide table of reference-counted strings
 * (case-insensitive), numbered from 0xC000; "#123" and MAKEINTATOM give
 * integer atoms below 0xC000. */
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

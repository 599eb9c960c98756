/* Mailslots: "//./mailslot/NAME" (or with backslashes) is a Unix datagram
 * socket at $XDG_RUNTIME_DIR/mailslot/NAME, or /tmp/mailslot-<uid>/NAME when
 * XDG_RUNTIME_DIR is unset. One reader creates it; writers open it with
 * CreateFileA (which fails with ERROR_FILE_NOT_FOUND when no reader exists)
 * and send one message per WriteFile; ReadFile receives one message. */
#ifndef PLATFORM_WIN_MAILSLOT_H
#define PLATFORM_WIN_MAILSLOT_H

#include "handles.h"

#define MAILSLOT_WAIT_FOREVER ((DWORD)-1)
#define MAILSLOT_NO_MESSAGE ((DWORD)-1)

WIN_EXTERN_C_BEGIN

/* nMaxMessageSize 0 means any size (up to the socket's limit); a message
 * longer than the buffer given to ReadFile fails with ERROR_INSUFFICIENT_BUFFER
 * and stays queued. lReadTimeout: ms, 0 or MAILSLOT_WAIT_FOREVER; a read
 * that times out fails with ERROR_SEM_TIMEOUT. */
WINBASEAPI HANDLE WINAPI CreateMailslotA(LPCSTR lpName, DWORD nMaxMessageSize, DWORD lReadTimeout,
                                         LPSECURITY_ATTRIBUTES lpSecurityAttributes);
WINBASEAPI BOOL WINAPI GetMailslotInfo(HANDLE hMailslot, LPDWORD lpMaxMessageSize, LPDWORD lpNextSize,
                                       LPDWORD lpMessageCount, LPDWORD lpReadTimeout);
WINBASEAPI BOOL WINAPI SetMailslotInfo(HANDLE hMailslot, DWORD lReadTimeout);

WIN_EXTERN_C_END

#endif

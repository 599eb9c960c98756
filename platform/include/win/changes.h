/* Change notifications on a directory (inotify). The handle is waitable: it
 * is signalled when a change of the filter's kind happens; a removed or
 * renamed directory signals once more, after which FindNextChangeNotification
 * fails with ERROR_FILE_NOT_FOUND and the handle stays unsignalled. */
#ifndef PLATFORM_WIN_CHANGES_H
#define PLATFORM_WIN_CHANGES_H

#include "handles.h"

#define FILE_NOTIFY_CHANGE_FILE_NAME 0x00000001
#define FILE_NOTIFY_CHANGE_DIR_NAME 0x00000002
#define FILE_NOTIFY_CHANGE_ATTRIBUTES 0x00000004
#define FILE_NOTIFY_CHANGE_SIZE 0x00000008
#define FILE_NOTIFY_CHANGE_LAST_WRITE 0x00000010
#define FILE_NOTIFY_CHANGE_LAST_ACCESS 0x00000020
#define FILE_NOTIFY_CHANGE_CREATION 0x00000040
#define FILE_NOTIFY_CHANGE_SECURITY 0x00000100

WIN_EXTERN_C_BEGIN

WINBASEAPI HANDLE WINAPI FindFirstChangeNotificationA(LPCSTR lpPathName, BOOL bWatchSubtree, DWORD dwNotifyFilter);
WINBASEAPI BOOL WINAPI FindNextChangeNotification(HANDLE hChangeHandle);
WINBASEAPI BOOL WINAPI FindCloseChangeNotification(HANDLE hChangeHandle);

WIN_EXTERN_C_END

#endif

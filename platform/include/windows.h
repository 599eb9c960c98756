/* The Win32 subset the suite is written against, implemented on POSIX by
 * libplatform.so. Code includes <windows.h> and reads as it would on Windows. */
#ifndef PLATFORM_WINDOWS_H
#define PLATFORM_WINDOWS_H

#include "win/types.h"
#include "win/handles.h"
#include "win/error.h"
#include "win/strings.h"
#include "win/modules.h"
#include "win/profile.h"
#include "win/files.h"
#include "win/changes.h"
#include "win/sync.h"
#include "win/threads.h"
#include "win/mailslot.h"
#include "win/atoms.h"
#include "win/time.h"
#include "win/sysinfo.h"
#include "win/colors.h"
#include "win/winsock.h"

#if __has_include("win/res.h")
#include "win/res.h"
#endif
#if __has_include("win/ver.h")
#include "win/ver.h"
#endif

/* The user-interface half (libplatformui): each area's header joins when it
 * exists. Controls, property sheets, the shell, help and visual styles have
 * their own headers, as on Windows (<commctrl.h>, <shellapi.h>, ...). */
#if __has_include("win/user.h")
#include "win/user.h"
#endif
#if __has_include("win/gdi.h")
#include "win/gdi.h"
#endif
#if __has_include("win/winhelp.h")
#include "win/winhelp.h"
#endif

#endif

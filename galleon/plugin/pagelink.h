// The entry points' link to the settings pages. The pages (galleon/page/)
// need the user-interface library; the server modules and their tests do not
// load it, so these are weak: without the pages linked in they are null and
// the entry points do without them.
#pragma once

#include <windows.h>

// Starts and stops what the pages keep between openings (the window layout
// module, the memory of the transaction log window).
extern "C" void galleonPagesInit(void) __attribute__((weak));
extern "C" void galleonPagesShutdown(void) __attribute__((weak));
// Notification 5: the Settings page's sheet closes as if Cancel were pressed.
extern "C" void galleonPagesCancelSettings(void) __attribute__((weak));
// The host's window, found by its class, and the instance stored in it (the
// legacy initialisation, which has no record to take them from).
extern "C" void galleonPagesFindHost(HWND* window, HINSTANCE* instance) __attribute__((weak));

// The n-th module handle the host handed over (n from 0); null past the last.
HMODULE galleonEnumModule(int n);
// The host's window and its instance as the initialisation gave them.
HWND galleonHostWindow();
HINSTANCE galleonHostInstance();

// Message hooks (WH_GETMESSAGE): procedures that see each message a thread
// takes from its queue, and each mouse message of its windows.
#pragma once

#include <windows.h>

namespace platform::ui {

// True while a hook watches the calling thread (cheap; for the input filter).
bool hooksActive();

// Runs the calling thread's hooks, newest first, on a message just taken
// (remove: PM_REMOVE or PM_NOREMOVE). The hooks may change the message.
void hooksGetMessage(MSG *msg, UINT remove);

}  // namespace platform::ui

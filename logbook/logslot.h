// The receiver: a thread that owns the host's log mailslot and hands every
// record it receives to the store at once, so a crash or kill of the process
// loses only records still waiting in the mailslot. When another reader holds
// the mailslot, the thread tries again every half second until it gets it.
#ifndef LOGBOOK_LOGSLOT_H
#define LOGBOOK_LOGSLOT_H

#include <cstdint>

// Starts the receiver for the mailslot NAME (a plain name). 0; -1 already
// running; -2 bad name; -3 the thread or its events could not be made.
int logslotStart(const char *name);

// Waits until the receiver owns the mailslot; false after timeoutMs.
bool logslotWaitOwned(unsigned timeoutMs);

// Records received that were not sound (refused, not stored).
uint64_t logslotRefused();

// Stops the receiver: what is waiting in the mailslot is still stored, then
// the mailslot is closed, so writers queue their records again until a new
// reader appears. 0, or -1 when not running.
int logslotStop();

#endif

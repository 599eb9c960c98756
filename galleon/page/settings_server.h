// Starting and stopping the web server from the pages (Part 4.1): the
// status text says "Starting..." and the start waits at most 3000 ms for the
// listener; a stop waits for it without limit.
#pragma once

// Starts the listener thread (THREAD_PRIORITY_ABOVE_NORMAL) unless it runs;
// returns once it listens, once it has ended (it could not listen), or after
// 3000 ms. 0, or -3 when the thread cannot be made.
int settingsServerStart();
// 1 while the listener listens or is still starting (its thread runs).
bool settingsServerActive();
// Stops the listener and waits for it.
void settingsServerStop();

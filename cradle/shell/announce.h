// Tells the user where to point a browser: once the photo share server
// answers on its port, "http://localhost:<port>/" goes to standard output.
#pragma once

// Starts a thread that waits (at most 15 s, until closing begins) for the
// server configured in section "photo" of cradle.ini to accept connections
// on the loopback address, then prints the address once. Nothing when the
// server plug-in is not loaded or is switched off.
void shellAnnounceAddress();

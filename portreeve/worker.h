// The forwarding worker: the one thread that configures the gateways, keeps
// the forwarding in line with the services, and closes it at shutdown.
#pragma once
#include <windows.h>

constexpr const char *IGD_DEVICE_TYPE = "urn:schemas-upnp-org:device:InternetGatewayDevice:1";
constexpr const char *WANIP_SERVICE_TYPE = "urn:schemas-upnp-org:service:WANIPConnection:1";

// Starts the worker on the two manual-reset events (stop, wake); the path is
// copied. Returns the thread handle, or null.
HANDLE workerStart(HANDLE stopEvent, HANDLE wakeEvent, const char *configPath);
// Asks a worker that overran its closing time to skip the remaining actions.
void workerAbandon();
// True when a pass stopped before its end (abandoned, or out of time).
bool workerWasCut();
// Forgets the forwarded-port list (after the worker ended).
void workerReset();

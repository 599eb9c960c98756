/* Service mode of the host: running under the system's service manager
 * (systemd on this platform, through the service control manager functions of
 * <windows.h>) beside the same main thread that runs when a user starts the
 * program.
 *
 * Shared with the main thread: the ready and closing events of ShellState,
 * the current-state variable and the main window handle. The ready signal is
 * a counting semaphore: every signal the main thread gives is kept until the
 * service thread takes it, so no state report is lost when the main thread
 * gets there first (twice, even: window created and already destroyed). */
#ifndef CRADLE_SERVICE_H
#define CRADLE_SERVICE_H

#include <windows.h>

/* ---- Queries of the service of a name (each opens the manager and the
 * service anew). ---- */

/* The configured start type (2 automatic, 3 on demand, 4 disabled); 255 when
 * anything fails. */
int serviceGetStartType(LPCSTR name);
/* The current state (1 stopped, 2 start-pending, 3 stop-pending, 4 running);
 * 255 when anything fails. */
int serviceGetState(LPCSTR name);
/* 1 when the start was accepted and the state right after is start-pending or
 * running; else 0. */
int serviceStart(LPCSTR name);
/* 1 when a stop control was sent; else 0, logging "You must be logged in as
 * Administrator to stop this service." when the manager or the service could
 * not be opened. */
int serviceStop(LPCSTR name);

/* Program start: 1 when the service of this name is installed with start type
 * automatic or on demand, is stopped and was started now, so that the service
 * runs the program and this start should end; else 0. */
int serviceTakeOver(LPCSTR name);

/* Close command: asks the service manager to stop this program's own service
 * (shellState().serviceName). 1 when the request was made, so the stop
 * control will close the program; 0 when this process does not run as the
 * service or the request failed, and the main window must close itself. */
int serviceRequestStop(void);

/* ---- The ready signal ---- */

/* A new ready signal for ShellState::readyEvent (a counting semaphore,
 * initially clear); null on failure. */
HANDLE serviceCreateReadyEvent(void);
/* Signals ShellState::readyEvent once: after window creation and at the end
 * of shut-down. Also accepts an auto-reset event (then pulsed). */
BOOL servicePulseReady(void);

/* ---- The service thread ---- */

/* Starts the service thread (serviceThread). Logs "CreateThread() returned
 * error code %d" and returns null when it cannot be started. */
HANDLE serviceStartThread(void);
/* Waits at most timeoutMs for the thread started by serviceStartThread to end
 * (its last report sent) and closes its handle; TRUE when it ended. */
BOOL serviceJoinThread(DWORD timeoutMs);

/* The service thread: connects to the service manager with one entry
 * (shellState().serviceName, serviceMain). When this program was not started
 * as a service it logs "Service Control Dispatcher could not be started; %s
 * not started as a service (%d)" and ends; the program runs as a user
 * program. */
DWORD WINAPI serviceThread(LPVOID);
/* Registers serviceControlHandler and reports start-pending, running once the
 * ready signal comes, stop-pending once the closing event is set, stopped at
 * the next ready signal. */
VOID WINAPI serviceMain(DWORD argc, LPSTR *argv);
/* Stop and shut-down: state stop-pending and WM_CLOSE to the main window;
 * every other control: the current state again. Each control is answered
 * with a status report. */
VOID WINAPI serviceControlHandler(DWORD control);

/* TRUE while this process runs as the service (the manager connected). */
BOOL serviceIsRunningAsService(void);
/* The state last reported (SERVICE_STOPPED before any report). */
DWORD serviceCurrentState(void);

#endif

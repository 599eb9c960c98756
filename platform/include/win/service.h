/* The service control manager on systemd.
 *
 * A service is the unit "<name>.service" of a systemd manager. OpenSCManagerA
 * connects to the user's manager (the session bus) and to the system manager
 * (the system bus), whichever answer. OpenServiceA takes the service from the user's manager
 * when that has a unit file of the name, else from the system manager (a
 * system-wide install). The start type comes from the unit file state, the
 * state from the unit's active state; StartServiceA starts the unit and
 * ControlService(SERVICE_CONTROL_STOP) stops it.
 *
 * In the service process, StartServiceCtrlDispatcherA works only when systemd
 * started the program with a notification socket ($NOTIFY_SOCKET). Status
 * reports become notifications (READY=1, STOPPING=1, STATUS=...,
 * EXTEND_TIMEOUT_USEC from the wait hint), and SIGTERM is delivered to the
 * control handler as SERVICE_CONTROL_STOP on the dispatcher's thread. */
#ifndef PLATFORM_WIN_SERVICE_H
#define PLATFORM_WIN_SERVICE_H

#include "handles.h"

DECLARE_HANDLE(SC_HANDLE);
typedef SC_HANDLE *LPSC_HANDLE;
DECLARE_HANDLE(SERVICE_STATUS_HANDLE);

#define ERROR_DEPENDENT_SERVICES_RUNNING 1051L
#define ERROR_INVALID_SERVICE_CONTROL 1052L
#define ERROR_SERVICE_REQUEST_TIMEOUT 1053L
#define ERROR_SERVICE_ALREADY_RUNNING 1056L
#define ERROR_SERVICE_DISABLED 1058L
#define ERROR_SERVICE_DOES_NOT_EXIST 1060L
#define ERROR_SERVICE_CANNOT_ACCEPT_CTRL 1061L
#define ERROR_SERVICE_NOT_ACTIVE 1062L
#define ERROR_FAILED_SERVICE_CONTROLLER_CONNECT 1063L
#define ERROR_DATABASE_DOES_NOT_EXIST 1065L
#define ERROR_SERVICE_SPECIFIC_ERROR 1066L
#define ERROR_PROCESS_ABORTED 1067L
#define ERROR_SERVICE_NOT_IN_EXE 1083L
#define RPC_S_SERVER_UNAVAILABLE 1722L

#define SERVICES_ACTIVE_DATABASEA "ServicesActive"

/* Access rights. */
#define SC_MANAGER_CONNECT 0x0001
#define SC_MANAGER_CREATE_SERVICE 0x0002
#define SC_MANAGER_ENUMERATE_SERVICE 0x0004
#define SC_MANAGER_LOCK 0x0008
#define SC_MANAGER_QUERY_LOCK_STATUS 0x0010
#define SC_MANAGER_MODIFY_BOOT_CONFIG 0x0020
#define SC_MANAGER_ALL_ACCESS 0xF003F
#define SERVICE_QUERY_CONFIG 0x0001
#define SERVICE_CHANGE_CONFIG 0x0002
#define SERVICE_QUERY_STATUS 0x0004
#define SERVICE_ENUMERATE_DEPENDENTS 0x0008
#define SERVICE_START 0x0010
#define SERVICE_STOP 0x0020
#define SERVICE_PAUSE_CONTINUE 0x0040
#define SERVICE_INTERROGATE 0x0080
#define SERVICE_USER_DEFINED_CONTROL 0x0100
#define SERVICE_ALL_ACCESS 0xF01FF

/* Service types. */
#define SERVICE_WIN32_OWN_PROCESS 0x00000010
#define SERVICE_WIN32_SHARE_PROCESS 0x00000020
#define SERVICE_INTERACTIVE_PROCESS 0x00000100

/* Start types. */
#define SERVICE_BOOT_START 0
#define SERVICE_SYSTEM_START 1
#define SERVICE_AUTO_START 2
#define SERVICE_DEMAND_START 3
#define SERVICE_DISABLED 4

#define SERVICE_ERROR_NORMAL 1

/* Current states. */
#define SERVICE_STOPPED 1
#define SERVICE_START_PENDING 2
#define SERVICE_STOP_PENDING 3
#define SERVICE_RUNNING 4
#define SERVICE_CONTINUE_PENDING 5
#define SERVICE_PAUSE_PENDING 6
#define SERVICE_PAUSED 7

/* Controls and the controls a service accepts. */
#define SERVICE_CONTROL_STOP 1
#define SERVICE_CONTROL_PAUSE 2
#define SERVICE_CONTROL_CONTINUE 3
#define SERVICE_CONTROL_INTERROGATE 4
#define SERVICE_CONTROL_SHUTDOWN 5
#define SERVICE_ACCEPT_STOP 0x0001
#define SERVICE_ACCEPT_PAUSE_CONTINUE 0x0002
#define SERVICE_ACCEPT_SHUTDOWN 0x0004

typedef struct _SERVICE_STATUS {
    DWORD dwServiceType;
    DWORD dwCurrentState;
    DWORD dwControlsAccepted;
    DWORD dwWin32ExitCode;
    DWORD dwServiceSpecificExitCode;
    DWORD dwCheckPoint;
    DWORD dwWaitHint;
} SERVICE_STATUS, *LPSERVICE_STATUS;

typedef struct _QUERY_SERVICE_CONFIGA {
    DWORD dwServiceType;
    DWORD dwStartType;
    DWORD dwErrorControl;
    LPSTR lpBinaryPathName;
    LPSTR lpLoadOrderGroup;
    DWORD dwTagId;
    LPSTR lpDependencies;
    LPSTR lpServiceStartName;
    LPSTR lpDisplayName;
} QUERY_SERVICE_CONFIGA, *LPQUERY_SERVICE_CONFIGA;

typedef VOID(WINAPI *LPSERVICE_MAIN_FUNCTIONA)(DWORD dwNumServicesArgs, LPSTR *lpServiceArgVectors);
typedef VOID(WINAPI *LPHANDLER_FUNCTION)(DWORD dwControl);

typedef struct _SERVICE_TABLE_ENTRYA {
    LPSTR lpServiceName;
    LPSERVICE_MAIN_FUNCTIONA lpServiceProc;
} SERVICE_TABLE_ENTRYA, *LPSERVICE_TABLE_ENTRYA;

WIN_EXTERN_C_BEGIN

/* lpMachineName: NULL, "" or "." (this machine); lpDatabaseName: NULL or
 * SERVICES_ACTIVE_DATABASEA. Fails with ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
 * when no manager answers. */
WINBASEAPI SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess);
/* ERROR_SERVICE_DOES_NOT_EXIST when neither manager has a unit file of the name. */
WINBASEAPI SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess);
/* The record and its strings go into one buffer; a short buffer fails with
 * ERROR_INSUFFICIENT_BUFFER and *pcbBytesNeeded the size needed. */
WINBASEAPI BOOL WINAPI QueryServiceConfigA(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGA lpServiceConfig,
                                           DWORD cbBufSize, LPDWORD pcbBytesNeeded);
WINBASEAPI BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus);
/* Arguments are not passed on (a unit has its own command line). */
WINBASEAPI BOOL WINAPI StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCSTR *lpServiceArgVectors);
/* SERVICE_CONTROL_STOP stops the unit; SERVICE_CONTROL_INTERROGATE only fills
 * the status; other controls fail with ERROR_INVALID_SERVICE_CONTROL. */
WINBASEAPI BOOL WINAPI ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus);
WINBASEAPI BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject);

/* Runs the first entry's service main on a new thread and returns TRUE once
 * the service reports SERVICE_STOPPED. Without $NOTIFY_SOCKET it fails at once
 * with ERROR_FAILED_SERVICE_CONTROLLER_CONNECT. */
WINBASEAPI BOOL WINAPI StartServiceCtrlDispatcherA(CONST SERVICE_TABLE_ENTRYA *lpServiceStartTable);
/* A SIGTERM that arrives before the handler is registered, or while the
 * service does not accept SERVICE_ACCEPT_STOP, is kept and delivered later. */
WINBASEAPI SERVICE_STATUS_HANDLE WINAPI RegisterServiceCtrlHandlerA(LPCSTR lpServiceName,
                                                                    LPHANDLER_FUNCTION lpHandlerProc);
WINBASEAPI BOOL WINAPI SetServiceStatus(SERVICE_STATUS_HANDLE hServiceStatus, LPSERVICE_STATUS lpServiceStatus);

WIN_EXTERN_C_END

#endif

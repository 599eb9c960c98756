// The service control manager's client side on systemd: a manager handle
// holds connections to the user's and the system manager, a service handle
// one unit of one of them.
#include <windows.h>

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "handles.h"
#include "service_bus.h"

using namespace platform;

namespace {

class ServiceManagerObject : public PlatformObject {
public:
    ServiceManagerObject() : PlatformObject(ObjectType::Other) {}
    std::shared_ptr<ManagerBus> user, system;
};

class ServiceObject : public PlatformObject {
public:
    ServiceObject(std::shared_ptr<ManagerBus> bus, std::string name, std::string unit, DWORD access)
        : PlatformObject(ObjectType::Other), bus(std::move(bus)), name(std::move(name)), unit(std::move(unit)),
          access(access) {}
    std::shared_ptr<ManagerBus> bus;
    std::string name, unit;
    DWORD access;
};

// Generic rights in terms of the service's specific rights.
DWORD serviceAccess(DWORD desired) {
    DWORD access = desired & 0x1FF;
    if (desired & (GENERIC_ALL | 0xF0000)) access |= SERVICE_ALL_ACCESS & 0x1FF;
    if (desired & GENERIC_READ) access |= SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS;
    if (desired & GENERIC_EXECUTE)
        access |= SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_USER_DEFINED_CONTROL;
    if (desired & GENERIC_WRITE) access |= SERVICE_CHANGE_CONFIG;
    return access;
}

std::shared_ptr<ServiceObject> service(SC_HANDLE h, DWORD right) {
    auto object = handleGet<ServiceObject>(h);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if ((object->access & right) != right) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return object;
}

DWORD startTypeOf(const std::string &fileState) {
    for (const char *s : {"enabled", "enabled-runtime"})
        if (fileState == s) return SERVICE_AUTO_START;
    for (const char *s : {"static", "indirect", "linked", "linked-runtime", "alias", "generated", "transient"})
        if (fileState == s) return SERVICE_DEMAND_START;
    return SERVICE_DISABLED;  // disabled, masked, masked-runtime, bad, invalid
}

DWORD currentStateOf(const UnitState &unit) {
    const std::string &a = unit.active;
    bool queuedStart = unit.jobType.find("start") != std::string::npos;
    if (a == "active" || a == "reloading" || a == "refreshing")
        return unit.jobType == "stop" ? SERVICE_STOP_PENDING : SERVICE_RUNNING;
    if (a == "activating") return SERVICE_START_PENDING;
    if (a == "deactivating") return SERVICE_STOP_PENDING;
    // inactive or failed: a queued start job means the start is under way.
    return queuedStart ? SERVICE_START_PENDING : SERVICE_STOPPED;
}

BOOL queryStatus(ServiceObject &s, LPSERVICE_STATUS status) {
    UnitState unit;
    if (!s.bus->unitState(s.unit, &unit)) return FALSE;
    memset(status, 0, sizeof *status);
    status->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status->dwCurrentState = currentStateOf(unit);
    if (status->dwCurrentState == SERVICE_RUNNING) status->dwControlsAccepted = SERVICE_ACCEPT_STOP;
    if (unit.active == "failed") status->dwWin32ExitCode = ERROR_PROCESS_ABORTED;
    return TRUE;
}

// Lays out the record and its strings in the caller's buffer.
BOOL fillConfig(const ServiceObject &s, DWORD startType, LPQUERY_SERVICE_CONFIGA config, DWORD size,
                LPDWORD needed) {
    std::string account = "LocalSystem";
    if (s.bus->scope() == ManagerScope::User) {
        struct passwd *pw = getpwuid(getuid());
        account = pw && pw->pw_name ? pw->pw_name : std::to_string(getuid());
    }
    // Binary path, load order group, dependencies (a double-NUL list),
    // account, display name.
    const std::string strings[] = {"", "", std::string(1, '\0'), account, s.name};
    DWORD total = sizeof(QUERY_SERVICE_CONFIGA);
    for (auto &t : strings) total += static_cast<DWORD>(t.size() + 1);
    if (needed) *needed = total;
    if (!config || size < total) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    char *p = reinterpret_cast<char *>(config + 1);
    LPSTR *targets[] = {&config->lpBinaryPathName, &config->lpLoadOrderGroup, &config->lpDependencies,
                        &config->lpServiceStartName, &config->lpDisplayName};
    for (int i = 0; i < 5; ++i) {
        *targets[i] = p;
        memcpy(p, strings[i].data(), strings[i].size());
        p[strings[i].size()] = '\0';
        p += strings[i].size() + 1;
    }
    config->dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    config->dwStartType = startType;
    config->dwErrorControl = SERVICE_ERROR_NORMAL;
    config->dwTagId = 0;
    return TRUE;
}

}  // namespace

extern "C" {

WINBASEAPI SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD) {
    if (lpMachineName && *lpMachineName && strcmp(lpMachineName, ".") != 0) {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    }
    if (lpDatabaseName && strcasecmp(lpDatabaseName, SERVICES_ACTIVE_DATABASEA) != 0) {
        SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
        return nullptr;
    }
    auto manager = std::make_shared<ServiceManagerObject>();
    // Both managers: a service may be the user's own unit or a system-wide one.
    manager->user = ManagerBus::connect(ManagerScope::User);
    manager->system = ManagerBus::connect(ManagerScope::System);
    if (!manager->user && !manager->system) {
        SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return nullptr;
    }
    return handleNew<SC_HANDLE>(manager);
}

WINBASEAPI SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
    auto manager = handleGet<ServiceManagerObject>(hSCManager);
    if (!manager) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpServiceName) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return nullptr;
    }
    std::string unit = serviceUnitName(lpServiceName);
    if (unit.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    // The user's own unit first; a system-wide install otherwise.
    DWORD error = ERROR_SERVICE_DOES_NOT_EXIST;
    for (auto &bus : {manager->user, manager->system}) {
        if (!bus) continue;
        std::string fileState;
        if (bus->unitFileState(unit, &fileState))
            return handleNew<SC_HANDLE>(
                std::make_shared<ServiceObject>(bus, lpServiceName, unit, serviceAccess(dwDesiredAccess)));
        // Keep the most telling reason: a refusal outweighs "not here".
        if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST && error == ERROR_SERVICE_DOES_NOT_EXIST)
            error = GetLastError();
    }
    SetLastError(error);
    return nullptr;
}

WINBASEAPI BOOL WINAPI QueryServiceConfigA(SC_HANDLE hService, LPQUERY_SERVICE_CONFIGA lpServiceConfig,
                                           DWORD cbBufSize, LPDWORD pcbBytesNeeded) {
    auto s = service(hService, SERVICE_QUERY_CONFIG);
    if (!s) return FALSE;
    std::string fileState;
    if (!s->bus->unitFileState(s->unit, &fileState)) return FALSE;
    return fillConfig(*s, startTypeOf(fileState), lpServiceConfig, cbBufSize, pcbBytesNeeded);
}

WINBASEAPI BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
    auto s = service(hService, SERVICE_QUERY_STATUS);
    if (!s) return FALSE;
    if (!lpServiceStatus) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    return queryStatus(*s, lpServiceStatus);
}

WINBASEAPI BOOL WINAPI StartServiceA(SC_HANDLE hService, DWORD, LPCSTR *) {
    auto s = service(hService, SERVICE_START);
    if (!s) return FALSE;
    std::string fileState;
    if (!s->bus->unitFileState(s->unit, &fileState)) return FALSE;
    if (startTypeOf(fileState) == SERVICE_DISABLED) {
        SetLastError(ERROR_SERVICE_DISABLED);
        return FALSE;
    }
    SERVICE_STATUS status;
    if (!queryStatus(*s, &status)) return FALSE;
    if (status.dwCurrentState != SERVICE_STOPPED) {
        SetLastError(ERROR_SERVICE_ALREADY_RUNNING);
        return FALSE;
    }
    return s->bus->startUnit(s->unit);
}

WINBASEAPI BOOL WINAPI ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
    DWORD right = dwControl == SERVICE_CONTROL_STOP          ? SERVICE_STOP
                  : dwControl == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                             : 0;
    if (!right) {
        SetLastError(ERROR_INVALID_SERVICE_CONTROL);
        return FALSE;
    }
    auto s = service(hService, right);
    if (!s) return FALSE;
    if (!lpServiceStatus) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    if (!queryStatus(*s, lpServiceStatus)) return FALSE;
    if (lpServiceStatus->dwCurrentState == SERVICE_STOPPED) {
        SetLastError(ERROR_SERVICE_NOT_ACTIVE);
        return FALSE;
    }
    if (dwControl == SERVICE_CONTROL_INTERROGATE) return TRUE;
    if (!s->bus->stopUnit(s->unit)) return FALSE;
    // The manager has accepted the stop; until the unit leaves its state the
    // service is stopping.
    if (!queryStatus(*s, lpServiceStatus)) return TRUE;
    if (lpServiceStatus->dwCurrentState != SERVICE_STOPPED) {
        lpServiceStatus->dwCurrentState = SERVICE_STOP_PENDING;
        lpServiceStatus->dwControlsAccepted = 0;
    }
    return TRUE;
}

WINBASEAPI BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
    auto object = handleGetObject(handleValue(hSCObject));
    if (!std::dynamic_pointer_cast<ServiceManagerObject>(object) && !std::dynamic_pointer_cast<ServiceObject>(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object.reset();
    if (!handleRemove(handleValue(hSCObject))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"

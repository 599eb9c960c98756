// Questions to the service manager about the service of a name, and the start
// and stop requests the program entry and the close command make.
#include <windows.h>

#include "service/service.h"
#include "zellog.h"

namespace {

constexpr int kUnknown = 255;

// The manager and the service, opened with full access and closed together.
class OpenService {
public:
    explicit OpenService(LPCSTR name) {
        if (!name) return;
        manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        if (manager_) service_ = OpenServiceA(manager_, name, SERVICE_ALL_ACCESS);
    }
    ~OpenService() {
        if (service_) CloseServiceHandle(service_);
        if (manager_) CloseServiceHandle(manager_);
    }
    OpenService(const OpenService &) = delete;
    OpenService &operator=(const OpenService &) = delete;

    SC_HANDLE get() const { return service_; }

private:
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

int stateOf(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) return kUnknown;
    return static_cast<int>(status.dwCurrentState);
}

}  // namespace

int serviceGetStartType(LPCSTR name) {
    OpenService service(name);
    if (!service.get()) return kUnknown;
    // The record carries its strings in the same buffer.
    alignas(QUERY_SERVICE_CONFIGA) char buffer[4096];
    DWORD needed = 0;
    auto *config = reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(buffer);
    if (!QueryServiceConfigA(service.get(), config, sizeof buffer, &needed)) return kUnknown;
    return static_cast<int>(config->dwStartType);
}

int serviceGetState(LPCSTR name) {
    OpenService service(name);
    return service.get() ? stateOf(service.get()) : kUnknown;
}

int serviceStart(LPCSTR name) {
    OpenService service(name);
    if (!service.get() || !StartServiceA(service.get(), 0, nullptr)) return 0;
    int state = stateOf(service.get());
    return state == SERVICE_START_PENDING || state == SERVICE_RUNNING ? 1 : 0;
}

int serviceStop(LPCSTR name) {
    OpenService service(name);
    if (!service.get()) {
        zelextLog("cradle", ZELLOG_ERROR, "You must be logged in as Administrator to stop this service.");
        return 0;
    }
    SERVICE_STATUS status{};
    return ControlService(service.get(), SERVICE_CONTROL_STOP, &status) ? 1 : 0;
}

int serviceTakeOver(LPCSTR name) {
    int startType = serviceGetStartType(name);
    if (startType != SERVICE_AUTO_START && startType != SERVICE_DEMAND_START) return 0;
    if (serviceGetState(name) != SERVICE_STOPPED) return 0;
    return serviceStart(name);
}

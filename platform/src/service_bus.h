// One connection to a systemd manager over D-Bus, with the few calls the
// service control manager functions make. Calls on one connection are
// serialised; sd-bus objects are not thread-safe.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

#include <systemd/sd-bus.h>

namespace platform {

enum class ManagerScope { User, System };

// A unit's active state and the type of the job queued for it ("" when none).
struct UnitState {
    std::string active;
    std::string jobType;
};

class ManagerBus {
public:
    ~ManagerBus();

    // Connects to the manager of the scope; null with the last error set when
    // the bus cannot be reached or no manager owns its name there.
    static std::shared_ptr<ManagerBus> connect(ManagerScope scope);

    ManagerScope scope() const { return scope_; }

    // Each returns FALSE with the last error set (Win32 codes) on failure.
    BOOL unitFileState(const std::string &unit, std::string *state);
    BOOL unitState(const std::string &unit, UnitState *state);
    BOOL startUnit(const std::string &unit);
    BOOL stopUnit(const std::string &unit);

private:
    ManagerBus(sd_bus *bus, ManagerScope scope) : bus_(bus), scope_(scope) {}
    BOOL unitPath(const std::string &unit, std::string *path, bool *loaded);
    BOOL jobCall(const char *method, const std::string &unit);

    std::mutex lock_;
    sd_bus *bus_;
    ManagerScope scope_;
};

// The unit name of a service name: characters other than letters, digits,
// ':', '_' and '.' (and a leading '.') escaped as "\xNN", '/' as '-', then
// ".service". Empty when the name cannot name a unit.
std::string serviceUnitName(const char *serviceName);

// The Win32 error for a failed D-Bus call (by error name, else by errno).
DWORD busErrorToError(const sd_bus_error *error, int result);

}  // namespace platform

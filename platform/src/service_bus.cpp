// Calls to a systemd manager's D-Bus interface for the service functions.
#include "service_bus.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

constexpr const char *kDestination = "org.freedesktop.systemd1";
constexpr const char *kManagerPath = "/org/freedesktop/systemd1";
constexpr const char *kManagerInterface = "org.freedesktop.systemd1.Manager";
constexpr const char *kUnitInterface = "org.freedesktop.systemd1.Unit";
constexpr const char *kJobInterface = "org.freedesktop.systemd1.Job";
// A manager that does not answer within this time is treated as gone.
constexpr uint64_t kCallTimeoutUsec = 10 * 1000 * 1000;

// Frees an sd_bus_error when the call is done with it.
struct BusError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~BusError() { sd_bus_error_free(&error); }
};

struct Reply {
    sd_bus_message *message = nullptr;
    ~Reply() { sd_bus_message_unref(message); }
};

bool errorIs(const sd_bus_error *error, const char *name) { return sd_bus_error_has_name(error, name); }

BOOL fail(const sd_bus_error *error, int result) {
    SetLastError(busErrorToError(error, result));
    return FALSE;
}

}  // namespace

DWORD busErrorToError(const sd_bus_error *error, int result) {
    if (error && sd_bus_error_is_set(error)) {
        static const struct {
            const char *name;
            DWORD code;
        } kNames[] = {
            {"org.freedesktop.systemd1.NoSuchUnit", ERROR_SERVICE_DOES_NOT_EXIST},
            {"org.freedesktop.systemd1.LoadFailed", ERROR_SERVICE_DOES_NOT_EXIST},
            {SD_BUS_ERROR_FILE_NOT_FOUND, ERROR_SERVICE_DOES_NOT_EXIST},
            {SD_BUS_ERROR_UNKNOWN_OBJECT, ERROR_SERVICE_DOES_NOT_EXIST},
            {"org.freedesktop.systemd1.UnitMasked", ERROR_SERVICE_DISABLED},
            {SD_BUS_ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
            {SD_BUS_ERROR_AUTH_FAILED, ERROR_ACCESS_DENIED},
            {SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED, ERROR_ACCESS_DENIED},
            {SD_BUS_ERROR_SERVICE_UNKNOWN, ERROR_FAILED_SERVICE_CONTROLLER_CONNECT},
            {SD_BUS_ERROR_NAME_HAS_NO_OWNER, ERROR_FAILED_SERVICE_CONTROLLER_CONNECT},
            {SD_BUS_ERROR_DISCONNECTED, ERROR_FAILED_SERVICE_CONTROLLER_CONNECT},
            {SD_BUS_ERROR_NO_SERVER, ERROR_FAILED_SERVICE_CONTROLLER_CONNECT},
            {SD_BUS_ERROR_NO_REPLY, ERROR_SERVICE_REQUEST_TIMEOUT},
            {SD_BUS_ERROR_TIMEOUT, ERROR_SERVICE_REQUEST_TIMEOUT},
        };
        for (auto &n : kNames)
            if (errorIs(error, n.name)) return n.code;
    }
    switch (result < 0 ? -result : result) {
    case ENOENT:
    case ENXIO:
        return ERROR_SERVICE_DOES_NOT_EXIST;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ETIMEDOUT:
        return ERROR_SERVICE_REQUEST_TIMEOUT;
    case ECONNREFUSED:
    case ECONNRESET:
    case ENOTCONN:
    case EPIPE:
    case ESHUTDOWN:
    case EHOSTDOWN:
        return ERROR_FAILED_SERVICE_CONTROLLER_CONNECT;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_GEN_FAILURE;
    }
}

std::string serviceUnitName(const char *serviceName) {
    static const char kHex[] = "0123456789abcdef";
    std::string unit;
    for (const char *p = serviceName; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
                     c == '_' || (c == '.' && p != serviceName);
        if (c == '/')
            unit += '-';
        else if (plain)
            unit += static_cast<char>(c);
        else {
            unit += "\\x";
            unit += kHex[c >> 4];
            unit += kHex[c & 15];
        }
    }
    // systemd refuses unit names longer than 255 characters.
    if (unit.empty() || unit.size() + 8 > 255) return {};
    return unit + ".service";
}

std::shared_ptr<ManagerBus> ManagerBus::connect(ManagerScope scope) {
    sd_bus *bus = nullptr;
    int r = scope == ManagerScope::User ? sd_bus_open_user(&bus) : sd_bus_open_system(&bus);
    if (r < 0) {
        SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return nullptr;
    }
    sd_bus_set_method_call_timeout(bus, kCallTimeoutUsec);
    // The bus alone is not enough: the manager must own its name there.
    BusError error;
    Reply reply;
    int owned = 0;
    r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error.error, &reply.message, "s", kDestination);
    if (r >= 0) r = sd_bus_message_read(reply.message, "b", &owned);
    if (r < 0 || !owned) {
        sd_bus_flush_close_unref(bus);
        SetLastError(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT);
        return nullptr;
    }
    return std::shared_ptr<ManagerBus>(new ManagerBus(bus, scope));
}

ManagerBus::~ManagerBus() { sd_bus_flush_close_unref(bus_); }

BOOL ManagerBus::unitFileState(const std::string &unit, std::string *state) {
    std::lock_guard<std::mutex> guard(lock_);
    BusError error;
    Reply reply;
    const char *text = nullptr;
    int r = sd_bus_call_method(bus_, kDestination, kManagerPath, kManagerInterface, "GetUnitFileState", &error.error,
                               &reply.message, "s", unit.c_str());
    if (r >= 0) r = sd_bus_message_read(reply.message, "s", &text);
    if (r < 0) return fail(&error.error, r);
    *state = text;
    return TRUE;
}

// The object path of a loaded unit; *loaded false (and TRUE returned) when
// the manager has not loaded it, which means it is inactive. Caller holds the lock.
BOOL ManagerBus::unitPath(const std::string &unit, std::string *path, bool *loaded) {
    BusError error;
    Reply reply;
    const char *text = nullptr;
    int r = sd_bus_call_method(bus_, kDestination, kManagerPath, kManagerInterface, "GetUnit", &error.error,
                               &reply.message, "s", unit.c_str());
    if (r < 0 && errorIs(&error.error, "org.freedesktop.systemd1.NoSuchUnit")) {
        *loaded = false;
        return TRUE;
    }
    if (r >= 0) r = sd_bus_message_read(reply.message, "o", &text);
    if (r < 0) return fail(&error.error, r);
    *path = text;
    *loaded = true;
    return TRUE;
}

BOOL ManagerBus::unitState(const std::string &unit, UnitState *state) {
    std::lock_guard<std::mutex> guard(lock_);
    std::string path;
    bool loaded = false;
    if (!unitPath(unit, &path, &loaded)) return FALSE;
    state->jobType.clear();
    if (!loaded) {
        state->active = "inactive";
        return TRUE;
    }
    BusError error;
    char *active = nullptr;
    int r = sd_bus_get_property_string(bus_, kDestination, path.c_str(), kUnitInterface, "ActiveState", &error.error,
                                       &active);
    if (r < 0) return fail(&error.error, r);
    state->active = active;
    free(active);

    // A queued job shows a start or stop that the manager has accepted but
    // not begun. Managers that do not tell leave the active state alone.
    BusError jobError;
    Reply job;
    uint32_t id = 0;
    const char *jobPath = nullptr;
    if (sd_bus_get_property(bus_, kDestination, path.c_str(), kUnitInterface, "Job", &jobError.error, &job.message,
                            "(uo)") < 0 ||
        sd_bus_message_read(job.message, "(uo)", &id, &jobPath) < 0 || id == 0)
        return TRUE;
    BusError typeError;
    char *type = nullptr;
    if (sd_bus_get_property_string(bus_, kDestination, jobPath, kJobInterface, "JobType", &typeError.error, &type) >=
        0) {
        state->jobType = type;
        free(type);
    }
    return TRUE;
}

BOOL ManagerBus::jobCall(const char *method, const std::string &unit) {
    std::lock_guard<std::mutex> guard(lock_);
    BusError error;
    Reply reply;
    int r = sd_bus_call_method(bus_, kDestination, kManagerPath, kManagerInterface, method, &error.error,
                               &reply.message, "ss", unit.c_str(), "replace");
    if (r < 0) return fail(&error.error, r);
    return TRUE;
}

BOOL ManagerBus::startUnit(const std::string &unit) { return jobCall("StartUnit", unit); }
BOOL ManagerBus::stopUnit(const std::string &unit) { return jobCall("StopUnit", unit); }

}  // namespace platform

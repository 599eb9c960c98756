#include "manager_double.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

constexpr const char *kUnitPrefix = "/org/freedesktop/systemd1/unit";
constexpr const char *kJobPrefix = "/org/freedesktop/systemd1/job";

std::string unitPath(const std::string &name) {
    char *path = nullptr;
    sd_bus_path_encode(kUnitPrefix, name.c_str(), &path);
    std::string result = path;
    free(path);
    return result;
}

std::string jobPath(uint32_t id) { return std::string(kJobPrefix) + "/" + std::to_string(id); }

}  // namespace

PrivateBus::PrivateBus(const std::string &socketPath) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], 1);
        close(out[0]);
        // Its notes (fd limits a container refuses) are not the test's business.
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        std::string listen = "--address=unix:path=" + socketPath;
        execlp("dbus-daemon", "dbus-daemon", "--session", "--nofork", "--print-address=1", listen.c_str(),
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    // The daemon prints its address once it listens.
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') address_ += c;
    close(out[0]);
    if (address_.empty()) throw std::runtime_error("dbus-daemon did not start");
}

PrivateBus::~PrivateBus() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

ManagerDouble::ManagerDouble(const std::string &address) {
    static const sd_bus_vtable managerTable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("GetUnit", "s", "o", getUnit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetUnitFileState", "s", "s", getUnitFileState, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("StartUnit", "ss", "o", startUnit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("StopUnit", "ss", "o", stopUnit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    static const sd_bus_vtable unitTable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("ActiveState", "s", unitProperty, 0, 0),
        SD_BUS_PROPERTY("Job", "(uo)", unitProperty, 0, 0),
        SD_BUS_VTABLE_END,
    };
    static const sd_bus_vtable jobTable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("JobType", "s", jobType, 0, 0),
        SD_BUS_VTABLE_END,
    };
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0 ||
        sd_bus_add_object_vtable(bus_, nullptr, "/org/freedesktop/systemd1", "org.freedesktop.systemd1.Manager",
                                 managerTable, this) < 0 ||
        sd_bus_add_fallback_vtable(bus_, nullptr, kUnitPrefix, "org.freedesktop.systemd1.Unit", unitTable, findUnit,
                                   this) < 0 ||
        sd_bus_add_fallback_vtable(bus_, nullptr, kJobPrefix, "org.freedesktop.systemd1.Job", jobTable, findJob,
                                   this) < 0 ||
        sd_bus_request_name(bus_, "org.freedesktop.systemd1", 0) < 0)
        throw std::runtime_error("manager double could not start");
    stopFd_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

ManagerDouble::~ManagerDouble() {
    uint64_t one = 1;
    if (write(stopFd_, &one, sizeof one) < 0) abort();
    thread_.join();
    close(stopFd_);
    sd_bus_flush_close_unref(bus_);
}

void ManagerDouble::run() {
    for (;;) {
        int r;
        while ((r = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (r < 0) return;
        struct pollfd fds[2] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0},
                                {stopFd_, POLLIN, 0}};
        poll(fds, 2, -1);
        if (fds[1].revents) return;
    }
}

void ManagerDouble::setUnit(const std::string &name, const DoubleUnit &unit) {
    std::lock_guard<std::mutex> guard(lock_);
    units_[name] = unit;
}

DoubleUnit ManagerDouble::unit(const std::string &name) {
    std::lock_guard<std::mutex> guard(lock_);
    return units_[name];
}

std::vector<std::string> ManagerDouble::calls() {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
}

int ManagerDouble::getUnit(sd_bus_message *m, void *self, sd_bus_error *) {
    auto *d = static_cast<ManagerDouble *>(self);
    const char *name;
    if (int r = sd_bus_message_read(m, "s", &name); r < 0) return r;
    std::lock_guard<std::mutex> guard(d->lock_);
    auto it = d->units_.find(name);
    if (it == d->units_.end() || !it->second.loaded)
        return sd_bus_reply_method_errorf(m, "org.freedesktop.systemd1.NoSuchUnit", "Unit %s not loaded.", name);
    return sd_bus_reply_method_return(m, "o", unitPath(name).c_str());
}

int ManagerDouble::getUnitFileState(sd_bus_message *m, void *self, sd_bus_error *) {
    auto *d = static_cast<ManagerDouble *>(self);
    const char *name;
    if (int r = sd_bus_message_read(m, "s", &name); r < 0) return r;
    std::lock_guard<std::mutex> guard(d->lock_);
    auto it = d->units_.find(name);
    if (it == d->units_.end() || it->second.fileState.empty())
        return sd_bus_reply_method_errorf(m, SD_BUS_ERROR_FILE_NOT_FOUND, "No such file or directory");
    return sd_bus_reply_method_return(m, "s", it->second.fileState.c_str());
}

int ManagerDouble::jobCall(sd_bus_message *m, bool start) {
    const char *name, *mode;
    if (int r = sd_bus_message_read(m, "ss", &name, &mode); r < 0) return r;
    std::lock_guard<std::mutex> guard(lock_);
    calls_.push_back(std::string(start ? "StartUnit " : "StopUnit ") + name + " " + mode);
    auto it = units_.find(name);
    if (it == units_.end() || it->second.fileState.empty())
        return sd_bus_reply_method_errorf(m, "org.freedesktop.systemd1.NoSuchUnit", "Unit %s not found.", name);
    DoubleUnit &u = it->second;
    if (!u.refuseWith.empty()) return sd_bus_reply_method_errorf(m, u.refuseWith.c_str(), "Refused.");
    if (start && u.fileState == "masked")
        return sd_bus_reply_method_errorf(m, "org.freedesktop.systemd1.UnitMasked", "Unit %s is masked.", name);
    u.loaded = true;
    uint32_t id = nextJob_++;
    if (start && u.startTo == "queue") {
        u.job = id;
        u.jobType = "start";
    } else {
        u.active = start ? u.startTo : u.stopTo;
        u.job = 0;
    }
    return sd_bus_reply_method_return(m, "o", jobPath(id).c_str());
}

int ManagerDouble::startUnit(sd_bus_message *m, void *self, sd_bus_error *) {
    return static_cast<ManagerDouble *>(self)->jobCall(m, true);
}
int ManagerDouble::stopUnit(sd_bus_message *m, void *self, sd_bus_error *) {
    return static_cast<ManagerDouble *>(self)->jobCall(m, false);
}

// Unit objects exist for loaded units; their user data is the double, the
// unit is found again by path.
int ManagerDouble::findUnit(sd_bus *, const char *path, const char *, void *self, void **found, sd_bus_error *) {
    auto *d = static_cast<ManagerDouble *>(self);
    char *name = nullptr;
    if (sd_bus_path_decode(path, kUnitPrefix, &name) <= 0) return 0;
    std::lock_guard<std::mutex> guard(d->lock_);
    auto it = d->units_.find(name);
    free(name);
    if (it == d->units_.end() || !it->second.loaded) return 0;
    *found = self;
    return 1;
}

int ManagerDouble::findJob(sd_bus *, const char *path, const char *, void *self, void **found, sd_bus_error *) {
    auto *d = static_cast<ManagerDouble *>(self);
    std::lock_guard<std::mutex> guard(d->lock_);
    for (auto &[name, u] : d->units_)
        if (u.job && jobPath(u.job) == path) {
            *found = self;
            return 1;
        }
    return 0;
}

int ManagerDouble::unitProperty(sd_bus *, const char *path, const char *, const char *property,
                                sd_bus_message *reply, void *self, sd_bus_error *) {
    auto *d = static_cast<ManagerDouble *>(self);
    char *name = nullptr;
    if (sd_bus_path_decode(path, kUnitPrefix, &name) <= 0) return -ENOENT;
    std::lock_guard<std::mutex> guard(d->lock_);
    DoubleUnit &u = d->units_[name];
    free(name);
    if (strcmp(property, "ActiveState") == 0) return sd_bus_message_append(reply, "s", u.active.c_str());
    return sd_bus_message_append(reply, "(uo)", u.job, u.job ? jobPath(u.job).c_str() : "/");
}

int ManagerDouble::jobType(sd_bus *, const char *path, const char *, const char *, sd_bus_message *reply,
                           void *self, sd_bus_error *) {
    auto *d = static_cast<ManagerDouble *>(self);
    std::lock_guard<std::mutex> guard(d->lock_);
    for (auto &[name, u] : d->units_)
        if (u.job && jobPath(u.job) == path) return sd_bus_message_append(reply, "s", u.jobType.c_str());
    return -ENOENT;
}

// A stand-in for systemd's manager on a private D-Bus daemon that the test
// starts: the Manager methods GetUnit, GetUnitFileState, StartUnit and
// StopUnit, the Unit properties ActiveState and Job, and the Job property
// JobType. Units and their behaviour are set by the test; the calls made are
// recorded.
#pragma once

#include <systemd/sd-bus.h>
#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A dbus-daemon of its own, ended with the object.
class PrivateBus {
public:
    explicit PrivateBus(const std::string &socketPath);
    ~PrivateBus();
    const std::string &address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

struct DoubleUnit {
    std::string fileState;  // empty: no unit file
    std::string active = "inactive";
    bool loaded = false;
    std::string startTo = "active";  // after StartUnit; "queue": a start job stays waiting
    std::string stopTo = "inactive";
    std::string refuseWith;          // an error name StartUnit and StopUnit answer
    uint32_t job = 0;
    std::string jobType;
};

class ManagerDouble {
public:
    // Connects to the bus and takes the manager's name.
    explicit ManagerDouble(const std::string &address);
    ~ManagerDouble();

    void setUnit(const std::string &name, const DoubleUnit &unit);
    DoubleUnit unit(const std::string &name);
    std::vector<std::string> calls();

private:
    static int getUnit(sd_bus_message *m, void *self, sd_bus_error *error);
    static int getUnitFileState(sd_bus_message *m, void *self, sd_bus_error *error);
    static int startUnit(sd_bus_message *m, void *self, sd_bus_error *error);
    static int stopUnit(sd_bus_message *m, void *self, sd_bus_error *error);
    static int findUnit(sd_bus *, const char *path, const char *, void *self, void **found, sd_bus_error *);
    static int findJob(sd_bus *, const char *path, const char *, void *self, void **found, sd_bus_error *);
    static int unitProperty(sd_bus *, const char *path, const char *, const char *property, sd_bus_message *reply,
                            void *self, sd_bus_error *);
    static int jobType(sd_bus *, const char *path, const char *, const char *, sd_bus_message *reply, void *self,
                       sd_bus_error *);
    int jobCall(sd_bus_message *m, bool start);
    void run();

    std::mutex lock_;
    std::map<std::string, DoubleUnit> units_;
    std::vector<std::string> calls_;
    uint32_t nextJob_ = 1;
    sd_bus *bus_ = nullptr;
    int stopFd_ = -1;
    std::thread thread_;
};

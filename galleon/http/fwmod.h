// fwmod: host access. Admits or refuses client IPv4 addresses by an access
// policy and a list of host and network targets, and counts password failures
// per host.
#pragma once

enum {
  FWMOD_ALLOW_ALL_EXCEPT = 1,
  FWMOD_DENY_ALL_EXCEPT = 2,
};
enum {
  FWMOD_ERR_NOT_INIT = -1,
  FWMOD_ERR_ARG = -2,
  FWMOD_ERR_LIST = -3,
  FWMOD_ERR_DUPLICATE = -4,
  FWMOD_ERR_UPDATE = -5,
};
constexpr int FWMOD_LOCKOUT_THRESHOLD = 10;
constexpr unsigned FWMOD_FAILURE_WINDOW_MS = 300000;

int fwmodInit(const char* configFile, const char* section);
int fwmodShutdown();
int fwmodIsHostAllowed(const char* address);
// Outcomes of fwmodHostAccess.
enum {
  FWMOD_OUTCOME_FAILURE = 0,  // a wrong or missing password
  FWMOD_OUTCOME_SUCCESS = 1,  // a right password: the count goes back to 0
  FWMOD_OUTCOME_SEEN = 2,     // a request that needed no password: known from now on, count unchanged
};
// Records the outcome of a request for the host. Records that count nothing
// and saw no event within the failure window are dropped on the way, so the
// list holds only hosts of the last five minutes.
int fwmodHostAccess(const char* address, int outcome);
// Records in the failure list (for tests and the status display).
int fwmodGetFailureRecordCount();
int fwmodGetFailureCount(const char* address);
int fwmodAddTarget(const char* target);
int fwmodSetPolicy(int policy);
int fwmodGetPolicy();
int fwmodClearAllTargets();
int fwmodGetTarget(int position, char* buffer, int size);
int fwmodGetTargetKind(const char* target);  // 2 network, 1 host
int fwmodGetLastError();
// The millisecond tick count the failure window is measured with; null
// restores the system's (GetTickCount). Lets tests step through the window.
using FwmodClock = unsigned (*)();
void fwmodSetClock(FwmodClock clock);

// pwdmod: the user database "galleon.dbu": user, password and resource
// records (collections are stored under the user "system").
#pragma once
#include <cstdint>

struct PwdRecord {
  char user[32];
  char password[16];   // at most 15 characters, as typed; empty means none
  char resource[512];  // the collection name
};
static_assert(sizeof(PwdRecord) == 560, "user record layout");

enum {
  PWDMOD_ERR_NOT_OPEN = -1,
  PWDMOD_ERR_ARG = -2,
  PWDMOD_ERR_LIST = -3,
  PWDMOD_ERR_DAMAGED = -4,  // the file could not be read whole
};

// Opens the database of the list file at path (a missing file is empty).
// A file that cannot be read whole, and any other failure, leaves the module
// locked until pwdmodShutdown: every named resource has a password, none
// matches, changes are refused and the file is not rewritten. A damaged file
// gives -4 (the module is then open, with no records).
int pwdmodInit(const char* path);
// 1 while locked as above.
int pwdmodIsLocked();
// Saves the list atomically (a new file renamed over the old), unless locked.
int pwdmodShutdown();
int pwdmodAddUser(const char* user, const char* password, const char* resource);
int pwdmodDeleteUserResource(const char* user, const char* resource);
int pwdmodResourceHasPassword(const char* resource);
int pwdmodGetPassword(const char* resource, const char* user, char* buffer, int size);
int pwdmodCheckPassword(const char* user, const char* password, const char* resource);
int pwdmodResourceExists(const char* resource);

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
};

int pwdmodInit(const char* path);
int pwdmodShutdown();
int pwdmodAddUser(const char* user, const char* password, const char* resource);
int pwdmodDeleteUserResource(const char* user, const char* resource);
int pwdmodResourceHasPassword(const char* resource);
int pwdmodGetPassword(const char* resource, const char* user, char* buffer, int size);
int pwdmodCheckPassword(const char* user, const char* password, const char* resource);
int pwdmodResourceExists(const char* resource);

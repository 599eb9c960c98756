// The host's password: its stored form in cradle.ini ([Expert] Password, the
// Base64 text of the MD5 digest of the password as typed), the check of a
// typed password against it, and the password dialog shared by the main
// window and the settings window.
#pragma once

#include <windows.h>

constexpr int PASSWORD_STORED_SIZE = 25;  // 24 characters and the terminator
constexpr int PASSWORD_TYPED_MAX = 255;   // characters the dialog reads

// True when [Expert] Password of the configuration file exists and is not empty.
bool passwordIsSet();

// Writes the stored form of typed (24 characters ending in "==") into out.
// 0, -2 for a null argument, -3 when the digest could not be computed (out
// is then empty).
int passwordStoredForm(const char *typed, char out[PASSWORD_STORED_SIZE]);

// 1 when the stored form of typed equals the stored password, 0 when it
// differs or no password is set, -2 for null, -3 when the digest failed.
// The comparison takes the same time wherever the texts differ.
int passwordCheck(const char *typed);

// Shows the password dialog (103 of the branding module) owned by owner:
// 1 when the password was given or none is set, 0 when cancelled, closed or
// after three wrong entries.
int passwordDialog(HWND owner);

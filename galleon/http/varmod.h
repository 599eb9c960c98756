// varmod: numbered lists of named request variables (headers of a connection,
// cookie and query-string variables of a request). Names are case-sensitive;
// values are byte strings with an explicit length, or absent.
#pragma once

enum {
  VARMOD_ERR_NOT_INIT = -1,
  VARMOD_ERR_ARG = -2,
  VARMOD_ERR_MEMORY = -3,
  VARMOD_ERR_NO_LIST = -4,
  VARMOD_ERR_NO_VAR = -5,
};

int varmodInit();
int varmodShutdown();
int varmodCreateList();
int varmodDestroyList(int id);
// Removes every variable of a list (a connection's list between two requests).
int varmodClearList(int id);
// length 0: the value's string length. A null value stores the name alone.
int varmodAddVariable(int id, const char* name, const char* value, int length);
int varmodAppendVariable(int id, const char* name, const char* text, int length);
// Zero-fills the buffer and copies at most size bytes of the value; returns the
// number copied (0 for a variable without value).
int varmodGetVariable(int id, const char* name, char* buffer, int size);
// Variable at a position (0-based): name NUL-terminated, value as above.
int varmodEnumVariable(int id, int index, char* name, int nameSize, char* value, int valueSize);
// True (1) when the variable exists, with or without value; 0 otherwise.
int varmodHasVariable(int id, const char* name);
// New list of the variables of a query string; the text is cut up in place.
int varmodParseQuery(char* text);
int varmodGetLastError();

// Decodes in place: '+' becomes a blank, '%' with two hex digits that byte,
// anything else (a lone '%' too) stays. Returns the new length.
int urlDecode(char* text);

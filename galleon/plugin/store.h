// The collections store: one directory per collection below the collections
// directory, its type as a key of section "photo", its password in the user
// database, and a hidden "Recycle Bin" that receives what is deleted.
#pragma once

#include <string>
#include <vector>

constexpr int STORE_NAME_MAX = 64;  // characters of a collection name
constexpr const char* STORE_RECYCLE_BIN = "Recycle Bin";
constexpr const char* STORE_USER = "system";

// Collection type codes.
enum { STORE_TYPE_MIXED = 1, STORE_TYPE_FILE = 2, STORE_TYPE_PHOTO = 8 };

// Results.
enum {
    STORE_OK = 0,
    STORE_ERR_ARG = -2,       // bad or refused name, missing argument
    STORE_ERR_RESOURCE = -3,  // a file operation failed
    STORE_ERR_NOT_FOUND = -5, // no such collection or file
};

struct StoreCollection {
    std::string name;
    int fileCount = 0;
    int type = STORE_TYPE_MIXED;
};

// 1 when the name may be a collection: 1 to 64 characters, no '/' or '\' or
// control character, not "." or "..", not beginning with '.' (such names are
// hidden), not the Recycle Bin, and not the name of a setting of section
// "photo" (compared without regard to case). 0 otherwise.
int storeIsValidName(const char* name);

// Type code of a type text ("Photo", "File"; anything else is Mixed) and back.
int storeTypeCode(const char* text);
const char* storeTypeText(int code);

// The collections: every visible directory of the collections directory, with
// its count of visible files (recursively) and its type. Sorted by name.
int storeEnumCollections(const char* collectionsDir, const char* configPath, std::vector<StoreCollection>* out);

// Visible files below a directory, counted through visible subdirectories.
int storeCountFiles(const char* dir);

// Appends the path of every visible file below Collections/<name>,
// recursively, to a list-module list as MAX_PATH-byte records (paths cut to
// 259 characters). Returns the number added or a negative result.
int storeCollectContents(const char* collectionsDir, const char* name, int list);

// Moves a file, or a directory with everything in it, to
// Collections/Recycle Bin/<Month> <day>, <year>/<path relative to the
// collections directory>. A directory moves whole or not at all; when the
// day's folder already holds one of that name, " (2)", " (3)", ... is added.
// A file replaces an earlier deleted file of the same name.
int storeMoveToRecycleBin(const char* collectionsDir, const char* path);

// Recycle Bin folder of a day: "<Month> <day>, <year>".
std::string storeRecycleDayName(int year, int month, int day);

// Deletes a photo's thumbnail and then the photo (both to the Recycle Bin).
int storeDeletePhoto(const char* collectionsDir, const char* path);

// Deletes a collection: its directory goes to the Recycle Bin and, when that
// worked, its password record is removed. The type key stays.
int storeDeleteCollection(const char* collectionsDir, const char* name);

// Saves a collection when its wizard or sheet ends: password record (none
// when public), renaming from oldName (when given and different), type key.
int storeSaveCollection(const char* collectionsDir, const char* configPath, const char* oldName, const char* name,
                        const char* password, bool isPublic, int type);

// Type names of files as the desktop describes them: the English comments of
// the shared MIME database, found by the type that the file's extension maps
// to in its glob list.
#pragma once

// The MIME type of a file name by its extension ("image/jpeg"), or "" when
// the database knows none. The pointer stays valid for the process.
const char* mimeTypeOfName(const char* name);

// Type text of a file name: the type's description ("JPEG image"); without
// one the extension in upper case and " File"; without an extension
// "Unknown File Type". Returns the length written.
int mimeTypeText(const char* name, char* out, int size);

// Icon family of a file name: "image", "audio", "video", "text", "archive",
// "document", "executable" or "generic".
const char* mimeIconFamily(const char* name);

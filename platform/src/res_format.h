/* Layout of the compiled resources of a module, shared by the resource
 * compiler (a build-time host program) and libplatform.so. Plain constants and
 * fixed-layout records only: the compiler must not depend on the platform.
 *
 * The compiled data ("resource blob") sits in an ELF note of the module:
 * a section ".note.zelrsrc" of type SHT_NOTE, so the linker gives it a
 * PT_NOTE program header. Program headers survive stripping and are reachable
 * both in the file and, through dl_iterate_phdr(), in a loaded module, so one
 * lookup serves both ways of reading.
 *
 * Note: namesz 8, descsz = blob size, type RES_NOTE_TYPE, name "ZELRSRC\0",
 * then the blob (4-byte aligned).
 *
 * Blob, little-endian:
 *   ResBlobHeader
 *   ResBlobEntry[entryCount]
 *   name pool: NUL-terminated upper-case names
 *   data items, each 4-byte aligned, in the standard binary layouts
 *   (VS_VERSIONINFO, DLGTEMPLATEEX, string blocks of 16, accelerator tables,
 *   icon group directories; icon and bitmap images as PNG bytes). */
#ifndef PLATFORM_RES_FORMAT_H
#define PLATFORM_RES_FORMAT_H

#include <stdint.h>

#define RES_NOTE_NAME "ZELRSRC"
#define RES_NOTE_NAME_SIZE 8u
#define RES_NOTE_TYPE 0x5253u
#define RES_NOTE_SECTION ".note.zelrsrc"

#define RES_BLOB_MAGIC 0x3153525au /* "ZRS1" */

/* A type or name field below 0x10000 is an integer id; with the top bit set,
 * the low 31 bits are the offset of a name in the blob. */
#define RES_NAME_FLAG 0x80000000u

typedef struct ResBlobHeader {
    uint32_t magic;
    uint32_t entryCount;
    uint32_t totalSize;
    uint32_t reserved;
} ResBlobHeader;

typedef struct ResBlobEntry {
    uint32_t type;
    uint32_t name;
    uint32_t dataOffset; /* from the start of the blob */
    uint32_t dataSize;
} ResBlobEntry;

#endif

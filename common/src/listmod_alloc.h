/* The allocator listmod takes its nodes and data blocks from. Tests replace
 * it to check that a failed allocation leaves a list exactly as it was. */
#ifndef COMMON_LISTMOD_ALLOC_H
#define COMMON_LISTMOD_ALLOC_H

#include <cstddef>

extern void *(*listmodAllocate)(std::size_t size);

#endif

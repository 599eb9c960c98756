/* listmod: thread-safe lists of opaque fixed-size records addressed by integer
 * handles (0 to 1023) and item ids. Records are copied in and out; the caller
 * never holds a pointer into a list. Every deliverable carries its own copy of
 * the module; all copies in one process share one re-entrant lock.
 *
 * Results: 0 (or a handle, id, size or count) on success; -1 not initialised
 * (listInit: already initialised, or no lock), -2 bad handle or argument,
 * -3 no free list, -4 out of memory, -5 no such item. */
#ifndef COMMON_LISTMOD_H
#define COMMON_LISTMOD_H

#define MAX_LISTS 1024

int listInit(void);
int listShutdown(void);
int listCreate(void);
int listDestroy(int list);
int listAddItem(int list, const void *data, int size);
int listDeleteItem(int list, int id);
int listUpdateItem(int list, int id, const void *data, int size);
int listGetItemId(int list, int position);
int listGetItemSize(int list, int id);
int listGetItem(int list, int id, void *buffer, int size);
/* id -1 takes the first item. */
int listTakeItem(int list, int id, void *buffer, int size);
int listGetCount(int list);

#endif

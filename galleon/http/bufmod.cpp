// Connection slots: line reading through a growing buffer, writing in frames.
#include "bufmod.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kGrowStep = 1024;

struct Slot {
  std::mutex lock;  // guards the fields below; the table lock guards allocation
  bool inUse = false;
  int sock = -1;
  int readTimeout = 10;
  int linger = 0;
  char* buf = nullptr;
  int capacity = 0;
  int count = 0;
  bool endOfStream = false;
  int sendBufferSize = 0;
  int recvBufferSize = 0;
  long long bytesSent = 0;
  long long bytesRead = 0;
  bool awaiting = false;   // waiting for a request head: may be taken back when all slots are in use
  long long awaitSince = 0;
  long long deadline = 0;  // monotonic ms by which the head must be read; 0: none
};

long long nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The table lock hands slots out and takes them back; each slot has its own
// lock for its buffer and counters, so connections never wait for each other
// while they read and write.
std::mutex g_mutex;
std::condition_variable g_slotFreed;  // with g_mutex: a slot was closed
std::atomic<bool> g_initialised{false};
Slot g_slots[BUFMOD_SLOTS];
thread_local int g_lastError = 0;

int fail(int code) {
  g_lastError = code;
  return code;
}

// Clears a slot; its lock is held by the caller.
void resetSlot(Slot& s) {
  free(s.buf);
  s.inUse = false;
  s.sock = -1;
  s.readTimeout = 10;
  s.linger = 0;
  s.buf = nullptr;
  s.capacity = 0;
  s.count = 0;
  s.endOfStream = false;
  s.sendBufferSize = 0;
  s.recvBufferSize = 0;
  s.bytesSent = 0;
  s.bytesRead = 0;
  s.awaiting = false;
  s.awaitSince = 0;
  s.deadline = 0;
}

void announceFreeSlot() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_slotFreed.notify_all();
}

int checkIndex(int slot) {
  if (!g_initialised) return BUFMOD_ERR_NOT_INIT;
  if (slot < 0 || slot >= BUFMOD_SLOTS) return BUFMOD_ERR_ARG;
  return 0;
}

// Validates the slot with its lock held; 0 or an error code.
int checkSlot(int slot) {
  if (!g_initialised) return BUFMOD_ERR_NOT_INIT;
  if (!g_slots[slot].inUse) return BUFMOD_ERR_NOT_IN_USE;
  return 0;
}

// Position of the first LF among the buffered bytes, or -1.
int findLineFeed(const Slot& s) {
  const void* p = memchr(s.buf, '\n', s.count);
  return p ? static_cast<int>(static_cast<const char*>(p) - s.buf) : -1;
}

// Hands out the first line (or the first piece of it) of the buffer.
int handOut(Slot& s, char* out, int size) {
  int chars = 0;
  while (chars < s.count && s.buf[chars] != '\r' && s.buf[chars] != '\n') chars++;
  int eol = 0;
  if (chars < s.count) eol = (s.buf[chars] == '\r' && chars + 1 < s.count && s.buf[chars + 1] == '\n') ? 2 : 1;
  int room = size - 1;
  int take = chars;
  int consumed = chars + eol;
  if (chars + eol > room) {
    if (chars >= room) {
      take = room;  // a long line goes out in pieces of size - 1
    } else {
      // The line end goes out whole with the last piece and is never split
      // from it, so a piece ending a long line is not taken for a blank line.
      take = room - eol > 0 ? room - eol : (chars > 0 ? chars : room);
    }
    if (take > chars) {  // nothing but the line end is left and it does not fit
      take = room;
      memcpy(out, s.buf + chars, take);
      consumed = take;
    } else {
      memcpy(out, s.buf, take);
      consumed = take;
    }
    eol = 0;
  } else {
    memcpy(out, s.buf, chars + eol);
  }
  int n = take + eol;
  out[n] = 0;
  memmove(s.buf, s.buf + consumed, s.count - consumed);
  memset(s.buf + s.count - consumed, 0, consumed);
  s.count -= consumed;
  s.bytesRead += n;
  return n;
}

}  // namespace

int bufmodGetLastError() { return g_lastError; }

int bufmodInit() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_initialised) return fail(BUFMOD_ERR_NOT_INIT);
  for (Slot& s : g_slots) {
    std::lock_guard<std::mutex> slotLock(s.lock);
    resetSlot(s);
  }
  g_initialised = true;
  return 0;
}

int bufmodShutdown() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(BUFMOD_ERR_NOT_INIT);
  g_initialised = false;
  for (Slot& s : g_slots) {
    std::lock_guard<std::mutex> slotLock(s.lock);
    if (s.inUse) {
      shutdown(s.sock, SHUT_RDWR);
      close(s.sock);
    }
    resetSlot(s);
  }
  g_slotFreed.notify_all();
  return 0;
}

namespace {

// Takes the first free slot for sock; -1 when none is free. g_mutex is held.
int takeFreeSlot(int sock) {
  for (int i = 0; i < BUFMOD_SLOTS; i++) {
    std::lock_guard<std::mutex> slotLock(g_slots[i].lock);
    if (!g_slots[i].inUse) {
      resetSlot(g_slots[i]);
      g_slots[i].inUse = true;
      g_slots[i].sock = sock;
      // Answers written in several pieces go out at once: no piece waits for
      // the acknowledgement of the one before (Nagle and delayed ACKs).
      int on = 1;
      setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      return i;
    }
  }
  return -1;
}

// Shuts down the socket of the slot that has waited longest for a request,
// at least BUFMOD_EVICT_IDLE_MS; its thread then sees the end of the stream
// and closes the slot. False when no slot waits that long. g_mutex is held.
bool evictLongestWaiting() {
  int victim = -1;
  long long since = 0;
  const long long limit = nowMs() - BUFMOD_EVICT_IDLE_MS;
  for (int i = 0; i < BUFMOD_SLOTS; i++) {
    std::lock_guard<std::mutex> slotLock(g_slots[i].lock);
    const Slot& s = g_slots[i];
    if (s.inUse && s.awaiting && s.awaitSince <= limit && (victim < 0 || s.awaitSince < since)) {
      victim = i;
      since = s.awaitSince;
    }
  }
  if (victim < 0) return false;
  std::lock_guard<std::mutex> slotLock(g_slots[victim].lock);
  Slot& s = g_slots[victim];
  if (!s.inUse) return true;  // freed meanwhile
  s.awaiting = false;         // taken once
  shutdown(s.sock, SHUT_RDWR);
  return true;
}

}  // namespace

int bufmodOpen(int sock) {
  std::unique_lock<std::mutex> lock(g_mutex);
  if (!g_initialised) return fail(BUFMOD_ERR_NOT_INIT);
  if (sock < 0) return fail(BUFMOD_ERR_ARG);
  int slot = takeFreeSlot(sock);
  if (slot >= 0) return slot;
  // A slot often frees itself in a moment (a connection closing after its
  // last answer); one that has sat waiting for a request for a while is
  // taken back; a slot busy with a request is never touched.
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(BUFMOD_EVICT_WAIT_MS);
  bool evicted = false;
  while (g_initialised && (slot = takeFreeSlot(sock)) < 0) {
    if (!evicted) evicted = evictLongestWaiting();
    auto now = std::chrono::steady_clock::now();
    if (now >= until) break;
    auto step = std::min<std::chrono::steady_clock::duration>(until - now, std::chrono::milliseconds(50));
    g_slotFreed.wait_for(lock, step);
  }
  if (!g_initialised) return fail(BUFMOD_ERR_NOT_INIT);
  return slot >= 0 ? slot : fail(BUFMOD_ERR_FULL);
}

int bufmodClose(int slot) {
  if (int rc = checkIndex(slot)) return fail(rc);
  {
    std::lock_guard<std::mutex> lock(g_slots[slot].lock);
    if (int rc = checkSlot(slot)) return fail(rc);
    Slot& s = g_slots[slot];
    shutdown(s.sock, SHUT_RDWR);
    close(s.sock);
    resetSlot(s);
  }
  announceFreeSlot();
  return 0;
}

int bufmodAwaitRequest(int slot, int seconds) {
  if (int rc = checkIndex(slot)) return fail(rc);
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  if (int rc = checkSlot(slot)) return fail(rc);
  Slot& s = g_slots[slot];
  s.awaiting = true;
  s.awaitSince = nowMs();
  s.deadline = seconds > 0 ? s.awaitSince + static_cast<long long>(seconds) * 1000 : 0;
  return 0;
}

int bufmodRequestRead(int slot) {
  if (int rc = checkIndex(slot)) return fail(rc);
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  if (int rc = checkSlot(slot)) return fail(rc);
  g_slots[slot].awaiting = false;
  g_slots[slot].deadline = 0;
  return 0;
}

int bufmodDrain(int slot, int maxBytes, int timeoutMs) {
  int sock;
  if (int rc = checkIndex(slot)) return fail(rc);
  {
    std::lock_guard<std::mutex> lock(g_slots[slot].lock);
    if (int rc = checkSlot(slot)) return fail(rc);
    sock = g_slots[slot].sock;
    g_slots[slot].awaiting = false;
    shutdown(sock, SHUT_WR);
  }
  // Only this slot's owner reads or closes the socket, so it stays valid here.
  long long until = nowMs() + timeoutMs;
  char scratch[4096];
  for (int dropped = 0; dropped < maxBytes;) {
    long long left = until - nowMs();
    if (left <= 0) break;
    pollfd pfd{sock, POLLIN, 0};
    int ready = poll(&pfd, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    ssize_t got = recv(sock, scratch, sizeof scratch, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    dropped += static_cast<int>(got);
  }
  return 0;
}

int bufmodAbort(int slot) {
  if (int rc = checkIndex(slot)) return fail(rc);
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  if (int rc = checkSlot(slot)) return fail(rc);
  shutdown(g_slots[slot].sock, SHUT_RDWR);
  return 0;
}

int bufmodSetOption(int slot, int option, const char* value) {
  if (int rc = checkIndex(slot)) return fail(rc);
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  if (int rc = checkSlot(slot)) return fail(rc);
  if (!value) return fail(BUFMOD_ERR_ARG);
  Slot& s = g_slots[slot];
  long v = strtol(value, nullptr, 10);
  switch (option) {
    case BUFMOD_OPT_READ_TIMEOUT:
      s.readTimeout = static_cast<int>(v);
      return 0;
    case BUFMOD_OPT_BYTES_SENT:
      s.bytesSent = v;
      return 0;
    case BUFMOD_OPT_BYTES_READ:
      s.bytesRead = v;
      return 0;
    case BUFMOD_OPT_LINGER: {
      struct linger l{};
      l.l_onoff = v >= 1;
      l.l_linger = v >= 1 ? static_cast<int>(v) : 0;
      s.linger = static_cast<int>(l.l_linger);
      setsockopt(s.sock, SOL_SOCKET, SO_LINGER, &l, sizeof l);
      return 0;
    }
    case BUFMOD_OPT_SOCKET_BUFFERS: {
      int size = static_cast<int>(v);
      while (size > 0 && setsockopt(s.sock, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) != 0) size--;
      s.recvBufferSize = size;
      size = static_cast<int>(v);
      while (size > 0 && setsockopt(s.sock, SOL_SOCKET, SO_SNDBUF, &size, sizeof size) != 0) size--;
      s.sendBufferSize = size;
      return 0;
    }
    case BUFMOD_OPT_CORK: {
      int on = v ? 1 : 0;
      setsockopt(s.sock, IPPROTO_TCP, TCP_CORK, &on, sizeof on);
      return 0;
    }
    default:
      return fail(BUFMOD_ERR_ARG);
  }
}

int bufmodReadLine(int slot, char* buffer, int size) {
  if (int rc = checkIndex(slot)) return fail(rc);
  std::unique_lock<std::mutex> lock(g_slots[slot].lock);
  if (int rc = checkSlot(slot)) return fail(rc);
  if (!buffer || size < 2) return fail(BUFMOD_ERR_ARG);
  Slot* s = &g_slots[slot];
  if (s->endOfStream) return fail(BUFMOD_ERR_EOF);
  for (;;) {
    if (s->count > 0 && findLineFeed(*s) >= 0) return handOut(*s, buffer, size);
    if (s->count >= BUFMOD_MAX_LINE) return fail(BUFMOD_ERR_LINE_TOO_LONG);
    if (s->count >= s->capacity) {
      int capacity = s->capacity + kGrowStep;
      char* grown = static_cast<char*>(realloc(s->buf, capacity + 1));
      if (!grown) return fail(BUFMOD_ERR_MEMORY);
      memset(grown + s->capacity, 0, capacity + 1 - s->capacity);
      s->buf = grown;
      s->capacity = capacity;
    }
    int sock = s->sock;
    long long timeoutMs = static_cast<long long>(s->readTimeout) * 1000;
    if (s->deadline) {
      long long left = s->deadline - nowMs();
      if (left <= 0) return fail(BUFMOD_ERR_TIMEOUT);
      if (left < timeoutMs) timeoutMs = left;
    }
    lock.unlock();
    pollfd pfd{sock, POLLIN, 0};
    int ready;
    do {
      ready = poll(&pfd, 1, static_cast<int>(timeoutMs));
    } while (ready < 0 && errno == EINTR);
    lock.lock();
    if (int rc = checkSlot(slot)) return fail(rc);
    s = &g_slots[slot];
    if (ready <= 0) return fail(BUFMOD_ERR_TIMEOUT);
    ssize_t got;
    do {
      got = recv(s->sock, s->buf + s->count, s->capacity - s->count, 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      s->endOfStream = true;
      int n = s->count < size - 1 ? s->count : size - 1;
      memcpy(buffer, s->buf, n);
      buffer[n] = 0;
      s->count = 0;
      s->bytesRead += n;
      return n;
    }
    s->count += static_cast<int>(got);
  }
}

int bufmodWrite(int slot, const void* data, int length) {
  int sock;
  if (int rc = checkIndex(slot)) return fail(rc);
  {
    std::lock_guard<std::mutex> lock(g_slots[slot].lock);
    if (int rc = checkSlot(slot)) return fail(rc);
    if (!data || length < 0) return fail(BUFMOD_ERR_ARG);
    if (g_slots[slot].endOfStream) return fail(BUFMOD_ERR_EOF);
    sock = g_slots[slot].sock;
  }
  // Sent outside the lock: a client that stops reading stalls only its own
  // thread. The whole buffer goes to the kernel at once, which cuts it into
  // full frames; the connection corks each answer, so no part leaves half-empty.
  const char* p = static_cast<const char*>(data);
  int sent = 0;
  while (sent < length) {
    ssize_t n = send(sock, p + sent, length - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    sent += static_cast<int>(n);
  }
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  if (checkSlot(slot) == 0) g_slots[slot].bytesSent += sent;
  return sent == length ? 0 : fail(BUFMOD_ERR_SEND);
}

long long bufmodGetBytesSent(int slot) {
  if (checkIndex(slot)) return -1;
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  return checkSlot(slot) ? -1 : g_slots[slot].bytesSent;
}

long long bufmodGetBytesRead(int slot) {
  if (checkIndex(slot)) return -1;
  std::lock_guard<std::mutex> lock(g_slots[slot].lock);
  return checkSlot(slot) ? -1 : g_slots[slot].bytesRead;
}

// Windows Sockets shim: start-up counting, error codes, closesocket, ioctlsocket.
#include <windows.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

std::atomic<int> startups{0};

struct ErrorPair {
    int error;
    int wsa;
};

const ErrorPair kErrors[] = {
    {EINTR, WSAEINTR},           {EBADF, WSAEBADF},
    {EACCES, WSAEACCES},         {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},         {EMFILE, WSAEMFILE},
    {EWOULDBLOCK, WSAEWOULDBLOCK}, {EINPROGRESS, WSAEINPROGRESS},
    {EALREADY, WSAEALREADY},     {ENOTSOCK, WSAENOTSOCK},
    {EDESTADDRREQ, WSAEDESTADDRREQ}, {EMSGSIZE, WSAEMSGSIZE},
    {EPROTOTYPE, WSAEPROTOTYPE}, {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT}, {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP}, {EPFNOSUPPORT, WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT}, {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL}, {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH}, {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED}, {ECONNRESET, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},       {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},     {ESHUTDOWN, WSAESHUTDOWN},
    {ETIMEDOUT, WSAETIMEDOUT},   {ECONNREFUSED, WSAECONNREFUSED},
    {EHOSTDOWN, WSAEHOSTDOWN},   {EHOSTUNREACH, WSAEHOSTUNREACH},
    {EPIPE, WSAESHUTDOWN},
};

}  // namespace

extern "C" {

WINBASEAPI int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData) {
    if (!lpWSAData) return WSAEFAULT;
    BYTE major = LOBYTE(wVersionRequested), minor = HIBYTE(wVersionRequested);
    memset(lpWSAData, 0, sizeof *lpWSAData);
    lpWSAData->wHighVersion = MAKEWORD(2, 2);
    if (major < 1 || (major == 1 && minor < 1)) {
        lpWSAData->wVersion = MAKEWORD(1, 1);
        return WSAVERNOTSUPPORTED;
    }
    // The version used: the one asked for, up to 2.2.
    lpWSAData->wVersion = (major > 2 || (major == 2 && minor > 2)) ? MAKEWORD(2, 2) : wVersionRequested;
    lpWSAData->iMaxSockets = 0;
    lpWSAData->iMaxUdpDg = 0;
    strcpy(lpWSAData->szDescription, "BSD sockets");
    strcpy(lpWSAData->szSystemStatus, "Running");
    ++startups;
    return 0;
}

WINBASEAPI int WINAPI WSACleanup(void) {
    int current = startups.load();
    while (current > 0 && !startups.compare_exchange_weak(current, current - 1)) {
    }
    if (current <= 0) {
        errno = 0;
        WSASetLastError(WSANOTINITIALISED);
        return SOCKET_ERROR;
    }
    return 0;
}

WINBASEAPI int WINAPI WSAGetLastError(void) {
    int e = errno;
    if (e == 0) return 0;
    for (const auto &pair : kErrors)
        if (pair.error == e) return pair.wsa;
    // Codes set by WSASetLastError are kept as they are.
    return e >= WSABASEERR ? e : WSABASEERR + e;
}

WINBASEAPI void WINAPI WSASetLastError(int iError) {
    for (const auto &pair : kErrors)
        if (pair.wsa == iError) {
            errno = pair.error;
            return;
        }
    errno = iError;
}

WINBASEAPI int WINAPI closesocket(SOCKET s) { return close(s) == 0 ? 0 : SOCKET_ERROR; }

WINBASEAPI int WINAPI ioctlsocket(SOCKET s, long cmd, unsigned long *argp) {
    if (!argp) {
        errno = EFAULT;
        return SOCKET_ERROR;
    }
    if (static_cast<unsigned long>(cmd) == static_cast<unsigned long>(FIONBIO)) {
        int flags = fcntl(s, F_GETFL);
        if (flags < 0) return SOCKET_ERROR;
        flags = *argp ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
        return fcntl(s, F_SETFL, flags) == 0 ? 0 : SOCKET_ERROR;
    }
    if (static_cast<unsigned long>(cmd) == static_cast<unsigned long>(FIONREAD)) {
        int available = 0;
        if (ioctl(s, FIONREAD, &available) != 0) return SOCKET_ERROR;
        *argp = static_cast<unsigned long>(available);
        return 0;
    }
    errno = EINVAL;
    return SOCKET_ERROR;
}

}  // extern "C"

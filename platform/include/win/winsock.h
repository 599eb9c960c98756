/* A thin Windows Sockets 1.1 shim over BSD sockets: the BSD calls (socket,
 * bind, listen, accept, select, send, recv, getpeername, inet_ntoa...) are
 * used directly; these names cover what differs. */
#ifndef PLATFORM_WIN_WINSOCK_H
#define PLATFORM_WIN_WINSOCK_H

#include <sys/types.h>
#include <sys/socket.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <arpa/inet.h>
#include <netdb.h>
#include "types.h"

typedef int SOCKET;
#define INVALID_SOCKET (-1)
#define SOCKET_ERROR (-1)

typedef struct sockaddr SOCKADDR, *PSOCKADDR, *LPSOCKADDR;
typedef struct sockaddr_in SOCKADDR_IN, *PSOCKADDR_IN, *LPSOCKADDR_IN;
typedef struct in_addr IN_ADDR, *PIN_ADDR;
typedef struct hostent HOSTENT, *PHOSTENT, *LPHOSTENT;

#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

typedef struct WSAData {
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char *lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
} WSADATA, *LPWSADATA;

#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEPFNOSUPPORT 10046
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTDOWN 10064
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

WIN_EXTERN_C_BEGIN

/* Accepts any requested version from 1.1 up; reports 1.1 (or the request if
 * lower than 2.2) in lpWSAData. Counted; WSACleanup undoes one start. */
WINBASEAPI int WINAPI WSAStartup(WORD wVersionRequested, LPWSADATA lpWSAData);
WINBASEAPI int WINAPI WSACleanup(void);
/* The WSA code of the calling thread's last socket error (errno mapped). */
WINBASEAPI int WINAPI WSAGetLastError(void);
WINBASEAPI void WINAPI WSASetLastError(int iError);
WINBASEAPI int WINAPI closesocket(SOCKET s);
/* FIONBIO (non-blocking on/off) and FIONREAD (bytes readable). */
WINBASEAPI int WINAPI ioctlsocket(SOCKET s, long cmd, unsigned long *argp);

WIN_EXTERN_C_END

#endif

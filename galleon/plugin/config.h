// Process-wide settings and paths of the photo plug-in, read at initialisation
// from section "photo" of the configuration file.
#pragma once
#include <windows.h>

struct GalleonConfig {
  int port = 8888;
  int enable = 1;
  int timeout = 60;
  int maxImageX = 640;
  int maxImageY = 480;
  int mixedListType = 0;
  int accessLogging = 1;
  int autoReject = 0;
  int wideConfig = 0;
  char hostName[256] = "";
  char realm[256] = "";
  char listenAddress[64] = "";  // "ListenAddress": one local address to listen on; empty: all
  char configPath[MAX_PATH] = "";
  char helpPath[MAX_PATH] = "";
  char userDbPath[MAX_PATH] = "";
  char accessLogPath[MAX_PATH] = "";
  char collectionsDir[MAX_PATH] = "";  // no trailing '/'
};

extern GalleonConfig g_config;
extern HANDLE g_serverStopEvent;       // manual reset; set when the server must stop
extern HANDLE g_serverThread;          // none while the server is not running
extern HMODULE g_galleonModule;

constexpr const char* CONFIG_SECTION = "photo";

// Reads the settings, host name and realm of the configuration file into g_config.
void configRead(GalleonConfig& config);
// Derives the help, user database, access log and collections paths from configPath.
void configDerivePaths(GalleonConfig& config);
// Collection type key of a collection name ("Photo", "File", "Mixed"); 1 when the key exists.
int configGetCollectionType(const char* name, char* buffer, int size);

// Starts the listener thread (status "Starting..."); 0 or -3.
int serverStart(int priority);
// Stops it: signals the stop event, waits (at most waitMs, INFINITE for no limit), resets the event.
void serverStop(DWORD waitMs);

// Settings of section "photo" and the paths derived from the configuration file.
#include "config.h"

#include <cstdio>
#include <cstring>

GalleonConfig g_config;
HANDLE g_serverStopEvent = nullptr;
HANDLE g_serverThread = nullptr;
HMODULE g_galleonModule = nullptr;

namespace {

int readInt(const char* key, int def, const char* file) {
  return static_cast<int>(GetPrivateProfileIntA(CONFIG_SECTION, key, def, file));
}

// The configuration path with its file-name part replaced by a fixed name.
void besideConfig(const char* config, const char* name, char* out, int size) {
  const char* slash = strrchr(config, '/');
  if (!slash) {
    snprintf(out, size, "%s", name);
    return;
  }
  snprintf(out, size, "%.*s/%s", static_cast<int>(slash - config), config, name);
}

}  // namespace

void configDerivePaths(GalleonConfig& c) {
  if (strrchr(c.configPath, '/')) besideConfig(c.configPath, "galleon.hlp", c.helpPath, sizeof c.helpPath);
  else snprintf(c.helpPath, sizeof c.helpPath, "%s", c.configPath);
  besideConfig(c.configPath, "galleon.dbu", c.userDbPath, sizeof c.userDbPath);
  besideConfig(c.configPath, "galleon.log", c.accessLogPath, sizeof c.accessLogPath);
  besideConfig(c.configPath, "Collections", c.collectionsDir, sizeof c.collectionsDir);
}

void configRead(GalleonConfig& c) {
  const char* file = c.configPath;
  c.port = readInt("Port", 8888, file);
  c.enable = readInt("Enable", 1, file);
  c.timeout = readInt("Timeout", 60, file);
  c.maxImageX = readInt("MaxImageX", 640, file);
  c.maxImageY = readInt("MaxImageY", 480, file);
  c.mixedListType = readInt("MixedListType", 0, file);
  c.accessLogging = readInt("AccessLogging", 1, file);
  c.autoReject = readInt("AutoReject", 0, file);
  c.wideConfig = readInt("WideConfig", 0, file);
  GetPrivateProfileStringA(CONFIG_SECTION, "ListenAddress", "", c.listenAddress, sizeof c.listenAddress, file);
  GetPrivateProfileStringA(CONFIG_SECTION, "Hostname", "", c.hostName, sizeof c.hostName, file);
  if (!c.hostName[0]) {
    char address[256], root[256];
    GetPrivateProfileStringA("General", "Address", "", address, sizeof address, file);
    GetPrivateProfileStringA("Domains", "Root", "", root, sizeof root, file);
    if (address[0] && root[0]) {
      char joined[sizeof address + sizeof root + 1];
      snprintf(joined, sizeof joined, "%s.%s", address, root);
      snprintf(c.hostName, sizeof c.hostName, "%.255s", joined);
    }
  }
  GetPrivateProfileStringA("General", "Company", "Skyloom", c.realm, sizeof c.realm, file);
}

int configGetCollectionType(const char* name, char* buffer, int size) {
  if (!name || !*name || !buffer || size < 1) return 0;
  const char* missing = "\x01";
  GetPrivateProfileStringA(CONFIG_SECTION, name, missing, buffer, size, g_config.configPath);
  if (strcmp(buffer, missing) == 0) {
    buffer[0] = 0;
    return 0;
  }
  return 1;
}

// Image paths ("/cip:", "/cid:", "/cib:", "/cif:", "/cii:" targets), resolved
// and looked up as the connection does, through the image handler; and the
// picture headers the handler reads sizes from.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bufmod.h"
#include "config.h"
#include "galleon_env.h"
#include "images_probe.h"
#include "object.h"
#include "request.h"
#include "respmod.h"
#include "target.h"
#include "varmod.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::galleonStart();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int width = 0, height = 0;
  imageProbeBytes(data + 1, static_cast<int>(size - 1), &width, &height);

  std::string target(reinterpret_cast<const char*>(data + 1), size - 1);
  target = target.c_str();
  static ResolvedTarget resolved;
  if (targetResolve(target.c_str(), g_config.collectionsDir, &resolved) != 0 || resolved.kind == TARGET_PLAIN)
    return 0;
  TargetObject object;
  objectOpen(resolved, &object);
  int vars = varmodCreateList();
  HttpRequest req{};
  req.flags = (data[0] & 1) ? REQ_HEAD : REQ_GET;
  if (data[0] & 2) {
    req.flags |= REQ_BASIC_AUTH;
    varmodAddVariable(vars, "AUTH_USER", "user", 0);
    varmodAddVariable(vars, "AUTH_PASSWORD", "secret", 0);
  }
  if (data[0] & 4) req.flags |= REQ_IF_MODIFIED;
  req.timeout = 5;
  req.max = 10;
  req.varList = vars;
  req.queryList = -1;
  req.target = target.c_str();
  req.resolved = &resolved;
  req.object = &object;
  req.hostName = "";
  req.ifModifiedSince = "If-Modified-Since: Thu, 01 Jan 2037 00:00:00 GMT";
  req.peer = "192.0.2.1";
  req.authUser = "";
  {
    fuzz::ClientFeed feed(nullptr, 0);
    req.slot = bufmodOpen(feed.serverSocket());
    if (req.slot < 0) std::abort();
    imageAnswer(&req);
    bufmodClose(req.slot);
  }
  varmodDestroyList(vars);
  return 0;
}

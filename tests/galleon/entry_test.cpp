// The plug-in's entry points as the host calls them: initialisation records,
// page counts and ids, module handles and the menu items it adds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "galleon_fixture.h"
#include "zelext_plugin.h"

namespace {

struct MenuCall {
  int menu;
  std::string popup, text;
  int command;
  HMODULE owner;
};
std::vector<MenuCall> g_menuCalls;

}  // namespace

// The host export the plug-in looks up on the modules it was given; this test
// program stands in for the host.
ZELEXT_EXPORT int zelextAddMenuItem(int menuId, LPCSTR popup, LPCSTR text, int command, HMODULE owner) {
  g_menuCalls.push_back({menuId, popup, text, command, owner});
  return static_cast<int>(g_menuCalls.size());
}

namespace {

TEST(GalleonEntry, RefusesBadInitialisationRecordsAndSecondInitialisation) {
  GalleonInstance g;
  g.writeFile("cradle.ini", "[photo]\nEnable=0\n");
  auto initEx = g.proc<PFN_zelextInitEx>("zelextInitEx");
  auto init = g.proc<PFN_zelextInit>("zelextInit");
  auto lastError = g.proc<PFN_zelextGetLastError>("zelextGetLastError");
  auto count = g.proc<PFN_zelextGetDlgCount>("zelextGetDlgCount");
  ASSERT_TRUE(initEx && init && lastError && count);
  EXPECT_EQ(count(), -1);  // not initialised
  ExtInitInfo info;
  zelextFillInitInfo(&info, nullptr, nullptr, "unused", g.path("cradle.ini").c_str());
  info.size = 591;
  EXPECT_EQ(initEx(&info), -2);
  EXPECT_EQ(lastError(), -2);
  EXPECT_EQ(lastError(), 0);
  EXPECT_EQ(initEx(nullptr), -2);
  EXPECT_EQ(init(nullptr), -2);
  EXPECT_EQ(count(), -1);
  ASSERT_EQ(init(g.path("cradle.ini").c_str()), 0);
  EXPECT_EQ(init(g.path("cradle.ini").c_str()), -1);
  info.size = 592;
  EXPECT_EQ(initEx(&info), -1);
  EXPECT_EQ(g.proc<PFN_zelextShutdown>("zelextShutdown")(), 0);
  EXPECT_EQ(g.proc<PFN_zelextShutdown>("zelextShutdown")(), -1);
}

TEST(GalleonEntry, ReportsPagesByTheWideConfigSetting) {
  GalleonInstance g;
  ASSERT_EQ(g.start("Enable=0"), 0);
  auto count = g.proc<PFN_zelextGetDlgCount>("zelextGetDlgCount");
  auto dlg = g.proc<PFN_zelextGetEntryPointDlg>("zelextGetEntryPointDlg");
  auto proc = g.proc<PFN_zelextGetEntryPointProc>("zelextGetEntryPointProc");
  auto lastError = g.proc<PFN_zelextGetLastError>("zelextGetLastError");
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(dlg(0), 10);
  EXPECT_EQ(dlg(1), -2);
  EXPECT_EQ(g.proc<PFN_zelextGetModuleHandle>("zelextGetModuleHandle")(), g.module);
  // The page procedures come with the settings pages; until then none is found by name.
  if (!GetProcAddress(g.module, "zelextSettingsProc")) {
    EXPECT_EQ(proc(0), nullptr);
    EXPECT_EQ(lastError(), -5);
  }
  EXPECT_EQ(proc(1), nullptr);
  EXPECT_EQ(lastError(), -2);
  ASSERT_EQ(g.stop(), 0);

  ASSERT_EQ(g.start("Enable=0\nWideConfig=1"), 0);
  EXPECT_EQ(count(), 4);
  auto icon = g.proc<PFN_zelextGetEntryPointIcon>("zelextGetEntryPointIcon");
  for (int page = 0; page < 4; page++) EXPECT_NE(icon(page, 16), nullptr) << page;
  EXPECT_EQ(icon(4, 16), nullptr);
  EXPECT_EQ(dlg(1), 31);
  EXPECT_EQ(dlg(2), 32);
  EXPECT_EQ(dlg(3), 33);
  EXPECT_EQ(dlg(4), -2);
  EXPECT_TRUE(g.log.waitForText("server not enabled."));
}

TEST(GalleonEntry, AddsItsMenuItemsThroughEveryHostModuleOnce) {
  GalleonInstance g;
  ASSERT_EQ(g.start("Enable=0"), 0);
  auto enumModules = g.proc<PFN_zelextEnumModules>("zelextEnumModules");
  auto notify = g.proc<PFN_zelextNotifyChange>("zelextNotifyChange");
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(GetProcAddress(self, "zelextAddMenuItem"), nullptr);
  g_menuCalls.clear();
  EXPECT_EQ(enumModules(self), 0);
  EXPECT_EQ(enumModules(self), 0);     // a repeated handle fills no second slot
  EXPECT_EQ(enumModules(nullptr), 0);  // a module that failed to load
  EXPECT_EQ(notify(7, 42), 0);
  ASSERT_EQ(g_menuCalls.size(), 2u);
  EXPECT_EQ(g_menuCalls[0].menu, 42);
  EXPECT_EQ(g_menuCalls[0].popup, "&Tools");
  EXPECT_EQ(g_menuCalls[0].text, "Preview Albums");
  EXPECT_EQ(g_menuCalls[0].command, 200);
  EXPECT_EQ(g_menuCalls[0].owner, g.module);
  EXPECT_EQ(g_menuCalls[1].text, "View Logs");
  EXPECT_EQ(g_menuCalls[1].command, 220);
  EXPECT_EQ(notify(3, 4), 0);
  EXPECT_EQ(notify(8, 200), 0);
  EXPECT_EQ(g_menuCalls.size(), 2u);
}

}  // namespace

// The host's menu exports for plug-ins: items of the settings window's menu
// bar. Callable from any plug-in thread; the list module keeps the items.
#include "menu/menuhost.h"
#include "zelext.h"

ZELEXT_EXPORT int zelextAddMenuItem(int menuId, LPCSTR popup, LPCSTR text, int command, HMODULE owner) {
    return menuhostAddItem(menuId, popup, text, command, owner);
}

ZELEXT_EXPORT int zelextDeleteMenuItem(int menuId, int item) { return menuhostDeleteItem(menuId, item); }

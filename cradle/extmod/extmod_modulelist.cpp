// Plug-in manager: the module list of the About page, a list view with one
// row per loaded plug-in (icon, file, description, version, company, folder).
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "extmod_state.h"
#include "verinfo.h"

namespace {

// The image list of the last list filled. List views here do not take their
// image lists, so the manager keeps it until the list is filled again or the
// manager shuts down.
HIMAGELIST g_moduleImages = nullptr;

constexpr COLORREF kMagenta = RGB(255, 0, 255);

void insertColumn(HWND list, int index, const char *title) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = const_cast<LPSTR>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void setText(HWND list, int row, int column, const char *text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<LPSTR>(text);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The plug-in's tab icon added to the list; -1 when it has none.
int addPluginIcon(HIMAGELIST images, HMODULE module) {
    for (const char *name : {"tabiconfullcolor", "tabicon"}) {
        if (auto icon = static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0))) {
            int index = ImageList_AddIcon(images, icon);
            DestroyIcon(icon);
            if (index >= 0) return index;
        }
    }
    return -1;
}

}  // namespace

void extmodReleaseModuleList(void) {
    if (g_moduleImages) ImageList_Destroy(g_moduleImages);
    g_moduleImages = nullptr;
}

int extmodFillModuleList(HWND list) {
    if (!g_extmod.initialised) return extmodResult(-1);
    if (!IsWindow(list)) return extmodResult(-2);

    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 32);
    int defaultImage = -1;
    for (int id : {160, 158, 159}) {
        HBITMAP bitmap = g_extmod.brandingModule ? LoadBitmapA(g_extmod.brandingModule, MAKEINTRESOURCEA(id)) : nullptr;
        if (!bitmap) continue;
        int index = images ? ImageList_AddMasked(images, bitmap, kMagenta) : -1;
        if (id == 160) defaultImage = index;
        DeleteObject(bitmap);
    }

    static const char *const kColumns[] = {"Module", "Description", "Version", "Company", "Path"};
    for (int i = 0; i < 5; ++i) insertColumn(list, i, kColumns[i]);

    for (ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module) continue;
        int own = images ? addPluginIcon(images, entry.module) : -1;
        entry.image = own >= 0 ? own : defaultImage;
    }
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    // One module list is shown at a time (the About page): the previous
    // list's images are no longer drawn.
    extmodReleaseModuleList();
    g_moduleImages = images;

    int row = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (const ExtmodEntry &entry : g_extmod.table) {
        if (!entry.module) continue;
        const char *slash = std::strrchr(entry.path, '/');
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.pszText = const_cast<LPSTR>(slash ? slash + 1 : entry.path);
        item.iImage = entry.image;
        int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        char text[ZELEXT_STRING_SIZE];
        if (verinfoFileString(entry.path, "Comments", text, sizeof text) < 0) text[0] = '\0';
        setText(list, at, 1, text);
        FileVersionInfo info;
        DWORD high = 0, low = 0;
        if (info.load(entry.path) && info.productVersion(&high, &low))
            std::snprintf(text, sizeof text, "%d.%d.%d.%d", HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
        else
            std::snprintf(text, sizeof text, "N/A");
        setText(list, at, 2, text);
        if (verinfoFileString(entry.path, "CompanyName", text, sizeof text) < 0) text[0] = '\0';
        setText(list, at, 3, text);
        size_t dir = slash ? static_cast<size_t>(slash - entry.path) : 0;
        std::snprintf(text, sizeof text, "%.*s", static_cast<int>(dir), entry.path);
        setText(list, at, 4, text);
        ++row;
    }
    for (int i = 0; i < 5; ++i) SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), LVSCW_AUTOSIZE_USEHEADER);
    return extmodResult(0);
}

// Dialogs: templates, the dialog manager's keys, the dialog font.
#pragma once

#include <windows.h>

#include <QFont>

#include <cstdint>
#include <string>
#include <vector>

namespace platform::ui {

// A class, title or menu field of a template: none, an ordinal, or a name.
struct TemplateName {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::string text;
    bool empty() const { return !isOrdinal && text.empty(); }
};

struct DialogItem {
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    TemplateName cls, title;
    std::vector<uint8_t> data;  // creation data, passed in WM_CREATE's lpCreateParams
};

struct DialogTemplate {
    bool extended = false;
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    TemplateName menu, cls;
    std::string title;
    WORD pointSize = 0, weight = 0;
    bool italic = false;
    std::string face;
    std::vector<DialogItem> items;
};

// Parses DLGTEMPLATE or DLGTEMPLATEEX bytes; false if the bytes end early or
// a field is out of range.
bool parseDialogTemplate(const uint8_t *data, size_t size, DialogTemplate *out);

// The Qt font of a template's FONT statement (face names of the period are
// mapped to the desktop's fonts); pixel size from points at 96 dpi.
QFont dialogFont(const std::string &face, int pointSize, int weight, bool italic);

// The dialog that handles the keys of a window (the outermost dialog among
// its ancestors), or null.
HWND dialogRootOf(HWND hwnd);

// Enter and Escape in a dialog while no Win32 loop runs: true if handled.
bool dialogDirectKey(HWND hwnd, const MSG &msg);

// Creates a dialog from a parsed template (shared by the Create and DialogBox
// functions and the snapshot tool).
HWND dialogCreate(HINSTANCE instance, const DialogTemplate &t, HWND parent, DLGPROC proc, LPARAM param);

}  // namespace platform::ui

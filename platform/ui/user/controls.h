// The predefined control classes. Each is a window procedure that answers
// the class's messages on its Qt widget, and a factory that makes the widget
// from the window's style. Widget signals that stand for user actions become
// WM_COMMAND notifications to the parent.
#pragma once

#include "user/window.h"

#include <QPixmap>

namespace platform::ui {

LRESULT CALLBACK buttonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK editProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK staticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK listBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK comboBoxProc(HWND, UINT, WPARAM, LPARAM);

QWidget *createButton(WindowObject &window, QWidget *parent);
QWidget *createEdit(WindowObject &window, QWidget *parent);
QWidget *createStatic(WindowObject &window, QWidget *parent);
QWidget *createListBox(WindowObject &window, QWidget *parent);
QWidget *createComboBox(WindowObject &window, QWidget *parent);

// A predefined class that a control's own source file adds to the table
// with a namespace-scope registrar, so that each control (list view, tree
// view, property sheet frame, ...) lives in its own file:
//   static PredefinedClassRegistrar reg{{"SysListView32", listViewProc, createListView, CS_DBLCLKS}};
struct PredefinedClass {
    const char *name;
    WNDPROC proc;
    WidgetFactory factory;
    UINT style = 0;
    int extra = 0;
};
struct PredefinedClassRegistrar {
    explicit PredefinedClassRegistrar(const PredefinedClass &c);
};

// Gives a static label the mnemonic that focuses buddy.
void staticShowMnemonic(HWND label, QWidget *buddy);

// Qt text with the '&' mnemonic of a Win32 label ("&&" stays a literal '&').
QString mnemonicText(const std::string &text, bool noPrefix);

// Pixels of an icon or bitmap handle (null pixmap for other handles).
QPixmap pixmapFromIcon(HICON icon);
QPixmap pixmapFromBitmap(HBITMAP bitmap);

// Keyboard focus of a control as WM_COMMAND notifications (0: none).
void notifyFocus(QWidget *widget, HWND hwnd, WORD setCode, WORD killCode);

// Tab stops: a control without WS_TABSTOP takes focus only by click.
void applyTabStop(QWidget *widget, DWORD style);

// Set while a control changes itself on a caller's message, so that the
// widget signals it causes are not reported as user actions.
struct ProgrammaticChange {
    ProgrammaticChange();
    ~ProgrammaticChange();
    static bool active();
};

}  // namespace platform::ui

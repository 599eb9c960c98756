// Real input for the page tests: mouse clicks and keys go to the widget
// behind a window, as a user's would, and a script of steps runs while a
// modal dialog's own loop waits for input.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace uiinput {

void click(HWND window);                    // left click in the middle
void clickAt(HWND window, int x, int y);    // client coordinates
void doubleClickAt(HWND window, int x, int y);
void typeText(HWND window, const std::string &text);
void keyTab(HWND window);
void keyReturn(HWND window);
// Gives the window the keyboard focus the way a click would.
void focus(HWND window);

// Runs the message loop until cond() holds (false after timeoutMs).
bool pumpUntil(const std::function<bool()> &cond, int timeoutMs = 10000);

// The visible top-level window with this caption, or null.
HWND findTopLevel(const char *caption);

// Runs step() once, from the message loop, as soon as a visible top-level
// window with the caption exists (step gets it). Steps queue up; each waits
// for its own window.
void whenShown(const char *caption, std::function<void(HWND)> step);
// Steps still waiting.
int pendingSteps();
void clearSteps();

std::string text(HWND window);

// Writes a picture of the window to build/<cfg>/screenshots/<folder>/<name>.png.
bool screenshot(HWND window, const std::string &name);
// The folder of screenshot() below screenshots/ ("portreeve" unless set).
std::string &screenshotFolder();

}  // namespace uiinput

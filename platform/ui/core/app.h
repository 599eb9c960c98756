// The one Qt application of the process and the thread that owns every window.
// Created on first use by any user-interface call; where no display can be
// reached it falls back to Qt's offscreen platform, so a headless host keeps
// running and its plug-ins keep working.
#pragma once

class QApplication;

namespace platform::ui {

// The application, created on the calling thread when none exists yet; that
// thread becomes the user-interface thread.
QApplication *uiApplication();

// True on the thread that created the application (or when none exists yet).
bool uiOnMainThread();

// True when the application runs on the offscreen platform (no display).
bool uiHeadless();

}  // namespace platform::ui

#include "core/app.h"

#include <QApplication>
#include <QThread>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform::ui {
namespace {

std::once_flag appOnce;
QApplication *app = nullptr;
bool headless = false;

// Qt keeps argc by reference and argv for the application's lifetime.
int appArgc = 1;
char appName[] = "cradle";
char *appArgv[] = {appName, nullptr};

bool displayReachable() {
    const char *platformName = std::getenv("QT_QPA_PLATFORM");
    if (platformName && *platformName) return std::strcmp(platformName, "offscreen") != 0;
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void createApplication() {
    if (QApplication::instance()) {
        app = qobject_cast<QApplication *>(QApplication::instance());
        headless = QGuiApplication::platformName() == QLatin1String("offscreen");
        return;
    }
    if (!displayReachable()) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        headless = true;
        std::fprintf(stderr, "No display reachable: windows are created off-screen.\n");
    }
    app = new QApplication(appArgc, appArgv);
    app->setQuitOnLastWindowClosed(false);
    headless = QGuiApplication::platformName() == QLatin1String("offscreen");
}

}  // namespace

QApplication *uiApplication() {
    std::call_once(appOnce, createApplication);
    return app;
}

bool uiOnMainThread() {
    return !app || QThread::currentThread() == app->thread();
}

bool uiHeadless() {
    uiApplication();
    return headless;
}

}  // namespace platform::ui

#include "core/app.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QThread>

#include <windows.h>

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace platform::ui {
namespace {

std::once_flag appOnce;
QApplication *app = nullptr;
bool headless = false;

// Qt keeps argc by reference and argv for the application's lifetime.
int appArgc = 1;
char appName[] = "cradle";
char *appArgv[] = {appName, nullptr};

// An X display answers when a client can connect to it, authorisation
// included: libxcb (which Qt's X platform uses) is asked through dlopen, so
// the layer does not link it. Without libxcb nothing can draw on X anyway.
bool xDisplayAnswers(const char *name) {
    void *xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) return false;
    using Connect = void *(*)(const char *, int *);
    using HasError = int (*)(void *);
    using Disconnect = void (*)(void *);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    bool answers = false;
    if (connect && hasError && disconnect) {
        void *connection = connect(name, nullptr);
        answers = connection && hasError(connection) == 0;
        if (connection) disconnect(connection);
    }
    dlclose(xcb);
    return answers;
}

// A Wayland compositor answers on its socket: WAYLAND_DISPLAY, relative to
// XDG_RUNTIME_DIR unless it is a path.
bool waylandAnswers(const char *name) {
    std::string path = name;
    if (path.empty()) return false;
    if (path[0] != '/') {
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || !*runtime) return false;
        path = std::string(runtime) + "/" + path;
    }
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool answers = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

bool waylandPluginInstalled() {
    QString dir = QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/");
    return QFileInfo::exists(dir + QStringLiteral("libqwayland-generic.so")) ||
           QFileInfo::exists(dir + QStringLiteral("libqwayland-egl.so"));
}

// Whether a desktop can show windows. A platform named in QT_QPA_PLATFORM is
// the user's choice and is taken as it is; otherwise the display must answer,
// so that a stale DISPLAY (a session that ended, a service started from a
// terminal) gives a headless program rather than one Qt ends at start-up.
bool displayReachable() {
    const char *platformName = std::getenv("QT_QPA_PLATFORM");
    if (platformName && *platformName) return std::strcmp(platformName, "offscreen") != 0;
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    if (x11 && *x11 && xDisplayAnswers(x11)) return true;
    if (wayland && *wayland && waylandAnswers(wayland) && waylandPluginInstalled()) {
        // Qt tries its X platform first unless told otherwise.
        setenv("QT_QPA_PLATFORM", "wayland", 1);
        return true;
    }
    return false;
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

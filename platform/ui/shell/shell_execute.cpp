// ShellExecuteA with the verbs "open" and "explore": URLs and documents open
// in the user's applications. With PLATFORM_SHELL_OPEN_LOG set to a file name,
// each request is appended there ("verb<TAB>target") instead of opened, so
// tests see what would have been opened without starting anything.
#include "core/app.h"
#include "shell/ansi_text.h"

#include <shellapi.h>

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

HINSTANCE result(INT code) { return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(code)); }

// A URL is a scheme of two or more letters followed by ':' (a single letter
// would be a drive).
bool looksLikeUrl(const QString &target) {
    qsizetype colon = target.indexOf(u':');
    if (colon < 2) return false;
    for (qsizetype i = 0; i < colon; ++i) {
        QChar c = target[i];
        if (!(c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.') || (i == 0 && !c.isLetter())) return false;
    }
    return true;
}

bool record(const char *logPath, const QString &verb, const QString &target) {
    static std::mutex logLock;
    std::lock_guard lock(logLock);
    FILE *log = std::fopen(logPath, "a");
    if (!log) return false;
    QByteArray line = (verb + u'\t' + target + u'\n').toUtf8();
    bool ok = std::fwrite(line.data(), 1, static_cast<size_t>(line.size()), log) == static_cast<size_t>(line.size());
    return std::fclose(log) == 0 && ok;
}

}  // namespace

extern "C" HINSTANCE ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR, LPCSTR lpDirectory, INT) {
    using platform::ui::shell::ansiToQString;
    if (!lpFile || !*lpFile) return result(SE_ERR_FNF);
    QString verb = lpOperation && *lpOperation ? ansiToQString(lpOperation, std::strlen(lpOperation)).toLower()
                                               : QStringLiteral("open");
    if (verb != QLatin1String("open") && verb != QLatin1String("explore")) return result(SE_ERR_NOASSOC);

    QString target = ansiToQString(lpFile, std::strlen(lpFile));
    QUrl url;
    if (looksLikeUrl(target)) {
        url = QUrl(target, QUrl::TolerantMode);
        if (!url.isValid()) return result(SE_ERR_FNF);
    } else {
        QString path = target;
        if (QFileInfo(path).isRelative() && lpDirectory && *lpDirectory)
            path = QDir(ansiToQString(lpDirectory, std::strlen(lpDirectory))).filePath(path);
        QFileInfo info(path);
        if (!info.exists()) return result(info.dir().exists() ? SE_ERR_FNF : SE_ERR_PNF);
        if (verb == QLatin1String("explore") && !info.isDir()) return result(SE_ERR_NOASSOC);
        url = QUrl::fromLocalFile(info.absoluteFilePath());
    }

    if (const char *logPath = std::getenv("PLATFORM_SHELL_OPEN_LOG"); logPath && *logPath)
        return result(record(logPath, verb, url.toString()) ? 42 : SE_ERR_ACCESSDENIED);
    platform::ui::uiApplication();
    return result(QDesktopServices::openUrl(url) ? 42 : SE_ERR_NOASSOC);
}

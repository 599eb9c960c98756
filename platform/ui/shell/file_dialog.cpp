// GetOpenFileNameA on Qt's file dialog (the desktop's own where the platform
// offers one). The result goes back in the buffer's classic form: one full
// path, or with several files the directory and then each name, every string
// ended by a zero byte and the list by one more.
#include "core/app.h"
#include "shell/ansi_text.h"

#include <commdlg.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMetaObject>

#include <cstddef>
#include <cstring>

namespace {

thread_local DWORD dialogError = 0;

// "JPEG Files\0*.jpg;*.jpeg\0All Files\0*.*\0\0" as Qt name filters; "*.*"
// also matches names without a dot, as it does on Windows.
QStringList nameFiltersOf(LPCSTR filter) {
    using platform::ui::shell::ansiToQString;
    QStringList filters;
    if (!filter) return filters;
    while (*filter) {
        const char *description = filter;
        const char *patterns = description + std::strlen(description) + 1;
        if (!*patterns) break;
        QStringList globs = ansiToQString(patterns, std::strlen(patterns)).split(u';', Qt::SkipEmptyParts);
        for (QString &glob : globs) {
            glob = glob.trimmed();
            if (glob == QLatin1String("*.*")) glob = QStringLiteral("*");
        }
        filters.append(QStringLiteral("%1 (%2)").arg(ansiToQString(description, std::strlen(description)),
                                                     globs.join(u' ')));
        filter = patterns + std::strlen(patterns) + 1;
    }
    return filters;
}

// The result strings in file-system bytes; offsets of the first name and of
// its extension (the terminator when it has none; 0 for several files).
struct Selection {
    QByteArray buffer;
    WORD fileOffset = 0;
    WORD extensionOffset = 0;
    QByteArray firstName;
};

Selection selectionOf(const QStringList &files) {
    Selection sel;
    if (files.size() == 1) {
        QByteArray path = QFile::encodeName(files[0]);
        qsizetype slash = path.lastIndexOf('/');
        sel.fileOffset = static_cast<WORD>(slash + 1);
        sel.firstName = path.mid(slash + 1);
        qsizetype dot = sel.firstName.lastIndexOf('.');
        sel.extensionOffset = static_cast<WORD>(dot >= 0 ? sel.fileOffset + dot + 1 : path.size());
        sel.buffer = path + '\0' + '\0';
        return sel;
    }
    QByteArray dir = QFile::encodeName(QFileInfo(files[0]).absolutePath());
    sel.buffer = dir + '\0';
    sel.fileOffset = static_cast<WORD>(dir.size() + 1);
    for (const QString &file : files) {
        QByteArray name = QFile::encodeName(QFileInfo(file).fileName());
        if (sel.firstName.isEmpty()) sel.firstName = name;
        sel.buffer += name + '\0';
    }
    sel.buffer += '\0';
    return sel;
}

BOOL runDialog(LPOPENFILENAMEA ofn) {
    using platform::ui::shell::ansiToQString;
    QFileDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    bool multiple = (ofn->Flags & OFN_ALLOWMULTISELECT) != 0;
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (ofn->lpstrTitle) dialog.setWindowTitle(ansiToQString(ofn->lpstrTitle, std::strlen(ofn->lpstrTitle)));
    if (ofn->Flags & OFN_FORCESHOWHIDDEN) dialog.setFilter(dialog.filter() | QDir::Hidden);

    QStringList filters = nameFiltersOf(ofn->lpstrFilter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        DWORD index = ofn->nFilterIndex;
        dialog.selectNameFilter(filters.value(index >= 1 && index <= static_cast<DWORD>(filters.size())
                                                  ? static_cast<qsizetype>(index - 1)
                                                  : 0));
    }
    if (ofn->lpstrInitialDir && *ofn->lpstrInitialDir)
        dialog.setDirectory(ansiToQString(ofn->lpstrInitialDir, std::strlen(ofn->lpstrInitialDir)));
    QString initial = ansiToQString(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    if (!initial.isEmpty()) {
        QFileInfo info(initial);
        if (info.isAbsolute()) dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }

    if (dialog.exec() != QDialog::Accepted) return FALSE;
    QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return FALSE;
    if (!multiple) files = files.mid(0, 1);

    Selection sel = selectionOf(files);
    if (!filters.isEmpty()) ofn->nFilterIndex = static_cast<DWORD>(filters.indexOf(dialog.selectedNameFilter()) + 1);
    if (static_cast<size_t>(sel.buffer.size()) > ofn->nMaxFile) {
        // Too small: the first two bytes tell the size needed.
        dialogError = FNERR_BUFFERTOOSMALL;
        if (ofn->nMaxFile >= 2) {
            WORD needed = static_cast<WORD>(std::min<qsizetype>(sel.buffer.size(), 0xFFFF));
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, sel.buffer.constData(), static_cast<size_t>(sel.buffer.size()));
    ofn->nFileOffset = sel.fileOffset;
    ofn->nFileExtension = sel.extensionOffset;
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
        size_t n = std::min(static_cast<size_t>(sel.firstName.size()), static_cast<size_t>(ofn->nMaxFileTitle - 1));
        std::memcpy(ofn->lpstrFileTitle, sel.firstName.constData(), n);
        ofn->lpstrFileTitle[n] = '\0';
    }
    ofn->Flags &= ~static_cast<DWORD>(OFN_READONLY);
    return TRUE;
}

}  // namespace

extern "C" BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    dialogError = 0;
    if (!lpofn || lpofn->lStructSize < offsetof(OPENFILENAMEA, pvReserved)) {
        dialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!lpofn->lpstrFile || lpofn->nMaxFile == 0) {
        dialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    QApplication *app = platform::ui::uiApplication();
    if (platform::ui::uiOnMainThread()) return runDialog(lpofn);
    // Dialogs live on the user-interface thread; the caller waits for it.
    BOOL ok = FALSE;
    DWORD error = 0;
    QMetaObject::invokeMethod(
        app,
        [&] {
            ok = runDialog(lpofn);
            error = dialogError;
        },
        Qt::BlockingQueuedConnection);
    dialogError = error;
    return ok;
}

extern "C" DWORD CommDlgExtendedError(void) { return dialogError; }

// Dropped files: a window that accepts them gets WM_DROPFILES with an HDROP
// holding the local paths of the dropped URLs and the drop point in client
// coordinates. URLs that name no local file are left out; a drop without any
// local file is refused while it is dragged.
#include "core/app.h"
#include "user/window.h"

#include <shellapi.h>

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

namespace platform::ui::shell {
namespace {

class DropObject : public PlatformObject {
public:
    DropObject(std::vector<std::string> files, POINT point, bool client)
        : PlatformObject(ObjectType::Other), files(std::move(files)), point(point), client(client) {}
    const std::vector<std::string> files;
    const POINT point;
    const bool client;
};

std::vector<std::string> localFiles(const QMimeData *data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile()) continue;
        QByteArray path = QFile::encodeName(url.toLocalFile());
        if (!path.isEmpty()) files.emplace_back(path.constData(), static_cast<size_t>(path.size()));
    }
    return files;
}

// Watches the accepting window's widget for drags of local files.
class DropFilter : public QObject {
public:
    DropFilter(HWND hwnd, QObject *parent) : QObject(parent), hwnd_(hwnd) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (localFiles(drag->mimeData()).empty()) {
                drag->ignore();
            } else {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            }
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            std::vector<std::string> files = localFiles(drop->mimeData());
            if (files.empty()) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            QPoint at = drop->position().toPoint();
            QWidget *client = windowClientWidget(hwnd_);
            QWidget *widget = windowWidget(hwnd_);
            if (client && widget && client != widget) at = client->mapFrom(widget, at);
            bool inClient = client ? client->rect().contains(at) : true;
            HDROP handle = handleNew<HDROP>(std::make_shared<DropObject>(std::move(files), POINT{at.x(), at.y()}, inClient));
            if (handle && !PostMessageA(hwnd_, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0)) DragFinish(handle);
            return true;
        }
        default:
            return false;
        }
    }

private:
    HWND hwnd_;
};

const char kFilterName[] = "platformDropFilter";

}  // namespace
}  // namespace platform::ui::shell

using namespace platform;
using namespace platform::ui::shell;

extern "C" void DragAcceptFiles(HWND hWnd, BOOL fAccept) {
    platform::ui::onUiThread([hWnd, fAccept] {
        QWidget *widget = platform::ui::windowWidget(hWnd);
        if (!widget) return;
        auto *filter = widget->findChild<DropFilter *>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly);
        if (fAccept && !filter) {
            filter = new DropFilter(hWnd, widget);
            filter->setObjectName(QLatin1String(kFilterName));
            widget->installEventFilter(filter);
        } else if (!fAccept && filter) {
            widget->removeEventFilter(filter);
            delete filter;
        }
        widget->setAcceptDrops(fAccept != FALSE);
    });
}

extern "C" UINT DragQueryFileA(HDROP hDrop, UINT iFile, LPSTR lpszFile, UINT cch) {
    auto drop = handleGet<DropObject>(hDrop);
    if (!drop) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(drop->files.size());
    if (iFile >= drop->files.size()) return 0;
    const std::string &path = drop->files[iFile];
    if (!lpszFile || cch == 0) return static_cast<UINT>(path.size());
    size_t n = std::min(path.size(), static_cast<size_t>(cch - 1));
    std::memcpy(lpszFile, path.data(), n);
    lpszFile[n] = '\0';
    return static_cast<UINT>(n);
}

extern "C" BOOL DragQueryPoint(HDROP hDrop, LPPOINT lppt) {
    auto drop = handleGet<DropObject>(hDrop);
    if (!drop || !lppt) return FALSE;
    *lppt = drop->point;
    return drop->client ? TRUE : FALSE;
}

extern "C" void DragFinish(HDROP hDrop) {
    auto drop = handleGet<DropObject>(hDrop);
    if (drop) handleRemove(handleValue(hDrop));
}

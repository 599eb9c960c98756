// The file open dialog driven with Qt's input simulation, and opening URLs
// and documents recorded instead of opened.
#include <commdlg.h>
#include <shellapi.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Off-screen windows, before the first user-interface call.
[[maybe_unused]] const bool offscreen = setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0;

namespace {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/shell-dialog-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path); }
    void touch(const std::string &name) const { std::ofstream(path / name) << "x"; }
    fs::path path;
};

// What the test saw of the dialog while driving it.
struct Seen {
    QStringList nameFilters;
    QString selectedFilter;
    QString directory;
    bool found = false;
};

// Types into the next file dialog once it is up, then presses Return (or
// Escape when keys is empty); looks again every 10 ms until the dialog shows.
void driveWhenShown(const QString &keys, Seen *seen) {
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    if (!dialog) {
        QTimer::singleShot(10, [keys, seen] { driveWhenShown(keys, seen); });
        return;
    }
    seen->found = true;
    seen->nameFilters = dialog->nameFilters();
    seen->selectedFilter = dialog->selectedNameFilter();
    seen->directory = dialog->directory().absolutePath();
    if (keys.isEmpty()) {
        QTest::keyClick(dialog, Qt::Key_Escape);
        return;
    }
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    // The name field as the user leaves it, then Return as the user presses it.
    edit->setText(keys);
    QTest::keyClick(edit, Qt::Key_Return);
}

void driveNextDialog(const QString &keys, Seen *seen) {
    // The layer takes over an application that exists already.
    static int argc = 1;
    static char name[] = "cradle";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QApplication(argc, argv);
    QTimer::singleShot(0, [keys, seen] { driveWhenShown(keys, seen); });
}

const char kFilter[] = "JPEG Files\0*.jpg;*.jpeg\0All Files\0*.*\0";

OPENFILENAMEA dialogRecord(char *buffer, DWORD size, const fs::path &dir, DWORD flags) {
    static std::string initialDir;
    initialDir = dir.string();
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = kFilter;
    ofn.nFilterIndex = 2;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
    ofn.lpstrInitialDir = initialDir.c_str();
    ofn.Flags = flags;
    return ofn;
}

constexpr DWORD kAddFlags =
    OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_NOTESTFILECREATE | OFN_HIDEREADONLY;

std::vector<std::string> strings(const char *buffer) {
    std::vector<std::string> out;
    while (*buffer) {
        out.emplace_back(buffer);
        buffer += out.back().size() + 1;
    }
    return out;
}

TEST(FileDialog, SeveralFilesComeBackAsDirectoryAndNames) {
    TempDir dir;
    dir.touch("beach.jpg");
    dir.touch("notes.txt");
    dir.touch("sunset.jpeg");
    std::vector<char> buffer(16384, '\0');
    OPENFILENAMEA ofn = dialogRecord(buffer.data(), 16384, dir.path, kAddFlags);
    Seen seen;
    driveNextDialog(QStringLiteral("\"beach.jpg\" \"notes.txt\""), &seen);
    ASSERT_TRUE(GetOpenFileNameA(&ofn)) << CommDlgExtendedError();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.nameFilters, (QStringList{"JPEG Files (*.jpg *.jpeg)", "All Files (*)"}));
    EXPECT_EQ(seen.selectedFilter, "All Files (*)");
    EXPECT_EQ(seen.directory.toStdString(), dir.path.string());

    std::vector<std::string> result = strings(buffer.data());
    EXPECT_EQ(result, (std::vector<std::string>{dir.path.string(), "beach.jpg", "notes.txt"}));
    EXPECT_EQ(ofn.nFileOffset, dir.path.string().size() + 1);
    EXPECT_EQ(ofn.nFilterIndex, 2u);
}

TEST(FileDialog, OneFileIsAFullPathAndTheFirstFilterIsChosen) {
    TempDir dir;
    dir.touch("sunset.jpeg");
    dir.touch("README");
    std::vector<char> buffer(16384, '\0');
    OPENFILENAMEA ofn = dialogRecord(buffer.data(), 16384, dir.path, kAddFlags);
    ofn.nFilterIndex = 1;
    char title[8];
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = sizeof title;
    Seen seen;
    driveNextDialog(QStringLiteral("sunset.jpeg"), &seen);
    ASSERT_TRUE(GetOpenFileNameA(&ofn)) << CommDlgExtendedError();
    EXPECT_EQ(seen.selectedFilter, "JPEG Files (*.jpg *.jpeg)");
    std::string full = (dir.path / "sunset.jpeg").string();
    EXPECT_EQ(strings(buffer.data()), std::vector<std::string>{full});
    EXPECT_EQ(std::string(buffer.data() + ofn.nFileOffset), "sunset.jpeg");
    EXPECT_EQ(std::string(buffer.data() + ofn.nFileExtension), "jpeg");
    EXPECT_STREQ(title, "sunset.") << "the title is cut to its buffer";
    EXPECT_EQ(ofn.nFilterIndex, 1u);

    // A name without an extension: the offset points at the terminator.
    buffer[0] = '\0';
    ofn = dialogRecord(buffer.data(), 16384, dir.path, OFN_EXPLORER);
    driveNextDialog(QStringLiteral("README"), &seen);
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(buffer[ofn.nFileExtension], '\0');
    EXPECT_EQ(ofn.nFileExtension, (dir.path / "README").string().size());
}

TEST(FileDialog, CancelAndTooSmallABufferFail) {
    TempDir dir;
    dir.touch("a.jpg");
    dir.touch("b.jpg");
    std::vector<char> buffer(16384, '\0');
    OPENFILENAMEA ofn = dialogRecord(buffer.data(), 16384, dir.path, kAddFlags);
    Seen seen;
    driveNextDialog(QString(), &seen);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(CommDlgExtendedError(), 0u) << "a cancel is no error";

    // The selection needs the directory, two names and three terminators.
    size_t needed = dir.path.string().size() + 1 + 6 + 6 + 1;
    char small[16] = "keep";
    ofn = dialogRecord(small, sizeof small, dir.path, kAddFlags);
    ofn.lpstrFile[0] = '\0';
    driveNextDialog(QStringLiteral("\"a.jpg\" \"b.jpg\""), &seen);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    WORD told;
    std::memcpy(&told, small, sizeof told);
    EXPECT_EQ(told, needed);

    ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
}

TEST(ShellExecute, OpenIsRecordedWhenAskedTo) {
    TempDir dir;
    dir.touch("photo.jpg");
    std::string log = (dir.path / "opened.log").string();
    setenv("PLATFORM_SHELL_OPEN_LOG", log.c_str(), 1);
    auto code = [](HINSTANCE h) { return static_cast<long>(reinterpret_cast<intptr_t>(h)); };

    EXPECT_GT(code(ShellExecuteA(nullptr, "open", "http://localhost:8888/Holiday/?list=icons", nullptr, nullptr, 1)), 32);
    EXPECT_GT(code(ShellExecuteA(nullptr, "open", "mailto:someone@example.org", nullptr, nullptr, 1)), 32);
    EXPECT_GT(code(ShellExecuteA(nullptr, "open", "photo.jpg", nullptr, dir.path.c_str(), 1)), 32);
    EXPECT_GT(code(ShellExecuteA(nullptr, nullptr, dir.path.c_str(), nullptr, nullptr, 1)), 32);
    EXPECT_GT(code(ShellExecuteA(nullptr, "explore", dir.path.c_str(), nullptr, nullptr, 1)), 32);

    // Refusals open nothing.
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", "missing.jpg", nullptr, dir.path.c_str(), 1)), SE_ERR_FNF);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", "/no/such/dir/x.jpg", nullptr, nullptr, 1)), SE_ERR_PNF);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "print", "photo.jpg", nullptr, dir.path.c_str(), 1)), SE_ERR_NOASSOC);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", "", nullptr, nullptr, 1)), SE_ERR_FNF);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", nullptr, nullptr, nullptr, 1)), SE_ERR_FNF);
    unsetenv("PLATFORM_SHELL_OPEN_LOG");

    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::string d = dir.path.string();
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "open\thttp://localhost:8888/Holiday/?list=icons",
                         "open\tmailto:someone@example.org",
                         "open\tfile://" + d + "/photo.jpg",
                         "open\tfile://" + d,
                         "explore\tfile://" + d,
                     }));
}

struct DropLog {
    std::vector<std::string> files;
    UINT count = 0;
    UINT lengthOfFirst = 0;
    POINT point{};
    BOOL inClient = FALSE;
    UINT afterFinish = 1;
    int drops = 0;
};
DropLog dropLog;

LRESULT CALLBACK dropWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DROPFILES) {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        ++dropLog.drops;
        dropLog.count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        dropLog.lengthOfFirst = DragQueryFileA(drop, 0, nullptr, 0);
        for (UINT i = 0; i < dropLog.count; ++i) {
            char path[MAX_PATH];
            DragQueryFileA(drop, i, path, sizeof path);
            dropLog.files.push_back(path);
        }
        char small[6];
        DragQueryFileA(drop, 0, small, sizeof small);
        dropLog.files.push_back(small);
        dropLog.inClient = DragQueryPoint(drop, &dropLog.point);
        DragFinish(drop);
        dropLog.afterFinish = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

QWidget *widgetOfWindow(HWND hwnd) {
    for (QWidget *w : QApplication::allWidgets())
        if (w->property("platformHwnd").toULongLong() == reinterpret_cast<uintptr_t>(hwnd)) return w;
    return nullptr;
}

// Sends a drag and a drop of these URLs; true when the drag was accepted.
bool dragAndDrop(QWidget *target, const QList<QUrl> &urls, QPoint at) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

void pumpMessages() {
    for (int i = 0; i < 50 && dropLog.drops == 0; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        QTest::qWait(5);
    }
}

TEST(DropFiles, DroppedFileUrlsArriveAsDropFiles) {
    TempDir dir;
    dir.touch("beach.jpg");
    dir.touch("with space.png");
    WNDCLASSA cls{};
    cls.lpfnWndProc = dropWindowProc;
    cls.lpszClassName = "ShellDropTestWindow";
    ASSERT_NE(RegisterClassA(&cls), 0);
    HWND hwnd = CreateWindowExA(0, "ShellDropTestWindow", "drop target", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    QWidget *widget = widgetOfWindow(hwnd);
    ASSERT_NE(widget, nullptr);

    QList<QUrl> urls = {QUrl::fromLocalFile(QString::fromStdString((dir.path / "beach.jpg").string())),
                        QUrl(QStringLiteral("http://example.org/x.jpg")),
                        QUrl::fromLocalFile(QString::fromStdString((dir.path / "with space.png").string()))};
    EXPECT_FALSE(dragAndDrop(widget, urls, QPoint(20, 30))) << "not accepted before DragAcceptFiles";

    DragAcceptFiles(hwnd, TRUE);
    EXPECT_FALSE(dragAndDrop(widget, {QUrl(QStringLiteral("http://example.org/x.jpg"))}, QPoint(1, 1)))
        << "no local file, nothing to drop";
    ASSERT_TRUE(dragAndDrop(widget, urls, QPoint(20, 30)));
    pumpMessages();
    ASSERT_EQ(dropLog.drops, 1);
    std::string first = (dir.path / "beach.jpg").string();
    EXPECT_EQ(dropLog.count, 2u);
    EXPECT_EQ(dropLog.lengthOfFirst, first.size());
    EXPECT_EQ(dropLog.files, (std::vector<std::string>{first, (dir.path / "with space.png").string(), first.substr(0, 5)}));
    EXPECT_TRUE(dropLog.inClient);
    EXPECT_EQ(dropLog.afterFinish, 0u) << "the handle is gone after DragFinish";

    DragAcceptFiles(hwnd, FALSE);
    EXPECT_FALSE(dragAndDrop(widget, urls, QPoint(20, 30)));
    DestroyWindow(hwnd);
}

}  // namespace

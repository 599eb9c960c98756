#include "wizard_fixture.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace wizardtest {

namespace {

const int RGB_OF[4][3] = {{220, 40, 40}, {40, 190, 60}, {40, 60, 220}, {240, 220, 40}};

Colour classify(int c) {
    int r = gdTrueColorGetRed(c), g = gdTrueColorGetGreen(c), b = gdTrueColorGetBlue(c);
    int best = OTHER, bestDistance = 60 * 60 * 3;
    for (int i = 0; i < 4; ++i) {
        int dr = r - RGB_OF[i][0], dg = g - RGB_OF[i][1], db = b - RGB_OF[i][2];
        int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return static_cast<Colour>(best);
}

QWidget* widgetOf(HWND hwnd) {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

}  // namespace

bool writePhoto(const std::string& path, int w, int h) {
    gdImagePtr im = gdImageCreateTrueColor(w, h);
    if (!im) return false;
    for (int q = 0; q < 4; ++q) {
        int x0 = q % 2 ? w / 2 : 0, y0 = q / 2 ? h / 2 : 0;
        gdImageFilledRectangle(im, x0, y0, x0 + w / 2 - 1, y0 + h / 2 - 1,
                               gdTrueColor(RGB_OF[q][0], RGB_OF[q][1], RGB_OF[q][2]));
    }
    int size = 0;
    void* jpeg = gdImageJpegPtr(im, &size, 95);
    gdImageDestroy(im);
    if (!jpeg) return false;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(jpeg), size);
    gdFree(jpeg);
    return static_cast<bool>(out);
}

Quadrants quadrantsOf(gdImagePtr im) {
    Quadrants q{OTHER, OTHER, OTHER, OTHER};
    if (!im) return q;
    int w = gdImageSX(im), h = gdImageSY(im);
    for (int i = 0; i < 4; ++i) {
        int x = (i % 2 ? 3 : 1) * w / 4, y = (i / 2 ? 3 : 1) * h / 4;
        q[static_cast<size_t>(i)] = classify(gdImageGetTrueColorPixel(im, x, y));
    }
    return q;
}

Quadrants quadrantsOfJpeg(const std::string& bytes, int* w, int* h) {
    gdImagePtr im = bytes.empty() ? nullptr
                                  : gdImageCreateFromJpegPtr(static_cast<int>(bytes.size()),
                                                             const_cast<char*>(bytes.data()));
    if (w) *w = im ? gdImageSX(im) : 0;
    if (h) *h = im ? gdImageSY(im) : 0;
    Quadrants q = quadrantsOf(im);
    if (im) gdImageDestroy(im);
    return q;
}

gdImagePtr snapshotImage(HWND window) {
    std::string path = fs::temp_directory_path().string() + "/wizard-snap-" + std::to_string(getpid()) + ".png";
    if (!uiSnapshotWindow(window, path.c_str())) return nullptr;
    FILE* f = std::fopen(path.c_str(), "rb");
    gdImagePtr im = f ? gdImageCreateFromPng(f) : nullptr;
    if (f) std::fclose(f);
    std::remove(path.c_str());
    if (im && !gdImageTrueColor(im)) gdImagePaletteToTrueColor(im);
    return im;
}

Quadrants quadrantsOfPicture(gdImagePtr im) {
    Quadrants none{OTHER, OTHER, OTHER, OTHER};
    if (!im) return none;
    int x0 = gdImageSX(im), y0 = gdImageSY(im), x1 = -1, y1 = -1;
    for (int y = 0; y < gdImageSY(im); ++y)
        for (int x = 0; x < gdImageSX(im); ++x)
            if (classify(gdImageGetTrueColorPixel(im, x, y)) != OTHER)
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < x0 || y1 < y0) return none;
    gdImagePtr part = gdImageCreateTrueColor(x1 - x0 + 1, y1 - y0 + 1);
    gdImageCopy(part, im, 0, 0, x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    Quadrants q = quadrantsOf(part);
    gdImageDestroy(part);
    return q;
}

std::string describe(const Quadrants& q) {
    static const char* const NAMES[] = {"red", "green", "blue", "yellow", "other"};
    std::string s;
    for (Colour c : q) s += std::string(s.empty() ? "" : " ") + NAMES[c];
    return s;
}

void WizardTest::SetUp() {
    PageTest::SetUp();
    uiinput::screenshotFolder() = "galleon";
    openLog = galleon.path("shell-open.log");
    setenv("PLATFORM_SHELL_OPEN_LOG", openLog.c_str(), 1);
}

void WizardTest::TearDown() {
    unsetenv("PLATFORM_SHELL_OPEN_LOG");
    PageTest::TearDown();
}

void WizardTest::startWithPage(const std::string& photoLines) {
    startGalleon(photoLines);
    if (photoLines.find("Enable=0") == std::string::npos) {
        ASSERT_TRUE(galleon.waitRunning());
    }
    ASSERT_NE(openPage(0), nullptr);
}

void WizardTest::runWizard(const std::function<void(HWND)>& drive) {
    bool shown = false;
    uiinput::whenShown("Add Collection...", [&](HWND sheet) {
        shown = true;
        drive(sheet);
        // A drive that stopped half way (a failed assertion) must not leave
        // the test inside the wizard's loop.
        PostMessageA(sheet, WM_CLOSE, 0, 0);
    });
    uiinput::click(item(100));
    EXPECT_TRUE(shown) << "the wizard never showed";
    EXPECT_EQ(uiinput::findTopLevel("Add Collection..."), nullptr) << "the wizard is still open";
    uiinput::clearSteps();
}

HWND WizardTest::currentPage(HWND sheet) { return PropSheet_GetCurrentPageHwnd(sheet); }

std::string WizardTest::pageName(HWND sheet) {
    HWND page = currentPage(sheet);
    return page ? uiinput::text(page) : "";
}

bool WizardTest::waitForPage(HWND sheet, const std::string& name, int timeoutMs) {
    bool ok = uiinput::pumpUntil([&] { return pageName(sheet) == name; }, timeoutMs);
    settle();
    return ok;
}

bool WizardTest::nextTo(HWND sheet, const std::string& name) {
    settle();
    uiinput::click(nextButton(sheet));
    return waitForPage(sheet, name);
}

void WizardTest::settle(int ms) {
    DWORD until = GetTickCount() + static_cast<DWORD>(ms);
    uiinput::pumpUntil([until] { return GetTickCount() >= until; }, ms + 1000);
}

void WizardTest::typeInto(HWND edit, const std::string& text) {
    uiinput::click(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    uiinput::typeText(edit, text.empty() ? std::string("\b") : text);
}

namespace {

// What the next file dialog is to get, and where to tell what it showed.
struct DialogScript {
    QString keys, folder;
    std::string* directory;
    std::vector<std::string>* filters;
};

// Looks for the dialog every 10 ms until it is up, then drives it.
void driveFileDialog(std::shared_ptr<DialogScript> script) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
        QTimer::singleShot(10, [script] { driveFileDialog(script); });
        return;
    }
    *script->directory = dialog->directory().absolutePath().toStdString();
    script->filters->clear();
    for (const QString& f : dialog->nameFilters()) script->filters->push_back(f.toStdString());
    // The user goes to the folder, then types the names and presses Return.
    dialog->setDirectory(script->folder);
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit) return dialog->reject();
    edit->setText(script->keys);
    QTest::keyClick(edit, Qt::Key_Return);
}

}  // namespace

void WizardTest::chooseInFileDialog(const std::string& dir, const std::vector<std::string>& names) {
    QString keys;
    for (const std::string& n : names) keys += (keys.isEmpty() ? "\"" : " \"") + QString::fromStdString(n) + "\"";
    if (names.size() == 1) keys = QString::fromStdString(names[0]);
    auto script = std::make_shared<DialogScript>(
        DialogScript{keys, QString::fromStdString(dir), &dialogDirectory, &dialogFilters});
    QTimer::singleShot(0, [script] { driveFileDialog(script); });
}

bool WizardTest::dropFiles(HWND window, const std::vector<std::string>& paths) {
    QWidget* target = widgetOf(window);
    if (!target) return false;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    QMimeData data;
    data.setUrls(urls);
    QPoint at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    settle();
    return drop.isAccepted();
}

void WizardTest::clickTab(HWND sheet, int index) {
    QWidget* w = widgetOf(PropSheet_GetTabControl(sheet));
    QTabBar* bar = w ? qobject_cast<QTabBar*>(w) : nullptr;
    if (w && !bar) bar = w->findChild<QTabBar*>();
    ASSERT_TRUE(bar && index < bar->count()) << "no such tab";
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    settle();
}

void WizardTest::clickMark(HWND button) {
    RECT r{};
    GetClientRect(button, &r);
    uiinput::clickAt(button, 6, (r.bottom - r.top) / 2);
}

void WizardTest::hover(HWND window) {
    QWidget* w = widgetOf(window);
    if (!w || !w->window()->windowHandle()) return;
    // Qt drops a move to where the pointer already is: come from beside it.
    QPoint centre = w->mapTo(w->window(), w->rect().center());
    QTest::mouseMove(w->window()->windowHandle(), centre - QPoint(3, 3));
    QTest::mouseMove(w->window()->windowHandle(), centre);
}

std::vector<std::string> WizardTest::shellOpened() const {
    std::vector<std::string> lines;
    std::ifstream in(openLog);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string WizardTest::makePhoto(const std::string& name, int w, int h) const {
    std::string path = source(name);
    EXPECT_TRUE(writePhoto(path, w, h)) << path;
    return path;
}

std::string WizardTest::makeText(const std::string& name) const {
    std::string path = source(name);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path) << "Notes of " << name << "\n";
    return path;
}

}  // namespace wizardtest

// The wizard's parts that the Files page of the Edit Collection sheet uses:
// "A&dd..." runs the four last pages on the collection, starting on Add
// Photos and Files without Back; "&Edit..." opens the photo editor.
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings_ids.h"
#include "wizard_fixture.h"
#include "wizard_ids.h"

namespace fs = std::filesystem;
using namespace wizardtest;
using uiinput::click;
using uiinput::text;

namespace {

Quadrants fileShows(const std::string& path, int* w = nullptr, int* h = nullptr) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return quadrantsOfJpeg(bytes.str(), w, h);
}

class WizardFromFilesPage : public WizardTest {
protected:
    // A protected photo collection "Garden" with one photo.
    void SetUp() override {
        WizardTest::SetUp();
        ASSERT_TRUE(writePhoto(collections() + "Garden/rose.jpg", 400, 300));
        galleon.writeUserDatabase("Garden", "rosebed");
        ASSERT_NO_FATAL_FAILURE(startWithPage("Garden=Photo"));
    }
    static void clickRowOf(HWND list, int row) {
        RECT r{};
        ListView_GetItemRect(list, row, &r, LVIR_LABEL);
        uiinput::clickAt(list, r.left + 4, (r.top + r.bottom) / 2);
    }
    // Opens the Edit Collection sheet of Garden on its Files page; step runs there.
    void onFilesPage(const std::function<void(HWND sheet, HWND files)>& step) {
        HWND list = item(IDC_SET_LIST);
        ASSERT_TRUE(uiinput::pumpUntil([&] { return ListView_GetItemCount(list) == 1; }));
        clickRowOf(list, 0);
        bool shown = false;
        uiinput::whenShown("Edit Collection...", [&](HWND sheet) {
            shown = true;
            clickTab(sheet, 3);
            HWND files = currentPage(sheet);
            EXPECT_EQ(text(files), "Files");
            step(sheet, files);
            PostMessageA(sheet, WM_CLOSE, 0, 0);
        });
        click(item(IDC_SET_EDIT));
        EXPECT_TRUE(shown);
    }
    // Runs step in the next photo editor (a dialog captioned like the sheet,
    // told apart by its OK button), looking every 10 ms until it is up.
    static void whenEditorShows(std::function<void(HWND)> step) {
        HWND found = nullptr;
        for (HWND h = FindWindowExA(nullptr, nullptr, nullptr, "Edit Collection..."); h && !found;
             h = FindWindowExA(nullptr, h, nullptr, "Edit Collection..."))
            if (GetDlgItem(h, IDC_EDITOR_OK) && IsWindowVisible(h)) found = h;
        if (!found) return QTimer::singleShot(10, [step] { whenEditorShows(step); });
        step(found);
    }
};

TEST_F(WizardFromFilesPage, AddStartsOnAddPhotosAndFilesWithoutBackAndPublishesIntoTheCollection) {
    std::string tulip = makePhoto("tulip.jpg", 400, 300);
    std::vector<std::string> visited;
    onFilesPage([&](HWND, HWND files) {
        uiinput::whenShown("Add Collection...", [&](HWND wizard) {
            ASSERT_TRUE(waitForPage(wizard, "Add Photos and Files"));
            visited.push_back(pageName(wizard));
            HWND page = currentPage(wizard);
            EXPECT_FALSE(usable(backButton(wizard))) << "the first page has no Back";
            EXPECT_FALSE(usable(nextButton(wizard)));
            ASSERT_TRUE(dropFiles(page, {tulip}));
            EXPECT_TRUE(usable(nextButton(wizard)));
            EXPECT_FALSE(usable(backButton(wizard)));
            uiinput::screenshot(wizard, "wizard-addfiles-1-add-photos-and-files");
            ASSERT_TRUE(nextTo(wizard, "Preview"));
            visited.push_back(pageName(wizard));
            EXPECT_TRUE(usable(backButton(wizard)));
            click(GetDlgItem(currentPage(wizard), IDC_PREVIEW_ROTATE));
            ASSERT_TRUE(nextTo(wizard, "Copy Files"));
            visited.push_back(pageName(wizard));
            ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(wizard)); }, 5000));
            ASSERT_TRUE(nextTo(wizard, "Finish"));
            visited.push_back(pageName(wizard));
            clickMark(GetDlgItem(currentPage(wizard), IDC_FINISH_PREVIEW));
            click(finishButton(wizard));
        });
        click(GetDlgItem(files, IDC_FILES_ADD));
        EXPECT_EQ(uiinput::findTopLevel("Add Collection..."), nullptr);
        // The page follows the folder: the new photo shows up in its list.
        EXPECT_TRUE(uiinput::pumpUntil([&] {
            for (const auto& row : rows(GetDlgItem(files, IDC_FILES_LIST)))
                if (row.at(0) == "tulip.jpg") return true;
            return false;
        }));
    });
    EXPECT_EQ(visited, (std::vector<std::string>{"Add Photos and Files", "Preview", "Copy Files", "Finish"}));
    int w = 0, h = 0;
    EXPECT_EQ(fileShows(collections() + "Garden/tulip.jpg", &w, &h), TURNED_LEFT);
    EXPECT_EQ(w, 300);
    EXPECT_TRUE(fs::exists(collections() + "Garden/tulip.tmb"));
    EXPECT_TRUE(fs::exists(collections() + "Garden/rose.jpg"));
    EXPECT_EQ(galleonui::httpGet(galleon.port, "/Garden/tulip.jpg").status, 401) << "the collection keeps its password";
    EXPECT_EQ(galleonui::httpGet(galleon.port, "/Garden/tulip.jpg", galleonui::basicAuth("x", "rosebed")).status, 200);
}

TEST_F(WizardFromFilesPage, ThePhotoEditorTurnsAndRenamesAPublishedPhotoOnOk) {
    onFilesPage([&](HWND, HWND files) {
        HWND list = GetDlgItem(files, IDC_FILES_LIST);
        clickRowOf(list, 0);
        ASSERT_TRUE(IsWindowEnabled(GetDlgItem(files, IDC_FILES_EDIT)));
        bool seen = false;
        whenEditorShows([&](HWND editor) {
            seen = true;
            EXPECT_EQ(text(GetDlgItem(editor, IDC_PREVIEW_FILE)), "rose.jpg");
            HWND caption = GetDlgItem(editor, IDC_PREVIEW_CAPTION);
            EXPECT_EQ(text(caption), "rose");
            EXPECT_EQ(GetFocus(), caption);
            EXPECT_EQ(GetDlgItem(editor, IDC_PREVIEW_NEXT), nullptr) << "one photo: no Next >> in the editor";
            gdImagePtr shown = snapshotImage(GetDlgItem(editor, IDC_PREVIEW_IMAGE));
            EXPECT_EQ(quadrantsOfPicture(shown), UPRIGHT);
            if (shown) gdImageDestroy(shown);
            click(GetDlgItem(editor, IDC_PREVIEW_ROTATE));
            click(GetDlgItem(editor, IDC_PREVIEW_FLIP_H));
            typeInto(caption, "red rose");
            uiinput::screenshot(editor, "photo-editor");
            click(GetDlgItem(editor, IDC_EDITOR_OK));
        });
        click(GetDlgItem(files, IDC_FILES_EDIT));
        EXPECT_TRUE(seen);
    });
    EXPECT_FALSE(fs::exists(collections() + "Garden/rose.jpg"));
    // A quarter turn, then mirrored left to right.
    constexpr Quadrants TURNED_AND_MIRRORED{YELLOW, GREEN, BLUE, RED};
    EXPECT_EQ(fileShows(collections() + "Garden/red rose.jpg"), TURNED_AND_MIRRORED)
        << describe(fileShows(collections() + "Garden/red rose.jpg"));
}

TEST_F(WizardFromFilesPage, ThePhotoEditorsCancelChangesNothing) {
    onFilesPage([&](HWND, HWND files) {
        clickRowOf(GetDlgItem(files, IDC_FILES_LIST), 0);
        whenEditorShows([&](HWND editor) {
            click(GetDlgItem(editor, IDC_PREVIEW_ROTATE));
            typeInto(GetDlgItem(editor, IDC_PREVIEW_CAPTION), "thorn");
            click(GetDlgItem(editor, IDC_EDITOR_CANCEL));
        });
        click(GetDlgItem(files, IDC_FILES_EDIT));
        EXPECT_EQ(uiinput::findTopLevel("Edit Collection..."), FindWindowExA(nullptr, nullptr, nullptr, "Edit Collection..."))
            << "only the sheet is left";
    });
    EXPECT_EQ(fileShows(collections() + "Garden/rose.jpg"), UPRIGHT);
    EXPECT_FALSE(fs::exists(collections() + "Garden/thorn.jpg"));
}

}  // namespace

// The Edit Collection sheet of the real plug-in, opened from the Settings
// page with real clicks: renaming a collection and changing its type (then
// fetched over HTTP under its new name), the password page's rules, and the
// Files page: dropped files copied in on Apply, the "Confirm Overwrite"
// message dialog, marked photos moved to the Recycle Bin with their
// thumbnails, the list following the folder, and the size texts.
#include <filesystem>
#include <fstream>
#include <map>

#include "pageids.h"
#include "settings_helpers.h"
#include "settings_ids.h"

#include <gd.h>

using namespace galleonui;
using namespace uiinput;
namespace fs = std::filesystem;

namespace {

class EditSheetTest : public SettingsPageTest {
protected:
    // Opens the sheet on the collection with a click on Edit; step runs in it.
    void editCollection(const std::string& name, std::function<void(HWND)> step) {
        ASSERT_GE(rowOf(name), 0) << name;
        clickRow(list(), rowOf(name));
        ASSERT_TRUE(enabled(IDC_SET_EDIT));
        whenShown("Edit Collection...", std::move(step));
        click(item(IDC_SET_EDIT));
        ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    }
    static void replaceText(HWND edit, const std::string& value) {
        click(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        if (!uiinput::text(edit).empty()) SetWindowTextA(edit, "");
        typeText(edit, value);
    }
    static std::vector<std::string> fileRows(HWND page) {
        std::vector<std::string> names;
        for (auto& r : rows(GetDlgItem(page, IDC_FILES_LIST))) names.push_back(r[0]);
        return names;
    }
    static int fileRow(HWND page, const std::string& name) {
        auto r = fileRows(page);
        for (size_t i = 0; i < r.size(); ++i)
            if (r[i] == name) return static_cast<int>(i);
        return -1;
    }
    std::string ini() const { return galleon.readFile("cradle.ini"); }
};

TEST_F(EditSheetTest, RenamingACollectionAndChangingItsType) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(galleon.waitRunning());
    ASSERT_EQ(httpGet(galleon.port, "/Holiday/").status, 200);
    bool sawPages = false;
    editCollection("Holiday", [&](HWND sheet) {
        HWND name = currentPage(sheet);
        EXPECT_EQ(text(name), "Name");
        HWND edit = GetDlgItem(name, IDC_NAME_EDIT);
        EXPECT_EQ(text(edit), "Holiday");
        shot(sheet, "edit-name");
        replaceText(edit, "Summer");
        EXPECT_EQ(text(edit), "Summer");
        clickTab(sheet, 2);
        HWND type = currentPage(sheet);
        EXPECT_EQ(text(type), "Type");
        EXPECT_EQ(IsDlgButtonChecked(type, IDC_TYPE_PHOTO), BST_CHECKED);
        // On the radio's mark, where a user clicks.
        RECT r{};
        GetClientRect(GetDlgItem(type, IDC_TYPE_FILE), &r);
        clickAt(GetDlgItem(type, IDC_TYPE_FILE), 8, r.bottom / 2);
        EXPECT_EQ(IsDlgButtonChecked(type, IDC_TYPE_FILE), BST_CHECKED);
        shot(sheet, "edit-type");
        clickTab(sheet, 1);
        HWND password = currentPage(sheet);
        EXPECT_EQ(text(password), "Password");
        EXPECT_EQ(IsDlgButtonChecked(password, IDC_PWD_PUBLIC), BST_CHECKED);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(password, IDC_PWD_EDIT)));
        shot(sheet, "edit-password");
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        EXPECT_EQ(text(files), "Files");
        EXPECT_EQ(fileRows(files), (std::vector<std::string>{"beach.jpg", "sunset.jpg"}));
        shot(sheet, "edit-files");
        sawPages = true;
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_TRUE(sawPages);
    EXPECT_TRUE(pumpUntil([&] { return rowOf("Summer") >= 0; }));
    EXPECT_EQ(rowOf("Holiday"), -1);
    ASSERT_GE(rowOf("Summer"), 0);
    EXPECT_EQ(rows(list())[rowOf("Summer")][2], "File");
    EXPECT_TRUE(collectionExists("Summer"));
    EXPECT_FALSE(collectionExists("Holiday"));
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Summer/beach.jpg")));
    EXPECT_NE(ini().find("Summer=File"), std::string::npos) << ini();
    EXPECT_EQ(ini().find("Holiday="), std::string::npos) << ini();
    auto answer = httpGet(galleon.port, "/Summer/");
    EXPECT_EQ(answer.status, 200);
    EXPECT_NE(answer.body.find("sunset.jpg"), std::string::npos);
    EXPECT_EQ(httpGet(galleon.port, "/Holiday/").status, 404);
}

TEST_F(EditSheetTest, DoubleClickOpensTheSheetAndCancelChangesNothing) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    bool shown = false;
    whenShown("Edit Collection...", [&](HWND sheet) {
        shown = true;
        HWND edit = GetDlgItem(currentPage(sheet), IDC_NAME_EDIT);
        EXPECT_EQ(text(edit), "Misc");
        replaceText(edit, "Other");
        click(GetDlgItem(sheet, IDCANCEL));
    });
    doubleClickRow(list(), rowOf("Misc"));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(collectionExists("Misc"));
    EXPECT_FALSE(collectionExists("Other"));
    EXPECT_GE(rowOf("Misc"), 0);
}

TEST_F(EditSheetTest, ThePasswordPageRules) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(galleon.waitRunning());
    ASSERT_EQ(httpGet(galleon.port, "/Misc/").status, 200);
    editCollection("Misc", [&](HWND sheet) {
        clickTab(sheet, 1);
        HWND page = currentPage(sheet);
        HWND password = GetDlgItem(page, IDC_PWD_EDIT), confirm = GetDlgItem(page, IDC_PWD_CONFIRM);
        HWND error = GetDlgItem(page, IDC_PWD_ERROR);
        EXPECT_FALSE(IsWindowVisible(error));
        click(GetDlgItem(page, IDC_PWD_PUBLIC));
        EXPECT_TRUE(IsWindowEnabled(password));
        EXPECT_TRUE(IsWindowEnabled(confirm));
        // Four characters, the same twice: refused for the length.
        replaceText(password, "abcd");
        replaceText(confirm, "abcd");
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_TRUE(IsWindowVisible(error));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_PWD_ERROR_ICON)));
        EXPECT_EQ(text(error), "You must enter a password that is at least 5-characters in length.");
        // Five characters whose confirmation differs in case: refused as not matching.
        replaceText(password, "abcde");
        replaceText(confirm, "abcdE");
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_TRUE(IsWindowVisible(error));
        EXPECT_EQ(text(error), "The passwords you have entered do not match.");
        shot(sheet, "edit-password-error");
        replaceText(confirm, "abcde");
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_EQ(rowImage(list(), rowOf("Misc")), 4) << "protected now";
    EXPECT_EQ(httpGet(galleon.port, "/Misc/").status, 401);
    EXPECT_EQ(httpGet(galleon.port, "/Misc/", basicAuth("system", "abcde")).status, 200);

    // Public again: no password is asked.
    editCollection("Misc", [&](HWND sheet) {
        clickTab(sheet, 1);
        HWND page = currentPage(sheet);
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_PWD_PUBLIC), BST_UNCHECKED);
        EXPECT_EQ(text(GetDlgItem(page, IDC_PWD_EDIT)), "abcde");
        click(GetDlgItem(page, IDC_PWD_PUBLIC));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_PWD_EDIT)));
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_EQ(rowImage(list(), rowOf("Misc")), 3);
    EXPECT_EQ(httpGet(galleon.port, "/Misc/").status, 200);
}

TEST_F(EditSheetTest, AnotherCollectionsNameIsRefused) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    bool stayed = false;
    editCollection("Misc", [&](HWND sheet) {
        HWND edit = GetDlgItem(currentPage(sheet), IDC_NAME_EDIT);
        replaceText(edit, "Docs");
        click(GetDlgItem(sheet, IDOK));
        stayed = IsWindow(sheet) && IsWindowVisible(sheet);
        click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_TRUE(stayed) << "another collection's name is refused";
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "A collection named Docs already exists.");
    EXPECT_TRUE(collectionExists("Misc"));
}

TEST_F(EditSheetTest, DroppedFilesAreCopiedOnApplyWithTheOverwriteQuestion) {
    makeCollections();
    galleon.writeFile("outside/new.txt", "new file");
    galleon.writeFile("outside/sunset.jpg", "the other sunset");
    ASSERT_TRUE(openPage(0));
    bool asked = false;
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        ASSERT_TRUE(dropFiles(files, {galleon.path("outside/new.txt")}));
        EXPECT_GE(fileRow(files, "new.txt"), 0);
        EXPECT_FALSE(fs::exists(galleon.path("Collections/Holiday/new.txt"))) << "copied only on Apply";
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_EQ(galleon.readFile("Collections/Holiday/new.txt"), "new file");

        ASSERT_TRUE(dropFiles(files, {galleon.path("outside/sunset.jpg")}));
        EXPECT_EQ(fileRows(files).size(), 4u) << "the dropped sunset.jpg beside the collection's";
        whenShown("Confirm Overwrite", [&](HWND box) {
            asked = true;
            EXPECT_EQ(text(GetDlgItem(box, IDC_MSG_TEXT)),
                      "The file sunset.jpg already exists in this collection. Do you want to overwrite the file?");
            EXPECT_EQ(text(GetDlgItem(box, IDC_MSG_YES)), "&Yes");
            EXPECT_EQ(text(GetDlgItem(box, IDC_MSG_YES_ALL)), "Y&es to all");
            EXPECT_EQ(text(GetDlgItem(box, IDC_MSG_NO)), "&No");
            shot(box, "message-dialog");
            click(GetDlgItem(box, IDC_MSG_YES));
        });
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_TRUE(asked);
        EXPECT_EQ(galleon.readFile("Collections/Holiday/sunset.jpg"), "the other sunset");
        EXPECT_TRUE(pumpUntil([&] { return fileRows(files).size() == 3u; }));
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_TRUE(asked);
    EXPECT_TRUE(fs::exists(galleon.path("outside/new.txt"))) << "the dropped file itself stays";
    EXPECT_EQ(rows(list())[rowOf("Holiday")][1], "3");
}

TEST_F(EditSheetTest, NoInTheOverwriteQuestionSkipsTheFileAndClosingRefusesApply) {
    makeCollections();
    galleon.writeFile("outside/sunset.jpg", "the other sunset");
    galleon.writeFile("outside/beach.jpg", "the other beach");
    ASSERT_TRUE(openPage(0));
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        ASSERT_TRUE(dropFiles(files, {galleon.path("outside/sunset.jpg"), galleon.path("outside/beach.jpg")}));
        // Closing the dialog refuses the Apply: the page stays changed.
        whenShown("Confirm Overwrite", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); });
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_EQ(fileRows(files).size(), 4u);
        EXPECT_EQ(galleon.readFile("Collections/Holiday/sunset.jpg"), "jpeg");
        // "No" skips the first, "Yes to all" overwrites the second without asking again.
        whenShown("Confirm Overwrite", [](HWND box) { click(GetDlgItem(box, IDC_MSG_NO)); });
        whenShown("Confirm Overwrite", [](HWND box) { click(GetDlgItem(box, IDC_MSG_YES_ALL)); });
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_EQ(pendingSteps(), 0);
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_EQ(galleon.readFile("Collections/Holiday/sunset.jpg"), "jpeg");
    EXPECT_EQ(galleon.readFile("Collections/Holiday/beach.jpg"), "the other beach");
}

TEST_F(EditSheetTest, MarkedPhotosGoToTheRecycleBinWithTheirThumbnails) {
    makeCollections();
    writeJpeg(galleon.path("Collections/Holiday/beach.jpg"), 40, 30);
    ASSERT_TRUE(openPage(0));
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        HWND list = GetDlgItem(files, IDC_FILES_LIST);
        int row = fileRow(files, "beach.jpg");
        ASSERT_GE(row, 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(files, IDC_FILES_DELETE)));
        clickRow(list, row);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(files, IDC_FILES_DELETE)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(files, IDC_FILES_EDIT)));
        click(GetDlgItem(files, IDC_FILES_DELETE));
        EXPECT_EQ(rowImage(list, row), 4) << "marked";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(files, IDC_FILES_DELETE)));
        shot(sheet, "edit-files-marked");
        click(GetDlgItem(sheet, IDOK));
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Are you sure you want to delete this file from your collection and move it to the Recycle Bin? ");
    std::string bin = "Collections/Recycle Bin/" + todayFolder() + "/Holiday/";
    EXPECT_TRUE(fs::exists(galleon.path(bin + "beach.jpg")));
    EXPECT_TRUE(fs::exists(galleon.path(bin + "beach.tmb")));
    EXPECT_FALSE(fs::exists(galleon.path("Collections/Holiday/beach.jpg")));
    EXPECT_FALSE(fs::exists(galleon.path("Collections/Holiday/beach.tmb")));
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/sunset.jpg")));
}

TEST_F(EditSheetTest, TheFilesContextMenu) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    std::vector<MenuItemSeen> seen;
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        HWND list = GetDlgItem(files, IDC_FILES_LIST);
        int row = fileRow(files, "sunset.jpg");
        {
            MenuCatcher catcher(files, 1, "edit-files-context-menu",
                                [&](const std::vector<MenuItemSeen>& items) { seen = items; });
            clickRow(list, row);
            rightClickRow(list, row);
            EXPECT_TRUE(pumpUntil([&] { return catcher.done(); }));
        }
        EXPECT_TRUE(pumpUntil([&] { return rowImage(list, row) == 4; })) << "Delete from the menu marks the file";
        click(GetDlgItem(sheet, IDCANCEL));
    });
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, "&Properties...");
    EXPECT_EQ(seen[0].id, 105u);
    EXPECT_TRUE(seen[0].isDefault);
    EXPECT_EQ(seen[1].text, "&Delete");
    EXPECT_EQ(seen[1].id, 101u);
    EXPECT_FALSE(seen[1].grayed);
    EXPECT_EQ(seen[0].icon, pluginIcon(galleon.module, IDI_MENU_PROPERTIES));
    EXPECT_EQ(seen[0].activeIcon, pluginIcon(galleon.module, IDI_MENU_PROPERTIES_ACTIVE));
    EXPECT_EQ(seen[1].icon, pluginIcon(galleon.module, IDI_MENU_DELETE));
    EXPECT_EQ(seen[1].activeIcon, pluginIcon(galleon.module, IDI_MENU_DELETE_ACTIVE));
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/sunset.jpg"))) << "Cancel deletes nothing";
}

TEST_F(EditSheetTest, AnsweringNoDeletesNothingAndCopiesNoDroppedFile) {
    makeCollections();
    galleon.writeFile("outside/new.txt", "new file");
    ASSERT_TRUE(openPage(0));
    answers = {IDNO};
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        HWND list = GetDlgItem(files, IDC_FILES_LIST);
        clickRow(list, fileRow(files, "sunset.jpg"));
        click(GetDlgItem(files, IDC_FILES_DELETE));
        clickRow(list, fileRow(files, "beach.jpg"));
        click(GetDlgItem(files, IDC_FILES_DELETE));
        ASSERT_TRUE(dropFiles(files, {galleon.path("outside/new.txt")}));
        click(GetDlgItem(sheet, PSH_IDC_APPLYNOW));
        EXPECT_EQ(rowImage(list, fileRow(files, "sunset.jpg")), 3) << "the marks are cleared";
        EXPECT_EQ(rowImage(list, fileRow(files, "beach.jpg")), 3);
        click(GetDlgItem(sheet, IDCANCEL));
    });
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Are you sure you want to delete the selected files from your collection and move them to the Recycle "
              "Bin?");
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/sunset.jpg")));
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/beach.jpg")));
    EXPECT_FALSE(fs::exists(galleon.path("Collections/Holiday/new.txt")));
}

TEST_F(EditSheetTest, TheFilesListFollowsTheFolderAndShowsSizes) {
    galleon.writeFile("Collections/Sizes/a.bin", std::string(1536, 'a'));
    galleon.writeFile("Collections/Sizes/b.bin", std::string(2048, 'b'));
    galleon.writeFile("Collections/Sizes/c.bin", std::string(1024, 'c'));
    makeCollections();
    ASSERT_TRUE(openPage(0));
    editCollection("Sizes", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        HWND list = GetDlgItem(files, IDC_FILES_LIST);
        auto sizes = [&] {
            std::map<std::string, std::string> m;
            for (auto& r : rows(list)) m[r[0]] = r[1];
            return m;
        };
        EXPECT_EQ(sizes()["a.bin"], "1.5 KB");
        EXPECT_EQ(sizes()["b.bin"], "2 KB");
        EXPECT_EQ(sizes()["c.bin"], "1024  B");
        galleon.writeFile("Collections/Sizes/d.bin", std::string(3 * 1024 * 1024, 'd'));
        EXPECT_TRUE(pumpUntil([&] { return fileRow(files, "d.bin") >= 0; })) << "the store watcher posts 104";
        EXPECT_TRUE(pumpUntil([&] { return sizes()["d.bin"] == "3 MB"; })) << sizes()["d.bin"];
        fs::remove(galleon.path("Collections/Sizes/a.bin"));
        EXPECT_TRUE(pumpUntil([&] { return fileRow(files, "a.bin") < 0; }));
        clickHeader(list, 0);
        clickHeader(list, 0);
        EXPECT_EQ(fileRows(files).front(), "d.bin");
        EXPECT_EQ(headerImage(list, 0), 2);
        resetShellLog();
        click(GetDlgItem(files, IDC_FILES_EXPLORER));
        click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\tfile://" + galleon.path("Collections/Sizes")}));
}


// The size of the JPEG at path, 0 x 0 when it is not one.
std::pair<int, int> jpegSize(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {0, 0};
    gdImagePtr im = gdImageCreateFromJpeg(f);
    std::fclose(f);
    if (!im) return {0, 0};
    std::pair<int, int> size{gdImageSX(im), gdImageSY(im)};
    gdImageDestroy(im);
    return size;
}

TEST_F(EditSheetTest, ThePhotoEditorRenamesAndTurnsAPhoto) {
    makeCollections();
    writeJpeg(galleon.path("Collections/Holiday/beach.jpg"), 60, 40);
    ASSERT_TRUE(openPage(0));
    bool edited = false;
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        clickRow(GetDlgItem(files, IDC_FILES_LIST), fileRow(files, "beach.jpg"));
        whenShownBeside("Edit Collection...", sheet, [&](HWND editor) {
            edited = true;
            EXPECT_EQ(text(GetDlgItem(editor, 10)), "beach.jpg");
            HWND caption = GetDlgItem(editor, 12);
            EXPECT_EQ(text(caption), "beach");
            replaceText(caption, "shore");
            click(GetDlgItem(editor, 102));  // rotate a quarter turn counter-clockwise
            shot(editor, "edit-files-photo-editor");
            click(GetDlgItem(editor, 120));  // OK
        });
        click(GetDlgItem(files, IDC_FILES_EDIT));
        EXPECT_FALSE(besideStepPending());
        EXPECT_TRUE(pumpUntil([&] { return fileRow(files, "shore.jpg") >= 0; }));
        EXPECT_TRUE(pumpUntil([&] { return fileRow(files, "beach.jpg") < 0; }));
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_TRUE(edited);
    EXPECT_FALSE(fs::exists(galleon.path("Collections/Holiday/beach.jpg")));
    EXPECT_FALSE(fs::exists(galleon.path("Collections/Holiday/beach.tmb"))) << "the old thumbnail goes with it";
    EXPECT_EQ(jpegSize(galleon.path("Collections/Holiday/shore.jpg")), (std::pair<int, int>{40, 60})) << "turned";
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/shore.tmb")));
    DWORD attrs = GetFileAttributesA(galleon.path("Collections/Holiday/shore.tmb").c_str());
    EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(EditSheetTest, TheEditorRenamesAFileThatIsNoPhoto) {
    makeCollections();
    ASSERT_TRUE(openPage(0));
    editCollection("Misc", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        clickRow(GetDlgItem(files, IDC_FILES_LIST), fileRow(files, "notes.txt"));
        whenShownBeside("Edit Collection...", sheet, [&](HWND editor) {
            replaceText(GetDlgItem(editor, 12), "memo");
            click(GetDlgItem(editor, 120));
        });
        click(GetDlgItem(files, IDC_FILES_EDIT));
        EXPECT_TRUE(pumpUntil([&] { return fileRow(files, "memo.txt") >= 0; }));
        click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_EQ(galleon.readFile("Collections/Misc/memo.txt"), "notes");
    EXPECT_FALSE(fs::exists(galleon.path("Collections/Misc/notes.txt")));
}

TEST_F(EditSheetTest, AddRunsTheWizardOnTheCollection) {
    makeCollections();
    writeJpeg(galleon.path("outside/garden.jpg"), 50, 30);
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(galleon.waitRunning());
    resetShellLog();
    bool finished = false;
    editCollection("Holiday", [&](HWND sheet) {
        clickTab(sheet, 3);
        HWND files = currentPage(sheet);
        whenShown("Add Collection...", [&](HWND wizard) {
            auto pageName = [&] { return text(currentPage(wizard)); };
            ASSERT_TRUE(pumpUntil([&] { return pageName() == "Add Photos and Files"; })) << pageName();
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wizard, PSH_IDC_BACK))) << "the first page has no Back";
            ASSERT_TRUE(dropFiles(currentPage(wizard), {galleon.path("outside/garden.jpg")}));
            EXPECT_EQ(rows(GetDlgItem(currentPage(wizard), 10)).size(), 1u);
            EXPECT_EQ(text(GetDlgItem(currentPage(wizard), 11)), "1 item selected in your collection");
            auto next = [&](const char* name) {
                HWND button = GetDlgItem(wizard, PSH_IDC_NEXT);
                EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(button) && IsWindowVisible(button); }));
                click(button);
                return pumpUntil([&] { return pageName() == name; });
            };
            ASSERT_TRUE(next("Preview"));
            ASSERT_TRUE(next("Copy Files"));
            ASSERT_TRUE(next("Finish")) << "publishing never ended";
            HWND finish = GetDlgItem(wizard, PSH_IDC_FINISH);
            EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(finish) && IsWindowVisible(finish); }));
            finished = true;
            click(finish);
        });
        click(GetDlgItem(files, IDC_FILES_ADD));
        EXPECT_EQ(pendingSteps(), 0);
        EXPECT_TRUE(pumpUntil([&] { return fileRow(files, "garden.jpg") >= 0; })) << "published into the collection";
        click(GetDlgItem(sheet, IDOK));
    });
    EXPECT_TRUE(finished);
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/garden.jpg")));
    EXPECT_TRUE(fs::exists(galleon.path("Collections/Holiday/garden.tmb")));
    EXPECT_EQ(rows(list())[rowOf("Holiday")][1], "3");
    EXPECT_NE(ini().find("Holiday=Photo"), std::string::npos) << "the type stays";
}

TEST_F(SettingsPageTest, AddSavesTheCollectionTheWizardMade) {
    startGalleon();
    writeJpeg(galleon.path("outside/pond.jpg"), 50, 30);
    galleon.writeFile("outside/list.txt", "list");
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(galleon.waitRunning());
    EXPECT_EQ(rows(list()).size(), 0u);
    bool finished = false;
    whenShown("Add Collection...", [&](HWND wizard) {
        auto pageName = [&] { return text(currentPage(wizard)); };
        ASSERT_TRUE(pumpUntil([&] { return pageName() == "Display Name"; }));
        HWND name = GetDlgItem(currentPage(wizard), 10);
        click(name);
        typeText(name, "Pond Life");
        auto next = [&](const char* page) {
            HWND button = GetDlgItem(wizard, PSH_IDC_NEXT);
            EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(button) && IsWindowVisible(button); }));
            click(button);
            return pumpUntil([&] { return pageName() == page; });
        };
        ASSERT_TRUE(next("Add Photos and Files"));
        ASSERT_TRUE(dropFiles(currentPage(wizard), {galleon.path("outside/pond.jpg"), galleon.path("outside/list.txt")}));
        ASSERT_TRUE(next("Collection Type"));
        EXPECT_EQ(IsDlgButtonChecked(currentPage(wizard), 12), BST_CHECKED) << "a photo and a file: Mixed";
        ASSERT_TRUE(next("Preview"));
        ASSERT_TRUE(next("Password"));
        HWND page = currentPage(wizard);
        click(GetDlgItem(page, 10));
        typeText(GetDlgItem(page, 10), "lilies");
        click(GetDlgItem(page, 11));
        typeText(GetDlgItem(page, 11), "lilies");
        ASSERT_TRUE(next("Copy Files"));
        ASSERT_TRUE(next("Finish"));
        HWND finish = GetDlgItem(wizard, PSH_IDC_FINISH);
        EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(finish) && IsWindowVisible(finish); }));
        finished = true;
        click(finish);
    });
    click(item(IDC_SET_ADD));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    ASSERT_TRUE(finished);
    // Saved on Finish: the type key, the password, and the new row.
    EXPECT_TRUE(pumpUntil([&] { return rowOf("Pond Life") >= 0; }));
    ASSERT_GE(rowOf("Pond Life"), 0);
    EXPECT_EQ(rows(list())[rowOf("Pond Life")], (std::vector<std::string>{"Pond Life", "2", "Mixed"}));
    EXPECT_EQ(rowImage(list(), rowOf("Pond Life")), 4) << "protected";
    EXPECT_NE(galleon.readFile("cradle.ini").find("Pond Life=Mixed"), std::string::npos) << galleon.readFile("cradle.ini");
    EXPECT_EQ(httpGet(galleon.port, "/Pond+Life/").status, 401);
    EXPECT_EQ(httpGet(galleon.port, "/Pond+Life/", basicAuth("system", "lilies")).status, 200);
}

TEST_F(SettingsPageTest, TheWizardsFinishStartsTheServerAndThePageShowsIt) {
    makeCollections("Enable=0\n");
    galleon.writeFile("outside/plan.txt", "plan");
    ASSERT_TRUE(openPage(0));
    ASSERT_TRUE(checked(IDC_SET_STOP));
    whenShown("Add Collection...", [&](HWND wizard) {
        auto pageName = [&] { return text(currentPage(wizard)); };
        ASSERT_TRUE(pumpUntil([&] { return pageName() == "Display Name"; }));
        HWND name = GetDlgItem(currentPage(wizard), 10);
        click(name);
        typeText(name, "Plans");
        auto next = [&](const char* page) {
            HWND button = GetDlgItem(wizard, PSH_IDC_NEXT);
            EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(button) && IsWindowVisible(button); }));
            click(button);
            return pumpUntil([&] { return pageName() == page; });
        };
        ASSERT_TRUE(next("Add Photos and Files"));
        ASSERT_TRUE(dropFiles(currentPage(wizard), {galleon.path("outside/plan.txt")}));
        ASSERT_TRUE(next("Collection Type"));
        ASSERT_TRUE(next("Preview"));
        ASSERT_TRUE(next("Password"));
        click(GetDlgItem(currentPage(wizard), 12));  // public
        ASSERT_TRUE(next("Copy Files"));
        ASSERT_TRUE(next("Finish"));
        EXPECT_EQ(IsDlgButtonChecked(currentPage(wizard), 20), BST_CHECKED) << "Start Photo Server";
        HWND finish = GetDlgItem(wizard, PSH_IDC_FINISH);
        EXPECT_TRUE(pumpUntil([&] { return IsWindowEnabled(finish) && IsWindowVisible(finish); }));
        click(finish);
    });
    click(item(IDC_SET_ADD));
    ASSERT_TRUE(pumpUntil([] { return pendingSteps() == 0; }));
    EXPECT_TRUE(checked(IDC_SET_START)) << "settingsPageServerStarted selects the Start radio";
    EXPECT_FALSE(checked(IDC_SET_STOP));
    EXPECT_TRUE(pumpUntil([&] { return status() == "Running"; })) << status();
    EXPECT_EQ(rows(list())[rowOf("Plans")], (std::vector<std::string>{"Plans", "1", "File"}));
    EXPECT_EQ(httpGet(galleon.port, "/Plans/").status, 200);
    // Nothing changed on the page itself: an Apply asks nothing and stops nothing.
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(httpGet(galleon.port, "/Plans/").status, 200);
}

}  // namespace

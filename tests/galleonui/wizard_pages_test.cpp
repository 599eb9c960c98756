// The first pages of the wizard one by one: the name and its capitals, the
// list of files from the dialog and from drops, and the proposed type.
#include <filesystem>

#include "wizard_fixture.h"
#include "wizard_ids.h"

namespace fs = std::filesystem;
using namespace wizardtest;
using uiinput::click;
using uiinput::text;

namespace {

class WizardPages : public WizardTest {
protected:
    void toFiles(HWND sheet, const std::string& name) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        typeInto(GetDlgItem(currentPage(sheet), IDC_WIZ_NAME_EDIT), name);
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
    }
    static std::vector<std::string> column(HWND list) {
        std::vector<std::string> out;
        for (const auto& row : rows(list)) out.push_back(row.at(0));
        return out;
    }
    static void clickRow(HWND list, int row) {
        RECT r{};
        ListView_GetItemRect(list, row, &r, LVIR_LABEL);
        uiinput::clickAt(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

TEST_F(WizardPages, TheNameGetsCapitalsOnItsFirstAndLastWordsAndOneLetterWords) {
    startWithPage();
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        HWND page = currentPage(sheet);
        HWND edit = GetDlgItem(page, IDC_WIZ_NAME_EDIT);
        EXPECT_EQ(GetFocus(), edit) << "the name is typed at once";
        struct Case {
            const char* typed;
            const char* shown;
        };
        for (const Case& c : {Case{"my wedding photos", "My wedding Photos"}, Case{"summer trip", "Summer Trip"},
                              Case{"paris", "Paris"}, Case{"trip to a lake", "Trip to A Lake"},
                              Case{"photos ", "Photos "}}) {
            typeInto(edit, c.typed);
            EXPECT_EQ(text(edit), c.typed) << "not while typing";
            uiinput::keyTab(edit);
            settle();
            EXPECT_EQ(text(edit), c.shown) << "after leaving the box with " << c.typed;
        }
        // Next capitalises too, and the name is what the later pages use.
        typeInto(edit, "new york");
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        click(backButton(sheet));
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        EXPECT_EQ(text(edit), "New York");
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

TEST_F(WizardPages, ANameThatIsNoFolderOfItsOwnIsRefused) {
    startWithPage();
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        HWND edit = GetDlgItem(currentPage(sheet), IDC_WIZ_NAME_EDIT);
        for (const char* name : {"../Outside", "Port", "Recycle Bin", ".hidden"}) {
            boxes.clear();
            typeInto(edit, name);
            click(nextButton(sheet));
            settle();
            EXPECT_EQ(pageName(sheet), "Display Name") << name;
            ASSERT_EQ(boxes.size(), 1u) << name;
            EXPECT_NE(boxes[0].text.find("cannot be the name of a collection"), std::string::npos) << boxes[0].text;
        }
        click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_FALSE(fs::exists(galleon.path("Outside")));
}

TEST_F(WizardPages, AnExistingCollectionCanBeChosenInsteadOfANewName) {
    startWithPage();
    fs::create_directories(collections() + "Garden");
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        HWND page = currentPage(sheet);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_NAME_EDIT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_NAME_LIST)));
        EXPECT_FALSE(usable(nextButton(sheet)));
        clickMark(GetDlgItem(page, IDC_WIZ_NAME_EXISTING));
        settle();
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_NAME_EDIT)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_NAME_LIST)));
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_NAME_LIST)), "Garden") << "the only one is chosen for the user";
        EXPECT_TRUE(usable(nextButton(sheet)));
        uiinput::screenshot(sheet, "wizard-1-display-name-existing");
        clickMark(GetDlgItem(page, IDC_WIZ_NAME_NEW));
        settle();
        EXPECT_FALSE(usable(nextButton(sheet))) << "the new name is still empty";
        EXPECT_EQ(GetFocus(), GetDlgItem(page, IDC_WIZ_NAME_EDIT));
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

TEST_F(WizardPages, TheSameFileChosenTwiceOrDroppedAgainIsListedOnce) {
    startWithPage();
    std::string beach = makePhoto("beach.jpg");
    std::string notes = makeText("notes.txt");
    std::string upper = makePhoto("BEACH.jpg");
    fs::create_directories(source("folder"));
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toFiles(sheet, "Twice"));
        HWND page = currentPage(sheet);
        HWND list = GetDlgItem(page, IDC_WIZ_FILES_LIST);
        chooseInFileDialog(source(""), {"beach.jpg"});
        click(GetDlgItem(page, IDC_WIZ_FILES_ADD));
        EXPECT_EQ(column(list), (std::vector<std::string>{beach}));
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_FILES_COUNT)), "1 item selected in your collection");

        chooseInFileDialog(source(""), {"beach.jpg"});
        click(GetDlgItem(page, IDC_WIZ_FILES_ADD));
        EXPECT_EQ(dialogDirectory + "/", source("")) << "the next dialog opens where the last file was";
        EXPECT_EQ(column(list), (std::vector<std::string>{beach}));

        ASSERT_TRUE(dropFiles(page, {beach, notes, source("folder")}));
        EXPECT_EQ(column(list), (std::vector<std::string>{beach, notes})) << "the folder is not a file to publish";
        // Another file whose name differs only in case is another file here.
        ASSERT_TRUE(dropFiles(page, {upper}));
        EXPECT_EQ(column(list), (std::vector<std::string>{beach, notes, upper}));
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_FILES_COUNT)), "3 items selected in your collection");
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

TEST_F(WizardPages, RemovingAsksFirstAndSortingSurvivesNewFiles) {
    startWithPage();
    std::string a = makePhoto("a.jpg"), b = makePhoto("b.jpg"), c = makeText("c.txt"), d = makeText("d.txt");
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toFiles(sheet, "Sorting"));
        HWND page = currentPage(sheet);
        HWND list = GetDlgItem(page, IDC_WIZ_FILES_LIST);
        ASSERT_TRUE(dropFiles(page, {b, a, c}));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_FILES_REMOVE)));

        HWND header = ListView_GetHeader(list);
        uiinput::clickAt(header, 20, 8);
        EXPECT_EQ(column(list), (std::vector<std::string>{a, b, c}));
        uiinput::clickAt(header, 20, 8);
        EXPECT_EQ(column(list), (std::vector<std::string>{c, b, a}));
        ASSERT_TRUE(dropFiles(page, {d}));
        EXPECT_EQ(column(list), (std::vector<std::string>{d, c, b, a})) << "the list stays sorted";

        clickRow(list, 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_FILES_REMOVE)));
        answers = {IDNO};
        click(GetDlgItem(page, IDC_WIZ_FILES_REMOVE));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Are you sure you want to remove " + c + " from the Sorting collection?");
        EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(column(list).size(), 4u) << "No keeps the file";

        clickRow(list, 1);
        click(GetDlgItem(page, IDC_WIZ_FILES_REMOVE));  // answered yes
        EXPECT_EQ(column(list), (std::vector<std::string>{d, b, a}));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_FILES_REMOVE)));

        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        settle();
        click(GetDlgItem(page, IDC_WIZ_FILES_REMOVE));
        ASSERT_EQ(boxes.size(), 3u);
        EXPECT_EQ(boxes[2].text, "Are you sure you want to remove the selected files from the Sorting collection?");
        EXPECT_EQ(column(list), (std::vector<std::string>{b}));

        ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        settle();
        click(GetDlgItem(page, IDC_WIZ_FILES_REMOVE));
        EXPECT_TRUE(column(list).empty());
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_FILES_COUNT)), "");
        EXPECT_TRUE(usable(backButton(sheet)));
        EXPECT_FALSE(usable(nextButton(sheet))) << "nothing left to publish";
        EXPECT_TRUE(fs::exists(a) && fs::exists(c)) << "removing never touches the files";
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

// The proposal of the Collection Type page from what the files are.
struct TypeCase {
    const char* name;
    std::vector<std::string> files;  // ".jpg" names are photos, others text
    int radio;
    bool reduceEnabled;
};

class WizardTypeProposal : public WizardPages, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(WizardTypeProposal, ComesFromWhatTheFilesAre) {
    const TypeCase& t = GetParam();
    startWithPage();
    std::vector<std::string> paths;
    for (const std::string& f : t.files)
        paths.push_back(f.size() > 4 && f.substr(f.size() - 4) == ".jpg" ? makePhoto(f) : makeText(f));
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toFiles(sheet, t.name));
        ASSERT_TRUE(dropFiles(currentPage(sheet), paths));
        // A file that went away after it was chosen cannot be read: it does not count.
        for (const std::string& p : paths)
            if (fs::path(p).filename().string().rfind("gone", 0) == 0) fs::remove(p);
        ASSERT_TRUE(nextTo(sheet, "Collection Type"));
        HWND page = currentPage(sheet);
        for (int radio : {IDC_WIZ_TYPE_PHOTO, IDC_WIZ_TYPE_FILE, IDC_WIZ_TYPE_MIXED})
            EXPECT_EQ(IsDlgButtonChecked(page, radio) == BST_CHECKED, radio == t.radio) << "radio " << radio;
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_TYPE_REDUCE)) != 0, t.reduceEnabled);
        EXPECT_TRUE(usable(backButton(sheet)) && usable(nextButton(sheet)));
        uiinput::screenshot(sheet, std::string("wizard-3-collection-type-") + t.name);
        // Choosing another type follows the same rule for the reduce box.
        clickMark(GetDlgItem(page, IDC_WIZ_TYPE_FILE));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_TYPE_REDUCE)));
        clickMark(GetDlgItem(page, IDC_WIZ_TYPE_MIXED));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_TYPE_REDUCE)));
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

INSTANTIATE_TEST_SUITE_P(
    Files, WizardTypeProposal,
    ::testing::Values(TypeCase{"photos", {"one.jpg", "two.jpg"}, IDC_WIZ_TYPE_PHOTO, true},
                      TypeCase{"texts", {"one.txt", "two.txt"}, IDC_WIZ_TYPE_FILE, false},
                      TypeCase{"mixed", {"one.jpg", "two.txt"}, IDC_WIZ_TYPE_MIXED, true},
                      TypeCase{"unreadable", {"one.jpg", "gone.txt"}, IDC_WIZ_TYPE_PHOTO, true}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// Help: the wizard's Help button opens the page's topic, F1 on a control its pop-up.
TEST_F(WizardPages, HelpShowsThePagesTopicAndTheControlsPopUp) {
    std::string record = galleon.path("help-record.txt");
    setenv("SUITE_HELP_RECORD", record.c_str(), 1);
    startWithPage();
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        HWND page = currentPage(sheet);
        click(GetDlgItem(sheet, IDHELP));
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = IDC_WIZ_NAME_EDIT;
        info.hItemHandle = GetDlgItem(page, IDC_WIZ_NAME_EDIT);
        SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        click(GetDlgItem(sheet, IDCANCEL));
    });
    unsetenv("SUITE_HELP_RECORD");
    std::string lines = galleon.readFile("help-record.txt");
    EXPECT_NE(lines.find("wizard.html#name"), std::string::npos) << lines;
    EXPECT_NE(lines.find("The name of the new collection"), std::string::npos) << lines;
}

}  // namespace

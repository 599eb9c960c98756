// Cancelling the wizard once publishing has begun: the user is asked, "No"
// lets publishing go on, "Yes" takes out every file the run made and the
// collection's folder, so no half collection is left to be served.
#include <filesystem>

#include "wizard_fixture.h"
#include "wizard_ids.h"

namespace fs = std::filesystem;
using namespace wizardtest;
using uiinput::click;
using uiinput::text;

namespace {

const char* const CANCEL_QUESTION = "Are you sure you want to cancel creation of your collection?";

class WizardCancel : public WizardTest {
protected:
    // Goes from the first page to Copy Files with the given photos, public.
    void toCopyFiles(HWND sheet, const std::string& name, const std::vector<std::string>& photos) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        typeInto(GetDlgItem(currentPage(sheet), IDC_WIZ_NAME_EDIT), name);
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        std::vector<std::string> paths;
        for (const std::string& p : photos) paths.push_back(makePhoto(p, 320, 240));
        ASSERT_TRUE(dropFiles(currentPage(sheet), paths));
        ASSERT_TRUE(nextTo(sheet, "Collection Type"));
        ASSERT_TRUE(nextTo(sheet, "Preview"));
        ASSERT_TRUE(nextTo(sheet, "Password"));
        clickMark(GetDlgItem(currentPage(sheet), IDC_WIZ_PASSWORD_PUBLIC));
        ASSERT_TRUE(nextTo(sheet, "Copy Files"));
    }
    static int published(const std::string& dir) {
        int n = 0;
        if (fs::is_directory(dir))
            for (const auto& e : fs::directory_iterator(dir)) n += e.path().extension() == ".jpg";
        return n;
    }
};

TEST_F(WizardCancel, DuringPublishingNoGoesOnAndYesRemovesWhatWasPublished) {
    startWithPage();
    std::string dir = collections() + "Trip";
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toCopyFiles(sheet, "Trip", {"one.jpg", "two.jpg", "three.jpg"}));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return published(dir) == 1; }, 5000));

        answers = {IDNO};
        click(GetDlgItem(sheet, IDCANCEL));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, CANCEL_QUESTION);
        EXPECT_EQ(boxes[0].caption, "photo");
        EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(pageName(sheet), "Copy Files") << "the wizard stays";
        EXPECT_TRUE(uiinput::pumpUntil([&] { return published(dir) == 2; }, 5000)) << "publishing goes on";

        answers = {IDYES};
        click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_FALSE(fs::exists(dir)) << "the folder the run made is gone with its photos and thumbnails";
    EXPECT_EQ(galleon.readFile("cradle.ini").find("Trip="), std::string::npos) << "nothing was saved";
}

TEST_F(WizardCancel, AnExistingCollectionKeepsItsFolderAndItsOwnFiles) {
    startWithPage();
    std::string dir = collections() + "Garden";
    fs::create_directories(dir);
    writePhoto(dir + "/rose.jpg", 200, 150);
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toCopyFiles(sheet, "Garden", {"tulip.jpg"}));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 5000));
        EXPECT_TRUE(fs::exists(dir + "/tulip.jpg"));
        click(GetDlgItem(sheet, IDCANCEL));  // answered yes
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(fs::exists(dir + "/tulip.jpg"));
    EXPECT_FALSE(fs::exists(dir + "/tulip.tmb"));
    EXPECT_TRUE(fs::exists(dir + "/rose.jpg")) << "what was there before stays";
}

// After publishing, the Finish page's Cancel is still a cancel: the
// collection would otherwise stay on the server without the password and
// type the user chose, since only Finish saves them.
TEST_F(WizardCancel, OnTheFinishPageItTakesThePublishedFilesOutToo) {
    startWithPage();
    std::string dir = collections() + "Party";
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toCopyFiles(sheet, "Party", {"cake.jpg"}));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 5000));
        ASSERT_TRUE(nextTo(sheet, "Finish"));
        answers = {IDNO};
        click(GetDlgItem(sheet, IDCANCEL));
        EXPECT_EQ(pageName(sheet), "Finish") << "No keeps the wizard open";
        EXPECT_TRUE(fs::exists(dir + "/cake.jpg"));
        answers = {IDYES};
        click(GetDlgItem(sheet, IDCANCEL));
    });
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, CANCEL_QUESTION);
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(shellOpened().empty());
}

TEST_F(WizardCancel, BeforePublishingNothingIsAskedAndNothingIsLeft) {
    startWithPage();
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        typeInto(GetDlgItem(currentPage(sheet), IDC_WIZ_NAME_EDIT), "Empty");
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        click(GetDlgItem(sheet, IDCANCEL));
    });
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(fs::exists(collections() + "Empty"));
}

}  // namespace

// The Password and Finish pages: what the password page refuses and says,
// an existing collection's password filled in, and what Finish starts and
// opens.
#include <filesystem>

#include "wizard_fixture.h"
#include "wizard_ids.h"

namespace fs = std::filesystem;
using namespace wizardtest;
using uiinput::click;
using uiinput::text;

namespace {

class WizardLastPages : public WizardTest {
protected:
    // From the first page to Password with one photo and one text file.
    void toPassword(HWND sheet, const std::string& name, bool existing = false) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        HWND page = currentPage(sheet);
        if (existing) clickMark(GetDlgItem(page, IDC_WIZ_NAME_EXISTING));
        else typeInto(GetDlgItem(page, IDC_WIZ_NAME_EDIT), name);
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        ASSERT_TRUE(dropFiles(currentPage(sheet), {makePhoto("one.jpg", 320, 240), makeText("two.txt")}));
        ASSERT_TRUE(nextTo(sheet, "Collection Type"));
        ASSERT_TRUE(nextTo(sheet, "Preview"));
        ASSERT_TRUE(nextTo(sheet, "Password"));
    }
    void tryPassword(HWND sheet, const std::string& password, const std::string& confirm) {
        HWND page = currentPage(sheet);
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT), password);
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_CONFIRM), confirm);
        click(nextButton(sheet));
        settle();
    }
    static std::string errorShown(HWND page) {
        if (!IsWindowVisible(GetDlgItem(page, IDC_WIZ_ERROR_TEXT))) return "";
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_WIZ_ERROR_ICON)));
        return text(GetDlgItem(page, IDC_WIZ_ERROR_TEXT));
    }
};

const char* const MISMATCH =
    "The passwords you have entered do not match. Please ensure that both password entered are identical.";
const char* const TOO_SHORT = "For security, you must enter a password that is at least 5 characters in length.";

TEST_F(WizardLastPages, ThePasswordPageRefusesMismatchesFirstThenShortAndLongPasswords) {
    startWithPage();
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toPassword(sheet, "Private"));
        HWND page = currentPage(sheet);
        EXPECT_TRUE(usable(backButton(sheet)));
        EXPECT_FALSE(usable(nextButton(sheet)));
        EXPECT_EQ(errorShown(page), "");
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT), "abcde");
        settle();
        EXPECT_FALSE(usable(nextButton(sheet))) << "the confirmation is still empty";

        struct Case {
            const char *password, *confirm, *error;
        };
        for (const Case& c : {Case{"abc", "abd", MISMATCH}, Case{"abcd", "abcd", TOO_SHORT},
                              Case{"Abcde", "abcde", MISMATCH},
                              Case{"sixteen-letters!", "sixteen-letters!",
                                   "Your password can be at most 15 characters in length."}}) {
            SCOPED_TRACE(c.password);
            tryPassword(sheet, c.password, c.confirm);
            EXPECT_EQ(pageName(sheet), "Password");
            EXPECT_EQ(errorShown(page), c.error);
            EXPECT_EQ(GetFocus(), GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT));
        }
        uiinput::screenshot(sheet, "wizard-5-password-error");

        // Coming back hides the error; a public collection needs no password.
        click(backButton(sheet));
        ASSERT_TRUE(waitForPage(sheet, "Preview"));
        ASSERT_TRUE(nextTo(sheet, "Password"));
        EXPECT_EQ(errorShown(page), "");
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT), "");
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_CONFIRM), "");
        settle();
        EXPECT_FALSE(usable(nextButton(sheet)));
        clickMark(GetDlgItem(page, IDC_WIZ_PASSWORD_PUBLIC));
        settle();
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_PASSWORD_CONFIRM)));
        EXPECT_TRUE(usable(nextButton(sheet)));
        clickMark(GetDlgItem(page, IDC_WIZ_PASSWORD_PUBLIC));
        settle();
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT)));
        EXPECT_FALSE(usable(nextButton(sheet)));

        tryPassword(sheet, "fifteen-letters", "fifteen-letters");
        EXPECT_TRUE(waitForPage(sheet, "Copy Files"));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 5000));
        ASSERT_TRUE(nextTo(sheet, "Finish"));
        clickMark(GetDlgItem(page = currentPage(sheet), IDC_FINISH_PREVIEW));
        click(finishButton(sheet));
    });
    // The longest password the store keeps opens the collection as typed.
    EXPECT_EQ(galleonui::httpGet(galleon.port, "/Private/", galleonui::basicAuth("x", "fifteen-letters")).status, 200);
    EXPECT_TRUE(shellOpened().empty()) << "the preview box was cleared";
}

TEST_F(WizardLastPages, AddingToAProtectedCollectionKeepsItsPassword) {
    fs::create_directories(galleon.path("Collections/Garden"));
    galleon.writeUserDatabase("Garden", "rosebed");
    startWithPage();
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toPassword(sheet, "Garden", true));
        HWND page = currentPage(sheet);
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT)), "rosebed");
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_PASSWORD_CONFIRM)), "rosebed");
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_WIZ_PASSWORD_PUBLIC), BST_UNCHECKED);
        EXPECT_TRUE(usable(nextButton(sheet)));
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

TEST_F(WizardLastPages, FinishStartsAStoppedServerAndOpensTheCollection) {
    startWithPage("Enable=0");
    EXPECT_EQ(IsDlgButtonChecked(page_, 14), BST_CHECKED) << "the page shows the server stopped";
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toPassword(sheet, "Mixed Bag"));
        clickMark(GetDlgItem(currentPage(sheet), IDC_WIZ_PASSWORD_PUBLIC));
        ASSERT_TRUE(nextTo(sheet, "Copy Files"));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 5000));
        ASSERT_TRUE(nextTo(sheet, "Finish"));
        HWND page = currentPage(sheet);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_FINISH_START)));
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_FINISH_START), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_FINISH_PREVIEW), BST_CHECKED);
        EXPECT_FALSE(usable(nextButton(sheet)));
        EXPECT_FALSE(usable(backButton(sheet)));
        uiinput::screenshot(sheet, "wizard-8-finish-server-stopped");

        clickMark(GetDlgItem(page, IDC_FINISH_START));
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_FINISH_PREVIEW), BST_UNCHECKED) << "no preview without the server";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_FINISH_PREVIEW)));
        clickMark(GetDlgItem(page, IDC_FINISH_START));
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_FINISH_PREVIEW), BST_CHECKED);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_FINISH_PREVIEW)));
        click(finishButton(sheet));
    });
    EXPECT_EQ(galleonui::httpGet(galleon.port, "/Mixed+Bag/").status, 200) << "the server was started and listens";
    EXPECT_EQ(IsDlgButtonChecked(page_, 13), BST_CHECKED) << "the Settings page shows it running";
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\thttp://localhost:" + std::to_string(galleon.port) +
                                                       "/Mixed+Bag/?list=icons"}));
    EXPECT_NE(galleon.readFile("cradle.ini").find("Mixed Bag=Mixed"), std::string::npos);
}

TEST_F(WizardLastPages, FinishWithoutStartingLeavesTheServerStopped) {
    startWithPage("Enable=0");
    runWizard([&](HWND sheet) {
        ASSERT_NO_FATAL_FAILURE(toPassword(sheet, "Quiet"));
        clickMark(GetDlgItem(currentPage(sheet), IDC_WIZ_PASSWORD_PUBLIC));
        ASSERT_TRUE(nextTo(sheet, "Copy Files"));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 5000));
        ASSERT_TRUE(nextTo(sheet, "Finish"));
        clickMark(GetDlgItem(currentPage(sheet), IDC_FINISH_START));
        click(finishButton(sheet));
    });
    EXPECT_EQ(galleonui::httpGet(galleon.port, "/Quiet/").status, 0) << "nothing listens";
    EXPECT_EQ(IsDlgButtonChecked(page_, 14), BST_CHECKED);
    EXPECT_TRUE(shellOpened().empty());
    EXPECT_TRUE(fs::exists(collections() + "Quiet/one.jpg"));
}

}  // namespace

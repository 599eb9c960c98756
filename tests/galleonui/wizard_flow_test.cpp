// The whole wizard as a user goes through it: a password-protected photo
// collection of three photos, one turned and one mirrored on the Preview
// page, published reduced with thumbnails and then fetched over HTTP.
#include <QToolTip>

#include <filesystem>

#include "wizard_fixture.h"
#include "wizard_ids.h"

namespace fs = std::filesystem;
using namespace wizardtest;
using uiinput::click;
using uiinput::screenshot;
using uiinput::text;

namespace {

// The preview control's picture as the user sees it.
Quadrants previewShows(HWND page) {
    gdImagePtr im = snapshotImage(GetDlgItem(page, IDC_PREVIEW_IMAGE));
    Quadrants q = quadrantsOfPicture(im);
    if (im) gdImageDestroy(im);
    return q;
}

class WizardFlow : public WizardTest {};

TEST_F(WizardFlow, APasswordProtectedPhotoCollectionIsPublishedReducedTurnedAndMirrored) {
    startWithPage();
    makePhoto("beach.jpg");
    makePhoto("harbour.jpg");
    makePhoto("market.jpg");

    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        HWND page = currentPage(sheet);
        EXPECT_FALSE(usable(nextButton(sheet))) << "no name yet";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_WIZ_NAME_EXISTING))) << "there is no collection to add to";
        typeInto(GetDlgItem(page, IDC_WIZ_NAME_EDIT), "holiday");
        settle();
        EXPECT_TRUE(usable(nextButton(sheet)));
        screenshot(sheet, "wizard-1-display-name");

        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        page = currentPage(sheet);
        EXPECT_TRUE(usable(backButton(sheet)));
        EXPECT_FALSE(usable(nextButton(sheet))) << "no files yet";
        chooseInFileDialog(source(""), {"beach.jpg", "harbour.jpg", "market.jpg"});
        click(GetDlgItem(page, IDC_WIZ_FILES_ADD));
        settle();
        EXPECT_EQ(dialogDirectory, "/") << "the first dialog opens at the root";
        EXPECT_EQ(dialogFilters, (std::vector<std::string>{"JPEG Files (*.jpg *.jpeg)", "All Files (*)"}));
        auto listed = rows(GetDlgItem(page, IDC_WIZ_FILES_LIST));
        EXPECT_EQ(listed, (std::vector<std::vector<std::string>>{
                              {source("beach.jpg")}, {source("harbour.jpg")}, {source("market.jpg")}}));
        EXPECT_EQ(text(GetDlgItem(page, IDC_WIZ_FILES_COUNT)), "3 items selected in your collection");
        EXPECT_TRUE(usable(nextButton(sheet)));
        screenshot(sheet, "wizard-2-add-photos-and-files");

        ASSERT_TRUE(nextTo(sheet, "Collection Type"));
        page = currentPage(sheet);
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_WIZ_TYPE_PHOTO), BST_CHECKED) << "three photos make a photo collection";
        clickMark(GetDlgItem(page, IDC_WIZ_TYPE_REDUCE));
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_WIZ_TYPE_REDUCE), BST_CHECKED);
        screenshot(sheet, "wizard-3-collection-type");

        ASSERT_TRUE(nextTo(sheet, "Preview"));
        page = currentPage(sheet);
        EXPECT_EQ(text(GetDlgItem(page, IDC_PREVIEW_FILE)), "beach.jpg");
        EXPECT_EQ(text(GetDlgItem(page, IDC_PREVIEW_CAPTION)), "beach");
        EXPECT_EQ(previewShows(page), UPRIGHT) << describe(previewShows(page));
        // The rotate button's tip, from the tooltip module's hook.
        hover(GetDlgItem(page, IDC_PREVIEW_ROTATE));
        EXPECT_TRUE(uiinput::pumpUntil([] { return QToolTip::isVisible(); }, 3000)) << "no tooltip";
        EXPECT_EQ(QToolTip::text().toStdString(), "Rotate photo counter-clockwise 90\u00B0");
        click(GetDlgItem(page, IDC_PREVIEW_ROTATE));
        EXPECT_EQ(previewShows(page), TURNED_LEFT) << describe(previewShows(page));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_PREVIEW_ROTATE)));
        screenshot(sheet, "wizard-4-preview");

        click(GetDlgItem(page, IDC_PREVIEW_NEXT));
        EXPECT_EQ(text(GetDlgItem(page, IDC_PREVIEW_FILE)), "harbour.jpg");
        click(GetDlgItem(page, IDC_PREVIEW_FLIP_H));
        EXPECT_EQ(previewShows(page), MIRRORED) << describe(previewShows(page));
        click(GetDlgItem(page, IDC_PREVIEW_NEXT));
        EXPECT_EQ(text(GetDlgItem(page, IDC_PREVIEW_FILE)), "market.jpg");
        typeInto(GetDlgItem(page, IDC_PREVIEW_CAPTION), "market-day");

        ASSERT_TRUE(nextTo(sheet, "Password"));
        page = currentPage(sheet);
        EXPECT_FALSE(usable(nextButton(sheet))) << "no password yet";
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_EDIT), "secret1");
        typeInto(GetDlgItem(page, IDC_WIZ_PASSWORD_CONFIRM), "secret1");
        settle();
        EXPECT_TRUE(usable(nextButton(sheet)));
        screenshot(sheet, "wizard-5-password");

        ASSERT_TRUE(nextTo(sheet, "Copy Files"));
        page = currentPage(sheet);
        EXPECT_FALSE(usable(nextButton(sheet))) << "publishing has only begun";
        EXPECT_FALSE(usable(backButton(sheet)));
        EXPECT_EQ(text(GetDlgItem(page, IDC_COPY_ACTION)), "Preparing Collection...");
        EXPECT_EQ(text(GetDlgItem(page, IDC_COPY_STATUS)), "0/3 files (0% complete)");
        ASSERT_TRUE(uiinput::pumpUntil([&] { return text(GetDlgItem(page, IDC_COPY_STATUS)) == "1/3 files (33% complete)"; },
                                       5000));
        screenshot(sheet, "wizard-6-copy-files-publishing");
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 10000)) << "publishing never ended";
        EXPECT_EQ(text(GetDlgItem(page, IDC_COPY_ACTION)), "Complete");
        EXPECT_EQ(text(GetDlgItem(page, IDC_COPY_STATUS)), "3/3 files (100% complete)");
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_COPY_PROGRESS, PBM_GETPOS, 0, 0), 6);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_WIZ_ERROR_TEXT))) << text(GetDlgItem(page, IDC_WIZ_ERROR_TEXT));
        screenshot(sheet, "wizard-7-copy-files-complete");

        ASSERT_TRUE(nextTo(sheet, "Finish"));
        page = currentPage(sheet);
        EXPECT_TRUE(usable(finishButton(sheet)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_FINISH_START))) << "the server runs already";
        EXPECT_EQ(IsDlgButtonChecked(page, IDC_FINISH_PREVIEW), BST_CHECKED);
        screenshot(sheet, "wizard-8-finish");
        click(finishButton(sheet));
    });

    // The Settings page saved the collection, and the browser was asked to show it.
    EXPECT_NE(galleon.readFile("cradle.ini").find("Holiday=Photo"), std::string::npos) << galleon.readFile("cradle.ini");
    EXPECT_EQ(shellOpened(), (std::vector<std::string>{"open\thttp://localhost:" + std::to_string(galleon.port) +
                                                       "/Holiday/?list=filmstrip&sortcol=name&sortdir=asc"}));

    int port = galleon.port;
    EXPECT_EQ(galleonui::httpGet(port, "/Holiday/").status, 401) << "the collection needs its password";
    std::string auth = galleonui::basicAuth("visitor", "secret1");
    EXPECT_EQ(galleonui::httpGet(port, "/Holiday/", auth).status, 200);
    EXPECT_EQ(galleonui::httpGet(port, "/Holiday/", galleonui::basicAuth("visitor", "secret2")).status, 401);

    struct Expected {
        std::string file;
        int w, h;
        Quadrants q;
    };
    for (const Expected& e : {Expected{"beach", 480, 640, TURNED_LEFT}, Expected{"harbour", 640, 480, MIRRORED},
                              Expected{"market-day", 640, 480, UPRIGHT}}) {
        SCOPED_TRACE(e.file);
        auto photo = galleonui::httpGet(port, "/Holiday/" + e.file + ".jpg", auth);
        ASSERT_EQ(photo.status, 200);
        int w = 0, h = 0;
        EXPECT_EQ(quadrantsOfJpeg(photo.body, &w, &h), e.q) << describe(quadrantsOfJpeg(photo.body));
        EXPECT_EQ(w, e.w) << "reduced to at most 640 x 480";
        EXPECT_EQ(h, e.h);
        EXPECT_TRUE(fs::exists(collections() + "Holiday/" + e.file + ".tmb")) << "made while publishing";
        auto thumb = galleonui::httpGet(port, "/cif:/Holiday/" + e.file + ".jpg", auth);
        ASSERT_EQ(thumb.status, 200);
        EXPECT_EQ(quadrantsOfJpeg(thumb.body, &w, &h), e.q) << describe(quadrantsOfJpeg(thumb.body));
        EXPECT_EQ(std::max(w, h), 94);
    }
    EXPECT_FALSE(fs::exists(collections() + "Holiday/market.jpg")) << "published under its new caption";
}

}  // namespace

// The Preview page: the four buttons and their tips, what the picture shows
// after each, captions (kept, dropped, made safe as file names), and files
// that are no photos.
#include <QToolTip>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "wizard_fixture.h"
#include "wizard_ids.h"

namespace fs = std::filesystem;
using namespace wizardtest;
using uiinput::click;
using uiinput::text;

namespace {

constexpr Quadrants HALF_TURN{YELLOW, BLUE, GREEN, RED};
constexpr Quadrants THREE_QUARTERS{BLUE, RED, YELLOW, GREEN};
constexpr Quadrants MIRRORED_DOWN{BLUE, YELLOW, RED, GREEN};  // top to bottom

Quadrants previewShows(HWND page) {
    gdImagePtr im = snapshotImage(GetDlgItem(page, IDC_PREVIEW_IMAGE));
    Quadrants q = quadrantsOfPicture(im);
    if (im) gdImageDestroy(im);
    return q;
}

Quadrants fileShows(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return quadrantsOfJpeg(bytes.str());
}

class WizardPreview : public WizardTest {};

TEST_F(WizardPreview, ButtonsTurnAndMirrorThePictureAndCaptionsBecomeSafeFileNames) {
    startWithPage();
    std::string p1 = makePhoto("p1.jpg", 320, 240), p2 = makePhoto("p2.jpg", 320, 240);
    std::string notes = makeText("notes.txt"), gone = makePhoto("gone.jpg", 320, 240);
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        typeInto(GetDlgItem(currentPage(sheet), IDC_WIZ_NAME_EDIT), "Turns");
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        ASSERT_TRUE(dropFiles(currentPage(sheet), {p1, p2, notes, gone}));
        fs::remove(gone);
        ASSERT_TRUE(nextTo(sheet, "Collection Type"));
        ASSERT_TRUE(nextTo(sheet, "Preview"));
        HWND page = currentPage(sheet);
        auto button = [page](int id) { return GetDlgItem(page, id); };
        HWND caption = button(IDC_PREVIEW_CAPTION);
        EXPECT_TRUE(IsWindowEnabled(button(IDC_PREVIEW_NEXT)) && IsWindowEnabled(button(IDC_PREVIEW_PREVIOUS)));
        EXPECT_EQ(GetFocus(), caption);

        for (auto [id, tip] : {std::pair{IDC_PREVIEW_ROTATE, "Rotate photo counter-clockwise 90\u00B0"},
                               std::pair{IDC_PREVIEW_FLIP_H, "Flip photo horizontally"},
                               std::pair{IDC_PREVIEW_FLIP_V, "Flip photo vertically"},
                               std::pair{IDC_PREVIEW_RESTORE, "Restore original photo"}}) {
            hover(button(id));
            EXPECT_TRUE(uiinput::pumpUntil([t = std::string(tip)] {
                return QToolTip::isVisible() && QToolTip::text().toStdString() == t;
            }, 3000)) << "tip of " << id << " was " << QToolTip::text().toStdString();
        }

        // Four quarter turns come back to the start.
        for (const Quadrants& q : {TURNED_LEFT, HALF_TURN, THREE_QUARTERS, UPRIGHT}) {
            click(button(IDC_PREVIEW_ROTATE));
            EXPECT_EQ(previewShows(page), q) << describe(previewShows(page));
        }
        click(button(IDC_PREVIEW_FLIP_V));
        EXPECT_EQ(previewShows(page), MIRRORED_DOWN) << describe(previewShows(page));
        typeInto(caption, "../p1 up");
        click(button(IDC_PREVIEW_NEXT));

        EXPECT_EQ(text(button(IDC_PREVIEW_FILE)), "p2.jpg");
        typeInto(caption, "kept");
        click(button(IDC_PREVIEW_ROTATE));
        EXPECT_EQ(text(caption), "kept") << "a button does not take the typing back";
        click(button(IDC_PREVIEW_FLIP_H));
        click(button(IDC_PREVIEW_FLIP_V));
        EXPECT_EQ(previewShows(page), THREE_QUARTERS) << "a turn, then both mirrors: " << describe(previewShows(page));
        click(button(IDC_PREVIEW_RESTORE));
        EXPECT_EQ(previewShows(page), UPRIGHT) << describe(previewShows(page));
        typeInto(caption, "lost");
        click(button(IDC_PREVIEW_PREVIOUS));
        EXPECT_EQ(text(button(IDC_PREVIEW_FILE)), "p1.jpg");
        EXPECT_EQ(text(caption), "_p1 up") << "stored without the leading dots and the separator";
        click(button(IDC_PREVIEW_NEXT));
        EXPECT_EQ(text(caption), "kept") << "<< Previous does not store the caption";

        click(button(IDC_PREVIEW_NEXT));
        EXPECT_EQ(text(button(IDC_PREVIEW_FILE)), "notes.txt");
        EXPECT_TRUE(IsWindowEnabled(button(IDC_PREVIEW_ROTATE))) << "the file's icon is a picture";
        uiinput::screenshot(sheet, "wizard-4-preview-file");
        click(button(IDC_PREVIEW_NEXT));
        EXPECT_EQ(text(button(IDC_PREVIEW_FILE)), "gone.jpg");
        EXPECT_TRUE(IsWindowEnabled(button(IDC_PREVIEW_ROTATE))) << "a file that went away shows its type's icon";
        uiinput::screenshot(sheet, "wizard-4-preview-missing-file");
        click(button(IDC_PREVIEW_NEXT));
        EXPECT_EQ(text(button(IDC_PREVIEW_FILE)), "p1.jpg") << "Next >> wraps to the first";

        ASSERT_TRUE(nextTo(sheet, "Password"));
        clickMark(GetDlgItem(currentPage(sheet), IDC_WIZ_PASSWORD_PUBLIC));
        ASSERT_TRUE(nextTo(sheet, "Copy Files"));
        ASSERT_TRUE(uiinput::pumpUntil([&] { return usable(nextButton(sheet)); }, 10000));
        ASSERT_TRUE(nextTo(sheet, "Finish"));
        clickMark(GetDlgItem(currentPage(sheet), IDC_FINISH_PREVIEW));
        click(finishButton(sheet));
    });
    std::string dir = collections() + "Turns/";
    EXPECT_EQ(fileShows(dir + "_p1 up.jpg"), MIRRORED_DOWN) << describe(fileShows(dir + "_p1 up.jpg"));
    EXPECT_EQ(fileShows(dir + "kept.jpg"), UPRIGHT) << describe(fileShows(dir + "kept.jpg"));
    EXPECT_TRUE(fs::exists(dir + "notes.txt"));
    EXPECT_FALSE(fs::exists(dir + "gone.jpg"));
    EXPECT_FALSE(fs::exists(collections() + "p1 up.jpg")) << "nothing outside the collection";
}

TEST_F(WizardPreview, OneItemHasNoPreviousOrNext) {
    startWithPage();
    std::string only = makePhoto("only.jpg", 200, 400);
    runWizard([&](HWND sheet) {
        ASSERT_TRUE(waitForPage(sheet, "Display Name"));
        typeInto(GetDlgItem(currentPage(sheet), IDC_WIZ_NAME_EDIT), "Single");
        ASSERT_TRUE(nextTo(sheet, "Add Photos and Files"));
        ASSERT_TRUE(dropFiles(currentPage(sheet), {only}));
        ASSERT_TRUE(nextTo(sheet, "Collection Type"));
        ASSERT_TRUE(nextTo(sheet, "Preview"));
        HWND page = currentPage(sheet);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_PREVIEW_NEXT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_PREVIEW_PREVIOUS)));
        EXPECT_TRUE(usable(backButton(sheet)) && usable(nextButton(sheet)));
        EXPECT_EQ(previewShows(page), UPRIGHT) << "a tall photo fits the box too";
        click(GetDlgItem(sheet, IDCANCEL));
    });
}

}  // namespace

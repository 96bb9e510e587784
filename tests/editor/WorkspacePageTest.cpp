// The "Workspace" page: the editor font and colours it shows, checks and stores.
#include <windows.h>

#include <string>

#include "base/AppState.h"
#include "editor/DisplayOptions.h"
#include "editor/WorkspacePage.h"
#include "support/TestSupport.h"

namespace {

class WorkspacePageTest : public KeltoTest {
protected:
    DisplayOptions saved;
    void SetUp() override {
        KeltoTest::SetUp();
        saved = g_display;
        // The empty font name of the settings is Courier; style bit 4 is one the page does not show.
        g_display = {0x808080, 192, 0, 0xFFFFFF, "", -13, 4, 48, saved.subScroll};
    }
    void TearDown() override {
        if (g_app->editorFont)
            DeleteObject(static_cast<HFONT>(g_app->editorFont));
        g_display = saved;
        KeltoTest::TearDown();
    }
};

TEST_F(WorkspacePageTest, ColoursAreThreeNumbersUpTo255) {
    EXPECT_EQ("0,128,255", ColourText(RGB(0, 128, 255)));
    struct Case { const char *text; bool valid; unsigned long colour; };
    const Case cases[] = {{"192,0,0", true, 192},       {" 1, 2 ,3 ", true, RGB(1, 2, 3)}, {"255,255,255", true, 0xFFFFFF},
                          {"256,0,0", false, 0},        {"-1,0,0", false, 0},              {"1,2", false, 0},
                          {"1,2,3,4", false, 0},        {"1,,3", false, 0},                {"a,b,c", false, 0},
                          {"", false, 0}};
    for (const Case &c : cases) {
        unsigned long colour = 77;
        EXPECT_EQ(c.valid, ParseColour(c.text, &colour)) << c.text;
        EXPECT_EQ(c.valid ? c.colour : 77, colour) << c.text;
    }
}

TEST_F(WorkspacePageTest, OkStoresValidValuesAndMakesTheFontAgain) {
    WorkspacePage opened = OpenWorkspacePage();
    EXPECT_EQ("Courier|13|0,0,0|255,255,255|128,128,128|192,0,0",
              opened.fontName + "|" + opened.fontHeight + "|" + opened.colours[0] + "|" + opened.colours[1] + "|" +
                  opened.colours[2] + "|" + opened.colours[3]);

    // Refused: nothing changes, and the user is told which value is wrong.
    WorkspacePage page = opened;
    page.colours[kWorkspaceBackground] = "0,0,0";
    for (const char *height : {"3", "201", "12pt", ""}) {
        page.fontHeight = height;
        EXPECT_FALSE(ApplyWorkspacePage(page, opened)) << height;
    }
    page.fontHeight = "200";
    page.colours[kWorkspaceKeyword] = "0,0,300";
    EXPECT_FALSE(ApplyWorkspacePage(page, opened));
    ASSERT_EQ(5u, ui.boxes.size());
    EXPECT_EQ("The font height must be a number of pixels from 4 to 200", ui.Texts()[0]);
    EXPECT_EQ("Keyword colour: give red, green and blue, each from 0 to 255, such as 128,128,128", ui.Texts()[4]);
    EXPECT_EQ(0xFFFFFFu, g_display.backgroundColor);
    EXPECT_EQ(nullptr, g_app->editorFont);

    page.colours[kWorkspaceKeyword] = "0,0,128";
    page.fontName = "Courier New";
    page.bold = true;
    ASSERT_TRUE(ApplyWorkspacePage(page, opened));
    EXPECT_STREQ("Courier New", g_display.fontName);
    EXPECT_EQ(-200, g_display.fontHeight);
    EXPECT_EQ(5, g_display.fontStyle);
    EXPECT_EQ(0u, g_display.backgroundColor);
    EXPECT_EQ(RGB(0, 0, 128), g_display.keywordColor);
    LOGFONTA made;
    ASSERT_TRUE(g_app->editorFont && GetObjectA(static_cast<HFONT>(g_app->editorFont), sizeof made, &made));
    EXPECT_EQ(-200, made.lfHeight);
    EXPECT_EQ(FW_BOLD, made.lfWeight);

    // A cell height (positive) left as shown stays one; an empty name is Courier again.
    g_display.fontHeight = 16;
    opened = OpenWorkspacePage();
    page = opened;
    page.fontName = "";
    ASSERT_TRUE(ApplyWorkspacePage(page, opened));
    EXPECT_EQ(16, g_display.fontHeight);
    EXPECT_STREQ("Courier", g_display.fontName);
}

TEST_F(WorkspacePageTest, FontAndColourDialogsStartAtThePageValues) {
    WorkspacePage page = OpenWorkspacePage();
    page.fontHeight = "20";
    page.colours[kWorkspaceComment] = "not a colour";
    EXPECT_FALSE(ChooseWorkspaceFont(&page));   // cancelled: the page keeps its values
    EXPECT_FALSE(ChooseWorkspaceColour(&page, kWorkspaceComment));
    EXPECT_EQ("20|not a colour", page.fontHeight + "|" + page.colours[kWorkspaceComment]);

    FontChoice chosen = {"Lucida Console", -16, false, true, 49};
    ui.fontAnswers = {chosen};
    ui.colourAnswers = {RGB(0, 128, 0)};
    ASSERT_TRUE(ChooseWorkspaceFont(&page));
    ASSERT_TRUE(ChooseWorkspaceColour(&page, kWorkspaceKeyword));
    EXPECT_EQ("Lucida Console|16|0|1|49", page.fontName + "|" + page.fontHeight + "|" + std::to_string(page.bold) +
                                              "|" + std::to_string(page.italic) + "|" +
                                              std::to_string(page.pitchAndFamily));
    EXPECT_EQ("0,128,0", page.colours[kWorkspaceKeyword]);
    ASSERT_EQ(2u, ui.fontsShown.size());
    EXPECT_EQ("Courier|-20", std::string(ui.fontsShown[0].face) + "|" + std::to_string(ui.fontsShown[0].height));
    EXPECT_EQ((std::vector<unsigned long>{0, 192}), ui.coloursShown);   // an invalid field starts at black
}

} // namespace

// The "Utilities" page: adding, changing and deleting user tools, and choosing their program.
#include <string>
#include <vector>

#include "base/CommandIds.h"
#include "project/ProjectCommands.h"
#include "project/Utilities.h"
#include "project/UtilitiesPage.h"
#include "support/TestSupport.h"
#include "ui/OutputWindow.h"

namespace {

int g_menuRebuilds;
void CountRebuild() { g_menuRebuilds++; }

class UtilitiesPageTest : public KeltoTest {
protected:
    void SetUp() override {
        KeltoTest::SetUp();
        FreeUtilities();
        g_menuRebuilds = 0;
        g_projectHooks.utilitiesChanged = CountRebuild;
    }
    void TearDown() override {
        g_projectHooks.utilitiesChanged = nullptr;
        FreeUtilities();
        KeltoTest::TearDown();
    }
    // The list as "name=id:program|arguments|directory", head first.
    static std::vector<std::string> Listed() {
        std::vector<std::string> listed;
        for (const Utility *tool = g_utilities; tool; tool = tool->next)
            listed.push_back(std::string(tool->nickname) + "=" + std::to_string(tool->id) + ":" + tool->program + "|" +
                             tool->arguments + "|" + tool->startDirectory);
        return listed;
    }
};

TEST_F(UtilitiesPageTest, ChangeAddDeleteAndBrowse) {
    ASSERT_TRUE(ChangeOrAddUtility({"edit", "notepad.exe", "$FILE$", "C:\\"}));
    ASSERT_TRUE(ChangeOrAddUtility({"calculator", "calc.exe", "", ""}));   // the name is cut to 9
    Utility *edit = FindUtility("edit");
    EXPECT_EQ(edit, ChangeOrAddUtility({"edit", "write.exe", "-n", ""}));   // same name: changed in place
    EXPECT_EQ((std::vector<std::string>{"calculato=1301:calc.exe||", "edit=1300:write.exe|-n|"}), Listed());
    EXPECT_EQ(3, g_menuRebuilds);

    // Refusals change nothing and tell why.
    EXPECT_FALSE(ChangeOrAddUtility({"", "x.exe", "", ""}));
    EXPECT_FALSE(ChangeOrAddUtility({"x", "", "", ""}));
    EXPECT_FALSE(DeleteUtility("editor"));
    EXPECT_EQ((std::vector<std::string>{"A utility needs a menu name and a program",
                                        "A utility needs a menu name and a program", "Can't find utility editor"}),
              ui.Texts());
    EXPECT_EQ(2u, Listed().size());
    EXPECT_EQ(3, g_menuRebuilds);

    ASSERT_TRUE(DeleteUtility("edit"));
    ASSERT_EQ(1, OutputLineCount());
    EXPECT_STREQ("Utility [edit] erased", OutputLine(0));
    // One utility is left, so 1300 + 1 would repeat the remaining one's identifier.
    ASSERT_TRUE(ChangeOrAddUtility({"new", "new.exe", "", ""}));
    EXPECT_EQ((std::vector<std::string>{"new=1300:new.exe||", "calculato=1301:calc.exe||"}), Listed());
    EXPECT_EQ(5, g_menuRebuilds);

    // Every identifier of the Utils menu in use: no more.
    for (int i = 2; i <= IDM_LAST_TOOL - IDM_FIRST_TOOL; i++)
        ASSERT_TRUE(ChangeOrAddUtility({"t" + std::to_string(i), "t.exe", "", ""}));
    EXPECT_EQ(IDM_LAST_TOOL, g_utilities->id);
    EXPECT_FALSE(ChangeOrAddUtility({"one more", "t.exe", "", ""}));
    EXPECT_EQ("There is no room for more than 12 utilities", ui.Texts().back());
    ASSERT_TRUE(DeleteUtility("t5"));
    EXPECT_EQ(IDM_FIRST_TOOL + 5, ChangeOrAddUtility({"one more", "t.exe", "", ""})->id);

    // Browse lower-cases the program chosen.
    std::string program = "old.exe";
    ui.fileNames = {"C:\\Tools\\MyTool.EXE", ""};
    EXPECT_TRUE(BrowseUtilityProgram(&program));
    EXPECT_EQ("c:\\tools\\mytool.exe", program);
    EXPECT_FALSE(BrowseUtilityProgram(&program));   // cancelled
    EXPECT_EQ("c:\\tools\\mytool.exe", program);
    EXPECT_EQ((std::vector<std::string>{"Open executable: *.exe *.exe", "Open executable: *.exe *.exe"}), ui.fileDialogs);
}

} // namespace

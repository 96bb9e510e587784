// The output window's message line, its list and saving the list.
#include "ui/OutputWindow.h"

#include <regex>

#include "base/CommandIds.h"
#include "editor/DocumentTestSupport.h"

namespace {

class OutputWindowTest : public DocumentTest {};

std::vector<std::string> g_chosen;
void Choose(int index, const char *text, LPARAM data) {
    g_chosen.push_back(std::to_string(index) + text + std::to_string(data));
}

} // namespace

TEST_F(OutputWindowTest, AColouredMessageOutlastsFourRequests) {
    ShowStatus("1:1");
    ShowRedMessage("3 files autosaved");
    for (int i = 2; i <= 5; i++) {
        ShowStatus(("1:" + std::to_string(i)).c_str());
        EXPECT_STREQ("3 files autosaved", MessageLineText());
        EXPECT_EQ(kColourRed, MessageLineColour());
    }
    EXPECT_STREQ("1:5", StatusText());   // kept, only not shown
    ShowMenuHelp("Open a file.");          // the fifth is shown
    EXPECT_STREQ("Open a file.", MessageLineText());
    EXPECT_EQ(kColourNormal, MessageLineColour());
    ShowMenuHelp("");
    EXPECT_STREQ("1:5", MessageLineText());

    // Blue with and without the prefix; the 3 seconds bring the status back.
    SetMessagePrefix("make");
    ShowBlueMessage("done");
    EXPECT_STREQ("make : done", MessageLineText());
    EXPECT_EQ(kColourBlue, MessageLineColour());
    MessageTimerExpired();
    EXPECT_STREQ("1:5", MessageLineText());
    ShowStatus("2:1");
    EXPECT_STREQ("2:1", MessageLineText());
    ClearMessageLine();
    ShowBlueMessage("plain");
    EXPECT_STREQ("plain", MessageLineText());
}

TEST_F(OutputWindowTest, ListLinesAreChosenAndTheRoutineCanEmptyIt) {
    AddOutputLine("main.c 3: error");
    AddOutputLine("main.c 9: warning");
    g_chosen.clear();
    SetOutputRoutine(Choose, 7);
    OutputLineChosen(1);
    OutputLineChosen(2);   // past the end: nothing
    EXPECT_EQ(std::vector<std::string>{"1main.c 9: warning7"}, g_chosen);
    ShowStatus("x");
    SetOutputRoutine(nullptr, 0);
    EXPECT_EQ(0, OutputLineCount());
    EXPECT_STREQ("", MessageLineText());
}

TEST_F(OutputWindowTest, SavingTheList) {
    ui.fileNames.push_back(PathOf("OUT.TXT"));
    EXPECT_FALSE(SaveOutput());
    EXPECT_STREQ("Nothing to print", MessageLineText());
    EXPECT_EQ(kColourRed, MessageLineColour());
    EXPECT_EQ(1u, ui.fileNames.size());   // no file name was asked
    MessageTimerExpired();

    const OutputButton buttons[] = {{"Stop build", IDM_COMPILE_FILE}};
    DefineButtonSet(kOutBuildButtons, "Build", buttons, 1);
    InstallButtonSet(kOutBuildButtons);
    AddOutputLine("first");
    AddOutputLine("");
    AddOutputLine("third line");
    ASSERT_TRUE(SaveOutput());
    std::string text = ReadWholeFile(PathOf("OUT.TXT"));
    EXPECT_TRUE(std::regex_match(text, std::regex("Kelto output window Build: [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d "
                                                  "\\d\\d:\\d\\d:\\d\\d \\d{4}\r\nfirst\r\n\r\nthird line\r\n")))
        << text;
    EXPECT_EQ("3 lines written to " + PathOf("OUT.TXT"), MessageLineText());

    ui.fileNames.push_back(PathOf("NO\\SUCH\\DIR.TXT"));
    EXPECT_FALSE(SaveOutput());
    EXPECT_EQ("Impossible to open " + PathOf("NO\\SUCH\\DIR.TXT") + " for writing!", ui.Texts().back());
}

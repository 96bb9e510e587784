// The Project menu over a store in memory: creating through the dialog's fields and the file
// selection, the checks of the "Create" button, opening, closing and erasing.
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/ResourceIds.h"
#include "base/Commands.h"
#include "editor/Document.h"
#include "platform/Files.h"
#include "project/Project.h"
#include "project/ProjectCommands.h"
#include "project/ProjectCreate.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"
#include "settings/Store.h"
#include "ProjectFixture.h"
#include "support/TestSupport.h"

namespace {

NewProjectFields g_fields;
bool g_dialogShown;

bool AnswerDialog(NewProjectFields *fields) {
    g_dialogShown = true;
    std::string name = fields->name;
    *fields = g_fields;
    fields->name = name;
    return AcceptNewProject(fields);
}

bool SaveWorkspace() { return SaveProjectWorkspace(); }

class ProjectCommandsTest : public ProjectFixture {
protected:
    void SetUp() override {
        ProjectFixture::SetUp();
        FreeNames(&g_projectNames);
        g_openProject[0] = '\0';
        g_askNewProject = AnswerDialog;
        g_projectHooks = ProjectHooks();
        g_projectHooks.saveAllSettings = SaveWorkspace;
        g_fields = NewProjectFields();
        g_fields.directory = dir + "\\WORK";
        g_fields.type = kTypeConsole;
        g_dialogShown = false;
    }
    void TearDown() override {
        FreeNames(&g_projectNames);
        g_openProject[0] = '\0';
        g_projectHooks = ProjectHooks();
        ProjectFixture::TearDown();
    }

    bool KeyExists(const std::string &project) {
        return store.Open(nullptr, ("Software\\bdx\\Kelto\\" + project).c_str(), false, nullptr) != nullptr;
    }
    // Creates a project named `name` (its own output directory) whose file selection gives
    // `files`; the wizard declined.
    void Create(const std::string &name, const std::vector<std::string> &files) {
        g_fields.output = dir + "\\WORK\\" + name + ".OUT";
        ui.textAnswers.push_back(name);
        ui.answers.push_back(kAnswerNo);   // no wizard
        ui.fileSelections.push_back(files);
        CreateProject();
    }
};

TEST_F(ProjectCommandsTest, CreateMakesTheDirectoriesTheRecordAndTheKey) {
    CreateDirectoryA((dir + "\\WORK").c_str(), nullptr);
    WriteWholeFile(dir + "\\WORK\\main.c", "int main(void) { return 0; }\r\n");
    Create("Demo", {"main.c", "demo.rc", "kernel32.lib"});
    ASSERT_TRUE(g_dialogShown);
    ASSERT_TRUE(CurrentProject()) << (ui.boxes.empty() ? "" : ui.boxes.back().text);
    ProjectRecord &p = g_project;
    EXPECT_EQ("Project name?: Enter the new project name", ui.prompts.at(0));
    EXPECT_EQ((std::vector<std::string>{"main.c", "demo.rc"}), p.files);
    EXPECT_EQ("KERNEL32.LIB", p.libraries);   // a library goes to the linker, upper-cased
    EXPECT_EQ(dir + "\\WORK", p.path);
    EXPECT_EQ(dir + "\\WORK\\Demo.OUT", p.makeDir);
    EXPECT_TRUE(IsDirectory(p.makeDir.c_str()));
    EXPECT_EQ(kTypeConsole | kCompilerDebugInfo, p.compilerFlags);
    EXPECT_EQ("Demo.exe", p.executable);
    EXPECT_STREQ("Demo", g_openProject);
    EXPECT_TRUE(HasName(g_projectNames, "Demo"));
    EXPECT_EQ("2", Get("Demo", "PrjFiles"));
    EXPECT_EQ("KERNEL32.LIB", Get("Demo", "Libraries"));
    // The sources are opened, the resource script is not.
    EXPECT_TRUE(FindDocument((dir + "\\WORK\\MAIN.C").c_str(), false));
    EXPECT_FALSE(FindDocument((dir + "\\WORK\\DEMO.RC").c_str(), false));

    // A second project of that name is refused when asked for; cancelling ends the command.
    ui.boxes.clear();
    ui.textAnswers.push_back("Demo");
    g_dialogShown = false;
    CreateProject();
    EXPECT_FALSE(g_dialogShown);
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ("This name ('Demo') is already used as a project name", ui.boxes[0].text);
}

TEST_F(ProjectCommandsTest, TheCreateButtonChecksTheFieldsAndAsksAboutAnExistingOutputDirectory) {
    struct Case {
        const char *name, *directory;
        unsigned type;
        const char *message;
    };
    const std::string longName(50, 'x');
    const Case refused[] = {
        {"", "C:\\X", kTypeConsole, "Empty project file?"},
        {"a\\b", "C:\\X", kTypeConsole, nullptr},
        {"..", "C:\\X", kTypeConsole, nullptr},
        {longName.c_str(), "C:\\X", kTypeConsole, nullptr},
        {"ok", "", kTypeConsole, "You have to give a project path!"},
        {"ok", "C:\\X", 0, "Please choose a project type"},
    };
    for (const Case &c : refused) {
        ui.boxes.clear();
        NewProjectFields f;
        f.name = c.name, f.directory = c.directory, f.type = c.type;
        EXPECT_FALSE(AcceptNewProject(&f)) << c.name;
        ASSERT_EQ(1u, ui.boxes.size()) << c.name;
        if (c.message) {
            EXPECT_EQ(c.message, ui.boxes[0].text);
        }
    }
    // The output directory defaults to the working directory's bdx; one that exists is asked
    // about (No keeps the dialog), a missing one is made after the working directory.
    NewProjectFields f;
    f.name = "ok", f.directory = dir + "\\NEW\\", f.type = kTypeDll;
    ui.boxes.clear();
    ASSERT_TRUE(AcceptNewProject(&f));
    EXPECT_EQ(dir + "\\NEW", f.directory);
    EXPECT_EQ(dir + "\\NEW\\bdx", f.output);
    EXPECT_TRUE(IsDirectory(f.output.c_str()));
    EXPECT_TRUE(ui.boxes.empty());
    ui.answers.push_back(kAnswerNo);
    EXPECT_FALSE(AcceptNewProject(&f));
    EXPECT_EQ("Directory " + dir + "\\NEW\\bdx exists. Use it anyway?", ui.boxes.at(0).text);
    ui.answers.push_back(kAnswerYes);
    f.cms = true;
    EXPECT_TRUE(AcceptNewProject(&f));
    EXPECT_TRUE(IsDirectory((dir + "\\NEW\\CMS").c_str()));
}

TEST_F(ProjectCommandsTest, FortySixFilesAreAskedAboutFortyFiveAreOpened) {
    CreateDirectoryA((dir + "\\WORK").c_str(), nullptr);
    std::vector<std::string> files;
    for (int i = 1; i <= 46; i++) {
        files.push_back("f" + std::to_string(i) + ".c");
        WriteWholeFile(dir + "\\WORK\\" + files.back(), "\r\n");
    }
    ui.answers.push_back(kAnswerNo);   // "Open 46 files?"
    Create("Many", files);
    ASSERT_TRUE(CurrentProject());
    EXPECT_EQ("Open 46 files?", ui.boxes.back().text);
    EXPECT_FALSE(FindDocument((dir + "\\WORK\\F1.C").c_str(), false));

    files.pop_back();
    ui.boxes.clear();
    Create("Fewer", files);
    ASSERT_TRUE(CurrentProject());
    EXPECT_EQ("Fewer", g_project.name);
    for (const ShownBox &box : ui.boxes)
        EXPECT_EQ(std::string::npos, box.text.find("files?")) << box.text;
    EXPECT_TRUE(FindDocument((dir + "\\WORK\\F45.C").c_str(), false));
}

TEST_F(ProjectCommandsTest, OpenCloseAndEraseKeepToTheirProjects) {
    CreateDirectoryA((dir + "\\WORK").c_str(), nullptr);
    WriteWholeFile(dir + "\\WORK\\a.c", "a\r\n");
    Create("One", {"a.c"});
    ASSERT_TRUE(CurrentProject());
    SetCurrentDirectoryA(saved);
    Create("Two", {});   // "Continue with empty project?" defaults to No: nothing is made
    EXPECT_FALSE(CurrentProject());
    EXPECT_FALSE(HasName(g_projectNames, "Two"));
    EXPECT_FALSE(KeyExists("Two"));

    // Reopened from the list: its directory becomes the current one and its files come back.
    ASSERT_TRUE(OpenProject("One"));
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STRCASEEQ((dir + "\\WORK").c_str(), current);
    EXPECT_EQ((std::vector<std::string>{"a.c"}), g_project.files);
    EXPECT_TRUE(g_project.hasMake);
    Document *a = FindDocument((dir + "\\WORK\\A.C").c_str(), false);
    ASSERT_TRUE(a);

    // Opening another from the menu asks once about the modified document: Forget holds.
    StoreKey other = store.Open(nullptr, "Software\\bdx\\Kelto\\Other", true, nullptr);
    store.Set(other, "PrjFiles", "0");
    AddName(&g_projectNames, "Other");   // first in the list
    RegisterProjectCommands();
    a->flags |= kDocModified;
    ui.fileListAnswers.push_back(IDC_FORGET);
    ui.choices.push_back(0);
    FindHandler(IDM_PROJECT_OPEN)(IDM_PROJECT_OPEN, 0);
    EXPECT_EQ(1u, ui.fileLists.size());
    EXPECT_EQ("Other", g_project.name);
    a->flags &= ~kDocModified;   // no windows here: the document stays
    ASSERT_TRUE(OpenProject("One"));

    // Erasing a project that is not open deletes its key only; erasing the open one closes it.
    auto erase = [&](const char *name) {
        int index = 0;
        for (NameEntry *e = g_projectNames; e && strcmp(e->name, name) != 0; e = e->next)
            index++;
        ui.choices.push_back(index);
        ui.answers.push_back(kAnswerYes);
        FindHandler(IDM_PROJECT_ERASE)(IDM_PROJECT_ERASE, 0);
        EXPECT_EQ("Erase", ui.lastOkText);
        EXPECT_EQ(std::string("Erase ") + name, ui.boxes.back().text);
    };
    erase("Other");
    EXPECT_FALSE(KeyExists("Other"));
    EXPECT_FALSE(HasName(g_projectNames, "Other"));
    EXPECT_TRUE(CurrentProject());
    EXPECT_EQ("1", Get("One", "PrjFiles"));
    erase("One");
    EXPECT_FALSE(CurrentProject());
    EXPECT_FALSE(KeyExists("One"));
    EXPECT_STREQ("", g_openProject);
    EXPECT_FALSE(OpenProject("One"));   // no longer a project: no key is made for it
    EXPECT_FALSE(KeyExists("One"));
}

} // namespace

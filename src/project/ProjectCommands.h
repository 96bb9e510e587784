// The Project menu: open, close, erase, export and import projects, and open their files.
#pragma once

#include <string>
#include <vector>

struct Document;

// What the project commands need from the program around them.
struct ProjectHooks {
    // Saves every setting (the open project's workspace with them). None: nothing saved.
    bool (*saveAllSettings)();
    // The menus follow the project that is open now. None: nothing.
    void (*menusChanged)();
    // The Utils menu shows the utilities of the list as it is now. None: nothing.
    void (*utilitiesChanged)();
    // The configuration sheet of a project being created; false when it was cancelled. None:
    // the project is taken as it is.
    bool (*newProjectSheet)();
    // The names of the functions a document defines, as the source scanner finds them. None:
    // the definitions that start a line.
    std::vector<std::string> (*functionNames)(Document *doc);
};
extern ProjectHooks g_projectHooks;

void RegisterProjectCommands();

// Opens the project `name` of the project list, closing the open one first; false when the
// open one refused to close. `asked`: the modified documents were just asked about (an answer
// of Forget is not asked again).
bool OpenProject(const char *name, bool asked = false);
// Closes the open project `name` (with `save`, its settings saved first); false when it was
// refused (Cancel in "Modified files", unless `asked`).
bool CloseProject(const char *name, bool save, bool asked = false);
// Closes every editor window without asking (the modified documents were asked about).
void CloseAllDocumentWindows();
// Sets the frame's title from the open project.
void SetProjectFrameTitle();

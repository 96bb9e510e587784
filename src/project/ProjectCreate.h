// Creating a project (Project > Create...).
#pragma once

#include <string>

struct ProjectRecord;

// What "Definition of a new project" gives.
struct NewProjectFields {
    std::string name;
    std::string directory;   // the working directory
    std::string output;      // "Objects and executables": the make directory
    bool cms = false;        // "Use versioning system"
    unsigned type = 0;       // kTypeWindows, kTypeConsole, kTypeDll or kTypeLibrary
};

// The "&Create" button: checks the fields and makes the missing directories (the output
// directory becomes the working directory's "\bdx" when empty). False, with the reason shown,
// when the dialog has to stay.
bool AcceptNewProject(NewProjectFields *fields);
// The dialog, which fills the fields and ends with "&Create" (true) or Cancel; tests put an
// answer of their own in its place.
extern bool (*g_askNewProject)(NewProjectFields *fields);
// The file selection of a project: the files and libraries chosen go into the record; false
// when cancelled.
bool SelectProjectFiles(ProjectRecord *project);

void CreateProject();
// The user's login name ("" when the system does not tell).
std::string UserName();

// The "General" and "Project" pages of the configuration sheet, and its "Fortran" page: the
// values as the controls show them, read when the page opens and applied on OK.
#pragma once

#include <string>

struct ProjectRecord;

// ---- "General" ----

struct GeneralPage {
    std::string compilerPath, currentDirectory;
    unsigned options = 0;   // the editor option bits (EditorFlags)
    bool saveEnabled = false;
};

GeneralPage OpenGeneralPage();
// A compiler path that differs from the root is checked and registered; the current directory
// must exist and becomes current. False, with the reason shown, when the page must stay open.
bool ApplyGeneralPage(const GeneralPage &page);

// ---- "Project" ----

struct ProjectPage {
    bool hasProject = false;
    std::string name, type, makeCommand, makeDirectory, executable, sourcesDirectory, arguments;
};

ProjectPage OpenProjectPage(const ProjectRecord *project);
// Checks the make program, the directories and the error file, then stores them. False, with
// the reason shown, when the page must stay open.
bool ApplyProjectPage(ProjectRecord *project, const ProjectPage &page);

// ---- "Fortran" ----

// The box of each f2c option, in the order of the option table, from the Fortran flags, and
// the flags from the boxes.
bool FortranBoxChecked(int fortranFlags, int box);
int FortranFlagsOf(const bool *checked, int count);
// The page's box texts, in the same order.
const char *FortranBoxText(int box);

// The logic of the configuration pages that edit the project's build settings: each page's
// values as its controls show them, read from the project when the page opens and applied to
// it on OK. The dialog procedures only move these values in and out of their controls.
#pragma once

#include <string>

struct ProjectRecord;

// ---- The compiler root ----

// Whether `directory` can serve as the compiler root (a drive letter, the directory, its
// bin\bdx.exe and lib\kernel32.lib); the first thing missing is shown.
bool CheckCompilerRoot(const std::string &directory);

// ---- "Compiler" ----

enum CompilerAlignment { kAlignNone, kAlign2, kAlign4, kAlign8, kAlign16, kAlignDefault };

struct CompilerPage {
    std::string defines, includes, errorFile;
    bool generateAsm = false, intermediate = false, g4 = false, g3 = false, debugInfo = false;
    bool pentiumPro = false, optimize = false, browseInfo = false, warningsAll = false;
    int alignment = kAlignDefault;
    bool g3Enabled = true, g4Enabled = true;   // follow "Generate debug info"
};

// The page of `project`: an empty include path comes from the registry, an empty error file
// gets its default (both are stored in the project).
CompilerPage OpenCompilerPage(ProjectRecord *project);
// The boxes that follow a click on one of them (the id is the field that changed: the boxes
// are already toggled in `page`).
enum CompilerBox { kBoxDebugInfo, kBoxG3, kBoxG4 };
void CoupleCompilerBoxes(CompilerPage *page, CompilerBox clicked);
// Stores the page: defines, include path (blanks become ";"), error file (upper-cased), the
// compiler flags rebuilt from the boxes keeping only the type bits. Sets the project's
// changed flag when something that the makefile shows changed.
void ApplyCompilerPage(ProjectRecord *project, const CompilerPage &page);

// ---- "Linker" / "Librarian" ----

enum LinkerType { kLinkWindows, kLinkConsole, kLinkDll, kLinkLibrary };

struct LinkerPage {
    std::string output, libraries, entryPoint, arguments;
    bool noDebugInfo = false, mapFile = false, noUnderscores = false;
    int type = kLinkWindows;
    bool entryEnabled = false;                  // only for a DLL
    bool librariesEnabled = true;               // not for a static library (also the map and
                                                // debug-information boxes)
};

// The page of `project` (a project with both the console and library bits loses the console
// one).
LinkerPage OpenLinkerPage(ProjectRecord *project);
// A type chosen: the entry point field follows (filled with "LibMain" for a DLL when empty).
void ChooseLinkerType(LinkerPage *page, int type);
// Stores the page; the output file also becomes the debugger's program (`debugExe`). False,
// with the reason shown, when the page must stay open.
bool ApplyLinkerPage(ProjectRecord *project, const LinkerPage &page);

// ---- "Fortran" ----

// The f2c option bits, one box per option in the table's order.
enum { kFortranOptionCount = 8 };

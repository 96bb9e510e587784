// The project: one program, library or DLL with its files, directories, build options and the
// editor state it was left in. At most one is open; it lives in one record. Each project is a
// subkey of the settings key holding two groups of values: the workspace (written at every
// save of all settings) and the content (written when the file list or the version-control
// options change).
#pragma once

#include <string>
#include <vector>

#include "editor/BreakpointLines.h"
#include "editor/OpenFiles.h"

enum {
    kProjectNameLength = 199,   // longest name typed at creation
    kProjectWizardOutput = 8192,
};

// Compiler flags: exactly one project type, and the debug-information bit.
enum : unsigned {
    kCompilerDebugInfo = 0x08,
    kTypeWindows = 0x40,
    kTypeConsole = 0x80,
    kTypeDll = 0x100,
    kTypeLibrary = 0x400,
    kProjectTypeMask = kTypeWindows | kTypeConsole | kTypeDll | kTypeLibrary,
};

// Project flags.
enum : unsigned { kProjectUsesCms = 1, kProjectEiffel = 2, kProjectFortran = 4, kProjectFlagsDefault = 8 };

struct FileDependencies {
    std::string file;
    std::vector<std::string> names;   // the files it includes
};


struct FileProcessor {
    std::string input, command, output;
};

struct ProjectRecord {
    std::vector<std::string> files;   // as entered; without a backslash: in the sources directory
    std::string name;                 // empty: no project
    std::string path;                 // the working directory
    std::vector<OpenFileEntry> openFiles;   // the documents open at the last save
    std::string cmsDirectory;
    std::string currentFile;
    int frameX = 0, frameY = 0, frameWidth = 0, frameHeight = 0;
    int toolbarRect[4] = {0, 0, 0, 0};
    bool hasMake = false;             // the make record below is set
    std::string makeName, makeArgs, makeDir;
    std::string includes, defines, errorFile, sourcesDir, executable;
    unsigned compilerFlags = kCompilerDebugInfo;
    std::string libraries;            // separated by blanks
    std::vector<FileDependencies> dependencies;
    std::vector<BreakpointLine> breakpoints;
    bool changed = false;             // a configuration page changed what the makefile holds
    std::vector<std::string> objectNames;
    int buildExitCode = 0;
    long buildTime = 0;
    unsigned projectFlags = kProjectFlagsDefault;
    std::string entryPoint;
    std::vector<FileProcessor> fileProcessors;
    std::string linkerArgs;
    int eiffelFlags = 0, fortranFlags = 0;
    std::string eiffelRootClass, eiffelRootProcedure;
    // What the debugger starts for this project.
    std::string debuggerArguments, debugExe, debugDir;
    // Version-control options.
    int putOptions = 0, getOptions = 0, fileOptions = 0, lockOptions = 0, usersOptions = 0;
};

extern ProjectRecord g_project;
extern std::vector<std::string> g_projectUsers;   // the project's users, for version control
extern std::string g_userName;                    // the user's name for version control

// The open project, or null when none is.
ProjectRecord *CurrentProject();
// Empties the record and the users: no project.
void ClearProject();

// The content values: the file list with dependencies, users, CMS directory, version-control
// options, project flags and the language values. `what`: 1 the content, 2 the releases (none
// yet). Returns the number of groups written; nothing while saving is disabled.
int SaveProjectContent(int what);
bool LoadProjectContent();
// The workspace values.
bool SaveProjectWorkspace();
bool LoadProjectWorkspace();
// Both groups work on the project key named by the record (the settings key's subkey).

// The current project's name without directory and extension, at most 14 characters,
// lower-cased; empty without a project.
std::string ProjectShortName();
// The frame's title: "kelto", and "-" with the short name while a project is open.
std::string ProjectFrameTitle();

// A path made absolute: ".\x" loses the dot, "d:x" takes drive d's current directory, "\x"
// the current drive, leading "..\" go up from the current directory, a bare name gets the
// current directory. Other paths are returned as they are.
std::string MakeFullPath(const std::string &path);
// A file of the make directory: a name without a backslash gets the directory in front.
std::string InMakeDirectory(const ProjectRecord &project, const std::string &name);
// Checks each ";"-separated directory; a missing one fails with "Directory %s doesn't exist",
// or with `mayCreate` is offered for creation. Stops at the first failure.
bool CheckDirectories(const std::string &list, bool mayCreate);
// Fills the make record and the derived fields of a new project (or of an opened one that
// has no make record). False, with the message shown, when no make directory can be made.
bool DefaultMakeSetup(ProjectRecord *project);

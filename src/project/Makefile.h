// The project's makefile: written into the make directory from the project record, with the
// include dependencies of every source found by the compiler's dependency mode.
#pragma once

#include <string>
#include <vector>

struct ProjectRecord;

// Defaults the include path ("<root>\include"), the sources directory (the project path) and
// the error file; warns in the output window when the sources lie in "<root>\bin".
void PrepareProjectPaths(ProjectRecord *project);
// Whether `name` (a path) is the project's file `file` (a list entry): the same full name, or
// `name` is its last component, or their last two components are the same (case aside).
bool IsProjectFile(const ProjectRecord &project, const std::string &file, const std::string &name);
// "<makedir>\<last component of the name>.err".
std::string ErrorFileDefault(const ProjectRecord &project);
// The file the link (or librarian) rule makes: the executable, or the project name's last
// component, with the type's extension when it has none (".lib" always for a library).
std::string ProjectExecutable(const ProjectRecord &project);
// The objects the makefile compiles from the sources (C, Eiffel, assembler, Fortran).
std::vector<std::string> CompiledObjects(const ProjectRecord &project);
// True (project flag 2 set) when every file is an Eiffel source (".e") or there is no file:
// the Eiffel support builds it and no makefile is written. Otherwise flag 2 is cleared.
bool ApplyEiffelTest(ProjectRecord *project);

// "-I<dir> " for each ";"-separated directory.
std::string IncludeOptions(const std::string &includes);
// "-D<def> " for each definition, cut at ";" when there is one, else at ",", else at blanks.
std::string DefineOptions(const std::string &defines);
// The compiler's options of the compiler flags (the CFLAGS line after the -I and -D options).
std::string CompilerOptions(unsigned compilerFlags);
// The linker's options of a program or DLL (not of a static library); `executable` is the
// name the linker writes.
std::string LinkerOptions(const ProjectRecord &project, const std::string &executable);
// The f2c options of the Fortran flags (the FFLAGS line).
std::string FortranOptions(int fortranFlags);

// The "File processor" dialog for the file `input` (a path): shows its processor when it has
// one; on OK (both fields filled) updates it, or puts a new one at the head of the list. False
// when cancelled.
bool FileProcessorDialog(ProjectRecord *project, const std::string &input);

// The processor fields of the file information dialog for the project file `path`: its
// processor's command and output, or the default tool and output of its extension.
struct ProcessorFields {
    std::string command, output;
    bool existing = false;   // the file has a processor
};
ProcessorFields OpenProcessorFields(const ProjectRecord &project, const std::string &path);
// The fields on OK: a new processor, a changed or deleted one, or nothing when the default
// tool stays. False, with the reason shown (or the deletion refused), when the dialog stays.
bool ApplyProcessorFields(ProjectRecord *project, const std::string &path, const ProcessorFields &fields);

// Writes "<makedir>\Makefile" (through a temporary file, so a failure leaves the previous one);
// 1 on success, 0 on failure with the reason shown.
int GenerateMakefile(ProjectRecord *project);
// The Compiler menu's "Generate Makefile", also run after the file list changed.
void GenerateMakefileCommand();
void RegisterMakefileCommands();

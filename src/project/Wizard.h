// Running outside programs of the compiler system and waiting for them, and the wizard that
// generates a new project's application skeleton.
#pragma once

#include <string>

struct ProjectRecord;

// Starts `commandLine` as it stands (its window shown with `show`, a SW_ value) and waits for
// it to end, handling the messages other programs send to our windows meanwhile. Its exit
// code; -1 when it could not be started.
int RunAndWait(const char *commandLine, int show);

// "<root>\bin\wizard.exe /kelto:<frame> /prjname:<name> /prjpath:<path> /out:<file>", then
// " /dll" for a DLL or " /console" for a console application.
std::string WizardCommandLine(const ProjectRecord &project, const char *compilerRoot, unsigned long frame,
                              const char *outputFile);
// Applies the wizard's output (up to three "label: value" lines: the project's name and up to
// two generated files) to the record. A file below the project path loses that prefix.
void ApplyWizardOutput(const char *text, ProjectRecord *project);
// Runs the wizard for the new project in `project` (the frame minimised meanwhile) and applies
// its output. The wizard's exit code; -1 when it could not be started.
int RunWizard(ProjectRecord *project);

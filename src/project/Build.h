// Building the open project: make on a thread of its own, its progress in the output window,
// the stop request, the results list filled from the error file, and going from a diagnostic to
// its source line.
#pragma once

#include <string>

struct ProjectRecord;

// The Compiler menu's "&Make" (F9); while a build runs the same item ("Stop build") asks make
// to stop.
void MakeCommand();
// Starts the build thread for the open project; false when nothing was started (the reason
// shown).
bool StartBuild();
// Fills the results list from the project's error file.
void ShowResults(ProjectRecord *project);
void LinkCommand();
void RebuildAllCommand();
// Asked before debugging: with the option set, "make -q" tells whether the target is up to
// date and, if not, the user may rebuild first. True when debugging may go on.
bool CheckUpToDate();
// The stop request that answers make's next progress message (0 or 1).
int BuildStopRequest();
// Goes to the diagnostic of results line `index`: the file opened at its line.
void GoToDiagnostic(int index);
void RegisterBuildCommands();

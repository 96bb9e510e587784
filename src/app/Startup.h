// The whole run of the program: start-up, the message loop and the clean-up.
#pragma once

typedef struct HINSTANCE__ *HINSTANCE;

int Startup(HINSTANCE instance, int showMode, const char *commandLine);
// One step of the message loop; false when the program ends.
bool MessageLoop();

enum { kMaxArguments = 50 };
// Cuts a command line into arguments: a double-quoted part is one argument (quotes kept),
// otherwise blanks separate them; at most kMaxArguments, the rest is ignored. Returns the
// count; `arguments` receives allocated copies.
int SplitCommandLine(const char *commandLine, char **arguments);
// Opens the files a command line names and applies its options; returns the number of
// files opened.
int ProcessCommandLine(const char *commandLine);
// Reopens the last session's files with their windows and lines; returns how many.
int ReopenSession();

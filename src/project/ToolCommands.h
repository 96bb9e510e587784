// Starting programs from the IDE: the user's tools of the Utils menu (Shift+F1 ... Shift+F12).
#pragma once

void RegisterToolCommands();
// Starts "program arguments" in `directory` (when one is given), the current directory being
// restored afterwards, and reports a program that does not start. A directory that cannot be
// entered stops it when `requireDirectory`; otherwise it starts in the current directory.
bool StartProgram(const char *program, const char *arguments, const char *directory, bool requireDirectory);

// "Compile <file>" of the Compiler menu, and the project made up for a lone document.
#pragma once

#include <string>
#include <vector>

struct Document;

// Recompiles the active document: within the open project (asking with "Compile file" when
// the project does not hold it), or in a project made for it when none is open.
void CompileCurrentFile();
// Makes the project of the active document alone, named after it, a console application when
// it defines "main", a Windows program when it defines "WinMain", and opens it. False, with
// the reason shown and no project open, when it cannot.
bool MakeDefaultProject();
// The functions the document defines: those whose definition starts a line.
std::vector<std::string> DocumentFunctions(const Document *doc);
void RegisterCompileFileCommand();
// The file information dialog of a project file, which also edits its processor (other
// documents keep the editor's information box).
void RegisterFileInfoCommand();

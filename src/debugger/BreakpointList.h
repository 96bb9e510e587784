// The work behind "Edit breakpoints", apart from its window: the images to choose from,
// their functions, the user's breakpoints as listed, and placing and removing breakpoints in
// the debuggee. Called on the user-interface thread while the debuggee is stopped or held.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "debugger/DebugEngine.h"

// The executable's name, then each DLL's, in lower case (the order the images are chosen by).
std::vector<std::string> BreakpointImages(const DebugInfo &info);

// A COFF function symbol (section 1, storage class 2) of an image.
struct ImageFunction {
    std::string name;    // as the symbol table has it
    uint32_t address;    // where the image is loaded
};
// The functions of image `index` of BreakpointImages, sorted by name; none past the end.
std::vector<ImageFunction> ImageFunctions(const DebugInfo &info, size_t index);
// Where a breakpoint on the function goes: the start of the procedure of that plain name,
// else the symbol's own address.
uint32_t FunctionAddress(const DebugInfo &info, const ImageFunction &function);
// "Address: %x", then the module's name and the line when they are known.
std::string AddressDescription(const DebugInfo &info, uint32_t address);
// "file line" of the address (the source's name without directory), "" when it has no line.
std::string SourceLineOf(const DebugInfo &info, uint32_t address);

// A user breakpoint as listed: "0x%x", then " {file:line}" inside a named module, lower case.
struct UserBreakpoint {
    uint32_t address, line, flags;
    std::string text;
};
std::vector<UserBreakpoint> UserBreakpoints(const DebugEngine &engine);

// A source line whose breakpoint mark changes, with the file as the debug information names it.
struct MarkedLine {
    std::string path;
    uint32_t line;
};

enum AddOutcome { kBreakpointAdded, kBreakpointExists, kBreakpointFailed };
// A user breakpoint by address (no source shown from it) unless the user has one there.
// Failure says "Impossible to establish the breakpoint".
AddOutcome AddAddressBreakpoint(DebugEngine &engine, uint32_t address);
// A line breakpoint from "source line" (the last word is the line number), as F2 places one
// and kept when there: false (after a message) when nothing was placed; *marked is the line used.
bool AddSourceBreakpoint(DebugEngine &engine, const std::string &text, MarkedLine *marked);
// Removes the user breakpoint listed as `which`, or all of them, writing their bytes back; the
// lines left without a line breakpoint go into *unmarked. False when `which` is gone.
bool EraseUserBreakpoint(DebugEngine &engine, const UserBreakpoint &which, std::vector<MarkedLine> *unmarked);
void ClearUserBreakpoints(DebugEngine &engine, std::vector<MarkedLine> *unmarked);

// Whether the debuggee stopped in a line of that source file (matched as the debug
// information matches files: by name, without directory and extension).
bool StoppedInFile(const DebugEngine &engine, const char *fileName);

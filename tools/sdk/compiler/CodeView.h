// The conversion of the DWARF debugging information that gcc and the MinGW linker leave in a
// PE32 image into CodeView 4 (the "NB09" subsection-directory format with 32-bit symbol
// records and 16-bit type indices), which the IDE's debugger reads. The image comes in as
// bytes and a new image comes out; nothing here touches a file, so the module also builds
// natively for testing. tools/sdk/README.md lists what is mapped and what is left out.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class CodeViewResult {
    kAdded,     // `out` holds the image with CodeView added
    kNothing,   // nothing to convert: not a PE32 image, or no DWARF unit of versions 2 to 4
    kFailed,    // the DWARF or the image could not be read or extended: `error` says why
};

// Turns a source path as the compiler recorded it into the one the debugger should open
// (bdxlnk gives the Windows spelling of the host's Unix paths).
using SourcePathMap = std::function<std::string(const std::string &)>;

// Adds a ".debug" section with the CodeView data and a debug directory entry of type 2 to
// the image. The COFF symbol table and the DWARF sections are kept (the symbol table moves
// behind the new section and PointerToSymbolTable follows it); SizeOfImage, the section
// count, debug data directory and checksum are brought up to date.
CodeViewResult AddCodeView(const std::vector<uint8_t> &image, const SourcePathMap &mapPath,
                           std::vector<uint8_t> *out, std::string *error);

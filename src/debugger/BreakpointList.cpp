#include "debugger/BreakpointList.h"

#include <ctype.h>
#include <stdlib.h>

#include <algorithm>

#include "base/TextUtil.h"

namespace {

// What follows the last directory separator.
std::string BaseName(const std::string &path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const ImageInfo *ImageAt(const DebugInfo &info, size_t index) {
    if (index == 0)
        return &info.exe;
    return index <= info.dlls.size() ? &info.dlls[index - 1]->image : nullptr;
}

uint32_t ModuleOf(const DebugInfo &info, const BreakpointRecord &record) {
    return record.module ? record.module : ModuleOfAddress(info, record.address);
}

uint32_t LineOf(const DebugInfo &info, const BreakpointRecord &record) {
    return record.line ? record.line : LineOfAddress(info, record.address).line;
}

// The source file of a line breakpoint, as the debug information names it; "" when unknown.
std::string SourcePath(const DebugInfo &info, const BreakpointRecord &record) {
    const ModuleRecord *m = ModuleAt(info, record.module);
    int file = record.file >= 0 ? record.file : LineOfAddress(info, record.address).file;
    if (!m || file < 0 || file >= static_cast<int>(m->files.size()))
        return std::string();
    return m->files[static_cast<size_t>(file)].name;
}

bool IsLineBreakpoint(const BreakpointRecord &record) {
    return (record.flags & kBreakUser) && !(record.flags & kBreakByAddress) && record.line;
}

// Takes the user's part off record i. The record goes, with its byte back unless another
// record still holds the address (or the byte is lifted for a step already); a record that
// stepping placed on the same spot stays, as a temporary one. A line left without a line
// breakpoint goes into *unmarked.
void DropUserRecord(DebugEngine &engine, size_t i, std::vector<MarkedLine> *unmarked) {
    BreakpointRecord record = engine.breakpoints[i];
    uint32_t rest = record.flags & ~static_cast<uint32_t>(kBreakUser | kBreakByAddress);
    if (rest) {
        engine.breakpoints[i].flags = rest | kBreakTemporary;
    } else {
        engine.breakpoints.erase(engine.breakpoints.begin() + static_cast<long>(i));
        if (!FindBreakpoint(engine, record.address) && !(engine.pendingValid && engine.pendingAddress == record.address))
            WriteCodeByte(engine, record.address, record.savedByte, __LINE__);
    }
    if (!IsLineBreakpoint(record))
        return;
    for (const BreakpointRecord &other : engine.breakpoints)
        if (IsLineBreakpoint(other) && other.module == record.module && other.line == record.line)
            return;
    std::string path = SourcePath(engine.info, record);
    if (!path.empty())
        unmarked->push_back({path, record.line});
}

void Complain(DebugEngine &engine, const std::string &text) {
    if (engine.hooks.error)
        engine.hooks.error(text.c_str());
}

}  // namespace

std::vector<std::string> BreakpointImages(const DebugInfo &info) {
    std::vector<std::string> names = {Lowered(info.name)};
    for (const auto &dll : info.dlls)
        names.push_back(Lowered(dll->fileName));
    return names;
}

std::vector<ImageFunction> ImageFunctions(const DebugInfo &info, size_t index) {
    std::vector<ImageFunction> functions;
    const ImageInfo *image = ImageAt(info, index);
    for (uint32_t i = 0; image && i < image->symbolCount;) {
        CoffSymbol s = CoffSymbolAt(*image, i);
        if (s.section == 1 && s.storageClass == 2)
            functions.push_back({CoffSymbolName(*image, i), image->loadAddress + s.value});
        i += 1 + s.auxCount;
    }
    std::sort(functions.begin(), functions.end(), [](const ImageFunction &a, const ImageFunction &b) {
        return a.name != b.name ? a.name < b.name : a.address < b.address;
    });
    return functions;
}

uint32_t FunctionAddress(const DebugInfo &info, const ImageFunction &function) {
    // The plain name: without one leading underscore and without an "@" suffix.
    std::string plain = function.name.substr(!function.name.empty() && function.name[0] == '_' ? 1 : 0);
    plain = plain.substr(0, plain.find('@'));
    uint32_t module = 0;
    const ProcedureRecord *procedure = FindProcedure(info, plain.c_str(), &module);
    // Only a procedure of the same image: a DLL may have a function of the same name.
    if (procedure && ModuleAt(info, module)->dll == DllOfAddress(info, function.address))
        return procedure->start;
    return function.address;
}

std::string AddressDescription(const DebugInfo &info, uint32_t address) {
    std::string text = FormatText("Address: %x", address);
    if (const ModuleRecord *m = ModuleAt(info, ModuleOfAddress(info, address)))
        if (!m->name.empty())
            text += FormatText(" %s", m->name.c_str());
    if (uint32_t line = LineOfAddress(info, address).line)
        text += FormatText(" %d", static_cast<int>(line));
    return text;
}

std::string SourceLineOf(const DebugInfo &info, uint32_t address) {
    const ModuleRecord *m = ModuleAt(info, ModuleOfAddress(info, address));
    uint32_t line = LineOfAddress(info, address).line;
    if (!m || m->name.empty() || !line)
        return std::string();
    return FormatText("%s %d", BaseName(m->name).c_str(), static_cast<int>(line));
}

std::vector<UserBreakpoint> UserBreakpoints(const DebugEngine &engine) {
    std::vector<UserBreakpoint> list;
    for (const BreakpointRecord &record : engine.breakpoints) {
        if (!(record.flags & kBreakUser))
            continue;
        std::string text = FormatText("0x%x", record.address);
        const ModuleRecord *m = ModuleAt(engine.info, ModuleOf(engine.info, record));
        if (m && !m->name.empty())
            text += FormatText(" {%s:%d}", BaseName(m->name).c_str(), static_cast<int>(LineOf(engine.info, record)));
        list.push_back({record.address, record.line, record.flags, Lowered(text)});
    }
    return list;
}

AddOutcome AddAddressBreakpoint(DebugEngine &engine, uint32_t address) {
    for (const BreakpointRecord &record : engine.breakpoints)
        if (record.address == address && (record.flags & kBreakUser))
            return kBreakpointExists;
    if (!address || !InsertBreakpoint(engine, address, kBreakUser | kBreakByAddress, ModuleOfAddress(engine.info, address),
                                      -1, 0)) {
        Complain(engine, "Impossible to establish the breakpoint");
        return kBreakpointFailed;
    }
    return kBreakpointAdded;
}

bool AddSourceBreakpoint(DebugEngine &engine, const std::string &text, MarkedLine *marked) {
    size_t end = text.find_last_not_of(" \t");
    size_t start = end == std::string::npos ? 0 : text.find_last_of(" \t", end) + 1;
    std::string number = end == std::string::npos ? "" : text.substr(start, end + 1 - start);
    std::string name = text.substr(0, start);
    name.erase(name.find_last_not_of(" \t") + 1);
    name.erase(0, name.find_first_not_of(" \t"));
    bool digits = !number.empty() && number.size() < 6 &&
                  std::all_of(number.begin(), number.end(), [](char c) { return isdigit(static_cast<unsigned char>(c)); });
    if (name.empty() || !digits || atoi(number.c_str()) < 1 || atoi(number.c_str()) > 65535) {
        Complain(engine, FormatText("\"%s\" is not a source and a line number", text.c_str()));
        return false;
    }
    // Told in a box here: the placing itself only logs what fails when it keeps one.
    uint32_t wanted = static_cast<uint32_t>(atoi(number.c_str()));
    int file = -1;
    uint32_t module = ModuleOfFileName(engine.info, name.c_str(), &file);
    const ModuleRecord *m = ModuleAt(engine.info, module);
    uint16_t found = 0;
    if (!m) {
        Complain(engine, FormatText("%s is not a module for this executable", name.c_str()));
        return false;
    }
    if (!AddressOfLine(engine.info, module, static_cast<uint16_t>(wanted), &found, file)) {
        Complain(engine, FormatText("No code at line %d", static_cast<int>(wanted)));
        return false;
    }
    bool removed = false;
    uint32_t line = ToggleBreakpoint(engine, name.c_str(), wanted, true, &removed);
    if (!line) {
        Complain(engine, "Impossible to establish the breakpoint");
        return false;
    }
    *marked = {file >= 0 && file < static_cast<int>(m->files.size()) ? m->files[static_cast<size_t>(file)].name : "", line};
    return true;
}

bool EraseUserBreakpoint(DebugEngine &engine, const UserBreakpoint &which, std::vector<MarkedLine> *unmarked) {
    for (size_t i = 0; i < engine.breakpoints.size(); i++) {
        const BreakpointRecord &record = engine.breakpoints[i];
        if ((record.flags & kBreakUser) && record.address == which.address && record.line == which.line &&
            record.flags == which.flags) {
            DropUserRecord(engine, i, unmarked);
            return true;
        }
    }
    return false;
}

void ClearUserBreakpoints(DebugEngine &engine, std::vector<MarkedLine> *unmarked) {
    for (size_t i = engine.breakpoints.size(); i-- > 0;)
        if (engine.breakpoints[i].flags & kBreakUser)
            DropUserRecord(engine, i, unmarked);
}

bool StoppedInFile(const DebugEngine &engine, const char *fileName) {
    LineHit hit = LineOfAddress(engine.info, engine.context.eip);
    int file = -1;
    return engine.stopped && hit.module && hit.line && ModuleOfFileName(engine.info, fileName, &file) == hit.module &&
           (file < 0 || hit.file < 0 || file == hit.file);
}

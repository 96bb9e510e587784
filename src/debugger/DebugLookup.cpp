// Look-ups in the debug information: by address (module, procedure, file, line, COFF name),
// by line, by file name and by symbol name, and the current code context.
#include <string.h>

#include <algorithm>

#include "debugger/DebugInfo.h"

namespace {

// The image whose code holds the address: a DLL's, else the executable's.
ImageInfo &ImageOfAddress(DebugInfo &info, uint32_t address) {
    DllRecord *dll = DllOfAddress(info, address);
    return dll ? dll->image : info.exe;
}

// A file name without its directory and extension (at most 99 characters), upper-cased.
std::string BaseName(const char *path) {
    const char *start = path;
    for (const char *p = path; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':')
            start = p + 1;
    const char *dot = strrchr(start, '.');
    std::string name(start, dot ? dot - start : strlen(start));
    if (name.size() > 99)
        name.resize(99);
    for (char &c : name)
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
    return name;
}

}  // namespace

DllRecord *DllOfAddress(const DebugInfo &info, uint32_t address) {
    for (const auto &dll : info.dlls)
        if (dll->image.loadAddress <= address && address < dll->endAddress)
            return dll.get();
    return nullptr;
}

ModuleRecord *ModuleAt(const DebugInfo &info, uint32_t index) {
    return index > 0 && index < info.modules.size() ? info.modules[index].get() : nullptr;
}

uint32_t ModuleOfAddress(const DebugInfo &info, uint32_t address) {
    for (size_t i = 1; i < info.modules.size(); i++) {
        const ModuleRecord *m = info.modules[i].get();
        if (m && m->codeStart <= address && address < m->codeEnd)
            return static_cast<uint32_t>(i);
    }
    return 0;
}

ProcedureRecord *ProcedureOfAddress(const DebugInfo &info, uint32_t module, uint32_t address) {
    ModuleRecord *m = ModuleAt(info, module);
    if (!m)
        return nullptr;
    for (auto &p : m->procedures)
        if (p->start == address || (p->start <= address && address < p->end))
            return p.get();
    return nullptr;
}

int FileOfAddress(DebugInfo &info, uint32_t module, uint32_t address, uint32_t *block) {
    ModuleRecord *m = ModuleAt(info, module);
    if (!m)
        return -1;
    for (size_t f = 0; f < m->files.size(); f++)
        for (size_t b = 0; b < m->files[f].blocks.size(); b++) {
            const LineBlock &lines = m->files[f].blocks[b];
            if (lines.start <= address && address < lines.end) {
                m->currentFile = static_cast<int>(f);
                if (block)
                    *block = static_cast<uint32_t>(b);
                return static_cast<int>(f);
            }
        }
    return -1;
}

LineHit LineOfAddress(const DebugInfo &info, uint32_t address) {
    // First an entry at the address; else, in the first block that holds the address, the
    // entry nearest below it.
    for (int pass = 0; pass < 2; pass++)
        for (size_t i = 1; i < info.modules.size(); i++) {
            const ModuleRecord *m = info.modules[i].get();
            if (!m || address < m->codeStart || address > m->codeEnd)
                continue;
            for (size_t f = 0; f < m->files.size(); f++)
                for (const LineBlock &block : m->files[f].blocks) {
                    if (pass == 1 && (address < block.start || address >= block.end))
                        continue;
                    size_t best = block.addresses.size();
                    for (size_t e = 0; e < block.addresses.size(); e++) {
                        uint32_t a = block.addresses[e];
                        if (pass == 0 ? a == address : a < address && (best == block.addresses.size() || a > block.addresses[best]))
                            best = e;
                        if (pass == 0 && a == address)
                            break;
                    }
                    if (best < block.addresses.size()) {
                        LineHit hit;
                        hit.module = static_cast<uint32_t>(i);
                        hit.file = static_cast<int>(f);
                        hit.line = block.lines[best];
                        hit.exact = pass == 0;
                        return hit;
                    }
                }
        }
    return LineHit();
}

uint32_t AddressOfLine(const DebugInfo &info, uint32_t module, uint16_t line, uint16_t *found, int file) {
    const ModuleRecord *m = ModuleAt(info, module);
    uint32_t bestDistance = 70000, address = 0;
    uint16_t bestLine = 0;
    for (size_t f = 0; m && f < m->files.size(); f++) {
        if (file >= 0 && static_cast<size_t>(file) != f)
            continue;
        for (const LineBlock &block : m->files[f].blocks)
            for (size_t e = 0; e < block.lines.size(); e++) {
                uint32_t distance = block.lines[e] > line ? block.lines[e] - line : line - block.lines[e];
                if (distance < bestDistance) {
                    bestDistance = distance;
                    address = block.addresses[e];
                    bestLine = block.lines[e];
                }
                if (distance == 0)
                    break;
            }
    }
    if (found)
        *found = bestLine;
    return address;
}

bool MakeLineSlice(const DebugInfo &info, uint32_t module, ProcedureRecord *p) {
    if (p && p->sliceMade)
        return true;
    const ModuleRecord *m = ModuleAt(info, module);
    for (size_t f = 0; m && p && f < m->files.size(); f++)
        for (size_t b = 0; b < m->files[f].blocks.size(); b++) {
            const LineBlock &block = m->files[f].blocks[b];
            if (p->start < block.start || p->start >= block.end)
                continue;
            size_t first = 0, n = block.addresses.size();
            while (first < n && block.addresses[first] < p->start)
                first++;
            size_t count = 0;
            while (first + count < n && block.addresses[first + count] < p->end)
                count++;
            p->sliceFile = static_cast<uint32_t>(f);
            p->sliceBlock = static_cast<uint32_t>(b);
            p->sliceFirst = static_cast<uint32_t>(first);
            p->sliceCount = static_cast<uint32_t>(count);
            p->sliceMade = true;
            return true;
        }
    return false;
}

uint32_t ModuleOfFileName(const DebugInfo &info, const char *fileName, int *file) {
    std::string wanted = BaseName(fileName ? fileName : "");
    for (size_t i = 1; i < info.modules.size(); i++) {
        const ModuleRecord *m = info.modules[i].get();
        for (size_t f = 0; m && f < m->files.size(); f++)
            if (BaseName(m->files[f].name.c_str()) == wanted) {
                if (file)
                    *file = static_cast<int>(f);
                return static_cast<uint32_t>(i);
            }
    }
    return 0;
}

const char *NameAtAddress(const DebugInfo &info, uint32_t address) {
    const ProcedureRecord *p = ProcedureOfAddress(info, ModuleOfAddress(info, address), address);
    if (p)
        return p->name.c_str();
    for (const ImportRecord &record : info.imports)
        if (record.target != 0 && record.target == address)
            return record.function.c_str();
    return nullptr;
}

std::string CoffNameAfter(DebugInfo &info, uint32_t address) {
    ImageInfo &image = ImageOfAddress(info, address);
    if (!image.coffFunctionsMade) {
        for (uint32_t i = 0; i < image.symbolCount;) {
            CoffSymbol s = CoffSymbolAt(image, i);
            if (s.section == 1 && s.storageClass == 2)
                image.coffFunctions.push_back({s.value, i});
            i += 1 + s.auxCount;
        }
        std::stable_sort(image.coffFunctions.begin(), image.coffFunctions.end(),
                         [](const CoffFunction &a, const CoffFunction &b) { return a.value < b.value; });
        image.coffFunctionsMade = true;
    }
    if (address < image.loadAddress)
        return std::string();
    uint32_t offset = address - image.loadAddress;
    auto it = std::lower_bound(image.coffFunctions.begin(), image.coffFunctions.end(), offset,
                               [](const CoffFunction &f, uint32_t v) { return f.value < v; });
    for (; it != image.coffFunctions.end(); ++it) {
        std::string name = CoffSymbolName(image, it->symbol);
        if (name.compare(0, 5, ".text") != 0)
            return name;
    }
    return std::string();
}

bool CoffFallback(DebugInfo &info, uint32_t address) {
    const ImageInfo &image = ImageOfAddress(info, address);
    if (address < image.loadAddress)
        return false;
    uint32_t offset = address - image.loadAddress;
    for (uint32_t i = 0; i < image.symbolCount;) {
        CoffSymbol s = CoffSymbolAt(image, i);
        uint32_t next = i + 1 + s.auxCount;
        if (s.value >= offset && s.section == 1) {
            info.pseudo = ProcedureRecord();
            info.pseudo.name = CoffSymbolName(image, i);
            info.pseudo.start = address;
            info.pseudo.end = next < image.symbolCount ? CoffSymbolAt(image, next).value + image.loadAddress : 0;
            return true;
        }
        i = next;
    }
    return false;
}

bool SetCodeContext(DebugInfo &info, uint32_t module, uint32_t address) {
    ProcedureRecord *p = ProcedureOfAddress(info, module, address);
    if (p) {
        if (!MakeLineSlice(info, module, p))
            return false;
        info.context = CodeContext();
        info.context.module = module;
        info.context.procedure = p;
        info.context.start = p->start;
        info.context.end = p->end;
        return true;
    }
    if (!CoffFallback(info, address))
        return false;
    info.context = CodeContext();
    info.context.module = module;
    info.context.procedure = &info.pseudo;
    info.context.start = address;
    info.context.end = info.pseudo.end;
    return true;
}

const SymbolEntry *FindSymbol(const DebugInfo &info, const char *name) {
    const ModuleRecord *m = ModuleAt(info, info.currentModule);
    const SymbolEntry *s = m && m->statics ? m->statics->Find(name) : nullptr;
    if (s)
        return s;
    if (m && m->dll)
        return m->dll->image.globals.Find(name);
    if ((s = info.exe.globals.Find(name)) != nullptr)
        return s;
    for (auto &dll : info.dlls)
        if ((s = dll->image.globals.Find(name)) != nullptr)
            return s;
    return nullptr;
}

const SymbolEntry *FindConstant(const DebugInfo &info, const char *name) {
    const ModuleRecord *m = ModuleAt(info, info.currentModule);
    return m && m->constants ? m->constants->Find(name) : nullptr;
}

ProcedureRecord *FindProcedure(const DebugInfo &info, const char *name, uint32_t *module) {
    size_t length = strlen(name);
    for (size_t i = 1; i < info.modules.size(); i++) {
        const ModuleRecord *m = info.modules[i].get();
        for (size_t k = 0; m && k < m->procedures.size(); k++) {
            const std::string &stored = m->procedures[k]->name;
            size_t from = !stored.empty() && stored[0] == '_' ? 1 : 0;
            size_t at = stored.find('@', from);
            size_t plain = (at == std::string::npos ? stored.size() : at) - from;
            if (plain == length && stored.compare(from, plain, name) == 0) {
                if (module)
                    *module = static_cast<uint32_t>(i);
                return m->procedures[k].get();
            }
        }
    }
    return nullptr;
}

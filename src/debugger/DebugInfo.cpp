// Reading an image: PE headers and section table, COFF symbols, the debug directory, the
// CodeView 4 subsections (modules, line numbers, symbols, types) and the import section.
//
// The image is never copied: the reader keeps pointers into the caller's buffer for the
// COFF symbols and the type records, and copies only what it turns into records. Whatever
// the file says, the work and memory of one read stay proportional to the image's size:
// directory entries may point at the same bytes many times over, so the CodeView walk draws
// on an allowance of bytes visited made from the size of the CodeView data (ReadBudget).
// Module records are made when a subsection first names them; the table's other slots stay
// null.
#include "debugger/DebugInfo.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <map>

#include "debugger/ByteView.h"

namespace {

enum {
    kCoffSymbolSize = 18,
    kSectionHeaderSize = 40,
    kDebugEntrySize = 28,
    kImportDescriptorSize = 20,
    kOptionalHeaderPe32 = 0x10B,
    kSubsystemConsole = 3,
    kDebugTypeCoff = 1,
    kDebugTypeCodeView = 2,
    kDebugTypeMisc = 4,
    kSstModule = 0x0120,
    kSstAlignSym = 0x0125,
    kSstSrcModule = 0x0127,
    kSstGlobalSym = 0x0129,
    kSstGlobalTypes = 0x012B,
    kSstStaticSym = 0x0134,
    kLeafVarString = 0x8010,
    kDamagedRecordLength = 500,
    kGlobalSymHeader = 16,
};

// The bytes one CodeView read may still visit. Each directory entry, record, range, file
// header and line block pays for its bytes each time it is read, so what the read makes
// stays proportional to the data. Well-formed data, whose subsections do not overlap and
// whose procedures do not nest, visits its bytes at most three times; the allowance is four.
struct ReadBudget {
    uint64_t bytes;

    bool Spend(uint64_t n) {
        if (bytes < n) {
            bytes = 0;
            return false;
        }
        bytes -= n;
        return true;
    }
};

// One CodeView read: the image and where its modules start in the table.
struct CvReader {
    DebugInfo &info;
    ImageInfo &image;
    DllRecord *dll;
    uint32_t codeBase;
    uint32_t firstModule;   // table index of this image's module 1
    ReadBudget budget;
    ModuleRecord *symbolModule = nullptr;
    bool reportedIndex = false;

    // The record of module `index` of this image, made on first use; null when the index
    // is outside 1..module count.
    ModuleRecord *Module(uint32_t index) {
        if (index < 1 || index > image.moduleCount)
            return nullptr;
        std::unique_ptr<ModuleRecord> &slot = info.modules[firstModule + index - 1];
        if (!slot) {
            slot.reset(new ModuleRecord);
            slot->index = firstModule + index - 1;
            slot->dll = dll;
        }
        return slot.get();
    }
};

void Report(const DebugInfo &info, DebugInfoMessage message, const char *text = nullptr) {
    if (info.report)
        info.report(message, text ? text : DebugInfoMessageText(message));
}

bool IsPassedOver(uint16_t type) {
    static const uint16_t kinds[] = {0x0001, 0x0004, 0x0005, 0x0006, 0x0009, 0x0200,
                                     0x0206, 0x0207, 0x0209, 0x0400, 0x0401, 0x0402};
    for (uint16_t kind : kinds)
        if (kind == type)
            return true;
    return false;
}

bool SameSectionName(const char *a, const char *b) { return strncasecmp(a, b, 8) == 0; }

// Headers and section table, and where the COFF symbols are. False for anything but a PE32
// image: no "MZ", no "PE\0\0" signature, an optional header too short or of another kind
// (a PE32+ image has magic 0x20B and wider fields), or a section table that does not fit.
bool ReadHeaders(ImageInfo &image, uint64_t *symbolTable, uint64_t *symbolCount) {
    ByteView file(image.view, image.size);
    if (file.U16(0) != 0x5A4D || !file.Has(0x3C, 4))
        return false;
    uint64_t pe = file.U32(0x3C);
    if (!file.Has(pe, 24) || file.U32(pe) != 0x00004550)
        return false;
    ByteView header = file.Sub(pe + 4, 20);
    uint32_t sectionCount = header.U16(2);
    ByteView optional = file.Sub(pe + 24, header.U16(16));
    if (optional.size < 96 || optional.U16(0) != kOptionalHeaderPe32)
        return false;
    ByteView table = file.Sub(pe + 24 + optional.size, uint64_t(sectionCount) * kSectionHeaderSize);
    if (!table.data)
        return false;

    uint32_t load = image.loadAddress;
    image.imageBase = optional.U32(28);
    image.sizeOfImage = optional.U32(56);
    image.codeStart = load + optional.U32(20);
    image.codeEnd = image.codeStart + optional.U32(4);
    image.dataStart = load + optional.U32(24);
    image.dataEnd = image.dataStart + optional.U32(8) + optional.U32(12);
    image.entryRva = optional.U32(16);
    image.console = optional.U16(68) == kSubsystemConsole;
    if (optional.U32(92) > 6 && optional.Has(144, 8)) {
        image.debugRva = optional.U32(144);
        image.debugSize = optional.U32(148);
    }
    image.sections.resize(sectionCount);
    for (uint32_t i = 0; i < sectionCount; i++) {
        SectionHeader &s = image.sections[i];
        memcpy(s.name, table.data + i * kSectionHeaderSize, 8);
        s.name[8] = 0;
        s.virtualAddress = table.U32(i * kSectionHeaderSize + 12);
        s.rawSize = table.U32(i * kSectionHeaderSize + 16);
        s.rawPointer = table.U32(i * kSectionHeaderSize + 20);
    }
    *symbolTable = header.U32(8);
    *symbolCount = header.U32(12);
    return true;
}

// The COFF symbols and their string table. False when there are none, or when the table
// does not lie inside the file.
bool ReadCoffTable(ImageInfo &image, uint64_t offset, uint64_t count) {
    ByteView file(image.view, image.size);
    if (offset == 0 || count == 0 || !file.Has(offset, count * kCoffSymbolSize))
        return false;
    image.symbols = file.data + offset;
    image.symbolCount = static_cast<uint32_t>(count);
    ByteView strings = file.From(offset + count * kCoffSymbolSize);
    image.strings = strings.data;
    uint32_t length = strings.U32(0);
    image.stringTableBad = strings.size < 4 || length > strings.size;
    image.stringsSize = image.stringTableBad ? static_cast<uint32_t>(strings.size) : length;
    return true;
}

// A text ending at its NUL or at the end of the view; false when `o` is outside.
bool CString(ByteView view, uint64_t o, std::string *text) {
    if (o >= view.size)
        return false;
    const char *start = reinterpret_cast<const char *>(view.data + o);
    const void *nul = memchr(start, 0, view.size - static_cast<size_t>(o));
    text->assign(start, nul ? static_cast<const char *>(nul) - start : view.size - static_cast<size_t>(o));
    return true;
}

// sstModule: the first segment gives the code range, then the module's name.
void ReadModule(CvReader &r, ModuleRecord *m, ByteView sub) {
    if (!sub.Has(0, 8))
        return;
    uint32_t segments = sub.U16(4);
    if (segments > 0 && sub.Has(8, 12)) {
        m->codeStart = sub.U32(12) + r.codeBase;
        m->codeSize = sub.U32(16);
        m->codeEnd = m->codeStart + m->codeSize;
    }
    sub.Name(8 + uint64_t(segments) * 12, &m->name);
}

// sstSrcModule: the code ranges, then the files one after another, each followed by its
// line blocks. Reading stops at the first piece that does not fit.
void ReadSourceModule(CvReader &r, ModuleRecord *m, ByteView sub) {
    uint32_t fileCount = sub.U16(0), rangeCount = sub.U16(2);
    uint64_t pos = 4 + uint64_t(fileCount) * 4;
    if (!sub.Has(0, 4) || !sub.Has(pos, uint64_t(rangeCount) * 10) || !r.budget.Spend(uint64_t(rangeCount) * 10))
        return;
    m->ranges.clear();
    for (uint32_t i = 0; i < rangeCount; i++)
        m->ranges.push_back({sub.U32(pos + i * 8) + r.codeBase, sub.U32(pos + i * 8 + 4) + r.codeBase});
    if (rangeCount > 0) {
        m->codeStart = m->ranges.front().start;
        m->codeEnd = m->ranges.back().end;
        m->codeSize = m->codeEnd - m->codeStart;
    }
    pos = (pos + uint64_t(rangeCount) * 10 + 3) & ~uint64_t(3);
    m->files.clear();
    for (uint32_t f = 0; f < fileCount; f++) {
        uint32_t blockCount = sub.U16(pos);
        uint64_t offsets = pos + 4, spans = offsets + uint64_t(blockCount) * 4;
        SourceFileRecord file;
        size_t next = 0;
        if (!sub.Has(pos, 4) || !sub.Has(offsets, uint64_t(blockCount) * 12) ||
            !sub.Name(spans + uint64_t(blockCount) * 8, &file.name, &next) || !r.budget.Spend(next - pos))
            return;
        uint64_t after = next;
        for (uint32_t b = 0; b < blockCount; b++) {
            uint64_t at = sub.U32(offsets + b * 4);
            uint32_t pairs = sub.U16(at + 2);
            if (!sub.Has(at, 4) || !sub.Has(at + 4, uint64_t(pairs) * 6) || !r.budget.Spend(4 + uint64_t(pairs) * 6)) {
                m->files.push_back(std::move(file));
                return;
            }
            LineBlock block;
            block.start = sub.U32(spans + b * 8) + r.codeBase;
            block.end = sub.U32(spans + b * 8 + 4) + r.codeBase;
            block.addresses.resize(pairs);
            block.lines.resize(pairs);
            for (uint32_t i = 0; i < pairs; i++) {
                block.addresses[i] = sub.U32(at + 4 + i * 4) + r.codeBase;
                block.lines[i] = sub.U16(at + 4 + uint64_t(pairs) * 4 + i * 2);
            }
            file.blocks.push_back(std::move(block));
            after = at + 4 + uint64_t(pairs) * 6 + (pairs & 1 ? 2 : 0);
        }
        m->files.push_back(std::move(file));
        if (after <= pos)   // the next file must lie further on
            return;
        pos = after;
    }
}

void AddConstant(CvReader &r, ByteView body) {
    std::string text, name;
    uint32_t length = body.U16(4);
    if (!r.symbolModule || body.U16(2) != kLeafVarString || !body.Has(6, length) || !body.Name(6 + length, &name))
        return;
    text.assign(reinterpret_cast<const char *>(body.data + 6), length);
    ModuleRecord *m = r.symbolModule;
    if (!m->constants)
        m->constants.reset(new SymbolTable);
    m->constants->Add(name, kSymConstant, 3, 0)->text = text;
}

void AddData(CvReader &r, uint16_t kind, ByteView body) {
    std::string name;
    uint32_t section = body.U16(4);
    if (!body.Name(8, &name) || section < 1 || section > r.image.sections.size())
        return;
    uint32_t address = r.image.sections[section - 1].virtualAddress + body.U32(0) + r.image.loadAddress;
    if (kind != kSymLData32) {
        r.image.globals.Add(name, kind, body.U16(6), address);
        return;
    }
    ModuleRecord *m = r.symbolModule;
    if (!m)
        return;
    if (!m->statics)
        m->statics.reset(new SymbolTable);
    m->statics->Add(name, kind, body.U16(6), address);
}

// A procedure record at `pos` (its body in `body`), and its locals: the S_REGISTER and
// S_BPREL32 records from the next record up to its end record, nested blocks included.
void AddProcedure(CvReader &r, ByteView sub, uint16_t kind, ByteView body, uint64_t next, uint64_t limit) {
    std::string name;
    ModuleRecord *m = r.symbolModule;
    if (!m || !body.Name(33, &name))
        return;
    std::unique_ptr<ProcedureRecord> p(new ProcedureRecord);
    p->name = name;
    p->kind = kind;
    p->start = body.U32(24) + r.codeBase;
    p->bodyStart = p->start + body.U32(16);
    p->bodyEnd = p->start + body.U32(20);
    p->end = p->start + body.U32(12);
    uint64_t end = body.U32(4) < limit ? body.U32(4) : limit;
    for (uint64_t q = next; end >= q + 4;) {
        uint64_t length = sub.U16(q), type = sub.U16(q + 2);
        if (length < 2 || length + 2 > end - q || !r.budget.Spend(length + 2))
            break;
        ByteView local = sub.Sub(q + 4, length - 2);
        LocalRecord record;
        if (type == kSymRegister && local.Name(4, &record.name)) {
            record.type = local.U16(0);
            record.value = local.U16(2);
            record.flags = kLocalRegister;
            p->locals.push_back(record);
        } else if (type == kSymBpRel32 && local.Name(6, &record.name)) {
            record.value = static_cast<int32_t>(local.U32(0));
            record.type = local.U16(4);
            record.flags = 0;
            p->locals.push_back(record);
        } else if (type == kSymRegRel32 && local.Name(8, &record.name) && local.U16(6) == kRegisterEsp) {
            // A frame the procedure realigned (main) has its variables at fixed distances
            // from ESP, not from EBP.
            record.value = static_cast<int32_t>(local.U32(0));
            record.type = local.U16(4);
            record.flags = kLocalStackRelative;
            p->locals.push_back(record);
        }
        q += 2 + length;
    }
    r.image.globals.Add(name, kind, 0, p->start)->procedure = p.get();
    m->procedures.push_back(std::move(p));
}

// A run of symbol records from `begin` to `end` of the subsection.
void WalkSymbols(CvReader &r, ByteView sub, uint64_t begin, uint64_t end) {
    for (uint64_t pos = begin; end >= pos + 4;) {
        uint64_t length = sub.U16(pos);
        uint16_t type = sub.U16(pos + 2);
        if (length < 2 || length + 2 > end - pos)
            return;   // a record must hold its type and fit: damaged data
        if (!r.budget.Spend(length + 2))
            return;
        ByteView body = sub.Sub(pos + 4, length - 2);
        uint64_t next = pos + 2 + length;
        switch (type) {
        case kSymConstant:
            AddConstant(r, body);
            break;
        case kSymLData32:
        case kSymGData32:
        case kSymPub32:
            AddData(r, type, body);
            break;
        case kSymLProc32:
        case kSymGProc32:
            AddProcedure(r, sub, type, body, next, end);
            break;
        default:
            if (!IsPassedOver(type) && length > kDamagedRecordLength)
                return;
        }
        pos = next;
    }
}

void ReadTypes(TypeTable &types, ByteView sub) {
    uint32_t count = sub.U32(4);
    if (!sub.Has(8, uint64_t(count) * 4))
        return;
    types.count = count;
    types.offsets = sub.data + 8;
    types.records = types.offsets + uint64_t(count) * 4;
    types.recordsSize = sub.size - 8 - size_t(count) * 4;
}

// The CodeView data: the subsection directory, its module count, then every subsection.
void ReadCodeView(DebugInfo &info, ImageInfo &image, ByteView cv, DllRecord *dll) {
    ByteView directory = cv.From(cv.U32(4));
    uint32_t headerSize = directory.U16(0), entrySize = directory.U16(2);
    uint64_t count = directory.U32(4);
    if (!cv.Has(0, 8) || !directory.Has(0, 8) || entrySize < 12 || headerSize > directory.size)
        return;
    if (count > (directory.size - headerSize) / entrySize)
        count = (directory.size - headerSize) / entrySize;
    ByteView entries = directory.From(headerSize);
    image.hasCodeView = true;

    uint32_t modules = 0;
    for (uint64_t i = 0; i < count; i++)
        if (entries.U16(i * entrySize) == kSstSrcModule && entries.U16(i * entrySize + 2) > modules)
            modules = entries.U16(i * entrySize + 2);
    if (info.modules.empty())
        info.modules.emplace_back();
    uint32_t first = static_cast<uint32_t>(info.modules.size());
    info.modules.resize(first + modules);
    image.moduleCount = modules;
    CvReader r{info, image, dll, image.codeStart, first, {uint64_t(cv.size) * 4 + 4096}};

    for (uint64_t i = 0; i < count && r.budget.Spend(entrySize); i++) {
        uint64_t e = i * entrySize;
        uint16_t type = entries.U16(e), index = entries.U16(e + 2);
        ByteView sub = cv.Sub(entries.U32(e + 4), entries.U32(e + 8));
        if (!sub.data)
            continue;   // a subsection outside the data
        ModuleRecord *m = type == kSstModule || type == kSstSrcModule || type == kSstAlignSym ? r.Module(index) : nullptr;
        switch (type) {
        case kSstModule:
            if (m)
                ReadModule(r, m, sub);
            break;
        case kSstAlignSym:
            r.symbolModule = m;
            if (sub.U32(0) == 1)
                WalkSymbols(r, sub, 4, sub.size);
            break;
        case kSstSrcModule:
            if (m) {
                ReadSourceModule(r, m, sub);
            } else if (!r.reportedIndex) {
                // Once per image: a damaged directory could otherwise ask for thousands of boxes.
                char text[64];
                snprintf(text, sizeof text, DebugInfoMessageText(kDbgBadModuleIndex), index);
                Report(info, kDbgBadModuleIndex, text);
                r.reportedIndex = true;
            }
            break;
        case kSstGlobalSym:
        case kSstStaticSym:
            if (sub.size >= kGlobalSymHeader) {
                uint64_t bytes = sub.U32(4);
                WalkSymbols(r, sub, kGlobalSymHeader, bytes < sub.size - kGlobalSymHeader ? kGlobalSymHeader + bytes : sub.size);
            }
            break;
        case kSstGlobalTypes:
            ReadTypes(image.types, sub);
            break;
        }
    }
}

// The debug directory entries (`count` of 28 bytes in `directory`): the COFF data, the
// first CodeView data, and for a DLL the name in its miscellaneous record.
void ReadDebugEntries(DebugInfo &info, ImageInfo &image, ByteView directory, uint64_t count, DllRecord *dll) {
    ByteView file(image.view, image.size);
    for (uint64_t i = 0; i < count; i++) {
        ByteView entry = directory.Sub(i * kDebugEntrySize, kDebugEntrySize);
        uint32_t type = entry.U32(12), size = entry.U32(16);
        ByteView data = file.Sub(entry.U32(24), size);
        if (type == kDebugTypeCoff && image.symbolCount && !image.coffDebug && data.data) {
            image.coffDebug = data.data;
            image.coffDebugSize = size;
        }
        if (type == kDebugTypeCodeView && size != 0 && !image.hasCodeView) {
            // Data running past the end of the file is read as far as it goes.
            ByteView cv = file.From(entry.U32(24));
            if (cv.size > size)
                cv.size = size;
            ReadCodeView(info, image, cv, dll);
        }
        // The first miscellaneous record naming the image (a path: at most 260 characters).
        if (dll && dll->miscName.empty() && (type == kDebugTypeMisc || type == kDebugTypeCoff) && data.U32(0) == 1)
            CString(data.Sub(0, std::min<uint64_t>(data.size, 12 + 260)), 12, &dll->miscName);
    }
}

const SectionHeader *FindSection(const ImageInfo &image, const char *name) {
    for (const SectionHeader &s : image.sections)
        if (SameSectionName(s.name, name))
            return &s;
    return nullptr;
}

// The debug directory inside ".rdata": its bytes, or an empty view.
ByteView DirectoryInRdata(const ImageInfo &image) {
    const SectionHeader *rdata = FindSection(image, ".rdata");
    if (!rdata || image.debugRva < rdata->virtualAddress)
        return ByteView();
    return ByteView(image.view, image.size).From(uint64_t(rdata->rawPointer) + (image.debugRva - rdata->virtualAddress));
}

// The import descriptors of ".idata", and the functions they import by name. Every RVA must
// lead inside the section's raw data.
void ReadImports(DebugInfo &info) {
    ImageInfo &image = info.exe;
    const SectionHeader *idata = FindSection(image, ".idata");
    if (!idata)
        return;
    ByteView section = ByteView(image.view, image.size).From(idata->rawPointer);
    if (section.size > idata->rawSize)
        section.size = idata->rawSize;
    // A file position in the section; beyond the section for an RVA below it.
    auto at = [&](uint32_t rva) -> uint64_t {
        return rva >= idata->virtualAddress ? uint64_t(rva - idata->virtualAddress) : uint64_t(1) << 40;
    };
    // Each descriptor and import pays for its bytes and the names it copies: descriptors
    // may share their name tables and names, the memory used stays within twice the section.
    ReadBudget budget{uint64_t(section.size) * 2 + 64};
    for (uint64_t d = 0; section.Has(d, kImportDescriptorSize); d += kImportDescriptorSize) {
        std::string dllName;
        if ((section.U32(d + 4) == 0 && section.U32(d + 12) == 0) || !CString(section, at(section.U32(d + 12)), &dllName) ||
            !budget.Spend(kImportDescriptorSize + dllName.size()))
            return;
        uint64_t names = at(section.U32(d)), slots = section.U32(d + 16);
        for (uint32_t i = 0; section.Has(names + uint64_t(i) * 4, 4); i++) {
            uint32_t entry = section.U32(names + uint64_t(i) * 4);
            ImportRecord record;
            if (entry == 0 || (entry & 0x80000000) || !CString(section, at(entry) + 2, &record.function) ||
                !budget.Spend(4 + record.function.size() + dllName.size()))
                break;
            record.dll = dllName;
            record.slot = image.loadAddress + static_cast<uint32_t>(slots) + 4 * i;
            info.imports.push_back(record);
        }
    }
}

}  // namespace

const char *DebugInfoMessageText(DebugInfoMessage message) {
    switch (message) {
    case kDbgCouldNotOpen: return "Couldn't open file";
    case kDbgCouldNotMapView: return "Couldn't map view of file with MapViewOfFile()";
    case kDbgUnrecognizedFormat: return "Unrecognized file format";
    case kDbgNoDebugInfo: return "No debugging information in %s";
    case kDbgAttachNoDebugInfo: return "Impossible to attach\nNo debug information in executable";
    case kDbgBadStringTable: return "Incorrect length of string table";
    case kDbgBadModuleIndex: return "Incorrect module index %d";
    case kDbgNoEntryPoint: return "Impossible to find the entry point. No debug information";
    case kDbgNoStartModule: return "Impossible to find the entry point (_mainCRTStartup)";
    }
    return "";
}

std::string CoffSymbolName(const ImageInfo &image, uint32_t i) {
    if (i >= image.symbolCount)
        return std::string();
    const uint8_t *symbol = image.symbols + size_t(i) * kCoffSymbolSize;
    if (symbol[0] | symbol[1] | symbol[2] | symbol[3]) {
        const void *nul = memchr(symbol, 0, 8);
        return std::string(reinterpret_cast<const char *>(symbol), nul ? static_cast<const uint8_t *>(nul) - symbol : 8);
    }
    std::string name;
    uint32_t offset = ByteView(symbol, kCoffSymbolSize).U32(4);
    ByteView strings(image.strings, image.stringsSize);
    if (offset >= 4 && offset < strings.size)
        CString(strings.Sub(offset, std::min<uint64_t>(kCoffNameLimit, strings.size - offset)), 0, &name);
    return name;
}

CoffSymbol CoffSymbolAt(const ImageInfo &image, uint32_t i) {
    CoffSymbol s;
    if (i >= image.symbolCount)
        return s;
    ByteView v(image.symbols + size_t(i) * kCoffSymbolSize, kCoffSymbolSize);
    s.value = v.U32(8);
    s.section = static_cast<int16_t>(v.U16(12));
    s.type = v.U16(14);
    s.storageClass = v.U8(16);
    s.auxCount = v.U8(17);
    // The linker stores a value as the offset in its section: made an RVA here.
    if (s.section >= 1 && static_cast<size_t>(s.section) <= image.sections.size())
        s.value += image.sections[static_cast<size_t>(s.section) - 1].virtualAddress;
    return s;
}

bool ReadExecutable(DebugInfo &info, const uint8_t *view, size_t size, uint32_t loadAddress, const char *name) {
    ReleaseDebugInfo(info);
    info.name = name ? name : "";
    ImageInfo &image = info.exe;
    image.view = view;
    image.size = view ? size : 0;
    image.loadAddress = loadAddress;
    uint64_t symbolTable = 0, symbolCount = 0;
    if (!ReadHeaders(image, &symbolTable, &symbolCount)) {
        Report(info, kDbgUnrecognizedFormat);
        return false;
    }
    if (!ReadCoffTable(image, symbolTable, symbolCount)) {
        if (info.attached) {
            Report(info, kDbgAttachNoDebugInfo);
            info.quitRequested = true;
        } else {
            std::string text = DebugInfoMessageText(kDbgNoDebugInfo);
            text.replace(text.find("%s"), 2, info.name);
            Report(info, kDbgNoDebugInfo, text.c_str());
        }
        return false;
    }
    if (image.stringTableBad)
        Report(info, kDbgBadStringTable);

    // The directory lies at the start of ".debug" when that section is it, else in ".rdata".
    const SectionHeader *debug = FindSection(image, ".debug");
    ByteView directory = debug && debug->virtualAddress == image.debugRva
                             ? ByteView(view, image.size).From(debug->rawPointer)
                             : DirectoryInRdata(image);
    uint64_t count = image.debugSize / kDebugEntrySize;
    if (count > directory.size / kDebugEntrySize)
        count = directory.size / kDebugEntrySize;
    ReadDebugEntries(info, image, directory, count, nullptr);
    ReadImports(info);
    return true;
}

DllRecord *AddDll(DebugInfo &info, uint32_t loadAddress, const char *fileName) {
    std::unique_ptr<DllRecord> dll(new DllRecord);
    dll->image.loadAddress = loadAddress;
    dll->fileName = fileName ? fileName : "";
    info.dlls.insert(info.dlls.begin(), std::move(dll));
    return info.dlls.front().get();
}

uint32_t LoadDllInfo(DebugInfo &info, DllRecord *dll, const uint8_t *view, size_t size) {
    if (!dll || dll->image.view)
        return dll ? dll->moduleCount : 0;   // read once only
    ImageInfo &image = dll->image;
    image.view = view;
    image.size = view ? size : 0;
    uint64_t symbolTable = 0, symbolCount = 0;
    if (!ReadHeaders(image, &symbolTable, &symbolCount)) {
        Report(info, kDbgUnrecognizedFormat);
        return 0;
    }
    dll->endAddress = image.loadAddress + image.sizeOfImage;
    ReadCoffTable(image, symbolTable, symbolCount);   // a DLL may have none: no message
    ByteView directory = DirectoryInRdata(image);
    uint64_t count = image.debugSize / kDebugEntrySize;
    if (count > directory.size / kDebugEntrySize)
        count = directory.size / kDebugEntrySize;
    dll->debugEntries = static_cast<uint32_t>(count);
    dll->debugDirectory.assign(directory.data, directory.data + count * kDebugEntrySize);
    uint32_t before = info.modules.empty() ? 1 : static_cast<uint32_t>(info.modules.size());
    ReadDebugEntries(info, image, directory, count, dll);
    dll->firstModule = before;
    dll->moduleCount = image.moduleCount;
    return dll->moduleCount;
}

bool ResolveImports(DebugInfo &info) {
    const ImageInfo &image = info.exe;
    if (image.stringTableBad || !info.readMemory)
        return false;
    std::multimap<std::string, ImportRecord *> byName;
    for (ImportRecord &record : info.imports)
        byName.insert({record.function, &record});
    for (uint32_t i = 0; i < image.symbolCount; i += 1 + CoffSymbolAt(image, i).auxCount) {
        std::string name = CoffSymbolName(image, i);
        if (name.empty() || name[0] != '_')
            continue;
        name = name.substr(0, name.find('@'));
        for (const std::string &key : {name, name.substr(1)}) {
            auto range = byName.equal_range(key);
            for (auto it = range.first; it != range.second; ++it) {
                uint32_t stub = CoffSymbolAt(image, i).value + image.loadAddress, slot = 0, target = 0;
                if (!info.readMemory(stub + 2, &slot, 4) || !info.readMemory(slot, &target, 4))
                    continue;
                it->second->stub = stub;
                it->second->slot = slot;
                it->second->target = target;
            }
        }
    }
    return true;
}

uint32_t FindEntryPoint(DebugInfo &info) {
    static const char *const names[] = {"_WinMain@16", "_main", "_MAIN__"};
    const SymbolEntry *entry = nullptr;
    int which = 0;
    for (; which < 3 && !entry; which++)
        entry = FindSymbol(info, names[which]);
    if (!entry) {
        Report(info, kDbgNoEntryPoint);
        info.exe.symbolCount = 0;
        return 0;
    }
    info.fortran = which == 3;
    info.entryAddress = entry->value;
    uint32_t module = ModuleOfAddress(info, entry->value);
    if (module && !info.fortran)
        info.currentModule = module;
    if (!module)
        module = ModuleOfAddress(info, info.exe.loadAddress + info.exe.entryRva);
    if (!module) {
        Report(info, kDbgNoStartModule);
        return 0;
    }
    info.startModule = module;
    return module;
}

void ReleaseDebugInfo(DebugInfo &info) {
    info.quitRequested = false;
    info.name.clear();
    info.exe = ImageInfo();
    info.modules.clear();
    info.dlls.clear();
    info.imports.clear();
    info.currentModule = info.startModule = info.entryAddress = 0;
    info.fortran = false;
    info.context = CodeContext();
    info.pseudo = ProcedureRecord();
}

void ReleaseDll(DebugInfo &info, DllRecord *dll) {
    auto it = info.dlls.begin();
    while (it != info.dlls.end() && it->get() != dll)
        ++it;
    if (it == info.dlls.end())
        return;
    uint32_t first = dll->firstModule, n = dll->moduleCount;
    if (n && first + n <= info.modules.size()) {
        info.modules.erase(info.modules.begin() + first, info.modules.begin() + first + n);
        for (size_t i = first; i < info.modules.size(); i++)
            if (info.modules[i])
                info.modules[i]->index = static_cast<uint32_t>(i);
        for (auto &other : info.dlls)
            if (other->firstModule > first)
                other->firstModule -= n;
        // Indexes of the DLL's modules come to nothing, later ones move down.
        auto renumber = [&](uint32_t *index) {
            if (*index >= first + n)
                *index -= n;
            else if (*index >= first)
                *index = 0;
        };
        renumber(&info.currentModule);
        renumber(&info.startModule);
        renumber(&info.context.module);
        if (!info.context.module && info.context.procedure != &info.pseudo)
            info.context = CodeContext();
    }
    info.dlls.erase(it);
}

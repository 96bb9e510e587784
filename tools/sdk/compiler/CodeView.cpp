// The DWARF to CodeView 4 conversion: see CodeView.h.
//
// The CodeView data is one block: "NB09", the offset of the subsection directory, the
// subsections (per module an sstModule, an sstAlignSym and an sstSrcModule; then one
// sstGlobalSym and one sstGlobalTypes), the directory and the "NB09" trailer. Code addresses
// in it are offsets from the code base (load address + BaseOfCode), data addresses a section
// number and the offset in that section, as the debugger reads them.
//
// Each DWARF compilation unit with code becomes a module. Types are converted once per DWARF
// entry and shared by all modules through the one type table; a structure gets its index
// before its members are converted, so a member that points back at it refers to the
// finished record, not to a forward reference.
#include "CodeView.h"

#include "Dwarf.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

namespace {

// Symbol records, type leaves and subsection kinds.
constexpr uint16_t S_COMPILE = 0x0001, S_REGISTER = 0x0002, S_CONSTANT = 0x0003, S_END = 0x0006,
    S_BPREL32 = 0x0200, S_LDATA32 = 0x0201, S_GDATA32 = 0x0202, S_LPROC32 = 0x0204, S_GPROC32 = 0x0205,
    S_BLOCK32 = 0x0207, S_REGREL32 = 0x020C;
constexpr uint16_t LF_POINTER = 0x0002, LF_ARRAY = 0x0003, LF_STRUCTURE = 0x0005, LF_UNION = 0x0006,
    LF_ENUM = 0x0007, LF_PROCEDURE = 0x0008, LF_ARGLIST = 0x0201, LF_FIELDLIST = 0x0204,
    LF_BITFIELD = 0x0206, LF_ENUMERATE = 0x0403, LF_MEMBER = 0x0406, LF_VARSTRING = 0x8010;
constexpr uint16_t sstModule = 0x0120, sstAlignSym = 0x0125, sstSrcModule = 0x0127, sstGlobalSym = 0x0129,
    sstGlobalTypes = 0x012B;
// Primitive types: bits 0-7 the base type, bits 8-10 the pointer mode (4: 32-bit near).
constexpr uint16_t T_NOTYPE = 0x0000, T_VOID = 0x0003, T_CHAR = 0x0010, T_UCHAR = 0x0020, T_RCHAR = 0x0070,
    T_SHORT = 0x0072, T_USHORT = 0x0073, T_LONG = 0x0012, T_ULONG = 0x0022, T_INT4 = 0x0074,
    T_UINT4 = 0x0075, T_QUAD = 0x0076, T_UQUAD = 0x0077, T_REAL32 = 0x0040, T_REAL64 = 0x0041,
    T_REAL80 = 0x0042, T_NEAR32 = 0x0400;
const uint16_t kRegisterEax = 17;    // CodeView numbers EAX, ECX, EDX, EBX, ESP, EBP, ESI, EDI from 17
const uint16_t kRegisterEsp = 21;
const uint16_t kPublic = 3;          // member attributes: public access
const uint16_t kForwardReference = 0x0080;
const uint32_t kMaxRecord = 0xFF00;  // a record's length is a u16

uint16_t Get16(const std::vector<uint8_t> &d, size_t at) { return (uint16_t)(d[at] | d[at + 1] << 8); }
uint32_t Get32(const std::vector<uint8_t> &d, size_t at) {
    return (uint32_t)Get16(d, at) | (uint32_t)Get16(d, at + 2) << 16;
}
void Put16(std::vector<uint8_t> *d, size_t at, uint32_t v) { (*d)[at] = (uint8_t)v; (*d)[at + 1] = (uint8_t)(v >> 8); }
void Put32(std::vector<uint8_t> *d, size_t at, uint32_t v) { Put16(d, at, v & 0xFFFF); Put16(d, at + 2, v >> 16); }
uint64_t AlignUp(uint64_t v, uint64_t a) { return (v + a - 1) / a * a; }

// Little-endian output.
struct Out {
    std::string b;
    size_t Size() const { return b.size(); }
    void U8(unsigned v) { b.push_back((char)(v & 0xFF)); }
    void U16(unsigned v) { U8(v); U8(v >> 8); }
    void U32(uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
    void Name(const std::string &s) {
        size_t n = std::min<size_t>(s.size(), 255);
        U8((unsigned)n);
        b.append(s, 0, n);
    }
    void Set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; i++)
            b[at + i] = (char)(v >> (8 * i));
    }
    void Align4() {
        while (b.size() % 4)
            U8(0);
    }
    // A CodeView numeric field: a plain u16 below 0x8000, else a leaf and the value.
    void Numeric(int64_t v) {
        if (v >= 0 && v < 0x8000) {
            U16((unsigned)v);
        } else if (v >= -128 && v < 128) {
            U16(0x8000);
            U8((unsigned)v);
        } else if (v >= -32768 && v < 32768) {
            U16(0x8001);
            U16((unsigned)v);
        } else if (v >= 0 && v <= 0xFFFF) {
            U16(0x8002);
            U16((unsigned)v);
        } else if (v >= INT32_MIN && v <= INT32_MAX) {
            U16(0x8003);
            U32((uint32_t)v);
        } else if (v >= 0 && v <= 0xFFFFFFFF) {
            U16(0x8004);
            U32((uint32_t)v);
        } else {
            U16(0x8009);
            U32((uint32_t)v);
            U32((uint32_t)((uint64_t)v >> 32));
        }
    }
    // Pads a leaf inside a type record (whose u16 length is not in `b`) to 4 bytes with
    // 0xF3 0xF2 0xF1: each pad byte says how many bytes to skip from it.
    void PadLeaf() {
        for (size_t pad = (4 - (2 + b.size()) % 4) % 4; pad > 0; pad--)
            U8(0xF0 + (unsigned)pad);
    }
};

// A symbol record: u16 length, u16 kind, the body, zeros up to a multiple of 4 bytes.
size_t Symbol(Out *o, uint16_t kind, const Out &body) {
    size_t at = o->Size();
    size_t length = AlignUp(4 + body.Size(), 4) - 2;
    o->U16((unsigned)length);
    o->U16(kind);
    o->b += body.b;
    o->Align4();
    return at;
}

struct Section {
    std::string name;
    uint32_t va = 0, virtualSize = 0, rawSize = 0, rawPointer = 0, flags = 0;
    uint32_t Extent() const { return virtualSize ? virtualSize : rawSize; }
};

struct Pe {
    uint32_t fileHeader = 0, optional = 0, sectionTable = 0;
    uint16_t sectionCount = 0;
    uint32_t timeStamp = 0, imageBase = 0, baseOfCode = 0, sectionAlign = 0, fileAlign = 0, sizeOfHeaders = 0;
    uint32_t checksum = 0, symbols = 0, symbolCount = 0, strings = 0, stringsSize = 0;
    uint32_t debugRva = 0, debugSize = 0, securitySize = 0;
    std::vector<Section> sections;

    const Section *Find(const char *name) const {
        for (const Section &s : sections)
            if (s.name == name)
                return &s;
        return nullptr;
    }
    // The 1-based number of the section that holds the RVA; 0 when none does.
    int SectionOf(uint32_t rva) const {
        for (size_t i = 0; i < sections.size(); i++)
            if (rva >= sections[i].va && rva - sections[i].va < sections[i].Extent())
                return (int)i + 1;
        return 0;
    }
    // True when [rva, end) lies in one section of code, above the code base.
    bool IsCode(uint32_t rva, uint32_t end) const {
        int n = SectionOf(rva);
        if (n == 0 || rva < baseOfCode || end < rva)
            return false;
        const Section &s = sections[n - 1];
        return (s.flags & 0x20000020) != 0 && end - s.va <= s.Extent();
    }
    // The file bytes of [rva, rva + size), when the file holds them.
    const uint8_t *Bytes(const std::vector<uint8_t> &d, uint32_t rva, uint32_t size) const {
        int n = SectionOf(rva);
        if (n == 0)
            return nullptr;
        const Section &s = sections[n - 1];
        uint64_t inSection = (uint64_t)rva - s.va;
        if (inSection + size > s.rawSize)
            return nullptr;
        return d.data() + s.rawPointer + inSection;
    }
};

CodeViewResult ReadPe(const std::vector<uint8_t> &d, Pe *pe, std::string *error) {
    auto fail = [&](const char *why) {
        *error = why;
        return CodeViewResult::kFailed;
    };
    if (d.size() < 0x40 || d[0] != 'M' || d[1] != 'Z')
        return fail("not an executable");
    uint32_t peAt = Get32(d, 0x3C);
    if (peAt > d.size() - 24 || memcmp(&d[peAt], "PE\0\0", 4) != 0)
        return fail("no PE header");
    if (Get16(d, peAt + 4) != 0x14C)   // the x86-64 images of the 64-bit tools: the debugger is 32-bit
        return CodeViewResult::kNothing;
    pe->fileHeader = peAt + 4;
    pe->sectionCount = Get16(d, peAt + 6);
    pe->timeStamp = Get32(d, peAt + 8);
    pe->symbols = Get32(d, peAt + 12);
    pe->symbolCount = Get32(d, peAt + 16);
    uint16_t optionalSize = Get16(d, peAt + 20);
    pe->optional = peAt + 24;
    if ((uint64_t)pe->optional + optionalSize > d.size() || optionalSize < 2)
        return fail("the optional header runs past the end of the file");
    uint16_t magic = Get16(d, pe->optional);
    if (magic == 0x20B)
        return CodeViewResult::kNothing;
    if (magic != 0x10B || optionalSize < 224 || Get32(d, pe->optional + 92) < 7)
        return fail("the optional header is not a PE32 one with a debug directory entry");
    const uint32_t o = pe->optional;
    pe->baseOfCode = Get32(d, o + 20);
    pe->imageBase = Get32(d, o + 28);
    pe->sectionAlign = Get32(d, o + 32);
    pe->fileAlign = Get32(d, o + 36);
    pe->sizeOfHeaders = Get32(d, o + 60);
    pe->checksum = Get32(d, o + 64);
    pe->securitySize = Get32(d, o + 96 + 4 * 8 + 4);
    pe->debugRva = Get32(d, o + 96 + 6 * 8);
    pe->debugSize = Get32(d, o + 96 + 6 * 8 + 4);
    pe->sectionTable = o + optionalSize;
    if (pe->sectionAlign == 0 || pe->fileAlign == 0)
        return fail("the image has no alignment");
    if ((uint64_t)pe->sectionTable + 40ull * pe->sectionCount > d.size())
        return fail("the section table runs past the end of the file");
    if (pe->symbols != 0) {
        uint64_t strings = pe->symbols + 18ull * pe->symbolCount;
        if (strings + 4 > d.size())
            return fail("the COFF symbol table runs past the end of the file");
        pe->strings = (uint32_t)strings;
        pe->stringsSize = Get32(d, pe->strings);
        if (pe->stringsSize < 4 || strings + pe->stringsSize > d.size())
            return fail("the COFF string table runs past the end of the file");
    }
    for (uint16_t i = 0; i < pe->sectionCount; i++) {
        size_t at = pe->sectionTable + 40u * i;
        Section s;
        const char *raw = (const char *)&d[at];
        s.name.assign(raw, strnlen(raw, 8));
        if (s.name.size() > 1 && s.name[0] == '/' && pe->symbols != 0) {   // "/n": a long name in the string table
            uint32_t offset = (uint32_t)strtoul(s.name.c_str() + 1, nullptr, 10);
            if (offset >= 4 && offset < pe->stringsSize) {
                const char *text = (const char *)&d[pe->strings + offset];
                s.name.assign(text, strnlen(text, pe->stringsSize - offset));
            }
        }
        s.virtualSize = Get32(d, at + 8);
        s.va = Get32(d, at + 12);
        s.rawSize = Get32(d, at + 16);
        s.rawPointer = Get32(d, at + 20);
        s.flags = Get32(d, at + 36);
        if (s.rawSize != 0 && (uint64_t)s.rawPointer + s.rawSize > d.size())
            return fail("a section runs past the end of the file");
        pe->sections.push_back(s);
    }
    return CodeViewResult::kAdded;
}

// The standard PE checksum: 16-bit one's-complement sum of the file without the checksum
// field, plus the file's length.
uint32_t PeChecksum(const std::vector<uint8_t> &d, size_t checksumAt) {
    uint64_t sum = 0;
    for (size_t i = 0; i + 1 < d.size(); i += 2) {
        if (i == checksumAt || i == checksumAt + 2)
            continue;
        sum += Get16(d, i);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (d.size() & 1)
        sum += d.back();
    sum = (sum & 0xFFFF) + (sum >> 16);
    sum = (sum & 0xFFFF) + (sum >> 16);
    return (uint32_t)(sum + d.size());
}

struct Module {
    std::string name;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;   // RVAs, sorted
    Out symbols, lines;
};

class Converter {
public:
    Converter(const std::vector<uint8_t> &image, const Pe &pe, const Dwarf &dwarf, const SourcePathMap &mapPath)
        : image_(image), pe_(pe), dwarf_(dwarf), mapPath_(mapPath) {}
    bool Convert(std::string *error);
    bool Empty() const { return modules_.empty() && globals_.Size() == 0; }
    std::string CodeViewData() const;

private:
    typedef std::vector<std::pair<uint32_t, uint32_t>> Ranges;
    const std::vector<uint8_t> &image_;
    const Pe &pe_;
    const Dwarf &dwarf_;
    const SourcePathMap &mapPath_;
    std::vector<Module> modules_;
    Out globals_;                                      // sstGlobalSym's records
    std::set<std::string> globalNames_;
    std::vector<std::string> types_;                   // type records from index 0x1000
    std::map<std::string, uint16_t> shared_;           // record bytes -> index
    std::unordered_map<uint32_t, uint16_t> typeOf_;    // entry offset -> index
    std::map<std::string, uint32_t> definitions_;      // tag kind and name -> complete definition
    std::unordered_map<uint32_t, std::string> typedefNames_;   // anonymous type -> its typedef's name
    std::multimap<uint32_t, std::string> functionSymbols_;     // COFF functions: RVA -> name
    int depth_ = 0;

    struct Procedure {
        uint32_t entry, low, high;   // the subprogram; its code as RVAs
    };
    struct Row {
        uint32_t rva, end, file, line;
    };
    void Prepare();
    bool ConvertUnit(const DwarfUnit &u, std::string *error);
    std::vector<Procedure> Procedures(const DwarfUnit &u) const;
    bool UnitCode(const DwarfUnit &u, const std::vector<Procedure> &procedures, Ranges *code, std::string *error) const;
    void FileScope(const DwarfUnit &u, Out *s);
    bool LineRows(const DwarfUnit &u, const std::string &compDir, DwarfLineTable *lines, std::vector<Row> *rows,
                  std::string *error) const;
    bool FrameToEbp(const DwarfUnit &u, const Procedure &p, int32_t *offset) const;
    size_t ProcedureSymbols(const DwarfUnit &u, const Procedure &p, const std::vector<Row> &rows, size_t previous,
                            Out *s);
    void SourceLines(const Ranges &code, const DwarfLineTable &lines, const std::vector<Row> &rows,
                     const std::string &source, Out *l) const;
    void DataSymbol(const DwarfUnit &u, uint32_t e, uint32_t address, Out *local);
    void Scope(const DwarfUnit &u, uint32_t scope, uint32_t scopeRecord, bool frameKnown, int32_t frameToEbp, Out *o);
    std::string ProcedureName(const std::string &name, uint32_t rva) const;
    bool CodeRange(const DwarfUnit &u, uint32_t e, uint32_t *low, uint32_t *high) const;

    uint16_t NewIndex();
    uint16_t Shared(const Out &body);
    void SetRecord(uint16_t index, const Out &body);
    uint16_t TypeOf(const DwarfUnit &u, uint32_t e);
    uint16_t Convert(const DwarfUnit &u, uint32_t e);
    uint16_t Primitive(const DwarfUnit &u, uint32_t e) const;
    uint16_t Aggregate(const DwarfUnit &u, uint32_t e, uint16_t leaf);
    uint16_t Enumeration(const DwarfUnit &u, uint32_t e);
    uint16_t Array(const DwarfUnit &u, uint32_t e);
    uint16_t ProcedureType(const DwarfUnit &u, uint32_t e, unsigned callingConvention);
    uint64_t SizeOf(const DwarfUnit &u, uint32_t e, int depth) const;
    // The element counts of an array type's dimensions, in order.
    std::vector<uint64_t> Dimensions(const DwarfUnit &u, uint32_t e) const;
    bool TypeEntry(const DwarfUnit &u, uint32_t e, const DwarfUnit **tu, uint32_t *te) const;
    std::string TagName(const DwarfUnit &u, uint32_t e, uint16_t index) const;
};

// Each entry of a unit in file order, with `visit(index)`.
template <typename F> void EachEntry(const DwarfUnit &u, F visit) {
    for (uint32_t i = 0; i < u.entries.size(); i++)
        visit(i);
}

// Children of an entry.
template <typename F> void EachChild(const DwarfUnit &u, uint32_t e, F visit) {
    for (uint32_t c = u.entries[e].firstChild; c < u.entries.size(); c = u.entries[c].nextSibling)
        visit(c);   // kNone ends it too
}

std::string DefinitionKey(uint16_t tag, const std::string &name) { return std::to_string(tag) + " " + name; }

void Converter::Prepare() {
    for (const DwarfUnit &u : dwarf_.units) {
        EachEntry(u, [&](uint32_t e) {
            uint16_t tag = u.entries[e].tag;
            if (tag == kTagStructureType || tag == kTagUnionType || tag == kTagEnumerationType) {
                std::string name = dwarf_.Text(u, e, kAtName);
                if (!name.empty() && !dwarf_.Flag(u, e, kAtDeclaration))
                    definitions_.insert({DefinitionKey(tag, name), u.entries[e].offset});
            } else if (tag == kTagTypedef) {
                const DwarfUnit *tu;
                uint32_t te;
                if (TypeEntry(u, e, &tu, &te) && dwarf_.Text(*tu, te, kAtName).empty())
                    typedefNames_.insert({tu->entries[te].offset, dwarf_.Text(u, e, kAtName)});
            }
        });
    }
    // COFF function symbols (derived type "function", external or static), for the names
    // procedures carry: decorated as the linker knows them ("_main", "_WinMain@16").
    for (uint32_t i = 0; i < pe_.symbolCount; i++) {
        size_t at = pe_.symbols + 18u * i;
        uint32_t value = Get32(image_, at + 8);
        int16_t section = (int16_t)Get16(image_, at + 12);
        uint16_t type = Get16(image_, at + 14);
        uint8_t storage = image_[at + 16];
        uint8_t aux = image_[at + 17];
        bool function = (type & 0x30) == 0x20 && (storage == 2 || storage == 3);
        if (function && section >= 1 && section <= (int)pe_.sections.size()) {
            std::string name;
            if (Get32(image_, at) != 0) {
                const char *raw = (const char *)&image_[at];
                name.assign(raw, strnlen(raw, 8));
            } else {
                uint32_t offset = Get32(image_, at + 4);
                if (offset >= 4 && offset < pe_.stringsSize) {
                    const char *text = (const char *)&image_[pe_.strings + offset];
                    name.assign(text, strnlen(text, pe_.stringsSize - offset));
                }
            }
            functionSymbols_.insert({pe_.sections[section - 1].va + value, name});
        }
        i += aux;
    }
}

// The name a procedure is stored under: the COFF symbol at its address whose name is the
// DWARF one with the leading underscore and any "@n" suffix; "_" + the name otherwise.
std::string Converter::ProcedureName(const std::string &name, uint32_t rva) const {
    auto found = functionSymbols_.equal_range(rva);
    for (auto i = found.first; i != found.second; ++i) {
        const std::string &symbol = i->second;
        if (symbol.size() > name.size() && symbol[0] == '_' && symbol.compare(1, name.size(), name) == 0 &&
            (symbol.size() == name.size() + 1 || symbol[name.size() + 1] == '@'))
            return symbol;
    }
    return "_" + name;
}

bool Converter::TypeEntry(const DwarfUnit &u, uint32_t e, const DwarfUnit **tu, uint32_t *te) const {
    const DwarfAttribute *a = dwarf_.Find(u, e, kAtType);
    return a && dwarf_.Resolve(*a, tu, te);
}

uint16_t Converter::NewIndex() {
    if (types_.size() >= 0xF000)   // the 16-bit indices are used up: further types stay untyped
        return T_NOTYPE;
    types_.push_back("");
    return (uint16_t)(0x1000 + types_.size() - 1);
}

void Converter::SetRecord(uint16_t index, const Out &body) {
    Out r;
    r.U16((unsigned)(AlignUp(2 + body.Size(), 4) - 2));
    r.b += body.b;
    for (size_t pad = (4 - (2 + body.Size()) % 4) % 4; pad > 0; pad--)
        r.U8(0xF0 + (unsigned)pad);
    types_[index - 0x1000] = r.b;
}

uint16_t Converter::Shared(const Out &body) {
    auto found = shared_.find(body.b);
    if (found != shared_.end())
        return found->second;
    uint16_t index = NewIndex();
    if (index != T_NOTYPE) {
        SetRecord(index, body);
        shared_[body.b] = index;
    }
    return index;
}

uint16_t Converter::TypeOf(const DwarfUnit &u, uint32_t e) {
    const DwarfUnit *tu;
    uint32_t te;
    if (!TypeEntry(u, e, &tu, &te))
        return dwarf_.Find(u, e, kAtType) ? T_NOTYPE : T_VOID;
    return Convert(*tu, te);
}

uint16_t Converter::Convert(const DwarfUnit &u, uint32_t e) {
    uint32_t offset = u.entries[e].offset;
    auto found = typeOf_.find(offset);
    if (found != typeOf_.end())
        return found->second;
    if (depth_ > 200)   // a chain this deep is a loop in damaged data
        return T_NOTYPE;
    depth_++;
    uint16_t index = T_NOTYPE;
    switch (u.entries[e].tag) {
    case kTagBaseType: index = Primitive(u, e); break;
    case kTagTypedef: case kTagConstType: case kTagVolatileType: case kTagRestrictType: case kTagAtomicType:
        index = TypeOf(u, e);   // CodeView's modifier records are left out: the debugger shows the type itself
        break;
    case kTagPointerType: {
        uint16_t to = TypeOf(u, e);
        if (to == T_NOTYPE || to == T_VOID) {
            index = T_NEAR32 | T_VOID;
        } else if (to < 0x100) {
            index = T_NEAR32 | to;
        } else {
            Out body;
            body.U16(LF_POINTER);
            body.U16(0x000A);   // a plain 32-bit near pointer
            body.U16(to);
            index = Shared(body);
        }
        break;
    }
    case kTagStructureType: index = Aggregate(u, e, LF_STRUCTURE); break;
    case kTagUnionType: index = Aggregate(u, e, LF_UNION); break;
    case kTagEnumerationType: index = Enumeration(u, e); break;
    case kTagArrayType: index = Array(u, e); break;
    case kTagSubroutineType: index = ProcedureType(u, e, 0); break;
    default: break;
    }
    depth_--;
    typeOf_[offset] = index;
    return index;
}

uint16_t Converter::Primitive(const DwarfUnit &u, uint32_t e) const {
    uint64_t encoding = 0, size = 0;
    dwarf_.Number(u, e, kAtEncoding, &encoding);
    dwarf_.Number(u, e, kAtByteSize, &size);
    bool isLong = dwarf_.Text(u, e, kAtName).find("long") != std::string::npos;
    switch (encoding) {
    case 0x02: return size == 1 ? T_UCHAR : T_UINT4;   // _Bool: shown as a number
    case 0x04:
        return size == 4 ? T_REAL32 : size == 8 ? T_REAL64 : size >= 10 && size <= 16 ? T_REAL80 : T_NOTYPE;
    case 0x05:
        return size == 1   ? T_CHAR
               : size == 2 ? T_SHORT
               : size == 4 ? (isLong ? T_LONG : T_INT4)
               : size == 8 ? T_QUAD
                           : T_NOTYPE;
    case 0x06: return dwarf_.Text(u, e, kAtName) == "char" ? T_RCHAR : T_CHAR;
    case 0x07: case 0x10:
        return size == 1   ? T_UCHAR
               : size == 2 ? T_USHORT
               : size == 4 ? (isLong ? T_ULONG : T_UINT4)
               : size == 8 ? T_UQUAD
                           : T_NOTYPE;
    case 0x08: return T_UCHAR;
    default: return T_NOTYPE;
    }
}

// The size in bytes of a DWARF type; 0 when unknown.
uint64_t Converter::SizeOf(const DwarfUnit &u, uint32_t e, int depth) const {
    if (depth > 50)
        return 0;
    uint64_t size = 0;
    if (dwarf_.Number(u, e, kAtByteSize, &size))
        return size;
    const DwarfUnit *tu;
    uint32_t te;
    switch (u.entries[e].tag) {
    case kTagPointerType: return 4;
    case kTagTypedef: case kTagConstType: case kTagVolatileType: case kTagRestrictType: case kTagAtomicType:
        return TypeEntry(u, e, &tu, &te) ? SizeOf(*tu, te, depth + 1) : 0;
    case kTagArrayType: {
        size = TypeEntry(u, e, &tu, &te) ? SizeOf(*tu, te, depth + 1) : 0;
        for (uint64_t count : Dimensions(u, e))
            size = count < (1ull << 32) && size < (1ull << 32) ? size * count : 0;
        return size;
    }
    default: return 0;
    }
}

// A structure's or union's tag: its name, the name of a typedef that names it, or (for one
// with neither) its type index in decimal, which the debugger shows as an unnamed one.
std::string Converter::TagName(const DwarfUnit &u, uint32_t e, uint16_t index) const {
    std::string name = dwarf_.Text(u, e, kAtName);
    if (!name.empty())
        return name;
    auto found = typedefNames_.find(u.entries[e].offset);
    return found != typedefNames_.end() ? found->second : std::to_string(index);
}

// A structure or union. Its record keeps the structure's layout for both (count, field list,
// property, derivation list, shape, size, name), so the name's length byte is 16 bytes
// after the record's start in either.
uint16_t Converter::Aggregate(const DwarfUnit &u, uint32_t e, uint16_t leaf) {
    std::string name = dwarf_.Text(u, e, kAtName);
    if (dwarf_.Flag(u, e, kAtDeclaration) && !name.empty()) {   // defined in another unit, perhaps
        auto found = definitions_.find(DefinitionKey(u.entries[e].tag, name));
        const DwarfUnit *du;
        uint32_t de;
        if (found != definitions_.end() && dwarf_.EntryAt(found->second, &du, &de))
            return Convert(*du, de);
    }
    uint16_t index = NewIndex();
    if (index == T_NOTYPE)
        return T_NOTYPE;
    typeOf_[u.entries[e].offset] = index;   // members pointing back find it
    Out fields;
    fields.U16(LF_FIELDLIST);
    unsigned count = 0;
    bool declaration = dwarf_.Flag(u, e, kAtDeclaration);
    EachChild(u, e, [&](uint32_t m) {
        if (u.entries[m].tag != kTagMember || fields.Size() > kMaxRecord)
            return;
        uint16_t type = TypeOf(u, m);
        uint64_t offset = 0, bits = 0;
        const DwarfAttribute *location = dwarf_.Find(u, m, kAtDataMemberLocation, false);
        if (location && location->kind == DwarfAttribute::kBlock) {   // DWARF 2 and 3: DW_OP_plus_uconst n
            ByteCursor c({location->bytes, location->length}, 0);
            if (c.U8() != kOpPlusUconst || (offset = c.Uleb(), !c.ok || c.Left() != 0))
                return;
        } else if (location && !dwarf_.Number(u, m, kAtDataMemberLocation, &offset)) {
            return;
        }
        if (dwarf_.Number(u, m, kAtBitSize, &bits)) {   // a bit field: its storage unit and position
            const DwarfUnit *tu;
            uint32_t te;
            uint64_t unit = TypeEntry(u, m, &tu, &te) ? SizeOf(*tu, te, 0) : 0, storage = 0, dataBit = 0, bitOffset = 0;
            if (unit == 0 || unit > 8 || bits == 0 || bits > 64)
                return;
            int64_t position;
            if (dwarf_.Number(u, m, kAtDataBitOffset, &dataBit)) {
                position = (int64_t)dataBit;
            } else {
                if (!dwarf_.Number(u, m, kAtByteSize, &storage))
                    storage = unit;
                dwarf_.Number(u, m, kAtBitOffset, &bitOffset);
                position = (int64_t)(offset * 8 + storage * 8) - (int64_t)bitOffset - (int64_t)bits;
            }
            if (position < 0)
                return;
            offset = (uint64_t)position / (unit * 8) * unit;
            Out bitfield;
            bitfield.U16(LF_BITFIELD);
            bitfield.U8((unsigned)bits);
            bitfield.U8((unsigned)((uint64_t)position - offset * 8));
            bitfield.U16(type);
            type = Shared(bitfield);
        }
        fields.U16(LF_MEMBER);
        fields.U16(type);
        fields.U16(kPublic);
        fields.Numeric((int64_t)std::min<uint64_t>(offset, 0xFFFFFFFF));
        fields.Name(dwarf_.Text(u, m, kAtName));
        fields.PadLeaf();
        count++;
    });
    uint16_t fieldList = declaration ? T_NOTYPE : Shared(fields);
    uint64_t size = 0;
    dwarf_.Number(u, e, kAtByteSize, &size);
    Out body;
    body.U16(leaf);
    body.U16(count);
    body.U16(fieldList);
    body.U16(declaration ? kForwardReference : 0);
    body.U16(0);   // derivation list
    body.U16(0);   // virtual function table shape
    body.Numeric((int64_t)std::min<uint64_t>(size, 0xFFFFFFFF));
    body.Name(TagName(u, e, index));
    SetRecord(index, body);
    return index;
}

uint16_t Converter::Enumeration(const DwarfUnit &u, uint32_t e) {
    uint64_t size = 4;
    dwarf_.Number(u, e, kAtByteSize, &size);
    uint16_t underlying = dwarf_.Find(u, e, kAtType) ? TypeOf(u, e) : T_NOTYPE;
    if (underlying == T_NOTYPE)
        underlying = size == 1 ? T_UCHAR : size == 2 ? T_USHORT : T_INT4;
    Out fields;
    fields.U16(LF_FIELDLIST);
    unsigned count = 0;
    EachChild(u, e, [&](uint32_t c) {
        const DwarfAttribute *value = dwarf_.Find(u, c, kAtConstValue);
        if (u.entries[c].tag != kTagEnumerator || !value || fields.Size() > kMaxRecord)
            return;
        fields.U16(LF_ENUMERATE);
        fields.U16(kPublic);
        fields.Numeric((int64_t)value->value);
        fields.Name(dwarf_.Text(u, c, kAtName));
        fields.PadLeaf();
        count++;
    });
    uint16_t index = NewIndex();
    if (index == T_NOTYPE)
        return T_NOTYPE;
    Out body;
    body.U16(LF_ENUM);
    body.U16(count);
    body.U16(underlying);
    body.U16(Shared(fields));
    body.U16(0);
    body.Name(TagName(u, e, index));
    SetRecord(index, body);
    return index;
}

// An array, one record per dimension from the innermost out. The length in bytes is always a
// 4-byte numeric (LF_USHORT, or LF_ULONG past 65535), so the name's length byte follows 12
// bytes after the record's start, where the debugger looks for it.
std::vector<uint64_t> Converter::Dimensions(const DwarfUnit &u, uint32_t e) const {
    std::vector<uint64_t> counts;
    EachChild(u, e, [&](uint32_t c) {
        uint64_t count = 0, upper = 0;
        if (u.entries[c].tag != kTagSubrangeType)
            return;
        if (!dwarf_.Number(u, c, kAtCount, &count) && dwarf_.Number(u, c, kAtUpperBound, &upper))
            count = upper + 1;
        counts.push_back(count);
    });
    return counts;
}

uint16_t Converter::Array(const DwarfUnit &u, uint32_t e) {
    uint16_t type = TypeOf(u, e);
    const DwarfUnit *tu;
    uint32_t te;
    uint64_t size = TypeEntry(u, e, &tu, &te) ? SizeOf(*tu, te, 0) : 0;
    std::vector<uint64_t> counts = Dimensions(u, e);
    if (counts.empty())
        counts.push_back(0);
    for (size_t i = counts.size(); i-- > 0;) {
        size = counts[i] < (1ull << 32) && size < (1ull << 32) ? size * counts[i] : 0;
        Out body;
        body.U16(LF_ARRAY);
        body.U16(type);
        body.U16(T_INT4);
        if (size <= 0xFFFF) {
            body.U16(0x8002);
            body.U16((unsigned)size);
        } else {
            body.U16(0x8004);
            body.U32((uint32_t)std::min<uint64_t>(size, 0xFFFFFFFF));
        }
        body.Name("");
        type = Shared(body);
    }
    return type;
}

// A procedure type from the return type and the formal parameters of a subprogram or a
// subroutine type; "..." adds an untyped last argument.
uint16_t Converter::ProcedureType(const DwarfUnit &u, uint32_t e, unsigned callingConvention) {
    uint16_t returns = TypeOf(u, e);
    Out arguments;
    arguments.U16(LF_ARGLIST);
    std::vector<uint16_t> types;
    EachChild(u, e, [&](uint32_t c) {
        if (u.entries[c].tag == kTagFormalParameter && types.size() < 1000)
            types.push_back(TypeOf(u, c));
        else if (u.entries[c].tag == kTagUnspecifiedParameters && types.size() < 1000)
            types.push_back(T_NOTYPE);
    });
    arguments.U16((unsigned)types.size());
    for (uint16_t t : types)
        arguments.U16(t);
    Out body;
    body.U16(LF_PROCEDURE);
    body.U16(returns);
    body.U8(callingConvention);
    body.U8(0);
    body.U16((unsigned)types.size());
    body.U16(Shared(arguments));
    return Shared(body);
}

// [low, high) of an entry's code as RVAs: from DW_AT_low_pc and DW_AT_high_pc, or the first
// of its DW_AT_ranges. False when it has none, or it lies outside the image's code (the
// DWARF of code the linker dropped says address 0).
bool Converter::CodeRange(const DwarfUnit &u, uint32_t e, uint32_t *low, uint32_t *high) const {
    const DwarfAttribute *lowPc = dwarf_.Find(u, e, kAtLowPc, false);
    const DwarfAttribute *highPc = dwarf_.Find(u, e, kAtHighPc, false);
    uint64_t start, end;
    if (lowPc && highPc && lowPc->kind == DwarfAttribute::kNumber) {
        start = lowPc->value;
        end = highPc->addressForm ? highPc->value : start + highPc->value;
    } else {
        const DwarfAttribute *ranges = dwarf_.Find(u, e, kAtRanges, false);
        uint64_t base = 0;
        dwarf_.Number(u, 0, kAtLowPc, &base);
        Ranges list;
        std::string ignored;
        if (!ranges || ranges->value > 0xFFFFFFFF ||
            !dwarf_.ReadRanges((uint32_t)ranges->value, (uint32_t)base, &list, &ignored) || list.empty())
            return false;
        start = list[0].first;
        end = list[0].second;
    }
    if (start < pe_.imageBase || end <= start || end - pe_.imageBase > 0xFFFFFFFF)
        return false;
    *low = (uint32_t)(start - pe_.imageBase);
    *high = (uint32_t)(end - pe_.imageBase);
    return pe_.IsCode(*low, *high);
}

// S_GDATA32 (into sstGlobalSym) for an external variable, S_LDATA32 (into `local`) for a
// static one: section number and offset in the section.
void Converter::DataSymbol(const DwarfUnit &u, uint32_t e, uint32_t address, Out *local) {
    uint32_t rva = address - pe_.imageBase;
    int section = address >= pe_.imageBase ? pe_.SectionOf(rva) : 0;
    std::string name = dwarf_.Text(u, e, kAtName);
    if (section == 0 || name.empty())
        return;
    bool external = dwarf_.Flag(u, e, kAtExternal);
    if (external && !globalNames_.insert(name).second)
        return;
    Out body;
    body.U32(rva - pe_.sections[section - 1].va);
    body.U16((unsigned)section);
    body.U16(TypeOf(u, e));
    body.Name(name);
    Symbol(external ? &globals_ : local, external ? S_GDATA32 : S_LDATA32, body);
}

// The variables of a procedure or block: frame variables (S_BPREL32, EBP-relative),
// register variables (S_REGISTER), stack variables of a function that realigns its stack
// (S_REGREL32 on ESP), static ones (S_LDATA32), and nested blocks (S_BLOCK32 ... S_END).
// A variable whose place is a location list or another expression is left out.
void Converter::Scope(const DwarfUnit &u, uint32_t scope, uint32_t scopeRecord, bool frameKnown, int32_t frameToEbp,
                      Out *o) {
    if (depth_ > 200)   // blocks nested this deep are damaged data
        return;
    depth_++;
    EachChild(u, scope, [&](uint32_t c) {
        uint16_t tag = u.entries[c].tag;
        if (tag == kTagLexicalBlock) {
            uint32_t low, high;
            if (!CodeRange(u, c, &low, &high)) {
                Scope(u, c, scopeRecord, frameKnown, frameToEbp, o);
                return;
            }
            Out body;
            body.U32(scopeRecord);
            body.U32(0);   // end: set below
            body.U32(high - low);
            body.U32(low - pe_.baseOfCode);
            body.U16((unsigned)pe_.SectionOf(low));
            body.Name("");
            size_t at = Symbol(o, S_BLOCK32, body), inside = o->Size();
            Scope(u, c, (uint32_t)at, frameKnown, frameToEbp, o);
            if (o->Size() == inside) {   // nothing in it: not worth a block
                o->b.resize(at);
                return;
            }
            o->Set32(at + 8, (uint32_t)o->Size());
            Symbol(o, S_END, Out());
            return;
        }
        if (tag != kTagFormalParameter && tag != kTagVariable)
            return;
        std::string name = dwarf_.Text(u, c, kAtName);
        const DwarfAttribute *location = dwarf_.Find(u, c, kAtLocation, false);
        if (name.empty() || !location || location->kind != DwarfAttribute::kBlock || location->length == 0)
            return;
        ByteCursor expression({location->bytes, location->length}, 0);
        uint8_t op = expression.U8();
        int64_t offset = 0;
        uint32_t address = 0;
        if (op == kOpFbreg || op == kOpBreg0 + 4 || op == kOpBreg0 + 5)
            offset = expression.Sleb();
        else if (op == kOpAddr)
            address = expression.U32();
        if (!expression.ok || expression.Left() != 0 || offset < INT32_MIN || offset > INT32_MAX)
            return;
        Out body;
        if (op == kOpAddr) {
            DataSymbol(u, c, address, o);
            return;
        }
        if ((op == kOpFbreg && frameKnown) || op == kOpBreg0 + 5) {
            body.U32((uint32_t)(int32_t)(offset + (op == kOpFbreg ? frameToEbp : 0)));
            body.U16(TypeOf(u, c));
            body.Name(name);
            Symbol(o, S_BPREL32, body);
        } else if (op == kOpBreg0 + 4) {
            body.U32((uint32_t)(int32_t)offset);
            body.U16(TypeOf(u, c));
            body.U16(kRegisterEsp);
            body.Name(name);
            Symbol(o, S_REGREL32, body);
        } else if (op >= kOpReg0 && op < kOpReg0 + 8) {
            body.U16(TypeOf(u, c));
            body.U16(kRegisterEax + (op - kOpReg0));
            body.Name(name);
            Symbol(o, S_REGISTER, body);
        }
    });
    depth_--;
}

// The subprograms of a unit that have code, in address order.
std::vector<Converter::Procedure> Converter::Procedures(const DwarfUnit &u) const {
    std::vector<Procedure> procedures;
    EachChild(u, 0, [&](uint32_t e) {
        uint32_t low, high;
        if (u.entries[e].tag == kTagSubprogram && CodeRange(u, e, &low, &high))
            procedures.push_back({e, low, high});
    });
    std::sort(procedures.begin(), procedures.end(),
              [](const Procedure &a, const Procedure &b) { return a.low < b.low; });
    return procedures;
}

// A unit's code as RVA ranges in address order: its DW_AT_ranges, or low and high pc, or
// else the extent of its procedures; none for a unit without code.
bool Converter::UnitCode(const DwarfUnit &u, const std::vector<Procedure> &procedures, Ranges *code,
                         std::string *error) const {
    uint64_t base = 0;
    dwarf_.Number(u, 0, kAtLowPc, &base);
    Ranges ranges;
    uint32_t low, high;
    const DwarfAttribute *list = dwarf_.Find(u, 0, kAtRanges, false);
    if (list) {
        if (list->value > 0xFFFFFFFF || !dwarf_.ReadRanges((uint32_t)list->value, (uint32_t)base, &ranges, error))
            return false;
    } else if (CodeRange(u, 0, &low, &high)) {
        ranges.push_back({low + pe_.imageBase, high + pe_.imageBase});
    }
    for (const auto &r : ranges)
        if (r.first >= pe_.imageBase && pe_.IsCode(r.first - pe_.imageBase, r.second - pe_.imageBase))
            code->push_back({r.first - pe_.imageBase, r.second - pe_.imageBase});
    if (code->empty())
        for (const Procedure &p : procedures)
            code->push_back({p.low, p.high});
    std::sort(code->begin(), code->end());
    code->resize(std::min<size_t>(code->size(), 0xFFFF));
    return true;
}

// The module's symbols outside procedures: the compiler, file-scope variables (external ones
// go to sstGlobalSym) and enumerators as constants whose value is their decimal text.
void Converter::FileScope(const DwarfUnit &u, Out *s) {
    Out compile;
    compile.U8(0x03);   // 80386
    compile.U8(0);      // C
    compile.U8(0);
    compile.U8(0x08);   // 32-bit code
    compile.Name(dwarf_.Text(u, 0, kAtProducer));
    Symbol(s, S_COMPILE, compile);
    std::set<std::string> constants;
    EachEntry(u, [&](uint32_t e) {
        const DwarfEntry &entry = u.entries[e];
        if (entry.tag == kTagVariable && entry.parent == 0 && !dwarf_.Find(u, e, kAtDeclaration, false)) {
            const DwarfAttribute *location = dwarf_.Find(u, e, kAtLocation, false);
            bool fixed = location && location->kind == DwarfAttribute::kBlock && location->length == 5;
            if (fixed && location->bytes[0] == kOpAddr)
                DataSymbol(u, e, ByteCursor({location->bytes, location->length}, 1).U32(), s);
            return;
        }
        if (entry.tag != kTagEnumerator || entry.parent >= u.entries.size() ||
            u.entries[entry.parent].tag != kTagEnumerationType)
            return;
        const DwarfAttribute *value = dwarf_.Find(u, e, kAtConstValue);
        std::string name = dwarf_.Text(u, e, kAtName);
        if (!value || name.empty() || !constants.insert(name).second)
            return;
        std::string text = value->kind == DwarfAttribute::kSigned ? std::to_string((int64_t)value->value)
                                                                  : std::to_string(value->value);
        Out body;
        body.U16(Convert(u, entry.parent));
        body.U16(LF_VARSTRING);
        body.U16((unsigned)text.size());
        body.b += text;
        body.Name(name);
        Symbol(s, S_CONSTANT, body);
    });
}

// The unit's line rows as RVAs in address order; sequences of code the linker dropped (at
// address 0) are left out. Each row covers the addresses up to the next one.
bool Converter::LineRows(const DwarfUnit &u, const std::string &compDir, DwarfLineTable *lines, std::vector<Row> *rows,
                         std::string *error) const {
    const DwarfAttribute *stmtList = dwarf_.Find(u, 0, kAtStmtList, false);
    if (!stmtList)
        return true;
    if (stmtList->value > 0xFFFFFFFF || !dwarf_.ReadLines((uint32_t)stmtList->value, compDir, lines, error))
        return false;
    size_t sequenceStart = 0;
    for (size_t i = 0; i < lines->rows.size(); i++) {
        const DwarfLineRow &last = lines->rows[i];
        if (!last.endSequence)
            continue;
        uint32_t first = lines->rows[sequenceStart].address;
        if (first >= pe_.imageBase && last.address >= first &&
            pe_.IsCode(first - pe_.imageBase, last.address - pe_.imageBase))
            for (size_t j = sequenceStart; j < i; j++) {
                const DwarfLineRow &row = lines->rows[j];
                uint32_t next = lines->rows[j + 1].address;
                if (row.address >= first && next >= row.address && next <= last.address)
                    rows->push_back({row.address - pe_.imageBase, next - pe_.imageBase, row.file, row.line});
            }
        sequenceStart = i + 1;
    }
    std::stable_sort(rows->begin(), rows->end(), [](const Row &a, const Row &b) { return a.rva < b.rva; });
    return true;
}

// How a procedure's frame base relates to EBP. For DW_OP_call_frame_cfa the CFA is EBP + 8
// once "push ebp; mov ebp, esp" has run, so a variable at fbreg n is at EBP + n + 8; the
// prologue is checked in the code. False when the relation is not known (the frame pointer
// left out, another frame base): then the frame variables are left out.
bool Converter::FrameToEbp(const DwarfUnit &u, const Procedure &p, int32_t *offset) const {
    const DwarfAttribute *frame = dwarf_.Find(u, p.entry, kAtFrameBase, false);
    if (!frame || frame->kind != DwarfAttribute::kBlock || frame->length == 0)
        return false;
    const uint8_t *prologue = pe_.Bytes(image_, p.low, 3);
    uint8_t op = frame->bytes[0];
    *offset = 0;
    if (op == kOpCallFrameCfa && frame->length == 1) {
        *offset = 8;
        return prologue && prologue[0] == 0x55 &&
               ((prologue[1] == 0x89 && prologue[2] == 0xE5) || (prologue[1] == 0x8B && prologue[2] == 0xEC));
    }
    if (op == kOpReg0 + 5)
        return frame->length == 1;
    ByteCursor c({frame->bytes, frame->length}, 1);
    int64_t k = c.Sleb();
    *offset = (int32_t)k;
    return op == kOpBreg0 + 5 && c.ok && c.Left() == 0 && k > INT32_MIN && k < INT32_MAX;
}

// A procedure record with its variables and S_END; links the previous procedure's "next" to
// it. Returns the record's offset.
size_t Converter::ProcedureSymbols(const DwarfUnit &u, const Procedure &p, const std::vector<Row> &rows,
                                   size_t previous, Out *s) {
    std::vector<uint32_t> starts;   // the line-table addresses within the procedure
    auto first = std::lower_bound(rows.begin(), rows.end(), p.low, [](const Row &r, uint32_t a) { return r.rva < a; });
    for (auto r = first; r != rows.end() && r->rva < p.high; ++r)
        if (starts.empty() || starts.back() != r->rva)
            starts.push_back(r->rva);
    std::string name = ProcedureName(dwarf_.Text(u, p.entry, kAtName), p.low);
    Out body;
    body.U32(0);   // parent
    body.U32(0);   // end: set below
    body.U32(0);   // next: set with the next procedure
    body.U32(p.high - p.low);
    body.U32(starts.size() > 1 ? starts[1] - p.low : 0);
    body.U32(starts.size() > 1 ? starts.back() - p.low : p.high - p.low);
    body.U32(p.low - pe_.baseOfCode);
    body.U16((unsigned)pe_.SectionOf(p.low));
    body.U16(ProcedureType(u, p.entry, name.find('@') != std::string::npos ? 0x07 : 0x00));   // near stdcall or C
    body.U8(0);
    body.Name(name);
    size_t at = Symbol(s, dwarf_.Flag(u, p.entry, kAtExternal) ? S_GPROC32 : S_LPROC32, body);
    if (previous)
        s->Set32(previous + 12, (uint32_t)at);
    int32_t frameToEbp = 0;
    bool frameKnown = FrameToEbp(u, p, &frameToEbp);
    Scope(u, p.entry, (uint32_t)at, frameKnown, frameToEbp, s);
    s->Set32(at + 8, (uint32_t)s->Size());
    Symbol(s, S_END, Out());
    return at;
}

// sstSrcModule: the module's ranges, then per source file (the unit's own first) one block of
// code offsets and lines; of two rows at one address the later one counts.
void Converter::SourceLines(const Ranges &code, const DwarfLineTable &lines, const std::vector<Row> &rows,
                            const std::string &source, Out *l) const {
    std::vector<uint32_t> order;
    std::map<uint32_t, std::vector<const Row *>> byFile;
    for (const Row &r : rows) {
        if (r.line == 0 || r.line > 0xFFFF || r.file >= lines.files.size())
            continue;
        std::vector<const Row *> &list = byFile[r.file];
        if (list.empty())
            order.push_back(r.file);
        if (!list.empty() && list.back()->rva == r.rva)
            list.back() = &r;
        else if (list.size() < 0xFFFF)
            list.push_back(&r);
    }
    std::stable_partition(order.begin(), order.end(), [&](uint32_t f) { return lines.files[f] == source; });
    order.resize(std::min<size_t>(order.size(), 0xFFFF));
    l->U16((unsigned)order.size());
    l->U16((unsigned)code.size());
    size_t fileOffsets = l->Size();
    for (size_t i = 0; i < order.size(); i++)
        l->U32(0);   // set below
    for (const auto &r : code) {
        l->U32(r.first - pe_.baseOfCode);
        l->U32(r.second - pe_.baseOfCode);
    }
    for (const auto &r : code)
        l->U16((unsigned)pe_.SectionOf(r.first));
    l->Align4();
    for (size_t i = 0; i < order.size(); i++) {
        const std::vector<const Row *> &list = byFile[order[i]];
        uint32_t start = list.front()->rva, end = start;
        for (const Row *r : list)
            end = std::max(end, r->end);
        l->Set32(fileOffsets + 4 * i, (uint32_t)l->Size());
        l->U16(1);   // one block
        l->U16(0);
        size_t blockOffset = l->Size();
        l->U32(0);   // set below
        l->U32(start - pe_.baseOfCode);
        l->U32(end - pe_.baseOfCode);
        l->Name(mapPath_(lines.files[order[i]]));
        l->Align4();
        l->Set32(blockOffset, (uint32_t)l->Size());
        l->U16((unsigned)pe_.SectionOf(start));
        l->U16((unsigned)list.size());
        for (const Row *r : list)
            l->U32(r->rva - pe_.baseOfCode);
        for (const Row *r : list)
            l->U16(r->line);
        l->Align4();
    }
}

bool Converter::ConvertUnit(const DwarfUnit &u, std::string *error) {
    if (u.entries[0].tag != kTagCompileUnit)
        return true;
    std::string compDir = dwarf_.Text(u, 0, kAtCompDir);
    std::string source = JoinPath(compDir, dwarf_.Text(u, 0, kAtName));
    std::vector<Procedure> procedures = Procedures(u);
    Module m;
    if (!UnitCode(u, procedures, &m.ranges, error))
        return false;
    m.name = mapPath_(source);
    m.symbols.U32(1);   // CodeView 4 symbols
    FileScope(u, &m.symbols);   // its external variables count even without code
    if (m.ranges.empty())
        return true;
    DwarfLineTable lines;
    std::vector<Row> rows;
    if (!LineRows(u, compDir, &lines, &rows, error))
        return false;
    size_t previous = 0;
    for (const Procedure &p : procedures)
        previous = ProcedureSymbols(u, p, rows, previous, &m.symbols);
    SourceLines(m.ranges, lines, rows, source, &m.lines);
    modules_.push_back(std::move(m));
    return true;
}

bool Converter::Convert(std::string *error) {
    Prepare();
    for (const DwarfUnit &u : dwarf_.units)
        if (!ConvertUnit(u, error))
            return false;
    return true;
}

std::string Converter::CodeViewData() const {
    struct Entry {
        uint16_t kind, module;
        uint32_t offset, size;
    };
    std::vector<Entry> directory;
    Out cv;
    cv.b = "NB09";
    cv.U32(0);   // the directory's offset: set below
    auto add = [&](uint16_t kind, uint16_t module, const std::string &data) {
        cv.Align4();
        directory.push_back({kind, module, (uint32_t)cv.Size(), (uint32_t)data.size()});
        cv.b += data;
    };
    for (size_t i = 0; i < modules_.size(); i++) {
        const Module &m = modules_[i];
        Out o;
        o.U16(0);   // overlay
        o.U16(0);   // library
        o.U16((unsigned)m.ranges.size());
        o.b += "CV";
        for (const auto &r : m.ranges) {
            o.U16((unsigned)pe_.SectionOf(r.first));
            o.U16(0);
            o.U32(r.first - pe_.baseOfCode);
            o.U32(r.second - r.first);
        }
        o.Name(m.name);
        add(sstModule, (uint16_t)(i + 1), o.b);
    }
    for (size_t i = 0; i < modules_.size(); i++) {
        add(sstAlignSym, (uint16_t)(i + 1), modules_[i].symbols.b);
        add(sstSrcModule, (uint16_t)(i + 1), modules_[i].lines.b);
    }
    Out globals;
    globals.U16(0);   // no name hash
    globals.U16(0);   // no address hash
    globals.U32((uint32_t)globals_.Size());
    globals.U32(0);
    globals.U32(0);
    globals.b += globals_.b;
    add(sstGlobalSym, 0xFFFF, globals.b);
    Out types;
    types.U32(1);
    types.U32((uint32_t)types_.size());
    uint32_t offset = 0;
    for (const std::string &t : types_) {
        types.U32(offset);
        offset += (uint32_t)t.size();
    }
    for (const std::string &t : types_)
        types.b += t;
    add(sstGlobalTypes, 0xFFFF, types.b);
    cv.Align4();
    cv.Set32(4, (uint32_t)cv.Size());
    cv.U16(16);   // directory header size
    cv.U16(12);   // entry size
    cv.U32((uint32_t)directory.size());
    cv.U32(0);
    cv.U32(0);
    for (const Entry &e : directory) {
        cv.U16(e.kind);
        cv.U16(e.module);
        cv.U32(e.offset);
        cv.U32(e.size);
    }
    cv.b += "NB09";
    cv.U32((uint32_t)cv.Size() + 4);
    return cv.b;
}

// Where a DWARF section's bytes are in the file (its virtual size, the padding left out).
ByteSpan SectionBytes(const std::vector<uint8_t> &d, const Pe &pe, const char *name) {
    const Section *s = pe.Find(name);
    if (!s)
        return ByteSpan();
    return {d.data() + s->rawPointer, std::min(s->rawSize, s->virtualSize ? s->virtualSize : s->rawSize)};
}

// The new image: a ".debug" section after the last one holding the CodeView data (and the
// debug directory when .rdata has no room for it), the symbol and string tables behind it.
CodeViewResult Extend(const std::vector<uint8_t> &d, const Pe &pe, const std::string &cv, std::vector<uint8_t> *out,
                      std::string *error) {
    auto fail = [&](const char *why) {
        *error = why;
        return CodeViewResult::kFailed;
    };
    if (pe.Find(".debug"))
        return fail("the image has a .debug section already");
    if (pe.securitySize != 0)
        return fail("the image is signed");
    uint64_t rawEnd = 0, virtualEnd = 0, firstRaw = d.size();
    for (const Section &s : pe.sections) {
        if (s.rawSize) {
            rawEnd = std::max<uint64_t>(rawEnd, (uint64_t)s.rawPointer + s.rawSize);
            firstRaw = std::min<uint64_t>(firstRaw, s.rawPointer);
        }
        virtualEnd = std::max<uint64_t>(virtualEnd, AlignUp((uint64_t)s.va + s.Extent(), pe.sectionAlign));
    }
    uint64_t insertAt = AlignUp(rawEnd, pe.fileAlign);
    uint64_t header = pe.sectionTable + 40ull * pe.sectionCount;
    auto zero = [&](uint64_t from, uint64_t size) {
        return std::all_of(d.begin() + (size_t)from, d.begin() + (size_t)(from + size), [](uint8_t b) { return b == 0; });
    };
    if (header + 40 > pe.sizeOfHeaders || header + 40 > firstRaw || !zero(header, 40))
        return fail("the headers have no room for another section");
    if (pe.symbols != 0 && pe.symbols < insertAt)
        return fail("the COFF symbol table lies between the sections");

    // The debug directory: the image's own entries and one for CodeView. A CodeView entry of
    // the linker's (the "RSDS" build id of --build-id) is dropped: the debugger would read it
    // as CodeView data too.
    std::vector<uint8_t> directory;
    const uint8_t *old = pe.debugSize >= 28 ? pe.Bytes(d, pe.debugRva, pe.debugSize / 28 * 28) : nullptr;
    for (uint32_t i = 0; old && i < pe.debugSize / 28; i++)
        if (memcmp(old + 28 * i + 12, "\2\0\0\0", 4) != 0)   // the entry's type
            directory.insert(directory.end(), old + 28 * i, old + 28 * i + 28);
    size_t entry = directory.size();
    directory.resize(entry + 28, 0);
    const Section *rdata = pe.Find(".rdata");
    uint64_t inRdata = rdata ? AlignUp(rdata->virtualSize, 4) : 0;
    bool directoryInRdata = rdata && rdata->virtualSize && inRdata + directory.size() <= rdata->rawSize &&
                            rdata->va + inRdata + directory.size() <=
                                AlignUp((uint64_t)rdata->va + rdata->virtualSize, pe.sectionAlign) &&
                            zero(rdata->rawPointer + inRdata, directory.size());
    uint32_t sectionVa = (uint32_t)virtualEnd;
    uint64_t added = cv.size() + directory.size();
    if (virtualEnd + AlignUp(added, pe.sectionAlign) > 0xFFFFFFFF ||
        insertAt + d.size() + AlignUp(added, pe.fileAlign) > 0xFFFFFFFF)
        return fail("the image would grow too large");
    uint32_t cvAt = directoryInRdata ? 0 : (uint32_t)directory.size();
    uint32_t contentSize = cvAt + (uint32_t)cv.size();
    uint32_t rawSize = (uint32_t)AlignUp(contentSize, pe.fileAlign);
    for (size_t i = 0; i < entry; i += 28)   // data of the linker's entries behind the sections moves too
        if (Get32(directory, i + 24) >= insertAt)
            Put32(&directory, i + 24, Get32(directory, i + 24) + rawSize);
    Put32(&directory, entry + 4, pe.timeStamp);
    directory[entry + 12] = 2;   // CodeView
    Put32(&directory, entry + 16, (uint32_t)cv.size());
    Put32(&directory, entry + 20, sectionVa + cvAt);
    Put32(&directory, entry + 24, (uint32_t)insertAt + cvAt);

    out->assign(d.begin(), d.begin() + (size_t)std::min<uint64_t>(insertAt, d.size()));
    out->resize((size_t)insertAt, 0);
    if (!directoryInRdata)
        out->insert(out->end(), directory.begin(), directory.end());
    out->insert(out->end(), cv.begin(), cv.end());
    out->resize((size_t)insertAt + rawSize, 0);
    if (insertAt < d.size())
        out->insert(out->end(), d.begin() + (size_t)insertAt, d.end());

    uint32_t directoryRva = sectionVa;
    if (directoryInRdata) {
        std::copy(directory.begin(), directory.end(), out->begin() + rdata->rawPointer + (size_t)inRdata);
        directoryRva = rdata->va + (uint32_t)inRdata;
        size_t rdataHeader = pe.sectionTable + 40u * (rdata - pe.sections.data());
        Put32(out, rdataHeader + 8, (uint32_t)inRdata + (uint32_t)directory.size());
    }
    size_t at = (size_t)header;
    std::fill(out->begin() + at, out->begin() + at + 40, 0);
    memcpy(out->data() + at, ".debug", 6);
    Put32(out, at + 8, contentSize);
    Put32(out, at + 12, sectionVa);
    Put32(out, at + 16, rawSize);
    Put32(out, at + 20, (uint32_t)insertAt);
    Put32(out, at + 36, 0x42000040);   // initialised data, discardable, readable
    Put16(out, pe.fileHeader + 2, pe.sectionCount + 1u);
    if (pe.symbols != 0)
        Put32(out, pe.fileHeader + 8, pe.symbols + rawSize);
    Put32(out, pe.optional + 56, (uint32_t)AlignUp((uint64_t)sectionVa + contentSize, pe.sectionAlign));
    Put32(out, pe.optional + 96 + 6 * 8, directoryRva);
    Put32(out, pe.optional + 96 + 6 * 8 + 4, (uint32_t)directory.size());
    if (pe.checksum != 0)
        Put32(out, pe.optional + 64, PeChecksum(*out, pe.optional + 64));
    return CodeViewResult::kAdded;
}

}   // namespace

CodeViewResult AddCodeView(const std::vector<uint8_t> &image, const SourcePathMap &mapPath, std::vector<uint8_t> *out,
                           std::string *error) {
    Pe pe;
    CodeViewResult r = ReadPe(image, &pe, error);
    if (r != CodeViewResult::kAdded)
        return r;
    Dwarf dwarf;
    dwarf.info = SectionBytes(image, pe, ".debug_info");
    dwarf.abbrev = SectionBytes(image, pe, ".debug_abbrev");
    dwarf.line = SectionBytes(image, pe, ".debug_line");
    dwarf.str = SectionBytes(image, pe, ".debug_str");
    dwarf.ranges = SectionBytes(image, pe, ".debug_ranges");
    if (dwarf.info.size == 0)
        return CodeViewResult::kNothing;
    if (!dwarf.Read(error))
        return CodeViewResult::kFailed;
    if (dwarf.units.empty())
        return CodeViewResult::kNothing;
    Converter converter(image, pe, dwarf, mapPath);
    if (!converter.Convert(error))
        return CodeViewResult::kFailed;
    if (converter.Empty())
        return CodeViewResult::kNothing;
    return Extend(image, pe, converter.CodeViewData(), out, error);
}

// Small PE32 images with COFF symbols and CodeView 4 data, for the debug information tests
// and the fuzzer's seeds. Bytes are a std::string.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

typedef std::string Bytes;

inline Bytes U16(uint32_t v) { return Bytes{char(v), char(v >> 8)}; }
inline Bytes U32(uint32_t v) { return U16(v) + U16(v >> 16); }
inline Bytes Name(const std::string &s) { return char(s.size()) + s; }
inline void Patch32(Bytes &b, size_t at, uint32_t v) { b.replace(at, 4, U32(v)); }
inline void Pad4(Bytes &b) { b.resize((b.size() + 3) & ~size_t(3)); }

// Symbol records behind a subsection header; Proc and End pair up through the position.
struct SymStream {
    Bytes b;
    void Rec(uint16_t type, const Bytes &body) { b += U16(body.size() + 2) + U16(type) + body; }
    size_t Proc(uint16_t type, uint32_t offset, uint32_t length, const std::string &name) {
        size_t at = b.size();
        Rec(type, U32(0) + U32(0) + U32(0) + U32(length) + U32(1) + U32(length - 1) + U32(offset) + U16(1) +
                      U16(0) + '\0' + Name(name));
        return at;
    }
    void End(size_t proc) { Patch32(b, proc + 8, b.size()), Rec(0x0006, ""); }
    void Data(uint16_t kind, uint32_t offset, uint16_t section, const std::string &name, uint16_t type = 0x74) {
        Rec(kind, U32(offset) + U16(section) + U16(type) + Name(name));
    }
    void Local(int32_t offset, const std::string &name) { Rec(0x0200, U32(offset) + U16(0x74) + Name(name)); }
};
inline SymStream AlignSyms() { return SymStream{U32(1)}; }
inline SymStream GlobalSyms() { return SymStream{Bytes(16, '\0')}; }
inline Bytes Finish(SymStream s, bool global) { return global ? (Patch32(s.b, 4, s.b.size() - 16), s.b) : s.b; }

inline Bytes ModuleSub(const std::string &name, uint32_t offset, uint32_t size) {
    return U16(0) + U16(0) + U16(1) + "CV" + U16(1) + U16(0) + U32(offset) + U32(size) + Name(name);
}

// One file with one block of (offset, line) pairs; the module's range is the block's.
struct LineFile { std::string name; uint32_t start, end; std::vector<std::pair<uint32_t, uint16_t>> lines; };
inline Bytes SourceSub(const std::vector<LineFile> &files) {
    Bytes b = U16(files.size()) + U16(1);
    size_t fileOffsets = b.size();
    b += Bytes(files.size() * 4, '\0') + U32(files.front().start) + U32(files.back().end) + U16(1);
    Pad4(b);
    for (size_t f = 0; f < files.size(); f++) {
        const LineFile &file = files[f];
        Patch32(b, fileOffsets + f * 4, b.size());
        size_t blockOffset = b.size() + 4;
        b += U16(1) + U16(0) + U32(0) + U32(file.start) + U32(file.end) + Name(file.name);
        Pad4(b);
        Patch32(b, blockOffset, b.size());
        b += U16(1) + U16(file.lines.size());
        for (auto &l : file.lines)
            b += U32(l.first);
        for (auto &l : file.lines)
            b += U16(l.second);
        Pad4(b);
    }
    return b;
}

// Type records, each u16 length, u16 leaf, body; the subsection adds flags, count, offsets.
inline Bytes TypesSub(const std::vector<Bytes> &records) {
    Bytes offsets, data;
    for (const Bytes &r : records) {
        offsets += U32(data.size());
        data += U16(r.size()) + r;
    }
    return U32(1) + U32(records.size()) + offsets + data;
}

struct CvEntry { uint16_t type, module; Bytes data; };
inline Bytes CodeView(const std::vector<CvEntry> &entries) {
    Bytes b = "NB09" + U32(0);
    std::vector<uint32_t> at;
    for (const CvEntry &e : entries) {
        at.push_back(b.size());
        b += e.data;
        Pad4(b);
    }
    Patch32(b, 4, b.size());
    b += U16(16) + U16(12) + U32(entries.size()) + U32(0) + U32(0);
    for (size_t i = 0; i < entries.size(); i++)
        b += U16(entries[i].type) + U16(entries[i].module) + U32(at[i]) + U32(entries[i].data.size());
    return b;
}

struct CoffSym { std::string name; uint32_t value; int16_t section; uint8_t storageClass, aux; };
struct Section { std::string name; uint32_t va; Bytes raw; };
struct DebugEntry { uint32_t type; Bytes data; };

// The image: DOS header, PE header at 0x40, sections from 0x200 on, then the debug data,
// the COFF symbols and their string table. Positions of the parts are kept for patching.
struct ImageBuilder {
    uint32_t imageBase = 0x400000, entryRva = 0x1000;
    std::vector<Section> sections = {{".text", 0x1000, Bytes(0x100, '\xCC')}, {".data", 0x2000, Bytes(0x20, '\0')},
                                     {".rdata", 0x3000, Bytes(0x10, '\0')}};
    std::vector<CoffSym> symbols;
    std::vector<DebugEntry> debug;
    std::string directorySection = ".rdata";
    uint32_t debugSize = 0;   // 0: 28 per entry
    size_t symbolPos = 0, directoryPos = 0;
    std::vector<size_t> debugDataPos;

    Bytes Build() {
        std::vector<Section> sections = this->sections;
        debugDataPos.clear();
        Section *dirSection = nullptr;
        for (Section &s : sections)
            dirSection = s.name == directorySection ? &s : dirSection;
        uint32_t dirRva = dirSection ? dirSection->va + dirSection->raw.size() : 0;
        if (dirSection)
            dirSection->raw += Bytes(debug.size() * 28, '\0');
        Bytes raw;
        std::vector<uint32_t> rawPos;
        for (Section &s : sections) {
            rawPos.push_back(0x200 + raw.size());
            raw += s.raw;
            Pad4(raw);
        }
        Bytes data;
        for (DebugEntry &e : debug) {
            debugDataPos.push_back(0x200 + raw.size() + data.size());
            data += e.data;
            Pad4(data);
        }
        symbolPos = 0x200 + raw.size() + data.size();
        Bytes symbolBytes, strings;
        uint32_t count = 0;
        for (const CoffSym &s : symbols) {
            Bytes name = s.name.size() <= 8 ? s.name + Bytes(8 - s.name.size(), '\0') : U32(0) + U32(4 + strings.size());
            if (s.name.size() > 8)
                strings += s.name + '\0';
            symbolBytes += name + U32(s.value) + U16(s.section) + U16(0x20) + char(s.storageClass) + char(s.aux) +
                           Bytes(18 * s.aux, '\0');
            count += 1 + s.aux;
        }
        Bytes image = "MZ" + Bytes(0x3A, '\0') + U32(0x40) + "PE" + U16(0) + U16(0x14C) + U16(sections.size()) +
                      U32(0) + U32(symbols.empty() ? 0 : symbolPos) + U32(count) + U16(224) + U16(0x102);
        Bytes opt = U16(0x10B) + U16(0) + U32(0x100) + U32(0x20) + U32(0x10) + U32(entryRva) + U32(0x1000) +
                    U32(0x2000) + U32(imageBase) + U32(0x1000) + U32(0x200) + Bytes(16, '\0') + U32(0x10000) +
                    U32(0x200) + U32(0) + U16(3) + Bytes(22, '\0') + U32(16) + Bytes(48, '\0') + U32(dirRva) +
                    U32(debugSize ? debugSize : debug.size() * 28);
        image += opt + Bytes(224 - opt.size(), '\0');
        for (size_t i = 0; i < sections.size(); i++)
            image += (sections[i].name + Bytes(8, '\0')).substr(0, 8) + U32(sections[i].raw.size()) + U32(sections[i].va) +
                     U32(sections[i].raw.size()) + U32(rawPos[i]) + Bytes(16, '\0');
        image.resize(0x200, '\0');
        image += raw + data + symbolBytes + U32(4 + strings.size()) + strings;
        if (dirSection) {
            directoryPos = rawPos[dirSection - &sections[0]] + dirRva - dirSection->va;
            for (size_t i = 0; i < debug.size(); i++)
                image.replace(directoryPos + i * 28, 28, Bytes(12, '\0') + U32(debug[i].type) + U32(debug[i].data.size()) +
                                                             U32(0) + U32(debugDataPos[i]));
        }
        return image;
    }
};

// An import section at `va` for one DLL's functions; slot i is at va + 0x100 + 4 i.
inline Section ImportSection(uint32_t va, const std::string &dll, const std::vector<std::string> &functions) {
    Bytes b = U32(va + 40) + U32(0) + U32(0) + U32(va + 0x200) + U32(va + 0x100) + Bytes(20, '\0');
    Bytes names;
    for (size_t i = 0; i < functions.size(); i++) {
        b += U32(va + 0x280 + names.size());
        names += U16(0) + functions[i] + '\0';
        Pad4(names);
    }
    b.resize(0x200, '\0');
    b += dll + '\0';
    b.resize(0x280, '\0');
    return {".idata", va, b + names};
}

// The sample program: modules "main" (.text 0x00-0x40, files Main.c and inline.h) and
// "util" (0x40-0x80), procedures, locals, statics, globals, constants, types, COFF symbols
// and an import of user32.dll's MessageBoxA through a stub at 0x1080.
inline ImageBuilder SampleProgram() {
    SymStream main = AlignSyms();
    size_t proc = main.Proc(0x0205, 0, 0x30, "_main");
    main.Local(-4, "x");
    main.Rec(0x0002, U16(0x74) + U16(17) + Name("r"));   // a register local
    main.Rec(0x0207, Bytes(12, '\0') + Name(""));   // a nested block and its end
    main.Local(-8, "inner");
    main.Rec(0x0006, "");
    main.End(proc);
    main.Data(0x0201, 0, 2, "counter");
    main.Rec(0x0003, U16(3) + U16(0x8010) + U16(5) + "hello" + Name("GREETING"));
    main.Rec(0x0003, U16(0x74) + U16(5) + Name("FIVE"));
    main.Data(0x0201, 0, 9, "badsection");
    SymStream util = AlignSyms();
    proc = util.Proc(0x0204, 0x40, 0x20, "_helper@8");
    util.Local(8, "arg");
    util.End(proc);
    util.Data(0x0201, 4, 2, "counter");
    util.Rec(0x0207, Bytes(600, '\0'));   // long, but of a kind passed over
    util.Data(0x0201, 16, 2, "afterlong");
    util.Rec(0x0999, Bytes(600, '\0'));   // long and unknown: damaged, the rest is not read
    util.Data(0x0201, 20, 2, "afterdamage");
    SymStream globals = GlobalSyms();
    globals.Data(0x0202, 8, 2, "counter");
    globals.Data(0x0202, 12, 2, "total");
    globals.Data(0x0203, 16, 2, "_pub");
    Bytes member = U16(0x0406) + U16(0x74) + U16(3) + U16(0) + Name("a") + "\xF2\xF1" + U16(0x0406) + U16(0x70) +
                   U16(3) + U16(4) + Name("b");
    Bytes types = TypesSub({U16(2) + U16(0) + U16(0x74), U16(0x0204) + member,
                            U16(5) + U16(2) + U16(0x1001) + U16(0) + U16(0) + U16(0) + U16(8) + Name("point"),
                            U16(3) + U16(0x74) + U16(0x74) + U16(0x8002) + U16(40) + Name("arr"),
                            U16(6) + U16(2) + U16(0x1001) + U16(0) + U16(0) + U16(0) + U16(4) + Name("u"),
                            U16(7) + U16(2) + U16(0x74) + U16(0) + U16(0) + Name("colour"),
                            U16(5) + U16(0) + U16(0) + U16(0) + U16(0) + U16(0) + U16(0x8003) + U32(70000) + Name("big")});
    Bytes cv = CodeView({{0x0120, 1, ModuleSub("main", 0, 0x3C)}, {0x0120, 2, ModuleSub("util", 0x40, 0x40)},
                         {0x0125, 1, Finish(main, false)}, {0x0125, 2, Finish(util, false)},
                         {0x0127, 1, SourceSub({{"C:\\src\\Main.c", 0, 0x30, {{0, 10}, {8, 11}, {0x10, 12}, {0x20, 14}, {0x28, 20}}},
                                                {"C:\\inc\\inline.h", 0x30, 0x40, {{0x30, 5}}}})},
                         {0x0127, 2, SourceSub({{"C:\\src\\util.c", 0x40, 0x80, {{0x40, 3}, {0x50, 4}}}})},
                         {0x0129, 0, Finish(globals, true)}, {0x012B, 0, types}});
    ImageBuilder b;
    b.sections.push_back(ImportSection(0x4000, "user32.dll", {"MessageBoxA", "ExitProcess"}));
    // COFF values are offsets in their section (.text at 0x1000).
    b.symbols = {{".text", 0, 1, 3, 1},      {"_main", 0, 1, 2, 0},
                 {"_helper@8", 0x40, 1, 2, 0}, {"_MessageBoxA@16", 0x80, 1, 2, 0},
                 {"_a_rather_long_name", 0x90, 1, 2, 0}, {"_lastfn8", 0xA0, 1, 2, 0}};
    b.debug = {{1, U32(6) + Bytes(28, '\0')}, {2, cv}};
    return b;
}

// A DLL at 0x10000000 with one module "dllmod", a procedure, a global "counter" and one
// of its own, and its name in a miscellaneous record.
inline ImageBuilder SampleDll() {
    SymStream syms = AlignSyms();
    syms.End(syms.Proc(0x0205, 0, 0x10, "_DllFunc@4"));
    SymStream globals = GlobalSyms();
    globals.Data(0x0202, 0, 2, "counter");
    globals.Data(0x0202, 4, 2, "dllonly");
    ImageBuilder b;
    b.imageBase = 0x10000000;
    b.debug = {{4, U32(1) + U32(24) + U32(0) + "mydll.dll" + Bytes(3, '\0')},
               {2, CodeView({{0x0120, 1, ModuleSub("dllmod", 0, 0x20)}, {0x0125, 1, Finish(syms, false)},
                             {0x0127, 1, SourceSub({{"dll.c", 0, 0x20, {{0, 7}}}})}, {0x0129, 0, Finish(globals, true)}})}};
    b.symbols = {{"_DllFunc", 0, 1, 2, 0}};
    return b;
}

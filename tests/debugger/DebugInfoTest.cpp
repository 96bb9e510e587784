#include <string.h>

#include <algorithm>
#include <map>

#include <gtest/gtest.h>

#include "debugger/DebugInfo.h"
#include "debugger/ImageBuilder.h"

namespace {

const uint32_t kLoad = 0x400000, kCode = 0x401000, kData = 0x402000;
typedef std::vector<std::string> Texts;

struct DebugInfoTest : ::testing::Test {
    DebugInfo info;
    Texts messages;
    ImageBuilder program = SampleProgram();
    Bytes image = program.Build();

    void SetUp() override {
        info.report = [this](DebugInfoMessage, const char *text) { messages.push_back(text); };
        ASSERT_TRUE(Read(image));
    }
    bool Read(const Bytes &bytes) {
        messages.clear();
        return ReadExecutable(info, reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), kLoad, "prog.exe");
    }
    uint32_t LoadDll(const Bytes &bytes, uint32_t load) {
        return LoadDllInfo(info, AddDll(info, load, "my.dll"), reinterpret_cast<const uint8_t *>(bytes.data()),
                           bytes.size());
    }
    uint32_t Get32(size_t at) { return *reinterpret_cast<const uint32_t *>(&image[at]); }
};

TEST_F(DebugInfoTest, ModulesProceduresAndLocals) {
    EXPECT_EQ(Texts{}, messages);
    ASSERT_EQ(3u, info.modules.size());
    EXPECT_EQ("main", ModuleAt(info, 1)->name);
    EXPECT_EQ(kCode + 0x40, ModuleAt(info, 1)->codeEnd);   // the source ranges replace the segment's 0x3C
    // A module's end belongs to the next module, the last one's to none.
    const std::pair<uint32_t, uint32_t> modules[] = {{kCode - 1, 0}, {kCode, 1}, {kCode + 0x3F, 1},
                                                     {kCode + 0x40, 2}, {kCode + 0x80, 0}};
    for (auto &m : modules)
        EXPECT_EQ(m.second, ModuleOfAddress(info, m.first)) << std::hex << m.first;

    ProcedureRecord *p = ProcedureOfAddress(info, 1, kCode + 0x2F);
    ASSERT_NE(nullptr, p);
    EXPECT_TRUE(p->name == "_main" && p->bodyStart == kCode + 1);
    Texts locals;
    for (const LocalRecord &l : p->locals)   // nested blocks' locals join the procedure's
        locals.push_back(l.name + (l.flags == kLocalRegister ? "@" : ":") + std::to_string(l.value));
    EXPECT_EQ((Texts{"x:-4", "r@17", "inner:-8"}), locals);
    EXPECT_EQ(nullptr, ProcedureOfAddress(info, 1, kCode + 0x30));
    uint32_t module = 0;
    EXPECT_EQ(ProcedureOfAddress(info, 2, kCode + 0x40), FindProcedure(info, "helper", &module));
    EXPECT_TRUE(module == 2 && !FindProcedure(info, "_helper", &module));
    EXPECT_STREQ("_main", NameAtAddress(info, kCode + 4));
}

TEST_F(DebugInfoTest, LinesAndFiles) {
    // Between entries (0x24): the entry below.
    struct { uint32_t address; uint16_t line; int file; bool exact; } lines[] = {
        {kCode + 0x10, 12, 0, true}, {kCode + 0x24, 14, 0, false}, {kCode + 0x30, 5, 1, true}, {kCode + 0x100, 0, -1, false}};
    for (auto &l : lines) {
        LineHit hit = LineOfAddress(info, l.address);
        EXPECT_EQ(l.line, hit.line);
        EXPECT_EQ(l.file, hit.file);
        EXPECT_EQ(l.exact, hit.exact);
    }
    uint16_t found = 0;
    EXPECT_EQ(kCode + 0x28, AddressOfLine(info, 1, 20, &found, 0));
    EXPECT_EQ(kCode + 0x20, AddressOfLine(info, 1, 17, &found, 0));   // 14 and 20 tie: the earlier
    EXPECT_EQ(14, found);
    EXPECT_EQ(kCode + 0x30, AddressOfLine(info, 1, 5, &found));      // any file of the module
    EXPECT_EQ(0u, AddressOfLine(info, 3, 5, &found));
    EXPECT_EQ(0, found);

    const std::pair<const char *, uint32_t> names[] = {{"d:/elsewhere/MAIN.cpp", 1}, {"Inline", 1}, {"c:\\SRC\\util.C", 2},
                                                  {"utility.c", 0}};
    for (auto &n : names)
        EXPECT_EQ(n.second, ModuleOfFileName(info, n.first, nullptr)) << n.first;
    uint32_t block = 9;
    EXPECT_EQ(1, FileOfAddress(info, 1, kCode + 0x30, &block));
    EXPECT_TRUE(block == 0 && ModuleAt(info, 1)->currentFile == 1);
    // The context makes the procedure's line slice: the entries from its start below its end.
    ASSERT_TRUE(SetCodeContext(info, 1, kCode + 8));
    EXPECT_EQ("_main", info.context.procedure->name);
    EXPECT_TRUE(info.context.procedure->sliceCount == 5 && info.context.end == kCode + 0x30);
}

TEST_F(DebugInfoTest, SymbolsByNameInTheirOrder) {
    // Statics of the current module, then the executable's globals, then the DLLs'.
    const std::pair<uint32_t, uint32_t> counters[] = {{0, kData + 8}, {1, kData}, {2, kData + 4}};
    for (auto &c : counters) {
        info.currentModule = c.first;
        EXPECT_EQ(c.second, FindSymbol(info, "counter")->value);
    }
    EXPECT_EQ(kData + 12, FindSymbol(info, "total")->value);
    EXPECT_TRUE(FindSymbol(info, "afterlong") && !FindSymbol(info, "afterdamage"));
    EXPECT_EQ(nullptr, FindSymbol(info, "Total"));
    EXPECT_EQ(nullptr, FindSymbol(info, "badsection"));   // section 9 of 4
    EXPECT_EQ(nullptr, FindConstant(info, "GREETING"));   // constants: the current module's only
    info.currentModule = 1;
    ASSERT_NE(nullptr, FindConstant(info, "GREETING"));
    EXPECT_EQ("hello", FindConstant(info, "GREETING")->text);
    EXPECT_EQ(nullptr, FindConstant(info, "FIVE"));   // a numeric value makes no symbol
    EXPECT_EQ(ProcedureOfAddress(info, 1, kCode), FindSymbol(info, "_main")->procedure);

    // A DLL's modules are appended; from one of them only its own globals are seen.
    Bytes dllImage = SampleDll().Build();
    EXPECT_EQ(1u, LoadDll(dllImage, 0x10000000));
    DllRecord *dll = info.dlls.front().get();
    EXPECT_EQ("mydll.dll", dll->miscName);
    ASSERT_EQ(4u, info.modules.size());
    EXPECT_TRUE(ModuleAt(info, 3)->dll == dll && ModuleOfAddress(info, 0x10001010) == 3);
    info.currentModule = 2;
    EXPECT_EQ(kData + 4, FindSymbol(info, "counter")->value);
    EXPECT_EQ(0x10002004u, FindSymbol(info, "dllonly")->value);
    info.currentModule = 3;
    EXPECT_EQ(0x10002000u, FindSymbol(info, "counter")->value);
    EXPECT_EQ(nullptr, FindSymbol(info, "total"));
    // A second DLL, then the first unloads: the second's module moves down.
    EXPECT_EQ(1u, LoadDll(dllImage, 0x20000000));
    info.currentModule = 4;
    ReleaseDll(info, dll);
    ASSERT_EQ(4u, info.modules.size());
    EXPECT_EQ(3u, ModuleOfAddress(info, 0x20001000));
    EXPECT_TRUE(ModuleAt(info, 3)->index == 3 && info.currentModule == 3 && info.dlls.front()->firstModule == 3);
}

TEST_F(DebugInfoTest, HashChainsHideOlderNames) {
    EXPECT_TRUE(HashName("abcde", 5) == 0x44346114 && HashName("ab", 2) == 0x424100);
    SymbolTable table;
    for (uint32_t i = 0; i < 3; i++)
        table.Add(i == 1 ? "AB" : "ab", 3, 0, i);   // the same chain, two names
    EXPECT_TRUE(table.Find("ab")->value == 2 && table.Find("AB")->value == 1 && !table.Find("aB"));
}

TEST_F(DebugInfoTest, Types) {
    const std::pair<const char *, uint32_t> named[] = {{"point", 0x1002}, {"arr", 0x1003}, {"u", 0x1004},
                                                       {"colour", 0}, {"big", 0x1006}};
    for (auto &n : named)
        EXPECT_EQ(n.second, StructByName(info, n.first)) << n.first;
    const std::pair<uint32_t, uint32_t> sizes[] = {{0x10, 1}, {0x73, 2}, {0x474, 4}, {0x403, 4}, {0x77, 8}, {0x03, 0},
                                                   {0x1000, 4}, {0x1002, 8}, {0x1003, 40}, {0x1004, 4}, {0x1005, 4},
                                                   {0x1006, 70000}, {0x1001, 0}, {0x1007, 0}};
    for (auto &s : sizes)
        EXPECT_EQ(s.second, TypeSize(info, s.first)) << std::hex << s.first;
    MemberRecord m;
    ASSERT_TRUE(FindMember(info, 0x1002, "b", &m));   // behind two pad bytes
    EXPECT_TRUE(m.offset == 4 && m.type == 0x70);
    EXPECT_FALSE(FindMember(info, 0x1002, "c", &m) || FindMember(info, 0x1003, "a", &m));
    EXPECT_TRUE(IsPointerType(0x474) && IsPointerType(2) && !IsPointerType(0x74) && !IsPointerType(0x1000));
    EXPECT_TRUE(PointeeType(0x477) == 0x77 && PointeeType(0x471) == 0);
    const std::pair<uint32_t, const char *> names[] = {{0x510, "signed char *"}, {0x320, "char *"},
                                                       {0x420, "unsigned char *"}, {0x411, "short *"},
                                                       {0x477, "pointer to unsigned long long"}, {0x478, "unknown type"}};
    for (auto &n : names)
        EXPECT_STREQ(n.second, PrimitiveTypeName(n.first));
}

TEST_F(DebugInfoTest, EntryPoint) {
    // The first name is put in module 2, the others in module 1.
    const struct { Texts names; uint32_t module; bool fortran; } cases[] = {
        {{"_WinMain@16", "_main", "_MAIN__"}, 2, false}, {{"_MAIN__", "_main"}, 1, false}, {{"_MAIN__"}, 2, true},
        {{"main"}, 0, false}};
    for (auto &c : cases) {
        SymStream s = GlobalSyms();
        for (size_t i = 0; i < c.names.size(); i++)
            s.Data(0x0203, i ? 0x8 : 0x48, 1, c.names[i]);
        program.debug[1].data = CodeView({{0x0120, 1, ModuleSub("main", 0, 0x40)}, {0x0120, 2, ModuleSub("u", 0x40, 0x40)},
                                          {0x0127, 2, Bytes(4, '\0')}, {0x0129, 0, Finish(s, true)}});
        ASSERT_TRUE(Read(program.Build()));
        EXPECT_EQ(c.module, FindEntryPoint(info));
        EXPECT_EQ(c.fortran, info.fortran);
        EXPECT_EQ(c.fortran ? 0u : c.module, info.currentModule);
        EXPECT_EQ(c.module ? Texts{} : Texts{"Impossible to find the entry point. No debug information"}, messages);
    }
    EXPECT_EQ(0u, info.exe.symbolCount);
    // An entry outside every module: the module of AddressOfEntryPoint, else none.
    SymStream s = GlobalSyms();
    s.Data(0x0203, 0x200, 1, "_main");
    program.debug[1].data = CodeView({{0x0120, 1, ModuleSub("main", 0, 0x40)}, {0x0127, 1, Bytes(4, '\0')},
                                      {0x0129, 0, Finish(s, true)}});
    program.entryRva = 0x1010;
    ASSERT_TRUE(Read(program.Build()));
    EXPECT_EQ(1u, FindEntryPoint(info));
    program.entryRva = 0x1050;
    ASSERT_TRUE(Read(program.Build()));
    EXPECT_EQ(0u, FindEntryPoint(info));
    EXPECT_EQ(Texts{"Impossible to find the entry point (_mainCRTStartup)"}, messages);
}

TEST_F(DebugInfoTest, CoffNamesImportsAndFallback) {
    const std::pair<uint32_t, const char *> coff[] = {{kLoad, "_main"}, {kCode + 0x81, "_a_rather_long_name"},
                                                      {kCode + 0xA0, "_lastfn8"}, {kCode + 0xA1, ""}};
    for (auto &c : coff)
        EXPECT_EQ(c.second, CoffNameAfter(info, c.first));
    // No procedure at 0x1085: the pseudo-procedure, up to the symbol after the one found.
    ASSERT_TRUE(SetCodeContext(info, 0, kCode + 0x85));
    EXPECT_TRUE(info.context.procedure == &info.pseudo && info.context.end == kCode + 0xA0);
    EXPECT_EQ("_a_rather_long_name", info.pseudo.name);
    EXPECT_TRUE(CoffFallback(info, kCode + 0xA0) && info.pseudo.end == 0);
    EXPECT_FALSE(SetCodeContext(info, 0, kCode + 0xA1));
    EXPECT_EQ(kCode + 0x85, info.context.start);   // unchanged

    ASSERT_EQ(2u, info.imports.size());
    EXPECT_EQ("MessageBoxA", info.imports[0].function);
    EXPECT_TRUE(info.imports[1].dll == "user32.dll" && info.imports[1].slot == kLoad + 0x4104);
    EXPECT_FALSE(ResolveImports(info));   // no memory to read
    std::map<uint32_t, uint32_t> memory = {{kCode + 0x82, kLoad + 0x4100}, {kLoad + 0x4100, 0x77001234}};
    info.readMemory = [&](uint32_t address, void *buffer, uint32_t) {
        auto it = memory.find(address);
        return it != memory.end() && memcpy(buffer, &it->second, 4);
    };
    EXPECT_TRUE(ResolveImports(info));
    EXPECT_TRUE(info.imports[0].stub == kCode + 0x80 && info.imports[1].target == 0);
    EXPECT_STREQ("MessageBoxA", NameAtAddress(info, 0x77001234));
    // A string table longer than the file: said once; the imports cannot be resolved.
    Patch32(image, program.symbolPos + 18 * 7, 0x7FFFFFFF);
    ASSERT_TRUE(Read(image));
    EXPECT_EQ(Texts{"Incorrect length of string table"}, messages);
    EXPECT_FALSE(ResolveImports(info));
}

TEST_F(DebugInfoTest, DirectoryModuleIndexAndRefusals) {
    // The size gives the entries: 56 bytes are two, the third (CodeView) is not read.
    program.debug = {{1, U32(2)}, {4, U32(1)}, program.debug[1]};
    program.debugSize = 56;
    ASSERT_TRUE(Read(program.Build()));
    EXPECT_TRUE(info.exe.coffDebug && !info.exe.hasCodeView);
    // Source lines for module 0 are refused; the others are kept.
    program = SampleProgram();
    program.debug[1].data = CodeView({{0x0127, 0, SourceSub({{"a.c", 0, 0x10, {{0, 1}}}})},
                                      {0x0127, 1, SourceSub({{"b.c", 0, 0x10, {{0, 2}}}})}});
    ASSERT_TRUE(Read(program.Build()));
    EXPECT_EQ(Texts{"Incorrect module index 0"}, messages);
    EXPECT_EQ(2, LineOfAddress(info, kCode).line);
    // No COFF symbols: refused even with CodeView, with the attach text when attaching.
    program.symbols.clear();
    EXPECT_FALSE(Read(program.Build()));
    EXPECT_EQ(Texts{"No debugging information in prog.exe"}, messages);
    info.attached = true;
    EXPECT_FALSE(Read(program.Build()));
    EXPECT_EQ(Texts{"Impossible to attach\nNo debug information in executable"}, messages);
    EXPECT_TRUE(info.quitRequested);
}

// Damaged images are refused with their message, or read without what is damaged.
TEST_F(DebugInfoTest, DamagedImages) {
    const size_t pe = 0x40, opt = pe + 24, cv = program.debugDataPos[1], symbolsEnd = program.symbolPos + 18 * 7;
    const size_t entries = cv + Get32(cv + 4) + 16, dir = program.directoryPos;
    const size_t mainSyms = cv + Get32(entries + 2 * 12 + 4), types = cv + Get32(entries + 7 * 12 + 4);
    const char *unrecognized = "Unrecognized file format", *noInfo = "No debugging information in prog.exe";
    // Each writes `value` in `bytes` bytes at `at`; no message: read, with `modules` left.
    const struct { const char *what; size_t at; uint32_t value; int bytes; const char *message; uint32_t modules; } cases[] = {
        {"not MZ", 0, 'M', 2, unrecognized, 0},
        {"PE offset past the end", 0x3C, 0xFFFFFFF0, 4, unrecognized, 0},
        {"no PE signature", pe, 'P' + ('X' << 8), 2, unrecognized, 0},
        {"PE32+", opt, 0x20B, 2, unrecognized, 0},
        {"optional header too short", pe + 20, 60, 2, unrecognized, 0},
        {"65535 sections", pe + 6, 0xFFFF, 2, unrecognized, 0},
        {"symbols past the end", pe + 12, 0xFFFFFF00, 4, noInfo, 0},
        {"huge symbol count", pe + 16, 0x7FFFFFFF, 4, noInfo, 0},
        {"string table longer than the file", symbolsEnd, 0xFFFF, 4, "Incorrect length of string table", 2},
        {"huge debug directory", opt + 148, 0xFFFFFFFC, 4, nullptr, 2},
        {"directory RVA below .rdata", opt + 144, 0x10, 4, nullptr, 0},
        {"CodeView past the end", dir + 28 + 24, 0xFFFFFFF0, 4, nullptr, 0},
        {"CodeView size 0", dir + 28 + 16, 0, 4, nullptr, 0},
        {"subsection directory past the end", cv + 4, 0x7FFFFFFF, 4, nullptr, 0},
        {"huge entry count", entries - 12, 0xFFFFFFFF, 4, nullptr, 2},
        {"entry size 0", entries - 14, 0, 2, nullptr, 0},
        {"subsection offset past the end", entries + 4, 0xFFFFFFF0, 4, nullptr, 2},
        {"subsection size past the end", entries + 8, 0xFFFFFFF0, 4, nullptr, 2},
        {"module index 65535", entries + 4 * 12 + 2, 0xFFFF, 2, nullptr, 65535},
        {"record length 0", mainSyms + 4, 0, 2, nullptr, 2},
        {"record length past the end", mainSyms + 4, 0xFFFF, 2, nullptr, 2},
        {"procedure end past the end", mainSyms + 12, 0xFFFFFFFF, 4, nullptr, 2},
        {"huge type count", types + 4, 0x40000000, 4, nullptr, 2},
    };
    for (auto &c : cases) {
        Bytes damaged = image;
        damaged.replace(c.at, c.bytes, U32(c.value).substr(0, c.bytes));
        bool read = Read(damaged);
        EXPECT_EQ(!c.message || strstr(c.message, "string"), read) << c.what;
        EXPECT_EQ(c.message ? Texts{c.message} : Texts{}, messages) << c.what;
        EXPECT_EQ(c.modules + 1, std::max<size_t>(info.modules.size(), 1)) << c.what;
        LineOfAddress(info, kCode);   // the look-ups stay inside what was read
        TypeSize(info, StructByName(info, "point"));
    }
    // Directory entries all naming the same symbols: what is read stays in proportion to the data.
    SymStream s = AlignSyms();
    for (int i = 0; i < 50; i++)
        s.End(s.Proc(0x0205, i, 1, "_f" + std::to_string(i)));
    Bytes &shared = program.debug[1].data = CodeView({{0x0127, 1, Bytes(4, '\0')}, {0x0125, 1, Finish(s, false)}});
    for (int i = 0; i < 3000; i++)
        shared += shared.substr(shared.size() - 12);
    Patch32(shared, *reinterpret_cast<const uint32_t *>(&shared[4]) + 4, 3002);
    ASSERT_TRUE(Read(program.Build()));
    EXPECT_LT(ModuleAt(info, 1)->procedures.size(), 5000u);   // not 150,050
    // Cut short anywhere: in the headers, in the symbols, in the string table.
    for (size_t cut = 0; cut < image.size(); cut++) {
        const char *expected = cut < 0x138 + 40 * 4 ? unrecognized
                               : cut < symbolsEnd   ? noInfo
                                                    : "Incorrect length of string table";
        ASSERT_EQ(cut >= symbolsEnd, Read(image.substr(0, cut))) << cut;
        ASSERT_EQ(Texts{expected}, messages) << cut;
    }
}

}  // namespace

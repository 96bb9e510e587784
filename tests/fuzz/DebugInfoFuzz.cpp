// libFuzzer target for the debug information reader (built natively by
// scripts/fuzz-dbginfo.sh): the input is read as the executable and as a DLL, and every
// look-up then runs on addresses, lines and names taken from what was read. The debuggee's
// memory is the input itself, seen at the executable's load address.
#include <string.h>

#include "debugger/DebugInfo.h"

namespace {

const uint32_t kLoad = 0x400000;

void LookUpModule(DebugInfo &info, uint32_t index) {
    ModuleRecord *m = ModuleAt(info, index);
    if (!m)
        return;
    for (uint32_t a : {m->codeStart, m->codeEnd - 1, m->codeEnd}) {
        ModuleOfAddress(info, a);
        LineOfAddress(info, a);
        uint32_t block = 0;
        FileOfAddress(info, index, a, &block);
        NameAtAddress(info, a);
        SetCodeContext(info, index, a);
    }
    size_t n = 0;
    for (auto &p : m->procedures) {
        if (n++ == 32)
            break;
        MakeLineSlice(info, index, p.get());
        SetCodeContext(info, index, p->start + 1);
        FindProcedure(info, p->name.c_str(), nullptr);
        FindSymbol(info, p->name.c_str());
        for (const LocalRecord &l : p->locals)
            FindConstant(info, l.name.c_str());
    }
    for (size_t f = 0; f < m->files.size() && f < 8; f++) {
        ModuleOfFileName(info, m->files[f].name.c_str(), nullptr);
        for (const LineBlock &b : m->files[f].blocks)
            for (size_t e = 0; e < b.lines.size() && e < 16; e++) {
                uint16_t found = 0;
                AddressOfLine(info, index, b.lines[e], &found, static_cast<int>(f));
                LineOfAddress(info, b.addresses[e] + 1);
            }
    }
}

void LookUpTypes(DebugInfo &info) {
    std::vector<MemberRecord> members;
    for (uint32_t t = 0; t < 0x1200; t += t < 0x1000 ? 0x11 : 1) {
        TypeSize(info, t);
        PointeeType(t);
        IsPointerType(t);
        PrimitiveTypeName(t);
        if (StructMembers(info, t, &members) && !members.empty())
            FindMember(info, t, members.back().name.c_str(), &members.front());
    }
    StructByName(info, "point");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    DebugInfo info;
    info.report = [](DebugInfoMessage, const char *text) { (void)strlen(text); };
    info.readMemory = [&](uint32_t address, void *buffer, uint32_t n) {
        uint32_t at = address - kLoad;
        if (address < kLoad || at >= size || n > size - at)
            return false;
        memcpy(buffer, data + at, n);
        return true;
    };
    info.attached = size > 0x3F && (data[0x3F] & 1);
    ReadExecutable(info, data, size, kLoad, "fuzz.exe");
    DllRecord *dll = AddDll(info, 0x10000000, "fuzz.dll");
    LoadDllInfo(info, dll, data, size);
    ResolveImports(info);
    for (uint32_t module = 0; module < info.modules.size() && module < 64; module++) {
        info.currentModule = module;
        LookUpModule(info, module);
        LookUpTypes(info);
        FindSymbol(info, "counter");
    }
    for (uint32_t a = kLoad; a < kLoad + 0x3000; a += 0x101) {
        CoffNameAfter(info, a);
        CoffFallback(info, a);
        SetCodeContext(info, 0, a);
    }
    FindEntryPoint(info);
    ReleaseDll(info, dll);
    LookUpModule(info, 1);
    ReleaseDebugInfo(info);
    return 0;
}

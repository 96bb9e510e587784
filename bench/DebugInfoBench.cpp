// The debug information reader on one program:
//   debuginfobench <program> <function> <symbol> <file> <structure> <constant>
// prints the time to read the program's information (best of five) and of one look-up of
// each kind (the mean of 10,000), with what each found.
#include <windows.h>
#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "debugger/DebugInfo.h"

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

void Time(const char *what, const std::function<std::string()> &lookUp) {
    const int n = 10000;
    std::string found;
    double start = Now();
    for (int i = 0; i < n; i++)
        found = lookUp();
    printf("%-22s %8.3f us  %s\n", what, (Now() - start) / n * 1e6, found.c_str());
}

std::string Hex(uint32_t value) {
    char text[16];
    snprintf(text, sizeof text, "0x%x", value);
    return text;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 7) {
        fprintf(stderr, "usage: debuginfobench PROGRAM FUNCTION SYMBOL FILE STRUCTURE CONSTANT\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f)
        return 1;
    std::vector<uint8_t> image;
    uint8_t buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
        image.insert(image.end(), buffer, buffer + n);
    fclose(f);
    const uint32_t base = 0x400000;
    DebugInfo info;
    info.report = [](DebugInfoMessage, const char *text) { fprintf(stderr, "%s\n", text); };
    double best = 1e9;
    for (int run = 0; run < 5; run++) {
        ReleaseDebugInfo(info);
        double start = Now();
        if (!ReadExecutable(info, image.data(), image.size(), base, argv[1]))
            return 1;
        if (Now() - start < best)
            best = Now() - start;
    }
    size_t procedures = 0, lines = 0;
    for (const auto &module : info.modules)
        if (module) {
            procedures += module->procedures.size();
            for (const SourceFileRecord &file : module->files)
                for (const LineBlock &block : file.blocks)
                    lines += block.lines.size();
        }
    printf("read: %.3f s (best of 5), %u KB, %zu modules, %zu procedures, %zu line entries\n", best,
           unsigned(image.size() / 1024), info.modules.size() - 1, procedures, lines);

    uint32_t module = 0;
    ProcedureRecord *procedure = FindProcedure(info, argv[2], &module);
    if (!procedure)
        return 1;
    uint32_t address = procedure->start + 3;
    info.currentModule = module;
    Time("procedure by name", [&] { return FindProcedure(info, argv[2], &module) ? Hex(procedure->start) : "none"; });
    Time("module of address", [&] { return std::to_string(ModuleOfAddress(info, address)); });
    Time("procedure of address", [&] {
        ProcedureRecord *p = ProcedureOfAddress(info, module, address);
        return p ? p->name : "none";
    });
    Time("file of address", [&] {
        uint32_t block = 0;
        return std::to_string(FileOfAddress(info, module, address, &block));
    });
    Time("line of address", [&] { return std::to_string(LineOfAddress(info, procedure->start).line); });
    Time("address of line", [&] {
        uint16_t found = 0;
        return Hex(AddressOfLine(info, module, 10, &found));
    });
    Time("module of file name", [&] {
        int file = 0;
        return std::to_string(ModuleOfFileName(info, argv[4], &file));
    });
    Time("symbol by name", [&] {
        const SymbolEntry *s = FindSymbol(info, argv[3]);
        return s ? Hex(s->value) : "none";
    });
    Time("constant by name", [&] {
        const SymbolEntry *s = FindConstant(info, argv[6]);
        return s ? s->text : "none";
    });
    Time("structure by name", [&] { return Hex(StructByName(info, argv[5])); });
    Time("type size", [&] { return std::to_string(TypeSize(info, StructByName(info, argv[5]))); });
    Time("name at address", [&] {
        const char *name = NameAtAddress(info, address);
        return name ? std::string(name) : "none";
    });
    Time("COFF name after address", [&] { return CoffNameAfter(info, address); });
    ReleaseDebugInfo(info);
    return 0;
}

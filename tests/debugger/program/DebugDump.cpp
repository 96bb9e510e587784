// Prints what the debug information reader makes of a program, one fact a line, for
// program-check.py to hold against objdump and nm:
//   debugdump <program> <symbol>...
// Addresses are those of the image at its preferred base, as objdump shows them.
//   proc <name> <start> <end>
//   local <procedure> <name> <EBP offset> <type>        (frame variables only)
//   esplocal <procedure> <name> <ESP offset> <type>     (those of a realigned frame)
//   line <file> <line> <address>                        (every entry of every block)
//   lineof <address> <line>                             (LineOfAddress of each entry)
//   addressof <file> <line> <address>                   (AddressOfLine of each line)
//   symbol <name> <address> <type>                      (FindSymbol, from the entry module)
//   coff <procedure> <name>                             (CoffNameAfter its start)
#include <stdio.h>

#include <set>
#include <string>
#include <vector>

#include "base/TextUtil.h"
#include "debugger/DebugInfo.h"

namespace {

uint16_t U16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

std::string BaseName(const std::string &path) {
    size_t slash = path.find_last_of("\\/");
    return Lowered(slash == std::string::npos ? path : path.substr(slash + 1));
}

std::string LengthPrefixed(const TypeRecordView &record, size_t at) {
    if (at >= record.size)
        return "?";
    size_t n = record.data[at];
    return at + 1 + n <= record.size ? std::string(reinterpret_cast<const char *>(record.data + at + 1), n) : "?";
}

// A type as C would name it: "int", "char *", "struct point", "int []".
std::string TypeName(const DebugInfo &info, uint32_t type, int depth = 0) {
    if (type < kFirstTypeIndex)
        return PrimitiveTypeName(type);
    TypeRecordView record = TypeRecord(info, type);
    if (!record.data || depth > 8)
        return "?";
    switch (record.leaf) {
    case 0x0002: return TypeName(info, U16(record.data + 6), depth + 1) + " *";
    case 0x0003: return TypeName(info, U16(record.data + 4), depth + 1) + " []";
    case 0x0005: return "struct " + LengthPrefixed(record, 16);
    case 0x0006: return "union " + LengthPrefixed(record, 16);
    case 0x0007: return "enum " + LengthPrefixed(record, 12);
    default: return "leaf " + std::to_string(record.leaf);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: debugdump PROGRAM [SYMBOL...]\n");
        return 2;
    }
    FILE *f = fopen(argv[1], "rb");
    if (!f) {
        fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<uint8_t> image;
    uint8_t buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
        image.insert(image.end(), buffer, buffer + n);
    fclose(f);
    if (image.size() < 0x40)
        return 1;
    uint32_t pe = image[0x3C] | image[0x3D] << 8 | image[0x3E] << 16 | static_cast<uint32_t>(image[0x3F]) << 24;
    uint32_t base = pe + 0x38 <= image.size()
                        ? image[pe + 0x34] | image[pe + 0x35] << 8 | image[pe + 0x36] << 16 |
                              static_cast<uint32_t>(image[pe + 0x37]) << 24
                        : 0;

    DebugInfo info;
    info.report = [](DebugInfoMessage, const char *text) { printf("message %s\n", text); };
    if (!ReadExecutable(info, image.data(), image.size(), base, argv[1]))
        return 1;
    uint32_t entryModule = FindEntryPoint(info);
    for (size_t m = 1; m < info.modules.size(); m++) {
        const ModuleRecord *module = info.modules[m].get();
        if (!module)
            continue;
        info.currentModule = static_cast<uint32_t>(m);
        for (const auto &procedure : module->procedures) {
            printf("proc %s 0x%x 0x%x\n", procedure->name.c_str(), procedure->start, procedure->end);
            printf("coff %s %s\n", procedure->name.c_str(), CoffNameAfter(info, procedure->start).c_str());
            for (const LocalRecord &local : procedure->locals)
                if (!(local.flags & kLocalRegister))
                    printf("%s %s %s %d %s\n", (local.flags & kLocalStackRelative) ? "esplocal" : "local",
                           procedure->name.c_str(), local.name.c_str(), local.value, TypeName(info, local.type).c_str());
        }
        for (size_t i = 0; i < module->files.size(); i++) {
            const SourceFileRecord &file = module->files[i];
            std::set<uint16_t> lines;
            for (const LineBlock &block : file.blocks)
                for (size_t e = 0; e < block.lines.size(); e++) {
                    printf("line %s %u 0x%x\n", BaseName(file.name).c_str(), block.lines[e], block.addresses[e]);
                    printf("lineof 0x%x %u\n", block.addresses[e], LineOfAddress(info, block.addresses[e]).line);
                    lines.insert(block.lines[e]);
                }
            for (uint16_t line : lines) {
                uint16_t found = 0;
                uint32_t address = AddressOfLine(info, static_cast<uint32_t>(m), line, &found, static_cast<int>(i));
                printf("addressof %s %u 0x%x %u\n", BaseName(file.name).c_str(), line, address, found);
            }
        }
    }
    info.currentModule = entryModule;
    for (int i = 2; i < argc; i++)
        if (const SymbolEntry *symbol = FindSymbol(info, argv[i]))
            printf("symbol %s 0x%x %s\n", argv[i], symbol->value, TypeName(info, symbol->type).c_str());
        else
            printf("symbol %s none\n", argv[i]);
    ReleaseDebugInfo(info);
    return 0;
}

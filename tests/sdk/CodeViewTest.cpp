// bdxlnk adds CodeView 4 to programs built with debug information. These tests check its
// frame and a few values against the program itself; reading all of it is the debugger's job.
#include "support/TestSupport.h"

#include "CodeView.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

namespace {

// The function prints where its argument and its local lie from its frame pointer (EBP).
const char kProbe[] =
    "#include <stdio.h>\n"
    "int Probe(int arg) {\n"
    "    volatile int local = arg * 2;\n"
    "    printf(\"%d %d\\n\", (int)((char *)&local - (char *)__builtin_frame_address(0)),\n"
    "           (int)((char *)&arg - (char *)__builtin_frame_address(0)));\n"
    "    return local;\n"
    "}\n"
    "int main(void) { return Probe(3) + 1; }\n";

// Little-endian fields of an image file; 0 past its end.
struct Image {
    std::string b;
    uint32_t optional = 0;
    explicit Image(const std::string &bytes) : b(bytes) { optional = U32(0x3C) + 24; }
    uint32_t U(size_t at, int n) const {
        uint32_t v = 0;
        for (int i = n; i-- > 0;)
            v = v << 8 | (at + i < b.size() ? (uint8_t)b[at + i] : 0);
        return v;
    }
    uint32_t U16(size_t at) const { return U(at, 2); }
    uint32_t U32(size_t at) const { return U(at, 4); }
    std::string Name(size_t at) const { return b.substr(at + 1, U(at, 1)); }   // length-prefixed
    uint32_t SectionTable() const { return optional + U16(optional - 4); }
    // The file offset of an RVA.
    size_t FileOffset(uint32_t rva) const {
        for (uint32_t i = 0, s = SectionTable(); i < U16(optional - 18); i++, s += 40)
            if (rva >= U32(s + 12) && rva < U32(s + 12) + U32(s + 16))
                return U32(s + 20) + rva - U32(s + 12);
        return 0;
    }
    // The file offset of a section's data by its name (long ones in the string table); 0 when
    // there is none.
    size_t SectionData(const std::string &name) const {
        size_t strings = U32(optional - 12) + 18 * U32(optional - 8);
        for (uint32_t i = 0, s = SectionTable(); i < U16(optional - 18); i++, s += 40) {
            std::string stored = b.substr(s, 8).c_str();
            if (stored == name || (stored[0] == '/' && b.substr(strings + atoi(stored.c_str() + 1)).c_str() == name))
                return U32(s + 20);
        }
        return 0;
    }
};

class CodeViewTest : public KeltoTest {
protected:
    CapturedRun Sdk(const std::string &tool, const std::string &arguments) {
        return RunCaptured(BuildPath("sdk") + "\\bin\\" + tool + " " + arguments, dir);
    }
    // probe.exe built with debug information; its output.
    CapturedRun BuildProbe() {
        WriteWholeFile(PathOf("probe.c"), kProbe);
        EXPECT_EQ(0, Sdk("bdx.exe", "-c -g2 probe.c").code);
        CapturedRun link = Sdk("bdxlnk", "-subsystem console -o probe.exe probe.obj");
        EXPECT_EQ(0, link.code);
        EXPECT_EQ("", link.err);
        return RunCaptured(PathOf("probe.exe"), dir);
    }
};

TEST_F(CodeViewTest, ADebugBuildCarriesCodeViewAndStillRuns) {
    CapturedRun run = BuildProbe();
    EXPECT_EQ(7, run.code);
    int localAt = 0, argAt = 0;
    ASSERT_EQ(2, sscanf(run.out.c_str(), "%d %d", &localAt, &argAt)) << run.out;
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA(PathOf("bdx*.tmp").c_str(), &found));   // renamed into place
    Image image(ReadWholeFile(PathOf("probe.exe")));
#ifdef _WIN64
    EXPECT_EQ(0u, image.SectionData(".debug"));   // PE32+ images are left as linked
    return;
#endif
    uint32_t directoryRva = image.U32(image.optional + 96 + 48), directorySize = image.U32(image.optional + 100 + 48);
    size_t cv = 0;
    for (uint32_t i = 0; i < directorySize / 28; i++) {
        size_t entry = image.FileOffset(directoryRva) + 28 * i;
        if (image.U32(entry + 12) == 2)
            cv = image.U32(entry + 24);
    }
    ASSERT_NE(0u, cv);
    EXPECT_EQ("NB09", image.b.substr(cv, 4));
    size_t directory = cv + image.U32(cv + 4);
    std::set<uint32_t> kinds;
    std::vector<std::pair<size_t, size_t>> symbols;   // sstAlignSym: start, size
    for (uint32_t i = 0; i < image.U32(directory + 4); i++) {
        size_t entry = directory + image.U16(directory) + image.U16(directory + 2) * i;
        kinds.insert(image.U16(entry));
        if (image.U16(entry) == 0x0125)
            symbols.push_back({cv + image.U32(entry + 4), image.U32(entry + 8)});
    }
    EXPECT_EQ((std::set<uint32_t>{0x0120, 0x0125, 0x0127, 0x0129, 0x012B}), kinds);
    EXPECT_NE(0u, image.SectionData(".debug_info"));   // the DWARF stays

    // Probe's frame variables at the offsets from EBP that the program printed (its range is
    // checked against objdump by the debugger's program test).
    size_t procedure = 0, start = 0;
    for (const auto &s : symbols)
        for (size_t at = s.first + 4; !procedure && at < s.first + s.second; at += image.U16(at) + 2)
            if (image.U16(at + 2) == 0x0205 && image.Name(at + 37) == "_Probe")
                procedure = at, start = s.first;
    ASSERT_NE(0u, procedure);
    size_t end = start + image.U32(procedure + 8);
    std::map<std::string, int> variables;
    for (size_t at = procedure + image.U16(procedure) + 2; at < end; at += image.U16(at) + 2)
        if (image.U16(at + 2) == 0x0200)   // S_BPREL32
            variables[image.Name(at + 10)] = (int)image.U32(at + 4);
    EXPECT_EQ((std::map<std::string, int>{{"arg", argAt}, {"local", localAt}}), variables);
}

// A DWARF unit of a version the converter reads that uses a form it does not know: the
// program stays as linked, with one warning.
TEST_F(CodeViewTest, DebugInformationItCannotReadLeavesTheProgramAsLinked) {
    WriteWholeFile(PathOf("main.c"), "int main(void) { return 5; }\n");
    WriteWholeFile(PathOf("odd.asm"),
                   "    .section .debug_abbrev,\"dr\"\nabbrev:\n"
                   "    .uleb128 1, 0x11\n    .byte 0\n    .uleb128 0x03, 0x7f\n    .byte 0, 0, 0\n"
                   "    .section .debug_info,\"dr\"\n    .long end - start\nstart:\n"
                   "    .short 4\n    .secrel32 abbrev\n    .byte 4\n    .uleb128 1\n    .byte 0\nend:\n");
    ASSERT_EQ(0, Sdk("bdx.exe", "-c -g2 main.c").code);
    ASSERT_EQ(0, Sdk("bdx.exe", "-c odd.asm").code);
    CapturedRun link = Sdk("bdxlnk", "-subsystem console -o odd.exe main.obj odd.obj");
    EXPECT_EQ(0, link.code);
#ifndef _WIN64
    EXPECT_EQ("bdxlnk: warning: odd.exe has no CodeView debug information: unknown form 0x7f\n", link.err);
#endif
    EXPECT_EQ(5, RunCaptured(PathOf("odd.exe"), dir).code);
    EXPECT_EQ(0u, Image(ReadWholeFile(PathOf("odd.exe"))).SectionData(".debug"));
}

// Damaged copies of a real image (bits flipped in its DWARF and symbols, or cut short)
// either convert or fail with a reason; every offset and length read is checked.
TEST_F(CodeViewTest, DamagedImagesConvertOrFailWithoutHarm) {
#ifdef _WIN64
    GTEST_SKIP() << "the 64-bit build's images are PE32+, which are not converted";
#endif
    BuildProbe();
    // The converted program with its ".debug" section renamed stands in for a linked one.
    std::string bytes = ReadWholeFile(PathOf("probe.exe"));
    Image probe(bytes);
    size_t renamed = probe.SectionTable() + 40 * (probe.U16(probe.optional - 18) - 1);
    ASSERT_EQ(".debug", probe.b.substr(renamed, 6));
    std::vector<uint8_t> image(bytes.begin(), bytes.end());
    image[renamed + 1] = 'x';
    size_t dwarfStart = probe.SectionData(".debug_info");   // with the other DWARF and the symbols after it
    ASSERT_GT(image.size(), dwarfStart + 1000);
    uint32_t random = 12345;
    auto next = [&] { return random = random * 1103515245 + 12345, random >> 8; };
    int outcomes[3] = {0, 0, 0};
    for (int i = 0; i < 3000; i++) {
        std::vector<uint8_t> damaged = image, out;
        for (int k = 0; k < 3; k++)
            damaged[dwarfStart + next() % (image.size() - dwarfStart)] ^= (uint8_t)(1 << next() % 8);
        if (i % 10 == 0)
            damaged.resize(dwarfStart + next() % (image.size() - dwarfStart));
        std::string error;
        CodeViewResult r = AddCodeView(damaged, [](const std::string &path) { return path; }, &out, &error);
        outcomes[(int)r]++;
        EXPECT_TRUE(r != CodeViewResult::kFailed || !error.empty());
        EXPECT_TRUE(r != CodeViewResult::kAdded || out.size() > damaged.size());
    }
    EXPECT_GT(outcomes[(int)CodeViewResult::kAdded], 0);
    EXPECT_GT(outcomes[(int)CodeViewResult::kFailed], 100);
}

}   // namespace

// Writes the fuzzer's first inputs into the directory named on the command line: the test
// images of the debug information reader and a few variants of them.
#include <stdio.h>

#include <string>

#include "debugger/ImageBuilder.h"

static bool Write(const std::string &path, const Bytes &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s corpus-directory\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    ImageBuilder program = SampleProgram(), dll = SampleDll();
    ImageBuilder inDebug = SampleProgram();
    inDebug.sections.push_back({".debug", 0x5000, ""});
    inDebug.directorySection = ".debug";
    ImageBuilder noCodeView = SampleProgram();
    noCodeView.debug.pop_back();
    bool ok = Write(dir + "/program", program.Build()) && Write(dir + "/dll", dll.Build()) &&
              Write(dir + "/debug-section", inDebug.Build()) && Write(dir + "/no-codeview", noCodeView.Build());
    return ok ? 0 : 1;
}

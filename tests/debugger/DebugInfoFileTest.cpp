#include <windows.h>

#include "base/Boxes.h"
#include "debugger/DebugInfoFile.h"
#include "debugger/ImageBuilder.h"
#include "support/TestSupport.h"

namespace {

struct DebugInfoFileTest : KeltoTest {
    DebugInfo info;
    bool Open(const Bytes &bytes) {
        std::string path = PathOf("PROG.EXE");
        WriteWholeFile(path, bytes);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        bool read = OpenExecutable(info, file, 0x400000, path.c_str());
        CloseDebugInfo(info);   // the view goes before the engine closes the file
        CloseHandle(file);
        return read;
    }
};

// The image is read through a mapping of the file, its messages told.
TEST_F(DebugInfoFileTest, MapsTheFileAndShowsMessages) {
    info.report = [](DebugInfoMessage, const char *text) { ErrorBox(text); };
    EXPECT_TRUE(Open(SampleProgram().Build()));
    EXPECT_EQ(std::vector<std::string>{}, ui.Texts());
    EXPECT_EQ(0u, info.modules.size());   // released
    EXPECT_FALSE(Open(""));               // nothing to map
    EXPECT_FALSE(Open("MZ"));
    EXPECT_EQ((std::vector<std::string>{"Couldn't open file", "Unrecognized file format"}), ui.Texts());
    EXPECT_EQ("Error", ui.boxes[0].title);
}

}  // namespace

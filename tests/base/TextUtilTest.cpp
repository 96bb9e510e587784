// Small text and file routines: time stamps, temporary files and opening for writing.
#include <stdio.h>

#include "base/TextUtil.h"
#include "support/TestSupport.h"

namespace {

class TextUtilTest : public KeltoTest {};

TEST(TextUtil, TimeStampHasNoZeroPadding) {
    const int parts[6] = {1999, 2, 3, 9, 5, 7};
    EXPECT_STREQ("1999.2.3.9.5.7", FormatTimeStamp(parts));
}

TEST_F(TextUtilTest, TemporaryFilesAreDeletedTogether) {
    DeleteTempFiles();
    std::string a = PathOf("A.TMP"), b = PathOf("B.TMP");
    WriteWholeFile(a, "a");
    WriteWholeFile(b, "b");
    RegisterTempFile(a.c_str());
    RegisterTempFile(b.c_str());
    RegisterTempFile(PathOf("GONE.TMP").c_str());   // already missing: no harm
    EXPECT_EQ(3, TempFileCount());
    DeleteTempFiles();
    EXPECT_EQ(0, TempFileCount());
    EXPECT_FALSE(PathExists(a) || PathExists(b));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(TextUtilTest, OpenTextForWritingAsksBeforeErasing) {
    std::string path = PathOf("OUT.TXT");
    WriteWholeFile(path, "keep");
    EXPECT_EQ(nullptr, OpenTextForWriting(path.c_str()));   // answered No
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(path + " exists already. Erase it?", ui.boxes[0].text);
    EXPECT_EQ("keep", ReadWholeFile(path));

    ui.Answer(kAnswerYes);
    FILE *f = OpenTextForWriting(path.c_str());
    ASSERT_NE(nullptr, f);
    fputs("one\n", f);
    fclose(f);
    EXPECT_EQ("one\r\n", ReadWholeFile(path));   // text mode

    f = OpenTextForWriting(PathOf("NEW.TXT").c_str());   // nothing to erase: no question
    ASSERT_NE(nullptr, f);
    fclose(f);
    std::string nowhere = PathOf("NODIR\\X.TXT");
    EXPECT_EQ(nullptr, OpenTextForWriting(nowhere.c_str()));
    ASSERT_EQ(3u, ui.boxes.size());   // the two questions and the error
    EXPECT_EQ("Impossible to open " + nowhere + " for writing!", ui.boxes[2].text);
}

} // namespace

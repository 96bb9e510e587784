// Small text routines and the file layer: case conversion, time stamps, temporary files,
// opening for writing and moving files.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "core/TextUtil.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/TestSupport.h"

namespace {

class TextUtilTest : public KeltoTest {};

TEST(TextUtil, CaseConversionTouchesOnlyAsciiLetters) {
    char text[] = "c:\\src\\main.c [az]{AZ}`@\xe9\xc9";
    EXPECT_STREQ("C:\\SRC\\MAIN.C [AZ]{AZ}`@\xe9\xc9", UpperCase(text));
    EXPECT_STREQ("c:\\src\\main.c [az]{az}`@\xe9\xc9", LowerCase(text));

    char small[4];
    EXPECT_TRUE(CopyBounded(small, "abc", sizeof small));
    EXPECT_STREQ("abc", small);
    EXPECT_FALSE(CopyBounded(small, "abcd", sizeof small));
    EXPECT_STREQ("abc", small);
}

TEST(TextUtil, TimeStampHasNoZeroPadding) {
    const int parts[6] = {1999, 2, 3, 9, 5, 7};
    EXPECT_STREQ("1999.2.3.9.5.7", FormatTimeStamp(parts));
    const int late[6] = {2031, 12, 31, 23, 59, 59};
    EXPECT_STREQ("2031.12.31.23.59.59", FormatTimeStamp(late));

    int now[6];
    LocalTimeParts(now);
    int year, month, day, hour, minute, second;
    ASSERT_EQ(6, sscanf(TimeStamp(), "%d.%d.%d.%d.%d.%d", &year, &month, &day, &hour, &minute,
                        &second));
    EXPECT_EQ(now[0], year);
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24);
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
    EXPECT_FALSE(PathExists(a));
    EXPECT_FALSE(PathExists(b));
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

    std::string fresh = PathOf("NEW.TXT");
    f = OpenTextForWriting(fresh.c_str());   // nothing to erase: no question
    ASSERT_NE(nullptr, f);
    fclose(f);
    EXPECT_EQ(2u, ui.boxes.size());

    std::string nowhere = PathOf("NODIR\\X.TXT");
    EXPECT_EQ(nullptr, OpenTextForWriting(nowhere.c_str()));
    ASSERT_EQ(3u, ui.boxes.size());
    EXPECT_EQ("Impossible to open " + nowhere + " for writing!", ui.boxes[2].text);
}

TEST_F(TextUtilTest, ReadOnlyAttribute) {
    std::string path = PathOf("RO.TXT");
    WriteWholeFile(path, "x");
    ASSERT_TRUE(MakeReadOnly(path.c_str()));
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(MakeWritable(path.c_str()));
    EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(ui.boxes.empty());

    std::string missing = PathOf("MISSING.TXT");
    EXPECT_FALSE(MakeWritable(missing.c_str()));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("Impossible to open " + missing + " for writing!", ui.boxes[0].text);
}

TEST_F(TextUtilTest, FilesAreFoundAndMoved) {
    std::string from = PathOf("FROM.TXT"), to = PathOf("TO.TXT");
    WriteWholeFile(from, "payload");
    EXPECT_TRUE(FileExists(from.c_str()));
    EXPECT_NE(0, FileTime(from.c_str()));
    EXPECT_EQ(0, FileTime(to.c_str()));

    EXPECT_EQ(0, MoveFileAnyDrive(from.c_str(), to.c_str()));
    EXPECT_FALSE(PathExists(from));
    EXPECT_EQ("payload", ReadWholeFile(to));
    EXPECT_EQ(-1, MoveFileAnyDrive(from.c_str(), PathOf("AGAIN.TXT").c_str()));

    // A name without a backslash is looked up in the current directory.
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_EQ(0, SetDirectory(dir.c_str()));
    char current[MAX_PATH];
    EXPECT_EQ(dir, CurrentDirectory(current, sizeof current));
    EXPECT_TRUE(FileExists("to.txt"));
    EXPECT_FALSE(FileExists("from.txt"));
    // Moving to a path without a drive letter stays on the current drive.
    EXPECT_EQ(0, MoveFileAnyDrive(to.c_str(), "moved.txt"));
    EXPECT_EQ("payload", ReadWholeFile(PathOf("MOVED.TXT")));
    SetDirectory(saved);
    EXPECT_EQ(-1, SetDirectory(PathOf("NODIR").c_str()));
}

// Under Wine, Z: is the Unix root, another drive than the temporary directory's.
TEST_F(TextUtilTest, MovingToAnotherDriveCopiesAndDeletes) {
    if (toupper(dir[0]) == 'Z' || GetFileAttributesA("Z:\\tmp") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no second drive";
    char other[MAX_PATH];
    snprintf(other, sizeof other, "Z:\\tmp\\kt_move_%lu", GetCurrentProcessId());
    ASSERT_TRUE(MakeDirectory(other));
    std::string from = PathOf("CROSS.TXT"), to = std::string(other) + "\\CROSS.TXT";
    WriteWholeFile(from, "across");
    EXPECT_EQ(0, MoveFileAnyDrive(from.c_str(), to.c_str()));
    EXPECT_FALSE(PathExists(from));
    EXPECT_EQ("across", ReadWholeFile(to));
    DeleteFileA(to.c_str());
    RemoveDirectoryA(other);
}

} // namespace

// The message table and the standard boxes, as the user sees them.
#include <string.h>

#include "core/Boxes.h"
#include "core/Messages.h"
#include "support/TestSupport.h"

namespace {

TEST(Messages, LookupReturnsTheTextOrEmpty) {
    EXPECT_STREQ("", GetString(0));
    EXPECT_STREQ("", GetString(9999));
    EXPECT_STREQ("", GetString(-1));
    EXPECT_STREQ("", GetString(65536 + 406));
    EXPECT_STREQ("Error", GetString(406));
    EXPECT_STREQ("No more memory left", GetString(137));
    EXPECT_STREQ("Information", GetString(3981));
    EXPECT_STREQ("%s:\n%d lines longuer than 500 characters were truncated", GetString(4552));
}

// The keyword lists are read up to their first empty text, so a hole would cut them short.
TEST(Messages, KeywordListsRunUnbrokenToTheirEmptyEnd) {
    struct List { int first, last; const char *firstWord, *lastWord; };
    for (List l : {List{995, 1029, "const", "sizeof"}, List{1031, 1043, "assert", "error"},
                   List{5000, 5028, "if", "stop"}, List{6000, 6054, "alias", "xor"}}) {
        EXPECT_STREQ(l.firstWord, GetString(l.first));
        EXPECT_STREQ(l.lastWord, GetString(l.last));
        for (int id = l.first; id <= l.last; id++)
            EXPECT_STRNE("", GetString(id)) << id;
        EXPECT_STREQ("", GetString(l.last + 1));
    }
}

TEST(Messages, FormattingStaysInsideTheScratchBuffer) {
    std::string huge(kScratchSize + 100, 'a');
    char *text = FormatScratch("%s", huge.c_str());
    EXPECT_EQ(text, g_scratch);
    EXPECT_EQ(size_t(kScratchSize - 1), strlen(text));
    EXPECT_STREQ("File C:\\X.C not found!", FormatMessageId(4036, "C:\\X.C"));
}

class BoxesTest : public KeltoTest {};

TEST_F(BoxesTest, ErrorBoxIsATaskModalStopBoxWithABoundedCopy) {
    std::string longText(300, 'e');
    ui.Answer(kAnswerOk);
    EXPECT_EQ(kAnswerOk, ErrorBox(longText.c_str()));
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ(std::string(254, 'e'), ui.boxes[0].text);
    EXPECT_EQ("Error", ui.boxes[0].title);
    EXPECT_EQ(0x10u | 0x2000u | 0x10000u, ui.boxes[0].style);
    EXPECT_EQ(kOwnerFrame, ui.boxes[0].owner);

    ErrorMessage(1155);
    EXPECT_EQ("Write error. Is the disk full?", ui.boxes[1].text);
    InternalError(7);
    EXPECT_EQ("InternalError 7", ui.boxes[2].text);
    EXPECT_EQ("Error", ui.boxes[2].title);
}

TEST_F(BoxesTest, InformationAndQuestions) {
    InfoBox("Done");
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("Done", ui.boxes[0].text);
    EXPECT_EQ("Information", ui.boxes[0].title);
    EXPECT_EQ(0x40u | 0x10000u, ui.boxes[0].style);
    EXPECT_EQ(kOwnerFrame, ui.boxes[0].owner);

    ui.Answer(kAnswerYes);
    EXPECT_TRUE(Confirm("Go?"));
    EXPECT_EQ(0x4u | 0x10000u, ui.boxes[1].style);
    EXPECT_EQ("Information", ui.boxes[1].title);
    ui.Answer(kAnswerNo);
    EXPECT_FALSE(Confirm("Go?"));
    ui.Answer(kAnswerOk);   // anything but Yes is a No
    EXPECT_FALSE(Confirm("Go?"));
    ui.Answer(kAnswerYes);
    EXPECT_TRUE(ConfirmMessage(4551));
    EXPECT_EQ("File contains truncated lines\nSave anyway?", ui.boxes[4].text);

    // Boxes show their own copy: the scratch text may be overwritten while a box is up.
    Confirm(FormatScratch("first"));
    FormatScratch("second");
    EXPECT_EQ("first", ui.boxes[5].text);
}

TEST_F(BoxesTest, NoMemoryAndTheFixedErrors) {
    NoMemory();
    ASSERT_EQ(1u, ui.boxes.size());
    EXPECT_EQ("No more memory left", ui.boxes[0].text);
    EXPECT_EQ("", ui.boxes[0].title);   // the system's default title
    EXPECT_EQ(kOwnerActive, ui.boxes[0].owner);
    EXPECT_TRUE(ui.boxes[0].style & 0x10u);

    IncorrectFileName("a?b");
    FileNotFound("C:\\SRC\\X.C");
    StringNotFound();
    ASSERT_EQ(4u, ui.boxes.size());
    EXPECT_EQ("[a?b]: incorrect file name", ui.boxes[1].text);
    EXPECT_EQ("File C:\\SRC\\X.C not found!", ui.boxes[2].text);
    EXPECT_EQ("String not found", ui.boxes[3].text);
    EXPECT_EQ("Information", ui.boxes[3].title);
}

} // namespace

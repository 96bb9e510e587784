// The message table, the standard boxes and the time stamp, as the user sees them.
#include <string.h>

#include "base/Boxes.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "base/TextUtil.h"
#include "support/TestSupport.h"

namespace {

// Unknown identifiers give "", never null; the keyword lists are read up to their first empty
// text, so a hole would cut them short.
TEST(Messages, LookupAndKeywordListsEnds) {
    for (int id : {0, -1, 9999, 65536 + kStrError})
        EXPECT_STREQ("", GetString(id)) << id;
    EXPECT_STREQ("Error", GetString(kStrError));
    struct List { int first, last; const char *firstWord, *lastWord; };
    for (List l : {List{kStrCKeywords, 1029, "const", "sizeof"},
                   List{kStrDirectives, 1043, "assert", "error"},
                   List{kStrFortranKeywords, 5028, "if", "stop"},
                   List{kStrEiffelKeywords, 6054, "alias", "xor"}}) {
        EXPECT_STREQ(l.firstWord, GetString(l.first));
        EXPECT_STREQ(l.lastWord, GetString(l.last));
        for (int id = l.first; id <= l.last; id++)
            EXPECT_STRNE("", GetString(id)) << id;
        EXPECT_STREQ("", GetString(l.last + 1));
    }
}

// Time stamps have no zero padding.
TEST(Messages, FormattingStaysInsideTheScratchBufferAndTimeStamps) {
    const int parts[6] = {1999, 2, 3, 9, 5, 7};
    EXPECT_STREQ("1999.2.3.9.5.7", FormatTimeStamp(parts));
    char *text = FormatScratch("%s", std::string(kScratchSize + 100, 'a').c_str());
    EXPECT_EQ(text, g_scratch);
    EXPECT_EQ(size_t(kScratchSize - 1), strlen(text));
    EXPECT_STREQ("File C:\\X.C not found!", FormatMessageId(kStrFileNotFound, "C:\\X.C"));
}

class BoxesTest : public KeltoTest {};

// Each kind of box with its title, style and owner; an error text is cut to 254 characters.
TEST_F(BoxesTest, TitlesStylesAndAnswers) {
    ErrorBox(std::string(300, 'e').c_str());
    NoMemory();
    StringNotFound();
    struct Expected { std::string text, title; unsigned style; BoxOwner owner; };
    const Expected expected[] = {
        {std::string(254, 'e'), "Error", 0x10 | 0x2000 | 0x10000, kOwnerFrame},
        {"No more memory left", "", 0x10, kOwnerActive},   // the system's default title
        {"String not found", "Information", 0x40 | 0x10000, kOwnerFrame}};
    ASSERT_EQ(3u, ui.boxes.size());
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(expected[i].text, ui.boxes[i].text) << i;
        EXPECT_EQ(expected[i].title, ui.boxes[i].title) << i;
        EXPECT_EQ(expected[i].style, ui.boxes[i].style) << i;
        EXPECT_EQ(expected[i].owner, ui.boxes[i].owner) << i;
    }

    // Only Yes is a yes.
    for (int answer : {kAnswerYes, kAnswerNo, kAnswerOk}) {
        ui.Answer(answer);
        EXPECT_EQ(answer == kAnswerYes, Confirm("Go?")) << answer;
        EXPECT_EQ(0x4u | 0x10000u, ui.boxes.back().style);
        EXPECT_EQ("Information", ui.boxes.back().title);
    }
}

} // namespace

// The display's arithmetic: the scroll bar, smooth scrolling, the horizontal scroll and the
// position text.
#include <string>
#include <vector>

#include "editor/Display.h"
#include "editor/DocumentTestSupport.h"
#include "editor/Editing.h"

namespace {

// A fixed-pitch font of 8 pixels a character.
int Fixed(int, int n, void *) { return n * 8; }

// A proportional font: "i" 3 pixels, "W" 12, every other character 8.
int Proportional(int from, int n, void *context) {
    const char *text = static_cast<const char *>(context);
    int width = 0;
    for (int i = from; i < from + n; i++)
        width += text[i] == 'i' ? 3 : text[i] == 'W' ? 12 : 8;
    return width;
}

std::vector<int> Steps(int height, int subScroll) {
    int steps[64];
    int n = SubScrollSteps(height, subScroll, steps, 64);
    return std::vector<int>(steps, steps + n);
}

} // namespace

TEST(Display, ScrollBarOfLargeAndSmallDocumentsAndSmoothScrollSteps) {
    ScrollBarState bar = ScrollBarFor(40000, 30, 20000);
    EXPECT_EQ(1, bar.minimum);
    EXPECT_EQ(4001, bar.maximum);
    EXPECT_EQ(2000, bar.position);
    EXPECT_EQ(20000, LineForThumb(40000, 2000));
    EXPECT_EQ(1, ScrollBarFor(40000, 30, 9).position);   // as the bar itself keeps it
    bar = ScrollBarFor(32765, 30, 100);
    EXPECT_EQ(32766, bar.maximum);
    EXPECT_EQ(100, LineForThumb(32765, 100));
    bar = ScrollBarFor(10, 30, 5);   // fewer lines than rows: no bar
    EXPECT_EQ(0, bar.maximum);
    EXPECT_EQ(1, LineForThumb(40000, 0));
    EXPECT_EQ(40001, LineForThumb(40000, 9999));

    // Smooth scrolling: the steps of a line's height.
    EXPECT_EQ((std::vector<int>{3, 3, 3, 3, 3}), Steps(15, 4));
    EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 5}), Steps(15, 10));
    EXPECT_EQ(std::vector<int>{15}, Steps(15, 1));
    EXPECT_EQ(std::vector<int>{15}, Steps(15, 0));
    EXPECT_EQ(std::vector<int>{15}, Steps(15, 40));   // steps of 0 pixels: the whole line at once
}

TEST(Display, HorizontalScrollKeepsTheCursorInSightAndColumnsArePlacedByTheTextBefore) {
    // 100 pixels of text area, 8 pixels a character.
    EXPECT_EQ(0, FirstColumnForCursor(0, 12, 100, Fixed, nullptr));    // 96 pixels fit
    EXPECT_EQ(2, FirstColumnForCursor(0, 13, 100, Fixed, nullptr));    // 104: wider by less than one
    EXPECT_EQ(0, FirstColumnForCursor(0, 12, 96, Fixed, nullptr));     // exactly as wide: nothing moves
    EXPECT_EQ(12, FirstColumnForCursor(0, 23, 100, Fixed, nullptr));
    EXPECT_EQ(0, FirstColumnForCursor(20, 5, 100, Fixed, nullptr));    // left of the window

    // Columns are placed by the widths of the text before them.
    char text[] = "iiWa";   // 4 columns: 3, 3, 12, 8
    EXPECT_EQ(18, ColumnsWidth(0, 3, 4, 7, Proportional, text));   // not 3 x an average width
    EXPECT_EQ(20, ColumnsWidth(2, 4, 4, 7, Proportional, text));
    EXPECT_EQ(-18, ColumnsWidth(3, 0, 4, 7, Proportional, text));   // left of the first column
    // Past the end of the text each column is one average character.
    EXPECT_EQ(26 + 14, ColumnsWidth(0, 6, 4, 7, Proportional, text));
    EXPECT_EQ(14, ColumnsWidth(5, 7, 4, 7, Proportional, text));
}

class DisplayTest : public DocumentTest {};

// The column is the visual one; the " *" of an edited document is BrowseAppTest's.
TEST_F(DisplayTest, PositionTextAndTitleMark) {
    OpenFile("A.C", "one\n\ttwo\n");
    g_tabSize = 4;
    GotoPosition(2, 2);
    char text[40];
    PositionText(g_editor->view, text, sizeof text);
    EXPECT_STREQ("2:6", text);
    char title[40];   // the mark comes and goes end to end (AppTest); it is never doubled
    MarkedTitle("a.c*", true, title, sizeof title);
    EXPECT_STREQ("a.c*", title);
}

TEST(Display, BraceLevelSkipsStringsAndComments) {
    bool comment = false;
    auto after = [&](const std::string &text, int level) {
        return BraceLevelAfter(text.data(), static_cast<int>(text.size()), level, &comment);
    };
    EXPECT_EQ(1, after("int f() {", 0));
    EXPECT_EQ(1, after("  s = \"{{\"; c = '}'; // {", 1));
    EXPECT_EQ(1, after("  /* { ", 1));
    EXPECT_TRUE(comment);
    EXPECT_EQ(1, after("  } */ x;", 1));
    EXPECT_FALSE(comment);
    EXPECT_EQ(0, after("}}", 1));   // never below 0
}

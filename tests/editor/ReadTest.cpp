// Reading files into documents: line ends, the split of over-long lines, files larger than
// the reader's buffer, and failures.
#include "editor/DocumentTestSupport.h"
#include "platform/Files.h"

namespace {

class ReadTest : public DocumentTest {};

// What the reader must make of `bytes`, worked out without its buffer: LF ends a line, CR
// bytes vanish, a line of more than 497 characters is cut into pieces of 497, and an empty
// piece after the final LF is no line.
Lines ExpectedLines(const std::string &bytes, int *splits) {
    Lines lines;
    *splits = 0;
    for (size_t start = 0; start < bytes.size();) {
        size_t lf = std::min(bytes.find('\n', start), bytes.size());
        std::string piece = bytes.substr(start, lf - start);
        start = lf + 1;
        piece.erase(std::remove(piece.begin(), piece.end(), '\r'), piece.end());
        if (piece.empty() && lf == bytes.size())
            break;
        lines.push_back(piece.substr(0, kSplitLength));
        for (size_t i = kSplitLength; i < piece.size(); i += kSplitLength, ++*splits)
            lines.push_back(piece.substr(i, kSplitLength));
    }
    return lines;
}

std::string Pattern(size_t n, unsigned seed = 0) {
    std::string text;
    for (size_t i = 0; i < n; i++)
        text += char('a' + (i * 7 + seed) % 26);
    return text;
}

std::string SplitMessage(const std::string &path, int count) {
    return Lowered(path) + ":\n" + std::to_string(count) +
           " lines longuer than 500 characters were truncated";
}

// LF, CR LF and CR CR LF end a line alike (mixed over a large file below); stray CRs vanish; an
// empty piece after the final LF is no line, while a last line without an end is one.
TEST_F(ReadTest, EveryKindOfLineEndReadsTheSame) {
    struct Case { std::string bytes; Lines lines; };
    int n = 0;
    for (const Case &c : {Case{"int a;\r\r\n\r\r\n  b\t\r\r\nlast", {"int a;", "", "  b\t", "last"}},
                          Case{"", {}}, Case{"\n", {""}}, Case{"a\n", {"a"}}, Case{"a\n\n", {"a", ""}},
                          Case{"a\r\n\r", {"a"}}}) {
        Document *doc = OpenFile("F" + std::to_string(++n) + ".C", c.bytes);
        ASSERT_NE(nullptr, doc);
        EXPECT_EQ(c.lines, LinesOf(doc)) << n;
        EXPECT_EQ(long(c.lines.size()), doc->lineCount) << n;
        EXPECT_EQ(0, doc->flags & (kDocTruncated | kDocModified)) << n;
        EXPECT_EQ(FirstLine(doc), g_editor->view->current) << n;
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ReadTest, LinesOver497CharactersAreSplitAndReported) {
    std::string exact = Pattern(497);
    Document *doc = OpenFile("EXACT.C", exact + "\n" + exact + "\r\n" + exact);
    EXPECT_EQ((Lines{exact, exact, exact}), LinesOf(doc));
    EXPECT_FALSE(doc->flags & kDocTruncated);
    EXPECT_TRUE(ui.boxes.empty());

    std::string over = Pattern(498);
    doc = OpenFile("OVER.C", over + "\n");
    EXPECT_EQ((Lines{over.substr(0, 497), over.substr(497)}), LinesOf(doc));
    EXPECT_EQ(Lines{SplitMessage(PathOf("OVER.C"), 1)}, ui.Texts());
    EXPECT_TRUE(doc->flags & kDocTruncated);
    // The frame checks the files on disk while the report is up: the file is not "changed".
    ui.whileShown = [] { CheckFilesChangedOnDisk(); };
    doc = OpenFile("Long.c", "short\n" + over + "\nend\n");
    ui.whileShown = nullptr;
    EXPECT_EQ((Lines{"short", over.substr(0, 497), over.substr(497), "end"}), LinesOf(doc));
    EXPECT_EQ((Lines{SplitMessage(PathOf("OVER.C"), 1), SplitMessage(PathOf("LONG.C"), 1)}), ui.Texts());

    // CR bytes inside a long line take no room in it.
    std::string clean = Pattern(600), withCr;
    for (size_t i = 0; i < clean.size(); i++)
        withCr += (i % 50 == 49 ? "\r" : "") + std::string(1, clean[i]);
    doc = OpenFile("CR.C", withCr + "\r\r\n");
    EXPECT_EQ((Lines{clean.substr(0, 497), clean.substr(497)}), LinesOf(doc));
}

// Builds a file of about 420 KB: ordinary lines with mixed line ends and trailing blanks,
// long lines, a long line straddling the first buffer boundary (150,000) and a CR LF pair
// split by the second one.
std::string BigFile() {
    static const char *const ends[] = {"\n", "\r\n", "\r\r\n"};
    std::string bytes;
    unsigned i = 0;
    auto addLines = [&](size_t until) {
        for (; bytes.size() < until; i++) {
            bytes += Pattern(i % 40 == 0 ? 498 + i * 131 % 1200 : i * 37 % 120, i);
            bytes += i % 7 == 0 ? " \t" : i % 11 == 0 ? "  " : "";
            bytes += ends[i % 3];
        }
    };
    addLines(147000);
    bytes += std::string(149499 - bytes.size(), 'g') + "\n";
    bytes += Pattern(1200, 3) + "\n";   // bytes 149,500 to 150,700
    addLines(297000);
    bytes += std::string(299999 - bytes.size(), 'f') + "\r\n";
    addLines(420000);
    return bytes + "no line end";
}

TEST_F(ReadTest, FileLargerThanTheBufferReadsLineForLine) {
    std::string bytes = BigFile();
    ASSERT_EQ('\r', bytes[299999]);
    ASSERT_EQ('\n', bytes[300000]);
    int splits = 0;
    Lines expected = ExpectedLines(bytes, &splits);
    ASSERT_GT(splits, 10);

    Document *doc = OpenFile("BIG.TXT", bytes);
    ASSERT_NE(nullptr, doc);
    Lines lines = LinesOf(doc);
    ASSERT_EQ(expected.size(), lines.size());
    for (size_t i = 0; i < lines.size(); i++)
        ASSERT_EQ(expected[i], lines[i]) << "line " << i;
    EXPECT_EQ(long(expected.size()), doc->lineCount);
    EXPECT_EQ(Lines{SplitMessage(PathOf("BIG.TXT"), splits)}, ui.Texts());

    // Written back, past the writer's own buffer: every line trimmed and ended by CR LF.
    std::string written;
    for (std::string &line : expected) {
        line.erase(line.find_last_not_of(" \t") + 1);
        written += line + "\r\n";
    }
    doc->flags |= kDocModified;
    ui.Answer(kAnswerYes);   // "File contains truncated lines"
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(written, ReadWholeFile(PathOf("BIG.TXT")));
}

TEST_F(ReadTest, FailedReadIsReportedAndGuardsTheFile) {
    std::string bytes = BigFile();
    WriteWholeFile(PathOf("BIG.TXT"), bytes);
    InjectReadFailure(200000);
    bool opened = OpenDocument(PathOf("BIG.TXT").c_str());
    InjectReadFailure(-1);
    EXPECT_FALSE(opened);
    Document *doc = g_editor->doc;
    ASSERT_NE(nullptr, doc);
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ("File read or write error.", ui.boxes.back().text);
    EXPECT_TRUE(doc->flags & kDocTruncated);   // so saving the part read asks first (WriteTest)

    // A file that is there but locked by another program reads as a failure, not as empty.
    std::string locked = PathOf("LOCKED.C");
    WriteWholeFile(locked, "int x;\r\n");
    HANDLE lock = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    size_t shown = ui.boxes.size();
    EXPECT_FALSE(OpenDocument(locked.c_str()));
    CloseHandle(lock);
    ASSERT_EQ(shown + 1, ui.boxes.size());
    EXPECT_EQ("File read or write error.", ui.boxes.back().text);
    EXPECT_TRUE(g_editor->doc->flags & kDocTruncated);
}

} // namespace

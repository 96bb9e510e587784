// The "Macros" and "Language" pages: what they refuse, and that OK changes what the program
// uses at once.
#include "editor/CommentScan.h"
#include "editor/EditTestSupport.h"
#include "editor/Language.h"
#include "editor/LanguagePage.h"
#include "editor/MacroPage.h"

namespace {

class EditorPagesTest : public EditTest {
protected:
    void TearDown() override {
        FreeTextMacros();
        FreeLanguages();
        EditTest::TearDown();
    }
    static int IndexOf(const LanguagePage &page, const std::string &name) {
        for (size_t i = 0; i < page.languages.size(); i++)
            if (page.languages[i].name == name)
                return static_cast<int>(i);
        return -1;
    }
};

} // namespace

TEST_F(EditorPagesTest, MacroEditsAreCheckedAndOkMakesCtrlLetterInsertTheNewText) {
    // Loaded macros: "c" twice (Ctrl+C finds the first) and "a" after it.
    for (const char *entry : {"a-old a", "c-second c", "c-first c"}) {
        TextMacro *macro = static_cast<TextMacro *>(Allocate(sizeof(TextMacro)));
        macro->code = entry[0];
        macro->text = DupString(entry + 2);
        macro->length = static_cast<int>(strlen(entry + 2));
        macro->next = g_textMacros;
        g_textMacros = macro;
    }
    MacroPage page = OpenMacroPage();
    ASSERT_EQ(2u, page.macros.size());
    EXPECT_EQ("first c", page.macros[1].text);
    EXPECT_EQ('a', page.macros[0].letter);

    struct Case { MacroValues values; bool adding; MacroResult result; } cases[] = {
        {{'A', "x", 0}, true, kMacroNoLetter},
        {{'{', "x", 0}, true, kMacroNoLetter},
        {{'c', "x", 0}, true, kMacroLetterUsed},
        {{'q', "x", 0}, false, kMacroNotFound},
        {{'q', "", 0}, true, kMacroEmptyText},
        {{'q', std::string(kMaxMacroLength + 1, 'x'), 0}, true, kMacroTooLong},
        {{'q', "xy", 3}, true, kMacroBadCursor},
        {{'q', "xy", -1}, true, kMacroBadCursor},
        {{'z', std::string(kMaxMacroLength, 'x'), kMaxMacroLength}, true, kMacroDone},
        {{'b', "if () {\n}", 4}, true, kMacroDone},
        {{'c', "changed", 7}, false, kMacroDone},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.result, PutMacro(&page, c.values, c.adding)) << c.values.text.substr(0, 10);
    EXPECT_EQ(kMacroNotFound, DeleteMacro(&page, 'q'));
    EXPECT_EQ(kMacroDone, DeleteMacro(&page, 'z'));
    ASSERT_TRUE(ApplyMacroPage(page));

    std::string order;
    for (const TextMacro *m = g_textMacros; m; m = m->next)
        order += static_cast<char>(m->code);
    EXPECT_EQ("abc", order);
    ASSERT_TRUE(Doc("x\n"));
    EditorChar('b' - 96, 1, true);
    EXPECT_EQ("if () {\n}x", Text());
    EXPECT_EQ(4, Column());
    At(2, 1);
    EditorChar('c' - 96, 1, true);
    EXPECT_EQ("if () {\n}changedx", Text());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(EditorPagesTest, MacroTextsTravelToTheEditControlAndBack) {
    struct { const char *text, *edit; } cases[] = {
        {"a\nb\n", "a\r\nb\r\n"}, {"\n\n", "\r\n\r\n"}, {"tab\there", "tab\there"}, {"", ""}};
    for (const auto &c : cases) {
        EXPECT_EQ(c.edit, MacroTextForEdit(c.text));
        EXPECT_EQ(c.text, MacroTextFromEdit(c.edit));
    }
    EXPECT_EQ("a\rb\r", MacroTextFromEdit("a\rb\r"));   // a lone CR stays
    EXPECT_EQ("x\ty|z", MacroListText({'x', "y\nz", 0}));
    EXPECT_EQ(2u + 60 + 3, MacroListText({'x', std::string(100, 'y'), 0}).size());
}

TEST_F(EditorPagesTest, LanguageEditsRefuseBadNamesAndKeepTheCLanguage) {
    AddBuiltinLanguages();
    LanguagePage page = OpenLanguagePage();
    int c = IndexOf(page, "C Language");
    int pas = IndexOf(page, "Pascal");
    ASSERT_GE(c, 0);
    EXPECT_EQ("C;H;CPP;HPP", page.languages[c].extensions);

    LanguageValues values = page.languages[pas];
    struct { std::string name; int index; LanguageResult result; } cases[] = {
        {"  ", pas, kLanguageNoName},
        {"Fortran", pas, kLanguageNameUsed},
        {"C Language", pas, kLanguageNameUsed},
        {"C", c, kLanguageCRequired},
        {"Pascal", -1, kLanguageNotFound},
        {"Pascal", static_cast<int>(page.languages.size()), kLanguageNotFound},
        {" Delphi ", pas, kLanguageDone},
        {"C Language", c, kLanguageDone},
    };
    for (const auto &k : cases) {
        values.name = k.name;
        EXPECT_EQ(k.result, StoreLanguage(&page, k.index, values)) << k.name;
    }
    EXPECT_EQ("Delphi", page.languages[pas].name);
    EXPECT_EQ(kLanguageCRequired, DeleteLanguage(&page, c));
    EXPECT_EQ(kLanguageNotFound, DeleteLanguage(&page, -1));
    EXPECT_EQ(0, NewLanguage(&page));
    EXPECT_EQ(0, NewLanguage(&page));
    EXPECT_EQ("New language 2", page.languages[0].name);
    EXPECT_EQ("New language", page.languages[1].name);
}

TEST_F(EditorPagesTest, OkGivesOpenDocumentsTheirLanguageAgain) {
    AddBuiltinLanguages();
    Document *rexx = OpenFile("A.REX", "say 'x'\n");
    Document *pas = OpenFile("B.PAS", "begin end\n");
    Document *c = OpenFile("C.XC", "int x; /* c */\n");
    ASSERT_TRUE(rexx && pas && c);
    EXPECT_EQ(nullptr, rexx->language);
    EXPECT_EQ(0, c->flags & kDocCSource);

    LanguagePage page = OpenLanguagePage();
    LanguageValues cValues = page.languages[IndexOf(page, "C Language")];
    cValues.extensions = "*.c h; .xc";
    ASSERT_EQ(kLanguageDone, StoreLanguage(&page, IndexOf(page, "C Language"), cValues));
    ASSERT_EQ(kLanguageDone, DeleteLanguage(&page, IndexOf(page, "Pascal")));
    LanguageValues values;
    values.name = "Rexx";
    values.extensions = "rex";
    values.commentChars = "/";
    values.caseInsensitive = true;
    values.keywords = "SAY\r\nDo\t end  ";
    ASSERT_EQ(kLanguageDone, StoreLanguage(&page, NewLanguage(&page), values));
    ASSERT_TRUE(ApplyLanguagePage(&page));

    Language *added = FindLanguage("Rexx");
    ASSERT_TRUE(added);
    EXPECT_EQ(nullptr, FindLanguage("Pascal"));
    EXPECT_STREQ("c;h;xc", FindLanguage("C Language")->extensions);
    ASSERT_EQ(3, added->keywordCount);
    EXPECT_STREQ("say", added->keywords[0]);
    EXPECT_TRUE(IsLanguageKeyword(added, "do", 2));
    EXPECT_TRUE(added->keywordChars['S']);
    EXPECT_EQ(kLanguageCaseInsensitive | 1, added->flags);

    EXPECT_EQ(added, rexx->language);
    EXPECT_EQ(nullptr, pas->language);
    EXPECT_EQ(FindLanguage("C Language"), c->language);
    EXPECT_NE(0, c->flags & kDocCSource);
    EXPECT_TRUE(SpanAtLine(c, FirstLine(c)));   // found by the C rules now

    // Case sensitive again: the keywords keep their case and only the typed one is coloured.
    page = OpenLanguagePage();
    page.languages[0].caseInsensitive = false;
    page.languages[0].keywords = "Say";
    ASSERT_TRUE(ApplyLanguagePage(&page));
    EXPECT_TRUE(IsLanguageKeyword(added, "Say", 3));
    EXPECT_FALSE(IsLanguageKeyword(added, "say", 3));
    EXPECT_FALSE(added->keywordChars['Y']);
    EXPECT_TRUE(ui.boxes.empty());
}

// The configuration store: defaults, lists, malformed values, project files and the compiler
// root, over a store in memory; one group runs the same code over the real registry.
#include <windows.h>

#include <string>
#include <vector>

#include "app/KeyTable.h"
#include "app/SettingsLoad.h"
#include "base/AppState.h"
#include "base/CommandIds.h"
#include "base/Memory.h"
#include "debugger/DebugOptions.h"
#include "editor/DisplayOptions.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/Language.h"
#include "editor/SearchOptions.h"
#include "project/ProjectTransfer.h"
#include "project/Utilities.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"
#include "settings/Store.h"
#include "support/TestSupport.h"

namespace {

class SettingsTest : public KeltoTest {
protected:
    MemoryStore store;

    void SetUp() override {
        KeltoTest::SetUp();
        SetStore(&store);
        // A registered compiler: no first-run detection.
        Put("Software\\bdx\\Compiler", "includepath", "C:\\BDX\\include");
        RegisterSettingTables();
        SetDefaultSettings();
        g_app->saveSession = true;   // as start-up sets it
        g_openProject[0] = '\0';
    }
    void TearDown() override {
        SetDefaultSettings();
        FreeLanguages();
        SetStore(nullptr);
        KeltoTest::TearDown();
    }

    void Put(const char *key, const char *name, const std::string &text) {
        StoreKey k = store.Open(nullptr, key, true, nullptr);
        ASSERT_TRUE(k);
        store.Set(k, name, text.c_str());
    }
    void Put(const char *name, const std::string &text) { Put("Software\\bdx\\Kelto", name, text); }
    void Put(std::initializer_list<std::pair<const char *, std::string>> values) {
        for (const auto &value : values)
            Put(value.first, value.second);
    }
    std::string Get(const char *key, const char *name) {
        StoreKey k = store.Open(nullptr, key, false, nullptr);
        char buffer[2000] = "<missing>";
        if (!k || store.Query(k, name, buffer, sizeof buffer) != kStoreOk)
            return "<missing>";
        return buffer;
    }
    std::string Get(const char *name) { return Get("Software\\bdx\\Kelto", name); }

    // Saves, forgets everything and loads again.
    void RoundTrip() {
        ASSERT_TRUE(SaveAllSettings());
        FreeLanguages();
        SetDefaultSettings();
        ASSERT_TRUE(LoadAllSettings());
    }
};

std::vector<std::string> MacroTexts() {
    std::vector<std::string> texts;
    for (TextMacro *m = g_textMacros; m; m = m->next)
        texts.push_back(std::string(1, static_cast<char>(m->code)) + ":" + std::to_string(m->cursorOffset) +
                        ":" + std::string(m->text, m->length));
    return texts;
}

} // namespace

// Values left from before give way to the defaults; what follows from the compiler root is
// found, and nothing is asked.
TEST_F(SettingsTest, AnEmptyStoreGivesTheDefaultsAndStoredValuesTheirOwn) {
    g_tabSize = 9;
    g_display.subScroll = 7;
    g_app->optionByte = 0;
    ASSERT_TRUE(LoadAllSettings());
    EXPECT_EQ(4, g_tabSize);
    EXPECT_EQ(1, g_display.subScroll);
    EXPECT_EQ(47u, g_app->optionByte);
    EXPECT_TRUE(g_autoIndent);
    EXPECT_STREQ("C:\\BDX", g_app->compilerRoot);
    EXPECT_STREQ("C:\\BDX\\bin\\win32hlp.hlp", g_app->helpDatabase);
    EXPECT_EQ(nullptr, g_projectNames);
    EXPECT_TRUE(g_sessionFiles.empty());
    EXPECT_TRUE(ui.boxes.empty());

    // Stored values and their odd cases.
    Put("SubScroll", "-3");
    Put("BackupFile", "1");
    Put("EditorFlags", "34");   // automatic indentation (1) off
    Put("CurrentFile", "UNTITLED");
    Put("Tabsize", "");         // present but empty: 0
    Put("FontName", std::string(511, 'f'));
    Put("PrinterFontName", std::string(512, 'p'));   // too long to read: missing
    ASSERT_TRUE(LoadAllSettings());
    EXPECT_EQ(1, g_display.subScroll);
    EXPECT_EQ(34u | 4u, g_app->optionByte);
    EXPECT_FALSE(g_autoIndent);
    EXPECT_EQ("0", Get("BackupFile"));
    EXPECT_STREQ("", g_app->currentFile);
    EXPECT_EQ(0, g_tabSize);
    EXPECT_EQ(std::string(63, 'f'), g_display.fontName);   // read whole, kept to its field
    EXPECT_STREQ("Courier New", g_app->printerFont);

    Put("BackupFile", "2");   // any other value is left alone
    Put("EditorFlags", "32");
    ASSERT_TRUE(LoadAllSettings());
    EXPECT_EQ(32u, g_app->optionByte);
    EXPECT_EQ("2", Get("BackupFile"));
}

// What the settings file of an earlier version holds (utilities, keywords seven to a value)
// is checked byte for byte below; here the lists it does not hold.
TEST_F(SettingsTest, ListsSurviveASaveAndLoadInOrder) {
    Language *pascalLanguage = AddLanguage("Pascal");
    SetLanguageText(&pascalLanguage->extensions, "PAS");
    Language *fortran = AddLanguage("Fortran");
    SetLanguageText(&fortran->icon, "FICON");
    TextMacro *second = static_cast<TextMacro *>(Allocate(sizeof(TextMacro)));
    *second = {nullptr, 'w', 2, 5, DupString("while")};
    TextMacro *first = static_cast<TextMacro *>(Allocate(sizeof(TextMacro)));
    *first = {second, 'f', 4, 22, DupString("for (i = 0; i < n; i++")};
    g_textMacros = first;
    AddName(&g_projectNames, "beta");
    AddName(&g_projectNames, "alpha");
    snprintf(g_openProject, sizeof g_openProject, "alpha");
    RoundTrip();

    ASSERT_TRUE(g_languages && g_languages->next);
    EXPECT_STREQ("Fortran", g_languages->name);
    EXPECT_STREQ("Pascal", g_languages->next->name);
    EXPECT_STREQ("FICON", g_languages->icon);
    EXPECT_EQ(nullptr, g_languages->next->icon);
    EXPECT_EQ((std::vector<std::string>{"f:4:for (i = 0; i < n; i++", "w:2:while"}), MacroTexts());
    // 22 characters: 63 digits and 3 digits.
    EXPECT_EQ(63u, Get("Macro1TextLine0").size());
    EXPECT_EQ("043", Get("Macro1TextLine1"));
    EXPECT_EQ("2", Get("Projects"));
    EXPECT_EQ("alpha", Get("CurrentProject"));
    EXPECT_STREQ("alpha", g_projectToReopen);
}

TEST_F(SettingsTest, MalformedListEntriesAreSkipped) {
    Put("Accelerators", "6");
    Put("Accel1", "   5  65  12  13");   // row 5 gets key 65 and modifiers 13; 12 is ignored
    Put("Accel2", " 999  66 110   1");   // no such row
    Put("Accel3", "  -1  66 110   1");
    Put("Accel4", "  2x  66 110   1");   // not a number
    Put("Accel5", "   5  65");           // too short
    Put("Accel6", "  29  75 111   9");   // a row without a menu item: an extra shortcut slot
    Put("Macros", "40");                 // more than there are
    // Two characters for a length of five; a digit that is none; a good one; more than an
    // element holds; a good one.
    Put({{"Macro1Code", "a"}, {"Macro1Length", "5"}, {"Macro1TextLine0", "104105"}});
    Put({{"Macro2Code", "b"}, {"Macro2Length", "2"}, {"Macro2TextLine0", "1x4105"}});
    Put({{"Macro3Code", "c"}, {"Macro3Position", "1"}, {"Macro3Length", "2"}, {"Macro3TextLine0", "104105"}});
    Put({{"Macro4Code", "d"}, {"Macro4Length", "2"}, {"Macro4TextLine0", std::string(300, '1')}});
    Put({{"Macro5Code", "e"}, {"Macro5Length", "1"}, {"Macro5TextLine0", "101"}});
    Put({{"NumberOfUtilities", "1000000"}, {"Util1Nickname", "n"}, {"Util1Progname", "p"}, {"Util1ProgArgs", ""},
         {"Util1StartDir", ""}});
    Put({{"OpenFiles", "9999"}, {"OpenFile1", "C:\\A.C 12 1 2 3 4"}, {"OpenFile2", "C:\\B.C   7"}});
    ASSERT_TRUE(LoadAllSettings());
    const CommandRow &row5 = g_commandTable[5];
    EXPECT_EQ(65, row5.key);
    EXPECT_EQ(13, row5.modifiers);
    EXPECT_STREQ("&Save\tCtrl+Shift+A", CommandMenuText(row5.command));
    EXPECT_EQ(29, g_app->extraShortcuts[0]);
    EXPECT_EQ(IDM_EXIT, g_commandTable[29].command);
    EXPECT_EQ(0, g_app->extraShortcuts[1]);
    EXPECT_EQ((std::vector<std::string>{"c:1:hi", "e:0:e"}), MacroTexts());
    ASSERT_TRUE(g_utilities);   // the present element loads, the count's excess ends nothing else
    EXPECT_STREQ("n", g_utilities->nickname);
    ASSERT_EQ(2u, g_sessionFiles.size());
    EXPECT_EQ("C:\\A.C", g_sessionFiles[0].path);
    EXPECT_EQ(4, g_sessionFiles[0].rect[3]);
    EXPECT_EQ(7, g_sessionFiles[1].line);
    EXPECT_EQ(1, g_sessionFiles[1].numbers);

    RoundTrip();   // the changed rows are saved again as they were read
    EXPECT_EQ("2", Get("Accelerators"));
    EXPECT_EQ("   5  651103  13", Get("Accel1"));
}

TEST_F(SettingsTest, ExportWritesTheProjectFileAndImportMovesItToAnotherDriveOrRefusesIt) {
    const char *key = "Software\\bdx\\Kelto\\demo";
    Put(key, "ProjectPath", "C:\\WORK\\DEMO");
    Put(key, "SourcesDir", "C:\\WORK\\DEMO\\SRC");
    Put(key, "MakeDir", "C:\\WORK\\DEMO\\OBJ");
    Put(key, "Includes", "c:\\bdx\\include;c:\\work\\inc");
    Put(key, "Executable", "C:\\WORK\\DEMO\\OBJ\\DEMO.EXE");
    Put(key, "Libraries", "gdi32.lib");
    std::string file = PathOf("DEMO.PRJ");
    ASSERT_TRUE(ExportProject("demo", file.c_str()));
    EXPECT_EQ("Kelto project file. Do NOT edit\n"
              "SOFTWARE\\bdx\\Kelto\\demo\n"
              "ProjectPath\tC:\\WORK\\DEMO\n"
              "SourcesDir\tC:\\WORK\\DEMO\\SRC\n"
              "MakeDir\tC:\\WORK\\DEMO\\OBJ\n"
              "Includes\tc:\\bdx\\include;c:\\work\\inc\n"
              "Executable\tC:\\WORK\\DEMO\\OBJ\\DEMO.EXE\n"
              "Libraries\tgdi32.lib\n",
              ReadWholeFile(file));
    // An existing file is only replaced when the user agrees.
    EXPECT_FALSE(ExportProject("demo", file.c_str()));
    EXPECT_EQ("File " + file + " exists. Overwrite it?", ui.Texts().back());
    EXPECT_FALSE(ExportProject("nothere", PathOf("X.PRJ").c_str()));
    EXPECT_EQ("Impossible to open project nothere", ui.Texts().back());

    store.DeleteKey(store.Open(nullptr, "Software\\bdx\\Kelto", false, nullptr), "demo");
    ui.directories.push_back("d:\\moved");
    char name[kProjectNameSize];
    ASSERT_TRUE(ImportProject(file.c_str(), name));
    EXPECT_STREQ("demo", name);
    EXPECT_EQ("Enter new path for project DEMO.PRJ", ui.directoryPrompts.back());
    EXPECT_EQ("D:\\MOVED", Get(key, "ProjectPath"));
    EXPECT_EQ("D:\\MOVED", Get(key, "SourcesDir"));
    EXPECT_EQ("D:\\MOVED\\OBJ", Get(key, "MakeDir"));
    EXPECT_EQ("D:\\BDX\\INCLUDE;D:\\WORK\\INC", Get(key, "Includes"));
    EXPECT_EQ("D:\\WORK\\DEMO\\OBJ\\DEMO.EXE", Get(key, "Executable"));
    EXPECT_EQ("gdi32.lib", Get(key, "Libraries"));
    EXPECT_TRUE(HasName(g_projectNames, "demo"));

    // Files that are no project files are refused.
    const std::string bad[] = {
        "Not a project\nSOFTWARE\\bdx\\Kelto\\x\n",
        "Kelto project file. Do NOT edit\nSOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\nX\tevil\n",
        "Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Kelto\\a\\b\nX\t1\n",
        "Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Kelto\\\nX\t1\n",
        "Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Compiler\nincludepath\tC:\\EVIL\n",
        "Kelto project file. Do NOT edit\n",
    };
    for (const std::string &text : bad) {
        WriteWholeFile(PathOf("BAD.PRJ"), text);
        ui.directories.push_back("D:\\X");
        EXPECT_FALSE(ImportProject(PathOf("BAD.PRJ").c_str(), name)) << text;
        EXPECT_EQ("This file is not a Kelto project file", ui.Texts().back());
        ui.directories.clear();
    }
    EXPECT_EQ("C:\\BDX\\include", Get("Software\\bdx\\Compiler", "includepath"));
    EXPECT_EQ("<missing>", Get("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "X"));
    // Another project's key may be named: it is that project that is written.
    WriteWholeFile(PathOf("OTHER.PRJ"), "Kelto project file. Do NOT edit\nsoftware\\BDX\\kelto\\other\nX\t1\n");
    ui.directories.push_back("E:\\P");
    ASSERT_TRUE(ImportProject(PathOf("OTHER.PRJ").c_str(), name));
    EXPECT_STREQ("other", name);
    EXPECT_EQ("1", Get("Software\\bdx\\Kelto\\other", "X"));
    EXPECT_FALSE(ImportProject(PathOf("NONE.PRJ").c_str(), name));
    EXPECT_EQ("File " + PathOf("NONE.PRJ") + " not found!", ui.Texts().back());
}

TEST_F(SettingsTest, FirstRunFindsTheCompilerRoot) {
    char root[400];
    GuessCompilerRoot("\"C:\\BDX\\BIN\\kelto.exe\" file.c", "D:\\WORK", root, sizeof root);
    EXPECT_STREQ("C:\\BDX", root);
    GuessCompilerRoot("kelto.exe", "D:\\TOOLS\\BIN", root, sizeof root);
    EXPECT_STREQ("D:\\TOOLS", root);   // the current directory, cut at its last backslash
    GuessCompilerRoot("\\BDX\\bin\\kelto.exe", "E:\\W", root, sizeof root);
    EXPECT_STREQ("E:\\BDX", root);

    // A first run: no Software\bdx yet.
    MemoryStore fresh;
    fresh.Open(nullptr, "Software", true, nullptr);
    SetStore(&fresh);
    std::string good = dir + "\\GOOD";
    CreateDirectoryA(good.c_str(), nullptr);
    CreateDirectoryA((good + "\\BIN").c_str(), nullptr);
    CreateDirectoryA((good + "\\INCLUDE").c_str(), nullptr);
    WriteWholeFile(good + "\\INCLUDE\\WINDOWS.H", "");
    std::string commandLine = "\"" + good + "\\BIN\\KELTO.EXE\"";
    g_commandLineOverride = commandLine.c_str();
    ASSERT_TRUE(OpenSettings(nullptr, true));
    CloseSettings();
    EXPECT_TRUE(ui.directoryPrompts.empty());
    EXPECT_STREQ(good.c_str(), g_app->compilerRoot);

    MemoryStore again;
    again.Open(nullptr, "Software", true, nullptr);
    SetStore(&again);
    g_commandLineOverride = "C:\\NOWHERE\\kelto.exe";
    ui.directories.push_back("");   // cancelled
    EXPECT_FALSE(OpenSettings(nullptr, true));
    ui.directories.push_back(dir);  // no include\windows.h there
    EXPECT_FALSE(OpenSettings(nullptr, true));
    EXPECT_EQ("File " + dir + "\\include\\windows.h not found!", ui.Texts().back());
    ui.directories.push_back(good);
    ASSERT_TRUE(OpenSettings(nullptr, true));
    CloseSettings();
    EXPECT_EQ("Enter path for the compiler root directory", ui.directoryPrompts.back());
    char include[512];
    ASSERT_TRUE(CompilerRootFromRegistry(include, sizeof include));
    EXPECT_EQ(good + "\\include", include);
    g_commandLineOverride = nullptr;
    SetStore(&store);
}

// Names and values with the file's separators and line ends in them. (Loading and saving every
// setting through a file store is the next test's.)
TEST_F(SettingsTest, AFileStoreKeepsItsTreeAcrossRuns) {
    std::string file = PathOf("SETTINGS.TXT");
    {
        MemoryStore saved(file.c_str());
        StoreKey key = saved.Open(nullptr, "Software\\bdx\\Kelto\\p", true, nullptr);
        saved.Set(key, "Odd\tName", "line\none\\two\r");
        saved.Set(key, "Plain", "x");
        ASSERT_TRUE(saved.Save());
    }
    MemoryStore loaded(file.c_str());
    StoreKey key = loaded.Open(nullptr, "SOFTWARE\\BDX\\KELTO\\P", false, nullptr);
    ASSERT_TRUE(key);
    char text[100];
    ASSERT_EQ(kStoreOk, loaded.Query(key, "Odd\tName", text, sizeof text));
    EXPECT_STREQ("line\none\\two\r", text);
    char name[100];
    ASSERT_EQ(kStoreOk, loaded.EnumValue(key, 1, name, sizeof name, text, sizeof text));
    EXPECT_STREQ("Plain", name);
}

// data/settings-saved.txt was written by an earlier version from a store full of values other
// than the defaults. Loading it and saving into an empty store gives it back byte for byte:
// the names, the formats and the order of the values stay what stored files hold.
TEST_F(SettingsTest, ASettingsFileOfAnEarlierVersionComesBackByteForByte) {
    std::string saved = ReadWholeFile(SourcePath("tests/settings/data/settings-saved.txt"));
    ASSERT_FALSE(saved.empty());
    WriteWholeFile(PathOf("OLD.TXT"), saved);
    MemoryStore old(PathOf("OLD.TXT").c_str());
    SetStore(&old);
    AddBuiltinLanguages();
    SetDefaultSettings();
    ASSERT_TRUE(LoadAllSettings());

    char here[MAX_PATH];
    GetCurrentDirectoryA(sizeof here, here);
    SetCurrentDirectoryA("C:\\");   // the directory the earlier version saved in
    MemoryStore fresh(PathOf("NEW.TXT").c_str());
    StoreKey compiler = fresh.Open(nullptr, "Software\\bdx\\Compiler", true, nullptr);
    fresh.Set(compiler, "includepath", "C:\\BDX\\include");
    SetStore(&fresh);
    bool written = SaveAllSettings() && fresh.Save();
    SetCurrentDirectoryA(here);
    SetStore(&store);
    ASSERT_TRUE(written);
    EXPECT_EQ(saved, ReadWholeFile(PathOf("NEW.TXT")));
}

// The same code over the Windows registry, below a key of the test's own.
TEST_F(SettingsTest, TheRegistryHoldsLongValuesAndProjectKeys) {
    std::string base = "Software\\KeltoTest" + std::to_string(GetCurrentProcessId());
    SettingsStore *registry = NewRegistryStore(base.c_str());
    SetStore(registry);
    StoreKey compiler = registry->Open(nullptr, "Software\\bdx\\Compiler", true, nullptr);
    registry->Set(compiler, "includepath", "C:\\BDX\\include");
    registry->Close(compiler);
    StoreKey kelto = registry->Open(nullptr, "Software\\bdx\\Kelto", true, nullptr);
    registry->Set(kelto, "CurrentDir", std::string(511, 'd').c_str());
    registry->Set(kelto, "WinHelpDataBase", std::string(512, 'h').c_str());
    registry->Close(kelto);
    ASSERT_TRUE(LoadAllSettings());
    EXPECT_EQ(std::string(399, 'd'), g_app->lastDirectory);   // read whole, kept to its field
    EXPECT_STREQ("C:\\BDX\\bin\\win32hlp.hlp", g_app->helpDatabase);   // unreadable: the default
    EXPECT_FALSE(DeleteProjectKey(""));
    // A project key: written, listed, exported, deleted. (Values written to the registry and
    // read back are ProjectStoreTest's; every setting's round trip is the file store's above.)
    ASSERT_TRUE(OpenSettings("regproject", false));
    ASSERT_TRUE(WriteSetting("ProjectPath", "C:\\P"));
    CloseSettings();
    FreeNames(&g_projectNames);
    ASSERT_TRUE(LoadAllSettings());
    EXPECT_TRUE(HasName(g_projectNames, "regproject"));
    ASSERT_TRUE(ExportProject("regproject", PathOf("REG.PRJ").c_str()));
    EXPECT_EQ("Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Kelto\\regproject\nProjectPath\tC:\\P\n",
              ReadWholeFile(PathOf("REG.PRJ")));
    EXPECT_TRUE(DeleteProjectKey("regproject"));
    EXPECT_FALSE(HasName(g_projectNames, "regproject"));
    HKEY gone = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, (base + "\\Software\\bdx\\Kelto\\regproject").c_str(),
                                           0, KEY_READ, &gone));
    SetStore(&store);
    delete registry;
    EXPECT_TRUE(DeleteRegistryTree(base.c_str()));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingsTest, LongNamesAndValuesAreSkippedOneByOne) {
    Put(("Software\\bdx\\Kelto\\" + std::string(60, 'a')).c_str(), "X", "1");   // too long for a project
    Put("Software\\bdx\\Kelto\\bbb", "X", "1");
    ASSERT_TRUE(LoadAllSettings());
    EXPECT_EQ(1, NameCount(g_projectNames));
    EXPECT_TRUE(HasName(g_projectNames, "bbb"));

    const char *key = "Software\\bdx\\Kelto\\p";
    Put(key, "A", "1");
    Put(key, "Long", std::string(900, 'x'));
    Put(key, "B", "2");
    ASSERT_TRUE(ExportProject("p", PathOf("P.PRJ").c_str()));
    EXPECT_EQ("Kelto project file. Do NOT edit\nSOFTWARE\\bdx\\Kelto\\p\nA\t1\nB\t2\n",
              ReadWholeFile(PathOf("P.PRJ")));

    // Keywords too long for seven to a value are spread over more values.
    Language *language = AddLanguage("Long");
    std::string word(90, 'k');
    const char *words[7] = {word.c_str(), word.c_str(), word.c_str(), word.c_str(), word.c_str(), word.c_str(),
                            word.c_str()};
    SetLanguageKeywords(language, words, 7);
    RoundTrip();
    ASSERT_TRUE(FindLanguage("Long"));
    EXPECT_EQ(7, FindLanguage("Long")->keywordCount);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingsTest, OpenFilesAreSavedWithTheirLines) {
    WriteWholeFile(PathOf("A.C"), "1\n2\n3\n");
    WriteWholeFile(PathOf("B.C"), "x\n");
    ASSERT_TRUE(OpenDocument(PathOf("A.C").c_str()));
    GotoLine(3);
    ASSERT_TRUE(OpenDocument(PathOf("B.C").c_str()));
    ASSERT_TRUE(SaveAllSettings());
    EXPECT_EQ("2", Get("OpenFiles"));
    EXPECT_EQ(PathOf("A.C") + " 3 0 0 0 0", Get("OpenFile1"));
    EXPECT_EQ(PathOf("B.C") + " 1 0 0 0 0", Get("OpenFile2"));
    EXPECT_EQ(PathOf("B.C"), Get("CurrentFile"));
    g_saveEnabled = false;
    Put("Tabsize", "7");
    EXPECT_FALSE(SaveAllSettings());
    EXPECT_EQ("7", Get("Tabsize"));
    g_saveEnabled = true;
}

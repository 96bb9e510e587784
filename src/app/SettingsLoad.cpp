// Loading every setting at start-up and saving them all at the end of a run.
//
// A malformed stored value never writes outside a table: an element that does not parse is
// skipped (or ends its list, where a missing element would) and the rest loads.
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "app/KeyTable.h"
#include "app/SettingsLoad.h"
#include "base/AppState.h"
#include "base/Memory.h"
#include "browse/BrowseOptions.h"
#include "debugger/DebugOptions.h"
#include "editor/DisplayOptions.h"
#include "editor/Document.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/EditorWindow.h"
#include "editor/Language.h"
#include "editor/SearchOptions.h"
#include "platform/Files.h"
#include "project/Utilities.h"
#include "settings/ProjectNames.h"
#include "settings/Settings.h"

SessionFile *g_sessionFiles;

namespace {

enum {
    kKeywordsPerValue = 7,
    kMacroCharsPerValue = 21,
    kMacroValueBuffer = 256,
    kMaxMacroLength = 32000,
    kBackupUnset = 32000,
    kMaxListCount = 1000,   // more elements than any list holds; a larger count is damage
};

typedef char Buffer[kSettingBufferSize];

void ReadText(const char *name, char *target, size_t size) {
    Buffer buffer;
    ReadSetting(name, buffer);
    snprintf(target, size, "%s", buffer);
}

// A value name built from a format with one or two numbers.
const char *Named(const char *format, int a, int b = 0) {
    static char name[80];
    snprintf(name, sizeof name, format, a, b);
    return name;
}

// ---- Utilities ----

void LoadUtilities() {
    FreeUtilities();
    long count = ReadIntSetting("NumberOfUtilities", 0);
    if (count > kMaxListCount)
        count = kMaxListCount;
    // From the last down, each to the head: the stored order survives. A count larger than
    // the elements present passes over the missing top ones.
    bool found = false;
    for (long i = count; i >= 1; i--) {
        int n = static_cast<int>(i);
        Buffer nick, program, arguments, directory;
        if (!ReadSetting(Named("Util%dNickname", n), nick) ||
            !ReadSetting(Named("Util%dProgname", n), program) ||
            !ReadSetting(Named("Util%dProgArgs", n), arguments) ||
            !ReadSetting(Named("Util%dStartDir", n), directory)) {
            if (found)
                break;
            continue;
        }
        found = true;
        long id = ReadIntSetting(Named("Util%dID", n), 0);
        AddUtility(nick, program, arguments, directory, static_cast<unsigned short>(id));
    }
}

bool SaveUtilities() {
    int count = 0;
    for (Utility *tool = g_utilities; tool; tool = tool->next)
        count++;
    if (!WriteIntSetting("NumberOfUtilities", count))
        return false;
    int n = 1;
    for (Utility *tool = g_utilities; tool; tool = tool->next, n++) {
        if (!WriteSetting(Named("Util%dNickname", n), tool->nickname) ||
            !WriteSetting(Named("Util%dProgname", n), tool->program) ||
            !WriteSetting(Named("Util%dProgArgs", n), tool->arguments) ||
            !WriteSetting(Named("Util%dStartDir", n), tool->startDirectory) ||
            !WriteIntSetting(Named("Util%dID", n), tool->id))
            return false;
    }
    return true;
}

// ---- Languages ----

void LoadKeywords(Language *language, int n) {
    long count = ReadIntSetting(Named("Language%dKeywordCount", n), 0);
    if (count <= 0)
        return;
    if (count > 100000)
        count = 100000;
    char **words = static_cast<char **>(Allocate(count * sizeof(char *)));
    if (!words)
        return;
    int found = 0;
    Buffer buffer;
    for (int group = 1; found < count; group++) {
        if (!ReadSetting(Named("Language%dKeywords%d", n, group), buffer))
            break;
        for (char *word = strtok(buffer, " "); word && found < count; word = strtok(nullptr, " "))
            words[found++] = DupString(word);
    }
    int kept = 0;
    for (int i = 0; i < found; i++)
        if (words[i])
            words[kept++] = words[i];
    SetLanguageKeywords(language, words, kept);
    for (int i = 0; i < kept; i++)
        Release(words[i]);
    Release(words);
}

void LoadLanguages() {
    long count = ReadIntSetting("Languages", 0);
    if (count > kMaxListCount)
        count = kMaxListCount;
    for (long i = count; i >= 1; i--) {
        int n = static_cast<int>(i);
        Buffer name;
        if (!ReadSetting(Named("Language%d", n), name) || !name[0])
            continue;
        Language *language = FindLanguage(name);
        bool created = language == nullptr;
        if (created)
            language = AddLanguage(name);
        if (!language)
            return;
        Buffer text;
        static const struct { const char *format; char *Language::*field; } kTexts[] = {
            {"Language%dExtension", &Language::extensions},
            {"Language%dStartFunction", &Language::startPattern},
            {"Language%dEndFunction", &Language::endPattern},
            {"Language%dCommentChar", &Language::commentChars},
            {"Language%dStringChars", &Language::stringChars},
        };
        for (const auto &t : kTexts) {
            ReadSetting(Named(t.format, n), text);
            SetLanguageText(&(language->*t.field), text);
        }
        ReadSetting(Named("Language%dIcon", n), text);
        SetLanguageText(&language->icon, text[0] ? text : nullptr);
        language->flags = static_cast<unsigned short>(ReadIntSetting(Named("Language%dFlags", n), 1));
        if (created)
            language->code = static_cast<int>(ReadIntSetting(Named("Language%dCode", n), 0));
        LoadKeywords(language, n);
    }
}

bool SaveLanguages() {
    int count = 0;
    for (Language *language = g_languages; language; language = language->next)
        count++;
    if (!WriteIntSetting("Languages", count))
        return false;
    int n = 1;
    for (Language *language = g_languages; language; language = language->next, n++) {
        if (!WriteSetting(Named("Language%d", n), language->name) ||
            !WriteSetting(Named("Language%dExtension", n), language->extensions) ||
            !WriteSetting(Named("Language%dStartFunction", n), language->startPattern) ||
            !WriteSetting(Named("Language%dEndFunction", n), language->endPattern) ||
            !WriteSetting(Named("Language%dCommentChar", n), language->commentChars) ||
            !WriteSetting(Named("Language%dStringChars", n), language->stringChars) ||
            // Written also when empty, so no earlier icon stays behind under this number.
            !WriteSetting(Named("Language%dIcon", n), language->icon ? language->icon : "") ||
            !WriteIntSetting(Named("Language%dFlags", n), language->flags) ||
            !WriteIntSetting(Named("Language%dCode", n), language->code) ||
            !WriteIntSetting(Named("Language%dKeywordCount", n), language->keywordCount))
            return false;
        // Seven keywords to a value, separated by one blank; a value that would grow too long
        // to be read back ends early.
        int k = 0;
        for (int group = 1; k < language->keywordCount; group++) {
            char value[kSettingBufferSize] = "";
            size_t used = 0;
            for (int inGroup = 0; inGroup < kKeywordsPerValue && k < language->keywordCount; inGroup++) {
                size_t word = strlen(language->keywords[k]);
                if (word + 1 >= sizeof value) {
                    k++;   // a keyword that no value holds is left out
                    continue;
                }
                if (used + (used ? 1 : 0) + word >= sizeof value)
                    break;
                used += snprintf(value + used, sizeof value - used, "%s%s", used ? " " : "",
                                 language->keywords[k]);
                k++;
            }
            if (!WriteSetting(Named("Language%dKeywords%d", n, group), value))
                return false;
        }
    }
    return true;
}

// ---- Macros ----

void LoadMacros() {
    FreeTextMacros();
    long count = ReadIntSetting("Macros", 0);
    TextMacro **tail = &g_textMacros;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        int n = static_cast<int>(i);
        long length = ReadIntSetting(Named("Macro%dLength", n), 0);
        if (length <= 0)
            break;
        Buffer code;
        ReadSetting(Named("Macro%dCode", n), code);
        long position = ReadIntSetting(Named("Macro%dPosition", n), 0);
        if (length > kMaxMacroLength)
            continue;
        char *text = static_cast<char *>(Allocate(length + 1));
        if (!text)
            break;
        long rebuilt = 0;
        bool bad = false;
        for (int element = 0; rebuilt < length && !bad; element++) {
            Buffer digits;
            if (!ReadSetting(Named("Macro%dTextLine%d", n, element), digits) ||
                strlen(digits) >= kMacroValueBuffer)
                break;
            for (const char *d = digits; d[0] && rebuilt < length; d += 3) {
                if (!isdigit((unsigned char)d[0]) || !isdigit((unsigned char)d[1]) || !isdigit((unsigned char)d[2])) {
                    bad = true;
                    break;
                }
                int c = (d[0] - '0') * 100 + (d[1] - '0') * 10 + (d[2] - '0');
                if (c > 255) {
                    bad = true;
                    break;
                }
                text[rebuilt++] = static_cast<char>(c);
            }
        }
        // A length larger than its digits, or digits that are no character: the macro is skipped.
        if (bad || rebuilt < length) {
            Release(text);
            continue;
        }
        text[length] = '\0';
        TextMacro *macro = static_cast<TextMacro *>(Allocate(sizeof(TextMacro)));
        if (!macro) {
            Release(text);
            break;
        }
        macro->code = static_cast<unsigned char>(code[0]);
        macro->cursorOffset = static_cast<int>(position);
        macro->length = static_cast<int>(length);
        macro->text = text;
        *tail = macro;
        tail = &macro->next;
    }
}

bool SaveMacros() {
    int count = 0;
    for (TextMacro *macro = g_textMacros; macro; macro = macro->next)
        count++;
    if (!WriteIntSetting("Macros", count))
        return false;
    int n = 1;
    for (TextMacro *macro = g_textMacros; macro; macro = macro->next, n++) {
        char code[2] = {static_cast<char>(macro->code), '\0'};
        if (!WriteSetting(Named("Macro%dCode", n), code) ||
            !WriteIntSetting(Named("Macro%dPosition", n), macro->cursorOffset) ||
            !WriteIntSetting(Named("Macro%dLength", n), macro->length))
            return false;
        for (int first = 0, element = 0; first < macro->length; first += kMacroCharsPerValue, element++) {
            char digits[kMacroCharsPerValue * 3 + 1];
            int used = 0;
            for (int k = first; k < first + kMacroCharsPerValue && k < macro->length; k++)
                used += snprintf(digits + used, sizeof digits - used, "%03d",
                                 static_cast<unsigned char>(macro->text[k]));
            digits[used] = '\0';
            if (!WriteSetting(Named("Macro%dTextLine%d", n, element), digits))
                return false;
        }
    }
    return true;
}

// ---- Accelerators ----

bool Field(const char *text, int index, int *value) {
    char field[5];
    memcpy(field, text + index * 4, 4);
    field[4] = '\0';
    char *end = nullptr;
    long n = strtol(field, &end, 10);
    while (end && *end == ' ')
        end++;
    if (!end || *end || end == field)
        return false;
    *value = static_cast<int>(n);
    return true;
}

void LoadAccelerators() {
    long count = ReadIntSetting("Accelerators", 0);
    Buffer value;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        if (!ReadSetting(Named("Accel%d", static_cast<int>(i)), value))
            break;
        int row, key, command, modifiers;
        if (strlen(value) != 16 || !Field(value, 0, &row) || !Field(value, 1, &key) ||
            !Field(value, 2, &command) || !Field(value, 3, &modifiers))
            continue;
        if (row < 0 || row >= CommandRowCount() || key <= 0 || key > 255 || modifiers < 0 ||
            modifiers > 0xFFFF)
            continue;
        CommandRow &target = g_commandTable[row];
        target.key = static_cast<unsigned short>(key);
        target.modifiers = static_cast<unsigned short>(modifiers | kModifierChanged);
        if (CommandMenuText(target.command)) {
            char shortcut[40];
            ShortcutName(key, modifiers, shortcut, sizeof shortcut);
            SetCommandShortcut(target.command, shortcut);
        } else if (g_app) {
            for (unsigned short &slot : g_app->extraShortcuts) {
                if (slot == row)
                    break;
                if (slot == 0) {
                    slot = static_cast<unsigned short>(row);
                    break;
                }
            }
        }
    }
}

bool SaveAccelerators() {
    int count = 0;
    for (int row = 0; row < CommandRowCount(); row++)
        if (g_commandTable[row].modifiers & kModifierChanged)
            count++;
    if (!WriteIntSetting("Accelerators", count))
        return false;
    int n = 1;
    for (int row = 0; row < CommandRowCount(); row++) {
        const CommandRow &r = g_commandTable[row];
        if (!(r.modifiers & kModifierChanged))
            continue;
        char value[40];
        snprintf(value, sizeof value, "%4d%4d%4d%4d", row, r.key, r.command, r.modifiers);
        if (!WriteSetting(Named("Accel%d", n++), value))
            return false;
    }
    return true;
}

// ---- Open files ----

void LoadSessionFiles() {
    FreeSessionFiles();
    long count = ReadIntSetting("OpenFiles", 0);
    SessionFile **tail = &g_sessionFiles;
    Buffer value;
    for (long i = 1; i <= count && i <= kMaxListCount; i++) {
        if (!ReadSetting(Named("OpenFile%d", static_cast<int>(i)), value))
            break;
        // A path with blanks is stored in double quotes.
        const char *start = value;
        size_t n;
        if (value[0] == '"') {
            start = value + 1;
            n = strcspn(start, "\"");
        } else {
            n = strcspn(value, " ");
        }
        if (n == 0)
            continue;
        SessionFile *file = static_cast<SessionFile *>(Allocate(sizeof(SessionFile)));
        if (!file)
            break;
        file->path = static_cast<char *>(Allocate(n + 1));
        if (!file->path) {
            Release(file);
            break;
        }
        memcpy(file->path, start, n);
        file->path[n] = '\0';
        // The numbers follow, one or more blanks apart; missing ones stay unset.
        const char *p = start + n + (start != value && start[n] == '"' ? 1 : 0);
        long numbers[5] = {0, 0, 0, 0, 0};
        int got = 0;
        while (got < 5) {
            char *end = nullptr;
            long v = strtol(p, &end, 10);
            if (end == p)
                break;
            numbers[got++] = v;
            p = end;
        }
        file->line = numbers[0];
        for (int k = 0; k < 4; k++)
            file->rect[k] = static_cast<int>(numbers[k + 1]);
        file->numbers = got;
        *tail = file;
        tail = &file->next;
    }
}

bool SaveSessionFiles() {
    int count = 0;
    if (g_editor)
        for (Document *doc = g_editor->documents; doc; doc = doc->next)
            if (!(doc->flags & kDocNoFile) && FirstViewOf(doc))
                count++;
    if (!WriteIntSetting("OpenFiles", count))
        return false;
    int n = 1;
    for (Document *doc = g_editor ? g_editor->documents : nullptr; doc; doc = doc->next) {
        View *view = FirstViewOf(doc);
        if ((doc->flags & kDocNoFile) || !view)
            continue;
        int rect[4] = {0, 0, 0, 0};
        bool minimized = false, maximized = false;
        EditorWindowPlacement(view, rect, &minimized, &maximized);
        // A negative left or right means minimised or maximised: a window that merely lies off
        // the screen's left edge keeps its left at 0, and a state is never lost to a 0.
        for (int k = 0; k < 4; k++)
            if (rect[k] < 0)
                rect[k] = 0;
        if (minimized)
            rect[0] = -(rect[0] > 0 ? rect[0] : 1);
        if (maximized)
            rect[2] = -(rect[2] > 0 ? rect[2] : 1);
        Line *line = view == (g_editor ? g_editor->view : nullptr) ? view->current : doc->savedLine;
        long number = line ? LineNumberOf(doc, line) : 1;
        char value[kSettingBufferSize];
        bool blanks = strchr(doc->path, ' ') != nullptr;
        snprintf(value, sizeof value, blanks ? "\"%s\" %ld %d %d %d %d" : "%s %ld %d %d %d %d", doc->path,
                 number, rect[0], rect[1], rect[2], rect[3]);
        if (!WriteSetting(Named("OpenFile%d", n++), value))
            return false;
    }
    return true;
}

void LoadGlobals() {
    AppState *app = g_app;
    Buffer text;
    g_tabSize = static_cast<int>(ReadIntSetting("Tabsize", 4));
    g_findFlags = static_cast<unsigned short>(ReadIntSetting("FindFlags", g_findFlags));
    g_display.commentColor = static_cast<unsigned long>(ReadIntSetting("CommentColor", 0x808080));
    g_display.keywordColor = static_cast<unsigned long>(ReadIntSetting("KeywordColor", 192));
    g_grepFlags = static_cast<unsigned short>(ReadIntSetting("Grep", g_grepFlags));
    g_display.fontHeight = static_cast<int>(ReadIntSetting("FontHeight", -13));
    g_display.fontStyle = static_cast<int>(ReadIntSetting("FontStyle", 0));
    app->frameZoomed = ReadIntSetting("FrameZoomed", 0) != 0;
    if (ReadSetting("StatusBar", text)) {
        int r[4] = {0, 0, 0, 0};
        if (sscanf(text, "%d,%d,%d,%d", &r[0], &r[1], &r[2], &r[3]) == 4)
            memcpy(app->toolbarRect, r, sizeof r);
    }
    g_display.subScroll = static_cast<int>(ReadIntSetting("SubScroll", 1));
    if (g_display.subScroll < 1)
        g_display.subScroll = 1;
    app->frameX = static_cast<int>(ReadIntSetting("FrameX", app->frameX));
    app->frameY = static_cast<int>(ReadIntSetting("FrameY", app->frameY));
    app->frameWidth = static_cast<int>(ReadIntSetting("FrameCX", app->frameWidth));
    app->frameHeight = static_cast<int>(ReadIntSetting("FrameCY", app->frameHeight));
    app->optionByte = static_cast<unsigned>(ReadIntSetting("EditorFlags", 47));
    app->outputHeight = static_cast<int>(ReadIntSetting("OutputWndHeight", app->outputHeight));
    // An obsolete value: 1 meant "make backup files"; it is then given up.
    if (ReadIntSetting("BackupFile", kBackupUnset) == 1) {
        app->optionByte |= kOptionMakeBackups;
        WriteIntSetting("BackupFile", 0);
    }
    g_autoIndent = (app->optionByte & kOptionAutoIndent) != 0;
    g_display.fontFamily = static_cast<int>(ReadIntSetting("FontFamily", 48));
    g_display.textColor = static_cast<unsigned long>(ReadIntSetting("TextColor", 0));
    g_display.backgroundColor = static_cast<unsigned long>(ReadIntSetting("BackgroundColor", 0xFFFFFF));
    if (!ReadSetting("PrinterFontName", text))
        strcpy(text, "Courier New");
    snprintf(app->printerFont, sizeof app->printerFont, "%s", text);
    app->printerFontSize = static_cast<int>(ReadIntSetting("PrinterFontSize", 0));
    ReadText("DebuggerArguments", g_debugOptions.arguments, sizeof g_debugOptions.arguments);
    ReadText("DebuggerDir", g_debugOptions.directory, sizeof g_debugOptions.directory);
    ReadText("DebuggerExeName", g_debugOptions.program, sizeof g_debugOptions.program);
    g_debugOptions.flags = static_cast<int>(ReadIntSetting("DebuggerFlags", 0));
    LoadUtilities();
    LoadLanguages();
    LoadMacros();
    LoadAccelerators();
    app->printFlags = static_cast<int>(ReadIntSetting("Print", 1053));
    app->includeFlags = static_cast<int>(ReadIntSetting("IncludeFlags", 1));
    ReadText("CurrentDir", app->lastDirectory, sizeof app->lastDirectory);
    ReadText("WinHelpDataBase", app->helpDatabase, sizeof app->helpDatabase);
    ReadText("FontName", g_display.fontName, sizeof g_display.fontName);
    if (!g_display.fontName[0])
        strcpy(g_display.fontName, "Courier");
}

} // namespace

void FreeSessionFiles() {
    while (SessionFile *file = g_sessionFiles) {
        g_sessionFiles = file->next;
        Release(file->path);
        Release(file);
    }
}

void SetDefaultSettings() {
    SetDefaultDisplayOptions();
    g_tabSize = 4;
    g_autoIndent = true;
    g_findFlags = kDefaultFindFlags;
    g_grepFlags = 0;
    g_indentOptions = kDefaultIndentOptions;
    g_indentConstants = kDefaultIndentConstants;
    memset(&g_debugOptions, 0, sizeof g_debugOptions);
    if (g_app) {
        g_app->optionByte = 47;
        g_app->frameZoomed = false;
        memset(g_app->toolbarRect, 0, sizeof g_app->toolbarRect);
        g_app->includeFlags = 1;
        g_app->printFlags = 1053;
        strcpy(g_app->printerFont, "Courier New");
        g_app->printerFontSize = 0;
        g_app->helpDatabase[0] = g_app->currentFile[0] = g_app->lastDirectory[0] = '\0';
        memset(g_app->extraShortcuts, 0, sizeof g_app->extraShortcuts);
    }
    ResetCommandTable();
    FreeUtilities();
    FreeTextMacros();
    FreeSessionFiles();
    FreeNames(&g_projectNames);
    g_projectToReopen[0] = '\0';
}

bool LoadAllSettings() {
    if (!g_app || !OpenSettings(nullptr, true))
        return false;
    LoadGlobals();
    char include[kSettingBufferSize];
    CompilerRootFromRegistry(include, sizeof include);
    // The help file defaults to the one of the compiler system.
    if (!g_app->helpDatabase[0] || !FileExists(g_app->helpDatabase))
        snprintf(g_app->helpDatabase, sizeof g_app->helpDatabase, "%s\\bin\\win32hlp.hlp",
                 g_app->compilerRoot);
    char text[kSettingBufferSize];
    if (ReadSetting("IndentOptions", text) && text[0])
        g_indentOptions = static_cast<unsigned long>(atol(text));
    if (ReadSetting("IndentConstants", text) && text[0])
        g_indentConstants = static_cast<unsigned long>(atol(text));
    ReadText("CurrentFile", g_app->currentFile, sizeof g_app->currentFile);
    if (strcasecmp(g_app->currentFile, "untitled") == 0)
        g_app->currentFile[0] = '\0';
    FreeNames(&g_projectNames);
    ReadProjectNames(&g_projectNames);
    if (!ReadSetting("CurrentProject", text) || !text[0])
        ReadSetting("CMSProjectPath", text);
    snprintf(g_projectToReopen, sizeof g_projectToReopen, "%s", text);
    if (!g_projectNames || !g_projectToReopen[0])
        LoadSessionFiles();
    CloseSettings();
    return true;
}

bool SaveAllSettings() {
    if (!g_saveEnabled || !g_app || !OpenSettings(nullptr, true))
        return false;
    AppState *app = g_app;
    char text[kSettingBufferSize];
    snprintf(text, sizeof text, "%d,%d,%d,%d", app->toolbarRect[0], app->toolbarRect[1],
             app->toolbarRect[2], app->toolbarRect[3]);
    char helpDatabase[sizeof app->helpDatabase];
    snprintf(helpDatabase, sizeof helpDatabase, "%s", app->helpDatabase);
    char current[400] = "";
    CurrentDirectory(current, sizeof current);
    char options[24], constants[24];
    snprintf(options, sizeof options, "%ld", static_cast<long>(g_indentOptions));
    snprintf(constants, sizeof constants, "%ld", static_cast<long>(g_indentConstants));
    const char *currentFile = "";
    if (g_editor && g_editor->doc && !(g_editor->doc->flags & kDocNoFile))
        currentFile = g_editor->doc->path;
    bool ok = WriteSetting("StatusBar", text) && WriteIntSetting("Tabsize", g_tabSize) &&
              WriteIntSetting("FindFlags", g_findFlags) &&
              WriteIntSetting("CommentColor", static_cast<long>(g_display.commentColor)) &&
              WriteIntSetting("KeywordColor", static_cast<long>(g_display.keywordColor)) &&
              WriteIntSetting("OutputWndHeight", app->outputHeight) &&
              WriteIntSetting("EditorFlags", static_cast<long>(app->optionByte)) &&
              WriteIntSetting("Grep", g_grepFlags) && WriteIntSetting("FontHeight", g_display.fontHeight) &&
              WriteIntSetting("FontStyle", g_display.fontStyle) && WriteIntSetting("Print", app->printFlags) &&
              WriteIntSetting("FrameZoomed", app->frameZoomed ? 1 : 0) &&
              WriteIntSetting("FontFamily", g_display.fontFamily) &&
              WriteIntSetting("TextColor", static_cast<long>(g_display.textColor)) &&
              WriteIntSetting("BackgroundColor", static_cast<long>(g_display.backgroundColor)) &&
              WriteSetting("PrinterFontName", app->printerFont) &&
              WriteIntSetting("PrinterFontSize", app->printerFontSize) &&
              WriteIntSetting("SubScroll", g_display.subScroll) && SaveUtilities() && SaveLanguages() &&
              SaveMacros() && SaveAccelerators() &&
              WriteStringList(g_projectNames, "Projects", "Project%d") &&
              WriteSetting("CurrentProject", g_openProject) &&
              WriteIntSetting("IncludeFlags", app->includeFlags) &&
              WriteSetting("WinHelpDataBase", helpDatabase) && WriteSetting("CurrentDir", current) &&
              WriteSetting("FontName", g_display.fontName) && WriteSetting("IndentOptions", options) &&
              WriteSetting("DebuggerArguments", g_debugOptions.arguments) &&
              WriteSetting("DebuggerDir", g_debugOptions.directory) &&
              WriteSetting("DebuggerExeName", g_debugOptions.program) &&
              WriteIntSetting("DebuggerFlags", g_debugOptions.flags) &&
              WriteSetting("IndentConstants", constants) && WriteSetting("CurrentFile", currentFile);
    ok = ok && WriteIntSetting("FrameX", app->frameX) && WriteIntSetting("FrameY", app->frameY) &&
         WriteIntSetting("FrameCX", app->frameWidth) && WriteIntSetting("FrameCY", app->frameHeight);
    if (ok && !g_openProject[0])
        ok = SaveSessionFiles();
    return CloseSettings() && ok;
}

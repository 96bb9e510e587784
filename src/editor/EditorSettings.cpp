#include "editor/EditorSettings.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/Memory.h"
#include "editor/DisplayOptions.h"
#include "editor/Editing.h"
#include "editor/EditorInput.h"
#include "editor/Language.h"
#include "editor/SearchOptions.h"
#include "settings/Settings.h"

namespace {

enum {
    kKeywordsPerValue = 7,
    kMacroCharsPerValue = 21,
    kMacroValueBuffer = 256,
};

// ---- Languages ----

void LoadKeywords(Language *language, int n) {
    long count = ReadIntSetting(SettingName("Language%dKeywordCount", n), 0);
    if (count <= 0)
        return;
    if (count > 100000)
        count = 100000;
    char **words = static_cast<char **>(Allocate(count * sizeof(char *)));
    if (!words)
        return;
    int found = 0;
    SettingBuffer buffer;
    for (int group = 1; found < count; group++) {
        if (!ReadSetting(SettingName("Language%dKeywords%d", n, group), buffer))
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
        SettingBuffer name;
        if (!ReadSetting(SettingName("Language%d", n), name) || !name[0])
            continue;
        Language *language = FindLanguage(name);
        bool created = language == nullptr;
        if (created)
            language = AddLanguage(name);
        if (!language)
            return;
        SettingBuffer text;
        static const struct { const char *format; char *Language::*field; } kTexts[] = {
            {"Language%dExtension", &Language::extensions},
            {"Language%dStartFunction", &Language::startPattern},
            {"Language%dEndFunction", &Language::endPattern},
            {"Language%dCommentChar", &Language::commentChars},
            {"Language%dStringChars", &Language::stringChars},
        };
        for (const auto &t : kTexts) {
            ReadSetting(SettingName(t.format, n), text);
            SetLanguageText(&(language->*t.field), text);
        }
        ReadSetting(SettingName("Language%dIcon", n), text);
        SetLanguageText(&language->icon, text[0] ? text : nullptr);
        language->flags = static_cast<unsigned short>(ReadIntSetting(SettingName("Language%dFlags", n), 1));
        if (created)
            language->code = static_cast<int>(ReadIntSetting(SettingName("Language%dCode", n), 0));
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
        if (!WriteSetting(SettingName("Language%d", n), language->name) ||
            !WriteSetting(SettingName("Language%dExtension", n), language->extensions) ||
            !WriteSetting(SettingName("Language%dStartFunction", n), language->startPattern) ||
            !WriteSetting(SettingName("Language%dEndFunction", n), language->endPattern) ||
            !WriteSetting(SettingName("Language%dCommentChar", n), language->commentChars) ||
            !WriteSetting(SettingName("Language%dStringChars", n), language->stringChars) ||
            // Written also when empty, so no earlier icon stays behind under this number.
            !WriteSetting(SettingName("Language%dIcon", n), language->icon ? language->icon : "") ||
            !WriteIntSetting(SettingName("Language%dFlags", n), language->flags) ||
            !WriteIntSetting(SettingName("Language%dCode", n), language->code) ||
            !WriteIntSetting(SettingName("Language%dKeywordCount", n), language->keywordCount))
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
            if (!WriteSetting(SettingName("Language%dKeywords%d", n, group), value))
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
        long length = ReadIntSetting(SettingName("Macro%dLength", n), 0);
        if (length <= 0)
            break;
        SettingBuffer code;
        ReadSetting(SettingName("Macro%dCode", n), code);
        long position = ReadIntSetting(SettingName("Macro%dPosition", n), 0);
        if (length > kMaxMacroLength)
            continue;
        char *text = static_cast<char *>(Allocate(length + 1));
        if (!text)
            break;
        long rebuilt = 0;
        bool bad = false;
        for (int element = 0; rebuilt < length && !bad; element++) {
            SettingBuffer digits;
            if (!ReadSetting(SettingName("Macro%dTextLine%d", n, element), digits) ||
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
        if (!WriteSetting(SettingName("Macro%dCode", n), code) ||
            !WriteIntSetting(SettingName("Macro%dPosition", n), macro->cursorOffset) ||
            !WriteIntSetting(SettingName("Macro%dLength", n), macro->length))
            return false;
        for (int first = 0, element = 0; first < macro->length; first += kMacroCharsPerValue, element++) {
            char digits[kMacroCharsPerValue * 3 + 1];
            int used = 0;
            for (int k = first; k < first + kMacroCharsPerValue && k < macro->length; k++)
                used += snprintf(digits + used, sizeof digits - used, "%03d",
                                 static_cast<unsigned char>(macro->text[k]));
            digits[used] = '\0';
            if (!WriteSetting(SettingName("Macro%dTextLine%d", n, element), digits))
                return false;
        }
    }
    return true;
}

// A one-line scroll takes at least one step.
void KeepSubScroll() {
    if (g_display.subScroll < 1)
        g_display.subScroll = 1;
}

} // namespace

const SettingField g_editorSettingFields[] = {
    NumberField("Tabsize", &g_tabSize, 4, 20),
    NumberField("FindFlags", &g_findFlags, kDefaultFindFlags, 30),
    NumberField("CommentColor", &g_display.commentColor, 0x808080, 40),
    NumberField("KeywordColor", &g_display.keywordColor, 192, 50),
    NumberField("FontHeight", &g_display.fontHeight, -13, 90),
    NumberField("FontStyle", &g_display.fontStyle, 0, 100),
    NumberField("FontFamily", &g_display.fontFamily, 48, 130),
    NumberField("TextColor", &g_display.textColor, 0, 140),
    NumberField("BackgroundColor", &g_display.backgroundColor, 0xFFFFFF, 150),
    NumberField("SubScroll", &g_display.subScroll, 1, 180),
    CustomField("SubScroll", 0, nullptr, KeepSubScroll, nullptr),
    CustomField("Languages", 200, nullptr, LoadLanguages, SaveLanguages),
    CustomField("Macros", 210, FreeTextMacros, LoadMacros, SaveMacros),
    TextField("FontName", g_display.fontName, sizeof g_display.fontName, "Courier", 280, kFieldEmptyIsMissing),
};
const int g_editorSettingFieldCount = sizeof g_editorSettingFields / sizeof g_editorSettingFields[0];

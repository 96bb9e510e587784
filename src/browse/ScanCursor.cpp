#include "browse/ScanCursor.h"

#include <string.h>

#include "editor/Document.h"

static BrowseState s_browse;
BrowseState *g_browse = &s_browse;

unsigned char g_identifierChars[256];
unsigned char g_declarationChars[256];
unsigned char g_triggers[256];

void BuildScanTables() {
    if (g_identifierChars['_'])
        return;
    for (int c = 0; c < 256; c++)
        g_identifierChars[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    memcpy(g_declarationChars, g_identifierChars, sizeof g_declarationChars);
    for (const char *p = ";\t ,*[]()"; *p; p++)
        g_declarationChars[static_cast<unsigned char>(*p)] = 1;
}

void SetTriggers(const char *chars) {
    memset(g_triggers, 0, sizeof g_triggers);
    for (; *chars; chars++)
        g_triggers[static_cast<unsigned char>(*chars)] = 1;
}

void StartScan(Document *doc) {
    BuildScanTables();
    ScanCursor &s = g_browse->cursor;
    s.doc = doc;
    s.line = FirstLine(doc);
    s.column = 0;
    s.lineCount = 0;
}

void SetScanPosition(Line *line, int column, long count) {
    ScanCursor &s = g_browse->cursor;
    s.line = line;
    s.column = column;
    s.lineCount = count;
}

bool AtScanEnd() { return IsSentinel(g_browse->cursor.doc, g_browse->cursor.line); }

int NextChar() {
    ScanCursor &s = g_browse->cursor;
    Line *sentinel = s.doc->sentinel;
    for (;;) {
        Line *line = s.line;
        if (line == sentinel)
            return -1;
        if (s.column < line->length)
            return static_cast<unsigned char>(line->text[s.column++]);
        if (s.newlineMode && s.column == line->length && line->length > 0) {
            s.column++;
            return '\n';
        }
        // Lines have room for a NUL after their text; the other scanners read up to it.
        line->text[line->length] = '\0';
        do {
            line = line->next;
            s.lineCount++;
        } while (line != sentinel && line->length == 0);
        s.line = line;
        s.column = 0;
    }
}

int PrevChar() {
    ScanCursor &s = g_browse->cursor;
    Line *sentinel = s.doc->sentinel;
    if (s.line == sentinel)
        s.column = 0;
    else if (s.column > s.line->length)
        s.column = s.line->length;
    while (s.column == 0) {
        if (s.line->prev == sentinel)
            return -1;
        s.line = s.line->prev;
        s.lineCount--;
        s.column = s.line->length;
    }
    return static_cast<unsigned char>(s.line->text[--s.column]);
}

void UnreadChar() {
    ScanCursor &s = g_browse->cursor;
    if (s.column > 0 && !AtScanEnd())
        s.column--;
}

int SkipComment() {
    ScanCursor &s = g_browse->cursor;
    int c = NextChar();
    if (c == '/') {
        int count = 2 + (s.line->length - s.column);
        s.column = s.line->length;
        return count;
    }
    if (c != '*') {
        if (c >= 0)
            UnreadChar();
        return 0;
    }
    int count = 2, previous = 0;
    while ((c = NextChar()) >= 0) {
        count++;
        if (previous == '*' && c == '/')
            break;
        previous = c;
    }
    return count;
}

bool SkipString() {
    ScanCursor &s = g_browse->cursor;
    for (;;) {
        Line *line = s.line;
        if (IsSentinel(s.doc, line))
            return false;
        const char *text = line->text;
        while (s.column < line->length) {
            char c = text[s.column++];
            if (c == '"')
                return true;
            if (c != '\\')
                continue;
            if (s.column < line->length) {
                s.column++;
                continue;
            }
            // A backslash at the end of the line: the string goes on with the next line.
            if (IsSentinel(s.doc, line->next) || line->next->length == 0)
                return false;
            s.line = line->next;
            s.lineCount++;
            s.column = 0;
            break;
        }
        if (s.line == line)
            return false;
    }
}

bool SkipCharConstant() {
    int c = NextChar();
    if (c < 0)
        return false;
    if (c == '\\') {
        c = NextChar();
        if (c == 'x' || c == 'X' || (c >= '0' && c <= '9')) {
            bool hex = c == 'x' || c == 'X';
            for (int n = 1; n < 3; n++) {
                c = NextChar();
                bool digit = (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
                if (!digit) {
                    if (c >= 0)
                        UnreadChar();
                    break;
                }
            }
        }
    }
    c = NextChar();
    if (c == '\'')
        return true;
    if (c >= 0)
        UnreadChar();
    return false;
}

void SkipDirective() {
    ScanCursor &s = g_browse->cursor;
    Line *line = s.line;
    if (IsSentinel(s.doc, line))
        return;
    while (line->length > 0 && line->text[line->length - 1] == '\\' && !IsSentinel(s.doc, line->next) &&
           line->next->length > 0) {
        line = line->next;
        s.lineCount++;
    }
    s.line = line;
    s.column = line->length;
}

int SkipBlanks() {
    for (;;) {
        int c = NextChar();
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (c == '/' && SkipComment() > 0)
            continue;
        return c;
    }
}

int DirectiveColumn(const Line *line) {
    int column = 0;
    while (column < line->length && (line->text[column] == ' ' || line->text[column] == '\t'))
        column++;
    return column < line->length && line->text[column] == '#' ? column : -1;
}

int DirectiveWord(const Line *line, int column, char *word, int size) {
    BuildScanTables();
    while (column < line->length && (line->text[column] == ' ' || line->text[column] == '\t'))
        column++;
    int n = 0;
    while (column < line->length && IsScanIdentifier(static_cast<unsigned char>(line->text[column]))) {
        if (n < size - 1)
            word[n++] = line->text[column];
        column++;
    }
    word[n] = '\0';
    return column;
}

int ConditionalNesting(const char *word) {
    if (strcmp(word, "if") == 0 || strcmp(word, "ifdef") == 0 || strcmp(word, "ifndef") == 0)
        return 1;
    return strcmp(word, "endif") == 0 ? -1 : 0;
}

// Language records: which files get which keywords and colouring. The list is filled by the
// scanner's built-in languages and the user's settings; a document without a language is
// drawn without colours.
#pragma once

struct Document;
struct Line;

struct Language {
    Language *next;
    const char *name;
    const char *extensions;     // blank-separated, without dots
    // Told of every change of a line of a document in this language, so that the scanner
    // can follow it: a character c inserted at `column`, (c < 0) -c characters deleted
    // there, or ('\n') the next line joined there. Null when the language does not need it.
    void (*characterHook)(Line *line, int column, int c);
};

extern Language *g_languages;

// Chooses the current document's language from a file extension (the text after the last
// dot, without regard to case); sets or clears the C-source flag accordingly.
Language *ChooseLanguage(const char *extension);

// The message table and the shared scratch buffer.
#pragma once

struct MessageRecord {
    unsigned short id;
    const char *text;
};

extern const MessageRecord g_messageTable[];

// The text of message `id`; "" (never null) for an identifier that is not in the table.
const char *GetString(int id);

// The shared scratch buffer into which messages are formatted just before they are shown.
// Whoever formats into it shows or copies the text at once.
enum { kScratchSize = 32760 };
extern char *g_scratch;

// Formats into the scratch buffer, never past its end, and returns it.
char *FormatScratch(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Formats message `id` into the scratch buffer.
char *FormatMessageId(int id, ...);

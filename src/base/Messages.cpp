// Message lookup and formatting into the shared scratch buffer.
#include "base/Messages.h"

#include <stdarg.h>
#include <stdio.h>

#include "base/Memory.h"

char *g_scratch = nullptr;

const char *GetString(int id) {
    if (id <= 0)
        return "";
    for (const MessageRecord *r = g_messageTable; r->id != 0; r++) {
        if (r->id == id)
            return r->text;
    }
    return "";
}

static char *ScratchBuffer() {
    // Start-up allocates the buffer; code that runs before it (or a test) still gets one.
    if (!g_scratch)
        g_scratch = static_cast<char *>(Allocate(kScratchSize));
    return g_scratch;
}

static char *FormatScratchV(const char *format, va_list args) {
    char *buffer = ScratchBuffer();
    if (!buffer)
        return const_cast<char *>("");
    vsnprintf(buffer, kScratchSize, format, args);
    buffer[kScratchSize - 1] = '\0';
    return buffer;
}

char *FormatScratch(const char *format, ...) {
    va_list args;
    va_start(args, format);
    char *result = FormatScratchV(format, args);
    va_end(args);
    return result;
}

char *FormatMessageId(int id, ...) {
    va_list args;
    va_start(args, id);
    char *result = FormatScratchV(GetString(id), args);
    va_end(args);
    return result;
}

#include "base/TextUtil.h"

#include <stdint.h>
#include <string.h>

#include "base/Boxes.h"
#include "base/Memory.h"
#include "base/MessageIds.h"
#include "base/Messages.h"
#include "platform/Files.h"
#include "platform/System.h"

char *UpperCase(char *s) {
    for (char *p = s; *p; p++)
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
    return s;
}

char *LowerCase(char *s) {
    for (char *p = s; *p; p++)
        if (*p >= 'A' && *p <= 'Z')
            *p = static_cast<char>(*p - 'A' + 'a');
    return s;
}

std::string Uppered(std::string text) {
    UpperCase(&text[0]);
    return text;
}

std::string Lowered(std::string text) {
    LowerCase(&text[0]);
    return text;
}

std::string LastComponent(const std::string &path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CopyBounded(char *to, const char *from, size_t size) {
    if (size == 0)
        return false;
    size_t n = strnlen(from, size);
    bool whole = n < size;
    if (!whole)
        n = size - 1;
    memcpy(to, from, n);
    to[n] = '\0';
    return whole;
}

FILE *OpenTextForWriting(const char *path) {
    if (FileExists(path) && !Confirm(FormatMessageId(kStrEraseExisting, path)))
        return nullptr;
    FILE *f = fopen(path, "w");
    if (!f)
        ErrorBox(FormatMessageId(kStrCannotWrite, path));
    return f;
}

bool MakeWritable(const char *path) {
    if (ClearReadOnly(path))
        return true;
    ErrorBox(FormatMessageId(kStrCannotWrite, path));
    return false;
}

namespace {

struct TempFile {
    TempFile *next;
    char *path;
};

TempFile *g_tempFiles;

} // namespace

void RegisterTempFile(const char *path) {
    TempFile *node = static_cast<TempFile *>(Allocate(sizeof(TempFile)));
    if (!node)
        return;
    node->path = DupString(path);
    node->next = g_tempFiles;
    g_tempFiles = node;
}

void DeleteTempFiles() {
    while (TempFile *node = g_tempFiles) {
        g_tempFiles = node->next;
        if (node->path)
            RemoveFile(node->path);
        Release(node->path);
        Release(node);
    }
}

int TempFileCount() {
    int n = 0;
    for (TempFile *node = g_tempFiles; node; node = node->next)
        n++;
    return n;
}

const char *FormatTimeStamp(const int parts[6]) {
    static char text[64];
    snprintf(text, sizeof text, GetString(kStrTimeStamp), parts[0], parts[1], parts[2], parts[3],
             parts[4], parts[5]);
    return text;
}

const char *TimeStamp() {
    int parts[6];
    LocalTimeParts(parts);
    return FormatTimeStamp(parts);
}

const char *FindChar(const char *s, const char *end, char c) {
    while (s < end && (reinterpret_cast<uintptr_t>(s) & 3)) {
        if (*s == c)
            return s;
        s++;
    }
    // A word holds `c` when one of its bytes XORed with it is zero.
    const uint32_t spread = 0x01010101u * static_cast<unsigned char>(c);
    for (; end - s >= 4; s += 4) {
        uint32_t word;
        memcpy(&word, s, 4);
        uint32_t x = word ^ spread;
        if ((x - 0x01010101u) & ~x & 0x80808080u)
            break;
    }
    for (; s < end; s++)
        if (*s == c)
            return s;
    return nullptr;
}

#include "settings/Store.h"

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

// ---- The registry ----

class RegistryStore : public SettingsStore {
public:
    explicit RegistryStore(const char *base) : root_(HKEY_CURRENT_USER) {
        if (base && *base)
            RegCreateKeyExA(HKEY_CURRENT_USER, base, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                            nullptr);
    }
    ~RegistryStore() override {
        if (root_ != HKEY_CURRENT_USER)
            RegCloseKey(root_);
    }
    StoreKey Open(StoreKey parent, const char *path, bool create, long *error) override {
        HKEY from = parent ? static_cast<HKEY>(parent) : root_;
        HKEY key = nullptr;
        LONG result = create ? RegCreateKeyExA(from, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               &key, nullptr)
                             : RegOpenKeyExA(from, path, 0, KEY_ALL_ACCESS, &key);
        if (error)
            *error = result;
        return result == ERROR_SUCCESS ? key : nullptr;
    }
    void Close(StoreKey key) override {
        if (key)
            RegCloseKey(static_cast<HKEY>(key));
    }
    long Query(StoreKey key, const char *name, char *buffer, unsigned long size) override {
        DWORD type = 0;
        DWORD n = size;
        LONG result = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                                       reinterpret_cast<BYTE *>(buffer), &n);
        if (result != ERROR_SUCCESS)
            return result;
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            return kStoreMissing;
        return Terminate(buffer, n, size);
    }

    // The stored text need not end with its NUL; one that fills the buffer without it does
    // not fit.
    static long Terminate(char *buffer, DWORD n, unsigned long size) {
        if (n > 0 && buffer[n - 1] == '\0')
            return kStoreOk;
        if (n >= size)
            return kStoreTooLong;
        buffer[n] = '\0';
        return kStoreOk;
    }
    long Set(StoreKey key, const char *name, const char *text) override {
        if (!text)
            text = "";
        return RegSetValueExA(static_cast<HKEY>(key), name, 0, REG_SZ,
                              reinterpret_cast<const BYTE *>(text), static_cast<DWORD>(strlen(text) + 1));
    }
    long EnumKey(StoreKey key, int index, char *name, unsigned long size) override {
        LONG result = RegEnumKeyA(static_cast<HKEY>(key), index, name, size);
        if (result == ERROR_SUCCESS)
            return kStoreOk;
        return result == ERROR_MORE_DATA ? kStoreTooLong : kStoreMissing;
    }
    long EnumValue(StoreKey key, int index, char *name, unsigned long nameSize, char *text,
                   unsigned long textSize) override {
        DWORD n = nameSize;
        DWORD t = textSize;
        DWORD type = 0;
        LONG result = RegEnumValueA(static_cast<HKEY>(key), index, name, &n, nullptr, &type,
                                    reinterpret_cast<BYTE *>(text), &t);
        if (result == ERROR_MORE_DATA)
            return kStoreTooLong;
        if (result != ERROR_SUCCESS)
            return kStoreMissing;
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            text[0] = '\0';
            return kStoreOk;
        }
        return Terminate(text, t, textSize);
    }
    long DeleteKey(StoreKey parent, const char *name) override {
        // An empty name would be the key itself.
        if (!name || !*name)
            return kStoreMissing;
        HKEY from = parent ? static_cast<HKEY>(parent) : root_;
        // Windows deletes only keys without subkeys: empty the key first.
        HKEY key = nullptr;
        if (RegOpenKeyExA(from, name, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            char child[260];
            while (RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS)
                if (DeleteKey(key, child) != ERROR_SUCCESS)
                    break;
            RegCloseKey(key);
        }
        return RegDeleteKeyA(from, name);
    }

private:
    HKEY root_;
};

RegistryStore g_userRegistry("");
SettingsStore *g_store = &g_userRegistry;

char *Duplicate(const char *text) {
    size_t n = strlen(text);
    char *copy = static_cast<char *>(malloc(n + 1));
    if (copy)
        memcpy(copy, text, n + 1);
    return copy;
}

} // namespace

SettingsStore *CurrentStore() { return g_store; }

SettingsStore *SetStore(SettingsStore *store) {
    SettingsStore *old = g_store;
    g_store = store ? store : &g_userRegistry;
    return old;
}

SettingsStore *NewRegistryStore(const char *base) { return new RegistryStore(base); }

SettingsStore *StoreForStartup() {
    char file[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("KELTO_SETTINGS", file, sizeof file);
    if (n == 0 || n >= sizeof file)
        return &g_userRegistry;
    static MemoryStore *fileStore = new MemoryStore(file);
    return fileStore;
}

bool DeleteRegistryTree(const char *base) {
    if (!base || !*base)
        return false;
    RegistryStore root("");
    return root.DeleteKey(nullptr, base) == ERROR_SUCCESS;
}

// ---- The store in memory ----

struct MemoryStore::Node {
    struct Value {
        Value *next;
        char *name;
        char *text;
    };
    Node *next;       // the next sibling, in name order
    Node *children;
    Value *values;    // in the order they were first written
    char *name;

    explicit Node(const char *n) : next(nullptr), children(nullptr), values(nullptr), name(Duplicate(n)) {}
    ~Node() {
        while (Node *child = children) {
            children = child->next;
            delete child;
        }
        while (Value *value = values) {
            values = value->next;
            free(value->name);
            free(value->text);
            delete value;
        }
        free(name);
    }
    Node *Child(const char *n, bool create) {
        Node **link = &children;
        for (; *link; link = &(*link)->next) {
            int order = strcasecmp((*link)->name, n);
            if (order == 0)
                return *link;
            if (order > 0)
                break;
        }
        if (!create)
            return nullptr;
        Node *child = new Node(n);
        child->next = *link;
        *link = child;
        return child;
    }
    Value *Find(const char *n) {
        for (Value *value = values; value; value = value->next)
            if (strcasecmp(value->name, n) == 0)
                return value;
        return nullptr;
    }
};

namespace {

enum { kMaxDepth = 512 };

// Escapes backslashes, tabs and line ends so that one record stays on one line.
void WriteEscaped(FILE *f, const char *text) {
    for (const char *p = text; *p; p++) {
        switch (*p) {
        case '\\': fputs("\\\\", f); break;
        case '\t': fputs("\\t", f); break;
        case '\n': fputs("\\n", f); break;
        case '\r': fputs("\\r", f); break;
        default: fputc(*p, f);
        }
    }
}

void Unescape(char *text) {
    char *out = text;
    for (char *p = text; *p; p++) {
        if (*p != '\\' || !p[1]) {
            *out++ = *p;
            continue;
        }
        p++;
        *out++ = *p == 't' ? '\t' : *p == 'n' ? '\n' : *p == 'r' ? '\r' : *p;
    }
    *out = '\0';
}

bool WriteNode(FILE *f, MemoryStore::Node *node, const char *path) {
    for (MemoryStore::Node *child = node->children; child; child = child->next) {
        size_t n = strlen(path) + strlen(child->name) + 2;
        char *childPath = static_cast<char *>(malloc(n));
        if (!childPath)
            return false;
        snprintf(childPath, n, "%s%s%s", path, *path ? "\\" : "", child->name);
        fputs("K\t", f);
        WriteEscaped(f, childPath);
        fputc('\n', f);
        for (auto *value = child->values; value; value = value->next) {
            fputs("V\t", f);
            WriteEscaped(f, value->name);
            fputc('\t', f);
            WriteEscaped(f, value->text);
            fputc('\n', f);
        }
        bool ok = WriteNode(f, child, childPath);
        free(childPath);
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

MemoryStore::MemoryStore(const char *file) : root_(new Node("")), file_(file ? Duplicate(file) : nullptr) {
    FILE *f = file ? fopen(file, "rb") : nullptr;
    if (!f)
        return;
    StoreKey key = nullptr;
    char *line = nullptr;
    size_t capacity = 0;
    // Lines of any length: grow the buffer as needed.
    for (;;) {
        size_t length = 0;
        int c;
        while ((c = fgetc(f)) != EOF && c != '\n') {
            if (length + 1 >= capacity) {
                size_t grown = capacity ? capacity * 2 : 256;
                char *bigger = static_cast<char *>(realloc(line, grown));
                if (!bigger)
                    break;
                line = bigger;
                capacity = grown;
            }
            line[length++] = static_cast<char>(c);
        }
        if (c == EOF && length == 0)
            break;
        if (!line)
            continue;
        line[length] = '\0';
        if (line[0] == 'K' && line[1] == '\t') {
            Unescape(line + 2);
            key = Open(nullptr, line + 2, true, nullptr);
        } else if (line[0] == 'V' && line[1] == '\t' && key) {
            char *tab = line + 2;
            // The first tab that is not escaped separates name and text.
            while (*tab && *tab != '\t')
                tab += *tab == '\\' && tab[1] ? 2 : 1;
            if (*tab) {
                *tab = '\0';
                Unescape(line + 2);
                Unescape(tab + 1);
                Set(key, line + 2, tab + 1);
            }
        }
        if (c == EOF)
            break;
    }
    free(line);
    fclose(f);
}

MemoryStore::~MemoryStore() {
    delete root_;
    free(file_);
}

StoreKey MemoryStore::Open(StoreKey parent, const char *path, bool create, long *error) {
    Node *node = parent ? static_cast<Node *>(parent) : root_;
    char name[260];
    const char *p = path ? path : "";
    // As in the registry, a path has at most 512 levels.
    int levels = 0;
    for (const char *q = p; *q; q++)
        levels += *q == '\\';
    if (levels >= kMaxDepth)
        node = nullptr;
    while (*p && node) {
        size_t n = strcspn(p, "\\");
        if (n >= sizeof name) {
            node = nullptr;
            break;
        }
        memcpy(name, p, n);
        name[n] = '\0';
        if (n > 0)
            node = node->Child(name, create);
        p += n;
        if (*p == '\\')
            p++;
    }
    if (error)
        *error = node ? kStoreOk : kStoreMissing;
    return node;
}

long MemoryStore::Query(StoreKey key, const char *name, char *buffer, unsigned long size) {
    Node::Value *value = static_cast<Node *>(key)->Find(name);
    if (!value)
        return kStoreMissing;
    size_t n = strlen(value->text);
    if (n + 1 > size)
        return kStoreTooLong;
    memcpy(buffer, value->text, n + 1);
    return kStoreOk;
}

long MemoryStore::Set(StoreKey key, const char *name, const char *text) {
    Node *node = static_cast<Node *>(key);
    char *copy = Duplicate(text ? text : "");
    if (!copy)
        return ERROR_OUTOFMEMORY;
    if (Node::Value *value = node->Find(name)) {
        free(value->text);
        value->text = copy;
        return kStoreOk;
    }
    Node::Value *value = new Node::Value{nullptr, Duplicate(name), copy};
    Node::Value **link = &node->values;
    while (*link)
        link = &(*link)->next;
    *link = value;
    return kStoreOk;
}

long MemoryStore::EnumKey(StoreKey key, int index, char *name, unsigned long size) {
    Node *child = static_cast<Node *>(key)->children;
    for (; child && index > 0; index--)
        child = child->next;
    if (!child)
        return kStoreMissing;
    if (strlen(child->name) + 1 > size)
        return kStoreTooLong;
    strcpy(name, child->name);
    return kStoreOk;
}

long MemoryStore::EnumValue(StoreKey key, int index, char *name, unsigned long nameSize, char *text,
                            unsigned long textSize) {
    Node::Value *value = static_cast<Node *>(key)->values;
    for (; value && index > 0; index--)
        value = value->next;
    if (!value)
        return kStoreMissing;
    if (strlen(value->name) + 1 > nameSize || strlen(value->text) + 1 > textSize)
        return kStoreTooLong;
    strcpy(name, value->name);
    strcpy(text, value->text);
    return kStoreOk;
}

long MemoryStore::DeleteKey(StoreKey parent, const char *name) {
    Node *node = parent ? static_cast<Node *>(parent) : root_;
    for (Node **link = &node->children; *link; link = &(*link)->next) {
        if (strcasecmp((*link)->name, name) == 0) {
            Node *gone = *link;
            *link = gone->next;
            gone->next = nullptr;
            delete gone;
            return kStoreOk;
        }
    }
    return kStoreMissing;
}

bool MemoryStore::Save() {
    if (!file_)
        return false;
    // Written whole beside the file, then put in its place: a failure keeps the old file.
    size_t n = strlen(file_) + 5;
    char *temp = static_cast<char *>(malloc(n));
    if (!temp)
        return false;
    snprintf(temp, n, "%s.new", file_);
    FILE *f = fopen(temp, "wb");
    bool ok = f != nullptr;
    if (ok) {
        ok = WriteNode(f, root_, "");
        ok = !ferror(f) && ok;
        ok = fclose(f) == 0 && ok;
    }
    ok = ok && MoveFileExA(temp, file_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok)
        DeleteFileA(temp);
    free(temp);
    return ok;
}

// The tree of keys that holds the settings: keys with subkeys and named text values. One
// implementation is the Windows registry of the current user; the other keeps the tree in
// memory and can save it to a file and load it back. The settings code works on whichever
// store is current.
#pragma once

typedef void *StoreKey;

// Results, with the registry's values.
enum {
    kStoreOk = 0,
    kStoreMissing = 2,      // no such key or value
    kStoreTooLong = 234,    // the value does not fit the buffer
};

class SettingsStore {
public:
    virtual ~SettingsStore() {}
    // Opens the key `path` (names separated by backslashes) below `parent`, null meaning the
    // store's root (HKEY_CURRENT_USER); with `create` the missing keys are made. Null on
    // failure, with the error in `error`.
    virtual StoreKey Open(StoreKey parent, const char *path, bool create, long *error) = 0;
    virtual void Close(StoreKey key) = 0;
    // Reads a text value into `buffer` (`size` bytes, NUL included).
    virtual long Query(StoreKey key, const char *name, char *buffer, unsigned long size) = 0;
    virtual long Set(StoreKey key, const char *name, const char *text) = 0;
    // The name of subkey `index` (from 0): kStoreOk, kStoreMissing past the last, or
    // kStoreTooLong when it does not fit (the enumeration goes on with the next index).
    virtual long EnumKey(StoreKey key, int index, char *name, unsigned long size) = 0;
    // Name and text of value `index` (from 0), with the same results.
    virtual long EnumValue(StoreKey key, int index, char *name, unsigned long nameSize,
                           char *text, unsigned long textSize) = 0;
    // Deletes the subkey `name` of `parent` with everything below it.
    virtual long DeleteKey(StoreKey parent, const char *name) = 0;
    // Makes what was written lasting (the registry needs nothing); false when it could not.
    virtual bool Flush() { return true; }
};

SettingsStore *CurrentStore();
// Makes `store` current (the caller keeps it) and returns the previous one; null restores the
// registry of the current user.
SettingsStore *SetStore(SettingsStore *store);

// The store the program starts with: the file named by the environment variable
// KELTO_SETTINGS when it is set, otherwise the registry of the current user.
SettingsStore *StoreForStartup();

// The registry below HKEY_CURRENT_USER\`base` (the empty text: HKEY_CURRENT_USER itself).
SettingsStore *NewRegistryStore(const char *base);
// Deletes HKEY_CURRENT_USER\`base` with everything below it.
bool DeleteRegistryTree(const char *base);

// A store in memory. `file`, when not null, is read at creation (a missing file gives an
// empty store) and written back by Save.
class MemoryStore : public SettingsStore {
public:
    explicit MemoryStore(const char *file = nullptr);
    ~MemoryStore() override;
    StoreKey Open(StoreKey parent, const char *path, bool create, long *error) override;
    void Close(StoreKey) override {}
    long Query(StoreKey key, const char *name, char *buffer, unsigned long size) override;
    long Set(StoreKey key, const char *name, const char *text) override;
    long EnumKey(StoreKey key, int index, char *name, unsigned long size) override;
    long EnumValue(StoreKey key, int index, char *name, unsigned long nameSize, char *text,
                   unsigned long textSize) override;
    long DeleteKey(StoreKey parent, const char *name) override;
    bool Flush() override { return !file_ || Save(); }
    bool Save();

    struct Node;

private:
    Node *root_;
    char *file_;
};

// Settings declared as tables of fields. Each feature lists the values it keeps in the
// program's key: the value's name, how it is stored, the variable it lives in and its
// default. One generic routine gives every registered field its default, loads them all and
// saves them all; a value that needs more than one variable (a list, a rectangle) is a custom
// field with routines of its own.
//
// The store keeps values in the order they were first written, so each field carries its
// place in the saving order: a file saved by one version is saved again value for value by
// the next.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <type_traits>

enum FieldKind {
    kFieldInt,        // a signed integer variable of `size` bytes, stored as a decimal number
    kFieldUnsigned,   // an unsigned integer variable of `size` bytes, stored as a signed decimal
    kFieldBool,       // a bool, stored as 1 or 0
    kFieldText,       // a char array of `size` bytes, cut to fit when loaded
    kFieldCustom,     // the routines below do the work
};

enum FieldFlags {
    kFieldEmptyIsMissing = 1,   // an empty stored text counts as missing
    kFieldNoDefault = 2,        // defaulting leaves the variable alone; a missing value too
};

struct SettingField {
    const char *name;         // the value's name (custom fields: what they load, for tests)
    FieldKind kind;
    void *target;             // the variable; with `record`, its offset in the record
    size_t size;
    long defaultNumber;
    const char *defaultText;  // kFieldText
    int flags;
    int order;                // the place in the saving order; 0: never saved
    // Custom fields: each may be null.
    void (*setDefault)();
    void (*load)();
    bool (*save)();
    // For a field of a record that is allocated at run time: the record, or null while there
    // is none (the field is then left alone).
    void *(*record)();
};

// The rows of a table.
template <typename T>
SettingField NumberField(const char *name, T *variable, long defaultNumber, int order, int flags = 0) {
    FieldKind kind = std::is_same<T, bool>::value ? kFieldBool : std::is_signed<T>::value ? kFieldInt : kFieldUnsigned;
    return {name, kind, variable, sizeof(T), defaultNumber, nullptr, flags, order, nullptr, nullptr, nullptr, nullptr};
}
inline SettingField TextField(const char *name, char *variable, size_t size, const char *defaultText, int order,
                              int flags = 0) {
    return {name, kFieldText, variable, size, 0, defaultText, flags, order, nullptr, nullptr, nullptr, nullptr};
}
inline SettingField CustomField(const char *name, int order, void (*setDefault)(), void (*load)(), bool (*save)()) {
    return {name, kFieldCustom, nullptr, 0, 0, nullptr, 0, order, setDefault, load, save, nullptr};
}
// A number or a text at `offset` in the record that `record` returns.
template <typename T>
SettingField RecordNumberField(const char *name, void *(*record)(), size_t offset, long defaultNumber, int order,
                               int flags = 0) {
    SettingField f = NumberField<T>(name, nullptr, defaultNumber, order, flags);
    f.target = reinterpret_cast<void *>(static_cast<uintptr_t>(offset));
    f.record = record;
    return f;
}
inline SettingField RecordTextField(const char *name, void *(*record)(), size_t offset, size_t size,
                                    const char *defaultText, int order, int flags = 0) {
    SettingField f = TextField(name, nullptr, size, defaultText, order, flags);
    f.target = reinterpret_cast<void *>(static_cast<uintptr_t>(offset));
    f.record = record;
    return f;
}

// Makes a table's fields known (tables are registered once, at start-up; a table registered
// again is not added twice). At most kMaxFieldTables tables.
enum { kMaxFieldTables = 32 };
void RegisterFieldTable(const SettingField *fields, int count);
void ClearFieldTables();

// Over every registered field. Loading and saving need the settings open (OpenSettings).
void DefaultAllFields();
void LoadAllFields();
// In the saving order; stops at the first value that cannot be written.
bool SaveAllFields();

// One field.
void DefaultField(const SettingField &field);
void LoadField(const SettingField &field);
bool SaveField(const SettingField &field);

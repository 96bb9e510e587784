#include "settings/Fields.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/Boxes.h"
#include "settings/Settings.h"

namespace {

struct FieldTable {
    const SettingField *fields;
    int count;
};

FieldTable g_tables[kMaxFieldTables];
int g_tableCount;

// Integer variables of 1, 2, 4 or 8 bytes, read and written through their size.
int64_t ReadVariable(const SettingField &f) {
    switch (f.size) {
    case 1: { int8_t v; memcpy(&v, f.target, 1); return f.kind == kFieldUnsigned ? uint8_t(v) : v; }
    case 2: { int16_t v; memcpy(&v, f.target, 2); return f.kind == kFieldUnsigned ? uint16_t(v) : v; }
    case 4: { int32_t v; memcpy(&v, f.target, 4); return f.kind == kFieldUnsigned ? uint32_t(v) : v; }
    default: { int64_t v; memcpy(&v, f.target, 8); return v; }
    }
}

void WriteVariable(const SettingField &f, int64_t value) {
    switch (f.size) {
    case 1: { int8_t v = int8_t(value); memcpy(f.target, &v, 1); break; }
    case 2: { int16_t v = int16_t(value); memcpy(f.target, &v, 2); break; }
    case 4: { int32_t v = int32_t(value); memcpy(f.target, &v, 4); break; }
    default: memcpy(f.target, &value, 8); break;
    }
}

void SetText(const SettingField &f, const char *text) {
    snprintf(static_cast<char *>(f.target), f.size, "%s", text ? text : "");
}

// The fields of every table, ordered for saving (a stable insertion sort: few fields).
int SavingOrder(const SettingField **out, int room) {
    int n = 0;
    for (int t = 0; t < g_tableCount; t++) {
        for (int i = 0; i < g_tables[t].count; i++) {
            const SettingField *f = &g_tables[t].fields[i];
            if (f->order <= 0)
                continue;
            if (n == room) {
                InternalError(1401);
                return n;
            }
            int k = n++;
            while (k > 0 && out[k - 1]->order > f->order) {
                out[k] = out[k - 1];
                k--;
            }
            out[k] = f;
        }
    }
    return n;
}

} // namespace

void RegisterFieldTable(const SettingField *fields, int count) {
    for (int t = 0; t < g_tableCount; t++)
        if (g_tables[t].fields == fields)
            return;
    if (g_tableCount == kMaxFieldTables) {
        InternalError(1402);
        return;
    }
    g_tables[g_tableCount++] = {fields, count};
}

void ClearFieldTables() { g_tableCount = 0; }

// The field with `target` made the variable's address; false when its record is missing.
static bool Resolve(const SettingField &field, SettingField *out) {
    *out = field;
    if (!field.record || field.kind == kFieldCustom)
        return true;
    char *base = static_cast<char *>(field.record());
    if (!base)
        return false;
    out->target = base + reinterpret_cast<uintptr_t>(field.target);
    return true;
}

void DefaultField(const SettingField &field) {
    SettingField f;
    if ((field.flags & kFieldNoDefault) || !Resolve(field, &f))
        return;
    switch (f.kind) {
    case kFieldInt:
    case kFieldUnsigned: WriteVariable(f, f.defaultNumber); break;
    case kFieldBool: *static_cast<bool *>(f.target) = f.defaultNumber != 0; break;
    case kFieldText: SetText(f, f.defaultText); break;
    case kFieldCustom:
        if (f.setDefault)
            f.setDefault();
        break;
    }
}

void LoadField(const SettingField &field) {
    SettingField f;
    if (!Resolve(field, &f))
        return;
    if (f.kind == kFieldCustom) {
        if (f.load)
            f.load();
        return;
    }
    char text[kSettingBufferSize];
    bool present = ReadSetting(f.name, text) && (text[0] || !(f.flags & kFieldEmptyIsMissing));
    if (!present) {
        // A missing value takes the default, or keeps what the variable holds.
        if (!(f.flags & kFieldNoDefault))
            DefaultField(field);
        return;
    }
    long number = atol(text);
    switch (f.kind) {
    case kFieldInt:
    case kFieldUnsigned: WriteVariable(f, f.kind == kFieldUnsigned ? int64_t(static_cast<unsigned long>(number)) : number); break;
    case kFieldBool: *static_cast<bool *>(f.target) = number != 0; break;
    case kFieldText: SetText(f, text); break;
    case kFieldCustom: break;
    }
}

bool SaveField(const SettingField &field) {
    SettingField f;
    if (!Resolve(field, &f))
        return true;
    switch (f.kind) {
    case kFieldInt:
    case kFieldUnsigned: return WriteIntSetting(f.name, static_cast<long>(ReadVariable(f)));
    case kFieldBool: return WriteIntSetting(f.name, *static_cast<const bool *>(f.target) ? 1 : 0);
    case kFieldText: return WriteSetting(f.name, static_cast<const char *>(f.target));
    case kFieldCustom: return !f.save || f.save();
    }
    return false;
}

void DefaultAllFields() {
    for (int t = 0; t < g_tableCount; t++)
        for (int i = 0; i < g_tables[t].count; i++)
            DefaultField(g_tables[t].fields[i]);
}

void LoadAllFields() {
    for (int t = 0; t < g_tableCount; t++)
        for (int i = 0; i < g_tables[t].count; i++)
            LoadField(g_tables[t].fields[i]);
}

bool SaveAllFields() {
    enum { kMaxFields = 256 };
    const SettingField *fields[kMaxFields];
    int n = SavingOrder(fields, kMaxFields);
    for (int i = 0; i < n; i++)
        if (!SaveField(*fields[i]))
            return false;
    return true;
}

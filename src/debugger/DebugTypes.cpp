// Symbol tables and types: the name hash and its 1024 chains, the type records of an image
// (sizes, pointers, structures and their members) and the names of the primitive types.
#include <string.h>

#include "debugger/ByteView.h"
#include "debugger/DebugInfo.h"

namespace {

enum {
    kLeafPointer = 0x0002,
    kLeafArray = 0x0003,
    kLeafStructure = 0x0005,
    kLeafUnion = 0x0006,
    kLeafEnum = 0x0007,
    kStructSizeAt = 14,   // structures and unions: five u16 fields, then the size, then the name
    kArraySizeAt = 8,
};

const TypeTable &CurrentTypes(const DebugInfo &info) {
    const ModuleRecord *m = ModuleAt(info, info.currentModule);
    return m && m->dll ? m->dll->image.types : info.exe.types;
}

// The name of an array, structure or union record, after its numeric size or length.
bool RecordName(const TypeRecordView &record, std::string *name) {
    ByteView v(record.data, record.size);
    uint32_t value = 0;
    size_t next = 0;
    if (record.leaf == kLeafArray)
        return v.Numeric(kArraySizeAt, &value, &next) && v.Name(next, name);
    if (record.leaf == kLeafStructure || record.leaf == kLeafUnion)
        return v.Numeric(kStructSizeAt, &value, &next) && v.Name(next, name);
    return false;
}

}  // namespace

uint32_t HashName(const char *name, size_t length) {
    const unsigned char *s = reinterpret_cast<const unsigned char *>(name);
    uint32_t tail = 0;
    for (size_t i = length; i > length - length % 4; i--)
        tail = (tail | (s[i - 1] & 0xDF)) << 8;
    uint32_t h = 0;
    for (size_t i = 0; i + 4 <= length; i += 4) {
        uint32_t w = s[i] | s[i + 1] << 8 | s[i + 2] << 16 | static_cast<uint32_t>(s[i + 3]) << 24;
        h ^= w & 0xDFDFDFDF;
        h = h << 4 | h >> 28;
    }
    return h ^ tail;
}

SymbolEntry *SymbolTable::Add(const std::string &name, uint16_t kind, uint16_t type, uint32_t value) {
    entries.emplace_back();
    SymbolEntry &e = entries.back();
    e.name = name;
    e.kind = kind;
    e.type = type;
    e.value = value;
    uint32_t chain = HashName(name.data(), name.size()) & (kSymbolChains - 1);
    e.next = heads[chain];
    heads[chain] = &e;
    return &e;
}

const SymbolEntry *SymbolTable::Find(const char *name) const {
    size_t length = strlen(name);
    for (const SymbolEntry *e = heads[HashName(name, length) & (kSymbolChains - 1)]; e; e = e->next)
        if (e->name.size() == length && memcmp(e->name.data(), name, length) == 0)
            return e;
    return nullptr;
}

TypeRecordView TypeRecord(const DebugInfo &info, uint32_t type) {
    const TypeTable &types = CurrentTypes(info);
    TypeRecordView record;
    if (type < kFirstTypeIndex || type - kFirstTypeIndex >= types.count)
        return record;
    uint64_t offset = ByteView(types.offsets, size_t(types.count) * 4).U32(uint64_t(type - kFirstTypeIndex) * 4);
    ByteView records(types.records, types.recordsSize);
    uint32_t length = records.U16(offset);
    if (length < 2 || !records.Has(offset, uint64_t(length) + 2))
        return record;
    record.data = types.records + offset;
    record.size = length + 2;
    record.leaf = records.U16(offset + 2);
    return record;
}

uint32_t TypeSize(const DebugInfo &info, uint32_t type) {
    switch (type) {
    case 0x10: case 0x20: case 0x70:
        return 1;
    case 0x11: case 0x21: case 0x71: case 0x72: case 0x73:
        return 2;
    case 0x08: case 0x12: case 0x22: case 0x40: case 0x74: case 0x75: case 0x111: case 0x112:
    case 0x121: case 0x122: case 0x140:
        return 4;
    case 0x41: case 0x76: case 0x77:
        return 8;
    }
    if (type < kFirstTypeIndex)
        return (type & 0x0700) == 0x0400 ? 4 : 0;   // every 32-bit near pointer
    TypeRecordView record = TypeRecord(info, type);
    ByteView v(record.data, record.size);
    uint32_t value = 0;
    size_t next = 0;
    switch (record.leaf) {
    case kLeafPointer:
    case kLeafEnum:
        return 4;
    case kLeafArray:
        return v.Numeric(kArraySizeAt, &value, &next) ? value : 0;
    case kLeafStructure:
    case kLeafUnion:
        return v.Numeric(kStructSizeAt, &value, &next) ? value : 0;
    }
    return 0;
}

bool IsPointerType(uint32_t type) { return (type < kFirstTypeIndex && (type & 0xFF00) != 0) || type == 2; }

uint32_t PointeeType(uint32_t type) {
    switch (type) {
    case 0x440: return 0x40;
    case 0x441: return 0x41;
    case 0x470: return 0x10;
    case 0x472: return 0x72;
    case 0x473: return 0x73;
    case 0x474: return 0x74;
    case 0x475: return 0x75;
    case 0x476: return 0x76;
    case 0x477: return 0x77;
    }
    return 0;
}

uint32_t StructByName(const DebugInfo &info, const char *name) {
    const TypeTable &types = CurrentTypes(info);
    std::string stored;
    for (uint32_t i = 0; i < types.count; i++) {
        TypeRecordView record = TypeRecord(info, kFirstTypeIndex + i);
        if (RecordName(record, &stored) && stored == name)
            return kFirstTypeIndex + i;
    }
    return 0;
}

bool StructMembers(const DebugInfo &info, uint32_t type, std::vector<MemberRecord> *members) {
    members->clear();
    TypeRecordView record = TypeRecord(info, type);
    if (record.leaf != kLeafStructure && record.leaf != kLeafUnion)
        return false;
    TypeRecordView list = TypeRecord(info, ByteView(record.data, record.size).U16(6));
    ByteView v(list.data, list.size);
    if (!v.data)
        return false;
    // Each member: leaf, type, attributes, numeric offset, name; then pad bytes above 0xF0,
    // each telling how many bytes to skip.
    for (uint64_t pos = 4; pos < v.size;) {
        MemberRecord member;
        size_t next = 0;
        if (!v.Has(pos, 6) || !v.Numeric(pos + 6, &member.offset, &next) || !v.Name(next, &member.name, &next))
            return false;
        member.type = v.U16(pos + 2);
        member.attributes = v.U16(pos + 4);
        members->push_back(member);
        pos = next;
        while (pos < v.size && v.U8(pos) > 0xF0)
            pos += v.U8(pos) & 0x0F;
    }
    return true;
}

bool FindMember(const DebugInfo &info, uint32_t type, const char *name, MemberRecord *member) {
    std::vector<MemberRecord> members;
    StructMembers(info, type, &members);
    for (const MemberRecord &m : members)
        if (m.name == name) {
            *member = m;
            return true;
        }
    return false;
}

// The primitive indexes: bits 0-7 the base type, bits 8-10 the pointer mode (1 to 5). The
// first entry for an index wins.
#define KELTO_POINTERS(base, name) \
    {0x100 | (base), name}, {0x200 | (base), name}, {0x300 | (base), name}, {0x400 | (base), name}, {0x500 | (base), name}
const PrimitiveName g_primitiveTypeNames[] = {
    {0, "unknown type"}, {1, "Absolute"}, {2, "Pointer"}, {3, "Void"}, {0x60, "Bit"}, {0x61, "Pascal CHAR"},
    {0x10, "char"}, {0x70, "char"}, {0x20, "unsigned char"}, {0x71, "wchar"}, {0x11, "short"}, {0x72, "short"},
    {0x21, "unsigned short"}, {0x73, "unsigned short"}, {0x74, "int"}, {0x75, "unsigned int"}, {0x12, "long"},
    {0x22, "unsigned long"}, {0x76, "long long"}, {0x77, "unsigned long long"}, {0x40, "float"}, {0x41, "double"},
    {0x510, "signed char *"}, {0x320, "char *"},
    {0x476, "pointer to long long"}, {0x477, "pointer to unsigned long long"},
    KELTO_POINTERS(0x03, "void *"), KELTO_POINTERS(0x10, "char *"), KELTO_POINTERS(0x70, "char *"),
    KELTO_POINTERS(0x20, "unsigned char *"), KELTO_POINTERS(0x71, "wchar *"), KELTO_POINTERS(0x72, "short *"),
    KELTO_POINTERS(0x73, "short *"), KELTO_POINTERS(0x11, "short *"), KELTO_POINTERS(0x21, "unsigned short *"),
    KELTO_POINTERS(0x74, "int *"), KELTO_POINTERS(0x75, "unsigned int *"), KELTO_POINTERS(0x12, "long *"),
    KELTO_POINTERS(0x22, "unsigned long *"), KELTO_POINTERS(0x40, "float *"), KELTO_POINTERS(0x41, "double *"),
    {0, nullptr},
};
#undef KELTO_POINTERS

const char *PrimitiveTypeName(uint32_t type) {
    for (const PrimitiveName *p = g_primitiveTypeNames; p->name; p++)
        if (p->type == type)
            return p->name;
    return "unknown type";
}

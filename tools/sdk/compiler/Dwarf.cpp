// The DWARF reader: see Dwarf.h.
#include "Dwarf.h"

#include <cstdio>
#include <cstring>

bool ByteCursor::Take(size_t n) {
    if (!ok || n > Left()) {
        ok = false;
        return false;
    }
    pos += n;
    return true;
}

uint8_t ByteCursor::U8() {
    size_t at = pos;
    return Take(1) ? span.data[at] : 0;
}

uint16_t ByteCursor::U16() {
    size_t at = pos;
    return Take(2) ? (uint16_t)(span.data[at] | span.data[at + 1] << 8) : 0;
}

uint32_t ByteCursor::U32() {
    size_t at = pos;
    if (!Take(4))
        return 0;
    const uint8_t *p = span.data + at;
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

uint64_t ByteCursor::U64() {
    uint64_t low = U32();
    return low | (uint64_t)U32() << 32;
}

uint64_t ByteCursor::Uleb() {
    uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        uint8_t b = U8();
        if (!ok)
            return 0;
        if (shift < 64)
            value |= (uint64_t)(b & 0x7F) << shift;
        if (!(b & 0x80))
            return value;
    }
}

int64_t ByteCursor::Sleb() {
    uint64_t value = 0;
    unsigned shift = 0;
    uint8_t b;
    do {
        b = U8();
        if (!ok)
            return 0;
        if (shift < 64)
            value |= (uint64_t)(b & 0x7F) << shift;
        shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40))
        value |= ~(uint64_t)0 << shift;
    return (int64_t)value;
}

std::string ByteCursor::CString() {
    size_t left = Left();
    const uint8_t *start = span.data + pos;
    const void *nul = left ? memchr(start, 0, left) : nullptr;
    if (!nul) {
        ok = false;
        return "";
    }
    size_t n = (const uint8_t *)nul - start;
    pos += n + 1;
    return std::string((const char *)start, n);
}

std::string JoinPath(const std::string &dir, const std::string &name) {
    bool absolute = !name.empty() && (name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'));
    if (absolute || dir.empty())
        return name;
    if (name.empty())
        return dir;
    char last = dir.back();
    return dir + (last == '/' || last == '\\' ? "" : "/") + name;
}

namespace {

std::string Hex(const char *format, uint64_t value) {
    char text[96];
    snprintf(text, sizeof text, format, (unsigned long long)value);
    return text;
}

struct Abbreviation {
    uint16_t tag = 0;
    bool children = false;
    std::vector<std::pair<uint16_t, uint16_t>> fields;   // attribute, form
};

// The abbreviation table at `offset`, by code.
bool ReadAbbreviations(ByteSpan abbrev, uint32_t offset, std::unordered_map<uint64_t, Abbreviation> *table,
                       std::string *error) {
    ByteCursor c(abbrev, offset);
    for (;;) {
        uint64_t code = c.Uleb();
        if (!c.ok)
            break;
        if (code == 0)
            return true;
        Abbreviation a;
        uint64_t tag = c.Uleb();
        a.tag = tag > 0xFFFF ? 0 : (uint16_t)tag;   // a vendor tag: walked, never used
        a.children = c.U8() != 0;
        for (;;) {
            uint64_t name = c.Uleb(), form = c.Uleb();
            if (!c.ok || (name == 0 && form == 0))
                break;
            if (form > 0xFFFF) {
                *error = Hex("unknown form 0x%llx", form);
                return false;
            }
            a.fields.push_back({name > 0xFFFF ? (uint16_t)0 : (uint16_t)name, (uint16_t)form});
        }
        (*table)[code] = a;
    }
    *error = Hex("the abbreviations at 0x%llx are damaged", offset);
    return false;
}

}   // namespace

bool Dwarf::ReadValue(ByteCursor *c, uint16_t form, uint32_t unitOffset, uint16_t version, DwarfAttribute *a,
                      int depth, std::string *error) const {
    a->form = form;
    a->kind = DwarfAttribute::kNumber;
    uint64_t length = 0;
    bool block = false;
    switch (form) {
    case 0x01: a->value = c->U32(); a->addressForm = true; break;   // addr (4-byte addresses only)
    case 0x03: length = c->U16(); block = true; break;              // block2
    case 0x04: length = c->U32(); block = true; break;              // block4
    case 0x05: a->value = c->U16(); break;                          // data2
    case 0x06: a->value = c->U32(); break;                          // data4
    case 0x07: a->value = c->U64(); break;                          // data8
    case 0x08: {                                                    // string
        a->kind = DwarfAttribute::kString;
        a->bytes = c->span.data + c->pos;
        a->length = c->CString().size();
        break;
    }
    case 0x09: case 0x18: length = c->Uleb(); block = true; break;  // block, exprloc
    case 0x0a: length = c->U8(); block = true; break;               // block1
    case 0x0b: case 0x0c: a->value = c->U8(); break;                // data1, flag
    case 0x0d: a->value = (uint64_t)c->Sleb(); a->kind = DwarfAttribute::kSigned; break;
    case 0x0e: {                                                    // strp
        uint32_t at = c->U32();
        const void *nul = at < str.size ? memchr(str.data + at, 0, str.size - at) : nullptr;
        if (c->ok && !nul) {
            *error = Hex("a string offset 0x%llx lies outside .debug_str", at);
            return false;
        }
        a->kind = DwarfAttribute::kString;
        a->bytes = str.data + at;
        a->length = nul ? (const uint8_t *)nul - a->bytes : 0;
        break;
    }
    case 0x0f: a->value = c->Uleb(); break;                         // udata
    case 0x10: a->value = c->U32(); a->kind = DwarfAttribute::kReference; break;   // ref_addr
    case 0x11: a->value = unitOffset + (uint64_t)c->U8(); a->kind = DwarfAttribute::kReference; break;
    case 0x12: a->value = unitOffset + (uint64_t)c->U16(); a->kind = DwarfAttribute::kReference; break;
    case 0x13: a->value = unitOffset + (uint64_t)c->U32(); a->kind = DwarfAttribute::kReference; break;
    case 0x14: a->value = unitOffset + c->U64(); a->kind = DwarfAttribute::kReference; break;
    case 0x15: a->value = unitOffset + c->Uleb(); a->kind = DwarfAttribute::kReference; break;
    case 0x16: {                                                    // indirect
        uint64_t real = c->Uleb();
        if (depth > 0 || real > 0xFFFF || real == 0x16) {
            *error = "a nested indirect form";
            return false;
        }
        return ReadValue(c, (uint16_t)real, unitOffset, version, a, depth + 1, error);
    }
    case 0x17: a->value = c->U32(); break;                          // sec_offset
    case 0x19: a->value = 1; break;                                 // flag_present
    case 0x20: c->U64(); a->kind = DwarfAttribute::kUnresolved; break;           // ref_sig8
    case 0x1f20: case 0x1f21: c->U32(); a->kind = DwarfAttribute::kUnresolved; break;   // GNU alt forms
    default:
        *error = Hex("unknown form 0x%llx", form);
        return false;
    }
    if (block) {
        a->kind = DwarfAttribute::kBlock;
        a->bytes = c->span.data + c->pos;
        a->length = (size_t)length;
        if (length > c->Left())
            c->ok = false;
        else
            c->Take((size_t)length);
    }
    return true;
}

bool Dwarf::ReadUnit(ByteCursor *c, uint32_t start, uint32_t end, uint16_t version, uint32_t abbrevOffset,
                     std::string *error) {
    std::unordered_map<uint64_t, Abbreviation> abbreviations;
    if (!ReadAbbreviations(abbrev, abbrevOffset, &abbreviations, error))
        return false;
    DwarfUnit u;
    u.offset = start;
    u.version = version;
    const uint32_t kNone = DwarfUnit::kNone;
    std::vector<uint32_t> parents, lastChild;   // open entries and the last child of each
    uint32_t lastTop = kNone;
    while (c->ok && c->pos < end) {
        uint32_t offset = (uint32_t)c->pos;
        uint64_t code = c->Uleb();
        if (code == 0) {   // the end of a list of children (or padding)
            if (!parents.empty()) {
                parents.pop_back();
                lastChild.pop_back();
            }
            continue;
        }
        auto found = abbreviations.find(code);
        if (found == abbreviations.end()) {
            *error = Hex("an entry at 0x%llx uses an unknown abbreviation", offset);
            return false;
        }
        const Abbreviation &ab = found->second;
        DwarfEntry e;
        e.offset = offset;
        e.tag = ab.tag;
        e.parent = parents.empty() ? kNone : parents.back();
        e.firstChild = e.nextSibling = kNone;
        e.firstAttribute = (uint32_t)u.attributes.size();
        e.attributeCount = (uint32_t)ab.fields.size();
        for (const auto &field : ab.fields) {
            DwarfAttribute a;
            a.name = field.first;
            if (!ReadValue(c, field.second, start, version, &a, 0, error))
                return false;
            u.attributes.push_back(a);
        }
        uint32_t index = (uint32_t)u.entries.size();
        uint32_t &previous = parents.empty() ? lastTop : lastChild.back();
        if (previous != kNone)
            u.entries[previous].nextSibling = index;
        else if (!parents.empty())
            u.entries[parents.back()].firstChild = index;
        previous = index;
        u.entries.push_back(e);
        byOffset_[offset] = {(uint32_t)units.size(), index};
        if (ab.children) {
            parents.push_back(index);
            lastChild.push_back(kNone);
        }
    }
    if (!c->ok) {
        *error = Hex("the unit at 0x%llx runs past its end", start);
        return false;
    }
    if (!u.entries.empty())
        units.push_back(std::move(u));
    return true;
}

bool Dwarf::Read(std::string *error) {
    ByteCursor c(info, 0);
    while (c.pos < info.size) {
        uint32_t start = (uint32_t)c.pos;
        uint32_t length = c.U32();
        uint16_t version = c.U16();
        if (!c.ok) {
            *error = Hex("the unit at 0x%llx is cut short", start);
            return false;
        }
        if (length >= 0xFFFFFFF0 || length > info.size - start - 4) {
            *error = Hex(length == 0xFFFFFFFF ? "the unit at 0x%llx is 64-bit DWARF"
                                              : "the unit at 0x%llx runs past the section",
                         start);
            return false;
        }
        uint32_t end = start + 4 + length;
        if (version < 2 || version > 4) {   // another version: passed over whole
            c.pos = end;
            continue;
        }
        ByteSpan unit = {info.data, end};   // reads stop at the unit's end
        ByteCursor u(unit, c.pos);
        uint32_t abbrevOffset = u.U32();
        uint8_t addressSize = u.U8();
        if (!u.ok || addressSize != 4) {
            *error = Hex("the unit at 0x%llx does not use 4-byte addresses", start);
            return false;
        }
        if (!ReadUnit(&u, start, end, version, abbrevOffset, error))
            return false;
        c.pos = end;
    }
    return true;
}

const DwarfAttribute *Dwarf::Find(const DwarfUnit &unit, uint32_t entry, uint16_t name, bool follow) const {
    const DwarfUnit *u = &unit;
    for (int depth = 0; depth < 4 && entry < u->entries.size(); depth++) {
        const DwarfEntry &e = u->entries[entry];
        const DwarfAttribute *origin = nullptr;
        for (uint32_t i = 0; i < e.attributeCount; i++) {
            const DwarfAttribute &a = u->attributes[e.firstAttribute + i];
            if (a.name == name)
                return &a;
            if (a.name == kAtAbstractOrigin || a.name == kAtSpecification)
                origin = &a;
        }
        if (!follow || !origin || !Resolve(*origin, &u, &entry))
            return nullptr;
    }
    return nullptr;
}

bool Dwarf::Resolve(const DwarfAttribute &ref, const DwarfUnit **unit, uint32_t *entry) const {
    return ref.kind == DwarfAttribute::kReference && ref.value <= 0xFFFFFFFF &&
           EntryAt((uint32_t)ref.value, unit, entry);
}

bool Dwarf::EntryAt(uint32_t offset, const DwarfUnit **unit, uint32_t *entry) const {
    auto found = byOffset_.find(offset);
    if (found == byOffset_.end())
        return false;
    *unit = &units[found->second.first];
    *entry = found->second.second;
    return true;
}

std::string Dwarf::Text(const DwarfUnit &u, uint32_t entry, uint16_t name) const {
    const DwarfAttribute *a = Find(u, entry, name);
    return a && a->kind == DwarfAttribute::kString ? std::string((const char *)a->bytes, a->length) : "";
}

bool Dwarf::Number(const DwarfUnit &u, uint32_t entry, uint16_t name, uint64_t *value) const {
    const DwarfAttribute *a = Find(u, entry, name);
    if (!a || (a->kind != DwarfAttribute::kNumber && a->kind != DwarfAttribute::kSigned))
        return false;
    *value = a->value;
    return true;
}

bool Dwarf::Flag(const DwarfUnit &u, uint32_t entry, uint16_t name) const {
    uint64_t value = 0;
    return Number(u, entry, name, &value) && value != 0;
}

bool Dwarf::ReadLines(uint32_t offset, const std::string &compDir, DwarfLineTable *table, std::string *error) const {
    ByteCursor head(line, offset);
    uint32_t length = head.U32();
    if (!head.ok || length >= 0xFFFFFFF0 || length > line.size - offset - 4) {
        *error = Hex("the line program at 0x%llx runs past .debug_line", offset);
        return false;
    }
    size_t end = (size_t)offset + 4 + length;
    ByteCursor c({line.data, end}, head.pos);
    uint16_t version = c.U16();
    uint32_t headerLength = c.U32();
    uint64_t program = (uint64_t)c.pos + headerLength;
    uint8_t minLength = c.U8();
    if (version >= 4)
        c.U8();   // maximum operations per instruction: 1 on x86
    bool defaultIsStmt = c.U8() != 0;
    (void)defaultIsStmt;
    int8_t lineBase = (int8_t)c.U8();
    uint8_t lineRange = c.U8(), opcodeBase = c.U8();
    if (!c.ok || version < 2 || version > 4 || lineRange == 0 || opcodeBase == 0 || program > end) {
        *error = Hex("the line program at 0x%llx has a header this reader does not know", offset);
        return false;
    }
    std::vector<uint8_t> argumentCount(opcodeBase, 0);
    for (unsigned i = 1; i < opcodeBase; i++)
        argumentCount[i] = c.U8();
    std::vector<std::string> dirs;
    for (std::string dir = c.CString(); c.ok && !dir.empty(); dir = c.CString())
        dirs.push_back(JoinPath(compDir, dir));
    auto addFile = [&](const std::string &name, uint64_t dir) {
        table->files.push_back(JoinPath(dir == 0 || dir > dirs.size() ? compDir : dirs[dir - 1], name));
    };
    table->files.assign(1, "");
    for (std::string name = c.CString(); c.ok && !name.empty(); name = c.CString()) {
        uint64_t dir = c.Uleb();
        c.Uleb();
        c.Uleb();
        addFile(name, dir);
    }
    if (!c.ok) {
        *error = Hex("the file names of the line program at 0x%llx are damaged", offset);
        return false;
    }
    c.pos = (size_t)program;
    DwarfLineRow row;
    auto reset = [&] { row = DwarfLineRow(); row.file = 1; row.line = 1; };
    reset();
    while (c.ok && c.pos < end) {
        uint8_t op = c.U8();
        if (op >= opcodeBase) {
            unsigned adjusted = op - opcodeBase;
            row.address += (adjusted / lineRange) * minLength;
            row.line += lineBase + (int)(adjusted % lineRange);
            table->rows.push_back(row);
            continue;
        }
        switch (op) {
        case 0: {   // extended
            uint64_t size = c.Uleb();
            size_t start = c.pos;
            if (size == 0 || size > c.Left()) {
                c.ok = false;
                break;
            }
            uint8_t sub = c.U8();
            if (sub == 1) {
                row.endSequence = true;
                table->rows.push_back(row);
                reset();
            } else if (sub == 2) {
                if (size != 5) {
                    *error = Hex("the line program at 0x%llx uses addresses of another size", offset);
                    return false;
                }
                row.address = c.U32();
            } else if (sub == 3) {
                std::string name = c.CString();
                uint64_t dir = c.Uleb();
                addFile(name, dir);
            }
            c.pos = start + (size_t)size;
            break;
        }
        case 1: table->rows.push_back(row); break;
        case 2: row.address += (uint32_t)(c.Uleb() * minLength); break;
        case 3: row.line += (uint32_t)c.Sleb(); break;
        case 4: row.file = (uint32_t)c.Uleb(); break;
        case 8: row.address += ((255 - opcodeBase) / lineRange) * minLength; break;
        case 9: row.address += c.U16(); break;
        default:   // column, stmt, basic block, prologue, epilogue, isa, unknown: arguments skipped
            for (unsigned i = 0; i < argumentCount[op]; i++)
                c.Uleb();
        }
    }
    if (!c.ok) {
        *error = Hex("the line program at 0x%llx is damaged", offset);
        return false;
    }
    return true;
}

bool Dwarf::ReadRanges(uint32_t offset, uint32_t base, std::vector<std::pair<uint32_t, uint32_t>> *out,
                       std::string *error) const {
    ByteCursor c(ranges, offset);
    for (;;) {
        uint32_t begin = c.U32(), end = c.U32();
        if (!c.ok) {
            *error = Hex("the address ranges at 0x%llx run past .debug_ranges", offset);
            return false;
        }
        if (begin == 0 && end == 0)
            return true;
        if (begin == 0xFFFFFFFF)
            base = end;
        else if (end > begin)
            out->push_back({base + begin, base + end});
    }
}

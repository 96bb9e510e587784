// A reader of the DWARF 2 to 4 debugging information that gcc writes: the entries of
// .debug_info with their attributes (through .debug_abbrev and .debug_str), the line programs
// of .debug_line and the address ranges of .debug_ranges. It works on byte spans of a linked
// image, checks every offset and length against them, and reports what it cannot read
// instead of guessing. Units of another DWARF version (the MinGW runtime's DWARF 5, for
// instance) are passed over whole: their length says where the next one starts.
//
// The entries of a unit are kept in one array in the order of the file (parents before their
// children); each knows its parent, its first child and its next sibling by index, and its
// attributes are a slice of the unit's attribute array.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct ByteSpan {
    const uint8_t *data = nullptr;
    size_t size = 0;
};

// A bounds-checked reader over a span: a read past the end sets `ok` to false and yields 0.
struct ByteCursor {
    ByteSpan span;
    size_t pos = 0;
    bool ok = true;

    ByteCursor() = default;
    ByteCursor(ByteSpan s, size_t at) : span(s), pos(at) { ok = at <= s.size; }
    size_t Left() const { return ok && pos <= span.size ? span.size - pos : 0; }
    bool Take(size_t n);   // moves on n bytes, false (and not ok) when fewer are left
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    uint64_t Uleb();
    int64_t Sleb();
    // A NUL-terminated text; empty and not ok when the NUL is missing.
    std::string CString();
};

// DW_TAG_*, DW_AT_*, DW_FORM_* and DW_OP_* values used by the converter.
enum : uint16_t {
    kTagArrayType = 0x01, kTagEnumerationType = 0x04, kTagFormalParameter = 0x05,
    kTagLexicalBlock = 0x0b, kTagMember = 0x0d, kTagPointerType = 0x0f, kTagCompileUnit = 0x11,
    kTagStructureType = 0x13, kTagSubroutineType = 0x15, kTagTypedef = 0x16, kTagUnionType = 0x17,
    kTagUnspecifiedParameters = 0x18, kTagInlinedSubroutine = 0x1d, kTagSubrangeType = 0x21,
    kTagBaseType = 0x24, kTagConstType = 0x26, kTagEnumerator = 0x28, kTagSubprogram = 0x2e,
    kTagVariable = 0x34, kTagVolatileType = 0x35, kTagRestrictType = 0x37, kTagAtomicType = 0x47,
};
enum : uint16_t {
    kAtLocation = 0x02, kAtName = 0x03, kAtByteSize = 0x0b, kAtBitOffset = 0x0c, kAtBitSize = 0x0d,
    kAtStmtList = 0x10, kAtLowPc = 0x11, kAtHighPc = 0x12, kAtCompDir = 0x1b, kAtConstValue = 0x1c,
    kAtInline = 0x20, kAtProducer = 0x25, kAtUpperBound = 0x2f, kAtAbstractOrigin = 0x31,
    kAtCount = 0x37, kAtDataMemberLocation = 0x38, kAtDeclaration = 0x3c, kAtEncoding = 0x3e,
    kAtExternal = 0x3f, kAtFrameBase = 0x40, kAtSpecification = 0x47, kAtType = 0x49,
    kAtRanges = 0x55, kAtEntryPc = 0x52, kAtDataBitOffset = 0x6b,
};
enum : uint8_t {
    kOpAddr = 0x03, kOpPlusUconst = 0x23, kOpReg0 = 0x50, kOpBreg0 = 0x70, kOpFbreg = 0x91,
    kOpCallFrameCfa = 0x9c,
};

struct DwarfAttribute {
    enum Kind : uint8_t { kNumber, kSigned, kString, kBlock, kReference, kUnresolved };
    uint16_t name = 0;
    uint16_t form = 0;
    Kind kind = kNumber;
    uint64_t value = 0;              // number; signed number; reference: .debug_info offset
    const uint8_t *bytes = nullptr;  // block or text
    size_t length = 0;
    bool addressForm = false;        // DW_FORM_addr (matters for DW_AT_high_pc)
};

struct DwarfEntry {
    uint32_t offset = 0;        // in .debug_info
    uint16_t tag = 0;
    uint32_t parent = 0;        // index; the unit's root has none (kNone)
    uint32_t firstChild = 0;    // kNone when it has no children
    uint32_t nextSibling = 0;   // kNone for the last child
    uint32_t firstAttribute = 0, attributeCount = 0;
};

struct DwarfUnit {
    static constexpr uint32_t kNone = 0xFFFFFFFF;
    uint32_t offset = 0;   // of its header in .debug_info
    uint16_t version = 0;
    std::vector<DwarfEntry> entries;   // [0] is the compilation unit
    std::vector<DwarfAttribute> attributes;
};

struct DwarfLineRow {
    uint32_t address = 0;
    uint32_t file = 0;   // index into the table's files (1-based in DWARF; kept as such)
    uint32_t line = 0;
    bool endSequence = false;
};

struct DwarfLineTable {
    std::vector<std::string> files;   // [0] unused; full paths as the unit names them
    std::vector<DwarfLineRow> rows;
};

class Dwarf {
public:
    ByteSpan info, abbrev, line, str, ranges;
    std::vector<DwarfUnit> units;   // the units of versions 2 to 4, in file order

    // Reads every unit of .debug_info. False with the reason when a unit of version 2 to 4
    // uses something this reader cannot walk (an unknown form, an offset outside its
    // section, an address size other than 4, 64-bit DWARF).
    bool Read(std::string *error);

    // The attribute of an entry; with `follow`, also one inherited through
    // DW_AT_abstract_origin or DW_AT_specification. Null when there is none.
    const DwarfAttribute *Find(const DwarfUnit &u, uint32_t entry, uint16_t name, bool follow = true) const;
    // The entry a reference attribute names (any unit), or false.
    bool Resolve(const DwarfAttribute &ref, const DwarfUnit **unit, uint32_t *entry) const;
    // The entry at an offset of .debug_info, or false.
    bool EntryAt(uint32_t offset, const DwarfUnit **unit, uint32_t *entry) const;
    std::string Text(const DwarfUnit &u, uint32_t entry, uint16_t name) const;
    bool Number(const DwarfUnit &u, uint32_t entry, uint16_t name, uint64_t *value) const;
    bool Flag(const DwarfUnit &u, uint32_t entry, uint16_t name) const;

    // The line program at `offset` of .debug_line, its file names made absolute with the
    // unit's compilation directory. False with the reason when it is damaged.
    bool ReadLines(uint32_t offset, const std::string &compDir, DwarfLineTable *table, std::string *error) const;
    // The address ranges at `offset` of .debug_ranges, made absolute with `base`.
    bool ReadRanges(uint32_t offset, uint32_t base, std::vector<std::pair<uint32_t, uint32_t>> *out,
                    std::string *error) const;

private:
    std::unordered_map<uint32_t, std::pair<uint32_t, uint32_t>> byOffset_;   // entry offset -> unit, index
    bool ReadUnit(ByteCursor *c, uint32_t start, uint32_t end, uint16_t version, uint32_t abbrevOffset,
                  std::string *error);
    bool ReadValue(ByteCursor *c, uint16_t form, uint32_t unitOffset, uint16_t version, DwarfAttribute *a,
                   int depth, std::string *error) const;
};

// Joins a directory and a name the way the compiler meant them: an absolute name stands
// alone ("/x", "\x", "C:..."), else "dir/name".
std::string JoinPath(const std::string &dir, const std::string &name);

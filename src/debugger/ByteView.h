// A window on bytes read from a file: every read is checked against the window's end, and a
// read outside it gives 0. Callers still test Has() where a short field means damaged data.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

struct ByteView {
    const uint8_t *data = nullptr;
    size_t size = 0;

    ByteView() = default;
    ByteView(const uint8_t *d, size_t n) : data(d), size(d ? n : 0) {}

    // Offsets and lengths are 64-bit so that a sum of two values from the file cannot wrap.
    bool Has(uint64_t offset, uint64_t n) const { return offset <= size && n <= size - offset; }
    uint8_t U8(uint64_t o) const { return Has(o, 1) ? data[o] : 0; }
    uint16_t U16(uint64_t o) const {
        return Has(o, 2) ? static_cast<uint16_t>(data[o] | data[o + 1] << 8) : 0;
    }
    uint32_t U32(uint64_t o) const {
        if (!Has(o, 4))
            return 0;
        return static_cast<uint32_t>(data[o]) | static_cast<uint32_t>(data[o + 1]) << 8 |
               static_cast<uint32_t>(data[o + 2]) << 16 | static_cast<uint32_t>(data[o + 3]) << 24;
    }
    // The n bytes at o, or an empty view when they are not all inside.
    ByteView Sub(uint64_t o, uint64_t n) const {
        return Has(o, n) ? ByteView(data + o, static_cast<size_t>(n)) : ByteView();
    }
    // The bytes from o to the end (empty when o is outside).
    ByteView From(uint64_t o) const { return o <= size ? ByteView(data + o, size - static_cast<size_t>(o)) : ByteView(); }

    // A name of a length byte and that many characters at o; false when it runs past the end.
    bool Name(uint64_t o, std::string *name, size_t *next = nullptr) const {
        if (!Has(o, 1) || !Has(o + 1, data[o]))
            return false;
        name->assign(reinterpret_cast<const char *>(data + o + 1), data[o]);
        if (next)
            *next = static_cast<size_t>(o) + 1 + data[o];
        return true;
    }
    // A numeric leaf at o: a value below 0x8000 itself, else a leaf announcing a signed byte
    // (0x8000), a 16-bit (0x8001, 0x8002) or a 32-bit value (0x8003, 0x8004). Another leaf
    // at or above 0x8000 is taken as a plain 16-bit value. False when it runs past the end.
    bool Numeric(uint64_t o, uint32_t *value, size_t *next) const {
        if (!Has(o, 2))
            return false;
        uint16_t leaf = U16(o);
        size_t width = leaf == 0x8000                     ? 1
                       : leaf == 0x8001 || leaf == 0x8002 ? 2
                       : leaf == 0x8003 || leaf == 0x8004 ? 4
                                                          : 0;
        if (width == 0) {
            *value = leaf;
            *next = static_cast<size_t>(o) + 2;
            return true;
        }
        if (!Has(o + 2, width))
            return false;
        if (width == 1)
            *value = static_cast<uint32_t>(static_cast<int8_t>(data[o + 2]));
        else if (width == 2)
            *value = leaf == 0x8001 ? static_cast<uint32_t>(static_cast<int16_t>(U16(o + 2))) : U16(o + 2);
        else
            *value = U32(o + 2);
        *next = static_cast<size_t>(o) + 2 + width;
        return true;
    }
};

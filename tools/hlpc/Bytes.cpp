#include "tools/hlpc/Bytes.h"

#include <stdexcept>

namespace hlpc {

void PutU8(Bytes& out, std::uint8_t v) {
    out.push_back(v);
}

void PutU16(Bytes& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void PutU32(Bytes& out, std::uint32_t v) {
    PutU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

void PutBytes(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

void PutText(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

void PatchU32(Bytes& out, std::size_t at, std::uint32_t v) {
    if (at + 4 > out.size()) throw std::out_of_range("patch beyond the end of the data");
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutCUShort(Bytes& out, std::uint32_t v) {
    if (v < 0x80) {
        PutU8(out, static_cast<std::uint8_t>(v * 2));
    } else if (v < 0x8000) {
        PutU16(out, static_cast<std::uint16_t>(v * 2 + 1));
    } else {
        throw std::out_of_range("value too large for a compressed unsigned short");
    }
}

void PutCSShort(Bytes& out, std::int32_t v) {
    if (v >= -0x40 && v < 0x40) {
        PutU8(out, static_cast<std::uint8_t>((v + 0x40) * 2));
    } else if (v >= -0x4000 && v < 0x4000) {
        PutU16(out, static_cast<std::uint16_t>((v + 0x4000) * 2 + 1));
    } else {
        throw std::out_of_range("value out of range for a compressed signed short");
    }
}

void PutCSLong(Bytes& out, std::int64_t v) {
    if (v >= -0x4000 && v < 0x4000) {
        PutU16(out, static_cast<std::uint16_t>((v + 0x4000) * 2));
    } else if (v >= -0x4000000 && v < 0x80000000LL - 0x4000000) {
        PutU32(out, static_cast<std::uint32_t>((v + 0x4000000) * 2 + 1));
    } else {
        throw std::out_of_range("value out of range for a compressed signed long");
    }
}

}  // namespace hlpc

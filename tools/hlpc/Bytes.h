// Little-endian byte output and the packed integers of the help file format.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace hlpc {

using Bytes = std::vector<std::uint8_t>;

void PutU8(Bytes& out, std::uint8_t v);
void PutU16(Bytes& out, std::uint16_t v);
void PutU32(Bytes& out, std::uint32_t v);
void PutBytes(Bytes& out, const Bytes& more);
// The characters as they are, without a terminator.
void PutText(Bytes& out, std::string_view text);
// Overwrites four bytes at `at` (for sizes and offsets known only later).
void PatchU32(Bytes& out, std::size_t at, std::uint32_t v);

// The viewer's compressed integers: the low bit of the first byte tells the
// long form. Each throws std::out_of_range for a value neither form holds.
void PutCUShort(Bytes& out, std::uint32_t v);  // 0 .. 32767
void PutCSShort(Bytes& out, std::int32_t v);   // -16384 .. 16383
void PutCSLong(Bytes& out, std::int64_t v);    // -67108864 .. 2080374783

}  // namespace hlpc

#pragma once
// The integers and the unsynchronisation of ID3v2's stored form, in one place
// for every reader of a tag's bytes.
#include <cstdint>
#include <string>
#include <string_view>

namespace vela {

inline unsigned Byte(std::string_view bytes, size_t at)
{
    return static_cast<unsigned char>(bytes[at]);
}

// `count` bytes at `at`, most significant first.
std::uint32_t BigEndian(std::string_view bytes, size_t at, int count);
void PutBigEndian(std::string& out, std::uint32_t value, int count);

// Four bytes of seven bits each, as ID3v2 stores the tag's size and ID3v2.4
// its frame sizes. False when a byte has its top bit set: then these are no
// syncsafe digits.
bool Syncsafe(std::string_view bytes, size_t at, std::uint32_t& value);
void PutSyncsafe(std::string& out, std::uint32_t value);

// The bytes from `from` on with each FF 00 turned back into FF; those before
// `from` are kept as they are.
std::string Resynchronise(std::string_view bytes, size_t from);

} // namespace vela

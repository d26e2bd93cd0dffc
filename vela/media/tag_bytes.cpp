#include "vela/media/tag_bytes.h"

namespace vela {

std::uint32_t BigEndian(std::string_view bytes, size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | Byte(bytes, at + i);
    return value;
}

void PutBigEndian(std::string& out, std::uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i) & 0xFF);
}

bool Syncsafe(std::string_view bytes, size_t at, std::uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4; ++i) {
        if (Byte(bytes, at + i) & 0x80)
            return false;
        value = value << 7 | Byte(bytes, at + i);
    }
    return true;
}

void PutSyncsafe(std::string& out, std::uint32_t value)
{
    for (int i = 3; i >= 0; --i)
        out += static_cast<char>(value >> (7 * i) & 0x7F);
}

std::string Resynchronise(std::string_view bytes, size_t from)
{
    std::string out(bytes.substr(0, from));
    out.reserve(bytes.size());
    for (size_t i = from; i < bytes.size(); ++i) {
        out += bytes[i];
        if (Byte(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0)
            ++i;
    }
    return out;
}

} // namespace vela

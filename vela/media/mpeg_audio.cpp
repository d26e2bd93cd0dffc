#include "vela/media/mpeg_audio.h"

namespace vela {

MpegFrameLength FirstMpegFrameLength(const std::string& bytes)
{
    const unsigned kRates[] = {44100, 48000, 32000};
    for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        const auto b2 = static_cast<unsigned char>(bytes[i + 2]);
        // Eleven set bits of sync; then version (01 is reserved), layer (00
        // is reserved), bit rate (1111 is invalid) and sample rate (11 is
        // reserved).
        if (static_cast<unsigned char>(bytes[i]) != 0xFF || (b1 & 0xE0) != 0xE0)
            continue;
        const unsigned version = b1 >> 3 & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
        const unsigned layer = b1 >> 1 & 3;    // 3: I, 2: II, 1: III
        const unsigned rate = b2 >> 2 & 3;
        if (version == 1 || layer == 0 || (b2 >> 4) == 15 || rate == 3)
            continue;
        MpegFrameLength length;
        length.rate = kRates[rate] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
        length.samples = layer == 3 ? 384 : layer == 2 || version == 3 ? 1152 : 576;
        return length;
    }
    return MpegFrameLength();
}

} // namespace vela

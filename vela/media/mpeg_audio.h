#pragma once
// The length of an MPEG audio frame, read from the first frame header in
// the bytes that follow a track's tag: what SYLT time stamps counted in
// frames need.
#include <string>

namespace vela {

struct MpegFrameLength {
    unsigned samples = 0;  // per frame; 0: no frame found
    unsigned rate = 0;     // samples per second
};

// The first valid MPEG-1, 2 or 2.5 header of layer I, II or III in `bytes`.
MpegFrameLength FirstMpegFrameLength(const std::string& bytes);

} // namespace vela

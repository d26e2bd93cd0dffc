#pragma once
// What a conversion into the ANSI code page lost: characters that the code
// page cannot hold come out as the default character "?" or as a look-alike
// (best fit: "é" as "e" under code page 932).
#include "vela/text.h"

#include <string>

struct CodePageLoss {
    size_t lost = 0;      // characters not written exactly
    size_t asDefault = 0; // of those, how many became the default character
};

// Compares `text` with `ansi`, its conversion by ToAnsi. Text that is all
// ASCII, or that converts back unchanged, costs one pass or one conversion.
CodePageLoss MeasureLoss(const WString& text, const std::string& ansi);

#pragma once
// The program's one way between UTF-16 and the bytes of a code page: the ANSI
// code page of the lyrics files, UTF-8 for the console and the Unix names, or
// the legacy code pages of old tags. WideCharToMultiByte and
// MultiByteToWideChar are called here and nowhere else.
#include "vela/text.h"

#include <string>

namespace vela {

// `size` bytes of `codePage` as UTF-16. With flags 0 bytes that mean nothing
// there become U+FFFD or whatever the code page maps them to; with
// MB_ERR_INVALID_CHARS they make it fail. False, and `text` empty, when the
// platform refuses; no bytes give an empty text and true.
bool ToWide(UINT codePage, const char* bytes, size_t size, WString& text, DWORD flags = 0);

// `size` UTF-16 units in `codePage`. With flags 0 characters that the code
// page lacks become its default character or a look-alike; with
// WC_ERR_INVALID_CHARS (UTF-8 only) an unpaired surrogate makes it fail.
// False, and `bytes` empty, when the platform refuses.
bool FromWide(UINT codePage, const WCHAR* text, size_t size, std::string& bytes, DWORD flags = 0);

} // namespace vela

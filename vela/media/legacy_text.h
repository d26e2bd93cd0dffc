#pragma once
// Lyrics stored under the ISO-8859-1 flag whose bytes are in fact UTF-8, or
// text in the ANSI code page of a Japanese, Chinese, Korean, Cyrillic, Greek,
// Hebrew or Arabic Windows, as many taggers wrote them. libid3tag reads such
// a field one character per byte; this reads those bytes again.
#include "vela/text.h"

namespace vela {

// `text` is what libid3tag made of a field flagged ISO-8859-1 (or the LRC
// text made of such a SYLT frame), so each character stands for one stored
// byte. The bytes are read, in this order:
// as UTF-8, less a leading byte-order mark, when they are strictly
// well-formed UTF-8 with at least one multi-byte sequence; in the ANSI code
// page when that is a double-byte one and the bytes are valid there, hold at
// least one double-byte character and give no private-use character; in the
// ANSI code page when that is 1251, 1253, 1255 or 1256, every high byte is
// defined there and three or more high bytes in a row are letters of its
// script; otherwise as Latin-1, unchanged. Genuine Latin-1 seldom passes
// these tests. In a UTF-8 process the user's locale gives the code page.
// False, and `lyrics` untouched, when a character is beyond one byte or the
// text is too long to convert: the library's reading then stands.
bool ReadLegacyLyrics(const WString& text, WString& lyrics);

} // namespace vela

#pragma once
// GoogleTest through this header only, and before <windows.h>: winegcc defines
// _WIN32, which would send gtest's headers down their Windows branch while the
// library linked in is Debian's Linux build.
#pragma push_macro("_WIN32")
#undef _WIN32
#include <gtest/gtest.h>
#pragma pop_macro("_WIN32")

#pragma once
// How the launcher tells Wine's failures from the program's: it names a file
// in this variable before it starts the program, and the program removes it
// first thing. A run that ends with the file still there never reached the
// program (Wine's server or loader failed, often without a word), and the
// launcher says so; every later end is the program's to report.
#include <windows.h>

extern const WCHAR StartMarkVariable[];

// Removes the file the variable names, if any, and unsets the variable, so
// that programs this one starts do not inherit it.
void RemoveStartMark();

// The program's version: the version resource, the build (and so the Debian
// package and its manual page) and the launcher's --version read it here.
// Keep the two forms equal; the build refuses to configure otherwise.
#pragma once

#define TAGSCRIBE_VERSION           1,0,0,0
#define TAGSCRIBE_VERSION_TEXT      "1.0.0"
// The day this version was made, for the package's change log and the
// manual page.
#define TAGSCRIBE_VERSION_DATE      "2026-12-08"

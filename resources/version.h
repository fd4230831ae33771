#pragma once
// The program's version texts, each written once. The resource script and the
// code include this header; the build writes the manifest's version from it.

// The version resource: FILEVERSION / PRODUCTVERSION and their texts.
#define SKORVEL_VERSION_FIELDS 1, 4, 1, 0
#define SKORVEL_VERSION_TEXT SKORVEL_DOTTED(SKORVEL_VERSION_FIELDS)

// The manifest's assembly version, which differs from the file version.
#define SKORVEL_MANIFEST_VERSION "3.1.0.0"

// The about box.
#define SKORVEL_ABOUT_TEXT L"Skorvel - wersja 1.4.0.0"

#define SKORVEL_STRING(text) #text
#define SKORVEL_DOTTED_FIELDS(a, b, c, d) SKORVEL_STRING(a.b.c.d)
#define SKORVEL_DOTTED(fields) SKORVEL_DOTTED_FIELDS(fields)

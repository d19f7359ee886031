// What pelorix-layout says about the tables that the last LoadLayout built:
// a report in plain words with warnings, and a tab-separated dump.
#pragma once

#include <cstdint>
#include <cstdio>

// Style word in names: "WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON"; class bits
// are named by the control type, bits without a name stay in hex.
void FormatStyle(int type, int32_t style, char* buffer, int size);

// Writes text with C escapes: \\ \n \r \t \" and \xHH for any other byte
// below 0x20 or above 0x7E.
void WriteEscaped(FILE* out, const char* text);

// Every slot's text and control, then the warnings about the loaded file at
// path (path is read again for its line ends). Returns the number of warnings.
int ReportLayout(FILE* out, const char* path);

// One line per slot: slot, type, style, x, y, width, height, escaped text.
void DumpLayout(FILE* out);

// The program's files: the layout file's base path (PELORIX.h) beside the
// executable, the settings file's (PELORIX.ini) beside it too or in the
// user's APPDATA folder, and the layout load that ends the program when the
// file is missing.
#pragma once

#include <windows.h>

#include "window/layout.h"

// Windows takes both separators, and a typed answer may hold either.
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The part of path after its last separator: the file's name.
const char* FileNameOf(const char* path);

extern char layoutBasePath[PathSize];   // "" when the executable was not found
extern char settingsPath[PathSize];     // written at exit; "" when the executable was not found
extern char settingsReadPath[PathSize]; // read at start-up; "" likewise

// Finds PELORIX.exe with SearchPathA in the standard search order and derives
// the paths from it: the "exe" cut off, "h" or "ini" appended. The settings
// stay there while a file can be made in that folder; otherwise they are
// %APPDATA%\PELORIX\PELORIX.ini (its folder made), read from there once it
// exists and until then from beside the executable. Ok, or Failed with the
// paths empty when it is not found or its path does not fit.
int FindProgramPaths();

// LoadLayout from layoutBasePath. When even the base file is missing:
// "I need <path>" in a message box captioned "Error" owned by owner, the quit
// message posted, and Failed.
int LoadProgramLayout(HWND owner, int& languageNumber);

// The program's files beside its executable: the layout file's base path
// (PELORIX.h) and the settings file's path (PELORIX.ini), and the layout
// load that ends the program when the file is missing.
#pragma once

#include <windows.h>

#include "window/layout.h"

extern char layoutBasePath[PathSize];   // "" when the executable was not found
extern char settingsPath[PathSize];     // "" when the executable was not found

// Finds PELORIX.exe with SearchPathA in the standard search order and derives
// both paths from it: the "exe" cut off, "h" or "ini" appended. Ok, or Failed
// with both paths empty when it is not found or its path does not fit.
int FindProgramPaths();

// LoadLayout from layoutBasePath. When even the base file is missing:
// "I need <path>" in a message box captioned "Error" owned by owner, the quit
// message posted, and Failed.
int LoadProgramLayout(HWND owner, int& languageNumber);

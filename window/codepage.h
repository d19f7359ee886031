// Text in the program's code page and in the files it reads and writes.
// The manifest asks for UTF-8 as the process code page (honoured from
// Windows 10 1903 on, and by Wine): then a name in any script passes through
// the ANSI functions. Elsewhere the process code page is the ANSI one, as it
// always was. Files written before hold text in the system's ANSI code page;
// a text in a file that is valid UTF-8 is read as UTF-8, any other text in
// that ANSI code page.
#pragma once

#include <windows.h>

// Whether text is valid UTF-8 (plain ASCII is).
bool IsUtf8(const char* text);

// name into text (size bytes) in the program's code page. Ok, or Failed when
// it does not fit or the code page cannot say it exactly.
int TextFromWide(const wchar_t* name, char* text, int size);

// A text as a file holds it into text in the program's code page. Ok, or
// Failed when it does not fit, or for an exact text (a path) when the code
// page cannot say it exactly; a caption may take the nearest letters.
int TextFromFile(const char* stored, char* text, int size, bool exact);

// text as PELORIX.ini keeps it: in the ANSI code page when that says it
// exactly and cannot be taken for UTF-8, so that what an older copy wrote is
// written as it was; otherwise in UTF-8, as it is. Never longer than text.
void TextForFile(const char* text, char* stored, int size);

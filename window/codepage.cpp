// Between the program's code page, the system's ANSI code page and UTF-8,
// through UTF-16. Window thread only: the conversions share one buffer.
#include "window/codepage.h"

#include <cstdio>
#include <cwchar>

#include "codec/streamformat.h"
#include "window/layout.h"

static wchar_t wideText[TextArenaSize];   // the longest text: a layout's one text filling the arena

static bool IsAscii(const char* text)
{
    while (*text && static_cast<unsigned char>(*text) < 0x80) text++;
    return *text == 0;
}

bool IsUtf8(const char* text)
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0) > 0;
}

// The ANSI code page of the system, which files written before hold: under
// the UTF-8 process code page the locale's, else the process's own.
static UINT StoredCodePage()
{
    static UINT codePage;
    wchar_t number[8];
    if (codePage == 0 && GetACP() == CP_UTF8 &&
        GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, number, 8) > 0)
        codePage = static_cast<UINT>(wcstoul(number, nullptr, 10));
    if (codePage == 0) codePage = GetACP();
    return codePage;
}

// The best-fit letters a code page would put in for those it lacks change a
// name into another one; UTF-8 lacks none, but a lone surrogate it refuses.
static int Narrow(const wchar_t* wide, UINT codePage, char* text, int size, bool exact)
{
    BOOL inexact = FALSE;
    bool utf8 = codePage == CP_UTF8;
    DWORD flags = utf8 ? (exact ? WC_ERR_INVALID_CHARS : 0) : (exact ? WC_NO_BEST_FIT_CHARS : 0);
    int length = WideCharToMultiByte(codePage, flags, wide, -1, text, size, nullptr, utf8 ? nullptr : &inexact);
    return length > 0 && !(exact && inexact) ? Ok : Failed;
}

static int Copy(const char* text, char* out, int size)
{
    return snprintf(out, size, "%s", text) < size ? Ok : Failed;
}

static int Recode(const char* text, UINT from, UINT to, char* out, int size, bool exact)
{
    if (from == to) return Copy(text, out, size);
    if (MultiByteToWideChar(from, 0, text, -1, wideText, TextArenaSize) == 0) return Failed;
    return Narrow(wideText, to, out, size, exact);
}

int TextFromWide(const wchar_t* name, char* text, int size)
{
    return Narrow(name, GetACP(), text, size, true);
}

int TextFromFile(const char* stored, char* text, int size, bool exact)
{
    if (IsAscii(stored)) return Copy(stored, text, size);   // the common case, read alike in every code page
    return Recode(stored, IsUtf8(stored) ? CP_UTF8 : StoredCodePage(), GetACP(), text, size, exact);
}

void TextForFile(const char* text, char* stored, int size)
{
    UINT ansi = StoredCodePage();
    if (!IsAscii(text) && GetACP() == CP_UTF8 && ansi != CP_UTF8 &&
        Recode(text, CP_UTF8, ansi, stored, size, true) == Ok && !IsUtf8(stored))
        return;
    Copy(text, stored, size);
}

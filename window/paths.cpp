// Locating the executable, the paths derived from it, and the layout load.
#include "window/paths.h"

#include <cstdio>
#include <cstring>

#include "codec/streamformat.h"

char layoutBasePath[PathSize];
char settingsPath[PathSize];

static char messageText[PathSize];

int FindProgramPaths()
{
    char found[PathSize];
    layoutBasePath[0] = 0;
    settingsPath[0] = 0;
    // A result of PathSize or more is the size a longer path would need.
    DWORD length = SearchPathA(nullptr, "PELORIX", ".exe", PathSize, found, nullptr);
    if (length < 3 || length >= static_cast<DWORD>(PathSize)) return Failed;
    found[length - 3] = 0;
    strcpy(layoutBasePath, found);
    strcat(layoutBasePath, "h");
    strcpy(settingsPath, found);
    strcat(settingsPath, "ini");
    return Ok;
}

int LoadProgramLayout(HWND owner, int& languageNumber)
{
    if (LoadLayout(layoutBasePath, languageNumber) == Ok) return Ok;
    // 7 + 292 bytes: the path is cut to the message buffer.
    snprintf(messageText, PathSize, "I need %.292s", layoutBasePath);
    MessageBoxA(owner, messageText, "Error", MB_OK);
    PostQuitMessage(0);
    return Failed;
}

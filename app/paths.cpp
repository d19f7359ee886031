// Locating the executable and the paths derived from it.
#include "app/paths.h"

#include <cstring>

#include <windows.h>

#include "codec/streamformat.h"

char layoutBasePath[PathSize];
char settingsPath[PathSize];

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

// Locating the executable, the paths derived from it, and the layout load.
#include "window/paths.h"

#include <cstdio>
#include <cstring>

#include <shlobj.h>

#include "codec/streamformat.h"
#include "window/codepage.h"

char layoutBasePath[PathSize];
char settingsPath[PathSize];
char settingsReadPath[PathSize];

static const char* const ProbeSuffix = ".try";
static const char* const UserSettingsName = "\\PELORIX.ini";   // in the user's PELORIX folder

static char messageText[PathSize];

// Whether a file can be made beside path: path + ".try" made and gone at once. Shared, so that two starts
// at the same moment decide alike; a folder of that name counts as a folder that can't be written.
static bool CanWriteBeside(const char* path)
{
    char probe[PathSize];
    if (strlen(path) + strlen(ProbeSuffix) >= static_cast<size_t>(PathSize)) return false;
    strcpy(probe, path);
    strcat(probe, ProbeSuffix);
    HANDLE file = CreateFileA(probe, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// The user's own settings file, %APPDATA%\PELORIX\PELORIX.ini, into path with its folder made. Failed when
// there is no such folder or the path does not fit.
static int FindUserSettingsPath(char* path)
{
    char folder[PathSize];   // SHGetFolderPathA needs MAX_PATH
    DWORD length = GetEnvironmentVariableA("APPDATA", folder, PathSize);
    if ((length == 0 || length >= static_cast<DWORD>(PathSize)) &&
        SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        return Failed;
    int used = snprintf(path, PathSize, "%s\\PELORIX", folder);
    if (used < 0 || used + static_cast<int>(strlen(UserSettingsName)) >= PathSize) return Failed;
    CreateDirectoryA(path, nullptr);   // there already, or the write at exit fails and keeps quiet
    strcat(path, UserSettingsName);
    return Ok;
}

int FindProgramPaths()
{
    char found[PathSize], user[PathSize];
    layoutBasePath[0] = 0;
    settingsPath[0] = 0;
    settingsReadPath[0] = 0;
    // A result of PathSize or more is the size a longer path would need.
    DWORD length = SearchPathA(nullptr, "PELORIX", ".exe", PathSize, found, nullptr);
    if (length < 3 || length >= static_cast<DWORD>(PathSize)) return Failed;
    found[length - 3] = 0;
    strcpy(layoutBasePath, found);
    strcat(layoutBasePath, "h");
    strcpy(settingsPath, found);
    strcat(settingsPath, "ini");
    strcpy(settingsReadPath, settingsPath);
    // Under Program Files a standard account can't write beside the executable: the user's own file then,
    // and until it exists the one beside (an installed default or an older copy's).
    if (CanWriteBeside(settingsPath) || FindUserSettingsPath(user) != Ok) return Ok;
    strcpy(settingsPath, user);
    if (GetFileAttributesA(user) != INVALID_FILE_ATTRIBUTES) strcpy(settingsReadPath, user);
    return Ok;
}

int LoadProgramLayout(HWND owner, int& languageNumber)
{
    // A layout written in the ANSI code page before shows as it did.
    auto recode = [](const char* text, char* out, int size) { return TextFromFile(text, out, size, false); };
    if (LoadLayout(layoutBasePath, languageNumber, recode) == Ok) return Ok;
    // 7 + 292 bytes: the path is cut to the message buffer.
    snprintf(messageText, PathSize, "I need %.292s", layoutBasePath);
    MessageBoxA(owner, messageText, "Error", MB_OK);
    PostQuitMessage(0);
    return Failed;
}

const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* c = path; *c; c++)
        if (IsSeparator(*c)) name = c + 1;
    return name;
}

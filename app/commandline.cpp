// The command line's items and their hand-over by WM_COPYDATA: the block sent
// is the sender's settings path, then each item, every one ending in a NUL;
// its tag says whether the first item plays or all are only added (/add).
#include "app/commandline.h"

#include <cstring>

#include <shellapi.h>

#include "codec/streamformat.h"
#include "ui/items.h"
#include "window/codepage.h"
#include "window/paths.h"

const ULONG_PTR HandOverTag = 0x50584931;   // "PXI1": this block, from this program
const ULONG_PTR AddOverTag = 0x50584132;    // "PXA2": the same block, nothing to play
const int ItemBlockSize = 65536;            // items past it are dropped
const UINT HandOverMillis = 10000;          // a window that is not hung may take longer

static char itemBlock[ItemBlockSize];
static int blockLength;   // bytes used, the settings path's included
static int pathLength;    // bytes of the settings path with its NUL
static int itemCount;
static HWND taker;        // the window that took the items
static bool addOnly;      // /add given: the items go in, what plays goes on

int ReadCommandLine()
{
    pathLength = static_cast<int>(strlen(settingsPath)) + 1;
    memcpy(itemBlock, settingsPath, static_cast<size_t>(pathLength));
    blockLength = pathLength;
    itemCount = 0;
    addOnly = false;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return 0;
    char item[PathSize], path[PathSize];
    for (int i = 1; i < count; i++) {
        if (lstrcmpiW(arguments[i], L"/add") == 0) {
            addOnly = true;
            continue;
        }
        if (TextFromWide(arguments[i], item, PathSize) != Ok || ResolveItem(item, path) != Ok) continue;
        int length = static_cast<int>(strlen(path)) + 1;
        if (blockLength + length > ItemBlockSize) break;
        memcpy(itemBlock + blockLength, path, static_cast<size_t>(length));
        blockLength += length;
        itemCount++;
    }
    LocalFree(arguments);
    return itemCount;
}

static BOOL CALLBACK OfferItems(HWND window, LPARAM className)
{
    char name[64];
    if (!GetClassNameA(window, name, sizeof name) || strcmp(name, reinterpret_cast<const char*>(className)) != 0)
        return TRUE;
    // Whoever takes them may come to the front itself, as this start could.
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    AllowSetForegroundWindow(process);
    COPYDATASTRUCT data = {addOnly ? AddOverTag : HandOverTag, static_cast<DWORD>(blockLength), itemBlock};
    DWORD_PTR answer = FALSE;
    if (!SendMessageTimeoutA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG, HandOverMillis, &answer) || answer != TRUE)
        return TRUE;
    taker = window;
    return FALSE;
}

int HandItemsOver(const char* className)
{
    if (itemCount == 0 || !settingsPath[0]) return Failed;
    taker = nullptr;
    EnumWindows(OfferItems, reinterpret_cast<LPARAM>(className));
    if (!taker) return Failed;
    if (IsIconic(taker)) ShowWindowAsync(taker, SW_RESTORE);
    SetForegroundWindow(taker);
    return Ok;
}

LRESULT TakeHandedItems(HWND window, const COPYDATASTRUCT* data)
{
    if (!data || (data->dwData != HandOverTag && data->dwData != AddOverTag) || !data->lpData || data->cbData == 0) return FALSE;
    const char* block = static_cast<const char*>(data->lpData);
    size_t size = data->cbData;
    if (block[size - 1] != 0 || !settingsPath[0] || lstrcmpiA(block, settingsPath) != 0) return FALSE;
    size_t itemsStart = strlen(block) + 1;
    int count = 0;
    for (size_t i = itemsStart; i < size; i++) count += block[i] == 0;
    AddItems(window, block + itemsStart, count, data->dwData == HandOverTag);
    return TRUE;
}

void AddCommandItems(HWND window)
{
    if (itemCount > 0) AddItems(window, itemBlock + pathLength, itemCount, !addOnly);
}

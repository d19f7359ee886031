// The open-file dialog, answered by the tests, and the find functions over
// the real file system with the names, order and attributes Windows gives.
// Neither takes the window lock or sends a message.
#include "fakeinternal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include <commdlg.h>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

static std::mutex filesLock;
static std::deque<std::pair<bool, std::string>>& answers = *new std::deque<std::pair<bool, std::string>>;
static std::vector<FakeOpenFileCall>& dialogCalls = *new std::vector<FakeOpenFileCall>;
static DWORD dialogError;
static std::string& startDirectory = *new std::string;

struct Search {
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next;
};
static std::map<HANDLE, std::unique_ptr<Search>>& searches = *new std::map<HANDLE, std::unique_ptr<Search>>;
static uintptr_t searchSerial;

static void RememberStartDirectory()
{
    if (!startDirectory.empty()) return;
    char here[4096];
    if (getcwd(here, sizeof here)) startDirectory = here;
}

void ResetFiles()
{
    std::lock_guard<std::mutex> hold(filesLock);
    RememberStartDirectory();
    if (chdir(startDirectory.c_str()) != 0) startDirectory.clear();
    answers.clear();
    dialogCalls.clear();
    dialogError = 0;
    searches.clear();
}

void FakeQueueOpenFileAnswer(const char* path)
{
    std::lock_guard<std::mutex> hold(filesLock);
    answers.emplace_back(path != nullptr, path ? path : "");
}

int FakeOpenFileCalls()
{
    std::lock_guard<std::mutex> hold(filesLock);
    return static_cast<int>(dialogCalls.size());
}

FakeOpenFileCall FakeLastOpenFileCall()
{
    std::lock_guard<std::mutex> hold(filesLock);
    return dialogCalls.empty() ? FakeOpenFileCall{} : dialogCalls.back();
}

int FakeFindHandlesOpen()
{
    std::lock_guard<std::mutex> hold(filesLock);
    return static_cast<int>(searches.size());
}

static size_t NamePart(const std::string& path)
{
    size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? 0 : separator + 1;
}

static std::string UnixPath(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// The real dialog is modal and returns when the user closes it; this one
// answers at once with what a test queued.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request)
{
    std::lock_guard<std::mutex> hold(filesLock);
    RememberStartDirectory();
    FakeOpenFileCall call{*request, "", ""};
    if (request->lpstrFile) call.initialFile.assign(request->lpstrFile, strnlen(request->lpstrFile, request->nMaxFile));
    for (const char* c = request->lpstrFilter; c && (c[0] || c[1]); c++) call.filter += *c;
    if (request->lpstrFilter) call.filter += std::string(2, '\0');
    dialogCalls.push_back(call);
    dialogError = 0;
    if (request->lStructSize != sizeof(OPENFILENAMEA) && request->lStructSize != OPENFILENAME_SIZE_VERSION_400A) {
        dialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!request->lpstrFile || request->nMaxFile == 0) {
        dialogError = FNERR_INVALIDFILENAME;
        return FALSE;
    }
    if (answers.empty()) return FALSE;
    std::pair<bool, std::string> answer = answers.front();
    answers.pop_front();
    if (!answer.first) return FALSE;
    const std::string& path = answer.second;
    if (path.size() + 1 > request->nMaxFile) {
        // The size it would need, in the buffer's first two bytes.
        WORD needed = static_cast<WORD>(path.size() + 1);
        if (request->nMaxFile >= 2) memcpy(request->lpstrFile, &needed, sizeof needed);
        dialogError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    memcpy(request->lpstrFile, path.c_str(), path.size() + 1);
    size_t name = NamePart(path);
    size_t dot = path.find_last_of('.');
    request->nFileOffset = static_cast<WORD>(name);
    request->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= name ? dot + 1 : 0);
    if (request->lpstrFileTitle && request->nMaxFileTitle > 0) {
        std::string title = path.substr(name, request->nMaxFileTitle - 1);
        memcpy(request->lpstrFileTitle, title.c_str(), title.size() + 1);
    }
    // Without OFN_NOCHANGEDIR the dialog leaves the process in the folder it showed last.
    if (!(request->Flags & OFN_NOCHANGEDIR) && name > 0) {
        struct stat status;
        std::string folder = UnixPath(path.substr(0, name));
        if (stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
            int moved = chdir(folder.c_str());   // a folder that just went away: it stays
            (void)moved;
        }
    }
    return TRUE;
}

DWORD WINAPI CommDlgExtendedError()
{
    std::lock_guard<std::mutex> hold(filesLock);
    return dialogError;
}

// Windows' wildcards: '*' any run, '?' one character, any case; a pattern
// ending in ".*" also takes the name without an extension, so "*.*" takes all.
static bool Matches(const char* pattern, const char* name)
{
    if (!*pattern) return !*name;
    if (*pattern == '*') {
        for (const char* rest = name;; rest++) {
            if (Matches(pattern + 1, rest)) return true;
            if (!*rest) return false;
        }
    }
    if (!*name) return strcmp(pattern, ".*") == 0;
    if (*pattern == '?' || tolower(static_cast<unsigned char>(*pattern)) == tolower(static_cast<unsigned char>(*name)))
        return Matches(pattern + 1, name + 1);
    return false;
}

static bool Entry(const std::string& folder, const std::string& name, WIN32_FIND_DATAA& found)
{
    struct stat status;
    if (name.size() >= MAX_PATH || stat((folder + "/" + name).c_str(), &status) != 0) return false;
    memset(&found, 0, sizeof found);
    found.dwFileAttributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(status.st_mode & S_IWUSR)) found.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    if (name[0] == '.' && name != "." && name != "..") found.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
    uint64_t size = S_ISDIR(status.st_mode) ? 0 : static_cast<uint64_t>(status.st_size);
    found.nFileSizeLow = static_cast<DWORD>(size);
    found.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    memcpy(found.cFileName, name.c_str(), name.size() + 1);
    return true;
}

// NTFS order: "." and ".." first, then by name compared without case; names
// equal but for case (Linux allows both) keep a fixed order.
static bool Before(const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b)
{
    auto rank = [](const char* name) { return strcmp(name, ".") == 0 ? 0 : strcmp(name, "..") == 0 ? 1 : 2; };
    if (rank(a.cFileName) != rank(b.cFileName)) return rank(a.cFileName) < rank(b.cFileName);
    for (const char *x = a.cFileName, *y = b.cFileName;; x++, y++) {
        int d = toupper(static_cast<unsigned char>(*x)) - toupper(static_cast<unsigned char>(*y));
        if (d || !*x) return d ? d < 0 : strcmp(a.cFileName, b.cFileName) < 0;
    }
}

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    std::string whole = pattern ? pattern : "";
    if (whole.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }
    size_t name = NamePart(whole);
    std::string folder = name ? UnixPath(whole.substr(0, name)) : "./";
    std::string namePattern = whole.substr(name);
    DIR* listing = opendir(folder.c_str());
    if (!listing) {
        SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_unique<Search>();
    search->next = 0;
    bool wildcards = namePattern.find_first_of("*?") != std::string::npos;
    while (dirent* item = readdir(listing)) {
        bool taken = wildcards ? Matches(namePattern.c_str(), item->d_name)
                               : strcasecmp(namePattern.c_str(), item->d_name) == 0;
        WIN32_FIND_DATAA entry;
        if (taken && Entry(folder, item->d_name, entry)) search->entries.push_back(entry);
    }
    closedir(listing);
    if (search->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(search->entries.begin(), search->entries.end(), Before);
    *found = search->entries[search->next++];
    std::lock_guard<std::mutex> hold(filesLock);
    HANDLE handle = reinterpret_cast<HANDLE>(0x40000000 + 4 * ++searchSerial);
    searches[handle] = std::move(search);
    return handle;
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA found)
{
    std::lock_guard<std::mutex> hold(filesLock);
    auto search = searches.find(handle);
    if (search == searches.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Search& state = *search->second;
    if (state.next >= state.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *found = state.entries[state.next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle)
{
    std::lock_guard<std::mutex> hold(filesLock);
    if (searches.erase(handle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// Binary standard streams, all-or-nothing output files and self-removing
// scratch files for the tools.
#include "toolfiles.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#define getpid _getpid
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "codec/streamformat.h"

// The one output file a tool writes at a time. glibc ignores the size that
// setvbuf is given without a buffer.
static char outputBuffer[ToolBufferSize];

void SetBinaryMode(FILE* stream)
{
#ifdef _WIN32
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

bool IsTerminal(FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// Replaces an existing target too; plain rename does not on Windows.
static int RenameOver(const char* from, const char* to)
{
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) ? Ok : Failed;
#else
    return rename(from, to) == 0 ? Ok : Failed;
#endif
}

bool CanSeek(FILE* stream)
{
#ifdef _WIN32
    return GetFileType((HANDLE)_get_osfhandle(_fileno(stream))) == FILE_TYPE_DISK;
#else
    struct stat status;
    return fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

bool NamesOpenFile(const char* path, FILE* open)
{
    if (strcmp(path, "-") == 0) return false;
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION a, b;
    HANDLE named = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    bool same = GetFileInformationByHandle(named, &a) &&
                GetFileInformationByHandle((HANDLE)_get_osfhandle(_fileno(open)), &b) &&
                a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(named);
    return same;
#else
    struct stat a, b;
    return stat(path, &a) == 0 && fstat(fileno(open), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
#endif
}

int OpenToolOutput(ToolOutput& output, const char* path)
{
    memset(&output, 0, sizeof output);
    if (strcmp(path, "-") == 0) {
        SetBinaryMode(stdout);
        output.file = stdout;
        output.toStdout = true;
        setvbuf(stdout, outputBuffer, _IOFBF, ToolBufferSize);
        return Ok;
    }
    int length = snprintf(output.tempPath, sizeof output.tempPath, "%s.%d.tmp", path, (int)getpid());
    if (length < 0 || length >= (int)sizeof output.tempPath) return Failed;
    snprintf(output.path, sizeof output.path, "%s", path);
    output.file = fopen(output.tempPath, "wb");
    if (output.file == nullptr) return Failed;
    setvbuf(output.file, outputBuffer, _IOFBF, ToolBufferSize);
    return Ok;
}

int CommitToolOutput(ToolOutput& output)
{
    bool good = fflush(output.file) == 0 && !ferror(output.file);
    if (output.toStdout) return good ? Ok : Failed;
    good = fclose(output.file) == 0 && good;
    output.file = nullptr;
    if (good && RenameOver(output.tempPath, output.path) == Ok) return Ok;
    remove(output.tempPath);
    return Failed;
}

void AbandonToolOutput(ToolOutput& output)
{
    if (output.toStdout || output.file == nullptr) return;
    fclose(output.file);
    output.file = nullptr;
    remove(output.tempPath);
}

FILE* OpenToolScratch(const char* beside)
{
    static int made;   // scratch files of this run, for names of their own
    char path[ToolPathSize];
    int length;
    if (strcmp(beside, "-") != 0) {
        length = snprintf(path, sizeof path, "%s.%d.%d.tmp", beside, (int)getpid(), ++made);
    } else {
#ifdef _WIN32
        char folder[MAX_PATH + 1];
        DWORD folderLength = GetTempPathA(sizeof folder, folder);   // with the backslash at its end
        if (folderLength == 0 || folderLength > MAX_PATH) return nullptr;
        const char* separator = "";
#else
        const char* folder = getenv("TMPDIR");
        if (folder == nullptr || folder[0] == 0) folder = "/tmp";
        const char* separator = "/";
#endif
        length = snprintf(path, sizeof path, "%s%spelorix.%d.%d.tmp", folder, separator, (int)getpid(), ++made);
    }
    if (length < 0 || length >= (int)sizeof path) return nullptr;
#ifdef _WIN32
    return fopen(path, "w+bD");   // D: delete on close, which the system does for a process that ends
#else
    FILE* file = fopen(path, "w+b");
    if (file != nullptr) remove(path);   // the open file stays; its space is freed when it is closed
    return file;
#endif
}

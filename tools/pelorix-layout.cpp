// pelorix-layout: loads a layout file with the player's own loader and
// reports its texts and controls with warnings, or dumps the tables.
#include <cstdio>
#include <cstring>

#include "layoutreport.h"
#include "toolfiles.h"
#include "window/layout.h"

static const char* const UsageText =
    "usage: pelorix-layout FILE            describe layout file FILE and warn about problems\n"
    "       pelorix-layout --dump FILE...  load the files in turn, as language switches do,\n"
    "                                      and print both tables, one tab-separated line per slot\n";

// The loader shows a message box for a file that does not open; the tool
// checks first and says so on standard error instead.
static bool CanOpen(const char* path)
{
    if (strlen(path) >= (size_t)PathSize) {
        fprintf(stderr, "pelorix-layout: %s: path longer than %d bytes\n", path, PathSize - 1);
        return false;
    }
    FILE* file = fopen(path, "rb");
    if (file == nullptr) {
        fprintf(stderr, "pelorix-layout: %s: cannot open\n", path);
        return false;
    }
    fclose(file);
    return true;
}

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "--dump") == 0) {
        for (int i = 2; i < argc; i++) {
            if (!CanOpen(argv[i])) return 1;
        }
        for (int i = 2; i < argc; i++) {
            int languageNumber = 0;
            LoadLayout(argv[i], languageNumber);
        }
        SetBinaryMode(stdout);   // the same bytes on every system
        DumpLayout(stdout);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        fputs(UsageText, stderr);
        return 2;
    }
    if (!CanOpen(argv[1])) return 1;
    int languageNumber = 0;
    LoadLayout(argv[1], languageNumber);
    return ReportLayout(stdout, argv[1]) == 0 ? 0 : 1;
}

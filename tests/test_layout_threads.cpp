// Built with ThreadSanitizer: a reader thread copies texts the way the
// playback thread does while the main thread steps through the languages.
// Every copy must be one whole text of one language; TSan must stay quiet.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "ui/layout.h"

// The loader's only platform calls; the files below all exist.
int WINAPI MessageBoxA(HWND, LPCSTR, LPCSTR, UINT) { return 0; }
void WINAPI PostQuitMessage(int) {}

static const char* const idleTexts[] = {"Ready", "Bereit", "Pr\xEAt"};
static const char* const timeTexts[] = {"Time", "Zeit", "Temps"};

static bool IsOneOf(const char* text, const char* const (&choices)[3])
{
    for (const char* choice : choices) {
        if (strcmp(text, choice) == 0) return true;
    }
    return false;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: layout_tsan LAYOUTS_FOLDER\n");
        return 2;
    }
    std::string base = std::string(argv[1]) + "/PELORIX.h";
    int languageNumber = 0;
    if (LoadLayout(nullptr, base.c_str(), languageNumber) != 0) return 1;

    std::atomic<bool> done(false);
    std::atomic<int> torn(0);
    std::atomic<int> copies(0);
    std::thread reader([&] {
        char buffer[PathSize];
        while (!done.load()) {
            CopyLayoutText(43, buffer, sizeof buffer);
            if (!IsOneOf(buffer, idleTexts)) torn++;
            CopyLayoutText(21, buffer, sizeof buffer);
            if (!IsOneOf(buffer, timeTexts)) torn++;
            copies++;
        }
    });
    for (int load = 0; load < 600; load++) {
        languageNumber++;
        LoadLayout(nullptr, base.c_str(), languageNumber);
    }
    done = true;
    reader.join();
    printf("%d copies during 600 loads, %d torn\n", copies.load(), torn.load());
    return torn.load() == 0 && languageNumber == 0 ? 0 : 1;
}

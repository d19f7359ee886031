// The stored options and their defaults. Window thread only, apart from the
// PlaybackState fields, which are atomic.
#include "ui/options.h"

#include <cstring>

#include "playback/playbackstate.h"

int languageNumber;
int clearBeforeAddOption;
char lastFolder[PathSize];

void SetDefaultOptions()
{
    languageNumber = 0;
    playbackState.repeatOption = 0;
    playbackState.advanceOption = 0;
    clearBeforeAddOption = 0;
    playbackState.playlistCount = 0;
    strcpy(lastFolder, "*.*");
}

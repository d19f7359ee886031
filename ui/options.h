// The options that the settings file stores besides the PlaybackState's:
// the language number, the clear-before-add option and the last folder.
// Start-up sets them, and the PlaybackState's repeatOption, advanceOption and
// playlistCount, to their defaults before the settings file is read.
#pragma once

#include "ui/layout.h"

extern int languageNumber;             // layout variant in use; 0 is the base file
extern int clearBeforeAddOption;       // check box of slot 28; nonzero is on
extern char lastFolder[PathSize];      // the file dialog's last answer; "*.*" at first

// The longest Playlist path: with its line feed and NUL it fills one path
// buffer of the settings file's reader, so longer ones are never admitted.
const int MaxEntryLength = PathSize - 2;

// Language 0, the three options and playlistCount 0, lastFolder "*.*".
void SetDefaultOptions();

// Layout file: the TextTable (60 texts in one 10,000-byte arena) and the
// ControlSpec table (60 control descriptions), loaded from PELORIX.h or a
// numbered language variant of it.
#pragma once

#include <cstdint>

const int SlotCount = 60;
const int TextArenaSize = 10000;
const int PathSize = 300;          // path and message buffers
const int TokenSize = 300;         // slot token and field buffers

struct ControlSpec {
    int32_t type;     // -1 none, 0 static, 1 button, 2 edit, 3 listbox
    int32_t style;    // window style, passed unchanged
    int32_t x;        // tenths of the character-width unit
    int32_t y;        // 14/100 of a line height, below the top margin
    int32_t width;    // tenths of the character-width unit
    int32_t height;   // tenths of a line height
};

// Turns a text as the file holds it into out (size bytes) as the program
// shows it; Failed when it cannot.
using TextRecoder = int (*)(const char* text, char* out, int size);

// Rebuilds both tables from the variant for languageNumber, falling back to
// the base file (and setting languageNumber to 0) when the variant is missing.
// Ok, or Failed when the base file is missing too; telling the user is the
// caller's part. With a recoder every text goes through it; one that no
// longer fits the arena is cut, one it refuses kept as written.
int LoadLayout(const char* basePath, int& languageNumber, TextRecoder recode = nullptr);

// Text of a slot, never null. Window thread only: valid until the next load.
const char* LayoutText(int slot);

// Copies a slot's text for the playback thread, safe against a reload on the
// window thread; always zero-terminated. Returns the length copied.
int CopyLayoutText(int slot, char* buffer, int size);

// Control description of a slot; a slot outside the table reads as no
// control. Window thread only: valid until the next load.
const ControlSpec& LayoutControl(int slot);

// What the last load could not take as written, for the layout checker.
struct LayoutNotes {
    uint64_t definedSlots;     // bit n: the file defines a text for slot n
    uint64_t cutSlots;         // bit n: slot n's text lost bytes to a full arena
    int ignoredDefinitions;    // definitions naming a slot outside 0..SlotCount-1
    int firstIgnoredSlot;      // the first such slot number, as read
    int ignoredControls;       // control descriptions that followed one of them
    int cutTokens;             // slot tokens and fields cut to TokenSize - 1 bytes
    int runOnTokens;           // slot tokens that ran on past a line end
    int arenaUsed;             // arena bytes taken by the file's texts
};

const LayoutNotes& LastLayoutNotes();

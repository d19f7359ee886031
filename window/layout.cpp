// Layout file loader: owns the TextTable and the ControlSpec table and reads
// PELORIX.h, or a numbered language variant of it, byte by byte into them.
#include "window/layout.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "codec/streamformat.h"

struct LayoutTables {
    char arena[TextArenaSize];       // every text zero-terminated inside it
    int textOffset[SlotCount];       // start of each slot's text in arena
    ControlSpec controls[SlotCount];
};

// Thread rule: only the window thread loads. A load is built in the set that
// is not live and switched in under tableLock; the playback thread reads only
// through CopyLayoutText, which holds the same lock, so it never sees a text
// being rewritten. The window thread reads the live set without the lock.
static LayoutTables tables[2];
static int liveSet;                  // index of the set readers see
static std::atomic_flag tableLock = ATOMIC_FLAG_INIT;

static LayoutNotes notes;
static char baseName[PathSize];
static char variantName[PathSize];
static char slotToken[TokenSize];
static char fieldText[TokenSize];

static const ControlSpec noControl = {-1, 0, 0, 0, 0, 0};

enum ParseState {
    InLineStart, InSkipLine, InSlash, InDirective, InName, InSlotNumber, InBeforeText, InText, InEscape, InStar
};

struct Parser {
    FILE* file;
    LayoutTables* target;
    int position;      // arena index of the open text's terminator, or the next free byte
    int slot;          // slot that control descriptions fill; -1 after an ignored definition
    bool storing;      // the open text belongs to a slot of the table
    bool pendingKept;  // Star: the pending byte made it into the arena
};

static void LockTables()
{
    while (tableLock.test_and_set(std::memory_order_acquire)) {
    }
}

static void UnlockTables()
{
    tableLock.clear(std::memory_order_release);
}

// How every load starts, on the set being built: every text at the arena's
// first byte, every type -1, the other control fields as the live set holds
// them. The live arena's first text is carried over, because slots that the
// next file leaves undefined (all of them, if it is missing) read whatever
// the arena starts with.
static void ResetTables(LayoutTables& next, const LayoutTables& live)
{
    int length = 0;
    while (length < TextArenaSize - 1 && live.arena[length] != 0) length++;
    memcpy(next.arena, live.arena, length);
    next.arena[length] = 0;
    for (int slot = 0; slot < SlotCount; slot++) {
        next.textOffset[slot] = 0;
        next.controls[slot] = live.controls[slot];
        next.controls[slot].type = -1;
    }
}

static void SwitchTables()
{
    LockTables();
    liveSet = 1 - liveSet;
    UnlockTables();
}

// Appends one byte to the open text, keeping it zero-terminated. A full
// arena cuts the text; the byte is dropped. Returns whether it was stored.
static bool AppendByte(Parser& parser, int byte)
{
    if (!parser.storing) return false;
    if (parser.position + 1 >= TextArenaSize) {
        notes.cutSlots |= 1ull << parser.slot;
        return false;
    }
    parser.target->arena[parser.position++] = (char)byte;
    parser.target->arena[parser.position] = 0;
    return true;
}

// The terminator of the open text replaces the pending byte, and the next
// text starts past it.
static void EndText(Parser& parser)
{
    if (!parser.storing) return;
    if (parser.pendingKept) parser.position--;
    parser.target->arena[parser.position] = 0;
    parser.position++;
    parser.storing = false;
}

// Reads bytes up to and including the byte `last`. False at end of file.
static bool DiscardThrough(FILE* file, int last)
{
    int byte;
    while ((byte = getc(file)) != EOF) {
        if (byte == last) return true;
    }
    return false;
}

static int32_t ClampToInt32(long value)
{
    if (value > (long)INT32_MAX) return INT32_MAX;
    if (value < (long)INT32_MIN) return INT32_MIN;
    return (int32_t)value;
}

// A slot definition: `first` and the bytes after it up to the next blank
// form the token. Opens an empty text when the slot is one of the table's.
static void DefineSlot(Parser& parser, int first)
{
    int length = 0;
    bool cut = false;
    bool runOn = false;
    int byte = first;
    while (byte != EOF && byte != ' ') {
        if (byte == '\n' || byte == '\r') runOn = true;
        if (length < TokenSize - 1) {
            slotToken[length++] = (char)byte;
        } else {
            cut = true;
        }
        byte = getc(parser.file);
    }
    slotToken[length] = 0;
    if (cut) notes.cutTokens++;
    if (runOn) notes.runOnTokens++;

    int32_t slot = ClampToInt32(strtol(slotToken, nullptr, 10));
    if (slot < 0 || slot >= SlotCount) {
        if (notes.ignoredDefinitions == 0) notes.firstIgnoredSlot = slot;
        notes.ignoredDefinitions++;
        parser.slot = -1;
        parser.storing = false;
        return;
    }
    // A full arena leaves no room for another terminator: the text shares
    // the last one and stays empty.
    if (parser.position > TextArenaSize - 1) parser.position = TextArenaSize - 1;
    parser.target->textOffset[slot] = parser.position;
    parser.target->arena[parser.position] = 0;
    parser.slot = slot;
    parser.storing = true;
    notes.definedSlots |= 1ull << slot;
}

// Reads one field into fieldText up to "," or CR. Returns the byte that
// ended it, or EOF.
static int ReadField(FILE* file)
{
    int length = 0;
    bool cut = false;
    int byte;
    while ((byte = getc(file)) != EOF && byte != ',' && byte != '\r') {
        if (length < TokenSize - 1) {
            fieldText[length++] = (char)byte;
        } else {
            cut = true;
        }
    }
    fieldText[length] = 0;
    if (cut) notes.cutTokens++;
    return byte;
}

// The fields of a control description, in the order type, style, x, y,
// width, height. False at end of file; a field cut off by it is not stored.
static bool ReadControlFields(Parser& parser)
{
    if (parser.slot < 0) notes.ignoredControls++;
    for (int field = 0; field < 6; field++) {
        int end = ReadField(parser.file);
        if (end == EOF) return false;
        if (parser.slot >= 0) {
            ControlSpec& spec = parser.target->controls[parser.slot];
            int32_t* const values[6] = {&spec.type, &spec.style, &spec.x, &spec.y, &spec.width, &spec.height};
            *values[field] = ClampToInt32(strtol(fieldText, nullptr, 0));
        }
        if (end == '\r') break;
    }
    return true;
}

static void ReadLayoutFile(Parser& parser)
{
    static const char directive[] = "define";
    ParseState state = InLineStart;
    int letter = 0;     // Directive: index of the letter expected next
    int byte;
    while ((byte = getc(parser.file)) != EOF) {
        switch (state) {
        case InLineStart:
            if (byte == '/') {
                state = InSlash;
            } else if (byte == '#') {
                state = InDirective;
                letter = 0;
            } else if (byte != '\n') {
                state = InSkipLine;
            }
            break;
        case InSkipLine:
            if (byte == '\n') state = InLineStart;
            break;
        case InSlash:
            if (byte == '/') {
                // the byte after the slashes is skipped whatever it is
                if (getc(parser.file) == EOF || !ReadControlFields(parser)) return;
                state = InSkipLine;
            } else {
                state = byte == '\n' ? InLineStart : InSkipLine;
            }
            break;
        case InDirective:
            if (byte == directive[letter]) {
                letter++;
                if (directive[letter] == 0) state = InName;
            } else {
                state = byte == '\n' ? InLineStart : InSkipLine;
            }
            break;
        case InName:
            if (byte != ' ') {
                if (!DiscardThrough(parser.file, ' ')) return;
                state = InSlotNumber;
            }
            break;
        case InSlotNumber:
            if (byte != ' ') {
                DefineSlot(parser, byte);
                state = InBeforeText;
            }
            break;
        case InBeforeText:
            if (byte != ' ') {
                // the two bytes that open the text
                if (getc(parser.file) == EOF) return;
                state = InText;
            }
            break;
        case InText:
            if (byte == '\\') {
                state = InEscape;
            } else if (byte == '*') {
                parser.pendingKept = AppendByte(parser, byte);
                state = InStar;
            } else if (byte != '\n' && byte != '\r') {
                AppendByte(parser, byte);
            }
            break;
        case InEscape:
            AppendByte(parser, byte == '\\' ? '\\' : byte == 'n' ? '\n' : byte == 'r' ? '\r' : '@');
            state = InText;
            break;
        case InStar:
            // the pending byte is already in the arena: committing it means
            // only not taking it back
            if (byte == '/') {
                EndText(parser);
                state = InSkipLine;
            } else if (byte == '\n' || byte == '\r' || byte == '*') {
                parser.pendingKept = AppendByte(parser, byte);
            } else if (byte == '\\') {
                state = InEscape;
            } else {
                AppendByte(parser, byte);
                state = InText;
            }
            break;
        }
    }
}

// Every distinct text of next through recode into a fresh arena; slots that
// shared a text still do.
static void RecodeTexts(LayoutTables& next, TextRecoder recode)
{
    static char arena[TextArenaSize];
    int used = 0, from[SlotCount], to[SlotCount], distinct = 0;
    for (int slot = 0; slot < SlotCount; slot++) {
        int offset = next.textOffset[slot], j = 0;
        while (j < distinct && from[j] != offset) j++;
        if (j == distinct) {
            const char* text = next.arena + offset;
            from[distinct++] = offset;
            if (used == TextArenaSize) {   // full: the last text's terminator serves as an empty one
                to[j] = TextArenaSize - 1;
                notes.cutSlots |= uint64_t(1) << slot;
                continue;
            }
            int room = TextArenaSize - used;
            if (recode(text, arena + used, room) != Ok && snprintf(arena + used, room, "%s", text) >= room)
                notes.cutSlots |= uint64_t(1) << slot;
            to[j] = used;
            used += static_cast<int>(strlen(arena + used)) + 1;
        }
        next.textOffset[slot] = to[j];
    }
    memcpy(next.arena, arena, used);
}

int LoadLayout(const char* basePath, int& languageNumber, TextRecoder recode)
{
    if (basePath == nullptr) basePath = "";
    LayoutTables& next = tables[1 - liveSet];
    ResetTables(next, tables[liveSet]);
    memset(&notes, 0, sizeof notes);

    // A name that does not fit its buffer is treated as a file that is not there.
    bool baseFits = snprintf(baseName, PathSize, "%s", basePath) < PathSize;
    FILE* file = nullptr;
    if (languageNumber != 0) {
        int length = snprintf(variantName, PathSize, "%s%d%d", baseName, languageNumber / 10, languageNumber % 10);
        if (baseFits && length < PathSize) file = fopen(variantName, "rb");
        if (file == nullptr) languageNumber = 0;
    }
    if (file == nullptr && baseFits) file = fopen(baseName, "rb");
    if (file == nullptr) {
        SwitchTables();
        return Failed;
    }

    Parser parser = {file, &next, 0, 0, false, false};
    ReadLayoutFile(parser);
    fclose(file);
    notes.arenaUsed = parser.storing ? parser.position + 1 : parser.position;
    if (notes.arenaUsed > TextArenaSize) notes.arenaUsed = TextArenaSize;
    if (recode) RecodeTexts(next, recode);
    SwitchTables();
    return Ok;
}

const char* LayoutText(int slot)
{
    if (slot < 0 || slot >= SlotCount) return "";
    const LayoutTables& live = tables[liveSet];
    return live.arena + live.textOffset[slot];
}

int CopyLayoutText(int slot, char* buffer, int size)
{
    if (buffer == nullptr || size <= 0) return 0;
    int length = 0;
    if (slot >= 0 && slot < SlotCount) {
        LockTables();
        const LayoutTables& live = tables[liveSet];
        const char* text = live.arena + live.textOffset[slot];
        while (length < size - 1 && text[length] != 0) {
            buffer[length] = text[length];
            length++;
        }
        UnlockTables();
    }
    buffer[length] = 0;
    return length;
}

const ControlSpec& LayoutControl(int slot)
{
    if (slot < 0 || slot >= SlotCount) return noControl;
    return tables[liveSet].controls[slot];
}

const LayoutNotes& LastLayoutNotes()
{
    return notes;
}

// The layout checker's report, warnings and dump, read from the tables of
// the player's own loader. Style names are spelt out here with their Win32
// values, so the tool needs no platform header for them.
#include "layoutreport.h"

#include <cstdarg>
#include <cstring>

#include "window/layout.h"

struct StyleName {
    const char* name;
    uint32_t mask;
    uint32_t value;   // named when style & mask == value
};

static const StyleName windowStyles[] = {
    {"WS_POPUP", 0x80000000u, 0x80000000u},      {"WS_CHILD", 0x40000000u, 0x40000000u},
    {"WS_MINIMIZE", 0x20000000u, 0x20000000u},   {"WS_VISIBLE", 0x10000000u, 0x10000000u},
    {"WS_DISABLED", 0x08000000u, 0x08000000u},   {"WS_CLIPSIBLINGS", 0x04000000u, 0x04000000u},
    {"WS_CLIPCHILDREN", 0x02000000u, 0x02000000u}, {"WS_MAXIMIZE", 0x01000000u, 0x01000000u},
    {"WS_BORDER", 0x00800000u, 0x00800000u},     {"WS_DLGFRAME", 0x00400000u, 0x00400000u},
    {"WS_VSCROLL", 0x00200000u, 0x00200000u},    {"WS_HSCROLL", 0x00100000u, 0x00100000u},
    {"WS_SYSMENU", 0x00080000u, 0x00080000u},    {"WS_THICKFRAME", 0x00040000u, 0x00040000u},
    {"WS_GROUP", 0x00020000u, 0x00020000u},      {"WS_TABSTOP", 0x00010000u, 0x00010000u},
};

static const StyleName staticStyles[] = {
    {"SS_LEFT", 0x1F, 0x00},          {"SS_CENTER", 0x1F, 0x01},        {"SS_RIGHT", 0x1F, 0x02},
    {"SS_ICON", 0x1F, 0x03},          {"SS_BLACKRECT", 0x1F, 0x04},     {"SS_GRAYRECT", 0x1F, 0x05},
    {"SS_WHITERECT", 0x1F, 0x06},     {"SS_BLACKFRAME", 0x1F, 0x07},    {"SS_GRAYFRAME", 0x1F, 0x08},
    {"SS_WHITEFRAME", 0x1F, 0x09},    {"SS_USERITEM", 0x1F, 0x0A},      {"SS_SIMPLE", 0x1F, 0x0B},
    {"SS_LEFTNOWORDWRAP", 0x1F, 0x0C}, {"SS_OWNERDRAW", 0x1F, 0x0D},    {"SS_BITMAP", 0x1F, 0x0E},
    {"SS_ENHMETAFILE", 0x1F, 0x0F},   {"SS_ETCHEDHORZ", 0x1F, 0x10},    {"SS_ETCHEDVERT", 0x1F, 0x11},
    {"SS_ETCHEDFRAME", 0x1F, 0x12},   {"SS_REALSIZECONTROL", 0x40, 0x40}, {"SS_NOPREFIX", 0x80, 0x80},
    {"SS_NOTIFY", 0x100, 0x100},      {"SS_CENTERIMAGE", 0x200, 0x200}, {"SS_RIGHTJUST", 0x400, 0x400},
    {"SS_REALSIZEIMAGE", 0x800, 0x800}, {"SS_SUNKEN", 0x1000, 0x1000},  {"SS_EDITCONTROL", 0x2000, 0x2000},
    {"SS_ENDELLIPSIS", 0xC000, 0x4000}, {"SS_PATHELLIPSIS", 0xC000, 0x8000}, {"SS_WORDELLIPSIS", 0xC000, 0xC000},
};

static const StyleName buttonStyles[] = {
    {"BS_PUSHBUTTON", 0x0F, 0x00},    {"BS_DEFPUSHBUTTON", 0x0F, 0x01}, {"BS_CHECKBOX", 0x0F, 0x02},
    {"BS_AUTOCHECKBOX", 0x0F, 0x03},  {"BS_RADIOBUTTON", 0x0F, 0x04},   {"BS_3STATE", 0x0F, 0x05},
    {"BS_AUTO3STATE", 0x0F, 0x06},    {"BS_GROUPBOX", 0x0F, 0x07},      {"BS_USERBUTTON", 0x0F, 0x08},
    {"BS_AUTORADIOBUTTON", 0x0F, 0x09}, {"BS_PUSHBOX", 0x0F, 0x0A},     {"BS_OWNERDRAW", 0x0F, 0x0B},
    {"BS_LEFTTEXT", 0x20, 0x20},      {"BS_ICON", 0x40, 0x40},          {"BS_BITMAP", 0x80, 0x80},
    {"BS_LEFT", 0x300, 0x100},        {"BS_RIGHT", 0x300, 0x200},       {"BS_CENTER", 0x300, 0x300},
    {"BS_TOP", 0xC00, 0x400},         {"BS_BOTTOM", 0xC00, 0x800},      {"BS_VCENTER", 0xC00, 0xC00},
    {"BS_PUSHLIKE", 0x1000, 0x1000},  {"BS_MULTILINE", 0x2000, 0x2000}, {"BS_NOTIFY", 0x4000, 0x4000},
    {"BS_FLAT", 0x8000, 0x8000},
};

static const StyleName listBoxStyles[] = {
    {"LBS_NOTIFY", 0x1, 0x1},         {"LBS_SORT", 0x2, 0x2},           {"LBS_NOREDRAW", 0x4, 0x4},
    {"LBS_MULTIPLESEL", 0x8, 0x8},    {"LBS_OWNERDRAWFIXED", 0x10, 0x10}, {"LBS_OWNERDRAWVARIABLE", 0x20, 0x20},
    {"LBS_HASSTRINGS", 0x40, 0x40},   {"LBS_USETABSTOPS", 0x80, 0x80},  {"LBS_NOINTEGRALHEIGHT", 0x100, 0x100},
    {"LBS_MULTICOLUMN", 0x200, 0x200}, {"LBS_WANTKEYBOARDINPUT", 0x400, 0x400}, {"LBS_EXTENDEDSEL", 0x800, 0x800},
    {"LBS_DISABLENOSCROLL", 0x1000, 0x1000}, {"LBS_NODATA", 0x2000, 0x2000}, {"LBS_NOSEL", 0x4000, 0x4000},
    {"LBS_COMBOBOX", 0x8000, 0x8000},
};

const uint32_t StyleChild = 0x40000000u;
const uint32_t StyleVisible = 0x10000000u;
const uint32_t ButtonKindMask = 0x0F;
const uint32_t PushButtonKind = 0x00;
const uint32_t DefPushButtonKind = 0x01;
const uint32_t AutoCheckBoxKind = 0x03;
const uint32_t ListBoxNotify = 0x1;

// The canvas in the units the checks use: tenths of a column across,
// hundredths of a line down (y counts 14 of them, height 10, the top
// margin 20).
const int64_t CanvasWidth = 1000;
const int64_t CanvasHeight = 4000;
const int64_t TopMargin = 20;

enum SlotKind { PushButton, CheckBox, Display, ListBox, TextOnly };

struct FixedSlot {
    int slot;
    SlotKind kind;
    const char* meaning;
};

static const FixedSlot fixedSlots[] = {
    {0, PushButton, "language"},        {1, PushButton, "play"},
    {2, PushButton, "stop"},            {3, PushButton, "exit"},
    {4, CheckBox, "repeat"},            {5, CheckBox, "continue with the next entry"},
    {10, PushButton, "previous entry"}, {11, PushButton, "back 5 minutes"},
    {12, PushButton, "back 1 minute"},  {13, PushButton, "back 15 seconds"},
    {14, PushButton, "back 3 seconds"}, {15, PushButton, "pause"},
    {16, PushButton, "forward 3 seconds"}, {17, PushButton, "forward 15 seconds"},
    {18, PushButton, "forward 1 minute"}, {19, PushButton, "forward 5 minutes"},
    {20, PushButton, "next entry"},     {21, Display, "time display"},
    {23, Display, "status display"},    {25, PushButton, "add after the selection"},
    {26, PushButton, "remove"},         {27, PushButton, "clear the playlist"},
    {28, CheckBox, "clear before adding"}, {29, PushButton, "add before the selection"},
    {35, ListBox, "playlist"},          {36, ListBox, "scan list"},
    {42, TextOnly, "message: cannot play"}, {43, TextOnly, "idle text"},
    {44, TextOnly, "message: unsupported coding"}, {45, TextOnly, "end of the playlist"},
    {46, TextOnly, "seek preview prefix"}, {47, TextOnly, "frames per audio buffer"},
    {48, TextOnly, "output device"},
};

static const char* const expectedKind[] = {
    "a push button (type 1, BS_PUSHBUTTON)",
    "an automatic check box (type 1, BS_AUTOCHECKBOX)",
    "a static display (type 0)",
    "a list box (type 3)",
    "a text",
};

static void AppendText(char* buffer, int size, int& length, const char* text)
{
    int written = snprintf(buffer + length, size - length, "%s", text);
    if (written > 0) length += written < size - length ? written : size - length - 1;
}

static void AppendNames(const StyleName* names, int count, uint32_t style, uint32_t& named,
                        char* buffer, int size, int& length)
{
    for (int i = 0; i < count; i++) {
        if ((style & names[i].mask) != names[i].value) continue;
        if (length > 0) AppendText(buffer, size, length, " | ");
        AppendText(buffer, size, length, names[i].name);
        named |= names[i].mask;
    }
}

void FormatStyle(int type, int32_t style, char* buffer, int size)
{
    if (size <= 0) return;
    buffer[0] = 0;
    int length = 0;
    uint32_t bits = (uint32_t)style;
    uint32_t named = 0;
    AppendNames(windowStyles, sizeof windowStyles / sizeof windowStyles[0], bits, named, buffer, size, length);
    if (type == 0) AppendNames(staticStyles, sizeof staticStyles / sizeof staticStyles[0], bits, named, buffer, size, length);
    if (type == 1) AppendNames(buttonStyles, sizeof buttonStyles / sizeof buttonStyles[0], bits, named, buffer, size, length);
    if (type == 3) AppendNames(listBoxStyles, sizeof listBoxStyles / sizeof listBoxStyles[0], bits, named, buffer, size, length);
    uint32_t rest = bits & ~named;
    if (rest != 0 || length == 0) {
        char hex[16];
        snprintf(hex, sizeof hex, "0x%X", (unsigned)rest);
        if (length > 0) AppendText(buffer, size, length, " | ");
        AppendText(buffer, size, length, hex);
    }
}

void WriteEscaped(FILE* out, const char* text)
{
    for (const unsigned char* byte = (const unsigned char*)text; *byte != 0; byte++) {
        switch (*byte) {
        case '\\': fputs("\\\\", out); break;
        case '\n': fputs("\\n", out); break;
        case '\r': fputs("\\r", out); break;
        case '\t': fputs("\\t", out); break;
        case '"': fputs("\\\"", out); break;
        default:
            if (*byte < 0x20 || *byte > 0x7E) {
                fprintf(out, "\\x%02X", *byte);
            } else {
                fputc(*byte, out);
            }
        }
    }
}

void DumpLayout(FILE* out)
{
    for (int slot = 0; slot < SlotCount; slot++) {
        const ControlSpec& spec = LayoutControl(slot);
        fprintf(out, "%d\t%d\t%d\t%d\t%d\t%d\t%d\t", slot, (int)spec.type, (int)spec.style, (int)spec.x,
                (int)spec.y, (int)spec.width, (int)spec.height);
        WriteEscaped(out, LayoutText(slot));
        fputc('\n', out);
    }
}

static bool IsDefined(int slot)
{
    return (LastLayoutNotes().definedSlots >> slot & 1) != 0;
}

static const char* ClassName(int type)
{
    static const char* const names[] = {"static", "button", "edit", "list box"};
    return type >= 0 && type <= 3 ? names[type] : "no working control";
}

// A control the player shows: a known class, a child, visible.
static bool IsShown(const ControlSpec& spec)
{
    uint32_t style = (uint32_t)spec.style;
    return spec.type >= 0 && spec.type <= 3 && (style & StyleChild) != 0 && (style & StyleVisible) != 0;
}

struct Extent {
    int64_t left, top, right, bottom;
};

static Extent ExtentOf(const ControlSpec& spec)
{
    Extent extent;
    extent.left = spec.x;
    extent.right = (int64_t)spec.x + spec.width;
    extent.top = TopMargin + (int64_t)spec.y * 14;
    extent.bottom = extent.top + (int64_t)spec.height * 10;
    return extent;
}

static void ReportSlot(FILE* out, int slot)
{
    const ControlSpec& spec = LayoutControl(slot);
    fprintf(out, "slot %2d  \"", slot);
    WriteEscaped(out, LayoutText(slot));
    fprintf(out, "\"%s\n", IsDefined(slot) ? "" : " (no text of its own)");
    if (spec.type == -1) {
        fprintf(out, "         text only\n");
        return;
    }
    char styleText[400];
    FormatStyle(spec.type, spec.style, styleText, sizeof styleText);
    fprintf(out, "         %s (type %d), style 0x%08X = %s\n", ClassName(spec.type), (int)spec.type,
            (unsigned)spec.style, styleText);
    Extent extent = ExtentOf(spec);
    fprintf(out, "         x %d, y %d, width %d, height %d: columns %.1f to %.1f, lines %.2f to %.2f\n",
            (int)spec.x, (int)spec.y, (int)spec.width, (int)spec.height, extent.left / 10.0,
            extent.right / 10.0, extent.top / 100.0, extent.bottom / 100.0);
}

#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
static int Warn(FILE* out, const char* format, ...)
{
    fputs("warning: ", out);
    va_list arguments;
    va_start(arguments, format);
    vfprintf(out, format, arguments);
    va_end(arguments);
    fputc('\n', out);
    return 1;
}

static const char* DescribeControl(const ControlSpec& spec)
{
    uint32_t kind = (uint32_t)spec.style & ButtonKindMask;
    if (spec.type == -1) return "no control";
    if (spec.type == 0) return "a static control";
    if (spec.type == 2) return "an edit control";
    if (spec.type == 3) return "a list box";
    if (spec.type != 1) return "a control of an unknown type";
    if (kind == PushButtonKind || kind == DefPushButtonKind) return "a push button";
    if (kind == AutoCheckBoxKind) return "an automatic check box";
    return "a button of another kind";
}

static bool HasExpectedKind(const ControlSpec& spec, SlotKind kind)
{
    uint32_t style = (uint32_t)spec.style;
    uint32_t buttonKind = style & ButtonKindMask;
    switch (kind) {
    case PushButton: return spec.type == 1 && (buttonKind == PushButtonKind || buttonKind == DefPushButtonKind);
    case CheckBox: return spec.type == 1 && buttonKind == AutoCheckBoxKind;
    case Display: return spec.type == 0;
    case ListBox: return spec.type == 3;
    case TextOnly: return true;
    }
    return true;
}

static int CheckFixedSlots(FILE* out)
{
    int warnings = 0;
    for (const FixedSlot& fixed : fixedSlots) {
        const ControlSpec& spec = LayoutControl(fixed.slot);
        if (fixed.kind == TextOnly) {
            if (!IsDefined(fixed.slot)) warnings += Warn(out, "slot %d (%s) has no text", fixed.slot, fixed.meaning);
            continue;
        }
        if (!HasExpectedKind(spec, fixed.kind)) {
            warnings += Warn(out, "slot %d (%s) should be %s; it is %s", fixed.slot, fixed.meaning,
                             expectedKind[fixed.kind], DescribeControl(spec));
            continue;
        }
        uint32_t style = (uint32_t)spec.style;
        bool mayHide = fixed.slot == 36;
        if ((style & StyleChild) == 0 || (!mayHide && (style & StyleVisible) == 0)) {
            warnings += Warn(out, "slot %d (%s) needs WS_CHILD%s in its style", fixed.slot, fixed.meaning,
                             mayHide ? "" : " and WS_VISIBLE");
        }
        if (fixed.slot == 35 && (style & ListBoxNotify) == 0) {
            warnings += Warn(out, "slot 35 (playlist) needs LBS_NOTIFY, or double clicks do nothing");
        }
    }
    return warnings;
}

static int CheckControls(FILE* out)
{
    int warnings = 0;
    for (int slot = 0; slot < SlotCount; slot++) {
        const ControlSpec& spec = LayoutControl(slot);
        if (spec.type == -1) continue;
        if (spec.type < -1 || spec.type > 3) {
            warnings += Warn(out, "slot %d: type %d creates no working control", slot, (int)spec.type);
            continue;
        }
        if (!IsDefined(slot)) warnings += Warn(out, "slot %d has a control but no text of its own", slot);
        if (!IsShown(spec)) continue;
        Extent extent = ExtentOf(spec);
        if (spec.width <= 0 || spec.height <= 0) {
            warnings += Warn(out, "slot %d: the control has no area (width or height 0 or less)", slot);
            continue;
        }
        if (extent.left < 0 || spec.y < 0 || extent.right > CanvasWidth || extent.bottom > CanvasHeight) {
            warnings += Warn(out, "slot %d: the control reaches outside the 100 x 40 canvas", slot);
        }
        for (int other = slot + 1; other < SlotCount; other++) {
            const ControlSpec& next = LayoutControl(other);
            if (!IsShown(next) || next.width <= 0 || next.height <= 0) continue;
            Extent with = ExtentOf(next);
            if (extent.left < with.right && with.left < extent.right && extent.top < with.bottom &&
                with.top < extent.bottom) {
                warnings += Warn(out, "slots %d and %d: the controls overlap", slot, other);
            }
        }
    }
    return warnings;
}

static int CheckLoaderNotes(FILE* out)
{
    const LayoutNotes& notes = LastLayoutNotes();
    int warnings = 0;
    if (notes.ignoredDefinitions > 0) {
        fprintf(out, "warning: %d text definition(s) name a slot outside 0 to %d (the first: %d); they are ignored",
                notes.ignoredDefinitions, SlotCount - 1, notes.firstIgnoredSlot);
        if (notes.ignoredControls > 0) fprintf(out, ", and so are the %d control description(s) after them", notes.ignoredControls);
        fputc('\n', out);
        warnings++;
    }
    if (notes.cutSlots != 0) {
        fprintf(out, "warning: the %d-byte text arena is full; texts cut short in slot(s)", TextArenaSize);
        for (int slot = 0; slot < SlotCount; slot++) {
            if (notes.cutSlots >> slot & 1) fprintf(out, " %d", slot);
        }
        fputc('\n', out);
        warnings++;
    }
    if (notes.cutTokens > 0) {
        warnings += Warn(out, "%d slot number(s) or field(s) longer than %d bytes were cut", notes.cutTokens,
                         TokenSize - 1);
    }
    if (notes.runOnTokens > 0) {
        warnings += Warn(out, "%d slot number(s) not followed by a blank on their line; the number runs on "
                              "into the next line", notes.runOnTokens);
    }
    return warnings;
}

// Lines ending in LF alone: a control description's last field then runs on
// into the next lines.
static int CheckLineEnds(FILE* out, const char* path)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr) return 0;
    int line = 1;
    int firstBare = 0;
    int bareCount = 0;
    int previous = EOF;
    int byte;
    while ((byte = getc(file)) != EOF) {
        if (byte == '\n') {
            if (previous != '\r') {
                if (bareCount == 0) firstBare = line;
                bareCount++;
            }
            line++;
        }
        previous = byte;
    }
    fclose(file);
    if (bareCount == 0) return 0;
    return Warn(out, "%d line(s) end with LF alone, the first is line %d; layout files need CR LF line ends",
                bareCount, firstBare);
}

int ReportLayout(FILE* out, const char* path)
{
    const LayoutNotes& notes = LastLayoutNotes();
    int texts = 0;
    int controls = 0;
    for (int slot = 0; slot < SlotCount; slot++) {
        if (IsDefined(slot)) texts++;
        if (LayoutControl(slot).type != -1) controls++;
    }
    fprintf(out, "%s: %d texts, %d controls; the texts take %d of %d arena bytes.\n", path, texts, controls,
            notes.arenaUsed, TextArenaSize);
    fprintf(out, "Layout units: x and width in tenths of a column, y in 14/100 of a line below the top margin\n"
                 "(0.2 lines), height in tenths of a line; the canvas is 100 columns by 40 lines.\n\n");
    for (int slot = 0; slot < SlotCount; slot++) {
        if (IsDefined(slot) || LayoutControl(slot).type != -1) ReportSlot(out, slot);
    }
    for (int slot = 0; slot < SlotCount; slot++) {
        if (IsDefined(slot)) continue;
        fprintf(out, "\nSlots without a text of their own read the first text, \"");
        WriteEscaped(out, LayoutText(slot));
        fprintf(out, "\".\n");
        break;
    }
    fputc('\n', out);

    int warnings = CheckFixedSlots(out) + CheckControls(out) + CheckLoaderNotes(out) + CheckLineEnds(out, path);
    if (warnings == 0) {
        fprintf(out, "No warnings.\n");
    } else {
        fprintf(out, "%d warning(s).\n", warnings);
    }
    return warnings;
}

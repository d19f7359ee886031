// The Playlist's rows as drawn, its horizontal extent, the mark of the entry
// that plays and the caption that names it.
#include "ui/playlistview.h"

#include <cstdio>
#include <cstring>

#include "playback/playbackstate.h"
#include "window/controls.h"
#include "window/paths.h"

static const char PlayingMarker[] = "> ";
static const char NameGap[] = "   ";   // between the file name and its folder
const int RowIndent = 2;                // pixels before the marker and after the widest row

// The rows are drawn in the controls' font at normal weight, so that the one
// that plays stands out in bold (the system font, the controls' at 96 DPI, is
// bold already). Made by SetPlaylistFont for the window's DPI.
static HFONT rowFonts[2];    // [0] any row, [1] the row that plays
static HDC measureDC;        // a memory DC holding the bold font, for the rows' widths
static int markerWidth;      // pixels that every row's text starts after, the marker's room
static int markedRow = -1;   // the row last repainted as the one that plays; -1 none
static WNDPROC listProc;     // the list box class's own procedure

static void MakeRowFonts(HFONT controlFont)
{
    LOGFONTA font = {};
    GetObjectA(controlFont ? controlFont : GetStockObject(SYSTEM_FONT), sizeof font, &font);
    HFONT old[2] = {rowFonts[0], rowFonts[1]};
    font.lfWeight = FW_NORMAL;
    rowFonts[0] = CreateFontIndirectA(&font);
    font.lfWeight = FW_BOLD;
    rowFonts[1] = CreateFontIndirectA(&font);
    if (!measureDC) measureDC = CreateCompatibleDC(nullptr);
    SelectObject(measureDC, rowFonts[1]);   // first: a font selected into a DC is not deleted
    for (HFONT made : old)
        if (made) DeleteObject(made);
    SIZE marker = {};
    GetTextExtentPoint32A(measureDC, PlayingMarker, sizeof PlayingMarker - 1, &marker);
    markerWidth = marker.cx;
}

// Pixels of a row: the taller of the two fonts (of the system font before any SetPlaylistFont).
static int RowHeight()
{
    if (!rowFonts[0]) MakeRowFonts(nullptr);
    int height = 0;
    for (HFONT font : rowFonts) {
        SelectObject(measureDC, font);
        TEXTMETRICA metrics = {};
        GetTextMetricsA(measureDC, &metrics);
        if (metrics.tmHeight > height) height = metrics.tmHeight;
    }
    return height;   // the bold font selected last, as ShownWidth wants it
}

// An entry's path as shown: "song.wav   C:\Music\". Text without a separator stays as it is.
static void ShowEntry(const char* path, char* shown)
{
    const char* name = FileNameOf(path);
    if (name == path) { strcpy(shown, path); return; }
    size_t nameLength = strlen(name), folderLength = static_cast<size_t>(name - path);
    memcpy(shown, name, nameLength);
    memcpy(shown + nameLength, NameGap, sizeof NameGap - 1);
    memcpy(shown + nameLength + sizeof NameGap - 1, path, folderLength);
    shown[nameLength + sizeof NameGap - 1 + folderLength] = 0;
}

int PlayingRow()
{
    int row = playbackState.currentIndex;
    if (!playbackState.playing || row < 0 || row >= playbackState.playlistCount) return -1;
    return row;
}

bool ShownRow(int row, char* shown, int size)
{
    static char path[ShownSize];
    shown[0] = 0;
    int limit = size - static_cast<int>(sizeof NameGap);
    if (limit > ShownSize) limit = ShownSize;
    bool read = limit > 0 && ReadListRow(ControlHandle(PlaylistSlot), row, path, limit) >= 0;
    if (read && row < playbackState.playlistCount) ShowEntry(path, shown);
    else if (read) strcpy(shown, path);
    return row == PlayingRow();
}

// Pixels a text needs as a row shows it, as if bold, so that the extent
// holds whichever row plays.
static int ShownWidth(const char* text)
{
    static char shown[ShownSize];
    if (strnlen(text, TextArenaSize) >= static_cast<size_t>(TextArenaSize)) return 0;
    ShowEntry(text, shown);
    SIZE extent = {};
    GetTextExtentPoint32A(measureDC, shown, static_cast<int>(strlen(shown)), &extent);
    return RowIndent + markerWidth + extent.cx + RowIndent;
}

static int RowWidth(HWND list, int row)
{
    static char text[TextArenaSize];
    return ReadListRow(list, row, text, TextArenaSize) >= 0 ? ShownWidth(text) : 0;
}

static void FitExtent(HWND list)
{
    int widest = 0;
    int rows = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; row++) {
        int width = RowWidth(list, row);
        if (width > widest) widest = width;
    }
    SendMessageA(list, LB_SETHORIZONTALEXTENT, widest, 0);
}

// Every change of the rows passes here, whichever command makes it: a row
// put in widens the extent when it is wider; a row taken out that was the
// widest makes it fit the rows left.
static LRESULT CALLBACK PlaylistProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool putIn = message == LB_INSERTSTRING || message == LB_ADDSTRING;
    if (!putIn && message != LB_DELETESTRING && message != LB_RESETCONTENT)
        return CallWindowProcA(listProc, list, message, wParam, lParam);
    int extent = static_cast<int>(CallWindowProcA(listProc, list, LB_GETHORIZONTALEXTENT, 0, 0));
    bool widest = message == LB_DELETESTRING && RowWidth(list, static_cast<int>(wParam)) >= extent;
    LRESULT result = CallWindowProcA(listProc, list, message, wParam, lParam);
    if (putIn && result >= 0 && lParam) {
        int width = ShownWidth(reinterpret_cast<const char*>(lParam));
        if (width > extent) SendMessageA(list, LB_SETHORIZONTALEXTENT, width, 0);
    } else if ((widest && result != LB_ERR) || message == LB_RESETCONTENT) {
        FitExtent(list);
    }
    return result;
}

void WatchPlaylistRows(HWND playlist)
{
    if (!playlist) return;
    listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(playlist, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PlaylistProc)));
}

void SetPlaylistFont(HFONT font)
{
    MakeRowFonts(font);
    HWND list = ControlHandle(PlaylistSlot);
    if (!list) return;
    SendMessageA(list, LB_SETITEMHEIGHT, 0, RowHeight());   // an owner-drawn list measures once, at creation
    FitExtent(list);
}

BOOL MeasurePlaylistRow(MEASUREITEMSTRUCT& measure)
{
    if (measure.CtlType != ODT_LISTBOX || measure.CtlID != static_cast<UINT>(PlaylistSlot)) return FALSE;
    measure.itemHeight = static_cast<UINT>(RowHeight());
    return TRUE;
}

BOOL DrawPlaylistRow(const DRAWITEMSTRUCT& draw)
{
    if (draw.CtlType != ODT_LISTBOX || draw.CtlID != static_cast<UINT>(PlaylistSlot)) return FALSE;
    HDC dc = draw.hDC;
    RECT box = draw.rcItem;
    if (draw.itemAction == ODA_FOCUS) {   // the focus rectangle alone, drawn over what is there
        DrawFocusRect(dc, &box);
        return TRUE;
    }
    bool selected = (draw.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(draw.itemID) >= 0) {
        static char shown[ShownSize];
        bool playing = ShownRow(static_cast<int>(draw.itemID), shown, ShownSize);
        int color = selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
        if (!selected && (draw.itemState & ODS_DISABLED)) color = COLOR_GRAYTEXT;
        HGDIOBJ before = SelectObject(dc, rowFonts[playing]);
        int mode = SetBkMode(dc, TRANSPARENT);
        COLORREF textColor = SetTextColor(dc, GetSysColor(color));
        int x = box.left + RowIndent;
        if (playing) TextOutA(dc, x, box.top, PlayingMarker, sizeof PlayingMarker - 1);
        TextOutA(dc, x + markerWidth, box.top, shown, static_cast<int>(strlen(shown)));
        SetTextColor(dc, textColor);
        SetBkMode(dc, mode);
        SelectObject(dc, before);
    }
    if (draw.itemState & ODS_FOCUS) DrawFocusRect(dc, &box);
    return TRUE;
}

static void RepaintRow(int row)
{
    HWND list = ControlHandle(PlaylistSlot);
    RECT place;
    if (row >= 0 && SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&place)) != LB_ERR)
        InvalidateRect(list, &place, TRUE);
}

// Between two messages the window thread may have moved currentIndex (Stop,
// Next, an edit) while the old stream still played, and a row drawn then
// shows the mark early: the current row is repainted as well as the old mark.
void ShowPlaying(HWND mainWindow, const char* caption, const char* path)
{
    RepaintRow(markedRow);
    markedRow = PlayingRow();
    RepaintRow(playbackState.currentIndex);
    char text[PathSize + 64];
    const char* name = FileNameOf(path ? path : "");
    if (*name) snprintf(text, sizeof text, "%s - %s", name, caption);
    else snprintf(text, sizeof text, "%s", caption);
    SetWindowTextA(mainWindow, text);
}

// Control handles by slot, control creation, and the idle and caption texts.
#include "window/controls.h"

#include <cstdint>

// Written only at start-up, before any playback thread exists; read-only after.
static HWND controlHandles[SlotCount];

HWND ControlHandle(int slot)
{
    if (slot < 0 || slot >= SlotCount) return nullptr;
    return controlHandles[slot];
}

void ForgetControls()
{
    for (HWND& handle : controlHandles) handle = nullptr;
}

LayoutUnits MeasureLayoutUnits(HWND window, HFONT font)
{
    TEXTMETRICA metrics = {};
    HDC deviceContext = GetDC(window);
    HGDIOBJ before = font ? SelectObject(deviceContext, font) : nullptr;
    GetTextMetricsA(deviceContext, &metrics);
    if (before) SelectObject(deviceContext, before);
    ReleaseDC(window, deviceContext);
    return UnitsFromMetrics(metrics.tmHeight, metrics.tmAveCharWidth, metrics.tmPitchAndFamily);
}

static const char* ClassForType(int type)
{
    switch (type) {
    case 0: return "static";
    case 1: return "button";
    case 2: return "edit";
    case 3: return "listbox";
    }
    return " ";   // no window class has this name
}

void CreateControls(HWND mainWindow, HINSTANCE instance, const LayoutUnits& units)
{
    for (int slot = 0; slot < SlotCount; slot++) {
        const ControlSpec& spec = LayoutControl(slot);
        controlHandles[slot] = nullptr;
        if (spec.type < 0) continue;
        ControlPlace place = PlaceControl(spec, units);
        DWORD style = static_cast<DWORD>(spec.style);
        if (slot == PlaylistSlot && spec.type == 3) style |= PlaylistStyle;
        controlHandles[slot] = CreateWindowExA(0, ClassForType(spec.type), LayoutText(slot), style,
                                               place.x, place.y, place.width, place.height,
                                               mainWindow, reinterpret_cast<HMENU>(static_cast<intptr_t>(slot)),
                                               instance, nullptr);
    }
}

void PlaceControls(const LayoutUnits& units, HFONT font)
{
    for (int slot = 0; slot < SlotCount; slot++) {
        if (!controlHandles[slot]) continue;
        ControlPlace place = PlaceControl(LayoutControl(slot), units);
        SendMessageA(controlHandles[slot], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        MoveWindow(controlHandles[slot], place.x, place.y, place.width, place.height, TRUE);
    }
}

SIZE LayoutExtent(const LayoutUnits& units)
{
    SIZE extent = {0, 0};
    for (int slot = 0; slot < SlotCount; slot++) {
        if (!controlHandles[slot]) continue;
        ControlPlace place = PlaceControl(LayoutControl(slot), units);
        if (place.x + place.width > extent.cx) extent.cx = place.x + place.width;
        if (place.y + place.height > extent.cy) extent.cy = place.y + place.height;
    }
    // A column and a margin beyond the far edges, as the near edges have.
    extent.cx += units.charWidth;
    extent.cy += units.topMargin;
    return extent;
}

void ShowLayoutText(int controlSlot, int textSlot)
{
    char text[TextArenaSize];
    CopyLayoutText(textSlot, text, TextArenaSize);
    SendMessageA(ControlHandle(controlSlot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void ShowIdleTexts()
{
    ShowLayoutText(PositionSlot, IdleText);
    ShowLayoutText(StatusSlot, IdleText);
}

void RefreshCaptions()
{
    for (int slot = 0; slot < SlotCount; slot++)
        if (LayoutControl(slot).type >= 0)
            SendMessageA(ControlHandle(slot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(LayoutText(slot)));
}

int ReadListRow(HWND list, int row, char* text, int size)
{
    text[0] = 0;
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length < 0 || length >= size) return -1;
    length = SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    if (length < 0 || length >= size) {
        text[0] = 0;
        return -1;
    }
    text[length] = 0;
    return static_cast<int>(length);
}

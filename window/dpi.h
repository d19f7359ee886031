// The window's DPI: the controls' font made for it, and the main window sized
// to hold the layout at it. The per-DPI calls of user32 are looked up at run
// time: older systems, MinGW's headers and Wine may lack them.
#pragma once

#include <windows.h>

// GetDpiForWindow where the system has it, else the screen's LOGPIXELSY.
int WindowDpi(HWND window);

// NULL at 96 DPI: the controls keep the system font, as they always had.
// Otherwise the system's message font scaled from the screen's DPI to dpi;
// the caller deletes it.
HFONT MakeFontForDpi(int dpi);

// The main window's outer size for a client area of clientWidth by
// clientHeight with both scroll bars, at dpi, no larger than the work area of
// its monitor and moved inside it.
void FitMainWindow(HWND window, int clientWidth, int clientHeight, int dpi);

// The command line's items, and one player for one PELORIX.ini: a start with
// items hands them to a player already running for the same settings file.
#pragma once

#include <windows.h>

// Before any window: the arguments after the program's name, each converted
// to the ANSI code page and resolved against the current directory; those
// that cannot be are dropped; a /add among them (any case) adds them all
// without playing any. Returns how many were kept.
int ReadCommandLine();

// Offers the items, with settingsPath, to each top-level window of the class
// in turn; Ok when one took them, which is then brought to the front. Failed
// with no items, no settings path or no taker.
int HandItemsOver(const char* className);

// WM_COPYDATA of a started-up main window: items handed over for this
// window's own PELORIX.ini (named alike but for case) are added and the first
// plays, unless they came with /add. TRUE when taken.
LRESULT TakeHandedItems(HWND window, const COPYDATASTRUCT* data);

// Once the main window has started up: the command line's items added, the
// first playing unless /add was given.
void AddCommandItems(HWND window);

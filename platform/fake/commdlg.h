// Stand-in for <commdlg.h>: the common-dialog names the program uses.
#pragma once

#include <windows.h>

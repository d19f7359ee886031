// Windows entry point; the program itself is RunProgram.
#include <windows.h>

#include "app/mainwindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return RunProgram(instance, showCommand);
}

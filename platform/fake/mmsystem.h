// Stand-in for <mmsystem.h>: the waveform-audio names the program uses.
#pragma once

#include <windows.h>

struct FakeWaveOut;
typedef FakeWaveOut* HWAVEOUT;

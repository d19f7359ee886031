// What every Windows test needs: the audio the device played (captured to
// files by the runner under Wine), message pumping with a timeout, and a
// temporary folder per test.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The bytes each opening of the device played, in opening order; empty when
// PELORIX_CAPTURE (the first capture file's Windows path) is not set. Read
// them after the device is closed: an open one may still write.
std::vector<std::string> Captures();
void ForgetCaptures();   // deletes them; the next opening writes the first again

// Carries out the thread's sent and posted messages (a WM_QUIT is dropped)
// until done() holds; false when it still does not after that many seconds.
bool PumpUntil(const std::function<bool()>& done, int seconds = 10);

// A new empty folder for the running test under the Windows temp folder,
// ending in a backslash; RemoveTestFolder deletes it with its contents.
std::string MakeTestFolder();
void RemoveTestFolder(const std::string& folder);

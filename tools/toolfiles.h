// File handling shared by the command-line tools: standard streams in binary
// mode, output written under a temporary name in the target's folder and
// renamed into place only when complete, so a failure never leaves a partial
// file under the name the user gave, and scratch files that leave nothing.
#pragma once

#include <cstdio>

const int ToolPathSize = 4096;

// Buffer size for the tools' input and output files: a few system calls a
// megabyte instead of 256.
const size_t ToolBufferSize = 1 << 16;

struct ToolOutput {
    FILE* file;
    bool toStdout;
    char path[ToolPathSize];
    char tempPath[ToolPathSize];
};

void SetBinaryMode(FILE* stream);

// True when stream is an interactive terminal (for progress output).
bool IsTerminal(FILE* stream);

// True when stream is a file on disk, which can be read again from a saved
// position; false for a pipe or a terminal.
bool CanSeek(FILE* stream);

// True when path names the file that open reads, by whatever spelling or
// link: writing there would destroy the input before it is read.
bool NamesOpenFile(const char* path, FILE* open);

// "-" means standard output. Returns 0 or 999 (cannot create the file).
int OpenToolOutput(ToolOutput& output, const char* path);

// Flushes, closes and renames into place; 999 when any write failed.
int CommitToolOutput(ToolOutput& output);

// Closes and removes the temporary file.
void AbandonToolOutput(ToolOutput& output);

// A temporary file to write and read back, in the folder of beside (a path;
// "-": the system's folder for temporary files), which the system removes when
// it is closed or the tool ends, however it ends; null when it cannot be made.
FILE* OpenToolScratch(const char* beside);

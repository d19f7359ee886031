// Position in the open stream: the frame counter, the SeekIndex of every
// 50th frame's offset, the seek requests and how they are carried out, and
// the time displays.
#pragma once

// At each opening, with streamFile at frame 0 and the StreamHeader read:
// frame 0, nothing pending, SeekIndex entry 0 = this offset.
void ResetPosition();

// One frame decoded or skipped: the counter advances, and the first time a
// second is reached its offset joins the SeekIndex (which stops growing when
// full; seeks beyond it walk from its last entry).
void CountFrame();

// "<PositionSlot's text>  h: m: s  //  h: m: s" (elapsed, then total) into PositionSlot.
void ShowPosition();

// Window thread: adds frames (signed, 1/50 s each) to the pending seek unless
// paused or the target lies past the last frame; shows the target as a
// preview in StatusSlot when it lies beyond the indexed part.
void RequestSeek(int frames);

// Playback thread, first step of every fill: carries out the pending seek by
// jumping to an indexed second and walking frame headers from there.
void ApplyPendingSeek();

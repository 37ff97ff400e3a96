// The display's big blocks (the device's frame buffers and depth buffer, the
// textures of the slots, the still picture of a pause) come and go together
// whenever the display is made anew: at every pause, every five minutes on
// the desktop and whenever the quality changes. The allocator is asked to
// keep such blocks apart from the small ones, and to give back what a
// released display leaves free, so that a display made anew takes the room
// of the last one instead of adding to it.
#pragma once

namespace lumivane {

// Blocks of this size and more are mapped on their own and unmapped when
// freed, whatever was freed before (the allocator would otherwise raise the
// bound after every big block freed, and later big blocks would then pin
// the heap's free room between small ones). The bound lies above the
// blocks of 1 to 2 MiB that a frame itself takes and frees again, by their
// size the driver's storage for the device's streaming vertex buffer, made
// anew whenever it fills: mapping those afresh each time cost a sixth of
// the frame rate. Screen-sized buffers from 1280 x 720 up lie above it;
// smaller ones stay in the heap, whose free room is given back below.
inline constexpr int kOwnMappingBytes = 2 * 1024 * 1024;

// Once per process: sets the bound above.
void KeepBigBlocksApart();
// Hands the free room of the heap back to the system.
void GiveBackFreeMemory();

} // namespace lumivane

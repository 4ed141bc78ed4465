// The virtual screen: the off-screen picture the show draws into, 640 x 480
// with 16-bit colour (RGB565) and 16-bit depth unless the remaster settings
// ask for another size, precision or samples; and where a finished picture
// lands when it is shown in a window or a video of another size.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

enum class ScaleFilter { Linear, Nearest, Integer };

// The virtual screen's pixels, top row first, RGB, 3 bytes a pixel.
void ReadVirtualScreen(std::vector<std::uint8_t>& rgb, int& width, int& height);

// Reading the virtual screen back without waiting for it, for a capture:
// QueueVirtualScreenRead starts the transfer of the finished picture and
// returns at once; TakeVirtualScreenRead gives the oldest picture queued, as
// ReadVirtualScreen would have given it then, waiting only for what has not
// arrived. Taken a frame or two later, a frame's transfer overlaps the next
// ones' drawing. Reads queued when the context goes are finished first and
// can still be taken.
constexpr int QueuedScreenReads = 3;

// False, queuing nothing, where there is no virtual screen or its context
// has no pixel buffer objects (read with ReadVirtualScreen then), or
// QueuedScreenReads are queued already.
bool QueueVirtualScreenRead();

// The oldest queued picture, top row first, RGB; false when none is queued.
bool TakeVirtualScreenRead(std::vector<std::uint8_t>& rgb, int& width, int& height);

// The colour and depth bits of the surface the show draws into.
void QueryDrawingBits(int& red, int& green, int& blue, int& depth);

// The largest area of whole 4 x 3 units inside width x height.
void LargestFourByThree(int width, int height, int& fitWidth, int& fitHeight);

// Where a picture of the source size lands in a target of the given size:
// the largest 4:3-keeping box (or, for Integer, the largest whole multiple),
// centred, with bars around it.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
Box FitBox(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight, ScaleFilter filter);
// Whether the box leaves bars in a target of that size.
bool LeavesBars(const Box& box, int targetWidth, int targetHeight);
// Whether a picture of the source size lands in the box smoothed: a linear
// scale that changes its size. Unscaled, each pixel is taken as it is
// whatever the filter, and the nearest one is the cheaper.
bool Smoothed(const Box& box, int sourceWidth, int sourceHeight, ScaleFilter filter);

} // namespace platform

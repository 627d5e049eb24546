#pragma once
// The core's state blob, with the program chosen, through the host's stream
// (main thread).
#include "travesty/bstream.h"

struct Vst3Instance;

// Reads the stream to its end, however few bytes each read gives, and takes
// the blob all or nothing: kResultOk when it was read (its program, or none,
// becomes the current one), kResultFalse when it was refused (nothing
// changed), kInvalidArgument without a stream.
v3_result loadState(Vst3Instance& instance, v3_bstream** stream);
// Writes the blob, however few bytes each write takes; kResultFalse when the
// stream stops taking them.
v3_result saveState(const Vst3Instance& instance, v3_bstream** stream);

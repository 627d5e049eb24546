#include "state_stream.h"

#include <cstdint>

#include "../core/state_blob.h"
#include "vst3_instance.h"

v3_result loadState(Vst3Instance& instance, v3_bstream** stream) {
    if (!stream || !*stream) return kInvalidArgument;
    // One byte more than the largest blob: a longer stream is refused whole.
    uint8_t blob[kStateBlobMaxBytes + 1];
    size_t size = 0;
    while (size < sizeof blob) {
        int32_t got = 0;
        const int32_t want = static_cast<int32_t>(sizeof blob - size);
        if (v3_cpp_obj(stream)->read(stream, blob + size, want, &got) != kResultOk || got <= 0) break;
        size += static_cast<size_t>(got < want ? got : want);
    }
    int32_t program = kNoProgram;
    if (!readState(instance.core, blob, size, &program)) return kResultFalse;
    instance.program.store(program);
    return kResultOk;
}

v3_result saveState(const Vst3Instance& instance, v3_bstream** stream) {
    if (!stream || !*stream) return kInvalidArgument;
    uint8_t blob[kStateBlobMaxBytes];
    const size_t size = writeState(instance.core, blob, sizeof blob, instance.program.load());
    for (size_t done = 0; done < size;) {
        int32_t wrote = 0;
        const int32_t want = static_cast<int32_t>(size - done);
        if (v3_cpp_obj(stream)->write(stream, blob + done, want, &wrote) != kResultOk || wrote <= 0)
            return kResultFalse;
        done += static_cast<size_t>(wrote < want ? wrote : want);
    }
    return size > 0 ? kResultOk : kResultFalse;
}

// The host saves and restores the core's state blob through its streams.
// Main thread. A stream may move fewer bytes than asked at each call.
#include <clap/ext/state.h>

#include <cstdint>

#include "../core/state_blob.h"
#include "clap_instance.h"

namespace {

// True when every byte went out; a stream that fails, or takes nothing or
// more than offered, ends the save as failed.
bool save(const clap_plugin_t* plugin, const clap_ostream_t* stream) {
    const ClapInstance* p = instanceOf(plugin);
    if (!p || !stream || !stream->write) return false;
    uint8_t blob[kStateBlobMaxBytes];
    const size_t size = writeState(p->core, blob, sizeof blob);
    for (size_t done = 0; done < size;) {
        const int64_t n = stream->write(stream, blob + done, size - done);
        if (n <= 0 || static_cast<uint64_t>(n) > size - done) return false;
        done += static_cast<size_t>(n);
    }
    return size > 0;
}

// Reads to the stream's end, then the blob all or nothing: a read error, a
// stream longer than any blob, or a blob the core refuses changes nothing.
// A load that changed any value tells the host, which otherwise keeps
// showing (and recording) the old ones.
bool load(const clap_plugin_t* plugin, const clap_istream_t* stream) {
    ClapInstance* p = instanceOf(plugin);
    if (!p || !stream || !stream->read) return false;
    uint8_t blob[kStateBlobMaxBytes + 1];  // one more, to see a stream that is too long
    size_t size = 0;
    while (size < sizeof blob) {
        const int64_t n = stream->read(stream, blob + size, sizeof blob - size);
        if (n == 0) break;
        if (n < 0 || static_cast<uint64_t>(n) > sizeof blob - size) return false;
        size += static_cast<size_t>(n);
    }
    if (size > kStateBlobMaxBytes) return false;
    float before[kParamCount];
    for (int32_t i = 0; i < kParamCount; ++i) before[i] = parameter(p->core, i);
    if (!readState(p->core, blob, size)) return false;
    for (int32_t i = 0; i < kParamCount; ++i) {
        if (parameter(p->core, i) != before[i]) {
            tellHostValuesChanged(*p);
            break;
        }
    }
    return true;
}

}  // namespace

const clap_plugin_state_t kClapState = {save, load};

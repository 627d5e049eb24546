#include <cstring>

#include "../dsp/parameters.h"
#include "state_blob.h"

// The blob's writing half, free of the core so that build tools (the factory
// preset files) write blobs the plug-in reads.
namespace {

void putU16(uint8_t* out, uint16_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}

void putFloat(uint8_t* out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

uint8_t* putEntry(uint8_t* at, const char* identifier, float value) {
    const size_t length = std::strlen(identifier);
    *at++ = static_cast<uint8_t>(length);
    std::memcpy(at, identifier, length);
    putFloat(at + length, value);
    return at + length + 4;
}

}  // namespace

size_t writeStateValues(const float* values, int32_t count, uint8_t* out, size_t capacity, int32_t program) {
    const bool withProgram = program != kNoProgram;
    size_t size = 8 + (withProgram ? 1 + std::strlen(kProgramIdentifier) + 4 : 0);
    for (int32_t i = 0; i < count; ++i) size += 1 + std::strlen(kParamTable[i].symbol) + 4;
    if (!out || !values || count < 1 || count > kParamCount || capacity < size) return 0;
    std::memcpy(out, kStateBlobMagic, 4);
    putU16(out + 4, kStateBlobVersion);
    putU16(out + 6, static_cast<uint16_t>(count + (withProgram ? 1 : 0)));
    uint8_t* at = out + 8;
    for (int32_t i = 0; i < count; ++i) at = putEntry(at, kParamTable[i].symbol, values[i]);
    if (withProgram) putEntry(at, kProgramIdentifier, static_cast<float>(program));
    return size;
}

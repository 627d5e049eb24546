#include "state_blob.h"

#include <cstring>

#include "../dsp/presets.h"
#include "plugin_core.h"

namespace {

constexpr size_t kMaxIdentifierBytes = 32;

uint16_t getU16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

float getFloat(const uint8_t* in) {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(in[i]) << (8 * i);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool wellFormedIdentifier(const uint8_t* text, size_t length) {
    if (length == 0 || length > kMaxIdentifierBytes) return false;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

// The table row whose symbol is this identifier, or -1.
int32_t indexOfIdentifier(const uint8_t* text, size_t length) {
    for (int32_t i = 0; i < kParamCount; ++i) {
        const char* symbol = kParamTable[i].symbol;
        if (std::strlen(symbol) == length && std::memcmp(symbol, text, length) == 0) return i;
    }
    return -1;
}

// Whether an entry before `end` (entries start at byte 8) has this identifier.
bool identifierSeenBefore(const uint8_t* data, size_t end, const uint8_t* text, size_t length) {
    for (size_t at = 8; at < end;) {
        const size_t entryLength = data[at];
        if (entryLength == length && std::memcmp(data + at + 1, text, length) == 0) return true;
        at += 1 + entryLength + 4;
    }
    return false;
}

// The program entry's value as a preset of this release, or kNoProgram.
int32_t programOf(float value) {
    for (int32_t p = 0; p < kPresetCount; ++p)
        if (value == static_cast<float>(p)) return p;
    return kNoProgram;
}

}  // namespace

size_t writeState(const PluginCore& core, uint8_t* out, size_t capacity, int32_t program) {
    float values[kParamCount];
    for (int32_t i = 0; i < kParamCount; ++i) values[i] = parameter(core, i);
    return writeStateValues(values, kParamCount, out, capacity, program);
}

bool readState(PluginCore& core, const uint8_t* data, size_t size, int32_t* program) {
    if (!data || size < 8 || size > kStateBlobMaxBytes) return false;
    if (std::memcmp(data, kStateBlobMagic, 4) != 0 || getU16(data + 4) != kStateBlobVersion) return false;
    const uint16_t count = getU16(data + 6);

    float values[kParamCount];
    bool seen[kParamCount] = {};
    bool anyKnown = false;
    int32_t chosen = kNoProgram;
    size_t at = 8;
    for (uint16_t entry = 0; entry < count; ++entry) {
        if (at >= size) return false;
        const size_t length = data[at++];
        if (size - at < length + 4 || !wellFormedIdentifier(data + at, length)) return false;
        if (identifierSeenBefore(data, at - 1, data + at, length)) return false;
        const int32_t index = indexOfIdentifier(data + at, length);
        const float value = getFloat(data + at + length);
        const bool isProgram = length == sizeof kProgramIdentifier - 1 &&
                               std::memcmp(data + at, kProgramIdentifier, length) == 0;
        at += length + 4;
        if (isProgram) chosen = programOf(value);
        if (index < 0) continue;  // the program, or a parameter of a later release
        if (!(value >= 0.0f && value <= 1.0f)) return false;
        seen[index] = true;
        anyKnown = true;
        values[index] = value;
    }
    if (at != size || !anyKnown) return false;
    // Bypass is the host's switch, not a setting of the sound: a blob
    // without it (a factory preset's) leaves it as it is.
    for (int32_t i = 0; i < kParamCount; ++i)
        if (seen[i] || i != kBypass) setParameter(core, i, seen[i] ? values[i] : kParamTable[i].defaultValue);
    if (program) *program = chosen;
    return true;
}

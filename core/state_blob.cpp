#include "state_blob.h"

#include <cstring>

#include "plugin_core.h"

namespace {

constexpr uint8_t kMagic[4] = {'D', 'Q', 's', 't'};
constexpr uint16_t kVersion = 1;
constexpr size_t kMaxIdentifierBytes = 32;

void putU16(uint8_t* out, uint16_t v) {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}

uint16_t getU16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

void putFloat(uint8_t* out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

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

}  // namespace

size_t writeStateValues(const float* values, int32_t count, uint8_t* out, size_t capacity) {
    size_t size = 8;
    for (int32_t i = 0; i < count; ++i) size += 1 + std::strlen(kParamTable[i].symbol) + 4;
    if (!out || !values || count < 1 || count > kParamCount || capacity < size) return 0;
    std::memcpy(out, kMagic, 4);
    putU16(out + 4, kVersion);
    putU16(out + 6, static_cast<uint16_t>(count));
    uint8_t* at = out + 8;
    for (int32_t i = 0; i < count; ++i) {
        const size_t length = std::strlen(kParamTable[i].symbol);
        *at++ = static_cast<uint8_t>(length);
        std::memcpy(at, kParamTable[i].symbol, length);
        at += length;
        putFloat(at, values[i]);
        at += 4;
    }
    return size;
}

size_t writeState(const PluginCore& core, uint8_t* out, size_t capacity) {
    float values[kParamCount];
    for (int32_t i = 0; i < kParamCount; ++i) values[i] = parameter(core, i);
    return writeStateValues(values, kParamCount, out, capacity);
}

bool readState(PluginCore& core, const uint8_t* data, size_t size) {
    if (!data || size < 8 || size > kStateBlobMaxBytes) return false;
    if (std::memcmp(data, kMagic, 4) != 0 || getU16(data + 4) != kVersion) return false;
    const uint16_t count = getU16(data + 6);

    float values[kParamCount];
    bool seen[kParamCount] = {};
    bool anyKnown = false;
    size_t at = 8;
    for (uint16_t entry = 0; entry < count; ++entry) {
        if (at >= size) return false;
        const size_t length = data[at++];
        if (size - at < length + 4 || !wellFormedIdentifier(data + at, length)) return false;
        if (identifierSeenBefore(data, at - 1, data + at, length)) return false;
        const int32_t index = indexOfIdentifier(data + at, length);
        const float value = getFloat(data + at + length);
        at += length + 4;
        if (index < 0) continue;  // a parameter of a later release
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
    return true;
}

#pragma once
// The parameter values as a small versioned blob, for the formats whose hosts
// save a plug-in's own state (VST 3, CLAP). VST 2 saves no state of its own:
// its hosts keep the parameters.
//
// Layout, little-endian: "DQst", version (u16, 1), entry count (u16), then per
// entry the identifier's length (u8), the identifier (the table's symbol,
// [a-z0-9_], 1 to 32 bytes) and the normalised value (IEEE float32). Values
// are keyed by identifier, so a later release with more parameters reads this
// one's blobs (a parameter a blob lacks takes its default, but for Bypass,
// which a blob without it leaves as it is: a factory preset's blob holds
// every row but Bypass) and this release reads a later one's (identifiers it
// does not know are skipped).
//
// One entry is not a parameter: "program", the factory preset last chosen
// (VST 3 hosts show it in their preset menus), its index as a float. A blob
// without it, as every blob before it, reads as no preset chosen; so does an
// index this release has no preset for. Readers before it skip it as an
// identifier they do not know.
#include <cstddef>
#include <cstdint>

struct PluginCore;

constexpr uint8_t kStateBlobMagic[4] = {'D', 'Q', 's', 't'};
constexpr uint16_t kStateBlobVersion = 1;
constexpr char kProgramIdentifier[] = "program";
constexpr int32_t kNoProgram = -1;
constexpr size_t kStateBlobMaxBytes = 8 + 255 * (1 + 32 + 4);  // the largest blob a reader accepts

// Writes the blob into `out`, with `program` unless it is kNoProgram; returns
// its size, or 0 (nothing written) when `capacity` is too small. Any thread.
size_t writeState(const PluginCore& core, uint8_t* out, size_t capacity, int32_t program = kNoProgram);
// The same for the table's first `count` rows holding `values` (normalised),
// as a factory preset file carries them; 0 for a count outside 1..kParamCount.
size_t writeStateValues(const float* values, int32_t count, uint8_t* out, size_t capacity,
                        int32_t program = kNoProgram);

// Reads a blob, all or nothing: a blob that is truncated, longer than its
// entries, of another magic or version, with an identifier that is malformed
// or appears twice, with no identifier this release knows, or with a value
// that is NaN, infinite or outside [0, 1] changes nothing and returns false.
// Main thread (the values reach the engine at its next block). A blob read
// gives its program in `program` (when not null): a preset index or kNoProgram.
bool readState(PluginCore& core, const uint8_t* data, size_t size, int32_t* program = nullptr);

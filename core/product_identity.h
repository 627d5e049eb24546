#pragma once
// Who the plug-in is, in every format: names, vendor, version and the
// identifiers hosts file it under. Each of these is fixed forever once
// released: hosts find saved projects' plug-ins by them.
#include <cstdint>

constexpr const char* kProductName = "Dorlin Quillet";
constexpr const char* kVendorName = "Dorlin Audio Technologies";
constexpr const char* kProductString = "Dorlin Quillet VCA Compressor";
constexpr const char* kProductDescription = "Stereo VCA glue compressor with program-dependent knee and release";
constexpr const char* kVendorUrl = "http://dorlin-audio.example/";
constexpr const char* kVersionString = "1.0.0";
constexpr int32_t kVendorVersion = 1000;  // VST 2's form of 1.0.0

constexpr int32_t kVst2UniqueId = 0x5155494C;  // 'QUIL'

constexpr const char* kLv2PluginUri = "http://dorlin-audio.example/plugins/quillet";
constexpr const char* kLv2RatioUnitUri = "http://dorlin-audio.example/plugins/quillet#ratio";

// VST 3 class id: the 16 bytes the factory reports (moduleinfo.json writes
// them as 32 hex digits in this order).
constexpr uint8_t kVst3ClassId[16] = {0x26, 0x99, 0xF7, 0x7B, 0x84, 0xD5, 0x4C, 0x5B,
                                      0x86, 0x6B, 0x4C, 0x5B, 0x6E, 0xF1, 0x4E, 0x24};

constexpr const char* kClapPluginId = "example.dorlin-audio.quillet";

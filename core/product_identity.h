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
// The panel as an X11 UI, in a library of its own beside the plug-in's.
constexpr const char* kLv2UiUri = "http://dorlin-audio.example/plugins/quillet#ui";
constexpr const char* kLv2RatioUnitUri = "http://dorlin-audio.example/plugins/quillet#ratio";

// VST 3 class id, as the format writes ids: four 32-bit words, which
// moduleinfo.json and hosts show as 32 hex digits in this order
// (2699F77B84D54C5B866B4C5B6EF14E24). The 16 bytes a factory reports are laid
// out from these words by the platform's rule: on Windows, COM's GUID layout
// (the first word and each half of the second little-endian).
constexpr uint32_t kVst3ClassId[4] = {0x2699F77B, 0x84D54C5B, 0x866B4C5B, 0x6EF14E24};

constexpr const char* kClapPluginId = "example.dorlin-audio.quillet";

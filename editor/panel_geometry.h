#pragma once
// The panel's size in panel units (client pixels at 100 %).
#include <cstdint>

constexpr int32_t kPanelWidth = 840;
constexpr int32_t kPanelHeight = 520;

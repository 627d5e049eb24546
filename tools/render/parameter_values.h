#pragma once
// Parameter values in a plug-in's display units, for any VST 2 plug-in: the
// parameter is set, its effGetParamDisplay text read back, and the value it
// had restored afterwards.
#include <string>

#include "vst_host.h"

// The unit label, or where the label is empty, what follows the number in the
// display text ("" when neither names one).
std::string parameterUnit(AEffect* e, int32_t index);
// Units compare without blanks and case: "db" names dB, "% " names %.
bool sameUnit(const std::string& a, const std::string& b);

// "-36.0 .. 0.0 dB": the lowest and highest numbers the display shows, or ""
// when it shows no numbers.
std::string displayRange(AEffect* e, int32_t index);

// The normalised value whose display reads `number` to the display's own
// precision, in the middle of the values that read the same. Bisects where the
// display is monotonic between neighbouring scan points. A number the display
// never shows throws RenderError naming the range and the nearest value.
float normalisedForDisplay(AEffect* e, int32_t index, double number, const std::string& asked);

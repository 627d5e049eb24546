#pragma once
// A parameter's value as text, written from its table row and read back: the
// host's display text (the row's format, no unit), the text with the unit
// that the editor shows, and the reading of what a user types into a host.
// Every text is ASCII.
#include <cstddef>
#include <cstdint>

// The printf format of the text with unit: the row's format joined to its
// label ("%.1f dB", "%.1f:1", "%.0f%%"; a '%' of the label doubled). Empty
// for an index outside the table or when `size` cannot hold it.
void writeValueFormat(int32_t index, char* out, size_t size);

// The host's display text of parameter `index` at normalised `v` ("-18.0").
// Like every writer here, it writes at most `size` bytes, terminator included,
// and an empty text for an index outside the table.
void writeDisplayText(int32_t index, float normalised, char* out, size_t size);

// The text with unit ("-18.0 dB", "8.0:1", "65%").
void writeValueText(int32_t index, float normalised, char* out, size_t size);

// Reads a text as either writer writes it, with or without the unit: a
// decimal number with an optional sign, then the row's label or nothing (in
// any case of letters; spaces allowed around each). The unit value becomes
// the normalised value through the table's inverse, out-of-range values
// clamped to the range. A negative zero ("-0.0 dB", shown just below 0 dB)
// reads as the normalised value one float below zero's own, where the range
// goes below zero, so that its text reads "-0.0" again. Anything else
// (empty, no digits, "inf", "nan", an exponent, another unit, trailing text)
// returns false and leaves `normalised` untouched.
bool parseValueText(int32_t index, const char* text, float* normalised);

// The text in a host's own parameter list (VST 3, CLAP): the host's bypass
// switch reads "Off" or "On", every other row as writeValueText (`withUnit`)
// or writeDisplayText.
void writeListText(int32_t index, float normalised, bool withUnit, char* out, size_t size);
// Reads what writeListText writes, and whatever parseValueText reads; the
// switch's texts in any case of letters (spaces allowed around them).
bool parseListText(int32_t index, const char* text, float* normalised);

// The gain-reduction meter's text at `decibels` ("12.0", "12.0 dB").
void writeMeterText(float decibels, bool withUnit, char* out, size_t size);

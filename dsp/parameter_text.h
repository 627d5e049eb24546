#pragma once
// INTERIM (uncommitted): stands in for the tools-editor branch's header.
#include <cstddef>
#include <cstdint>
void writeDisplayText(int32_t index, float normalised, char* out, size_t size);
void writeValueText(int32_t index, float normalised, char* out, size_t size);
bool parseValueText(int32_t index, const char* text, float* normalised);

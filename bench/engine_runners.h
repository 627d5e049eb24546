#pragma once
// Runs a whole benchmark program through the shipped engine or the literal
// transcription, block by block, from a freshly initialised state.
#include <cstdint>
#include <vector>

#include "signals.h"

// Reusable runners: the state and output buffers are allocated once, so that a
// timed run does nothing but initialise the state and process.
class ShippedRunner {
public:
    ShippedRunner();
    ~ShippedRunner();
    void run(const BenchSignal& signal, int32_t blockSize, StereoBuffer& out);
    float meter() const;

private:
    struct Impl;
    Impl* impl_;
};

class LiteralRunner {
public:
    LiteralRunner();
    ~LiteralRunner();
    void run(const BenchSignal& signal, int32_t blockSize, StereoBuffer& out);
    float meter() const;

private:
    struct Impl;
    Impl* impl_;
};

#pragma once
// The automation-density program: the music-like program in host blocks of
// 512 frames through the core's in-block change list (the path of hosts that
// send changes at sample positions), one parameter moving along a smooth curve
// with a new value every `every` frames. `every` 0 is the same program with
// no change at all, the baseline of the ratios.
#include <cstdint>
#include <vector>

#include "plugin_core.h"
#include "signals.h"

constexpr int32_t kAutomationBlock = 512;

struct AutomationProgram {
    int32_t parameter;
    int32_t every;
    std::vector<ParameterChange> changes;  // offsets inside their block
    std::vector<int32_t> firstChange;      // per block, index into changes; one more at the end
};

AutomationProgram automationProgram(const BenchSignal& signal, int32_t parameter, int32_t every);

// A plug-in core, allocated once, started afresh at each run.
class CoreRunner {
public:
    CoreRunner();
    ~CoreRunner();
    void run(const BenchSignal& signal, const AutomationProgram& program, StereoBuffer& out);
    float meter() const;

private:
    struct Impl;
    Impl* impl_;
};

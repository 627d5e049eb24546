#include "automation_runner.h"

#include <algorithm>
#include <cmath>

#include "plugin_core.h"

AutomationProgram automationProgram(const BenchSignal& signal, int32_t parameter, int32_t every) {
    AutomationProgram p{parameter, every, {}, {}};
    const int64_t frames = signal.frames();
    for (int64_t block = 0; block * kAutomationBlock < frames; ++block) {
        p.firstChange.push_back(static_cast<int32_t>(p.changes.size()));
        for (int32_t offset = 0; every > 0 && offset < kAutomationBlock; offset += every) {
            // Between 0.25 and 0.75 along a 2 Hz sine: every change a new value.
            const double t = static_cast<double>(block * kAutomationBlock + offset) / kBenchRate;
            const float value = static_cast<float>(0.5 + 0.25 * std::sin(6.283185307179586 * 2.0 * t));
            p.changes.push_back(ParameterChange{offset, parameter, value});
        }
    }
    p.firstChange.push_back(static_cast<int32_t>(p.changes.size()));
    return p;
}

struct CoreRunner::Impl {
    PluginCore core;
};

CoreRunner::CoreRunner() : impl_(new Impl) { initCore(impl_->core); }
CoreRunner::~CoreRunner() { delete impl_; }

void CoreRunner::run(const BenchSignal& signal, const AutomationProgram& program, StereoBuffer& out) {
    PluginCore& core = impl_->core;
    setSampleRate(core, static_cast<float>(kBenchRate));
    for (int32_t i = 0; i < kBenchParamCount; ++i) setParameter(core, i, signal.params[i]);
    startOver(core);
    const int64_t frames = signal.frames();
    for (int64_t at = 0, block = 0; at < frames; at += kAutomationBlock, ++block) {
        const int32_t n = static_cast<int32_t>(std::min<int64_t>(kAutomationBlock, frames - at));
        const float* in[2] = {signal.left.data() + at, signal.right.data() + at};
        float* outs[2] = {out.left.data() + at, out.right.data() + at};
        const int32_t first = program.firstChange[static_cast<size_t>(block)];
        const int32_t count = program.firstChange[static_cast<size_t>(block) + 1] - first;
        processCore(core, in, outs, n, program.changes.data() + first, count);
    }
}

float CoreRunner::meter() const { return gainReductionMeter(impl_->core); }

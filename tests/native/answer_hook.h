#pragma once
// A test host's hook: something it does once, inside the next call the
// plug-in makes to it (a host closing the editor while it answers).
#include <functional>
#include <utility>

struct AnswerHook {
    std::function<void()> whileAnswering;
    void answering() {
        if (!whileAnswering) return;
        const std::function<void()> once = std::move(whileAnswering);
        whileAnswering = nullptr;
        once();
    }
};

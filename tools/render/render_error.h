#pragma once
// A failed step of the render host: one sentence that says what is wrong and
// what to do, and the exit status it ends the program with. Thrown, so that a
// batch can report it for one file and go on with the next.
#include <cstdarg>
#include <cstdio>
#include <string>

constexpr int kExitUsage = 2;
constexpr int kExitPlugin = 3;
constexpr int kExitAudioFile = 4;
constexpr int kExitCrash = 5;

struct RenderError {
    int status;
    std::string message;
};

[[noreturn]] inline void throwRenderError(int status, const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    throw RenderError{status, line};
}

// Offline render host: loads a 64-bit VST 2 plug-in DLL through its exported
// entry exactly as a DAW does, then either describes it (--info) or streams raw
// 32-bit float stereo interleaved frames through it. File formats are not our
// business: scripts/render.sh converts audio files to and from raw with sox.
//
// Every failure prints one line "render: <what is wrong>; <what to do>" on
// stderr and exits nonzero. The output is written beside its final name and
// renamed over it only after the last frame, so a failed render leaves no file.
#include <windows.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render_options.h"
#include "vst_host.h"

namespace {

// Host callback opcodes a plug-in may ask during an offline render.
constexpr int32_t audioMasterGetSampleRate = 16;
constexpr int32_t audioMasterGetBlockSize = 17;
constexpr int32_t audioMasterGetCurrentProcessLevel = 23;
constexpr intptr_t kProcessLevelOffline = 4;

constexpr int kExitUsage = 2;
constexpr int kExitPlugin = 3;
constexpr int kExitAudioFile = 4;
constexpr int kExitCrash = 5;

RenderOptions gOptions;

[[noreturn]] void fail(int status, const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    fprintf(stderr, "render: %s\n", line);
    fflush(stderr);
    ExitProcess(static_cast<UINT>(status));
}

// Called on the main thread by the plug-in; it never allocates, so a plug-in
// may also call it from inside its audio callback.
intptr_t offlineAudioMaster(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    switch (opcode) {
    case audioMasterVersion: return 2400;
    case audioMasterGetSampleRate: return static_cast<intptr_t>(gOptions.sampleRate);
    case audioMasterGetBlockSize: return gOptions.blockSize;
    case audioMasterGetCurrentProcessLevel: return kProcessLevelOffline;
    default: return 0;
    }
}

// A plug-in that crashes takes the render down with one clear line instead of
// a Windows crash dialog; the half-written temporary file is removed.
std::string gTempOutput;
LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    if (!gTempOutput.empty()) DeleteFileA(gTempOutput.c_str());
    fprintf(stderr,
            "render: the plug-in crashed (exception 0x%08lx); report it to the plug-in's maker, "
            "no output was written\n",
            static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    fflush(stderr);
    ExitProcess(kExitCrash);
}

std::string hostText(AEffect* e, int32_t opcode, int32_t index) {
    char text[256] = {};  // generous: plug-ins overrun the nominal sizes
    dispatch(e, opcode, index, 0, text);
    text[sizeof text - 1] = 0;
    return text;
}

AEffect* openPlugin(const std::string& path, LoadedPlugin& plugin) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        fail(kExitPlugin, "plug-in '%s' not found; give the path of a 64-bit VST 2 plug-in DLL",
             path.c_str());
    // No "cannot load" dialog boxes from the loader.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    plugin = loadPlugin(path);
    if (!plugin.module)
        fail(kExitPlugin,
             "'%s' is not a loadable 64-bit Windows DLL (Windows error %lu); give the path of a "
             "64-bit VST 2 plug-in DLL",
             path.c_str(), static_cast<unsigned long>(GetLastError()));
    // Old plug-ins export their entry only as "main"; DAWs accept both.
    PluginEntryProc entry = plugin.entry ? plugin.entry : plugin.mainAlias;
    if (!entry)
        fail(kExitPlugin,
             "'%s' exports no VSTPluginMain, so it is not a VST 2 plug-in; give the path of a "
             "VST 2 plug-in DLL",
             path.c_str());
    AEffect* effect = entry(offlineAudioMaster);
    if (!effect)
        fail(kExitPlugin,
             "the plug-in '%s' refused to start (its entry returned no effect); check that it is "
             "installed completely, or try another plug-in",
             path.c_str());
    if (effect->magic != kEffectMagic)
        fail(kExitPlugin,
             "'%s' returned a record with the wrong magic number 0x%08x; it is not a working VST 2 "
             "plug-in, give another DLL",
             path.c_str(), static_cast<unsigned>(effect->magic));
    return effect;
}

void requireStereo(AEffect* e, const std::string& path) {
    if (e->numInputs != 2 || e->numOutputs != 2)
        fail(kExitPlugin,
             "the plug-in '%s' has %d inputs and %d outputs; only 2-in 2-out effects can be "
             "rendered, give a stereo effect plug-in",
             path.c_str(), e->numInputs, e->numOutputs);
}

// A broken plug-in may claim any number of parameters; no host lists millions.
int32_t listedParameterCount(AEffect* e) {
    return e->numParams < 0 ? 0 : (e->numParams > 10000 ? 10000 : e->numParams);
}

void printInfo(AEffect* e) {
    printf("effect:         %s\n", hostText(e, effGetEffectName, 0).c_str());
    printf("vendor:         %s\n", hostText(e, effGetVendorString, 0).c_str());
    printf("product:        %s\n", hostText(e, effGetProductString, 0).c_str());
    printf("vendor version: %ld\n", static_cast<long>(dispatch(e, effGetVendorVersion)));
    printf("category:       %ld\n", static_cast<long>(dispatch(e, effGetPlugCategory)));
    printf("inputs/outputs: %d/%d\n", e->numInputs, e->numOutputs);
    printf("parameters:     %d\n", e->numParams);
    printf("%5s  %-16s %-8s %-15s %s\n", "index", "name", "label", "display", "value");
    for (int32_t i = 0; i < listedParameterCount(e); ++i) {
        printf("%5d  %-16s %-8s %-15s %.6f\n", i, hostText(e, effGetParamName, i).c_str(),
               hostText(e, effGetParamLabel, i).c_str(),
               hostText(e, effGetParamDisplay, i).c_str(),
               static_cast<double>(e->getParameter(e, i)));
    }
}

// Resolves every --set against the names the plug-in reports, before any audio moves.
void applySettings(AEffect* e) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < listedParameterCount(e); ++i)
        names.push_back(hostText(e, effGetParamName, i));
    for (const ParameterSetting& s : gOptions.settings) {
        int32_t found = -1;
        for (int32_t i = 0; i < static_cast<int32_t>(names.size()) && found < 0; ++i)
            if (names[static_cast<size_t>(i)] == s.name) found = i;
        if (found < 0) {
            std::string known;
            for (const std::string& n : names) known += (known.empty() ? "" : ", ") + n;
            fail(kExitUsage, "the plug-in has no parameter named '%s'; use one of: %s",
                 s.name.c_str(), known.c_str());
        }
        e->setParameter(e, found, s.value);
    }
}

FILE* openInput(long long& frames) {
    FILE* in = fopen(gOptions.inputPath.c_str(), "rb");
    if (!in)
        fail(kExitAudioFile, "cannot read the raw input '%s' (%s); give an existing readable file",
             gOptions.inputPath.c_str(), strerror(errno));
    _fseeki64(in, 0, SEEK_END);
    const long long bytes = _ftelli64(in);
    _fseeki64(in, 0, SEEK_SET);
    if (bytes < 0 || bytes % 8 != 0)
        fail(kExitAudioFile,
             "the raw input '%s' is not whole 32-bit float stereo frames (%lld bytes); give raw "
             "interleaved float stereo",
             gOptions.inputPath.c_str(), bytes);
    frames = bytes / 8;
    return in;
}

// Draws a bar only when asked (the wrapper asks when a person watches stderr)
// and only once a render has taken more than a second.
struct Progress {
    ULONGLONG start = GetTickCount64();
    ULONGLONG lastDraw = 0;
    bool drawn = false;
    void update(long long done, long long total) {
        if (!gOptions.showProgress || total <= 0) return;
        const ULONGLONG now = GetTickCount64();
        if (now - start < 1000 || now - lastDraw < 100) return;
        lastDraw = now;
        drawn = true;
        const int width = 40;
        const int filled = static_cast<int>(width * done / total);
        fprintf(stderr, "\rrendering [%.*s%*s] %3d%%", filled,
                "########################################", width - filled, "",
                static_cast<int>(100 * done / total));
        fflush(stderr);
    }
    void finish() {
        if (drawn) fprintf(stderr, "\rrendering [########################################] 100%%\n");
    }
};

void render(AEffect* e) {
    long long totalFrames = 0;
    FILE* in = openInput(totalFrames);
    gTempOutput = gOptions.outputPath + ".part";
    FILE* out = fopen(gTempOutput.c_str(), "wb");
    if (!out)
        fail(kExitAudioFile, "cannot write '%s' (%s); give an output path in a writable folder",
             gTempOutput.c_str(), strerror(errno));

    const int32_t block = gOptions.blockSize;
    std::vector<float> interleaved(static_cast<size_t>(block) * 2);
    std::vector<float> channels(static_cast<size_t>(block) * 4);
    float* inputs[2] = {channels.data(), channels.data() + block};
    float* outputs[2] = {channels.data() + 2 * block, channels.data() + 3 * block};

    dispatch(e, effMainsChanged, 0, 1);
    Progress progress;
    long long done = 0;
    while (done < totalFrames) {
        const int32_t n = static_cast<int32_t>(
            totalFrames - done < block ? totalFrames - done : static_cast<long long>(block));
        if (fread(interleaved.data(), 8, static_cast<size_t>(n), in) != static_cast<size_t>(n))
            fail(kExitAudioFile, "reading '%s' failed midway; check the disk and try again",
                 gOptions.inputPath.c_str());
        for (int32_t i = 0; i < n; ++i) {
            inputs[0][i] = interleaved[2 * static_cast<size_t>(i)];
            inputs[1][i] = interleaved[2 * static_cast<size_t>(i) + 1];
        }
        if (gOptions.useAccumulatingProcess) {
            // The accumulating slot adds to what the host leaves in the outputs.
            std::memset(outputs[0], 0, sizeof(float) * static_cast<size_t>(n));
            std::memset(outputs[1], 0, sizeof(float) * static_cast<size_t>(n));
            e->process(e, inputs, outputs, n);
        } else {
            e->processReplacing(e, inputs, outputs, n);
        }
        for (int32_t i = 0; i < n; ++i) {
            interleaved[2 * static_cast<size_t>(i)] = outputs[0][i];
            interleaved[2 * static_cast<size_t>(i) + 1] = outputs[1][i];
        }
        if (fwrite(interleaved.data(), 8, static_cast<size_t>(n), out) != static_cast<size_t>(n)) {
            fclose(out);
            DeleteFileA(gTempOutput.c_str());
            fail(kExitAudioFile, "writing '%s' failed (disk full?); free some space and try again",
                 gTempOutput.c_str());
        }
        done += n;
        progress.update(done, totalFrames);
    }
    dispatch(e, effMainsChanged, 0, 0);
    progress.finish();
    fclose(in);
    if (fclose(out) != 0 ||
        !MoveFileExA(gTempOutput.c_str(), gOptions.outputPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(gTempOutput.c_str());
        fail(kExitAudioFile, "cannot finish '%s'; check that the folder is writable",
             gOptions.outputPath.c_str());
    }
    gTempOutput.clear();
}

}  // namespace

// Runs on the program's only thread, which is also the plug-in's main and audio thread.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    if (!parseRenderOptions(args, gOptions, error)) fail(kExitUsage, "%s", error.c_str());
    if (gOptions.showUsage) {
        fputs(renderUsage(), stdout);
        return 0;
    }
    SetUnhandledExceptionFilter(reportCrash);

    LoadedPlugin plugin;
    AEffect* effect = openPlugin(gOptions.pluginPath, plugin);
    dispatch(effect, effOpen);
    if (gOptions.infoOnly) {
        printInfo(effect);
    } else {
        requireStereo(effect, gOptions.pluginPath);
        // The order a DAW uses: rate and block size first, then the parameter values.
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(gOptions.sampleRate));
        dispatch(effect, effSetBlockSize, 0, gOptions.blockSize);
        applySettings(effect);
        if (gOptions.hostBypass) dispatch(effect, effSetBypass, 0, 1);
        render(effect);
    }
    closeEffect(effect);
    unloadPlugin(plugin);
    return 0;
}

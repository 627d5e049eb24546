// Offline render host: loads a 64-bit VST 2 plug-in DLL through its exported
// entry exactly as a DAW does, then describes it (--info), streams one raw file
// of 32-bit float stereo interleaved frames through it (--in/--out), or serves
// a whole batch of such files for the file front end (--serve), each through a
// freshly created instance, so that one Wine start serves every file. File
// formats are not our business: tools/render/render_files.py does them.
//
// Every failure prints one line "render: <what is wrong>; <what to do>" on
// stderr and exits nonzero; under --serve a failure of one job is answered
// "error <what>" and the next job goes on. An output is written beside its
// final name and renamed over it only after the last frame.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "parameter_values.h"
#include "plugin_session.h"
#include "render_error.h"
#include "render_options.h"
#include "render_stream.h"

namespace {

RenderOptions gOptions;

// A plug-in that crashes takes the render down with one clear line instead of
// a Windows crash dialog; the half-written output is removed.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    removeUnfinishedOutput();
    fprintf(stderr,
            "render: the plug-in crashed (exception 0x%08lx); report it to the plug-in's maker, "
            "no output was written\n",
            static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    fflush(stderr);
    ExitProcess(kExitCrash);
}

void printInfo(AEffect* e) {
    printf("effect:         %s\n", hostText(e, effGetEffectName, 0).c_str());
    printf("vendor:         %s\n", hostText(e, effGetVendorString, 0).c_str());
    printf("product:        %s\n", hostText(e, effGetProductString, 0).c_str());
    printf("vendor version: %ld\n", static_cast<long>(dispatch(e, effGetVendorVersion)));
    printf("category:       %ld\n", static_cast<long>(dispatch(e, effGetPlugCategory)));
    printf("inputs/outputs: %d/%d\n", e->numInputs, e->numOutputs);
    printf("parameters:     %d\n", e->numParams);
    printf("%5s  %-16s %-8s %-15s %-9s %s\n", "index", "name", "label", "display", "value", "range");
    for (int32_t i = 0; i < listedParameterCount(e); ++i) {
        const std::string range = displayRange(e, i);
        printf("%5d  %-16s %-8s %-15s %-9.6f %s\n", i, hostText(e, effGetParamName, i).c_str(),
               hostText(e, effGetParamLabel, i).c_str(),
               hostText(e, effGetParamDisplay, i).c_str(),
               static_cast<double>(e->getParameter(e, i)), range.c_str());
    }
}

StreamSettings streamSettings() {
    StreamSettings s;
    s.blockSize = gOptions.blockSize;
    s.useAccumulatingProcess = gOptions.useAccumulatingProcess;
    return s;
}

// One file through a freshly created instance, closed again whatever happens.
void renderWithFreshInstance(const LoadedPlugin& plugin, const std::vector<ResolvedSetting>& settings,
                             const std::string& in, const std::string& out,
                             const StreamSettings& stream) {
    AEffect* e = createEffect(plugin, gOptions.pluginPath);
    try {
        requireStereo(e, gOptions.pluginPath);
        prepareEffect(e, settings, gOptions.hostBypass);
        renderRawFile(e, in, out, stream);
    } catch (...) {
        closeEffect(e);
        throw;
    }
    closeEffect(e);
}

// Display values are resolved once, on an instance of their own at --rate (the
// front end gives the first file's), so the instances that render never see the search.
std::vector<ResolvedSetting> resolveOnProbe(const LoadedPlugin& plugin) {
    AEffect* probe = createEffect(plugin, gOptions.pluginPath);
    std::vector<ResolvedSetting> resolved;
    try {
        dispatch(probe, effSetSampleRate, 0, 0, nullptr, static_cast<float>(hostContext().sampleRate));
        resolved = resolveSettings(probe, gOptions.settings);
    } catch (...) {
        closeEffect(probe);
        throw;
    }
    closeEffect(probe);
    return resolved;
}

void answer(const char* format, const std::string& text = "") {
    printf(format, text.c_str());
    fflush(stdout);
}

// Jobs from the front end, one line each: "render HZ" renders FOLDER/in.raw to
// FOLDER/out.raw and is answered with "progress FRAMES" lines, then "done" or
// "error <what>". End of input ends the host.
void serve(const LoadedPlugin& plugin, const std::vector<ResolvedSetting>& settings) {
    const std::string in = gOptions.serveFolder + "/in.raw";
    const std::string out = gOptions.serveFolder + "/out.raw";
    StreamSettings stream = streamSettings();
    ULONGLONG lastReport = 0;
    stream.progress = [&lastReport](long long done, long long) {
        const ULONGLONG now = GetTickCount64();
        if (now - lastReport < 200) return;
        lastReport = now;
        printf("progress %lld\n", done);
        fflush(stdout);
    };
    answer("ready\n");
    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        double rate = 0.0;
        if (sscanf(line, "render %lf", &rate) != 1 || !(rate > 0.0 && rate <= 10e6)) {
            answer("error the job '%s' is not \"render HZ\"\n", std::string(line, strcspn(line, "\r\n")));
            continue;
        }
        hostContext().sampleRate = rate;
        try {
            renderWithFreshInstance(plugin, settings, in, out, stream);
            answer("done\n");
        } catch (const RenderError& error) {
            answer("error %s\n", error.message);
        }
    }
}

int run() {
    hostContext().sampleRate = gOptions.sampleRate;
    hostContext().blockSize = gOptions.blockSize;
    LoadedPlugin plugin = loadPluginOrThrow(gOptions.pluginPath);
    if (gOptions.infoOnly) {
        AEffect* e = createEffect(plugin, gOptions.pluginPath);
        dispatch(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(hostContext().sampleRate));
        for (const ResolvedSetting& s : resolveSettings(e, gOptions.settings))
            e->setParameter(e, s.index, s.normalised);
        printInfo(e);
        closeEffect(e);
    } else if (!gOptions.serveFolder.empty()) {
        std::vector<ResolvedSetting> settings;
        try {
            settings = resolveOnProbe(plugin);
        } catch (const RenderError& error) {
            answer("error %s\n", error.message);
            throw;
        }
        serve(plugin, settings);
    } else {
        const std::vector<ResolvedSetting> settings = resolveOnProbe(plugin);
        renderWithFreshInstance(plugin, settings, gOptions.inputPath, gOptions.outputPath, streamSettings());
    }
    unloadPlugin(plugin);
    return 0;
}

}  // namespace

// Runs on the program's only thread, which is also the plug-in's main and audio thread.
int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    if (!parseRenderOptions(args, gOptions, error)) {
        fprintf(stderr, "render: %s\n", error.c_str());
        return kExitUsage;
    }
    if (gOptions.showUsage) {
        fputs(renderUsage(), stdout);
        return 0;
    }
    SetUnhandledExceptionFilter(reportCrash);
    try {
        return run();
    } catch (const RenderError& failure) {
        fprintf(stderr, "render: %s\n", failure.message.c_str());
        return failure.status;
    }
}

#include "render_stream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render_error.h"

namespace {

std::string gTempOutput;  // a render in progress writes here

FILE* openInput(const std::string& path, long long& frames) {
    FILE* in = fopen(path.c_str(), "rb");
    if (!in)
        throwRenderError(kExitAudioFile,
                         "cannot read the raw input '%s' (%s); give an existing readable file",
                         path.c_str(), strerror(errno));
    _fseeki64(in, 0, SEEK_END);
    const long long bytes = _ftelli64(in);
    _fseeki64(in, 0, SEEK_SET);
    if (bytes < 0 || bytes % 8 != 0) {
        fclose(in);
        throwRenderError(kExitAudioFile,
                         "the raw input '%s' is not whole 32-bit float stereo frames (%lld bytes); "
                         "give raw interleaved float stereo",
                         path.c_str(), bytes);
    }
    frames = bytes / 8;
    return in;
}

// Closes both files and deletes the unfinished output before reporting.
[[noreturn]] void abandon(FILE* in, FILE* out, const std::string& message) {
    fclose(in);
    fclose(out);
    removeUnfinishedOutput();
    throw RenderError{kExitAudioFile, message};
}

}  // namespace

void removeUnfinishedOutput() {
    if (!gTempOutput.empty()) DeleteFileA(gTempOutput.c_str());
    gTempOutput.clear();
}

void renderRawFile(AEffect* e, const std::string& inputPath, const std::string& outputPath,
                   const StreamSettings& settings) {
    long long totalFrames = 0;
    FILE* in = openInput(inputPath, totalFrames);
    gTempOutput = outputPath + ".part";
    FILE* out = fopen(gTempOutput.c_str(), "wb");
    if (!out) {
        fclose(in);
        gTempOutput.clear();
        throwRenderError(kExitAudioFile,
                         "cannot write '%s' (%s); give an output path in a writable folder",
                         outputPath.c_str(), strerror(errno));
    }

    const int32_t block = settings.blockSize;
    std::vector<float> interleaved(static_cast<size_t>(block) * 2);
    std::vector<float> channels(static_cast<size_t>(block) * 4);
    float* inputs[2] = {channels.data(), channels.data() + block};
    float* outputs[2] = {channels.data() + 2 * block, channels.data() + 3 * block};

    dispatch(e, effMainsChanged, 0, 1);
    long long done = 0;
    while (done < totalFrames) {
        const int32_t n = static_cast<int32_t>(
            totalFrames - done < block ? totalFrames - done : static_cast<long long>(block));
        if (fread(interleaved.data(), 8, static_cast<size_t>(n), in) != static_cast<size_t>(n))
            abandon(in, out, "reading '" + inputPath + "' failed midway; check the disk and try again");
        for (int32_t i = 0; i < n; ++i) {
            inputs[0][i] = interleaved[2 * static_cast<size_t>(i)];
            inputs[1][i] = interleaved[2 * static_cast<size_t>(i) + 1];
        }
        if (settings.useAccumulatingProcess) {
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
        if (fwrite(interleaved.data(), 8, static_cast<size_t>(n), out) != static_cast<size_t>(n))
            abandon(in, out, "writing '" + gTempOutput + "' failed (disk full?); free some space and try again");
        done += n;
        if (settings.progress) settings.progress(done, totalFrames);
    }
    dispatch(e, effMainsChanged, 0, 0);
    fclose(in);
    if (fclose(out) != 0 ||
        !MoveFileExA(gTempOutput.c_str(), outputPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        removeUnfinishedOutput();
        throwRenderError(kExitAudioFile, "cannot finish '%s'; check that the folder is writable",
                         outputPath.c_str());
    }
    gTempOutput.clear();
}

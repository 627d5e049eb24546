// Writes the factory presets as .vstpreset files, the form hosts list in
// their preset browsers: OUT_DIR/<vendor>/<plug-in name>/<preset>.vstpreset.
// Built and run on the build machine; the files are the same on every platform.
//
//   vst3_factory_presets OUT_DIR
//
// A file: the header ("VST3", version 1, the class id as 32 ASCII hex
// digits, the chunk list's offset as int64), the data area (the component
// state, "Comp", which is the plug-in's state blob without Bypass, and the
// controller state, "Cont", empty: the controller keeps nothing of its own),
// then the chunk list ("List", entry count, per entry its id, offset and
// size as int64). Every number little-endian.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../core/product_identity.h"
#include "../core/state_blob.h"
#include "../dsp/presets.h"

namespace {

void putBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

void putInt(std::vector<uint8_t>& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> presetFile(int32_t preset) {
    std::vector<uint8_t> file;
    char classId[33];
    std::snprintf(classId, sizeof classId, "%08X%08X%08X%08X", static_cast<unsigned>(kVst3ClassId[0]),
                  static_cast<unsigned>(kVst3ClassId[1]), static_cast<unsigned>(kVst3ClassId[2]),
                  static_cast<unsigned>(kVst3ClassId[3]));
    putBytes(file, "VST3", 4);
    putInt(file, 1, 4);
    putBytes(file, classId, 32);
    const size_t listOffsetAt = file.size();
    putInt(file, 0, 8);  // the chunk list's offset, known once the data is written

    float values[kPresetParamCount];
    for (int32_t i = 0; i < kPresetParamCount; ++i) values[i] = presetNormalised(preset, i);
    uint8_t blob[kStateBlobMaxBytes];
    const size_t blobSize = writeStateValues(values, kPresetParamCount, blob, sizeof blob, preset);
    const uint64_t compAt = file.size();
    putBytes(file, blob, blobSize);
    const uint64_t contAt = file.size();

    const uint64_t listAt = file.size();
    for (int i = 0; i < 8; ++i) file[listOffsetAt + i] = static_cast<uint8_t>(listAt >> (8 * i));
    putBytes(file, "List", 4);
    putInt(file, 2, 4);
    putBytes(file, "Comp", 4), putInt(file, compAt, 8), putInt(file, blobSize, 8);
    putBytes(file, "Cont", 4), putInt(file, contAt, 8), putInt(file, 0, 8);
    return blobSize > 0 ? file : std::vector<uint8_t>{};
}

// Written beside its name and renamed: a failed run leaves no half file.
bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path partial = path.string() + ".part";
    FILE* f = std::fopen(partial.string().c_str(), "wb");
    if (!f) return false;
    const bool written = !bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    std::error_code error;
    if (std::fclose(f) != 0 || !written) return std::filesystem::remove(partial, error), false;
    std::filesystem::rename(partial, path, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vst3_factory_presets OUT_DIR\n");
        return 2;
    }
    const std::filesystem::path dir = std::filesystem::path(argv[1]) / kVendorName / kProductName;
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    for (int32_t p = 0; p < kPresetCount && !error; ++p)
        if (!writeFile(dir / (std::string(kPresets[p].name) + ".vstpreset"), presetFile(p))) {
            std::fprintf(stderr, "vst3_factory_presets: cannot write %s\n", kPresets[p].name);
            return 1;
        }
    if (error) std::fprintf(stderr, "vst3_factory_presets: cannot make %s\n", dir.string().c_str());
    return error ? 1 : 0;
}

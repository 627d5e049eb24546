// Writes the bundle's Contents/Resources/moduleinfo.json from the product's
// identity and the factory's class words, so that what a host reads without
// loading the module is what the factory answers.
//
//   vst3_moduleinfo_writer OUTPUT_FILE
//
// Plain C++: built and run on the build machine.
#include <cstdio>
#include <string>

#include "../core/product_identity.h"
#include "class_info.h"

namespace {

void writeSubCategories(FILE* f) {
    std::fputs("[\"", f);
    for (const char* c = kVst3SubCategories; *c; ++c) {
        if (*c == '|') std::fputs("\", \"", f);
        else std::fputc(*c, f);
    }
    std::fputs("\"]", f);
}

}  // namespace

// Written beside its name and renamed: a failed run leaves no half file.
int main(int argc, char** argv) {
    const std::string partial = argc == 2 ? std::string(argv[1]) + ".part" : "";
    FILE* f = argc == 2 ? std::fopen(partial.c_str(), "wb") : nullptr;
    if (!f) {
        std::fprintf(stderr, "usage: vst3_moduleinfo_writer OUTPUT_FILE (writable)\n");
        return 1;
    }
    std::fprintf(f,
                 "{\n  \"Name\": \"%s\",\n  \"Version\": \"%s\",\n  \"Factory Info\": {\n"
                 "    \"Vendor\": \"%s\",\n    \"URL\": \"%s\",\n    \"E-Mail\": \"\",\n"
                 "    \"Flags\": {\"Unicode\": true, \"Classes Discardable\": false, "
                 "\"Component Non Discardable\": false}\n  },\n  \"Compatibility\": [],\n  \"Classes\": [\n"
                 "    {\n      \"CID\": \"%08X%08X%08X%08X\",\n      \"Category\": \"%s\",\n      \"Name\": \"%s\",\n"
                 "      \"Vendor\": \"%s\",\n      \"Version\": \"%s\",\n      \"SDKVersion\": \"%s\",\n"
                 "      \"Sub Categories\": ",
                 kProductName, kVersionString, kVendorName, kVendorUrl, kVst3ClassId[0], kVst3ClassId[1],
                 kVst3ClassId[2], kVst3ClassId[3], kVst3Category, kProductName, kVendorName, kVersionString,
                 kVst3InterfaceVersion);
    writeSubCategories(f);
    std::fprintf(f, ",\n      \"Class Flags\": 0,\n      \"Cardinality\": %d,\n      \"Snapshots\": []\n    }\n  ]\n}\n",
                 kVst3ManyInstances);
    const bool written = !std::ferror(f);
    return std::fclose(f) == 0 && written && std::rename(partial.c_str(), argv[1]) == 0 ? 0 : 1;
}

#pragma once
// Blobs the state reader must refuse whole, made from a good one: every
// format's state test feeds them through its own host interface.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

// An entry as a later release might write it.
inline void appendEntry(std::vector<uint8_t>& blob, const char* id, float value) {
    blob.push_back(static_cast<uint8_t>(std::strlen(id)));
    blob.insert(blob.end(), id, id + std::strlen(id));
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);  // little-endian machine
    blob.insert(blob.end(), bytes, bytes + 4);
    blob[6] += 1;
}

// `good` starts with the threshold's entry; `randomCount` random blobs follow the made ones.
inline std::vector<std::pair<std::string, std::vector<uint8_t>>> badStateBlobs(const std::vector<uint8_t>& good,
                                                                               int randomCount = 2000) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> bad;
    bad.push_back({"empty", {}});
    for (size_t n = 1; n < good.size(); ++n) bad.push_back({"cut at " + std::to_string(n), {good.begin(), good.begin() + n}});
    bad.push_back({"one byte too many", good}), bad.back().second.push_back(0);
    bad.push_back({"wrong magic", good}), bad.back().second[0] = 'X';
    bad.push_back({"newer version", good}), bad.back().second[4] = 2;
    bad.push_back({"count too large", good}), bad.back().second[6] += 1;
    const float values[] = {std::nanf(""), INFINITY, -INFINITY, -0.001f, 1.0001f, 1e30f};
    for (float v : values) {
        std::vector<uint8_t> blob = good;
        std::memcpy(&blob[8 + 1 + std::strlen("threshold")], &v, 4);
        bad.push_back({"value " + std::to_string(v), blob});
    }
    bad.push_back({"duplicate", good}), appendEntry(bad.back().second, "ratio", 0.5f);
    bad.push_back({"malformed identifier", good}), appendEntry(bad.back().second, "Ratio!", 0.5f);
    std::vector<uint8_t> unknownOnly(good.begin(), good.begin() + 8);
    unknownOnly[6] = 0;
    appendEntry(unknownOnly, "later_one", 0.5f), appendEntry(unknownOnly, "later_two", 0.5f);
    bad.push_back({"unknown identifiers only", unknownOnly});
    bad.push_back({"1 MB", std::vector<uint8_t>(1 << 20, 0x44)});
    std::mt19937 random(3);
    for (int i = 0; i < randomCount; ++i) {
        std::vector<uint8_t> blob(random() % 200);
        for (uint8_t& b : blob) b = static_cast<uint8_t>(random());
        if (blob.size() >= 8 && i % 2) std::copy(good.begin(), good.begin() + 6, blob.begin());
        bad.push_back({"random " + std::to_string(i), blob});
    }
    return bad;
}

#include "presets.h"

#include <cstring>

// Columns: Threshold dB, Ratio :1, Attack ms, Release ms, Glue %,
// Bass Armor Hz, Makeup dB, Mix %.
const Preset kPresets[kPresetCount] = {
    {"Mix Bus Glue", "mix-bus-glue",
     "Gentle glue for a full mix: a dB or two of reduction, the 10 ms attack keeps the transients",
     {-16.0, 2.0, 10.0, 300.0, 70.0, 60.0, 1.5, 100.0}},
    {"Drum Bus Glue", "drum-bus-glue",
     "Holds a drum bus together: medium attack lets the hits through, the release breathes with the groove",
     {-20.0, 4.0, 3.0, 150.0, 60.0, 0.0, 4.0, 100.0}},
    {"Parallel Drum Smash", "parallel-drum-smash",
     "Heavy compression blended under the dry drums through Mix: density without losing the attack",
     {-30.0, 10.0, 0.5, 80.0, 30.0, 0.0, 10.0, 35.0}},
    {"Vocal Leveller", "vocal-leveller",
     "Evens out a lead vocal's phrases; Bass Armor keeps plosives and rumble from ducking it",
     {-24.0, 3.0, 5.0, 200.0, 80.0, 120.0, 4.0, 100.0}},
    {"Steady Low End", "steady-low-end",
     "Bus compression whose detector ignores the kick and bass, so the low end never pumps the mix",
     {-20.0, 3.0, 10.0, 250.0, 65.0, 160.0, 2.5, 100.0}},
    {"Bass Guitar Control", "bass-guitar-control",
     "Keeps a bass guitar or synth bass at a steady level note to note",
     {-22.0, 5.0, 8.0, 180.0, 55.0, 0.0, 4.0, 100.0}},
    {"Master Touch", "master-touch",
     "A final, barely-there touch on the master bus: low ratio, slow attack, long program-dependent release",
     {-16.0, 1.5, 30.0, 600.0, 90.0, 90.0, 0.5, 100.0}},
    {"Acoustic Gentle", "acoustic-gentle",
     "Soft levelling for piano or acoustic guitar that leaves the playing's dynamics readable",
     {-16.0, 2.0, 20.0, 400.0, 75.0, 80.0, 1.5, 100.0}},
    {"Snare Snap", "snare-snap",
     "Slow attack and fast release push the front of each hit forward",
     {-22.0, 6.0, 30.0, 100.0, 20.0, 100.0, 3.0, 100.0}},
    {"Peak Catcher", "peak-catcher",
     "Fast and high-ratio just under full scale: touches only the loudest peaks",
     {-6.0, 20.0, 0.1, 50.0, 40.0, 0.0, 0.0, 100.0}},
    {"Obvious Pump", "obvious-pump",
     "Deliberate pumping: 10 dB and more of reduction with a fixed release, the mix breathes with the kick",
     {-22.0, 8.0, 0.5, 250.0, 0.0, 0.0, 11.0, 100.0}},
};

float presetNormalised(int32_t preset, int32_t index) {
    return static_cast<float>(normalisedFromUnit(static_cast<ParamIndex>(index), kPresets[preset].units[index]));
}

int32_t presetIndexOfKey(const char* key) {
    for (int32_t i = 0; key && i < kPresetCount; ++i)
        if (std::strcmp(kPresets[i].key, key) == 0) return i;
    return -1;
}

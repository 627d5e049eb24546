#pragma once
// How the factory files the plug-in's one class, in the words the factory
// reports and moduleinfo.json repeats.
#include <cstdint>

constexpr const char* kVst3Category = "Audio Module Class";  // a processor with its controller
constexpr const char* kVst3SubCategories = "Fx|Dynamics";
constexpr const char* kVst3InterfaceVersion = "VST 3.7.0";  // the interface version declared here
constexpr int32_t kVst3ManyInstances = 0x7FFFFFFF;

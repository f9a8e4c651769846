#pragma once

#include <cstdint>

namespace fw {

// What a product hands to the framework when an instance is built; read once.
struct PlugConfig {
  int32_t paramCount = 0;
  int32_t presetCount = 0;
  const char* channelIOString = "";
  const char* pluginName = "";
  const char* productName = "";
  const char* vendorName = "";
  int32_t vendorVersion = 0;  // major << 16 | minor << 8 | patch
  int32_t uniqueId = 0;
  int32_t vendorId = 0;
  int32_t latency = 0;
  bool midiIn = false;
  bool midiOut = false;
  bool mpe = false;
  bool auxFlag = false;
  int32_t pluginKind = 0;  // 0 effect, 1 instrument
  bool hasEditor = false;
  int32_t editorWidth = 0;
  int32_t editorHeight = 0;
  int32_t minWidth = 0;
  int32_t maxWidth = 0;
  int32_t minHeight = 0;
  int32_t maxHeight = 0;
  bool hostCanResize = false;
  const char* bundleId = "";
  const char* appGroupId = "";
};

}  // namespace fw

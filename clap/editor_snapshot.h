#pragma once

#include "clap/abi.h"

// A private extension of the module for tools that show the editor without a window
// (halvern-render --editor-snapshot). Hosts never ask for it.
static const char HALVERN_EXT_EDITOR_SNAPSHOT[] = "com.brackwateraudio.halvern.editor-snapshot";

#ifdef __cplusplus
extern "C" {
#endif

typedef struct halvern_plugin_editor_snapshot {
  // Lays the editor out off screen at the draw scale, with the current parameter values,
  // paints it and reports its size in pixels. The pixels, premultiplied BGRA in memory,
  // rows top to bottom of width * 4 bytes, are copied only when pixels is not null and
  // capacity holds all of them; call once without a buffer to learn the size.
  // False for a scale outside 0.5 to 4, null sizes, or a buffer too small.
  // [main-thread]
  bool (*render)(const clap_plugin_t* plugin, double scale, uint8_t* pixels, uint32_t capacity,
                 uint32_t* width, uint32_t* height);
} halvern_plugin_editor_snapshot_t;

#ifdef __cplusplus
}

namespace fw {
const halvern_plugin_editor_snapshot_t* EditorSnapshotExtension();
}
#endif

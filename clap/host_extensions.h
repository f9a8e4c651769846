#pragma once

#include "clap/abi.h"

namespace fw {

// The host and every host extension record it offers, looked up once at init.
// Only a few are ever called; the others are kept for products that want them.
struct HostExtensions {
  const clap_host_t* host = nullptr;

  const clap_host_log_t* log = nullptr;
  const clap_host_thread_check_t* threadCheck = nullptr;
  const void* threadPool = nullptr;
  const void* audioPorts = nullptr;
  const void* audioPortsConfig = nullptr;
  const void* notePorts = nullptr;
  const clap_host_timer_support_t* timerSupport = nullptr;
  const clap_host_posix_fd_support_t* posixFdSupport = nullptr;
  const void* resourceDirectory = nullptr;
  const clap_host_latency_t* latency = nullptr;
  const clap_host_tail_t* tail = nullptr;
  const clap_host_gui_t* gui = nullptr;
  const void* paramHovered = nullptr;
  const clap_host_params_t* params = nullptr;
  const void* paramsOrigin = nullptr;
  const clap_host_track_info_t* trackInfo = nullptr;
  const clap_host_state_t* state = nullptr;
  const void* noteName = nullptr;
  const void* remoteControls = nullptr;
  const void* voiceInfo = nullptr;
  const void* contextMenu = nullptr;
  const clap_host_preset_load_t* presetLoad = nullptr;
  const void* undo = nullptr;
  const void* scratchMemory = nullptr;
  const void* miniCurveDisplay = nullptr;
  const void* webview = nullptr;
  const void* flushEvents = nullptr;
  const void* backgroundProgress = nullptr;
  const void* transportControl = nullptr;

  void LookUp();
};

}  // namespace fw

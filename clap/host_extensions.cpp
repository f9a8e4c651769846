#include "clap/host_extensions.h"

namespace fw {

void HostExtensions::LookUp() {
  if (!host || !host->get_extension) return;
  auto find = [this](const char* id) { return host->get_extension(host, id); };
  auto findEither = [&](const char* id, const char* compat) {
    const void* found = find(id);
    return found ? found : find(compat);
  };

  log = static_cast<const clap_host_log_t*>(find(CLAP_EXT_LOG));
  threadCheck = static_cast<const clap_host_thread_check_t*>(find(CLAP_EXT_THREAD_CHECK));
  threadPool = find(CLAP_EXT_THREAD_POOL);
  audioPorts = find(CLAP_EXT_AUDIO_PORTS);
  audioPortsConfig = find(CLAP_EXT_AUDIO_PORTS_CONFIG);
  notePorts = find(CLAP_EXT_NOTE_PORTS);
  timerSupport = static_cast<const clap_host_timer_support_t*>(find(CLAP_EXT_TIMER_SUPPORT));
  posixFdSupport =
      static_cast<const clap_host_posix_fd_support_t*>(find(CLAP_EXT_POSIX_FD_SUPPORT));
  resourceDirectory = find(CLAP_EXT_RESOURCE_DIRECTORY);
  latency = static_cast<const clap_host_latency_t*>(find(CLAP_EXT_LATENCY));
  tail = static_cast<const clap_host_tail_t*>(find(CLAP_EXT_TAIL));
  gui = static_cast<const clap_host_gui_t*>(find(CLAP_EXT_GUI));
  paramHovered = find(CLAP_EXT_PARAM_HOVERED);
  params = static_cast<const clap_host_params_t*>(find(CLAP_EXT_PARAMS));
  paramsOrigin = find(CLAP_EXT_PARAMS_ORIGIN);
  trackInfo = static_cast<const clap_host_track_info_t*>(
      findEither(CLAP_EXT_TRACK_INFO, CLAP_EXT_TRACK_INFO_COMPAT));
  state = static_cast<const clap_host_state_t*>(find(CLAP_EXT_STATE));
  noteName = find(CLAP_EXT_NOTE_NAME);
  remoteControls = findEither(CLAP_EXT_REMOTE_CONTROLS, CLAP_EXT_REMOTE_CONTROLS_COMPAT);
  voiceInfo = find(CLAP_EXT_VOICE_INFO);
  contextMenu = findEither(CLAP_EXT_CONTEXT_MENU, CLAP_EXT_CONTEXT_MENU_COMPAT);
  presetLoad = static_cast<const clap_host_preset_load_t*>(
      findEither(CLAP_EXT_PRESET_LOAD, CLAP_EXT_PRESET_LOAD_COMPAT));
  undo = find(CLAP_EXT_UNDO);
  scratchMemory = find(CLAP_EXT_SCRATCH_MEMORY);
  miniCurveDisplay = find(CLAP_EXT_MINI_CURVE_DISPLAY);
  webview = find(CLAP_EXT_WEBVIEW);
  flushEvents = find(CLAP_EXT_FLUSH_EVENTS);
  backgroundProgress = find(CLAP_EXT_BACKGROUND_PROGRESS);
  transportControl = find(CLAP_EXT_TRANSPORT_CONTROL);
}

}  // namespace fw

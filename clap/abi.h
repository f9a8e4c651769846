/* The part of the CLAP 1.2.10 C interface that this plug-in uses, declared
 * from the published ABI facts (record layouts, constants and string ids).
 * Plain C so that it can be read by either language; every record's layout is
 * checked at compile time against abi_manifest.h. */
#ifndef HALVERN_CLAP_ABI_H
#define HALVERN_CLAP_ABI_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Scalar types. */
typedef uint32_t clap_id;
typedef int64_t clap_beattime;
typedef int64_t clap_sectime;
typedef uint64_t clap_timestamp;
typedef int32_t clap_process_status;
typedef int32_t clap_log_severity;
typedef int32_t clap_plugin_render_mode;
typedef uint32_t clap_param_info_flags;
typedef uint32_t clap_param_rescan_flags;
typedef uint32_t clap_param_clear_flags;
typedef uint32_t clap_posix_fd_flags_t;
typedef void *clap_hwnd;
typedef void *clap_nsview;
typedef void *clap_uiview;
typedef unsigned long clap_xwnd;

/* Records this project passes only by pointer. */
typedef struct clap_preset_discovery_filetype clap_preset_discovery_filetype_t;
typedef struct clap_preset_discovery_soundpack clap_preset_discovery_soundpack_t;

/* Version. */
#define CLAP_VERSION_MAJOR 1
#define CLAP_VERSION_MINOR 2
#define CLAP_VERSION_REVISION 10

typedef struct clap_version {
   uint32_t major;
   uint32_t minor;
   uint32_t revision;
} clap_version_t;

/* Ids and time units. */
#define CLAP_INVALID_ID UINT32_MAX
#define CLAP_CORE_EVENT_SPACE_ID 0
#define CLAP_BEATTIME_FACTOR (INT64_C(1) << 31)
#define CLAP_SECTIME_FACTOR (INT64_C(1) << 31)
#define CLAP_NAME_SIZE 256
#define CLAP_PATH_SIZE 1024

/* The host as the plug-in sees it. */
typedef struct clap_host {
   clap_version_t clap_version;
   void *host_data;
   const char *name;
   const char *vendor;
   const char *url;
   const char *version;
   const void *(*get_extension)(const struct clap_host *, const char *);
   void (*request_restart)(const struct clap_host *);
   void (*request_process)(const struct clap_host *);
   void (*request_callback)(const struct clap_host *);
} clap_host_t;

/* The module's one exported data symbol. */
typedef struct clap_plugin_entry {
   clap_version_t clap_version;
   bool (*init)(const char *);
   void (*deinit)(void);
   const void *(*get_factory)(const char *);
} clap_plugin_entry_t;

#define CLAP_PLUGIN_FACTORY_ID "clap.plugin-factory"
#define CLAP_PRESET_DISCOVERY_FACTORY_ID "clap.preset-discovery-factory/2"
#define CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT "clap.preset-discovery-factory/draft-2"

#define CLAP_PLUGIN_FEATURE_AUDIO_EFFECT "audio-effect"
#define CLAP_PLUGIN_FEATURE_REVERB "reverb"
#define CLAP_PLUGIN_FEATURE_STEREO "stereo"

/* Event types and flags. */
#define CLAP_EVENT_NOTE_ON 0
#define CLAP_EVENT_NOTE_OFF 1
#define CLAP_EVENT_NOTE_CHOKE 2
#define CLAP_EVENT_NOTE_END 3
#define CLAP_EVENT_NOTE_EXPRESSION 4
#define CLAP_EVENT_PARAM_VALUE 5
#define CLAP_EVENT_PARAM_MOD 6
#define CLAP_EVENT_PARAM_GESTURE_BEGIN 7
#define CLAP_EVENT_PARAM_GESTURE_END 8
#define CLAP_EVENT_TRANSPORT 9
#define CLAP_EVENT_MIDI 10
#define CLAP_EVENT_MIDI_SYSEX 11
#define CLAP_EVENT_MIDI2 12
#define CLAP_EVENT_IS_LIVE 1
#define CLAP_EVENT_DONT_RECORD 2

#define CLAP_TRANSPORT_HAS_TEMPO 1
#define CLAP_TRANSPORT_HAS_BEATS_TIMELINE 2
#define CLAP_TRANSPORT_HAS_SECONDS_TIMELINE 4
#define CLAP_TRANSPORT_HAS_TIME_SIGNATURE 8
#define CLAP_TRANSPORT_IS_PLAYING 16
#define CLAP_TRANSPORT_IS_RECORDING 32
#define CLAP_TRANSPORT_IS_LOOP_ACTIVE 64
#define CLAP_TRANSPORT_IS_WITHIN_PRE_ROLL 128

/* Process results. */
#define CLAP_PROCESS_ERROR 0
#define CLAP_PROCESS_CONTINUE 1
#define CLAP_PROCESS_CONTINUE_IF_NOT_QUIET 2
#define CLAP_PROCESS_TAIL 3
#define CLAP_PROCESS_SLEEP 4

/* Preset discovery. */
#define CLAP_PRESET_DISCOVERY_LOCATION_FILE 0
#define CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN 1
#define CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT 1
#define CLAP_PRESET_DISCOVERY_IS_USER_CONTENT 2
#define CLAP_PRESET_DISCOVERY_IS_DEMO_CONTENT 4
#define CLAP_PRESET_DISCOVERY_IS_FAVORITE 8

/* Extension ids. */
#define CLAP_EXT_AUDIO_PORTS "clap.audio-ports"
#define CLAP_EXT_AUDIO_PORTS_CONFIG "clap.audio-ports-config"
#define CLAP_EXT_AUDIO_PORTS_ACTIVATION "clap.audio-ports-activation/2"
#define CLAP_EXT_AUDIO_PORTS_ACTIVATION_COMPAT "clap.audio-ports-activation/draft-2"
#define CLAP_EXT_CONFIGURABLE_AUDIO_PORTS "clap.configurable-audio-ports/1"
#define CLAP_EXT_SURROUND "clap.surround/4"
#define CLAP_EXT_GUI "clap.gui"
#define CLAP_EXT_LATENCY "clap.latency"
#define CLAP_EXT_LOG "clap.log"
#define CLAP_EXT_NOTE_NAME "clap.note-name"
#define CLAP_EXT_NOTE_PORTS "clap.note-ports"
#define CLAP_EXT_PARAMS "clap.params"
#define CLAP_EXT_PARAM_INDICATION "clap.param-indication/4"
#define CLAP_EXT_PARAM_INDICATION_COMPAT "clap.param-indication.draft/4"
#define CLAP_EXT_POSIX_FD_SUPPORT "clap.posix-fd-support"
#define CLAP_EXT_PRESET_LOAD "clap.preset-load/2"
#define CLAP_EXT_PRESET_LOAD_COMPAT "clap.preset-load.draft/2"
#define CLAP_EXT_REMOTE_CONTROLS "clap.remote-controls/2"
#define CLAP_EXT_REMOTE_CONTROLS_COMPAT "clap.remote-controls.draft/2"
#define CLAP_EXT_RENDER "clap.render"
#define CLAP_EXT_STATE "clap.state"
#define CLAP_EXT_STATE_CONTEXT "clap.state-context/2"
#define CLAP_EXT_TAIL "clap.tail"
#define CLAP_EXT_THREAD_CHECK "clap.thread-check"
#define CLAP_EXT_THREAD_POOL "clap.thread-pool"
#define CLAP_EXT_TIMER_SUPPORT "clap.timer-support"
#define CLAP_EXT_TRACK_INFO "clap.track-info/1"
#define CLAP_EXT_TRACK_INFO_COMPAT "clap.track-info.draft/1"
#define CLAP_EXT_VOICE_INFO "clap.voice-info"
#define CLAP_EXT_CONTEXT_MENU "clap.context-menu/1"
#define CLAP_EXT_CONTEXT_MENU_COMPAT "clap.context-menu.draft/0"
#define CLAP_EXT_RESOURCE_DIRECTORY "clap.resource-directory/1"
#define CLAP_EXT_PARAM_HOVERED "clap.param-hovered/1"
#define CLAP_EXT_PARAMS_ORIGIN "clap.params-origin/1"
#define CLAP_EXT_UNDO "clap.undo/4"
#define CLAP_EXT_SCRATCH_MEMORY "clap.scratch-memory/1"
#define CLAP_EXT_MINI_CURVE_DISPLAY "clap.mini-curve-display/3"
#define CLAP_EXT_WEBVIEW "clap.webview/3"
#define CLAP_EXT_FLUSH_EVENTS "clap.flush-events/1"
#define CLAP_EXT_BACKGROUND_PROGRESS "clap.background-progress/1"
#define CLAP_EXT_TRANSPORT_CONTROL "clap.transport-control/2"

/* Port types, flags and dialects. */
#define CLAP_PORT_MONO "mono"
#define CLAP_PORT_STEREO "stereo"
#define CLAP_AUDIO_PORT_IS_MAIN 1
#define CLAP_AUDIO_PORT_SUPPORTS_64BITS 2
#define CLAP_AUDIO_PORT_PREFERS_64BITS 4
#define CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE 8
#define CLAP_NOTE_DIALECT_CLAP 1
#define CLAP_NOTE_DIALECT_MIDI 2
#define CLAP_NOTE_DIALECT_MIDI_MPE 4
#define CLAP_NOTE_DIALECT_MIDI2 8

/* Window systems. */
#define CLAP_WINDOW_API_WIN32 "win32"
#define CLAP_WINDOW_API_COCOA "cocoa"
#define CLAP_WINDOW_API_X11 "x11"
#define CLAP_WINDOW_API_WAYLAND "wayland"

/* Log severities. */
#define CLAP_LOG_DEBUG 0
#define CLAP_LOG_INFO 1
#define CLAP_LOG_WARNING 2
#define CLAP_LOG_ERROR 3
#define CLAP_LOG_FATAL 4
#define CLAP_LOG_HOST_MISBEHAVING 5
#define CLAP_LOG_PLUGIN_MISBEHAVING 6

/* Parameter flags and host requests. */
#define CLAP_PARAM_IS_STEPPED 1
#define CLAP_PARAM_IS_PERIODIC 2
#define CLAP_PARAM_IS_HIDDEN 4
#define CLAP_PARAM_IS_READONLY 8
#define CLAP_PARAM_IS_BYPASS 16
#define CLAP_PARAM_IS_AUTOMATABLE 32
#define CLAP_PARAM_IS_MODULATABLE 1024
#define CLAP_PARAM_REQUIRES_PROCESS 32768
#define CLAP_PARAM_IS_ENUM 65536
#define CLAP_PARAM_RESCAN_VALUES 1
#define CLAP_PARAM_RESCAN_TEXT 2
#define CLAP_PARAM_RESCAN_INFO 4
#define CLAP_PARAM_RESCAN_ALL 8
#define CLAP_PARAM_CLEAR_ALL 1
#define CLAP_PARAM_CLEAR_AUTOMATIONS 2
#define CLAP_PARAM_CLEAR_MODULATIONS 4

/* Render modes, file-descriptor events and track information flags. */
#define CLAP_RENDER_REALTIME 0
#define CLAP_RENDER_OFFLINE 1
#define CLAP_POSIX_FD_READ 1
#define CLAP_POSIX_FD_WRITE 2
#define CLAP_POSIX_FD_ERROR 4
#define CLAP_TRACK_INFO_HAS_TRACK_NAME 1
#define CLAP_TRACK_INFO_HAS_TRACK_COLOR 2
#define CLAP_TRACK_INFO_HAS_AUDIO_CHANNEL 4
#define CLAP_TRACK_INFO_IS_FOR_RETURN_TRACK 8
#define CLAP_TRACK_INFO_IS_FOR_BUS 16
#define CLAP_TRACK_INFO_IS_FOR_MASTER 32

/* Events: every event starts with a header; the host owns the lists. */
typedef struct clap_event_header {
   uint32_t size;
   uint32_t time;
   uint16_t space_id;
   uint16_t type;
   uint32_t flags;
} clap_event_header_t;

typedef struct clap_event_note {
   clap_event_header_t header;
   int32_t note_id;
   int16_t port_index;
   int16_t channel;
   int16_t key;
   double velocity;
} clap_event_note_t;

typedef struct clap_event_param_value {
   clap_event_header_t header;
   clap_id param_id;
   void *cookie;
   int32_t note_id;
   int16_t port_index;
   int16_t channel;
   int16_t key;
   double value;
} clap_event_param_value_t;

typedef struct clap_event_param_gesture {
   clap_event_header_t header;
   clap_id param_id;
} clap_event_param_gesture_t;

typedef struct clap_event_transport {
   clap_event_header_t header;
   uint32_t flags;
   clap_beattime song_pos_beats;
   clap_sectime song_pos_seconds;
   double tempo;
   double tempo_inc;
   clap_beattime loop_start_beats;
   clap_beattime loop_end_beats;
   clap_sectime loop_start_seconds;
   clap_sectime loop_end_seconds;
   clap_beattime bar_start;
   int32_t bar_number;
   uint16_t tsig_num;
   uint16_t tsig_denom;
} clap_event_transport_t;

typedef struct clap_event_midi {
   clap_event_header_t header;
   uint16_t port_index;
   uint8_t data[3];
} clap_event_midi_t;

typedef struct clap_event_midi_sysex {
   clap_event_header_t header;
   uint16_t port_index;
   const uint8_t *buffer;
   uint32_t size;
} clap_event_midi_sysex_t;

typedef struct clap_input_events {
   void *ctx;
   uint32_t (*size)(const struct clap_input_events *);
   const clap_event_header_t *(*get)(const struct clap_input_events *, uint32_t);
} clap_input_events_t;

typedef struct clap_output_events {
   void *ctx;
   bool (*try_push)(const struct clap_output_events *, const clap_event_header_t *);
} clap_output_events_t;

/* One process call. */
typedef struct clap_audio_buffer {
   float **data32;
   double **data64;
   uint32_t channel_count;
   uint32_t latency;
   uint64_t constant_mask;
} clap_audio_buffer_t;

typedef struct clap_process {
   int64_t steady_time;
   uint32_t frames_count;
   const clap_event_transport_t *transport;
   const clap_audio_buffer_t *audio_inputs;
   clap_audio_buffer_t *audio_outputs;
   uint32_t audio_inputs_count;
   uint32_t audio_outputs_count;
   const clap_input_events_t *in_events;
   const clap_output_events_t *out_events;
} clap_process_t;

/* The plug-in and its factory. */
typedef struct clap_plugin_descriptor {
   clap_version_t clap_version;
   const char *id;
   const char *name;
   const char *vendor;
   const char *url;
   const char *manual_url;
   const char *support_url;
   const char *version;
   const char *description;
   const char *const *features;
} clap_plugin_descriptor_t;

typedef struct clap_plugin {
   const clap_plugin_descriptor_t *desc;
   void *plugin_data;
   bool (*init)(const struct clap_plugin *);
   void (*destroy)(const struct clap_plugin *);
   bool (*activate)(const struct clap_plugin *, double, uint32_t, uint32_t);
   void (*deactivate)(const struct clap_plugin *);
   bool (*start_processing)(const struct clap_plugin *);
   void (*stop_processing)(const struct clap_plugin *);
   void (*reset)(const struct clap_plugin *);
   clap_process_status (*process)(const struct clap_plugin *, const clap_process_t *);
   const void *(*get_extension)(const struct clap_plugin *, const char *);
   void (*on_main_thread)(const struct clap_plugin *);
} clap_plugin_t;

typedef struct clap_plugin_factory {
   uint32_t (*get_plugin_count)(const struct clap_plugin_factory *);
   const clap_plugin_descriptor_t *(*get_plugin_descriptor)(const struct clap_plugin_factory *, uint32_t);
   const clap_plugin_t *(*create_plugin)(const struct clap_plugin_factory *, const clap_host_t *, const char *);
} clap_plugin_factory_t;

/* Preset discovery: the host's indexer asks providers what presets exist. */
typedef struct clap_universal_plugin_id {
   const char *abi;
   const char *id;
} clap_universal_plugin_id_t;

typedef struct clap_preset_discovery_metadata_receiver {
   void *receiver_data;
   void (*on_error)(const struct clap_preset_discovery_metadata_receiver *, int32_t, const char *);
   bool (*begin_preset)(const struct clap_preset_discovery_metadata_receiver *, const char *, const char *);
   void (*add_plugin_id)(const struct clap_preset_discovery_metadata_receiver *, const clap_universal_plugin_id_t *);
   void (*set_soundpack_id)(const struct clap_preset_discovery_metadata_receiver *, const char *);
   void (*set_flags)(const struct clap_preset_discovery_metadata_receiver *, uint32_t);
   void (*add_creator)(const struct clap_preset_discovery_metadata_receiver *, const char *);
   void (*set_description)(const struct clap_preset_discovery_metadata_receiver *, const char *);
   void (*set_timestamps)(const struct clap_preset_discovery_metadata_receiver *, clap_timestamp, clap_timestamp);
   void (*add_feature)(const struct clap_preset_discovery_metadata_receiver *, const char *);
   void (*add_extra_info)(const struct clap_preset_discovery_metadata_receiver *, const char *, const char *);
} clap_preset_discovery_metadata_receiver_t;

typedef struct clap_preset_discovery_location {
   uint32_t flags;
   const char *name;
   uint32_t kind;
   const char *location;
} clap_preset_discovery_location_t;

typedef struct clap_preset_discovery_provider_descriptor {
   clap_version_t clap_version;
   const char *id;
   const char *name;
   const char *vendor;
} clap_preset_discovery_provider_descriptor_t;

typedef struct clap_preset_discovery_provider {
   const clap_preset_discovery_provider_descriptor_t *desc;
   void *provider_data;
   bool (*init)(const struct clap_preset_discovery_provider *);
   void (*destroy)(const struct clap_preset_discovery_provider *);
   bool (*get_metadata)(const struct clap_preset_discovery_provider *, uint32_t, const char *, const clap_preset_discovery_metadata_receiver_t *);
   const void *(*get_extension)(const struct clap_preset_discovery_provider *, const char *);
} clap_preset_discovery_provider_t;

typedef struct clap_preset_discovery_indexer {
   clap_version_t clap_version;
   const char *name;
   const char *vendor;
   const char *url;
   const char *version;
   void *indexer_data;
   bool (*declare_filetype)(const struct clap_preset_discovery_indexer *, const clap_preset_discovery_filetype_t *);
   bool (*declare_location)(const struct clap_preset_discovery_indexer *, const clap_preset_discovery_location_t *);
   bool (*declare_soundpack)(const struct clap_preset_discovery_indexer *, const clap_preset_discovery_soundpack_t *);
   const void *(*get_extension)(const struct clap_preset_discovery_indexer *, const char *);
} clap_preset_discovery_indexer_t;

typedef struct clap_preset_discovery_factory {
   uint32_t (*count)(const struct clap_preset_discovery_factory *);
   const clap_preset_discovery_provider_descriptor_t *(*get_descriptor)(const struct clap_preset_discovery_factory *, uint32_t);
   const clap_preset_discovery_provider_t *(*create)(const struct clap_preset_discovery_factory *, const clap_preset_discovery_indexer_t *, const char *);
} clap_preset_discovery_factory_t;

/* Audio ports and their configurations. */
typedef struct clap_audio_port_info {
   clap_id id;
   char name[256];
   uint32_t flags;
   uint32_t channel_count;
   const char *port_type;
   clap_id in_place_pair;
} clap_audio_port_info_t;

typedef struct clap_plugin_audio_ports {
   uint32_t (*count)(const clap_plugin_t *, bool);
   bool (*get)(const clap_plugin_t *, uint32_t, bool, clap_audio_port_info_t *);
} clap_plugin_audio_ports_t;

typedef struct clap_audio_ports_config {
   clap_id id;
   char name[256];
   uint32_t input_port_count;
   uint32_t output_port_count;
   bool has_main_input;
   uint32_t main_input_channel_count;
   const char *main_input_port_type;
   bool has_main_output;
   uint32_t main_output_channel_count;
   const char *main_output_port_type;
} clap_audio_ports_config_t;

typedef struct clap_plugin_audio_ports_config {
   uint32_t (*count)(const clap_plugin_t *);
   bool (*get)(const clap_plugin_t *, uint32_t, clap_audio_ports_config_t *);
   bool (*select)(const clap_plugin_t *, clap_id);
} clap_plugin_audio_ports_config_t;

/* Editor windows. */
typedef struct clap_window {
   const char *api;
   union {
      clap_nsview cocoa;
      clap_uiview uikit;
      clap_xwnd x11;
      clap_hwnd win32;
      void *ptr;
   };
} clap_window_t;

typedef struct clap_gui_resize_hints {
   bool can_resize_horizontally;
   bool can_resize_vertically;
   bool preserve_aspect_ratio;
   uint32_t aspect_ratio_width;
   uint32_t aspect_ratio_height;
} clap_gui_resize_hints_t;

typedef struct clap_plugin_gui {
   bool (*is_api_supported)(const clap_plugin_t *, const char *, bool);
   bool (*get_preferred_api)(const clap_plugin_t *, const char **, bool *);
   bool (*create)(const clap_plugin_t *, const char *, bool);
   void (*destroy)(const clap_plugin_t *);
   bool (*set_scale)(const clap_plugin_t *, double);
   bool (*get_size)(const clap_plugin_t *, uint32_t *, uint32_t *);
   bool (*can_resize)(const clap_plugin_t *);
   bool (*get_resize_hints)(const clap_plugin_t *, clap_gui_resize_hints_t *);
   bool (*adjust_size)(const clap_plugin_t *, uint32_t *, uint32_t *);
   bool (*set_size)(const clap_plugin_t *, uint32_t, uint32_t);
   bool (*set_parent)(const clap_plugin_t *, const clap_window_t *);
   bool (*set_transient)(const clap_plugin_t *, const clap_window_t *);
   void (*suggest_title)(const clap_plugin_t *, const char *);
   bool (*show)(const clap_plugin_t *);
   bool (*hide)(const clap_plugin_t *);
} clap_plugin_gui_t;

typedef struct clap_host_gui {
   void (*resize_hints_changed)(const clap_host_t *);
   bool (*request_resize)(const clap_host_t *, uint32_t, uint32_t);
   bool (*request_show)(const clap_host_t *);
   bool (*request_hide)(const clap_host_t *);
   void (*closed)(const clap_host_t *, bool);
} clap_host_gui_t;

/* Latency, tail, render mode, log and thread checks. */
typedef struct clap_plugin_latency {
   uint32_t (*get)(const clap_plugin_t *);
} clap_plugin_latency_t;

typedef struct clap_host_latency {
   void (*changed)(const clap_host_t *);
} clap_host_latency_t;

typedef struct clap_plugin_tail {
   uint32_t (*get)(const clap_plugin_t *);
} clap_plugin_tail_t;

typedef struct clap_host_tail {
   void (*changed)(const clap_host_t *);
} clap_host_tail_t;

typedef struct clap_plugin_render {
   bool (*has_hard_realtime_requirement)(const clap_plugin_t *);
   bool (*set)(const clap_plugin_t *, clap_plugin_render_mode);
} clap_plugin_render_t;

typedef struct clap_host_log {
   void (*log)(const clap_host_t *, clap_log_severity, const char *);
} clap_host_log_t;

typedef struct clap_host_thread_check {
   bool (*is_main_thread)(const clap_host_t *);
   bool (*is_audio_thread)(const clap_host_t *);
} clap_host_thread_check_t;

/* Note ports. */
typedef struct clap_note_port_info {
   clap_id id;
   uint32_t supported_dialects;
   uint32_t preferred_dialect;
   char name[256];
} clap_note_port_info_t;

typedef struct clap_plugin_note_ports {
   uint32_t (*count)(const clap_plugin_t *, bool);
   bool (*get)(const clap_plugin_t *, uint32_t, bool, clap_note_port_info_t *);
} clap_plugin_note_ports_t;

/* Parameters. */
typedef struct clap_param_info {
   clap_id id;
   clap_param_info_flags flags;
   void *cookie;
   char name[256];
   char module[1024];
   double min_value;
   double max_value;
   double default_value;
} clap_param_info_t;

typedef struct clap_plugin_params {
   uint32_t (*count)(const clap_plugin_t *);
   bool (*get_info)(const clap_plugin_t *, uint32_t, clap_param_info_t *);
   bool (*get_value)(const clap_plugin_t *, clap_id, double *);
   bool (*value_to_text)(const clap_plugin_t *, clap_id, double, char *, uint32_t);
   bool (*text_to_value)(const clap_plugin_t *, clap_id, const char *, double *);
   void (*flush)(const clap_plugin_t *, const clap_input_events_t *, const clap_output_events_t *);
} clap_plugin_params_t;

typedef struct clap_host_params {
   void (*rescan)(const clap_host_t *, clap_param_rescan_flags);
   void (*clear)(const clap_host_t *, clap_id, clap_param_clear_flags);
   void (*request_flush)(const clap_host_t *);
} clap_host_params_t;

/* State streams. */
typedef struct clap_istream {
   void *ctx;
   int64_t (*read)(const struct clap_istream *, void *, uint64_t);
} clap_istream_t;

typedef struct clap_ostream {
   void *ctx;
   int64_t (*write)(const struct clap_ostream *, const void *, uint64_t);
} clap_ostream_t;

typedef struct clap_plugin_state {
   bool (*save)(const clap_plugin_t *, const clap_ostream_t *);
   bool (*load)(const clap_plugin_t *, const clap_istream_t *);
} clap_plugin_state_t;

typedef struct clap_host_state {
   void (*mark_dirty)(const clap_host_t *);
} clap_host_state_t;

/* Preset loading. */
typedef struct clap_plugin_preset_load {
   bool (*from_location)(const clap_plugin_t *, uint32_t, const char *, const char *);
} clap_plugin_preset_load_t;

typedef struct clap_host_preset_load {
   void (*on_error)(const clap_host_t *, uint32_t, const char *, const char *, int32_t, const char *);
   void (*loaded)(const clap_host_t *, uint32_t, const char *, const char *);
} clap_host_preset_load_t;

/* Main-thread timers and file descriptors. */
typedef struct clap_plugin_timer_support {
   void (*on_timer)(const clap_plugin_t *, clap_id);
} clap_plugin_timer_support_t;

typedef struct clap_host_timer_support {
   bool (*register_timer)(const clap_host_t *, uint32_t, clap_id *);
   bool (*unregister_timer)(const clap_host_t *, clap_id);
} clap_host_timer_support_t;

typedef struct clap_plugin_posix_fd_support {
   void (*on_fd)(const clap_plugin_t *, int, clap_posix_fd_flags_t);
} clap_plugin_posix_fd_support_t;

typedef struct clap_host_posix_fd_support {
   bool (*register_fd)(const clap_host_t *, int, clap_posix_fd_flags_t);
   bool (*modify_fd)(const clap_host_t *, int, clap_posix_fd_flags_t);
   bool (*unregister_fd)(const clap_host_t *, int);
} clap_host_posix_fd_support_t;

/* Track information. */
typedef struct clap_color {
   uint8_t alpha;
   uint8_t red;
   uint8_t green;
   uint8_t blue;
} clap_color_t;

typedef struct clap_track_info {
   uint64_t flags;
   char name[256];
   clap_color_t color;
   int32_t audio_channel_count;
   const char *audio_port_type;
} clap_track_info_t;

typedef struct clap_host_track_info {
   bool (*get)(const clap_host_t *, clap_track_info_t *);
} clap_host_track_info_t;

#ifdef __cplusplus
}
#endif

#endif

// Editor changes on their way to the host: the flush requests, the host parameter
// queue and the gesture and value events it turns into.
#include <gtest/gtest.h>

#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using testhost::AudioBlock;
using testhost::HostConfig;
using testhost::InputEvents;
using testhost::Offer;
using testhost::OutputEvents;

void Flush(const ProbeSession& session, const clap_input_events_t* in,
           const clap_output_events_t* out) {
  session.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->flush(session.Get(), in, out);
}

void ExpectValueEvent(const OutputEvents& out, std::size_t i, clap_id id, double value) {
  SCOPED_TRACE(i);
  ASSERT_LT(i, out.Size());
  const clap_event_header_t& header = out.Header(i);
  ASSERT_EQ(header.type, CLAP_EVENT_PARAM_VALUE);
  EXPECT_EQ(header.size, 56u);
  EXPECT_EQ(header.time, 0u);
  EXPECT_EQ(header.space_id, CLAP_CORE_EVENT_SPACE_ID);
  EXPECT_EQ(header.flags, 0u);
  const auto& event = out.As<clap_event_param_value_t>(i);
  EXPECT_EQ(event.param_id, id);
  EXPECT_EQ(event.cookie, nullptr);
  EXPECT_EQ(event.note_id, -1);
  EXPECT_EQ(event.port_index, -1);
  EXPECT_EQ(event.channel, -1);
  EXPECT_EQ(event.key, -1);
  EXPECT_EQ(event.value, value);
}

void ExpectGestureEvent(const OutputEvents& out, std::size_t i, uint16_t type, clap_id id) {
  SCOPED_TRACE(i);
  ASSERT_LT(i, out.Size());
  const clap_event_header_t& header = out.Header(i);
  EXPECT_EQ(header.type, type);
  EXPECT_EQ(header.size, 20u);
  EXPECT_EQ(header.time, 0u);
  EXPECT_EQ(header.space_id, CLAP_CORE_EVENT_SPACE_ID);
  EXPECT_EQ(header.flags, 0u);
  EXPECT_EQ(out.As<clap_event_param_gesture_t>(i).param_id, id);
}

TEST(EditorToHost, EachChangeWhileNotProcessingRequestsAFlushOnTheMainThread) {
  for (Offer threadCheck : {Offer::Full, Offer::Absent}) {
    SCOPED_TRACE(threadCheck == Offer::Full ? "with thread check" : "without thread check");
    // The idle timer goes through timer-support, so every callback request is a flush's.
    ProbeSession session(HostConfig{.threadCheck = threadCheck, .timerSupport = Offer::Full});
    session.plugin->stop_processing(session.Get());
    for (int i = 0; i < 20; ++i)
      session.api->EditorSendsValue(0, i / 20.0);

    if (threadCheck == Offer::Absent) {
      // Known to be on the main thread only when the host calls back.
      EXPECT_EQ(session.host.Count("params.request_flush"), 0);
      EXPECT_EQ(session.host.Count("request_callback"), 20);
      EXPECT_TRUE(session.host.ServiceCallback());
    }
    const std::vector<testhost::HostCall> requests = session.host.Calls("params.request_flush");
    ASSERT_EQ(requests.size(), 20u);
    for (const testhost::HostCall& call : requests)
      EXPECT_EQ(call.thread, session.host.MainThread());

    OutputEvents out;
    Flush(session, nullptr, out.List());
    ASSERT_EQ(out.Size(), 20u);
    for (int i = 0; i < 20; ++i)
      ExpectValueEvent(out, i, 0, i / 20.0);
  }
}

TEST(EditorToHost, GesturesSurroundTheValuesAndWaitForTheNextProcess) {
  ProbeSession session;
  session.api->EditorBeginsGesture(0);
  session.api->EditorSendsValue(0, 0.3);
  session.api->EditorSendsValue(0, 0.4);
  session.api->EditorEndsGesture(0);
  // An enumeration crosses in its own units: normalised 1 is choice 2.
  session.api->EditorBeginsGesture(1);
  session.api->EditorSendsValue(1, 1.0);
  session.api->EditorEndsGesture(1);
  EXPECT_EQ(session.host.Count("params.request_flush"), 0);
  EXPECT_EQ(session.host.Count("request_callback"), 0);

  const std::vector<probe::ParamChange> changes = session.api->ParamChanges();
  ASSERT_EQ(changes.size(), 3u);
  for (const probe::ParamChange& change : changes) {
    EXPECT_EQ(change.source, fw::ParamSource::UI);
    EXPECT_EQ(change.sampleOffset, -1);
  }

  OutputEvents out;
  AudioBlock block({2}, {2}, 256);
  session.Process(block, nullptr, &out);
  ASSERT_EQ(out.Size(), 7u);
  ExpectGestureEvent(out, 0, CLAP_EVENT_PARAM_GESTURE_BEGIN, 0);
  ExpectValueEvent(out, 1, 0, 0.3);
  ExpectValueEvent(out, 2, 0, 0.4);
  ExpectGestureEvent(out, 3, CLAP_EVENT_PARAM_GESTURE_END, 0);
  ExpectGestureEvent(out, 4, CLAP_EVENT_PARAM_GESTURE_BEGIN, 1);
  ExpectValueEvent(out, 5, 1, 2.0);
  ExpectGestureEvent(out, 6, CLAP_EVENT_PARAM_GESTURE_END, 1);

  out.Clear();
  session.Process(block, nullptr, &out);
  EXPECT_EQ(out.Size(), 0u);
}

TEST(EditorToHost, AChangeBeyondFiveHundredTwelveWaitingIsLost) {
  ProbeSession session;
  for (int i = 0; i < 513; ++i)
    session.api->EditorSendsValue(0, i / 1000.0);
  OutputEvents out;
  AudioBlock block({2}, {2}, 256);
  session.Process(block, nullptr, &out);
  ASSERT_EQ(out.Size(), 512u);
  for (int i = 0; i < 512; ++i)
    ExpectValueEvent(out, i, 0, i / 1000.0);
}

TEST(EditorToHost, FlushWhileActiveAppliesHostValuesAndDrainsTheQueue) {
  ProbeSession session;
  session.api->EditorSendsValue(0, 0.25);
  InputEvents in;
  in.AddParamValue(2, 9);
  OutputEvents out;
  Flush(session, in.List(), out.List());
  ASSERT_EQ(out.Size(), 1u);
  ExpectValueEvent(out, 0, 0, 0.25);
  double steps = 0;
  ASSERT_TRUE(
      session.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->get_value(session.Get(), 2, &steps));
  EXPECT_EQ(steps, 9);
  EXPECT_EQ(session.api->RenderCalls(), 0);
}

TEST(EditorToHost, AnOutputListThatCannotTakeEventsLeavesTheQueueAlone) {
  ProbeSession session;
  session.api->EditorSendsValue(0, 0.1);
  session.api->EditorSendsValue(0, 0.2);
  const clap_output_events_t withoutPush{nullptr, nullptr};
  AudioBlock block({2}, {2}, 256);
  for (const clap_output_events_t* list :
       {static_cast<const clap_output_events_t*>(nullptr), &withoutPush}) {
    Flush(session, nullptr, list);
    clap_process_t process = block.Process();
    process.out_events = list;
    session.plugin->process(session.Get(), &process);
  }
  OutputEvents out;
  session.Process(block, nullptr, &out);
  ASSERT_EQ(out.Size(), 2u);
  ExpectValueEvent(out, 0, 0, 0.1);
  ExpectValueEvent(out, 1, 0, 0.2);
}

}  // namespace

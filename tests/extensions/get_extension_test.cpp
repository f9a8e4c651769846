// Which plug-in extensions an instance answers, for Halvern and for the MIDI probe.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using exttest::Session;

const std::vector<std::string> kAnswered = {
    "clap.state",   "clap.preset-load/2", "clap.preset-load.draft/2", "clap.render",
    "clap.latency", "clap.audio-ports",   "clap.audio-ports-config",  "clap.params",
    "clap.tail",    "clap.timer-support",
};

const std::vector<std::string> kNeverAnswered = {
    "clap.webview/3",
    "clap.state-context/2",
    "clap.gui",
    "clap.track-info/1",
    "clap.audio-ports-activation/2",
    "clap.surround/4",
    "clap.configurable-audio-ports/1",
    "clap.param-indication/4",
    "clap.remote-controls/2",
    "clap.note-name",
    "clap.thread-pool",
    "clap.posix-fd-support",
    "clap.voice-info",
    "clap.context-menu/1",
    "clap.resource-directory/1",
    "clap.unknown",
    "",
};

void ExpectAnswers(const Session& session, const std::vector<std::string>& answered) {
  std::set<const void*> records;
  for (const std::string& id : answered) {
    const void* record = session.plugin->get_extension(session.Get(), id.c_str());
    EXPECT_NE(record, nullptr) << id;
    records.insert(record);
  }
  // Both preset-load ids share one record; every other id has its own.
  EXPECT_EQ(records.size(), answered.size() - 1);
  for (const std::string& id : kNeverAnswered) {
    EXPECT_EQ(session.plugin->get_extension(session.Get(), id.c_str()), nullptr) << id;
  }
  EXPECT_EQ(session.plugin->get_extension(session.Get(), nullptr), nullptr);
}

TEST(GetExtension, HalvernAnswersItsExtensionsAndNothingElse) {
  Session session;
  ExpectAnswers(session, kAnswered);
  EXPECT_EQ(session.plugin->get_extension(session.Get(), "clap.note-ports"), nullptr);
}

TEST(GetExtension, AMidiPlugInAlsoAnswersNotePorts) {
  ProbeSession session({}, false);
  std::vector<std::string> answered = kAnswered;
  answered.push_back("clap.note-ports");
  answered.push_back(probe::kExtensionId);
  ExpectAnswers(session, answered);
}

}  // namespace

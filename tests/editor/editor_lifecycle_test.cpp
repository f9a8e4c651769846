#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "editor/display_scale.h"
#include "editor/halvern_editor.h"
#include "engine/params.h"
#include "framework/graphics_editor_delegate.h"
#include "graphics/bitmap.h"
#include "graphics/control.h"

namespace {

// The delegate layers under the product, with the product's editor callables.
class EditorHost : public fw::gui::GraphicsEditorDelegate {
 public:
  EditorHost() : GraphicsEditorDelegate(kHalvernParamCount) {
    makeGraphicsFunction = [this] { return halvern_editor::MakeGraphics(this); };
    layoutFunction = halvern_editor::Layout;
  }
  void BeginParamGesture(int32_t) override {}
  void EndParamGesture(int32_t) override {}
  void OnEditorOpened() override {
    GraphicsEditorDelegate::OnEditorOpened();
    halvern_editor::ApplyStoredDisplayScale(GetGraphics());
  }
  void OnEditorClosing() override { halvern_editor::StoreDisplayScale(GetGraphics()); }
};

class EditorLifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("halvern-editor-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
};

TEST_F(EditorLifecycle, OpeningAndClosingAHundredTimesLeavesNoContextOrBitmapBehind) {
  EditorHost host;
  for (int i = 0; i < 100; ++i) {
    host.OpenEditor(nullptr);
    ASSERT_NE(host.GetGraphics(), nullptr);
    ASSERT_EQ(host.GetGraphics()->NControls(), 22);
    host.CloseEditor();
  }
  EXPECT_EQ(host.GetGraphics(), nullptr);
  EXPECT_EQ(fw::gui::BitmapCache::Instance().Count(), 0u);
}

TEST_F(EditorLifecycle, TheLastEditorToCloseDecidesTheScaleEveryInstanceOpensAt) {
  EditorHost a, b;
  b.OpenEditor(nullptr);
  EXPECT_FLOAT_EQ(b.GetGraphics()->DrawScale(), 1.0f);
  b.CloseEditor();

  a.OpenEditor(nullptr);
  a.GetGraphics()->SetSizeAndScale(650, 438, 2.0f, true);
  a.CloseEditor();
  float stored = 0;
  ASSERT_TRUE(ReadDisplayScale(kProductPreferencePrefix, stored));
  EXPECT_FLOAT_EQ(stored, 2.0f);

  // b remembers 1.0 from its own close; the preference written since wins.
  b.OpenEditor(nullptr);
  EXPECT_FLOAT_EQ(b.GetGraphics()->DrawScale(), 2.0f);
  b.CloseEditor();
}

TEST_F(EditorLifecycle, HostValuesReachTheBoundControlsAndTaggedOnes) {
  EditorHost host;
  host.OpenEditor(nullptr);
  fw::gui::Graphics& g = *host.GetGraphics();
  host.DeliverParamToEditor(kPredelay, 0.25, true);
  EXPECT_DOUBLE_EQ(g.FindControlAt(57, 150, false)->Value(), 0.25);
  host.SetControlValueByTag(7, 0.3);  // no control carries a tag: nothing happens
  host.CloseEditor();
  host.DeliverParamToEditor(kPredelay, 20.0, false);  // closed: only the hook runs
}

}  // namespace

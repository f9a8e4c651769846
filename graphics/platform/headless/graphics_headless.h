#pragma once

#include <string>
#include <vector>

#include "graphics/cairo/graphics_cairo.h"

namespace fw::gui {

// The platform layer without a window: renders into the context's pixel buffer, records
// cursor requests, and answers menus and text fields with nothing (a test may choose a
// menu item beforehand). Used by tests and editor snapshots; Frame() does a host's tick.
class GraphicsHeadless : public GraphicsCairo {
 public:
  struct CursorCall {
    enum Kind { Hide, Show, Shape } kind;
    int shape;  // for Shape
    bool lock;  // for Hide and Show
    bool operator==(const CursorCall&) const = default;
  };

  GraphicsHeadless(GraphicsEditorDelegate* delegate, int width, int height, int fps = 60,
                   float drawScale = 1.0f, float screenScale = 1.0f);
  ~GraphicsHeadless() override;

  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  bool IsOpen() const { return open_; }

  // One frame: collects the dirty rectangles, marks everything clean and paints them.
  // Returns whether anything was painted.
  bool Frame();

  // The chosen item index the next menu answers with (−1: dismissed).
  void ChooseNextMenuItem(int index) { nextMenuChoice_ = index; }
  const PopupMenu* LastMenu() const { return lastMenu_; }
  const std::string& LastTextEntry() const { return lastTextEntry_; }
  const std::vector<CursorCall>& CursorCalls() const { return cursorCalls_; }
  int Frames() const { return frames_; }

 protected:
  void PlatformHideCursor(bool hide, bool lock) override;
  int PlatformSetCursor(int shape) override;
  void CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds, int length,
                               const std::string& text) override;
  PopupMenu* CreatePlatformPopupMenu(PopupMenu& menu, const Rect& bounds, bool& isAsync) override;
  float WindowScale() const override { return windowScale_; }
  void EndFrame() override { ++frames_; }

 private:
  float windowScale_;
  bool open_ = false;
  int shownCursor_ = 0;
  int nextMenuChoice_ = -1;
  const PopupMenu* lastMenu_ = nullptr;
  std::string lastTextEntry_;
  std::vector<CursorCall> cursorCalls_;
  int frames_ = 0;
};

}  // namespace fw::gui

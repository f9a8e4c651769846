#include "graphics/platform/headless/graphics_headless.h"

namespace fw::gui {

GraphicsHeadless::GraphicsHeadless(GraphicsEditorDelegate* delegate, int width, int height, int fps,
                                   float drawScale, float screenScale)
    : GraphicsCairo(delegate, width, height, fps, drawScale), windowScale_(screenScale) {
  RebuildPixelBuffer();
}

GraphicsHeadless::~GraphicsHeadless() {
  CloseWindow();
}

void* GraphicsHeadless::OpenWindow(void*) {
  open_ = true;
  RunOpenSequence();
  return this;
}

void GraphicsHeadless::CloseWindow() {
  if (!open_) return;
  open_ = false;
  RemoveAllControls();
}

bool GraphicsHeadless::Frame() {
  RectList rects;
  if (!CollectDirtyRects(rects)) return false;
  MarkAllClean();
  Paint(rects);
  return true;
}

void GraphicsHeadless::PlatformHideCursor(bool hide, bool lock) {
  cursorCalls_.push_back({hide ? CursorCall::Hide : CursorCall::Show, 0, lock});
}

int GraphicsHeadless::PlatformSetCursor(int shape) {
  cursorCalls_.push_back({CursorCall::Shape, shape, false});
  return std::exchange(shownCursor_, shape);
}

void GraphicsHeadless::CreatePlatformTextEntry(int, const TextStyle&, const Rect&, int,
                                               const std::string& text) {
  lastTextEntry_ = text;
}

PopupMenu* GraphicsHeadless::CreatePlatformPopupMenu(PopupMenu& menu, const Rect&, bool& isAsync) {
  isAsync = false;
  lastMenu_ = &menu;
  int choice = std::exchange(nextMenuChoice_, -1);
  if (choice < 0 || choice >= menu.ItemCount()) return nullptr;
  menu.SetChosenIndex(choice);
  return &menu;
}

}  // namespace fw::gui

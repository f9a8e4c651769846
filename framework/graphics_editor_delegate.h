#pragma once

#include <functional>
#include <memory>

#include "framework/editor_delegate.h"
#include "graphics/graphics.h"

namespace fw::gui {

// The editor-delegate layer that owns the graphics context while the editor is
// open, and creates and lays it out through two callables the product supplies.
class GraphicsEditorDelegate : public EditorDelegate {
 public:
  using MakeGraphicsFunction = std::function<std::unique_ptr<Graphics>()>;
  using LayoutFunction = std::function<void(Graphics&)>;

  explicit GraphicsEditorDelegate(int32_t paramCount) : EditorDelegate(paramCount) {}
  ~GraphicsEditorDelegate() override;

  void* OpenEditor(void* parent) override;
  void CloseEditor() override;
  void DeliverParamToEditor(int32_t index, double value, bool normalized) override;

  // A key the host passes on goes to the control under the pointer; false when unused.
  virtual bool KeyDownFromHost(const KeyPress& key);
  virtual bool KeyUpFromHost(const KeyPress& key);
  virtual void SetControlValueByTag(int controlTag, double normalizedValue);

  std::unique_ptr<Graphics> MakeGraphics() const;
  void RunLayout(Graphics& graphics) const;
  Graphics* GetGraphics() const { return graphics_.get(); }

 protected:
  MakeGraphicsFunction makeGraphicsFunction;
  LayoutFunction layoutFunction;

 private:
  std::unique_ptr<Graphics> graphics_;
  int savedWidth_ = 0;
  int savedHeight_ = 0;
  float savedScale_ = 0.0f;
  bool closing_ = false;
};

}  // namespace fw::gui

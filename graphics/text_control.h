#pragma once

#include <string>

#include "graphics/control.h"

namespace fw::gui {

// A line of text over a filled background; ignores the mouse.
class TextControl : public Control {
 public:
  TextControl(const Rect& bounds, std::string text, const TextStyle& style = {},
              const Color& backgroundColor = {0, 0, 0, 0}, bool sizeToText = false);

  void Render(Graphics& g) override;
  void HandleInit() override;
  virtual void SetText(const std::string& text);
  // printf-style, at most maxLength characters.
  virtual void SetTextFormatted(int maxLength, const char* format, ...);
  virtual void ClearText() { SetText(""); }
  const std::string& GetText() const { return text_; }

  Color backgroundColor;
  bool sizeToText;

 private:
  void SizeToText();
  std::string text_;
};

}  // namespace fw::gui

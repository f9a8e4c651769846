#include "graphics/text_control.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "graphics/graphics.h"

namespace fw::gui {

TextControl::TextControl(const Rect& bounds, std::string text, const TextStyle& style,
                         const Color& backgroundColor, bool sizeToText)
    : Control(bounds),
      backgroundColor(backgroundColor),
      sizeToText(sizeToText),
      text_(std::move(text)) {
  ignoreMouse = true;
  textStyle = style;
}

void TextControl::Render(Graphics& g) {
  g.FillRect(backgroundColor, bounds, &blend);
  if (!text_.empty() && g.EditingControl() != this) g.DrawText(textStyle, text_, bounds, &blend);
}

void TextControl::HandleInit() {
  if (sizeToText) SizeToText();
}

void TextControl::SizeToText() {
  Graphics* g = GetUI();
  if (!g) return;
  Rect measured;
  g->MeasureText(textStyle, text_, measured);
  bounds = bounds.Centred(measured.W(), measured.H());
  targetBounds = bounds;
  mouseIsOver = false;
  HandleResize();
}

void TextControl::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  if (sizeToText) SizeToText();
  MarkDirty(false, -1);
}

void TextControl::SetTextFormatted(int maxLength, const char* format, ...) {
  std::vector<char> buffer(static_cast<size_t>(std::max(maxLength, 0)) + 1);
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer.data(), buffer.size(), format, args);
  va_end(args);
  text_ = buffer.data();
  MarkDirty(false, -1);
}

}  // namespace fw::gui

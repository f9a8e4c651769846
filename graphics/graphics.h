#pragma once

namespace fw::gui {

// What the editor delegate needs of an editor's graphics context: its size and
// zoom, its window, and the controls bound to parameters.
class Graphics {
 public:
  virtual ~Graphics() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual float DrawScale() const = 0;
  virtual void SetSizeAndScale(int width, int height, float scale, bool needsPlatformResize) = 0;

  // Opens the editor's window inside the host's parent window; null when it cannot.
  virtual void* OpenWindow(void* parent) = 0;
  virtual void CloseWindow() = 0;

  // Every control slot bound to the parameter takes the normalised value.
  virtual void SetParamValueFromHost(int paramIndex, double normalizedValue) = 0;
};

}  // namespace fw::gui

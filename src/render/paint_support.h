#pragma once
// What every plot of the render layer shares: the fonts, the pixel sizes that follow the size of
// the picture, the conversion of a drawn image to PNG bytes, and a GUI application object for
// callers (the command line, tests) that draw without a window system.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <algorithm>
#include <string>
#include <vector>

namespace tarmac::paint {

// Makes sure a QGuiApplication exists so fonts can be rasterised. A window program already has
// one; otherwise one is created on the off-screen platform and kept until the process ends.
// Call it from the main thread. A program that made a plain QCoreApplication cannot draw text:
// it must make a QGuiApplication instead.
void EnsureGuiApplication();

// A sans-serif (titles, captions) or serif (tick values, statistics) font at a pixel size,
// preferring fonts found on any Debian machine and falling back to the system's default family.
QFont PlotFont(bool serif, double pixel_size, bool bold = false);

// Font pixel size for a plot of the given pixel height: `share` of the height, kept readable on a
// small screen panel and not oversized on a large report picture.
double FontPixels(double height, double share, double min_px, double max_px);

// A white image of the given size (at least 1 x 1) ready for drawing.
QImage BlankImage(int width, int height);

// PNG bytes of an image.
std::vector<unsigned char> PngBytes(const QImage& image);

QString ToQString(const std::string& text);

// The size a picture is printed at. It is drawn on a page of `width_in` x `height_in` inches laid
// out in points of 1/96 inch (the unit every plot's fonts and lines are measured in), rasterised
// at `dpi`, and the PNG states that resolution so that a document places it at its printed size.
struct PrintSize {
  double width_in = 6.5;   // the text width of a Letter page with 1-inch margins
  double height_in = 2.4;
  int dpi = 300;
  int PixelWidth() const { return std::max(1, static_cast<int>(width_in * dpi + 0.5)); }
  int PixelHeight() const { return std::max(1, static_cast<int>(height_in * dpi + 0.5)); }
};
// Text width of a page: 6.3 in (160 mm) on A4, taken for metric reports; 6.5 in on Letter.
inline double TextWidthInches(bool metric) { return metric ? 6.3 : 6.5; }
// The layout unit of a printed picture: 96 per inch, as on a screen.
inline constexpr double kLayoutDotsPerInch = 96.0;
// The smallest text of a plot, in layout pixels: 11 px is 8.25 pt at print size.
inline constexpr double kMinTextPixels = 11.0;

// Draws with render(painter, rect) onto a white width x height image and returns its PNG bytes;
// what the drawing returns (its geometry) goes to *result when asked for. The one way every
// plot becomes a picture for a file or a report.
template <typename Result, typename Render>
std::vector<unsigned char> RenderPng(int width, int height, Result* result, Render render) {
  EnsureGuiApplication();
  QImage image = BlankImage(width, height);
  {
    QPainter painter(&image);
    Result r = render(painter, image.rect());
    if (result != nullptr) *result = r;
  }
  return PngBytes(image);
}

// The same for print: the drawing sees a layout of size.width_in x 96 by size.height_in x 96
// pixels, scaled onto an image of the printed size at size.dpi.
template <typename Result, typename Render>
std::vector<unsigned char> RenderPrintPng(const PrintSize& size, Result* result, Render render) {
  EnsureGuiApplication();
  QImage image = BlankImage(size.PixelWidth(), size.PixelHeight());
  const int dots_per_meter = static_cast<int>(size.dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dots_per_meter);
  image.setDotsPerMeterY(dots_per_meter);
  {
    QPainter painter(&image);
    const double scale = size.dpi / kLayoutDotsPerInch;
    painter.scale(scale, scale);
    const QRect layout(0, 0, static_cast<int>(image.width() / scale + 0.5),
                       static_cast<int>(image.height() / scale + 0.5));
    Result r = render(painter, layout);
    if (result != nullptr) *result = r;
  }
  return PngBytes(image);
}

// Device pixels per layout pixel of the painter (1 on a screen, dpi / 96 on a printed picture):
// hairlines and the decimation of long series follow the real resolution.
double DeviceScale(const QPainter& painter);

// Draws text with its box anchored at (x, y): h_align -1 left edge, 0 centre, 1 right edge;
// v_align -1 top edge, 0 middle, 1 bottom edge. The box is pushed back inside `keep_inside`
// so labels at the ends of an axis are never clipped by the picture's edge. With `backing` the
// text's box is first filled white, so that a label over a curve stays readable.
void DrawAnchoredText(QPainter& painter, const QString& text, double x, double y, int h_align,
                      int v_align, const QRectF& keep_inside, bool backing = false);

// Draws text turned a quarter turn anticlockwise (reading upwards), centred on (x, y).
void DrawVerticalText(QPainter& painter, const QString& text, double x, double y);

inline const QColor kInk{20, 20, 20};
inline const QColor kCurve{0, 0, 150};
inline const QColor kOverlay{0, 0, 225};
inline const QColor kZeroLine{255, 0, 0};
inline const QColor kGrid{225, 225, 225};
inline const QColor kFrame{150, 150, 150};

}  // namespace tarmac::paint

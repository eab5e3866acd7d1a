#pragma once
// Shared helpers of the render tests: decoding PNG bytes and looking at pixels.
#include <QColor>
#include <QImage>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarmac::testing {

inline QImage DecodePng(const std::vector<unsigned char>& png) {
  return QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
}

inline bool IsRed(QColor c) { return c.red() > 200 && c.green() < 110 && c.blue() < 110; }
inline bool IsDark(QColor c) { return c.red() + c.green() + c.blue() < 3 * 170; }
inline bool IsWhite(QColor c) { return c.red() > 250 && c.green() > 250 && c.blue() > 250; }

// True when a pixel within `radius` of (x, y) satisfies the predicate.
template <class Pred>
bool AnyNear(const QImage& image, double x, double y, int radius, Pred pred) {
  const int cx = static_cast<int>(std::floor(x));
  const int cy = static_cast<int>(std::floor(y));
  for (int py = cy - radius; py <= cy + radius; ++py) {
    for (int px = cx - radius; px <= cx + radius; ++px) {
      if (px < 0 || py < 0 || px >= image.width() || py >= image.height()) continue;
      if (pred(image.pixelColor(px, py))) return true;
    }
  }
  return false;
}

template <class Pred>
int CountPixels(const QImage& image, Pred pred) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (pred(image.pixelColor(x, y))) ++count;
  return count;
}

// Writes a picture for a person to look at, outside the repository.
inline void KeepSample(const std::string& name, const std::vector<unsigned char>& png) {
  const std::filesystem::path folder = "/work/render-samples";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return;
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

}  // namespace tarmac::testing

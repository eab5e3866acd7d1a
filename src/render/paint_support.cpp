#include "render/paint_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tarmac::paint {

void EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  // Kept for the whole process and never destroyed: images may still be drawn from static
  // destructors, and tearing the application down before them would crash.
  static int argc = 3;
  static char arg0[] = "tarmac";
  static char arg1[] = "-platform";
  static char arg2[] = "offscreen";
  static char* argv[] = {arg0, arg1, arg2, nullptr};
  if (std::getenv("QT_QPA_PLATFORM") != nullptr) argc = 1;  // the person's choice wins
  // Qt wants a private runtime folder and complains on every run when none is set, as on a
  // server or in a batch job; give it the one it would pick, quietly.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    if (mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
  }
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

QFont PlotFont(bool serif, double pixel_size, bool bold) {
  QFont font;
  if (serif) {
    font.setFamilies({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Times New Roman"), QStringLiteral("serif")});
    font.setStyleHint(QFont::Serif);
  } else {
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
  }
  font.setPixelSize(std::max(1, static_cast<int>(pixel_size + 0.5)));
  font.setBold(bold);
  return font;
}

double FontPixels(double height, double share, double min_px, double max_px) {
  // Never below the smallest readable text, on a small panel as on a printed page.
  return std::clamp(height * share, std::max(min_px, kMinTextPixels), std::max(max_px, kMinTextPixels));
}

double DeviceScale(const QPainter& painter) {
  const double scale = std::sqrt(std::fabs(painter.deviceTransform().determinant()));
  return scale > 0.0 && std::isfinite(scale) ? scale : 1.0;
}

QImage BlankImage(int width, int height) {
  QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

std::vector<unsigned char> PngBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

void DrawAnchoredText(QPainter& painter, const QString& text, double x, double y, int h_align,
                      int v_align, const QRectF& keep_inside, bool backing) {
  const QFontMetricsF metrics(painter.font());
  const double w = metrics.horizontalAdvance(text);
  const double h = metrics.height();
  double left = x - w * (h_align + 1) / 2.0;
  double top = y - h * (v_align + 1) / 2.0;
  if (!keep_inside.isEmpty()) {
    left = std::clamp(left, keep_inside.left(), std::max(keep_inside.left(), keep_inside.right() - w));
    top = std::clamp(top, keep_inside.top(), std::max(keep_inside.top(), keep_inside.bottom() - h));
  }
  if (backing) painter.fillRect(QRectF(left - 1.0, top, w + 3.0, h), Qt::white);
  painter.drawText(QRectF(left, top, w + 1.0, h), Qt::AlignLeft | Qt::AlignVCenter, text);
}

void DrawVerticalText(QPainter& painter, const QString& text, double x, double y) {
  const QFontMetricsF metrics(painter.font());
  const double w = metrics.horizontalAdvance(text);
  const double h = metrics.height();
  painter.save();
  painter.translate(x, y);
  painter.rotate(-90.0);
  painter.drawText(QRectF(-w / 2.0, -h / 2.0, w + 1.0, h), Qt::AlignCenter, text);
  painter.restore();
}

}  // namespace tarmac::paint

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PaletteColours.h"

#include <QImage>
#include <algorithm>
#include <cmath>

namespace stencilor::ui {

namespace {

constexpr double kReadableContrast = 4.5;

double channel(double value)
{
    value /= 255.0;
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) + 0.0722 * channel(rgb.blue());
}

// The mean lightness (0..255) of the pixels of `image` that are not mostly transparent; -1 when
// none is.
int meanLightness(const QImage& image)
{
    long long sum = 0;
    long long count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) < 128)
                continue;
            sum += QColor::fromRgb(line[x]).lightness();
            ++count;
        }
    }
    return count == 0 ? -1 : static_cast<int>(sum / count);
}

QPixmap lightnessTurned(const QPixmap& picture)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = QColor::fromRgba(line[x]);
            float hue = 0;
            float saturation = 0;
            float lightness = 0;
            float alpha = 0;
            colour.getHslF(&hue, &saturation, &lightness, &alpha);
            line[x] = QColor::fromHslF(hue, saturation, 1.0f - lightness, alpha).rgba();
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result;
}

} // namespace

double contrastRatio(const QColor& first, const QColor& second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOn(const QColor& background, const QColor& preferred)
{
    if (contrastRatio(background, preferred) >= kReadableContrast)
        return preferred;
    return contrastRatio(background, Qt::black) >= contrastRatio(background, Qt::white) ? QColor(Qt::black)
                                                                                        : QColor(Qt::white);
}

bool isDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor markerColour(const QPalette& palette)
{
    return palette.color(QPalette::Base).lightness() < 128 ? QColor(122, 92, 0) : QColor(255, 226, 122);
}

QIcon iconForPalette(const QIcon& icon, const QPalette& palette)
{
    if (icon.isNull() || !isDarkPalette(palette))
        return icon;
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    QIcon turned;
    for (const QSize& size : sizes) {
        for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active}) {
            const QPixmap picture = icon.pixmap(size, mode);
            const int lightness = meanLightness(picture.toImage().convertToFormat(QImage::Format_ARGB32));
            // A picture light enough already (a coloured theme icon) is left as its theme drew it.
            turned.addPixmap(lightness >= 0 && lightness < 128 ? lightnessTurned(picture) : picture, mode);
        }
    }
    return turned;
}

QPixmap greyedPicture(const QPixmap& picture, const QPalette& palette)
{
    if (picture.isNull())
        return {};
    const QColor window = palette.color(QPalette::Window);
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            const auto towards = [grey](int target) { return grey + (target - grey) / 3; };
            line[x] = qRgba(towards(window.red()), towards(window.green()), towards(window.blue()), qAlpha(line[x]));
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(picture.devicePixelRatio());
    return result;
}

} // namespace stencilor::ui

#include "x11/xcb_outline_shape.h"

#include <QVector>

#include <algorithm>
#include <vector>

namespace halomark::x11 {
namespace {

struct Span
{
    int left;
    int right; // exclusive
    bool operator==(const Span&) const = default;
};

} // namespace

QRegion outlineBand(const QImage& painted, const QRect& area, const OutlineShapeRule& rule)
{
    const QImage image = painted.format() == QImage::Format_ARGB32_Premultiplied
                             ? painted
                             : painted.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect target = area & image.rect();
    if (target.isEmpty()) {
        return {};
    }
    const int w = image.width();
    const int h = image.height();
    // Only rows and columns within the band width of the area are read.
    const int band = std::max(0, rule.bandWidth);

    // Rows that matter: the target and the band around it. Per row, whether an unpainted pixel
    // lies within the band width to either side, from running counts of unpainted pixels.
    const int rowBegin = std::max(0, target.top() - band);
    const int rowEnd = std::min(h, target.bottom() + 1 + band);
    const int columnBegin = target.left();
    const int columnEnd = target.right() + 1;
    const int columns = columnEnd - columnBegin;
    std::vector<unsigned char> nearUnpainted(static_cast<std::size_t>(columns) *
                                             static_cast<std::size_t>(rowEnd - rowBegin));
    // prefix[i] counts the unpainted pixels of the row before column scanBegin + i.
    const int scanBegin = std::max(0, columnBegin - band);
    const int scanEnd = std::min(w, columnEnd + band);
    std::vector<int> prefix(static_cast<std::size_t>(scanEnd - scanBegin) + 1);
    for (int y = rowBegin; y < rowEnd; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = scanBegin; x < scanEnd; ++x) {
            const auto i = static_cast<std::size_t>(x - scanBegin);
            prefix[i + 1] = prefix[i] + (qAlpha(line[x]) < rule.alphaThreshold ? 1 : 0);
        }
        unsigned char* out = &nearUnpainted[static_cast<std::size_t>(y - rowBegin) *
                                            static_cast<std::size_t>(columns)];
        for (int x = columnBegin; x < columnEnd; ++x) {
            const auto from = static_cast<std::size_t>(std::max(scanBegin, x - band) - scanBegin);
            const auto to = static_cast<std::size_t>(std::min(scanEnd, x + band + 1) - scanBegin);
            out[x - columnBegin] = prefix[to] != prefix[from] ? 1 : 0;
        }
    }

    // Down each column of the target: a painted pixel shows when a row within the band width
    // above or below has an unpainted pixel near it.
    std::vector<std::vector<Span>> rows(static_cast<std::size_t>(target.height()));
    std::vector<int> columnCount(static_cast<std::size_t>(columns));
    // Window sums over rows [y - band, y + band], kept per column as y advances.
    auto rowAt = [&](int y) {
        return &nearUnpainted[static_cast<std::size_t>(y - rowBegin) *
                              static_cast<std::size_t>(columns)];
    };
    for (int y = rowBegin; y < std::min(rowEnd, target.top() + band); ++y) {
        const unsigned char* r = rowAt(y);
        for (int c = 0; c < columns; ++c) {
            columnCount[static_cast<std::size_t>(c)] += r[c];
        }
    }
    for (int y = target.top(); y <= target.bottom(); ++y) {
        if (y + band < rowEnd) {
            const unsigned char* r = rowAt(y + band);
            for (int c = 0; c < columns; ++c) {
                columnCount[static_cast<std::size_t>(c)] += r[c];
            }
        }
        if (y - band - 1 >= rowBegin) {
            const unsigned char* r = rowAt(y - band - 1);
            for (int c = 0; c < columns; ++c) {
                columnCount[static_cast<std::size_t>(c)] -= r[c];
            }
        }
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::vector<Span>& spans = rows[static_cast<std::size_t>(y - target.top())];
        int start = -1;
        for (int c = 0; c <= columns; ++c) {
            const bool on = c < columns && qAlpha(line[columnBegin + c]) >= rule.alphaThreshold &&
                            columnCount[static_cast<std::size_t>(c)] > 0;
            if (on && start < 0) {
                start = c;
            } else if (!on && start >= 0) {
                spans.push_back({columnBegin + start, columnBegin + c});
                start = -1;
            }
        }
    }

    // Rows with the same spans merge into one band of rectangles, as QRegion stores them.
    QVector<QRect> rects;
    std::size_t i = 0;
    while (i < rows.size()) {
        std::size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[i]) {
            ++j;
        }
        const int top = target.top() + static_cast<int>(i);
        const int height = static_cast<int>(j - i);
        for (const Span& span : rows[i]) {
            rects.append(QRect(span.left, top, span.right - span.left, height));
        }
        i = j;
    }
    QRegion region;
    if (!rects.isEmpty()) {
        region.setRects(rects.constData(), static_cast<int>(rects.size()));
    }
    return region;
}

QImage opaqueColors(const QImage& painted)
{
    return painted.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
}

} // namespace halomark::x11

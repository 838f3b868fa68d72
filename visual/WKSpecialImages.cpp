#include "WKSpecialImages.h"

#include "Formatting.h"
#include "ImgList.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace {
int Clamp255(double v) { return int(std::clamp<int64_t>(Round(v), 0, 255)); }

// The tone and contrast table: with c >= 0 the range [c - b, 255 - c - b]
// spreads over [0, 255]; with c < 0 [0, 255] shrinks onto [b - c, 255 + c + b].
std::array<int, 256> ToneTable(int b, int c) {
    std::array<int, 256> t{};
    for (int x = 0; x < 256; ++x) {
        double y;
        if (c >= 0) {
            const double lo = c - b, hi = 255 - c - b;
            y = hi > lo ? (x - lo) * 255.0 / (hi - lo) : (x >= lo ? 255 : 0);
        } else {
            const double lo = b - c, hi = 255 + c + b;
            y = lo + x * (hi - lo) / 255.0;
        }
        t[size_t(x)] = Clamp255(y);
    }
    return t;
}
}  // namespace

TCustomImageList* CreateSpecialImageList(const TCustomImageList* source, float tone, float contrast, float grey,
                                         float alpha) {
    if (!source || source->ColorDepth() != TCustomImageList::cd32Bit) return nullptr;
    auto list = std::make_unique<TCustomImageList>(source->Owner() ? source->Owner()->Self() : nullptr);
    list->Assign(*source);
    list->SetMasked(false);
    QImage bits = list->Bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int b = int(Round(tone * 255.0));
    const int c = int(Round(contrast * 127.0));
    const bool useTable = b != 0 || c != 0;
    const std::array<int, 256> table = ToneTable(b, c);
    for (int y = 0; y < bits.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits.scanLine(y));
        for (int x = 0; x < bits.width(); ++x) {
            const QRgb px = line[x];
            int a = qAlpha(px);
            // A fully transparent pixel has no colour to recover: dividing by
            // its alpha would fail, and it stays transparent whatever the factors.
            if (a == 0) continue;
            int rgb[3] = {qRed(px) * 255 / a, qGreen(px) * 255 / a, qBlue(px) * 255 / a};
            for (int& ch : rgb) {
                ch = std::min(ch, 255);
                if (useTable) ch = table[size_t(ch)];
            }
            if (grey > 0) {
                const int g = (61 * rgb[0] + 174 * rgb[1] + 21 * rgb[2]) >> 8;
                for (int& ch : rgb) ch = grey >= 1 ? g : Clamp255(ch + (g - ch) * double(grey));
            }
            if (alpha != 1) a = Clamp255(a * double(alpha));
            line[x] = qRgba(rgb[0] * a / 255, rgb[1] * a / 255, rgb[2] * a / 255, a);
        }
    }
    list->SetBitmap(bits);
    return list.release();
}

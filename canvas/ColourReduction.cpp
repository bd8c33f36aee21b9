#include "canvas/ColourReduction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <unordered_map>

namespace {

double toLinear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int toChannel(double linear)
{
    const double c = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return int(std::lround(std::clamp(c, 0.0, 1.0) * 255));
}

double axis(const ColourReduction::Lab& lab, int which)
{
    return which == 0 ? lab.L : which == 1 ? lab.a : lab.b;
}

} // namespace

ColourReduction::Lab ColourReduction::toOkLab(Colour c)
{
    const double r = toLinear(redOf(c)), g = toLinear(greenOf(c)), b = toLinear(blueOf(c));
    const double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
    const double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
    const double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
    return Lab{0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
               1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
               0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

Colour ColourReduction::fromOkLab(const Lab& lab)
{
    const double l = std::pow(lab.L + 0.3963377774 * lab.a + 0.2158037573 * lab.b, 3);
    const double m = std::pow(lab.L - 0.1055613458 * lab.a - 0.0638541728 * lab.b, 3);
    const double s = std::pow(lab.L - 0.0894841775 * lab.a - 1.2914855480 * lab.b, 3);
    return RGBColour(toChannel(4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s),
                     toChannel(-1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s),
                     toChannel(-0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s));
}

double ColourReduction::distance2(const Lab& p, const Lab& q)
{
    const double dL = p.L - q.L, da = p.a - q.a, db = p.b - q.b;
    return dL * dL + da * da + db * db;
}

bool ColourReduction::within(Colour a, Colour b, int tolerance)
{
    return std::abs(redOf(a) - redOf(b)) <= tolerance && std::abs(greenOf(a) - greenOf(b)) <= tolerance &&
           std::abs(blueOf(a) - blueOf(b)) <= tolerance;
}

int ColourReduction::cellsWith(const QImage& picture, Colour c)
{
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32)
        return cellsWith(picture.convertToFormat(QImage::Format_RGB32), c);
    const QRgb wanted = toQRgb(c) & 0xFFFFFF;
    const int width = picture.width(), height = picture.height();
    int cells = 0;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x)
            cells += (row[x] & 0xFFFFFF) == wanted;
    }
    return cells;
}

ColourReduction::ColourReduction(const QImage& picture)
    : m_picture(picture.convertToFormat(QImage::Format_RGB32))
{
    std::unordered_map<Colour, int> cells;
    for (int y = 0; y < m_picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(m_picture.constScanLine(y));
        for (int x = 0; x < m_picture.width(); ++x)
            ++cells[fromQRgb(row[x])];
    }
    m_colours.reserve(cells.size());
    for (const auto& [colour, count] : cells)
        m_colours.push_back(Entry{colour, count, toOkLab(colour)});
    std::sort(m_colours.begin(), m_colours.end(),
              [](const Entry& p, const Entry& q) { return p.colour < q.colour; });
}

int ColourReduction::entryOf(Colour c) const
{
    const auto it = std::lower_bound(m_colours.begin(), m_colours.end(), c,
                                     [](const Entry& e, Colour v) { return e.colour < v; });
    return it != m_colours.end() && it->colour == c ? int(it - m_colours.begin()) : -1;
}

int ColourReduction::cellsOf(Colour c) const
{
    const int i = entryOf(c);
    return i < 0 ? 0 : m_colours[std::size_t(i)].cells;
}

QList<Colour> ColourReduction::palette(int maxColours) const
{
    QList<Colour> result;
    if (maxColours < 1 || m_colours.empty())
        return result;
    if (int(m_colours.size()) <= maxColours) {
        for (const Entry& e : m_colours)
            result << e.colour;
        return result;
    }

    // A box is a run of entries; splitting sorts the run along its widest axis.
    struct Box {
        std::size_t begin = 0, end = 0;
        double error = 0; // cell-weighted squared distance from the box's mean
        int widest = 0;
        Lab mean;
    };
    std::vector<Entry> entries = m_colours;
    auto measure = [&entries](Box& box) {
        double cells = 0;
        Lab sum;
        for (std::size_t i = box.begin; i < box.end; ++i) {
            const Entry& e = entries[i];
            cells += e.cells;
            sum.L += e.cells * e.lab.L;
            sum.a += e.cells * e.lab.a;
            sum.b += e.cells * e.lab.b;
        }
        box.mean = Lab{sum.L / cells, sum.a / cells, sum.b / cells};
        double spread[3] = {0, 0, 0};
        for (std::size_t i = box.begin; i < box.end; ++i)
            for (int k = 0; k < 3; ++k) {
                const double d = axis(entries[i].lab, k) - axis(box.mean, k);
                spread[k] += entries[i].cells * d * d;
            }
        box.error = spread[0] + spread[1] + spread[2];
        box.widest = int(std::max_element(spread, spread + 3) - spread);
    };

    std::vector<Box> boxes(1);
    boxes.front().end = entries.size();
    measure(boxes.front());
    while (int(boxes.size()) < maxColours) {
        // The box that costs most; the first of equals, so the cut never depends on chance.
        std::size_t worst = boxes.size();
        for (std::size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].end - boxes[i].begin > 1 &&
                (worst == boxes.size() || boxes[i].error > boxes[worst].error))
                worst = i;
        if (worst == boxes.size())
            break; // every box holds a single colour
        Box& box = boxes[worst];
        const int k = box.widest;
        std::sort(entries.begin() + std::ptrdiff_t(box.begin), entries.begin() + std::ptrdiff_t(box.end),
                  [k](const Entry& p, const Entry& q) {
                      const double u = axis(p.lab, k), v = axis(q.lab, k);
                      return u != v ? u < v : p.colour < q.colour;
                  });
        // The cut where the two halves' squared error is least (a cluster of near
        // colours is never cut through while a gap between clusters is left whole).
        struct Sums {
            double cells = 0, L = 0, a = 0, b = 0, squares = 0;
            void add(const Entry& e, double sign)
            {
                cells += sign * e.cells;
                L += sign * e.cells * e.lab.L;
                a += sign * e.cells * e.lab.a;
                b += sign * e.cells * e.lab.b;
                squares += sign * e.cells * (e.lab.L * e.lab.L + e.lab.a * e.lab.a + e.lab.b * e.lab.b);
            }
            double error() const { return cells > 0 ? squares - (L * L + a * a + b * b) / cells : 0; }
        };
        Sums lower, higher;
        for (std::size_t i = box.begin; i < box.end; ++i)
            higher.add(entries[i], 1);
        std::size_t cut = box.begin + 1;
        double best = -1;
        for (std::size_t i = box.begin + 1; i < box.end; ++i) {
            lower.add(entries[i - 1], 1);
            higher.add(entries[i - 1], -1);
            const double error = lower.error() + higher.error();
            if (best < 0 || error < best - 1e-12) {
                best = error;
                cut = i;
            }
        }
        Box upper;
        upper.begin = cut;
        upper.end = box.end;
        box.end = cut;
        measure(box);
        measure(upper);
        boxes.push_back(upper);
    }
    std::vector<Lab> centres;
    for (const Box& box : boxes)
        centres.push_back(box.mean);
    for (const Lab& centre : refined(std::move(centres)))
        result << fromOkLab(centre);
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    return result;
}

QImage ColourReduction::recoloured(const std::vector<Colour>& replacement) const
{
    QImage out = m_picture.copy();
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            row[x] = toQRgb(replacement[std::size_t(entryOf(fromQRgb(row[x])))]);
    }
    return out;
}

QImage ColourReduction::mapped(const QList<Colour>& palette) const
{
    if (palette.isEmpty())
        return m_picture;
    std::vector<Lab> labs;
    for (Colour c : palette)
        labs.push_back(toOkLab(c));
    std::vector<Colour> replacement;
    replacement.reserve(m_colours.size());
    for (const Entry& e : m_colours) {
        std::size_t nearest = 0;
        for (std::size_t i = 1; i < labs.size(); ++i)
            if (distance2(e.lab, labs[i]) < distance2(e.lab, labs[nearest]))
                nearest = i;
        replacement.push_back(palette[qsizetype(nearest)]);
    }
    return recoloured(replacement);
}

QImage ColourReduction::merged(int tolerance) const
{
    // Most frequent first; equal counts in colour order.
    std::vector<std::size_t> order(m_colours.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [this](std::size_t p, std::size_t q) {
        return m_colours[p].cells > m_colours[q].cells;
    });
    std::vector<Colour> replacement(m_colours.size());
    std::vector<bool> taken(m_colours.size(), false);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::size_t keep = order[i];
        if (taken[keep])
            continue;
        taken[keep] = true;
        replacement[keep] = m_colours[keep].colour;
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            const std::size_t other = order[j];
            if (!taken[other] && within(m_colours[other].colour, m_colours[keep].colour, tolerance)) {
                taken[other] = true;
                replacement[other] = m_colours[keep].colour;
            }
        }
    }
    return recoloured(replacement);
}

std::vector<ColourReduction::Lab> ColourReduction::refined(std::vector<Lab> centres) const
{
    // Lloyd's iterations over the histogram, weighted by cells. Each step can only lower
    // the total squared error, so the median cut's palette is never made worse; the
    // order of everything is fixed, so the result is the same every time.
    constexpr int MostRounds = 100;
    std::vector<std::size_t> nearest(m_colours.size(), centres.size());
    for (int round = 0; round < MostRounds; ++round) {
        bool moved = false;
        for (std::size_t i = 0; i < m_colours.size(); ++i) {
            std::size_t best = 0;
            double bestDistance = distance2(m_colours[i].lab, centres[0]);
            for (std::size_t k = 1; k < centres.size(); ++k)
                if (const double d = distance2(m_colours[i].lab, centres[k]); d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            moved = moved || nearest[i] != best;
            nearest[i] = best;
        }
        if (!moved)
            break;
        std::vector<Lab> sums(centres.size());
        std::vector<double> cells(centres.size(), 0);
        for (std::size_t i = 0; i < m_colours.size(); ++i) {
            const Entry& e = m_colours[i];
            Lab& sum = sums[nearest[i]];
            sum.L += e.cells * e.lab.L;
            sum.a += e.cells * e.lab.a;
            sum.b += e.cells * e.lab.b;
            cells[nearest[i]] += e.cells;
        }
        for (std::size_t k = 0; k < centres.size(); ++k)
            if (cells[k] > 0) // a centre nobody chose keeps its place
                centres[k] = Lab{sums[k].L / cells[k], sums[k].a / cells[k], sums[k].b / cells[k]};
    }
    return centres;
}

QImage ColourReduction::reduced(int maxColours, Dithering dithering) const
{
    const QList<Colour> colours = palette(maxColours);
    if (colours.isEmpty() || int(m_colours.size()) <= maxColours)
        return mapped(colours);
    switch (dithering) {
    case Dithering::Ordered:
        return ordered(colours);
    case Dithering::ErrorDiffusion:
        return diffused(colours);
    case Dithering::None:
        break;
    }
    return mapped(colours);
}

QImage ColourReduction::ordered(const QList<Colour>& palette) const
{
    // Each cell lies between its nearest palette colour and the next nearest; the Bayer
    // threshold picks the second as often as the cell lies towards it.
    static constexpr int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<Lab> labs;
    for (Colour c : palette)
        labs.push_back(toOkLab(c));
    QImage out = m_picture.copy();
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const Lab p = m_colours[std::size_t(entryOf(fromQRgb(row[x])))].lab;
            std::size_t first = 0, second = labs.size() > 1 ? 1 : 0;
            if (labs.size() > 1 && distance2(p, labs[1]) < distance2(p, labs[0]))
                std::swap(first, second);
            for (std::size_t k = 2; k < labs.size(); ++k) {
                const double d = distance2(p, labs[k]);
                if (d < distance2(p, labs[first])) {
                    second = first;
                    first = k;
                } else if (d < distance2(p, labs[second])) {
                    second = k;
                }
            }
            const Lab& u = labs[first];
            const Lab& v = labs[second];
            const double span = distance2(u, v);
            double towards = 0;
            if (span > 0)
                towards =
                    ((p.L - u.L) * (v.L - u.L) + (p.a - u.a) * (v.a - u.a) + (p.b - u.b) * (v.b - u.b)) /
                    span;
            const double threshold = (Bayer[y % 4][x % 4] + 0.5) / 16.0;
            row[x] = toQRgb(palette[qsizetype(towards > threshold ? second : first)]);
        }
    }
    return out;
}

QImage ColourReduction::diffused(const QList<Colour>& palette) const
{
    std::vector<Lab> labs;
    for (Colour c : palette)
        labs.push_back(toOkLab(c));
    const int w = m_picture.width(), h = m_picture.height();
    // The error carried to the next row and this one, a cell to each side beyond the edges.
    std::vector<Lab> current(std::size_t(w + 2)), next(std::size_t(w + 2));
    QImage out = m_picture.copy();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        const bool rightwards = y % 2 == 0;
        for (int i = 0; i < w; ++i) {
            const int x = rightwards ? i : w - 1 - i;
            const int dir = rightwards ? 1 : -1;
            const Lab own = m_colours[std::size_t(entryOf(fromQRgb(row[x])))].lab;
            const Lab& carried = current[std::size_t(x + 1)];
            // Carried error is bounded so that a run of far cells cannot pile it up.
            const auto bounded = [](double e) { return std::clamp(e, -0.1, 0.1); };
            const Lab want{own.L + bounded(carried.L), own.a + bounded(carried.a),
                           own.b + bounded(carried.b)};
            std::size_t best = 0;
            for (std::size_t k = 1; k < labs.size(); ++k)
                if (distance2(want, labs[k]) < distance2(want, labs[best]))
                    best = k;
            row[x] = toQRgb(palette[qsizetype(best)]);
            const Lab error{want.L - labs[best].L, want.a - labs[best].a, want.b - labs[best].b};
            const auto spread = [&error](Lab& to, double share) {
                to.L += error.L * share;
                to.a += error.a * share;
                to.b += error.b * share;
            };
            spread(current[std::size_t(x + 1 + dir)], 7.0 / 16);
            spread(next[std::size_t(x + 1 - dir)], 3.0 / 16);
            spread(next[std::size_t(x + 1)], 5.0 / 16);
            spread(next[std::size_t(x + 1 + dir)], 1.0 / 16);
        }
        std::swap(current, next);
        std::fill(next.begin(), next.end(), Lab{});
    }
    return out;
}

double ColourReduction::meanError(const QImage& p, const QImage& q)
{
    if (p.size() != q.size() || p.isNull())
        return 0;
    const QImage a = p.convertToFormat(QImage::Format_RGB32), b = q.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            sum += std::sqrt(distance2(toOkLab(fromQRgb(a.pixel(x, y))), toOkLab(fromQRgb(b.pixel(x, y)))));
    return 100.0 * sum / (double(a.width()) * a.height());
}

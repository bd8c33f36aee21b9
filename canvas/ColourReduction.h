#pragma once

#include "platform/Colour.h"

#include <QImage>
#include <QList>
#include <vector>

// The colours of a picture: how many there are, how many cells hold each, and the
// two ways of having fewer of them. A palette of at most N colours is chosen by median
// cut in OKLab (a perceptual space, so the cuts follow what the eye tells apart; the
// costliest box is cut across its widest axis where the two halves' squared error is
// least), then refined by k-means (each palette colour moves to the mean of the cells
// nearest to it until none changes side), and every cell takes its nearest palette
// colour, without dithering unless asked; or colours within a tolerance of each other
// merge into the most frequent of them. Without dithering everything works on the
// picture's histogram, so the result never depends on where the cells lie.
class ColourReduction {
public:
    static constexpr int MostColours = 256;
    enum class Dithering {
        None,
        Ordered,        // a 4 x 4 Bayer pattern mixes each cell's two nearest palette colours
        ErrorDiffusion, // Floyd-Steinberg in OKLab, rows in alternating directions
    };

    struct Lab {
        double L = 0;
        double a = 0;
        double b = 0;
    };
    static Lab toOkLab(Colour c);
    static Colour fromOkLab(const Lab& lab);
    static double distance2(const Lab& p, const Lab& q);

    // Whether two colours differ by at most the tolerance in each of red, green and blue.
    static bool within(Colour a, Colour b, int tolerance);
    // How many pixels of the picture have the colour (a single count, no histogram).
    static int cellsWith(const QImage& picture, Colour c);

    explicit ColourReduction(const QImage& picture);

    int colourCount() const { return int(m_colours.size()); }
    int cellsOf(Colour c) const;

    // At most maxColours colours (sorted by value): the picture's own when it has no
    // more than that, else the mean colour of each median-cut box.
    QList<Colour> palette(int maxColours) const;
    // Every cell as its nearest palette colour in OKLab.
    QImage mapped(const QList<Colour>& palette) const;
    QImage reduced(int maxColours, Dithering dithering = Dithering::None) const;
    // The picture as given (RGB32).
    const QImage& picture() const { return m_picture; }
    // The mean OKLab distance between the pixels of two pictures of one size, times 100
    // (the usual scale of delta E).
    static double meanError(const QImage& p, const QImage& q);
    // Colours within the tolerance of a more frequent one become that one; the most
    // frequent colours are taken first, so each merges into its most frequent neighbour.
    QImage merged(int tolerance) const;

private:
    struct Entry {
        Colour colour;
        int cells;
        Lab lab;
    };
    QImage recoloured(const std::vector<Colour>& replacement) const; // one per entry
    // The median cut's box means, moved by k-means.
    std::vector<Lab> refined(std::vector<Lab> centres) const;
    QImage ordered(const QList<Colour>& palette) const;
    QImage diffused(const QList<Colour>& palette) const;
    int entryOf(Colour c) const;

    QImage m_picture;
    std::vector<Entry> m_colours; // sorted by colour value
};

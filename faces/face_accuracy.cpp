// Measures the face detectors on the face set in tests/faces/: for each, the faces found
// and missed, the false faces, and whether its largest box is a real face (what the
// import window's A key frames first).
#include "faces/FaceFinder.h"
#include "faces/OpenCvFaceFinder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTextStream>
#include <cstdio>
#include <functional>

namespace {

struct Entry {
    QString file;
    std::vector<QRect> faces;
    std::vector<QRect> ignored;
};

QRect box(const QString& text)
{
    const QStringList v = text.split(u',');
    return v.size() == 4 ? QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()) : QRect();
}

std::vector<Entry> readSet(const QString& folder)
{
    std::vector<Entry> set;
    QFile list(folder + QStringLiteral("/faces.txt"));
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text))
        return set;
    QTextStream in(&list);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        Entry e{parts[0], {}, {}};
        bool ignore = false;
        for (const QString& p : parts.mid(1)) {
            if (p == QLatin1String("ignore"))
                ignore = true;
            else if (p != QLatin1String("none"))
                (ignore ? e.ignored : e.faces).push_back(box(p));
        }
        set.push_back(e);
    }
    return set;
}

// A detection finds a marked face when its centre lies in the face's box and its size is
// within a factor of two: detectors differ in how much of the head a box takes.
bool finds(const QRect& detected, const QRect& face)
{
    const double ratio = double(detected.width()) / face.width();
    return face.contains(detected.center()) && ratio > 0.5 && ratio < 2.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(PICTORIA_SOURCE_DIR "/tests/faces");
    const std::vector<Entry> set = readSet(folder);
    if (set.empty()) {
        std::fprintf(stderr, "face_accuracy: no face set in %s\n", qPrintable(folder));
        return 1;
    }
    const FaceFinder dlib;
    const OpenCvFaceFinder opencv;
    if (!opencv.ready()) {
        std::fprintf(stderr, "face_accuracy: the OpenCV cascades cannot be read\n");
        return 1;
    }
    const std::vector<std::pair<const char*, std::function<std::vector<QRect>(const QImage&)>>> detectors{
        {"OpenCV cascades (frontal + profile)", [&](const QImage& p) { return opencv.find(p); }},
        {"dlib HOG frontal", [&](const QImage& p) { return dlib.find(p); }},
    };
    std::printf("| detector | faces found | false faces | largest box is a face | time "
                "|\n|---|---:|---:|---:|---:|\n");
    for (const auto& [name, find] : detectors) {
        int found = 0, total = 0, falseFaces = 0, largestRight = 0, pictures = 0;
        qint64 ms = 0;
        QStringList missed;
        for (const Entry& e : set) {
            const QImage picture(folder + u'/' + e.file);
            QElapsedTimer clock;
            clock.start();
            const std::vector<QRect> boxes = find(picture);
            ms += clock.elapsed();
            total += int(e.faces.size());
            std::vector<bool> hit(e.faces.size());
            QRect largest;
            for (const QRect& b : boxes)
                if (b.width() * b.height() > largest.width() * largest.height())
                    largest = b;
            bool largestIsFace = false;
            for (const QRect& b : boxes) {
                bool real = false;
                for (std::size_t i = 0; i < e.faces.size(); ++i)
                    if (finds(b, e.faces[i])) {
                        real = true;
                        if (!hit[i]) {
                            hit[i] = true;
                            ++found;
                        }
                    }
                const bool ignored = std::any_of(e.ignored.begin(), e.ignored.end(),
                                                 [&](const QRect& i) { return finds(b, i); });
                if (!real && !ignored)
                    ++falseFaces;
                if (real && b == largest)
                    largestIsFace = true;
            }
            if (!e.faces.empty()) {
                ++pictures;
                largestRight += largestIsFace ? 1 : 0;
            }
            for (std::size_t i = 0; i < e.faces.size(); ++i)
                if (!hit[i])
                    missed << e.file;
        }
        std::printf("| %s | %d of %d | %d | %d of %d | %lld ms |\n", name, found, total, falseFaces,
                    largestRight, pictures, ms);
        std::fprintf(stderr, "%s missed: %s\n", name, qPrintable(missed.join(QStringLiteral(", "))));
    }
    return 0;
}

#include "import/SandboxedFaceLocator.h"

#include "platform/BusyWait.h"

#include <algorithm>
#include <cmath>

SandboxedFaceLocator::SandboxedFaceLocator(BusyWait* wait, ImportHelper::Settings settings)
    : m_wait(wait), m_settings(std::move(settings))
{
}

QImage SandboxedFaceLocator::greyCopy(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QImage rgb = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    const int longest = std::max(rgb.width(), rgb.height());
    const int block = (longest + CopySide - 1) / CopySide;
    const int width = std::max(1, rgb.width() / block);
    const int height = std::max(1, rgb.height() / block);
    // A large block is averaged over an even grid of at most 3 x 3 of its pixels: the
    // detector sees no difference, and a 24-megapixel picture is read a ninth as much.
    const int step = std::max(1, block / 3);
    const int samples = (block + step - 1) / step;
    QImage grey(width, height, QImage::Format_Grayscale8);
    std::vector<std::uint32_t> r(static_cast<std::size_t>(width)), g(r.size()), b(r.size());
    const std::uint32_t count = std::uint32_t(samples) * std::uint32_t(samples);
    for (int y = 0; y < height; ++y) {
        std::fill(r.begin(), r.end(), 0u);
        std::fill(g.begin(), g.end(), 0u);
        std::fill(b.begin(), b.end(), 0u);
        for (int dy = 0; dy < block; dy += step) {
            const auto* line =
                reinterpret_cast<const QRgb*>(rgb.constScanLine(std::min(y * block + dy, rgb.height() - 1)));
            for (int x = 0; x < width; ++x)
                for (int dx = 0; dx < block; dx += step) {
                    const QRgb p = line[x * block + dx];
                    r[std::size_t(x)] += std::uint32_t(qRed(p));
                    g[std::size_t(x)] += std::uint32_t(qGreen(p));
                    b[std::size_t(x)] += std::uint32_t(qBlue(p));
                }
        }
        // BT.601 luma in 1/256.
        uchar* out = grey.scanLine(y);
        for (std::size_t x = 0; x < r.size(); ++x)
            out[x] = uchar((77u * r[x] + 150u * g[x] + 29u * b[x] + 128u * count) / (256u * count));
    }
    return grey;
}

std::vector<QRect> SandboxedFaceLocator::findFaces(const QImage& picture)
{
    m_failure.clear();
    const QImage grey = greyCopy(picture);
    if (grey.isNull())
        return {};
    const std::string request =
        HelperProtocol::faceRequest(std::uint32_t(grey.width()), std::uint32_t(grey.height()),
                                    grey.constBits(), std::size_t(grey.bytesPerLine()));
    const QByteArray input(request.data(), qsizetype(request.size()));
    const QStringList arguments{QString::fromLatin1(HelperProtocol::FacesArgument)};
    // The answer's largest frame and the end frame.
    const qsizetype most = 8 + 4 + 16 * qsizetype(HelperProtocol::MaxFaces) + 8;
    ImportHelper::Answer answer;
    if (m_wait) {
        const bool finished = m_wait->run(tr("Looking for faces..."), [&](const std::atomic_bool& cancelled) {
            answer = ImportHelper::ask(input, arguments, m_settings, most, &cancelled);
        });
        if (!finished)
            answer.status = ImportHelper::Status::Cancelled;
    } else {
        answer = ImportHelper::ask(input, arguments, m_settings, most);
    }
    std::vector<HelperProtocol::FaceBox> boxes;
    std::string why;
    if (answer.status != ImportHelper::Status::Finished) {
        m_failure =
            answer.status == ImportHelper::Status::Cancelled ? tr("The search was stopped.") : answer.detail;
        return {};
    }
    if (!HelperProtocol::readFaces(answer.bytes.constData(), std::size_t(answer.bytes.size()), boxes, why)) {
        m_failure = tr("The import helper sent an invalid answer (%1).").arg(QString::fromStdString(why));
        return {};
    }
    // Back to the picture's pixels, kept on it.
    const double sx = double(picture.width()) / grey.width();
    const double sy = double(picture.height()) / grey.height();
    const QRect whole = picture.rect();
    std::vector<QRect> faces;
    for (const HelperProtocol::FaceBox& b : boxes) {
        const QRect r(int(std::lround(b.left * sx)), int(std::lround(b.top * sy)),
                      std::max(1, int(std::lround(b.width * sx))),
                      std::max(1, int(std::lround(b.height * sy))));
        if (r.intersects(whole))
            faces.push_back(r);
    }
    return faces;
}

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
    QImage grey(width, height, QImage::Format_Grayscale8);
    // One block row at a time: the luma (BT.601 weights in 1/256) summed per column of the copy.
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width));
    const std::uint32_t area = std::uint32_t(block) * std::uint32_t(block);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < block && y * block + dy < rgb.height(); ++dy) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y * block + dy));
            for (int x = 0; x < width; ++x) {
                std::uint32_t sum = 0;
                for (const QRgb* p = line + x * block; p < line + std::min((x + 1) * block, rgb.width()); ++p)
                    sum += 77u * std::uint32_t(qRed(*p)) + 150u * std::uint32_t(qGreen(*p)) +
                           29u * std::uint32_t(qBlue(*p));
                sums[std::size_t(x)] += sum;
            }
        }
        uchar* out = grey.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = uchar((sums[std::size_t(x)] + 128u * area) / (256u * area));
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

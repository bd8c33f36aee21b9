#include "import/HelperProtocol.h"

#include "document/PortraitGeometry.h"
#include "import/ImportLimits.h"

#include <algorithm>
#include <cstring>

namespace HelperProtocol {

namespace {

constexpr std::uint32_t tag(const char (&t)[5])
{
    return std::uint32_t(std::uint8_t(t[0])) | std::uint32_t(std::uint8_t(t[1])) << 8 |
           std::uint32_t(std::uint8_t(t[2])) << 16 | std::uint32_t(std::uint8_t(t[3])) << 24;
}
constexpr std::uint32_t TagMessage = tag("MSG ");
constexpr std::uint32_t TagResult = tag("RSLT");
constexpr std::uint32_t TagPixels = tag("PIXS");
constexpr std::uint32_t TagSharedPixels = tag("SHMP");
constexpr std::uint32_t TagText = tag("TEXT");
constexpr std::uint32_t TagEnd = tag("END ");
constexpr std::uint32_t TagFaces = tag("FACE");

void put32(std::string& s, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s.push_back(char((v >> (8 * i)) & 0xFF));
}

std::uint32_t get32(const char* p)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t(std::uint8_t(p[i])) << (8 * i);
    return v;
}

std::string frame(std::uint32_t t, const std::string& payload)
{
    std::string s;
    put32(s, t);
    put32(s, std::uint32_t(payload.size()));
    return s + payload;
}

} // namespace

Area pixelArea(std::uint32_t width, std::uint32_t height, bool portrait)
{
    if (!portrait)
        return {width, height};
    return {std::min(width, std::uint32_t(Portrait::Width)),
            std::min(height, std::uint32_t(Portrait::Height))};
}

std::string messageFrame(int format, const char* text)
{
    std::string payload;
    put32(payload, std::uint32_t(format));
    const std::size_t n = text ? std::min<std::size_t>(std::strlen(text), MaxMessageBytes) : 0;
    payload.append(text ? text : "", n);
    return frame(TagMessage, payload);
}

std::string resultFrame(const FreeImageLibrary::DecodedPicture& p)
{
    const std::string failureText = p.failureText.substr(0, MaxFailureBytes);
    std::string payload;
    put32(payload, std::uint32_t(p.format));
    payload.push_back(char(p.loaded));
    payload.push_back(char(p.tooLarge));
    payload.push_back(char(p.hasBits));
    payload.push_back(char(p.hasInfo));
    payload.push_back(char(p.converted));
    payload.push_back(char(p.failure));
    payload.push_back(char(p.fallback));
    payload.push_back(char(p.opaque));
    put32(payload, p.width);
    put32(payload, p.height);
    put32(payload, std::uint32_t(p.convertError));
    put32(payload, std::uint32_t(failureText.size()));
    put32(payload, p.fullWidth ? p.fullWidth : p.width);
    put32(payload, p.fullHeight ? p.fullHeight : p.height);
    put32(payload, p.scale);
    payload.append(failureText);
    payload.append(p.fallbackText.substr(0, MaxFailureBytes));
    return frame(TagResult, payload);
}

std::string pixelsHeader(std::uint32_t pixelCount)
{
    std::string s;
    put32(s, TagPixels);
    put32(s, pixelCount * 4u);
    return s;
}

std::string sharedPixelsFrame(std::uint32_t pixelCount)
{
    std::string payload;
    put32(payload, pixelCount * 4u);
    return frame(TagSharedPixels, payload);
}

std::string textFrame(const std::string& key, const std::string& value)
{
    std::string payload = key.substr(0, MaxTextKeyBytes);
    payload.push_back('\0');
    payload.append(value.substr(0, MaxTextValueBytes));
    return frame(TagText, payload);
}

std::string endFrame()
{
    return frame(TagEnd, {});
}

std::string faceRequest(std::uint32_t width, std::uint32_t height, const unsigned char* rows,
                        std::size_t stride)
{
    std::string s;
    s.reserve(8 + std::size_t(width) * height);
    put32(s, width);
    put32(s, height);
    for (std::uint32_t y = 0; y < height; ++y)
        s.append(reinterpret_cast<const char*>(rows + stride * y), width);
    return s;
}

bool parseFaceRequest(const unsigned char* data, std::size_t size, std::uint32_t& width,
                      std::uint32_t& height, const unsigned char*& pixels)
{
    if (size < 8)
        return false;
    width = get32(reinterpret_cast<const char*>(data));
    height = get32(reinterpret_cast<const char*>(data) + 4);
    if (width < 1 || height < 1 || width > MaxFaceSide || height > MaxFaceSide ||
        size - 8 != std::size_t(width) * height)
        return false;
    pixels = data + 8;
    return true;
}

std::string facesFrame(const std::vector<FaceBox>& faces)
{
    const std::size_t count = std::min<std::size_t>(faces.size(), MaxFaces);
    std::string payload;
    put32(payload, std::uint32_t(count));
    for (std::size_t i = 0; i < count; ++i)
        for (std::int32_t v : {faces[i].left, faces[i].top, faces[i].width, faces[i].height})
            put32(payload, std::uint32_t(v));
    return frame(TagFaces, payload);
}

bool readFaces(const char* data, std::size_t size, std::vector<FaceBox>& faces, std::string& why)
{
    faces.clear();
    if (size < 12 || get32(data) != TagFaces) {
        why = "no face frame";
        return false;
    }
    const std::uint32_t length = get32(data + 4);
    const std::uint32_t count = get32(data + 8);
    if (count > MaxFaces || length != 4 + 16 * count || size - 8 < length) {
        why = "a face frame of the wrong length";
        return false;
    }
    const char* at = data + 12;
    for (std::uint32_t i = 0; i < count; ++i, at += 16) {
        const FaceBox box{std::int32_t(get32(at)), std::int32_t(get32(at + 4)), std::int32_t(get32(at + 8)),
                          std::int32_t(get32(at + 12))};
        if (box.width <= 0 || box.height <= 0) {
            why = "a face of no size";
            return false;
        }
        faces.push_back(box);
    }
    const std::size_t rest = size - 8 - length;
    if (rest != 8 || get32(at) != TagEnd || get32(at + 4) != 0) {
        faces.clear();
        why = "no end frame right after the faces";
        return false;
    }
    return true;
}

bool Reader::fail(std::string why)
{
    if (m_error.empty())
        m_error = std::move(why);
    return false;
}

bool Reader::startFrame()
{
    m_tag = get32(m_header.data());
    m_length = get32(m_header.data() + 4);
    m_header.clear();
    m_payload.clear();
    if (m_ended)
        return fail("data after the end frame");
    if (m_tag == TagMessage) {
        if (m_length < 4 || m_length > 4 + MaxMessageBytes)
            return fail("message frame of a wrong length");
    } else if (m_tag == TagResult) {
        if (m_haveResult)
            return fail("second result frame");
        if (m_length < ResultBytes || m_length > ResultBytes + 2 * MaxFailureBytes)
            return fail("result frame of a wrong length");
    } else if (m_tag == TagPixels) {
        if (!m_haveResult || !m_picture.converted || m_havePixels)
            return fail("pixels without a result that announces them");
        const Area shown = area();
        const std::uint64_t expected = std::uint64_t(shown.width) * shown.height * 4u;
        if (m_length != expected)
            return fail("pixel frame does not match the picture's size");
        m_picture.pixels.assign(std::size_t(shown.width) * shown.height, 0);
        m_pixelBytesRead = 0;
    } else if (m_tag == TagSharedPixels) {
        if (!m_sharedMemory)
            return fail("shared pixels without shared memory");
        if (!m_haveResult || !m_picture.converted || m_havePixels)
            return fail("pixels without a result that announces them");
        if (m_length != 4)
            return fail("shared pixel frame of a wrong length");
    } else if (m_tag == TagText) {
        if (!m_haveResult)
            return fail("text without a result");
        if (m_picture.texts.size() >= MaxTexts)
            return fail("too many texts");
        if (m_length < 1 || m_length > MaxTextKeyBytes + 1 + MaxTextValueBytes)
            return fail("text frame of a wrong length");
    } else if (m_tag == TagEnd) {
        if (m_length != 0)
            return fail("end frame with a payload");
        if (!m_haveResult)
            return fail("end without a result");
        if (m_picture.converted && !m_havePixels)
            return fail("end before the announced pixels");
    } else {
        return fail("unknown frame");
    }
    m_inFrame = true;
    return m_length != 0 || finishFrame();
}

bool Reader::finishFrame()
{
    m_inFrame = false;
    const char* p = m_payload.data();
    if (m_tag == TagMessage) {
        if (m_messages.size() < MaxMessages)
            m_messages.push_back({int(get32(p)), m_payload.substr(4)});
        else
            ++m_dropped;
    } else if (m_tag == TagResult) {
        FreeImageLibrary::DecodedPicture& r = m_picture;
        r.format = int(get32(p));
        r.loaded = p[4] != 0;
        r.tooLarge = p[5] != 0;
        r.hasBits = p[6] != 0;
        r.hasInfo = p[7] != 0;
        r.converted = p[8] != 0;
        if (std::uint8_t(p[9]) > std::uint8_t(FreeImageLibrary::Failure::Damaged))
            return fail("unknown failure kind");
        r.failure = FreeImageLibrary::Failure(p[9]);
        if (std::uint8_t(p[10]) > std::uint8_t(FreeImageLibrary::Fallback::Unreadable))
            return fail("unknown fallback outcome");
        r.fallback = FreeImageLibrary::Fallback(p[10]);
        r.opaque = p[11] != 0;
        r.width = get32(p + 12);
        r.height = get32(p + 16);
        r.convertError = int(get32(p + 20));
        const std::uint32_t failureLength = get32(p + 24);
        r.fullWidth = get32(p + 28);
        r.fullHeight = get32(p + 32);
        r.scale = get32(p + 36);
        // A reduced picture is the file's divided by the scale, rounded up, as libjpeg makes it.
        const auto reduced = [&](std::uint32_t full) {
            return std::uint32_t((std::uint64_t(full) + r.scale - 1) / r.scale);
        };
        if ((r.scale != 1 && r.scale != 2 && r.scale != 4 && r.scale != 8) ||
            (r.scale == 1 && (r.fullWidth != r.width || r.fullHeight != r.height)) ||
            (r.scale > 1 &&
             (!r.converted || r.width != reduced(r.fullWidth) || r.height != reduced(r.fullHeight) ||
              !ImportLimits::withinBounds(r.fullWidth, r.fullHeight))))
            return fail("result announces an impossible reduction");
        const std::uint32_t textBytes = m_length - ResultBytes;
        if (failureLength > MaxFailureBytes || failureLength > textBytes ||
            textBytes - failureLength > MaxFailureBytes)
            return fail("result texts of a wrong length");
        r.failureText = m_payload.substr(ResultBytes, failureLength);
        r.fallbackText = m_payload.substr(ResultBytes + failureLength);
        // Pixels come from the library's bitmap or from Qt's reader, and only within the bound.
        const bool decoded = r.loaded || r.fallback == FreeImageLibrary::Fallback::Decoded;
        if (r.converted && (!decoded || r.tooLarge || r.width < 1 || r.height < 1 ||
                            !ImportLimits::withinBounds(r.width, r.height)))
            return fail("result announces pixels of an impossible size");
        // A bitmap the library loaded is drawn at its size even without pixels: only a size
        // the helper itself refused as too large may lie beyond the bound.
        if (r.loaded && !r.tooLarge && !ImportLimits::withinBounds(r.width, r.height))
            return fail("result announces a bitmap of an impossible size");
        m_haveResult = true;
    } else if (m_tag == TagPixels) {
        m_havePixels = true;
    } else if (m_tag == TagSharedPixels) {
        const Area shown = area();
        if (get32(p) != std::uint64_t(shown.width) * shown.height * 4u)
            return fail("shared pixels do not match the picture's size");
        m_havePixels = m_pixelsShared = true;
    } else if (m_tag == TagText) {
        const std::size_t zero = m_payload.find('\0');
        if (zero == std::string::npos || zero > MaxTextKeyBytes || m_length - zero - 1 > MaxTextValueBytes)
            return fail("text frame without its key");
        m_picture.texts.emplace_back(m_payload.substr(0, zero), m_payload.substr(zero + 1));
    } else if (m_tag == TagEnd) {
        m_ended = true;
    }
    m_payload.clear();
    return true;
}

bool Reader::feed(const char* data, std::size_t size)
{
    if (failed())
        return false;
    while (size > 0) {
        if (!m_inFrame) {
            const std::size_t take = std::min<std::size_t>(8 - m_header.size(), size);
            m_header.append(data, take);
            data += take;
            size -= take;
            if (m_header.size() == 8 && !startFrame())
                return false;
            continue;
        }
        if (m_tag == TagPixels) {
            // Straight into the picture: the largest frame is never held twice.
            const std::size_t take = std::size_t(std::min<std::uint64_t>(m_length - m_pixelBytesRead, size));
            std::memcpy(reinterpret_cast<char*>(m_picture.pixels.data()) + m_pixelBytesRead, data, take);
            m_pixelBytesRead += take;
            data += take;
            size -= take;
            if (m_pixelBytesRead == m_length && !finishFrame())
                return false;
            continue;
        }
        const std::size_t take = std::min<std::size_t>(m_length - m_payload.size(), size);
        m_payload.append(data, take);
        data += take;
        size -= take;
        if (m_payload.size() == m_length && !finishFrame())
            return false;
    }
    return true;
}

} // namespace HelperProtocol

#pragma once

#include "import/FreeImageLibrary.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The import helper's answer on its standard output, as frames of a 4-byte tag, a 32-bit
// little-endian payload length and the payload:
//   "MSG " int32 format, then the library's message text (at most MaxMessageBytes)
//   "RSLT" the fixed result record, then the failure text and the fallback text
//          (each at most MaxFailureBytes; the record holds the first one's length); the
//          record ends with the file's size and the reduction of a scaled decode
//   "PIXS" the pixels (see pixelArea), 32 bits each, only after a result that says converted
//   "SHMP" instead of "PIXS" when the editor handed the helper shared memory: a 32-bit
//          byte count of those pixels; they are at the start of that memory
//   "TEXT" a text the picture carries, after the result: its key (at most MaxTextKeyBytes),
//          a zero byte and its value (at most MaxTextValueBytes); at most MaxTexts of them
//   "END " empty; nothing may follow
// The editor trusts none of it: the reader checks every length against the result and
// every size the result gives against ImportLimits before it allocates anything.
namespace HelperProtocol {

inline constexpr std::uint32_t MaxMessageBytes = 4096;
inline constexpr std::uint32_t MaxFailureBytes = 1024;
inline constexpr std::uint32_t ResultBytes = 40;
// More messages than this from one load are counted but not kept.
inline constexpr std::size_t MaxMessages = 16;
// Exit code of pictoria-import-fast for a file it leaves to the full helper, before it
// has written anything.
inline constexpr int DeclinedExitCode = 10;
inline constexpr std::uint32_t MaxTextKeyBytes = 79;
inline constexpr std::uint32_t MaxTextValueBytes = 4096;
inline constexpr std::size_t MaxTexts = 8;

// The whole environment a helper is started with, whatever the editor's holds: nothing of
// the user's session reaches it, and glibc keeps its own texts (see Sandbox::enter).
inline constexpr const char* Environment[] = {"LC_ALL=C"};

// The argument that tells a helper to decode as Open does (see HelperIo::Rules).
inline constexpr const char* PortraitArgument = "--portrait";
// "--cover WxH" or "--fit WxH": the pixels are used scaled to cover (to fit inside) that
// size, so a JPEG may be decoded reduced as long as it stays at least that large.
inline constexpr const char* CoverArgument = "--cover";
inline constexpr const char* FitArgument = "--fit";

// The pixels an answer carries: the whole picture, or under Open's rules its top-left
// part, as much of it as a portrait keeps.
struct Area {
    std::uint32_t width;
    std::uint32_t height;
};
Area pixelArea(std::uint32_t width, std::uint32_t height, bool portrait);

// The face search. Given FacesArgument, the fast helper reads a grey picture instead of a
// file: width and height (32-bit little-endian, each 1 to MaxFaceSide), then width x height
// bytes, top row first. It answers with one "FACE" frame, a 32-bit count (at most MaxFaces)
// and per face its left, top, width and height (32-bit signed) in that picture's pixels,
// then "END ". A helper built without a detector answers with no faces.
inline constexpr const char* FacesArgument = "--faces";
inline constexpr std::uint32_t MaxFaceSide = 2048;
inline constexpr std::uint32_t MaxFaces = 64;

struct FaceBox {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;

    bool operator==(const FaceBox&) const = default;
};

// The request's bytes for a grey picture whose rows lie stride bytes apart.
std::string faceRequest(std::uint32_t width, std::uint32_t height, const unsigned char* rows,
                        std::size_t stride);
// The helper's reading of a request: false unless the header's sizes are within bounds and
// exactly that many bytes follow; pixels then points at the first row.
bool parseFaceRequest(const unsigned char* data, std::size_t size, std::uint32_t& width,
                      std::uint32_t& height, const unsigned char*& pixels);
std::string facesFrame(const std::vector<FaceBox>& faces);
// The editor's reading of the whole answer: false, with why, unless it is exactly one FACE
// frame of at most MaxFaces boxes, each of a positive size, and the end frame.
bool readFaces(const char* data, std::size_t size, std::vector<FaceBox>& faces, std::string& why);

// Serialising, for the helper.
std::string messageFrame(int format, const char* text);
std::string resultFrame(const FreeImageLibrary::DecodedPicture& picture);
std::string pixelsHeader(std::uint32_t pixelCount);
std::string sharedPixelsFrame(std::uint32_t pixelCount);
std::string textFrame(const std::string& key, const std::string& value);
std::string endFrame();

struct Message {
    int format;
    std::string text;
};

// Parsing, for the editor: fed the bytes as they arrive.
class Reader {
public:
    // sharedMemory: the helper was given memory for the pixels and may answer "SHMP";
    // portrait: it decodes as Open does, and its pixels are the top-left part only.
    explicit Reader(bool sharedMemory = false, bool portrait = false)
        : m_sharedMemory(sharedMemory), m_portrait(portrait)
    {
    }

    // False once the stream broke the protocol; error() says how.
    bool feed(const char* data, std::size_t size);

    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool complete() const { return m_ended && !failed(); }
    bool hasResult() const { return m_haveResult; }

    // The announced pixels are in the shared memory, not in picture().pixels.
    bool pixelsShared() const { return m_pixelsShared; }
    const std::vector<Message>& messages() const { return m_messages; }
    std::size_t droppedMessages() const { return m_dropped; }
    // The result with its pixels moved in (unless shared); valid once complete().
    FreeImageLibrary::DecodedPicture& picture() { return m_picture; }
    // The size of the pixels the answer carries.
    Area area() const { return pixelArea(m_picture.width, m_picture.height, m_portrait); }

private:
    bool fail(std::string why);
    bool startFrame();
    bool finishFrame();

    std::string m_header; // the 8 bytes of the frame being read
    std::string m_payload;
    std::uint32_t m_tag = 0;
    std::uint32_t m_length = 0;
    std::uint64_t m_pixelBytesRead = 0;
    bool m_inFrame = false;
    bool m_haveResult = false;
    bool m_havePixels = false;
    bool m_ended = false;
    bool m_sharedMemory = false;
    bool m_pixelsShared = false;
    bool m_portrait = false;
    std::string m_error;
    std::vector<Message> m_messages;
    std::size_t m_dropped = 0;
    FreeImageLibrary::DecodedPicture m_picture;
};

} // namespace HelperProtocol

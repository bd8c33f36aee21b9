// Writes a C++ source holding dlib's frontal face detector in its plain serialized form,
// which the import helper unpacks in milliseconds instead of the library's compressed copy.
#include "faces/FaceFinder.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    const std::string bytes = FaceFinder::serializedDetector();
    std::fputs(
        "#include <cstddef>\nextern const unsigned char FaceDetectorBytes[];\nextern const std::size_t "
        "FaceDetectorSize;\nconst unsigned char FaceDetectorBytes[] = {",
        out);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        std::fprintf(out, "%s%u,", i % 24 == 0 ? "\n" : "", unsigned(static_cast<unsigned char>(bytes[i])));
    std::fprintf(out, "\n};\nconst std::size_t FaceDetectorSize = %zu;\n", bytes.size());
    return std::fclose(out) == 0 ? 0 : 1;
}

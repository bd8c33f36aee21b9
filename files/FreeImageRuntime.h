#pragma once

#include <FreeImage.h>
#include <QString>

// FreeImage loaded on first use rather than at the editor's start: the editor needs it only
// to write GIF files and to list the formats the import reads, so the library and the
// libraries it pulls in stay out of the process until one of those happens. The functions
// are those two users call, resolved once; the library is initialised once when loaded.
class FreeImageRuntime {
public:
    // The loaded library, or null with the reason in error (the library is looked for once).
    static const FreeImageRuntime* get(QString& error);

    decltype(&FreeImage_Allocate) Allocate = nullptr;
    decltype(&FreeImage_Unload) Unload = nullptr;
    decltype(&FreeImage_GetScanLine) GetScanLine = nullptr;
    decltype(&FreeImage_GetPalette) GetPalette = nullptr;
    decltype(&FreeImage_ColorQuantize) ColorQuantize = nullptr;
    decltype(&FreeImage_OpenMemory) OpenMemory = nullptr;
    decltype(&FreeImage_CloseMemory) CloseMemory = nullptr;
    decltype(&FreeImage_SaveToMemory) SaveToMemory = nullptr;
    decltype(&FreeImage_AcquireMemory) AcquireMemory = nullptr;
    decltype(&FreeImage_GetFIFCount) GetFIFCount = nullptr;
    decltype(&FreeImage_GetFIFExtensionList) GetFIFExtensionList = nullptr;
    decltype(&FreeImage_GetFIFDescription) GetFIFDescription = nullptr;
    decltype(&FreeImage_GetFormatFromFIF) GetFormatFromFIF = nullptr;
    decltype(&FreeImage_FIFSupportsReading) FIFSupportsReading = nullptr;
    decltype(&FreeImage_FIFSupportsWriting) FIFSupportsWriting = nullptr;

    ~FreeImageRuntime();
    FreeImageRuntime(const FreeImageRuntime&) = delete;
    FreeImageRuntime& operator=(const FreeImageRuntime&) = delete;

private:
    FreeImageRuntime() = default;
    decltype(&FreeImage_DeInitialise) m_deInitialise = nullptr;
};

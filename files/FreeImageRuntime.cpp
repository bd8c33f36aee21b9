#include "files/FreeImageRuntime.h"

#include <QLibrary>
#include <memory>

namespace {

// What the build found; the versioned name is the one installed systems carry.
QLibrary& library()
{
    static QLibrary lib(QStringLiteral(PICTORIA_FREEIMAGE_SONAME));
    return lib;
}

template <typename F> bool resolve(F& f, const char* name, QStringList& missing)
{
    f = reinterpret_cast<F>(library().resolve(name));
    if (!f)
        missing << QLatin1String(name);
    return f != nullptr;
}

struct Loaded {
    std::unique_ptr<FreeImageRuntime> runtime;
    QString error;
};

} // namespace

const FreeImageRuntime* FreeImageRuntime::get(QString& error)
{
    static const Loaded loaded = [] {
        Loaded l;
        if (!library().load()) {
            l.error = QStringLiteral("FreeImage could not be loaded: %1").arg(library().errorString());
            return l;
        }
        std::unique_ptr<FreeImageRuntime> r(new FreeImageRuntime);
        QStringList missing;
        decltype(&FreeImage_Initialise) initialise = nullptr;
        resolve(initialise, "FreeImage_Initialise", missing);
        resolve(r->m_deInitialise, "FreeImage_DeInitialise", missing);
        resolve(r->Allocate, "FreeImage_Allocate", missing);
        resolve(r->Unload, "FreeImage_Unload", missing);
        resolve(r->GetScanLine, "FreeImage_GetScanLine", missing);
        resolve(r->GetPalette, "FreeImage_GetPalette", missing);
        resolve(r->ColorQuantize, "FreeImage_ColorQuantize", missing);
        resolve(r->OpenMemory, "FreeImage_OpenMemory", missing);
        resolve(r->CloseMemory, "FreeImage_CloseMemory", missing);
        resolve(r->SaveToMemory, "FreeImage_SaveToMemory", missing);
        resolve(r->AcquireMemory, "FreeImage_AcquireMemory", missing);
        resolve(r->GetFIFCount, "FreeImage_GetFIFCount", missing);
        resolve(r->GetFIFExtensionList, "FreeImage_GetFIFExtensionList", missing);
        resolve(r->GetFIFDescription, "FreeImage_GetFIFDescription", missing);
        resolve(r->GetFormatFromFIF, "FreeImage_GetFormatFromFIF", missing);
        resolve(r->FIFSupportsReading, "FreeImage_FIFSupportsReading", missing);
        resolve(r->FIFSupportsWriting, "FreeImage_FIFSupportsWriting", missing);
        if (!missing.isEmpty()) {
            r->m_deInitialise = nullptr;
            l.error = QStringLiteral("FreeImage lacks %1").arg(missing.join(QStringLiteral(", ")));
            return l;
        }
        initialise(FALSE);
        l.runtime = std::move(r);
        return l;
    }();
    error = loaded.error;
    return loaded.runtime.get();
}

FreeImageRuntime::~FreeImageRuntime()
{
    if (m_deInitialise)
        m_deInitialise();
}

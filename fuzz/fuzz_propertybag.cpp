// The button control's saved property store: any bytes handed to the loader must give
// either a bag or a refusal (and then an empty bag), never a crash, and a bag that
// loads must write itself back to bytes that load to the same keys.
#include "FuzzSupport.h"
#include "controls/PropertyBag.h"

#include <QGuiApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    FuzzSupport::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PropertyBag bag;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!bag.fromByteArray(bytes)) {
        if (!bag.keys().isEmpty())
            std::abort();
        return 0;
    }
    for (const QString& key : bag.keys())
        (void)bag.ReadProperty(key, QVariant());
    PropertyBag again;
    if (!again.fromByteArray(bag.toByteArray()) || again.keys() != bag.keys())
        std::abort();
    return 0;
}

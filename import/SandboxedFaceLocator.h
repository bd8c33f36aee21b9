#pragma once

#include <QCoreApplication>

#include "import/FaceLocator.h"
#include "import/ImportHelper.h"

#include <QImage>
#include <QRect>
#include <vector>

class BusyWait;

// Finds faces through the import helper (--faces): the picture is reduced here to a grey
// copy of at most CopySide pixels a side, the helper's detector searches that copy in its
// sandbox, and the boxes come back scaled to the picture's pixels. With a BusyWait the
// search runs off the interface thread and Escape stops it; without one it runs here,
// bounded by the helper's time limit. Any failure is "no face".
class SandboxedFaceLocator : public FaceLocator {
    Q_DECLARE_TR_FUNCTIONS(SandboxedFaceLocator)

public:
    static constexpr int CopySide = 1024;

    explicit SandboxedFaceLocator(BusyWait* wait = nullptr, ImportHelper::Settings settings = {});

    std::vector<QRect> findFaces(const QImage& picture) override;

    // The grey copy the helper is given: the picture's luma averaged over square blocks of
    // a whole number of pixels, the smallest that brings both sides within CopySide (large
    // blocks sampled on an even grid).
    static QImage greyCopy(const QImage& picture);
    // Why the last search found nothing, when it failed; empty after a search that ran.
    const QString& lastFailure() const { return m_failure; }

private:
    BusyWait* m_wait;
    ImportHelper::Settings m_settings;
    QString m_failure;
};

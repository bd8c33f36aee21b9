#pragma once

#include <QCoreApplication>

#include "files/PictureDecoder.h"
#include "import/ImportHelper.h"

class BusyWait;

// The editor's decoder of the pictures a user names: the sandboxed import helpers, run
// off the interface thread while a BusyWait keeps the window answering (or right here,
// without one). Open, a restored recovery copy and a dropped file go through it.
class SandboxedDecoder : public PictureDecoder {
    Q_DECLARE_TR_FUNCTIONS(SandboxedDecoder)

public:
    explicit SandboxedDecoder(BusyWait* wait = nullptr, ImportHelper::Settings settings = {});

    ImportHelper::Settings& settings() { return m_settings; }
    Decoded decode(const PictureSource& source, Rules rules) override;

    // The helpers' answer for the picture, waited for as decode waits; Cancelled when the
    // user stopped it or another decode was still running.
    static ImportHelper::Run wait(BusyWait* wait, const PictureSource& source,
                                  const ImportHelper::Settings& settings);
    // A run in the terms of PictureDecoder.
    static Decoded decoded(ImportHelper::Run& run);

private:
    BusyWait* m_wait;
    ImportHelper::Settings m_settings;
};

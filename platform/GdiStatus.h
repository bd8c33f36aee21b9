#pragma once

#include <QCoreApplication>
#include <QString>

// The codec service's status codes and the names it reports them by.
class GdiStatus {
    Q_DECLARE_TR_FUNCTIONS(cGdiPlus)

public:
    enum Status {
        Ok = 0,
        GenericError = 1,
        InvalidParameter = 2,
        OutOfMemory = 3,
        ObjectBusy = 4,
        InsufficientBuffer = 5,
        NotImplemented = 6,
        Win32Error = 7,
        WrongState = 8,
        Aborted = 9,
        FileNotFound = 10,
        ValueOverflow = 11,
        AccessDenied = 12,
        UnknownImageFormat = 13,
    };

    // The name of a status 1..20; any other number is an unknown error.
    static QString text(int status);
};

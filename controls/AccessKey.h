#pragma once

#include <QChar>
#include <QString>

// The access key of a caption: the character after the last single "&", reading "&&"
// as a literal ampersand. A null QChar when there is none or the "&" ends the caption.
QChar accessKeyOf(const QString& caption);

// Texts between Qt and the Qt-free libraries. The converter, the generator,
// error messages and the Windows shell's "A" calls carry bytes in the
// system's 8-bit encoding, the one its file names are in; every text that
// crosses between them and a QString goes through these two functions.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>
#include <string_view>

namespace sorvane {

inline std::string ToBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

inline QString FromBytes(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace sorvane

// Lets GoogleTest print Qt texts in failure messages.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '(' << texts.join(QLatin1String(", ")).toStdString() << ')';
}

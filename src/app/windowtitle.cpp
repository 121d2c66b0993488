#include "app/windowtitle.h"

QString TarvoTitlePrefix()
{
    return QStringLiteral("Tarvo (v 2.0)");
}

QString TarvoWindowTitle(bool hasFile, bool changed, const QString& fileName)
{
    QString title = TarvoTitlePrefix() + QStringLiteral(" - ") + (hasFile ? fileName : QStringLiteral("untitled"));
    if (changed)
        title += QLatin1Char('*');
    return title;
}

#include "app/productlisting.h"

#include <QDir>

#include "app/productfiles.h"
#include "app/productio.h"

QStringList ProductGroupNames()
{
    return {QStringLiteral("custom"),   QStringLiteral("audio"),     QStringLiteral("control"),
            QStringLiteral("display"),  QStringLiteral("lighting"),  QStringLiteral("projector"),
            QStringLiteral("video")};
}

QList<QStringList> ListProductFiles(const QString& folder)
{
    const int groups = static_cast<int>(ProductGroupNames().size());
    QList<QStringList> listing(groups);
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.prd")});
    for (const QString& name : names) {
        const int group = ProductListingGroup(ReadWholeFile(dir.path() + QLatin1Char('/') + name));
        if (group < 0)
            continue;
        listing[group < groups ? group : 0].append(name);
    }
    return listing;
}

#include "app/productfiles.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

QString ProductFilesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
           + QStringLiteral("/Brackwater Inc/VelmoraLive/My Product Files");
}

bool EnsureFolder(const QString& folder)
{
    return QDir().mkpath(folder);
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(file.size()));
    char chunk[65536];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got <= 0)
            break;
        bytes.append(chunk, static_cast<qsizetype>(got));
    }
    return bytes;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QString SaveAsProposal(const QString& folder, const QString& make, const QString& model)
{
    return folder + QLatin1Char('/') + make + QLatin1Char('_') + model + QStringLiteral(".prd");
}

QString TutorialPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/tutorial.pdf");
}

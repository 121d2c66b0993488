#include "app/productfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

QString WithProductExtension(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        return path;
    if (name.endsWith(QLatin1Char('.')))
        return path + QStringLiteral("prd");
    // A leading dot starts a hidden name, not an extension.
    const bool hasExtension = name.lastIndexOf(QLatin1Char('.')) > 0;
    return hasExtension ? path : path + QStringLiteral(".prd");
}

QStringList TarvoDataCandidates(const QString& programFolder, const QString& name)
{
    return {programFolder + QLatin1Char('/') + name,
            QDir::cleanPath(programFolder + QStringLiteral("/../share/tarvo/") + name)};
}

QString FindTarvoData(const QString& programFolder, const QString& name)
{
    for (const QString& candidate : TarvoDataCandidates(programFolder, name)) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}

QString TutorialPath(const QString& programFolder)
{
    const QString found = FindTarvoData(programFolder, QStringLiteral("tutorial.pdf"));
    return found.isEmpty() ? TarvoDataCandidates(programFolder, QStringLiteral("tutorial.pdf")).constFirst() : found;
}

QString ExamplesFolder(const QString& programFolder)
{
    const QString found = FindTarvoData(programFolder, QStringLiteral("examples"));
    return QFileInfo(found).isDir() ? found : QString();
}

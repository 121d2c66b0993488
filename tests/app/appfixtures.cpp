#include "appfixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
TemporaryHome::TemporaryHome()
    : m_OldHome(qgetenv("HOME")), m_OldConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("HOME", m_Dir.path().toLocal8Bit());
    // The documents folder may be redirected by the user's XDG settings.
    qputenv("XDG_CONFIG_HOME", (m_Dir.path() + QStringLiteral("/.config")).toLocal8Bit());
}

TemporaryHome::~TemporaryHome()
{
    qputenv("HOME", m_OldHome);
    if (m_OldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_OldConfig);
}

QByteArray ProductText(const QString& creator, const QString& group, const QString& make, const QString& model)
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" ?><product make=\"%1\" model=\"%2\"")
                       .arg(make, model);
    if (!creator.isNull())
        text += QStringLiteral(" creator=\"%1\" creator_ver=\"2\"").arg(creator);
    text += QStringLiteral("><info><authors><author>Ann</author></authors><version>3.5</version>"
                           "<description>Ceiling projector</description></info>");
    if (!group.isNull())
        text += QStringLiteral("<hardware group=\"%1\"><ports/></hardware>").arg(group);
    text += QStringLiteral("<protocols><protocol name=\"AcmeNet\"/></protocols></product>");
    return text.toUtf8();
}

bool WriteFixture(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points the documents folder at a fresh temporary home for the lifetime of
// the object, so nothing a test does reaches the user's own product files.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();

    bool IsValid() const { return m_Dir.isValid(); }
    QString Path() const { return m_Dir.path(); }

private:
    QTemporaryDir m_Dir;
    QByteArray m_OldHome;
    QByteArray m_OldConfig;
};

// The text of a product file; a null creator or group is left out.
QByteArray ProductText(const QString& creator, const QString& group = QString(),
                       const QString& make = QStringLiteral("Acme"), const QString& model = QStringLiteral("P100"));

// Writes bytes to path, creating its folder; false when that fails.
bool WriteFixture(const QString& path, const QByteArray& bytes);

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/productfiles.h"
#include "testregistry.h"

class FilesTest : public QObject
{
    Q_OBJECT

private slots:
    // The window's save tests cover refusals; this one checks that a shorter
    // save replaces a longer file whole.
    void writeReplacesWholeFileOrSaysWhy()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.prd");
        QString error;
        QVERIFY(WriteWholeFile(path, "first, longer content", &error));
        QVERIFY(WriteWholeFile(path, "second", &error));
        QCOMPARE(ReadWholeFile(path), QByteArray("second"));

        const QString blocked = dir.filePath("blocked.prd");
        QVERIFY(QDir().mkpath(blocked + "/inside"));
        QVERIFY(!WriteWholeFile(blocked, "content", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(blocked + "/inside").isDir());
        QVERIFY(ReadWholeFile(dir.filePath("none.prd")).isEmpty());
    }
};

TARVO_REGISTER_TEST(FilesTest);

#include "files_test.moc"

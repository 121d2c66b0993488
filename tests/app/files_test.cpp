#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/productfiles.h"
#include "app/windowtitle.h"
#include "testregistry.h"

class FilesAndTitleTest : public QObject
{
    Q_OBJECT

private slots:
    void title_data()
    {
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("title");
        QTest::newRow("untitled, clean") << false << false << "Tarvo (v 2.0) - untitled";
        QTest::newRow("untitled, changed") << false << true << "Tarvo (v 2.0) - untitled*";
        QTest::newRow("named, clean") << true << false << "Tarvo (v 2.0) - /p/Acme_P100.prd";
        QTest::newRow("named, changed") << true << true << "Tarvo (v 2.0) - /p/Acme_P100.prd*";
    }

    void title()
    {
        QFETCH(bool, hasFile);
        QFETCH(bool, changed);
        QFETCH(QString, title);
        QCOMPARE(TarvoWindowTitle(hasFile, changed, "/p/Acme_P100.prd"), title);
    }

    void saveAsProposal_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("make and model") << "Acme" << "P100" << "/f/Acme_P100.prd";
        QTest::newRow("spaces kept") << "Big Co" << "X 1" << "/f/Big Co_X 1.prd";
    }

    void saveAsProposal()
    {
        QFETCH(QString, make);
        QFETCH(QString, model);
        QFETCH(QString, proposal);
        QCOMPARE(SaveAsProposal("/f", make, model), proposal);
    }

    void productFolderIsUnderDocuments()
    {
        QVERIFY(ProductFilesFolder().endsWith("/Brackwater Inc/VelmoraLive/My Product Files"));
        QVERIFY(!ProductFilesFolder().contains('\\'));
    }

    void writeReplacesWholeFileOrSaysWhy()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.prd");
        QString error;
        QVERIFY(WriteWholeFile(path, "first, longer content", &error));
        QVERIFY(WriteWholeFile(path, "second", &error));
        QCOMPARE(ReadWholeFile(path), QByteArray("second"));

        // A folder where the file should be: it cannot be replaced by a file.
        const QString blocked = dir.filePath("blocked.prd");
        QVERIFY(QDir().mkpath(blocked + "/inside"));
        QVERIFY(!WriteWholeFile(blocked, "content", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(blocked + "/inside").isDir());

        error.clear();
        QVERIFY(!WriteWholeFile(dir.filePath("missing/folder/a.prd"), "content", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(ReadWholeFile(dir.filePath("none.prd")).isEmpty());
    }
};

TARVO_REGISTER_TEST(FilesAndTitleTest);

#include "files_test.moc"

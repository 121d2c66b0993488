#include <QTest>

#include "editors/infofields.h"
#include "testregistry.h"

Q_DECLARE_METATYPE(InfoFields)

class InfoFieldsTest : public QObject
{
    Q_OBJECT

private slots:
    void nextVersion_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<QString>("stored");

        QTest::newRow("not a number, new file") << "abc" << false << "1.0";
        QTest::newRow("not a number, opened file") << "abc" << true << "1.0";
        QTest::newRow("empty") << "" << true << "1.0";
        QTest::newRow("zero") << "0" << true << "1.0";
        QTest::newRow("zero point zero") << "0.0" << false << "1.0";
        QTest::newRow("kept without a file") << "2.5" << false << "2.5";
        QTest::newRow("kept as typed without a file") << "2.50" << false << "2.50";
        QTest::newRow("raised for an opened file") << "2.5" << true << "2.6";
        QTest::newRow("whole number raised") << "1" << true << "1.1";
        QTest::newRow("1.0 raised") << "1.0" << true << "1.1";
        QTest::newRow("second raise") << "2.6" << true << "2.7";
        QTest::newRow("raise past a whole number") << "9.9" << true << "10";
        QTest::newRow("six significant digits") << "1.23456" << true << "1.33456";
        QTest::newRow("negative") << "-1" << true << "-0.9";
        QTest::newRow("trailing text is not a number") << "2.5b" << true << "1.0";
    }

    void nextVersion()
    {
        QFETCH(QString, typed);
        QFETCH(bool, hasFile);
        QFETCH(QString, stored);
        QCOMPARE(NextVersionText(typed, hasFile), stored);
    }

    void prepareFillsEmptyFields_data()
    {
        QTest::addColumn<InfoFields>("typed");
        QTest::addColumn<bool>("hasFile");
        QTest::addColumn<InfoFields>("stored");

        const InfoFields empty;
        InfoFields filled;
        filled.make = "Make";
        filled.model = "Model";
        filled.version = "1.0";
        filled.protocol = "Make_Model";
        QTest::newRow("all empty") << empty << false << filled;
        QTest::newRow("all empty, opened file") << empty << true << filled;

        InfoFields makeOnly;
        makeOnly.make = "Acme";
        InfoFields makeOnlyStored = makeOnly;
        makeOnlyStored.model = "Model";
        makeOnlyStored.version = "1.0";
        makeOnlyStored.protocol = "Acme_Model";
        QTest::newRow("protocol from filled-in model") << makeOnly << false << makeOnlyStored;

        InfoFields complete;
        complete.make = "Acme";
        complete.model = "P100";
        complete.version = "2.5";
        complete.group = "projector";
        complete.protocol = "AcmeNet";
        complete.description = "A projector";
        complete.authors = QStringList{"Ann", "Bo"};
        InfoFields completeRaised = complete;
        completeRaised.version = "2.6";
        QTest::newRow("complete, new file") << complete << false << complete;
        QTest::newRow("complete, opened file") << complete << true << completeRaised;
    }

    void prepareFillsEmptyFields()
    {
        QFETCH(InfoFields, typed);
        QFETCH(bool, hasFile);
        QFETCH(InfoFields, stored);
        PrepareInfoForStore(typed, hasFile);
        QCOMPARE(typed.make, stored.make);
        QCOMPARE(typed.model, stored.model);
        QCOMPARE(typed.version, stored.version);
        QCOMPARE(typed.protocol, stored.protocol);
        QVERIFY(typed == stored);
    }
};

TARVO_REGISTER_TEST(InfoFieldsTest);

#include "infofields_test.moc"

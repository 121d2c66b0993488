#include <QTest>

#include "editors/info/infofields.h"
#include "testregistry.h"

Q_DECLARE_METATYPE(InfoFields)

namespace {

InfoFields Info(const QString& make, const QString& model, const QString& version, const QString& protocol)
{
    InfoFields fields;
    fields.make = make;
    fields.model = model;
    fields.version = version;
    fields.protocol = protocol;
    return fields;
}

} // namespace

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
        const InfoFields filled = Info("Make", "Model", "1.0", "Make_Model");
        QTest::newRow("all empty") << InfoFields() << false << filled;
        QTest::newRow("all empty, opened file") << InfoFields() << true << filled;
        QTest::newRow("protocol from filled-in model")
            << Info("Acme", "", "", "") << false << Info("Acme", "Model", "1.0", "Acme_Model");
        InfoFields complete = Info("Acme", "P100", "2.5", "AcmeNet");
        complete.group = "projector";
        complete.description = "A projector";
        complete.authors = QStringList{"Ann", "Bo"};
        InfoFields raised = complete;
        raised.version = "2.6";
        QTest::newRow("complete, new file") << complete << false << complete;
        QTest::newRow("complete, opened file") << complete << true << raised;
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

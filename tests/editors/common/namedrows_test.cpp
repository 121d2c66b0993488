#include <QStandardItemModel>
#include <QTest>

#include "editors/common/namedrows.h"
#include "testregistry.h"

// Names looked up through the index find what a walk over the rows finds.
class NamedRowsTest : public QObject
{
    Q_OBJECT

private slots:
    void indexFindsWhatTheWalkFinds_data()
    {
        QTest::addColumn<QStringList>("names");
        const QStringList ascii{"Power", "power", "Input", "", "INPUT", "Gain"};
        QTest::newRow("ASCII") << ascii;
        // U+212A KELVIN SIGN equals "k" ignoring case, so a list holding
        // another script is walked for such lookups.
        QTest::newRow("Kelvin sign") << QStringList{QStringLiteral("\u212Aelvin"), "kelvin", "Temp"};
        QTest::newRow("accented") << QStringList{QStringLiteral("Caf\u00e9"), QStringLiteral("CAF\u00c9"), "cafe"};
    }
    void indexFindsWhatTheWalkFinds()
    {
        QFETCH(QStringList, names);
        QStandardItemModel model;
        for (const QString& name : names)
            model.appendRow(new QStandardItem(name));
        model.appendRow(QList<QStandardItem*>{nullptr, new QStandardItem("second column")});
        QStringList asked = names;
        asked << "POWER" << "kelvin" << "KELVIN" << QStringLiteral("caf\u00c9") << "missing" << "second column";
        const NamedRows index(model);
        for (const QString& name : asked) {
            for (const Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
                QStandardItem* walked = FindNamedRow(&model, name, sensitivity);
                const NamedRows::Use use(&model, index);
                QVERIFY2(FindNamedRow(&model, name, sensitivity) == walked, qPrintable(name));
            }
        }
    }
};

TARVO_REGISTER_TEST(NamedRowsTest);

#include "namedrows_test.moc"

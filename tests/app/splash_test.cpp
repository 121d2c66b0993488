#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/productio.h"
#include "app/productlisting.h"
#include "app/trvsplash.h"
#include "appfixtures.h"
#include "testregistry.h"

namespace {

QStringList TreeText(QTreeWidget* tree)
{
    QStringList lines;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* category = tree->topLevelItem(i);
        lines << category->text(0);
        for (int j = 0; j < category->childCount(); ++j)
            lines << "  " + category->child(j)->text(0);
    }
    return lines;
}

QTreeWidget* Tree(TRVSplash& dialog)
{
    return dialog.findChild<QTreeWidget*>("m_pListProductFiles");
}

} // namespace

class SplashTest : public QObject
{
    Q_OBJECT

private slots:
    void listingGroup_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("group");
        QTest::newRow("projector") << ProductText("true", "projector") << 5;
        QTest::newRow("group in capitals") << ProductText("yes", "VIDEO") << 6;
        QTest::newRow("unknown group") << ProductText("true", "toaster") << 0;
        QTest::newRow("no hardware") << ProductText("true") << 0;
        QTest::newRow("creator 2") << ProductText("2", "audio") << -1;
        QTest::newRow("no creator") << ProductText(QString(), "audio") << -1;
        QTest::newRow("creator_ver without a space before it")
            << QByteArray("<product make=\"a\" creator=\"true\"\ncreator_ver=\"2\"><hardware group=\"audio\"/></product>")
            << -1;
        QTest::newRow("not xml") << QByteArray("\x01\x02 creator_ver \xff") << -1;
    }

    void listingGroup()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, group);
        QCOMPARE(ProductListingGroup(text), group);
    }

    void listsFilesByGroup()
    {
        QTemporaryDir dir;
        QVERIFY(WriteFixture(dir.filePath("b.prd"), ProductText("true", "projector")));
        QVERIFY(WriteFixture(dir.filePath("A.prd"), ProductText("TRUE", "Projector")));
        QVERIFY(WriteFixture(dir.filePath("c.prd"), ProductText("1", "toaster")));
        QVERIFY(WriteFixture(dir.filePath("d.prd"), ProductText("on")));
        QVERIFY(WriteFixture(dir.filePath("e.prd"), ProductText("false", "audio")));
        QVERIFY(WriteFixture(dir.filePath("f.txt"), ProductText("true", "audio")));
        QVERIFY(WriteFixture(dir.filePath("g.prd"), QByteArray()));
        QVERIFY(WriteFixture(dir.filePath("h.prd"), ProductText("enabled", "lighting")));
        TRVSplash dialog(nullptr, dir.path());
        QCOMPARE(TreeText(Tree(dialog)),
                 (QStringList{"custom", "  c.prd", "  d.prd", "lighting", "  h.prd", "projector", "  A.prd", "  b.prd"}));
        for (int i = 0; i < Tree(dialog)->topLevelItemCount(); ++i)
            QVERIFY(Tree(dialog)->topLevelItem(i)->isExpanded());
        QCOMPARE(ListProductFiles(dir.path()).value(5), (QStringList{"A.prd", "b.prd"}));
        TRVSplash missing(nullptr, dir.filePath("not/there"));
        QCOMPARE(Tree(missing)->topLevelItemCount(), 0);
    }

    // New and Open emit their signal while the dialog is still up, then
    // accept it; the tutorial leaves it open.
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("new") << "m_pButNewFile" << QStringList{"newFile", "accepted"};
        QTest::newRow("open") << "m_pButOpenFile" << QStringList{"openFile", "accepted"};
        QTest::newRow("tutorial") << "m_pButTutorial" << QStringList{"tutorial"};
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, order);
        QTemporaryDir dir;
        TRVSplash dialog(nullptr, dir.path());
        dialog.show();
        QStringList seen;
        auto record = [&](const char* what) {
            return [&seen, &dialog, what] { seen << (dialog.isVisible() ? what : "hidden"); };
        };
        connect(&dialog, &TRVSplash::newFile, this, record("newFile"));
        connect(&dialog, qOverload<>(&TRVSplash::openFile), this, record("openFile"));
        connect(&dialog, &TRVSplash::tutorial, this, record("tutorial"));
        connect(&dialog, &QDialog::accepted, this, [&] { seen << "accepted"; });
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(seen, order);
        QCOMPARE(dialog.isVisible(), order.size() == 1);
    }
};

TARVO_REGISTER_TEST(SplashTest);

#include "splash_test.moc"

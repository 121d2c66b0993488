#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "editors/info/trvinfo.h"
#include "testregistry.h"

namespace {

template <class T>
T* Child(QWidget& page, const char* name)
{
    T* child = page.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("missing widget %s", name);
    return child;
}

QStringList Authors(TRVInfo& page)
{
    return page.Fields().authors;
}

} // namespace

class TRVInfoTest : public QObject
{
    Q_OBJECT

private slots:
    void editsAreSavable_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::newRow("make") << "m_pEditMake";
        QTest::newRow("model") << "m_pEditModel";
        QTest::newRow("version") << "m_pEditVersion";
        QTest::newRow("protocol") << "m_pEditProtocol";
        QTest::newRow("description") << "m_pEditDescription";
        QTest::newRow("group") << "m_pCmbGroupType";
    }

    void editsAreSavable()
    {
        QFETCH(QString, widget);
        TRVInfo page(nullptr, false);
        QSignalSpy changed(&page, &TRVInfo::savableDataChanged);
        QWidget* target = page.findChild<QWidget*>(widget);
        QVERIFY(target);
        if (auto* combo = qobject_cast<QComboBox*>(target)) {
            combo->setEditText("lighting");
        } else {
            target->setFocus();
            QTest::keyClicks(target, "x");
        }
        QVERIFY(changed.count() >= 1);
    }

    void addedAuthorIsEditableAtOnce()
    {
        TRVInfo page(nullptr, false);
        page.show();
        QSignalSpy changed(&page, &TRVInfo::savableDataChanged);
        QListWidget* list = Child<QListWidget>(page, "m_pListAuthors");
        QTest::mouseClick(Child<QPushButton>(page, "m_pButAddAuthor"), Qt::LeftButton);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->currentRow(), 0);
        QListWidgetItem* item = list->item(0);
        QCOMPARE(item->text(), QStringLiteral("First Last"));
        QVERIFY(item->flags() & Qt::ItemIsEditable);
        // The editor is open: typing replaces the placeholder name.
        QWidget* editor = list->findChild<QLineEdit*>();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, "Ada Lovelace");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(Authors(page), QStringList{"Ada Lovelace"});  // the delegate commits queued
        QVERIFY(changed.count() >= 2);  // the rename is an item change
    }

    void moveAndDeleteAuthors()
    {
        TRVInfo page(nullptr, false);
        InfoFields fields;
        fields.authors = QStringList{"A", "B", "C"};
        page.SetFields(fields);
        QListWidget* list = Child<QListWidget>(page, "m_pListAuthors");
        QSignalSpy changed(&page, &TRVInfo::savableDataChanged);

        // Nothing current: nothing moves or goes.
        list->setCurrentRow(-1);
        page.on_m_pButMoveAuthorDown_clicked();
        page.on_m_pButDeleteAuthor_clicked();
        QCOMPARE(Authors(page), (QStringList{"A", "B", "C"}));

        list->setCurrentRow(0);
        page.on_m_pButMoveAuthorUp_clicked();
        QCOMPARE(Authors(page), (QStringList{"A", "B", "C"}));
        QCOMPARE(changed.count(), 0);

        page.on_m_pButMoveAuthorDown_clicked();
        QCOMPARE(Authors(page), (QStringList{"B", "A", "C"}));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("A"));
        page.on_m_pButMoveAuthorDown_clicked();
        QCOMPARE(Authors(page), (QStringList{"B", "C", "A"}));
        page.on_m_pButMoveAuthorDown_clicked();  // already last
        QCOMPARE(Authors(page), (QStringList{"B", "C", "A"}));
        QCOMPARE(changed.count(), 2);

        page.on_m_pButMoveAuthorUp_clicked();
        QCOMPARE(Authors(page), (QStringList{"B", "A", "C"}));
        page.on_m_pButDeleteAuthor_clicked();
        QCOMPARE(Authors(page), (QStringList{"B", "C"}));
        QCOMPARE(changed.count(), 4);
    }

    // Store shows what it filled in or raised; the values come from the
    // page's rules (InfoFieldsTest).
    void storeFillsFieldsVisibly()
    {
        TRVInfo page(nullptr, true);
        Child<QLineEdit>(page, "m_pEditVersion")->setText("2.5");
        page.Store(nullptr);
        QCOMPARE(Child<QLineEdit>(page, "m_pEditMake")->text(), QStringLiteral("Make"));
        QCOMPARE(Child<QLineEdit>(page, "m_pEditModel")->text(), QStringLiteral("Model"));
        QCOMPARE(Child<QLineEdit>(page, "m_pEditVersion")->text(), QStringLiteral("2.6"));
        QCOMPARE(Child<QLineEdit>(page, "m_pEditProtocol")->text(), QStringLiteral("Make_Model"));
    }
};

TARVO_REGISTER_TEST(TRVInfoTest);

#include "trvinfo_test.moc"

#include <QtTest>
#include <QtWidgets>

#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "testregistry.h"

namespace {

// Each row as "name|type|initial|description|setup|list|size|zero".
QStringList Rows(const QStandardItemModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < VariableColumnCount; ++column)
            cells << model.item(row, column)->text();
        rows << cells.join('|');
    }
    return rows;
}

void Load(ProductDataDocument_c& document, const QByteArray& text, QStandardItemModel& model)
{
    KorBuffer_c buffer;
    buffer.Assign(text.constData(), static_cast<int32_t>(text.size()));
    document.LoadXML(&buffer);
    LoadVariableRows(*document.ProductData(), model);
}

} // namespace

class TRVVariablesTest : public QObject
{
    Q_OBJECT

private slots:
    // Every type, setup flags, lists with and without zero-indexing, built-ins
    // in the file and a cleared "List" travel through store and load.
    void loadStoreLoad()
    {
        ProductDataDocument_c first;
        QStandardItemModel loaded;
        loaded.appendRow(NewErrorVariableRow());
        Load(first,
             "<product><protocols><protocol><variables>"
             "<var name=\"Level\" init=\"5\"><rules><integer min=\"0\" max=\"9\"/></rules>Lamp level</var>"
             "<var name=\"Gain\"><rules><Decimal/></rules></var>"
             "<var name=\"Error\"><rules><bool/></rules></var>"
             "<var name=\"User\" init=\"admin\" setup=\"true\"><rules><string/></rules></var>"
             "<var name=\"Inputs\" list=\"4\" zero=\"true\"><rules><bool/></rules></var>"
             "<var name=\"Stamps\" list=\"0\"><rules><datetime/></rules></var>"
             "<var name=\"TCPStatus\"><rules><string/></rules></var>"
             "<var name=\"Clock\" init=\"&quot;01:00:00.00&quot;\"><rules><timecode/></rules></var>"
             "<var name=\"Mix\" list=\"3\" zero=\"true\"><rules><percent/></rules></var>"
             "<var name=\"Panel\"><rules><lcdstring/></rules></var>"
             "</variables></protocol></protocols></product>",
             loaded);
        const QStringList expected = {
            "Error|3||Set to true when a command fails to get a correct response.|false|||",
            "Level|0|5|Lamp level|false|false||false", "Gain|1|||false|false||false",
            "User|2|admin||true|false||false",         "Inputs|3|||false|true|4|true",
            "Stamps|4|||false|true|0|false",           "Clock|5|\"01:00:00.00\"||false|false||false",
            "Mix|6|||false|true|3|true",               "Panel|-1|||false|false||false",
        };
        QCOMPARE(Rows(loaded), expected);
        loaded.item(loaded.findItems("Mix")[0]->row(), ColList)->setText("false");
        ProductDataDocument_c second;
        second.Reset();
        StoreVariableRows(loaded, *second.ProductData());
        KorBuffer_c saved;
        QVERIFY(second.SaveXML(&saved) >= 0);
        const QByteArray text = QByteArray::fromStdString(saved.ToStdString());
        QCOMPARE(text.count("name=\"Error\""), 1);
        ProductDataDocument_c third;
        QStandardItemModel reloaded;
        Load(third, text, reloaded);
        QStringList again = expected.mid(1);
        again[6] = "Mix|6|||false|false||false";  // a cleared list keeps neither size nor zero flag
        QCOMPARE(Rows(reloaded), again);
    }

    // Scripts on one page of a model shared with a page of the other mode: a
    // add, d duplicate, x delete, u up, n down, s<Name> select, t/f TCP port
    // or none. Expected rows in model order, "*" marking setup rows.
    void editing_data()
    {
        QTest::addColumn<bool>("setupPage");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("changes");
        QTest::newRow("add") << false << "a" << "Error Login* Variable3" << 0 << 1;
        QTest::newRow("duplicate appends") << false << "a sError d a" << "Error Login* Variable3 ErrorCopy Variable5"
                                           << 0 << 3;
        QTest::newRow("delete") << false << "a a sVariable3 x x" << "Error Login*" << 2 << 4;
        QTest::newRow("Error refused") << false << "sError x" << "Error Login*" << 0 << 0;
        QTest::newRow("TCPStatus once, refused, gone") << false << "t t sTCPStatus x f" << "Error Login*" << 1 << 0;
        QTest::newRow("up past a setup row") << false << "a u" << "Variable3 Error Login*" << 0 << 2;
        QTest::newRow("no move past the ends") << false << "a n sError u" << "Error Login* Variable3" << 0 << 1;
        QTest::newRow("setup page") << true << "a sLogin n d" << "Error Variable3* Login* LoginCopy*" << 0 << 3;
    }

    void editing()
    {
        QFETCH(bool, setupPage);
        QFETCH(QString, script);
        TRVVariables device(nullptr);
        QStandardItemModel& model = *device.Model();
        device.AddBuiltInVariables();
        device.AddBuiltInVariables();
        model.appendRow(NewVariableRow("Login", true));
        TRVSetup setupTabs(nullptr, &model);
        TRVVariables& setup = *setupTabs.SetupVariables();
        TRVVariables& page = setupPage ? setup : device;
        QSignalSpy deletions(&page, &TRVVariables::varDeleted);
        QSignalSpy edits(&page, &TRVVariables::savableDataChanged);
        const QMap<QString, QString> buttons = {{"a", "m_pButAddVariable"},    {"d", "m_pButDupVariable"},
                                                {"x", "m_pButDeleteVariable"}, {"u", "m_pButMoveVariableUp"},
                                                {"n", "m_pButMoveVariableDown"}};
        for (const QString& step : script.split(' ')) {
            if (step.startsWith('s'))
                setupPage ? setupTabs.FocusVarTab(model.findItems(step.mid(1)).value(0))
                          : page.SelectVariable(model.findItems(step.mid(1)).value(0));
            else if (step == "t" || step == "f")
                device.UpdateTCPVariable(step == "t");
            else
                page.findChild<QPushButton*>(buttons[step])->click();
        }
        QStringList actual;
        for (int row = 0; row < model.rowCount(); ++row) {
            const bool listedOnSetup = !setup.findChild<QListView*>()->isRowHidden(row);
            QCOMPARE(device.findChild<QListView*>()->isRowHidden(row), listedOnSetup);
            actual << model.item(row, ColName)->text() + (listedOnSetup ? "*" : "");
        }
        QFETCH(QString, rows);
        QFETCH(int, deleted);
        QFETCH(int, changes);
        QCOMPARE(actual.join(' '), rows);
        QCOMPARE(deletions.count(), deleted);
        QCOMPARE(edits.count(), changes);
    }

    void nameAndTypeEdits()
    {
        TRVVariables page(nullptr);
        page.findChild<QPushButton*>("m_pButAddVariable")->click();
        auto* name = page.findChild<QLineEdit*>("m_pEditVariableName");
        name->setCursorPosition(3);
        QTest::keyClicks(name, " x ");
        QCOMPARE(name->text(), QString("Var_x_iable1"));
        QCOMPARE(name->cursorPosition(), 6);
        QCOMPARE(page.Model()->item(0, ColName)->text(), QString("Var_x_iable1"));

        auto* type = page.findChild<QComboBox*>("m_pCmbVariableType");
        auto* initial = page.findChild<QLineEdit*>("m_pEditVariableInitial");
        const QStringList examples = {"17", "3.14", "Brackwater", "true", "", "\"12:34:32.10\"", "15%"};
        // Typed over the proposed value: numbers only for integer and decimal.
        const QStringList typed = {"-25", "-2.5", "-2.5x", "-2.5x", "-2.5x", "-2.5x", "-2.5x"};
        for (int index = 0; index < type->count(); ++index) {
            type->setCurrentIndex(index);
            emit type->activated(index);
            QCOMPARE(page.Model()->item(0, ColInitial)->text(), examples[index]);
            QCOMPARE(initial->selectedText(), examples[index]);
            QTest::keyClicks(initial, "-2.5x");
            QCOMPARE(page.Model()->item(0, ColInitial)->text(), typed[index]);
            QCOMPARE(page.Model()->item(0, ColType)->text(), QString::number(index));
        }
        initial->setText("kept");
        emit type->activated(type->count() - 1);  // the stored type again: no example
        QCOMPARE(initial->text(), QString("kept"));
        page.AddBuiltInVariables();
        page.SelectVariable(page.ErrorVariable());
        QVERIFY(!page.findChild<QGroupBox*>("m_pVariableInfo")->isEnabled());
    }

    void windowFormOkKeepsCancelRemoves()
    {
        for (const bool ok : {true, false}) {
            TRVVariables device(nullptr);
            device.AddBuiltInVariables();
            TRVVariables window(nullptr, false, device.Model(), true);
            QCOMPARE(window.WindowVariable()->text(), QString("Variable2"));
            QSignalSpy deleted(&window, &TRVVariables::varDeleted);
            const auto button = ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
            QTimer::singleShot(0, &window, [&] { window.findChild<QDialogButtonBox*>()->button(button)->click(); });
            QCOMPARE(window.ExecWindow(), ok);
            QVERIFY(window.isHidden());
            QCOMPARE(device.Model()->rowCount(), ok ? 2 : 1);
            QCOMPARE(deleted.count(), ok ? 0 : 1);
        }
    }
};

TARVO_REGISTER_TEST(TRVVariablesTest);

#include "variables_test.moc"

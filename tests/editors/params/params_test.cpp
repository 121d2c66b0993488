#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include "editors/params/paramrows.h"
#include "editors/params/trveventparamoptions.h"
#include "editors/params/trveventparams.h"
#include "model/document/productdatadocument.h"
#include "model/productdatahardware.h"
#include "testregistry.h"

namespace {

template <class T>
T* Child(QWidget& widget, const char* name)
{
    return widget.findChild<T*>(QString::fromLatin1(name));  // a missing widget fails the test by crashing
}

QStringList Names(const QStandardItemModel& model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names << model.item(row, ParamColName)->text();
    return names;
}

ParamFields Param(const QString& name, int type, const QStringList& texts = {}, QList<ParamOption> options = {})
{
    const QStringList t = texts + QStringList(5, QString());
    return {name, type, t[0], t[1], t[2], t[3], t[4], options};
}

// Stores rows into the first command of a fresh document and returns the file's bytes.
std::string SaveRows(const QStandardItemModel& rows)
{
    ProductDataDocument_c document;
    ProductDataCommand_c* command = document.ProductData()->FirstProtocol()->Commands()->Item(0, true);
    TRVEventParams(nullptr).Store(&rows, command);
    KorBuffer_c buffer;
    document.SaveXML(&buffer);
    return std::string(buffer.View());
}

void LoadRows(const std::string& bytes, QStandardItemModel& rows)
{
    ProductDataDocument_c document;
    KorBuffer_c buffer;
    buffer.Assign(bytes.data(), static_cast<int32_t>(bytes.size()));
    document.LoadXML(&buffer);
    TRVEventParams(nullptr).Load(&rows, document.ProductData()->FirstProtocol()->Commands()->Item(0));
}

} // namespace

class ParamsTest : public QObject
{
    Q_OBJECT

private slots:
    void listOperations_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("buttons");  // + add, x duplicate, - delete, u up, d down
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("currentAfter");
        QTest::addColumn<QString>("signalLog");  // D paramDeleted, S savableDataChanged
        const QStringList abc{"A", "B", "C"};
        QTest::newRow("add to empty") << QStringList() << -1 << "+" << QStringList{"Param1"} << 0 << "S";
        QTest::newRow("add after delete repeats a name")
            << QStringList{"Param1", "Param2"} << 0 << "-+" << QStringList{"Param2", "Param2"} << 1 << "DSS";
        QTest::newRow("duplicate is appended") << abc << 0 << "x" << QStringList{"A", "B", "C", "ACopy"} << 3 << "S";
        QTest::newRow("no current row") << abc << -1 << "x-ud" << abc << -1 << "";
        QTest::newRow("first up") << abc << 0 << "u" << abc << 0 << "";
        QTest::newRow("last down") << abc << 2 << "d" << abc << 2 << "";
        QTest::newRow("down twice") << abc << 0 << "dd" << QStringList{"B", "C", "A"} << 2 << "SS";
        QTest::newRow("up") << abc << 2 << "u" << QStringList{"A", "C", "B"} << 1 << "S";
        QTest::newRow("delete middle") << abc << 1 << "-" << QStringList{"A", "C"} << 1 << "DS";
    }

    void listOperations()
    {
        QFETCH(QStringList, before);
        QFETCH(int, current);
        QFETCH(QString, buttons);
        QStandardItemModel model;
        for (const QString& name : before)
            AppendParamRow(&model, Param(name, ParamTypeInteger));
        TRVEventParams page(nullptr);
        page.SetModel(&model);
        if (current >= 0)
            page.SelectParameter(model.item(current, ParamColName));
        QString log;
        connect(&page, &TRVEventParams::paramDeleted, [&log] { log += 'D'; });
        connect(&page, &TRVEventParams::savableDataChanged, [&log] { log += 'S'; });
        const char* names[] = {"m_pButAddParam", "m_pButDupParam", "m_pButDeleteParam", "m_pButMoveParamUp",
                               "m_pButMoveParamDown"};
        for (QChar button : buttons)
            Child<QPushButton>(page, names[QStringLiteral("+x-ud").indexOf(button)])->click();
        QTEST(Names(model), "after");
        QTEST(page.CurrentRow(), "currentAfter");
        QTEST(log, "signalLog");
        // The detail fields follow the current row.
        QCOMPARE(Child<QLineEdit>(page, "m_pEditParamName")->text(),
                 page.CurrentRow() < 0 ? QString() : model.item(page.CurrentRow())->text());
    }

    void nameWhitespaceBecomesUnderscoreKeepingTheCursor()
    {
        QStandardItemModel model;
        TRVEventParams page(nullptr);
        page.SetModel(&model);
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.AddParameter();
        QLineEdit* name = Child<QLineEdit>(page, "m_pEditParamName");
        name->setFocus();
        name->setText("abcd");
        name->setCursorPosition(2);
        QTest::keyClicks(name, QStringLiteral(" \u00a0"));
        QCOMPARE(name->text(), QStringLiteral("ab__cd"));
        QCOMPARE(name->cursorPosition(), 4);
        QCOMPARE(model.item(0, ParamColName)->text(), QStringLiteral("ab__cd"));
    }

    void typeChangeBringsExampleAndPage_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("example");
        QTest::addColumn<QString>("pageName");
        QTest::addColumn<QString>("typed");  // "-1.5x" typed over the example, then into the empty minimum
        QTest::addColumn<QString>("typedLimit");
        QTest::newRow("string") << int(ParamTypeString) << "Brackwater" << "ParamOptionsString" << "-1.5x" << "-1.5x";
        QTest::newRow("timecode quoted") << int(ParamTypeTimecode) << "\"12:34:32.10\"" << "ParamEmptyOptions"
                                         << "-1.5x" << "-1.5x";
        QTest::newRow("datetime clears") << int(ParamTypeDateTime) << "" << "ParamEmptyOptions" << "-1.5x" << "-1.5x";
        QTest::newRow("option") << int(ParamTypeOption) << "Text to be replaced" << "ParamOptionsOptions" << "-1.5x"
                                << "-1.5x";
        QTest::newRow("decimal") << int(ParamTypeDecimal) << "3.14" << "ParamIntegerOptions" << "-1.5" << "-15";
    }

    void typeChangeBringsExampleAndPage()
    {
        QFETCH(int, type);
        QFETCH(QString, example);
        QStandardItemModel model;
        AppendParamRow(&model, Param("A", ParamTypeInteger, {"", "typed"}));
        AppendParamRow(&model, Param("B", ParamTypeNone));
        TRVEventParams page(nullptr);
        page.SetModel(&model);
        page.SelectParameter(model.item(0));
        auto* combo = Child<QComboBox>(page, "m_pCmbParamType");
        auto* exampleEdit = Child<QLineEdit>(page, "m_pEditParamExampleValue");
        QSignalSpy changed(&page, &TRVEventParams::savableDataChanged);
        page.on_m_pCmbParamType_currentIndexChanged(ParamTypeInteger);  // the stored type: nothing happens
        QCOMPARE(exampleEdit->text(), QStringLiteral("typed"));
        QCOMPARE(changed.count(), 0);

        combo->setCurrentIndex(type);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(exampleEdit->placeholderText(), example);
        QTEST(Child<QStackedWidget>(page, "m_pStkParamExtraOptions")->currentWidget()->objectName(), "pageName");
        QCOMPARE(model.item(0, ParamColExample)->text(), example);
        QTest::keyClicks(exampleEdit, "-1.5x");
        QTEST(model.item(0, ParamColExample)->text(), "typed");
        QTest::keyClicks(Child<QLineEdit>(page, "m_pEditParamMinValue"), "-1.5x");
        QTEST(model.item(0, ParamColMin)->text(), "typedLimit");
        changed.clear();
        // A typed example survives leaving the row and coming back.
        exampleEdit->setText("mine");
        page.submit();
        page.SelectParameter(model.item(1));
        page.SelectParameter(model.item(0));
        QCOMPARE(exampleEdit->text(), QStringLiteral("mine"));
        QCOMPARE(combo->currentIndex(), type);
        QCOMPARE(changed.count(), 0);
    }

    void duplicateOwnsItsOptions()
    {
        QStandardItemModel model;
        AppendParamRow(&model, Param("Input", ParamTypeOption, {}, {{"HDMI", "1"}, {"VGA", ""}}));
        TRVEventParams page(nullptr);
        page.SetModel(&model);
        page.SelectParameter(model.item(0));
        page.on_m_pButDupParam_clicked();
        QCOMPARE(ParamRowFields(&model, 1).options, ParamRowFields(&model, 0).options);

        TRVEventParamOptions dialog;
        dialog.SetModel(ParamOptionModel(&model, 1));
        QCOMPARE(dialog.CurrentRow(), 0);
        QSignalSpy changed(&dialog, &TRVEventParamOptions::savableDataChanged);
        QTest::keyClicks(Child<QLineEdit>(dialog, "m_pEditOptionMatch"), "2");
        dialog.on_m_pButDupOption_clicked();
        dialog.on_m_pButAddOption_clicked();
        QCOMPARE(changed.count(), 3);
        QCOMPARE(ParamRowFields(&model, 1).options,
                 (QList<ParamOption>{{"HDMI2", "1"}, {"VGA", ""}, {"HDMI2", "1"}, {"Option4", ""}}));
        QCOMPARE(ParamRowFields(&model, 0).options, (QList<ParamOption>{{"HDMI", "1"}, {"VGA", ""}}));
    }

    void addParameterWindowOkKeepsCancelRemoves()
    {
        QStandardItemModel model;
        AppendParamRow(&model, Param("Input", ParamTypeOption, {}, {{"HDMI", "1"}}));
        TRVEventParams window(nullptr, true);
        QSignalSpy deleted(&window, &TRVEventParams::paramDeleted);
        for (auto button : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) {
            QTimer::singleShot(0, &window, [&] {
                QVERIFY(window.isVisible() && window.isModal());
                QCOMPARE(window.CurrentRow(), model.rowCount() - 1);
                // Looking at another parameter first: Cancel still removes only the added one.
                window.SelectParameter(model.item(0));
                Child<QDialogButtonBox>(window, "m_pButtonBox")->button(button)->click();
            });
            QCOMPARE(window.ExecWindow(&model), button == QDialogButtonBox::Ok);
            QVERIFY(!window.isVisible());
        }
        QCOMPARE(Names(model), (QStringList{"Input", "Param2"}));
        QCOMPARE(ParamRowFields(&model, 0).options.size(), 1);
        QCOMPARE(deleted.count(), 1);
    }

    void storeLoadRoundTrip()
    {
        const QList<ParamFields> rows = {
            Param("Level", ParamTypeInteger, {"Volume & <gain>", "17", "1", "9"}),
            Param("Free", ParamTypeInteger, {"no limits"}),
            Param("Ratio", ParamTypeDecimal, {"", "3.14", "0.5", "12abc"}),
            Param("Cap", ParamTypeDecimal, {"", "", "", "-40"}),
            Param("Clip", ParamTypeString, {"", "\"x\"", "", "", "[A-Z]{0,5}"}),
            Param("Any", ParamTypeString),
            Param("Input", ParamTypeOption, {}, {{"HDMI", "1"}, {"VGA", ""}, {"DVI", "3"}}),
            Param("On", ParamTypeBool), Param("When", ParamTypeDateTime), Param("At", ParamTypeTimecode),
            Param("Mix", ParamTypePercent), Param("Untyped", ParamTypeNone),
        };
        QStandardItemModel stored;
        for (const ParamFields& row : rows)
            AppendParamRow(&stored, row);
        const std::string bytes = SaveRows(stored);
        QStandardItemModel loaded;
        LoadRows(bytes, loaded);
        QCOMPARE(loaded.rowCount(), rows.size());
        for (int row = 0; row < rows.size(); ++row) {
            ParamFields expected = rows[row];
            if (expected.name == "Ratio")  // limits are integers; text that is not one stores 0
                expected.min = expected.max = "0";
            QCOMPARE(ParamRowFields(&loaded, row), expected);
        }
        // Limits left empty are not written; a second trip writes the same file.
        QVERIFY(bytes.find("<integer min=\"1\" max=\"9\"") != std::string::npos);
        QVERIFY(bytes.find("<integer/>") != std::string::npos);
        QCOMPARE(SaveRows(loaded), bytes);

        // Emptying removes every row as Delete does, options included.
        QPointer<QStandardItemModel> options = ParamOptionModel(&loaded, 6);
        TRVEventParams page(nullptr);
        QSignalSpy deleted(&page, &TRVEventParams::paramDeleted);
        page.EmptyModel(&loaded);
        QCOMPARE(loaded.rowCount(), 0);
        QCOMPARE(deleted.count(), rows.size());
        QVERIFY(options.isNull());
    }
};

TARVO_REGISTER_TEST(ParamsTest);

#include "params_test.moc"

#include <QtTest>
#include <QtWidgets>

#include "editors/events/eventrows.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/params/paramrows.h"
#include "editors/setup/setuprows.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/events/trvevents.h"
#include "editors/variables/variablerows.h"
#include "model/document/productdatadocument.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "foundation/korbuffer.h"
#include "testregistry.h"

namespace {

using SS = OutgoingSSModel_c;

// The event names, the current one marked with "*".
QString Names(const TRVEvents& page)
{
    QStringList names;
    for (int row = 0; row < page.EventModel()->rowCount(); ++row)
        names << EventRow::Text(*page.EventModel(), row, EventRow::ColName) + (row == page.CurrentRow() ? "*" : "");
    return names.join(' ');
}

QString Tabs(const TRVEvents& page)
{
    QStringList texts;
    for (const auto* tabs = page.findChild<QTabWidget*>("m_pTabsEvent"); texts.size() < tabs->count();)
        texts << tabs->tabText(texts.size());
    return texts.join('|');
}

// An event whose outgoing message sends a variable as an integer; the
// variable is also captured by its response.
void AppendVariableEvent(TRVEvents& page, QStandardItem* variable)
{
    QStandardItemModel& events = *page.EventModel();
    const int row = EventRow::AppendNew(events, &page, page.VariablesModel());
    SS& outgoing = *EventRow::Outgoing(events, row);
    outgoing.AppendSubstring("Substring0", SS::TypeVariable);
    outgoing.SetText(0, SS::ColOutputFormat, QString::number(SS::FormatInteger));
    outgoing.SetVarRef(0, variable);
    QStandardItemModel& incoming = *EventRow::Incoming(events, row);
    incoming.appendRow(IncomingSS::NewRow(0, IncomingSS::TypeVariable));
    IncomingSS::SetLinkedVariable(incoming, 0, variable);
}

QString StoredArgs(const QStandardItemModel& events, QStandardItemModel* variables, int row)
{
    ProductDataDocument_c document;
    EventRow::StoreRows(events, variables, *document.ProductData());
    return QString::fromStdString(
        document.ProductData()->FirstProtocol()->Commands()->Item(row)->Messages()->Item(0)->GetFormat());
}

} // namespace

class EventsTest : public QObject
{
    Q_OBJECT

private slots:
    // a add, d duplicate, x delete, u up, n down, s<row> select, i IR import.
    void flows_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("changes");
        QTest::newRow("add to none") << "a" << "Event1*" << 1;
        QTest::newRow("a name comes back") << "a a s0 x a" << "Event2 Event2*" << 4;
        QTest::newRow("copy at the end") << "a a s0 d" << "Event1 Event2 Event1Copy*" << 3;
        QTest::newRow("moves") << "a a a s0 n n u" << "Event2 Event1* Event3" << 6;
        QTest::newRow("no move past the ends") << "a a s0 u s1 n" << "Event1 Event2*" << 2;
        QTest::newRow("delete the last") << "a a x" << "Event1*" << 3;
        QTest::newRow("nothing current") << "a s-1 d x u n" << "Event1" << 1;
        QTest::newRow("IR event") << "a i s0 s1" << "Event1 Power On*" << 2;
    }
    void flows()
    {
        QFETCH(QString, script);
        QStandardItemModel variables;
        TRVEvents page(&variables, nullptr);
        QSignalSpy changes(&page, &TRVEvents::savableDataChanged);
        const QMap<QString, QString> buttons = {{"a", "m_pButAddEvent"},    {"d", "m_pButDupEvent"},
                                                {"x", "m_pButDeleteEvent"}, {"u", "m_pButMoveEventUp"},
                                                {"n", "m_pButMoveEventDown"}};
        for (const QString& step : script.split(' ')) {
            if (step.startsWith('s'))
                page.SelectRow(step.mid(1).toInt());
            else if (step == "i")
                page.CreateIRFileEvent("Power On", "sendir,1:1,38000,1,1,96\\r");
            else
                page.findChild<QPushButton*>(buttons[step])->click();
        }
        QTEST(Names(page), "names");
        QTEST(int(changes.count()), "changes");
        QCOMPARE(page.findChild<QTabWidget*>("m_pTabsEvent")->isEnabled(), page.CurrentRow() >= 0);
        if (!script.contains('i'))
            return;
        // Both messages are typed by hand, and shown so when the row comes back.
        const QStandardItemModel& events = *page.EventModel();
        for (int column : {EventRow::ColIncoming, EventRow::ColMsgManEdit, EventRow::ColIncManEdit})
            QVERIFY(EventRow::Flag(events, 1, column));
        QVERIFY(page.OutgoingEditor()->IsManualEdit() && page.IncomingEditor()->IsManualEdit());
        QCOMPARE(page.OutgoingEditor()->Format(), QString("sendir,1:1,38000,1,1,96\\r"));
        QCOMPARE(page.IncomingEditor()->Format(), QString("completeir.+\\r"));
    }

    // Many IR codes become events at once; a cancel part-way adds none.
    void irImportCancel()
    {
        QStandardItemModel variables;
        TRVEvents page(&variables, nullptr);
        page.findChild<QPushButton*>("m_pButAddEvent")->click();
        QSignalSpy changes(&page, &TRVEvents::savableDataChanged);
        QList<IRCode> codes;
        for (int i = 0; i < 250; ++i)
            codes.append({QStringLiteral("Code%1").arg(i), QStringLiteral("%1\\r").arg(i)});
        QList<int> seen;
        QCOMPARE(page.CreateIRFileEvents(codes, [&](int done) { seen << done; return done < 200; }), 0);
        QCOMPARE(seen, (QList<int>{100, 200}));
        QCOMPARE(page.EventModel()->rowCount(), 1);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(page.CreateIRFileEvents(codes, [](int) { return true; }), 250);
        QCOMPARE(page.EventModel()->rowCount(), 251);
        QCOMPARE(page.CurrentRow(), 250);
        QCOMPARE(EventRow::Text(*page.EventModel(), 250, EventRow::ColName), QStringLiteral("Code249"));
        QCOMPARE(EventRow::Text(*page.EventModel(), 1, EventRow::ColMsgFormat), QStringLiteral("0\\r"));
        QCOMPARE(changes.count(), 1);
    }

    void duplicateSharesNothing()
    {
        QStandardItemModel variables;
        variables.appendRow(NewVariableRow("Input", false));
        TRVEvents page(&variables, nullptr);
        QStandardItemModel& events = *page.EventModel();
        QStandardItem* variable = variables.item(0);
        AppendVariableEvent(page, variable);
        QStandardItemModel& params = *EventRow::Params(events, 0);
        AppendParamRow(&params, {"Input", ParamTypeOption, "", "HDMI", "", "", "", {{"HDMI", "1"}}});
        EventRow::Outgoing(events, 0)->SetParamRef(0, params.item(0));
        page.SelectRow(0);
        page.findChild<QPushButton*>("m_pButDupEvent")->click();

        QStandardItemModel& copy = *EventRow::Params(events, 1);
        QVERIFY(&copy != &params);
        ParamOptionModel(&copy, 0)->item(0, OptionColMatch)->setText("VGA");
        QCOMPARE(ParamOptionModel(&params, 0)->item(0, OptionColMatch)->text(), QString("HDMI"));
        QCOMPARE(EventRow::Outgoing(events, 1)->ParamRef(0), copy.item(0));
        QCOMPARE(IncomingSS::LinkedVariable(*EventRow::Incoming(events, 1), 0, &variables), variable);

        // The copy outlives its source.
        QPointer<QStandardItemModel> sourceOptions = ParamOptionModel(&params, 0);
        EventRow::Remove(events, 0);
        QVERIFY(sourceOptions.isNull());
        QCOMPARE(EventRow::Outgoing(events, 0)->ParamRef(0), EventRow::Params(events, 0)->item(0));
    }

    // i clicks "Incoming Message", u "Unsolicited" (a disabled box takes no click).
    void tabsFollowFlags_data()
    {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("tabs");
        QTest::addColumn<QString>("flags");
        const QString all = "Information/Parameters|Outgoing Message|Incoming Response";
        const QString noIncoming = "Information/Parameters|Outgoing Message";
        QTest::newRow("new event") << "" << all << "true false";
        QTest::newRow("unsolicited") << "u" << "Information/Parameters|Incoming Message (Unsolicited)" << "true true";
        QTest::newRow("outgoing back after the first tab") << "u u" << all << "true false";
        QTest::newRow("no incoming") << "i u" << noIncoming << "false false";
        QTest::newRow("clearing incoming clears unsolicited") << "u i" << noIncoming << "false false";
        QTest::newRow("incoming back") << "u i i" << all << "true false";
    }
    void tabsFollowFlags()
    {
        QFETCH(QString, clicks);
        QStandardItemModel variables;
        TRVEvents page(&variables, nullptr);
        page.findChild<QPushButton*>("m_pButAddEvent")->click();
        for (const QString& click : clicks.split(' ', Qt::SkipEmptyParts))
            page.findChild<QCheckBox*>(click == "i" ? "m_pChkIncomingResponse" : "m_pChkUnsolicitedCommand")->click();
        const QStandardItemModel& events = *page.EventModel();
        QTEST(EventRow::Text(events, 0, EventRow::ColIncoming) + ' ' + EventRow::Text(events, 0, EventRow::ColUnsolicited),
              "flags");
        QTEST(Tabs(page), "tabs");
        QCOMPARE(page.findChild<QCheckBox*>("m_pChkUnsolicitedCommand")->isEnabled(),
                 EventRow::Flag(events, 0, EventRow::ColIncoming));
        // A row shown again after another brings its own tabs back.
        page.findChild<QPushButton*>("m_pButAddEvent")->click();
        QCOMPARE(Tabs(page), QString("Information/Parameters|Outgoing Message|Incoming Response"));
        page.SelectRow(0);
        QTEST(Tabs(page), "tabs");
        // Shown again in place (an undo), the row keeps the tab in front.
        auto* tabs = page.findChild<QTabWidget*>("m_pTabsEvent");
        tabs->setCurrentIndex(tabs->count() - 1);
        QWidget* front = tabs->currentWidget();
        page.Reshow(0);
        QCOMPARE(tabs->currentWidget(), front);
    }

    // A manual outgoing format on either page loads as the text between its
    // quotes and the arguments after the comma, exactly, and is stored back
    // as it was, XOR( outside quotes as BCC(.
    void storedFormats_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("saved");
        QTest::newRow("format, arguments") << "\"VOL %d\\r\", Lv" << "VOL %d\\r" << "Lv" << "\"VOL %d\\r\", Lv";
        QTest::newRow("quoted arguments, xor") << "\"%s%p\", Head, xor(\"xor(\")" << "%s%p" << "Head, xor(\"xor(\")"
                                               << "\"%s%p\", Head, BCC(\"xor(\")";
        QTest::newRow("format alone") << "\"sendir,1:1\\r\"" << "sendir,1:1\\r" << "" << "\"sendir,1:1\\r\"";
        QTest::newRow("escaped quotes") << "\"\\\"hi\\\"\", N" << "\\\"hi\\\"" << "N" << "\"\\\"hi\\\"\", N";
        QTest::newRow("escaped backslash last") << "\"A\\\\\", B" << "A\\\\" << "B" << "\"A\\\\\", B";
        QTest::newRow("no space after the comma") << "\"A\",B" << "A" << "B" << "\"A\",B";
        QTest::newRow("not a quoted format") << "Power" << "Power" << "" << "Power";
    }
    void storedFormats()
    {
        QFETCH(QString, stored);
        ProductDataDocument_c document;
        ProductDataProtocol_c* protocol = document.ProductData()->FirstProtocol();
        for (ProductDataMessage_c* message : {protocol->Commands()->Item(0, true)->Messages()->Item(0, true),
                                              static_cast<ProductDataMessage_c*>(protocol->SetupMessages()->Item(0, true))}) {
            message->SetFormat(stored.toStdString());
            message->SetManual(true);
        }
        QObject owner;
        QStandardItemModel variables, events, setup;
        EventRow::LoadRows(*document.ProductData(), events, &owner, &variables);
        SetupRow::LoadRows(*document.ProductData(), setup, &owner, &variables);
        QTEST(EventRow::Text(events, 0, EventRow::ColMsgFormat), "format");
        QTEST(EventRow::Text(events, 0, EventRow::ColMsgArgs), "args");
        QTEST(SetupRow::Text(setup, 0, SetupRow::ColFormatOrRegexp), "format");
        QTEST(SetupRow::Text(setup, 0, SetupRow::ColArgsOrExample), "args");

        ProductDataDocument_c saved;
        EventRow::StoreRows(events, &variables, *saved.ProductData());
        SetupRow::StoreRows(setup, &variables, *saved.ProductData());
        protocol = saved.ProductData()->FirstProtocol();
        QTEST(QString::fromStdString(protocol->Commands()->Item(0)->Messages()->Item(0)->GetFormat()), "saved");
        QTEST(QString::fromStdString(protocol->SetupMessages()->Item(0)->GetFormat()), "saved");
        QVERIFY(KorIsTrue(protocol->SetupMessages()->Item(0)->IsManual()));
    }

    // A loaded message's previews (constants, a variable, a parameter, a
    // checksum over them) are computed when one is first read or written,
    // and are then what a refresh of every row makes.
    void loadedPreviewsAsRefreshed()
    {
        QFile file(QStringLiteral(TARVO_EXAMPLES_DIR "/display-rs232.prd"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const bool written : {false, true}) {
            ProductDataDocument_c document;
            KorBuffer_c buffer;
            buffer.Assign(bytes.constData(), static_cast<int32_t>(bytes.size()));
            document.LoadXML(&buffer);
            QObject owner;
            QStandardItemModel variables, events;
            LoadVariableRows(*document.ProductData(), variables);
            EventRow::LoadRows(*document.ProductData(), events, &owner, &variables);
            SS& model = *EventRow::Outgoing(events, 0);
            if (written)
                model.SetText(5, SS::ColStringRep, "edited");
            QStringList first;
            for (int row = 0; row < model.rowCount(); ++row)
                first << model.data(model.index(row, 0)).toString() + '|' + model.Text(row, SS::ColHexRep);
            RefreshAllRows(model);
            for (int row = 0; row < model.rowCount(); ++row)
                QCOMPARE(first[row], model.data(model.index(row, 0)).toString() + '|' + model.Text(row, SS::ColHexRep));
            QVERIFY(first[4].startsWith("0 (checksum)|"));
        }
    }

    // Renaming or deleting a variable reaches the events not shown too.
    void variableChangesReachEveryEvent()
    {
        QStandardItemModel variables;
        variables.appendRow(NewVariableRow("Volume", false));
        TRVEvents page(&variables, nullptr);
        QStandardItemModel& events = *page.EventModel();
        for (int row = 0; row < 2; ++row)
            AppendVariableEvent(page, variables.item(0));
        page.SelectRow(1);
        variables.item(0)->setText("Gain");
        QCOMPARE(StoredArgs(events, &variables, 0), QString("\"%d\", Gain"));
        QCOMPARE(StoredArgs(events, &variables, 1), QString("\"%d\", Gain"));

        variables.removeRow(0);
        page.CleanupVars();
        for (int row = 0; row < 2; ++row) {
            QVERIFY(!EventRow::Outgoing(events, row)->item(0, SS::ColVarRef)->data(SS::ReferenceRole).value<QStandardItem*>());
            QVERIFY(!EventRow::Incoming(events, row)->item(0, IncomingSS::ColVariable)->data(IncomingSS::LinkRole).value<QStandardItem*>());
            QCOMPARE(StoredArgs(events, &variables, row), QString("\"%d\""));
        }
        QCOMPARE(EventRow::Text(events, 0, EventRow::ColMsgFormat) + EventRow::Text(events, 0, EventRow::ColMsgArgs),
                 QString("%d"));
    }
};

TARVO_REGISTER_TEST(EventsTest);
#include "events_test.moc"

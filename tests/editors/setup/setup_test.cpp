#include <QtTest>
#include <QtWidgets>

#include "editors/outgoing/outgoingssmodel.h"
#include "editors/setup/setuprows.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/setup/trvsetup.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

// The message names, the current one marked with "*".
QString Names(const TRVSetup& page)
{
    QStringList names;
    for (int row = 0; row < page.MessageModel()->rowCount(); ++row)
        names << SetupRow::Text(*page.MessageModel(), row, SetupRow::ColName) + (row == page.CurrentRow() ? "*" : "");
    return names.join(", ");
}

} // namespace

class SetupTest : public QObject
{
    Q_OBJECT

private slots:
    // o adds an outgoing message, c an incoming one, q closes the question,
    // k answers Cancel;
    // d duplicate, x delete, u up, n down, s<row> select.
    void flows_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("changes");
        const QString in = "Incoming - SetupMessage", out = "Outgoing - SetupMessage";
        QTest::newRow("numbered by count") << "o c" << out + "1, " + in + "2*" << "Incoming" << 2;
        QTest::newRow("cancelled") << "o q k" << out + "1*" << "Outgoing" << 1;
        QTest::newRow("copy keeps the kind") << "c d" << in + "1, " + in + "1Copy*" << "Incoming" << 2;
        QTest::newRow("delete shows the next") << "o c s0 x" << in + "2*" << "Incoming" << 3;
        QTest::newRow("move up") << "o c u" << in + "2*, " + out + "1" << "Incoming" << 3;
        QTest::newRow("nothing current") << "o s-1 d x u n" << out + "1" << "Empty" << 1;
    }
    void flows()
    {
        QFETCH(QString, script);
        ScriptedPrompts prompts;
        QStandardItemModel variables;
        TRVSetup page(nullptr, &variables);
        QSignalSpy changes(&page, &TRVSetup::savableDataChanged);
        const QMap<QString, QString> buttons = {{"d", "m_pButDupSetupMessage"}, {"x", "m_pButDeleteSetupMessage"},
            {"u", "m_pButMoveSetupMessageUp"}, {"n", "m_pButMoveSetupMessageDown"}};
        for (const QString& step : script.split(' ')) {
            if (step.startsWith('s')) {
                page.SelectRow(step.mid(1).toInt());
            } else if (step == "o" || step == "c" || step == "q" || step == "k") {
                prompts.Answer(step == "o" ? 0 : step == "c" ? 1 : step == "k" ? 2 : -1);
                page.findChild<QPushButton*>("m_pButAddSetupMessage")->click();
            } else {
                page.findChild<QPushButton*>(buttons[step])->click();
            }
        }
        QTEST(Names(page), "names");
        QTEST(page.findChild<QStackedWidget*>("m_pStkSetupMessage")->currentWidget()->objectName().mid(12), "page");
        QTEST(int(changes.count()), "changes");
        QCOMPARE(prompts.calls.value(0).title, QString("Add Setup Message"));
        QCOMPARE(prompts.calls.value(0).choices, (QStringList{"Outgoing Message", "Incoming Response", "Cancel"}));
    }

    // The real question box: Escape adds nothing.
    void escapeCancelsTheQuestion()
    {
        QStandardItemModel variables;
        TRVSetup page(nullptr, &variables);
        bool asked = false, closed = false;
        QTimer::singleShot(0, [&asked, &closed] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                asked = true;
                QTest::keyClick(box, Qt::Key_Escape);
                closed = !box->isVisible();
                if (!closed)
                    box->close();
            }
        });
        page.findChild<QPushButton*>("m_pButAddSetupMessage")->click();
        QVERIFY(asked);
        QVERIFY(closed);
        QCOMPARE(page.MessageModel()->rowCount(), 0);
    }

    // Every row change hands the editors the row's manual flag and texts, so
    // nothing of one row is reported into another, and showing is no edit.
    void rowChangesHandOverTexts()
    {
        QStandardItemModel variables;
        TRVSetup page(nullptr, &variables);
        QStandardItemModel& rows = *page.MessageModel();
        const auto append = [&](int kind, const QString& format, const QString& args, const QString& manual) {
            const int row = SetupRow::AppendNew(rows, kind, &page, &variables);
            for (const auto& [column, text] : {std::pair{SetupRow::ColFormatOrRegexp, format},
                                               {SetupRow::ColArgsOrExample, args}, {SetupRow::ColManEdit, manual}})
                SetupRow::SetText(rows, row, column, text);
            return row;
        };
        const int manual = append(SetupRow::KindOutgoing, "LOGIN %s\\r", "User", "true");
        const int generated = append(SetupRow::KindOutgoing, "HELLO", "", "false");
        OutgoingSSModel_c& substrings = *SetupRow::Outgoing(rows, generated);
        substrings.SetText(substrings.AppendSubstring("Substring0", OutgoingSSModel_c::TypeConstant),
                           OutgoingSSModel_c::ColConstText, "HELLO");
        RefreshAllRows(substrings);
        const int incoming = append(SetupRow::KindIncoming, "OK.*", "OK 1", "true");
        QSignalSpy changes(&page, &TRVSetup::savableDataChanged);
        const auto texts = [&](int row) {
            return QStringList{SetupRow::Text(rows, row, SetupRow::ColFormatOrRegexp),
                               SetupRow::Text(rows, row, SetupRow::ColArgsOrExample),
                               SetupRow::Text(rows, row, SetupRow::ColManEdit)};
        };
        for (int row : {manual, generated, incoming, manual, generated}) {
            page.SelectRow(row);
            QCOMPARE(texts(manual), (QStringList{"LOGIN %s\\r", "User", "true"}));
            QCOMPARE(texts(generated), (QStringList{"HELLO", "", "false"}));
            QCOMPARE(texts(incoming), (QStringList{"OK.*", "OK 1", "true"}));
        }
        QVERIFY(!page.OutgoingEditor()->IsManualEdit());
        QCOMPARE(page.OutgoingEditor()->Format(), QString("HELLO"));
        page.SelectRow(manual);
        QCOMPARE(page.OutgoingEditor()->Args(), QString("User"));
        page.SelectRow(incoming);
        QVERIFY(page.IncomingEditor()->IsManualEdit());
        QCOMPARE(page.IncomingEditor()->MatchStatus(), QString("<font color='green'>A Match!</font>"));
        QCOMPARE(changes.count(), 0);
    }
};

TARVO_REGISTER_TEST(SetupTest);

#include "setup_test.moc"

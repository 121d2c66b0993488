#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <QRegExp>

#include <climits>
#include <functional>

#include "editors/incoming/incomingssexample.h"
#include "editors/incoming/incomingssmatch.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/incoming/incomingssrunner.h"
#include "editors/incoming/incomingssstore.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/functions/trvinsertfunction.h"
#include "editors/variables/trvvariables.h"
#include "model/document/productdatadocument.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace SS = IncomingSS;

namespace {

// One substring row as the tests write it; name is a variable's or a local's.
struct Row
{
    int type = SS::TypeConstant;
    QString text;
    int chars = SS::CharsUnset;
    QString min, max, name, op;
};

Row C(const QString& text) { return {SS::TypeConstant, text, SS::CharsUnset, {}, {}, {}, {}}; }
Row W(int chars, const QString& min = {}, const QString& max = {}) { return {SS::TypeWildcard, {}, chars, min, max, {}, {}}; }
Row V(const QString& name, int chars, const QString& min = {}, const QString& max = {}, const QString& op = {})
{
    return {SS::TypeVariable, {}, chars, min, max, name, op};
}
Row L(const QString& name, int chars, const QString& min = {}, const QString& max = {}, const QString& op = {})
{
    return {SS::TypeLocal, {}, chars, min, max, name, op};
}

// The device variables: name and initial value.
void FillVariables(QStandardItemModel& variables)
{
    for (const auto& [name, initial] : {std::pair{"Lamp", ""}, {"Offset", "100"}, {"Prefix", "\\xC3\\x89"}, {"Mode", ""}})
        variables.appendRow({new QStandardItem(name), new QStandardItem("2"), new QStandardItem(initial)});
}

void Build(QStandardItemModel& model, const QStandardItemModel& variables, const QList<Row>& rows)
{
    for (const Row& row : rows) {
        const int index = model.rowCount();
        model.appendRow(SS::NewRow(index, row.type));
        SS::SetText(model, index, SS::ColConstant, row.text);
        SS::SetText(model, index, SS::ColCharTypes, QString::number(row.chars));
        SS::SetText(model, index, SS::ColMinimum, row.min);
        SS::SetText(model, index, SS::ColMaximum, row.max);
        SS::SetText(model, index, SS::ColOperation, row.op);
        const bool operation = row.type == SS::TypeLocal || !row.op.isEmpty();
        SS::SetText(model, index, SS::ColOperationOn, operation ? "true" : "false");
        if (row.type == SS::TypeLocal)
            SS::SetText(model, index, SS::ColVariable, row.name);
        if (row.type == SS::TypeVariable)
            SS::SetLinkedVariable(model, index, variables.findItems(row.name).value(0));
    }
    SS::UpdateAllRowPatterns(model);
}

// Everything a row keeps, the link by the linked item's name.
QStringList Describe(const QStandardItemModel& model, const QStandardItemModel& variables)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = SS::ColPattern; column <= SS::ColOperationOn; ++column)
            cells << SS::Text(model, row, column);
        const QStandardItem* link = SS::LinkedVariable(model, row, &variables);
        rows << cells.join(u'¦') + " ->" + (link ? link->text() : QString());
    }
    return rows;
}

QByteArray StoredMessage(const QStandardItemModel& model, const QStandardItemModel& variables, std::string* file)
{
    ProductDataDocument_c document;
    ProductDataMessage_c* message = document.ProductData()->FirstProtocol()->Commands()->Item(0, true)
                                        ->Messages()->Item(0, true);
    message->SetIncoming(true);
    message->SetText("LAMP 01234\\r");
    StoreIncomingSubstrings(model, &variables, *message);
    KorBuffer_c buffer;
    document.SaveXML(&buffer);
    *file = std::string(buffer.View());
    const QByteArray bytes = QByteArray::fromStdString(*file);
    const qsizetype start = bytes.indexOf("<message ");
    return bytes.mid(start, bytes.indexOf("</message>") + 10 - start);
}

} // namespace

Q_DECLARE_METATYPE(Row)

class IncomingTest : public QObject
{
    Q_OBJECT

    QStandardItemModel m_Variables;

private slots:
    void initTestCase() { FillVariables(m_Variables); }

    // Patterns per row type; a constant's pattern matches exactly its text
    // as the device sends it, and the stored form reduces to the text again.
    void rowPatterns_data()
    {
        QTest::addColumn<Row>("row");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("escape stays one") << C("OK\\r") << "OK\\r";
        QTest::newRow("dot") << C("a.b") << "a\\.b";
        QTest::newRow("specials") << C("$()*+.?[]^{|}") << "\\$\\(\\)\\*\\+\\.\\?\\[\\]\\^\\{\\|\\}";
        QTest::newRow("quotes") << C("say \"hi\" 'x'") << "say \\\"hi\\\" \\'x\\'";
        QTest::newRow("hex and tab") << C("\\x0D\\t") << "\\x0D\\t";
        QTest::newRow("hex before hex digits") << C("\\x1BA\\x0D0A\\x00") << "\\x001BA\\x000D0A\\x00";
        QTest::newRow("plain backslash") << C("C:\\path\\") << "C:\\\\path\\\\";
        QTest::newRow("backslash before escape") << C("\\\\n") << "\\\\\\n";
        QTest::newRow("any 0 0") << W(SS::CharsAny, "0", "0") << ".*";
        QTest::newRow("any empty min") << W(SS::CharsAny, "", "5") << ".{,5}";
        QTest::newRow("digits 2 2") << W(SS::CharsDigits, "2", "2") << "[0-9]{2,2}";
        QTest::newRow("open maximum") << W(SS::CharsLetters, "3", "") << "[A-Za-z]{3,}";
        QTest::newRow("wildcard none") << W(SS::CharsNone, "1", "2") << "";
        QTest::newRow("wildcard unset") << W(SS::CharsUnset) << "";
        QTest::newRow("variable letters") << V("Lamp", SS::CharsLetters, "1", "8") << "([A-Za-z]{1,8})";
        QTest::newRow("local none") << L("x", SS::CharsNone) << "()";
        QTest::newRow("unknown type") << Row{7, "abc", SS::CharsUnset, {}, {}, {}, {}} << "";
    }

    void rowPatterns()
    {
        QFETCH(Row, row);
        QFETCH(QString, pattern);
        QStandardItemModel model;
        Build(model, m_Variables, {row});
        QCOMPARE(SS::Text(model, 0, SS::ColPattern), pattern);
        if (row.type == SS::TypeConstant) {
            IncomingMatcher matcher;
            bool checked = false;
            QVERIFY(matcher.ExactMatch(pattern, SS::UnescapeExample(row.text), &checked));
            QCOMPARE(SS::ReduceConstantPattern(pattern), row.text);
        }
    }

    // Status, captures and results, as QRegExp matches them.
    void refresh_data()
    {
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<QString>("example");
        QTest::addColumn<QString>("capture");  // the capture expression
        QTest::addColumn<bool>("match");
        QTest::addColumn<QStringList>("captures");
        QTest::addColumn<QStringList>("results");
        const QList<Row> lamp = {C("LAMP "), V("Lamp", SS::CharsDigits, "1", "5"), C(" hours\\r")};
        QTest::newRow("hex escape ends the reply")
            << lamp << "LAMP 01234 hours\\x0D" << "(LAMP )([0-9]{1,5})( hours\\r)" << true
            << QStringList{"LAMP ", "01234", " hours\\r"} << QStringList{"LAMP ", "01234", " hours\\r"};
        QTest::newRow("no match") << (lamp + QList<Row>{L("x", SS::CharsNone, "", "", "1+1")}) << "LAMP 01234 hours"
                                  << "" << false << QStringList{"-", "-", "-", "-"} << QStringList{"-", "-", "-", ""};
        QTest::newRow("found inside, not a whole match")
            << lamp << "xxLAMP 7 hours\\r!" << "" << false << QStringList{"LAMP ", "7", " hours\\r"}
            << QStringList{"LAMP ", "7", " hours\\r"};
        QTest::newRow("none contributes an empty group")
            << QList<Row>{C("A"), W(SS::CharsNone), W(SS::CharsAny)} << "A\\x01\\xFF" << "(A)()(.*)" << true
            << QStringList{"A", "", "\\x01\\xFF"} << QStringList{"A", "", "\\x01\\xFF"};
        // Typed text is matched as its UTF-8 bytes, as the controller receives it.
        QTest::newRow("UTF-8 text, escaped bytes, byte counts")
            << QList<Row>{C("€="), V("Mode", SS::CharsAny, "3", "3")} << "€=\\xE2\\x82\\xAC" << "" << true
            << QStringList{"€=", "€"} << QStringList{"€=", "€"};
        QTest::newRow("an escape is one byte of a character")
            << QList<Row>{C("\\xE2"), W(SS::CharsAny)} << "€" << "" << true << QStringList{"\\xE2", "\\x82\\xAC"}
            << QStringList{"\\xE2", "\\x82\\xAC"};
        QTest::newRow("greedy first") << QList<Row>{W(SS::CharsAny), V("Mode", SS::CharsAny)} << "abc"
                                      << "(.*)(.*)" << true << QStringList{"abc", ""} << QStringList{"abc", ""};
        QTest::newRow("empty example") << QList<Row>{W(SS::CharsAny)} << "" << "" << true << QStringList{""}
                                       << QStringList{""};
        QTest::newRow("does not compile") << QList<Row>{W(SS::CharsDigits, "5", "2")} << "123" << "" << false
                                          << QStringList{"-"} << QStringList{"-"};
        QTest::newRow("operations over rows above and device variables")
            << QList<Row>{C("LAMP "), V("Lamp", SS::CharsDigits, "1", "5", "Lamp + Offset"),
                          L("half", SS::CharsNone, "", "", "Lamp / 2"),
                          L("tag", SS::CharsLetters, "", "", "half + Length(tag)"),
                          V("Mode", SS::CharsAny, "", "", "xor(\"AB\") & Prefix")}
            << "LAMP 01234abc" << "" << true << QStringList{"LAMP ", "01234", "", "abc", ""}
            << QStringList{"LAMP ", "1334", "667", "670", "\\x03\\x00\\x00\\x00 É"};
    }

    void refresh()
    {
        QFETCH(QList<Row>, rows);
        QFETCH(QString, example);
        QFETCH(QString, capture);
        QFETCH(bool, match);
        QFETCH(QStringList, captures);
        QFETCH(QStringList, results);
        QStandardItemModel model;
        Build(model, m_Variables, rows);
        if (!capture.isEmpty())
            QCOMPARE(SS::CaptureExpression(model), capture);
        IncomingMatcher matcher;
        const SS::ResponseState state = SS::RefreshResponse(model, &m_Variables, example, matcher);
        QCOMPARE(state.format, SS::ResponseFormat(model));
        QCOMPARE(state.match, match);
        QVERIFY(state.checked);
        QStringList gotCaptures, gotResults;
        for (int row = 0; row < model.rowCount(); ++row) {
            gotCaptures << SS::Text(model, row, SS::ColCaptured);
            gotResults << SS::Text(model, row, SS::ColResult);
        }
        QCOMPARE(gotCaptures, captures);
        QCOMPARE(gotResults, results);
    }

    void unescape_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");  // display-escaped
        QTest::newRow("named") << "a\\r\\n\\tb" << "a\\r\\n\\tb";
        QTest::newRow("hex, either case") << "\\x0d\\x0A\\x7f\\xe9" << "\\r\\n\\x7F\\xE9";
        QTest::newRow("made escape is read again") << "\\x5Cx41" << "A";
        QTest::newRow("cascade from the left") << "\\x5C\\x78\\x34\\x31" << "A";
        QTest::newRow("incomplete") << "\\x4 \\xG1 \\" << "\\x4 \\xG1 \\";
    }

    void unescape()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QCOMPARE(SS::DisplayEscape(SS::UnescapeExample(typed)), shown);
    }

    // Every row type in mixed orders comes back from a saved file as it was.
    void storeLoad_data()
    {
        QTest::addColumn<QList<Row>>("rows");
        QTest::addColumn<QString>("golden");
        QTest::newRow("every kind") << QList<Row>{V("Lamp", SS::CharsDigits, "1", "5"), C("LAMP \"x\"\\r"),
                                                  V("Offset", SS::CharsAny, "", "", "Offset * 2 + Offset"),
                                                  W(SS::CharsLetters, "2", "2"), L("t", SS::CharsDigits, "", "3", "t"),
                                                  L("u", SS::CharsNone, "", "", "t + 1"), V("Mode", SS::CharsAny),
                                                  C("a.b\\\\c"), V("Prefix", SS::CharsLetters, "1", "", "Prefix")}
                                    << "incoming/every-kind.xml";
        QTest::newRow("variables only") << QList<Row>{V("Mode", SS::CharsAny, "", "", "Mode"), V("Lamp", SS::CharsAny),
                                                      V("Mode", SS::CharsDigits, "2", "2")}
                                        << "";
        QTest::newRow("local named like a variable") << QList<Row>{L("Lamp", SS::CharsNone, "", "", "1"),
                                                                   V("Lamp", SS::CharsAny, "", "", "Lamp - 1"),
                                                                   L("Lamp", SS::CharsAny, "", "", "Lamp + 2")}
                                                     << "";
        QTest::newRow("variable without a link") << QList<Row>{C("="), V("Gone", SS::CharsAny, "", "", "x")} << "";
    }

    void storeLoad()
    {
        QFETCH(QList<Row>, rows);
        QFETCH(QString, golden);
        QStandardItemModel model, loaded;
        Build(model, m_Variables, rows);
        std::string file;
        const QByteArray stored = StoredMessage(model, m_Variables, &file);
        if (!golden.isEmpty()) {
            QFile expected(QStringLiteral(TARVO_TEST_DATA_DIR "/") + golden);
            QVERIFY(expected.open(QIODevice::ReadOnly));
            QCOMPARE(stored, expected.readAll().trimmed());
        }
        ProductDataDocument_c document;
        KorBuffer_c buffer;
        buffer.Assign(file.data(), int32_t(file.size()));
        document.LoadXML(&buffer);
        ProductDataMessage_c* message =
            document.ProductData()->FirstProtocol()->Commands()->Item(0)->Messages()->Item(0);
        QCOMPARE(LoadIncomingSubstrings(*message, loaded, &m_Variables), QStringLiteral("LAMP 01234\\r"));
        QCOMPARE(Describe(loaded, m_Variables), Describe(model, m_Variables));
    }

    // Work that would freeze the window is refused; a long reply is not.
    void guards()
    {
        IncomingMatcher matcher;
        bool checked = false;
        QVERIFY(!matcher.ExactMatch("(abc", "abc", &checked));
        QVERIFY(checked);
        QVERIFY(IncomingMatcher::PatternSize("(.{0,10}){0,1000}") > IncomingMatcher::PatternSizeLimit);
        QVERIFY(IncomingMatcher::PatternSize(QString("([0-9]{1,1000})").repeated(40)) <=
                IncomingMatcher::PatternSizeLimit);
        QVERIFY(!matcher.ExactMatch("(.{0,10}){0,1000}", "abc", &checked));

        // Generous, so a busy machine cannot make the forecast refuse.
        IncomingMatcher patient(2000);
        const QString reply = "LAMP 123 " + QString(100 * 1024, QChar('x'));
        QStandardItemModel model;
        Build(model, m_Variables, {C("LAMP "), V("Lamp", SS::CharsDigits, "1", "5"), W(SS::CharsAny)});
        SS::ResponseState state = SS::RefreshResponse(model, &m_Variables, reply, patient);
        QVERIFY(state.match && state.checked);
        QCOMPARE(SS::Text(model, 2, SS::ColCaptured).size(), reply.size() - 8);

        // A failed search restarts at every position of a 100 KB reply.
        QStandardItemModel slow;
        Build(slow, m_Variables, {W(SS::CharsAny), C("(a*)*b")});
        SS::SetText(slow, 1, SS::ColPattern, "((a*)*b)");
        state = SS::RefreshResponse(slow, &m_Variables, QString(100 * 1024, QChar('a')), patient);
        QVERIFY(!state.match);
        QVERIFY(!state.checked);
        QCOMPARE(SS::Text(slow, 0, SS::ColCaptured), QStringLiteral("-"));
    }

    // The capture search over plain rows finds what QRegExp's own search
    // finds, span and groups, without restarting at every position.
    void plainSearch_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("no match after digits") << "([0-9]*)(END)" << QString(40, 'x') + QString(40, '7');
        QTest::newRow("match late") << "(.*)([0-9]{2,3})(;)" << "ab12;cd3456;";
        QTest::newRow("leftmost then longest") << "([A-Za-z]+)(=)([0-9]*)" << "12 ab=1 cd=22";
        QTest::newRow("empty match at 0") << "([0-9]*)" << "abc";
        QTest::newRow("bounded runs") << "([0-9]{1,2})([0-9]{0,3})(x?)" << "--123456x";
        QTest::newRow("escapes") << "(\\x41\\r)(.{2,})(\\.)" << "zzA\r12.3.";
        QTest::newRow("hex reads on") << "(\\x0041)(B)" << "AB";
        QTest::newRow("exact count") << "(a{3})(b+)" << "aabaaabbb";
        QTest::newRow("nothing") << "(q)(r)" << "abc";
        QTest::newRow("dot takes a line break") << "(a.b)(;?)" << "xa\nb;";
        QTest::newRow("whole") << "(LAMP )([0-9]{1,5})(.*)" << "LAMP 123 on";
    }
    void plainSearch()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        qsizetype start = 0, end = 0;
        QVERIFY(IncomingMatcher::PlainSpan(pattern, text, &start, &end));
        QRegExp rx(pattern, Qt::CaseSensitive, QRegExp::RegExp2);
        QVERIFY(rx.isValid());
        const int position = rx.indexIn(text);
        QCOMPARE(start, qsizetype(position));
        if (position >= 0)
            QCOMPARE(end - start, qsizetype(rx.matchedLength()));
        IncomingMatcher matcher;
        QStringList captures;
        bool checked = false;
        QCOMPARE(matcher.Search(pattern, text, rx.captureCount(), &captures, &checked), position >= 0);
        QVERIFY(checked);
        if (position >= 0)
            QCOMPARE(captures, rx.capturedTexts().mid(1));
        // Repeated groups, alternatives and other classes go to QRegExp's search.
        for (const char* other : {"(ab)*", "a|b", "^a", "[a-c]", "\\d", "(?:a)"})
            QVERIFY(!IncomingMatcher::PlainSpan(other, text, &start, &end));
    }

    // Only the latest match is reported; a cancelled one never is; one past
    // its budget is reported as not checked.
    void runner()
    {
        const auto job = [](const QString& example, const QString& format) {
            return SS::PrepareCheck(format, example);
        };
        IncomingMatchRunner runner;
        QSignalSpy finished(&runner, &IncomingMatchRunner::finished);
        QSignalSpy abandoned(&runner, &IncomingMatchRunner::abandoned);
        runner.Start(job("abc", "x"));
        const quint64 latest = runner.Start(job("abc", "a.c"));
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toULongLong(), latest);
        QVERIFY(!runner.Pending());
        // The stale job's own delivery, still queued, is dropped.
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);

        runner.Start(job("abc", "abc"));
        runner.Cancel();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(abandoned.count(), 0);
        QVERIFY(runner.Wait(0));

        // Forty (.*) over 100 KB: far past a 1 ms budget, refused or abandoned.
        IncomingMatchRunner hasty(1);
        QSignalSpy hastyFinished(&hasty, &IncomingMatchRunner::finished);
        QSignalSpy hastyAbandoned(&hasty, &IncomingMatchRunner::abandoned);
        hasty.Start(job(QString(100 * 1024, 'a'), QString("(.*)").repeated(40) + "b"));
        QTRY_COMPARE_WITH_TIMEOUT(hastyFinished.count() + hastyAbandoned.count(), 1, 20000);
        const QSignalSpy& reported = hastyFinished.isEmpty() ? hastyAbandoned : hastyFinished;
        const auto outcome = reported.at(0).at(1).value<SS::MatchOutcome>();
        QVERIFY(!outcome.match);
        QVERIFY(!outcome.checked);
    }

    void dropsDanglingLinks()
    {
        QStandardItemModel variables, model;
        FillVariables(variables);
        Build(model, variables, {V("Offset", SS::CharsAny), V("Mode", SS::CharsAny)});
        variables.removeRow(1);
        QCOMPARE(SS::ReceivingName(model, 0, &variables), QString());
        SS::CleanupVars(model, &variables);
        QVERIFY(!model.item(0, SS::ColVariable)->data(SS::LinkRole).value<QStandardItem*>());
        QCOMPARE(SS::LinkedVariable(model, 1, &variables)->text(), QStringLiteral("Mode"));
    }

    // The page: edits through its fields, Add Selection, manual edit.
    void page()
    {
        ScriptedPrompts prompts;
        QStandardItemModel variables;
        FillVariables(variables);
        TRVEventIncomingSS page(&variables, nullptr);
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        QStandardItemModel* model = TRVEventIncomingSS::NewModel(&page);
        Build(*model, variables, {C("LAMP ")});
        // No response shown, then the same model twice: nothing to show, nothing lost.
        page.SetModel(nullptr, QString());
        page.SetModel(model, "LAMP 1234\\r");
        page.SetModel(model, "LAMP 1234\\r");
        QCOMPARE(page.MatchStatus(), QStringLiteral("<font color='red'>Not a Match!</font>"));

        page.SelectRow(0);
        auto* text = page.findChild<QLineEdit*>("m_pEditIncomingSSText");
        text->setFocus();
        text->selectAll();
        QTest::keyClicks(text, "LAMP 1234\\r");
        QCOMPARE(page.Format(), QStringLiteral("LAMP 1234\\r"));
        QCOMPARE(page.MatchStatus(), QStringLiteral("<font color='green'>A Match!</font>"));

        QTest::keyClick(text, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(text, "LAMP ");
        auto* example = page.findChild<QLineEdit*>("m_pEditExampleIncomingReponse");
        QTest::mouseClick(page.findChild<QPushButton*>("m_pButAddSelectionAsSS"), Qt::LeftButton);
        QCOMPARE(prompts.calls.takeFirst().title, QStringLiteral("No Text Selected"));
        example->setFocus();
        example->setSelection(5, 4);
        prompts.Answer(2).Answer(4);
        QTest::mouseClick(page.findChild<QPushButton*>("m_pButAddSelectionAsSS"), Qt::LeftButton);
        QTest::mouseClick(page.findChild<QPushButton*>("m_pButAddIncomingSS"), Qt::LeftButton);
        QCOMPARE(prompts.calls.value(0).text, QStringLiteral("What type of substring is \"1234\"?"));
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(SS::Text(*model, 1, SS::ColPattern), QStringLiteral("([0-9]{4,4})"));
        QCOMPARE(page.Format(), QStringLiteral("LAMP ([0-9]{4,4})"));
        QCOMPARE(SS::Text(*model, 1, SS::ColCaptured), QStringLiteral("1234"));

        // A typed expression is checked against the example as either changes,
        // and replaced by the generated one when manual edit ends.
        QSignalSpy manual(&page, &TRVEventIncomingSS::manEditToggled);
        page.SetManual(true, "LAMP [0-9]+\\r");
        QCOMPARE(manual.count(), 1);
        QCOMPARE(page.MatchStatus(), QStringLiteral("<font color='green'>A Match!</font>"));
        example->setText("LAMP 12");
        QCOMPARE(page.MatchStatus(), QStringLiteral("<font color='red'>Not a Match!</font>"));
        QVERIFY(!page.findChild<QTableView*>("m_pListIncomingSS")->isEnabled());
        page.findChild<QCheckBox*>("m_pChkIncomingManEdit")->setChecked(false);
        QCOMPARE(page.Format(), QStringLiteral("LAMP ([0-9]{4,4})"));

        // Moving from a variable to a local fills every field of the local.
        example->setText("LAMP 1234");
        Build(*model, variables, {L("n", SS::CharsNone, "", "", "2*3")});
        page.SelectRow(1);
        page.SelectRow(2);
        QCOMPARE(page.findChild<QLineEdit*>("m_pEditSSVarArithmetic")->text(), QStringLiteral("2*3"));
        QCOMPARE(page.findChild<QLineEdit*>("m_pEditVarArithResult")->text(), QStringLiteral("6"));
        QCOMPARE(page.findChild<QLineEdit*>("m_pEditSSLocal")->text(), QStringLiteral("n"));

        // Insert Function and Add Variable reach the row and the shared model.
        QTimer::singleShot(0, &page, [&page] {
            auto* dialog = page.findChild<TRVInsertFunction*>();
            dialog->findChild<QListWidget*>()->setCurrentRow(0);
            dialog->accept();
        });
        page.findChild<QLineEdit*>("m_pEditSSVarArithmetic")->setCursorPosition(0);
        page.on_m_pButInsertFunction_clicked();
        QCOMPARE(SS::Text(*model, 2, SS::ColOperation), QStringLiteral("Mod(<dividend>, <divisor>)2*3"));
        QTimer::singleShot(0, &page, [] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<TRVVariables*>(top) && top->isVisible())
                    top->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            }
        });
        QSignalSpy changed(&page, &TRVEventIncomingSS::savableDataChanged);
        page.on_m_pButAddEditVariable_clicked();
        QCOMPARE(variables.rowCount(), 5);
        QCOMPARE(changed.count(), 1);
    }

    // A long example is typed through a slice of it: every edit reaches the
    // whole example at its place, once, whatever slice the field holds.
    void longExample()
    {
        QCOMPARE(SS::SpanAround(100, 50, 40, 20), (SS::ExampleSpan{20, 50}));
        QCOMPARE(SS::SpanAround(100, 5, 95, 20), (SS::ExampleSpan{0, 100}));
        QVERIFY(SS::SpanSuits({20, 50}, 100, 45, 45, 20, 10));
        QVERIFY(SS::SpanSuits({0, 30}, 100, 2, 2, 20, 10));      // the text's own edge
        QVERIFY(!SS::SpanSuits({20, 50}, 100, 25, 25, 20, 10));  // too near an inner edge
        QVERIFY(!SS::SpanSuits({0, 100}, 200, 50, 50, 20, 10));  // far longer than needed

        TRVEventIncomingSS page(&m_Variables, nullptr);
        page.show();
        page.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        QStandardItemModel* model = TRVEventIncomingSS::NewModel(&page);
        Build(*model, m_Variables, {W(SS::CharsAny)});
        QString expected;
        for (int i = 0; expected.size() < 40000; ++i)
            expected += QString::number(i) + (i % 100 ? "," : "\\x0D");
        page.SetModel(model, expected);
        page.SetModel(model, expected);
        auto* whole = page.findChild<QLineEdit*>("m_pEditExampleIncomingReponse");
        auto* part = page.findChild<QLineEdit*>("m_pEditExampleIncomingPart");
        QVERIFY(whole->isHidden() && !part->isHidden());
        QCOMPARE(page.Example(), expected);
        QSignalSpy changed(&page, &TRVEventIncomingSS::exampleChanged);

        const auto shown = [&] { return whole->isHidden() ? part : whole; };
        const auto moveTo = [&](int position) {
            shown()->setCursorPosition(position);
            QCoreApplication::processEvents();
        };
        struct Step
        {
            const char* name;
            std::function<void()> move;
            QString typed;  // or one key
            Qt::Key key = Qt::Key_unknown;
            qsizetype at = -1;  // where the move puts the cursor; INT_MAX: at the end
        };
        const QList<Step> steps = {
            {"appended", [&] { QTest::keyClick(shown(), Qt::Key_End); }, "END", Qt::Key_unknown, INT_MAX},
            {"prepended", [&] { QTest::keyClick(shown(), Qt::Key_Home); }, "<", Qt::Key_unknown, 0},
            {"past the first slice", [&] { for (int i = 0; i < 3; ++i) moveTo(int(part->text().size()) - 1); }, "mid"},
            {"selection across a new slice",
             [&] {
                 moveTo(int(part->text().size()) - 4);
                 for (int i = 0; i < 9; ++i) {
                     QTest::keyClick(part, Qt::Key_Right, Qt::ShiftModifier);
                     QCoreApplication::processEvents();
                 }
             },
             "sel"},
            {"backspace where the slice began", [&] { moveTo(0); }, {}, Qt::Key_Backspace},
            {"delete at the end", [&] { QTest::keyClick(shown(), Qt::Key_End); }, {}, Qt::Key_Delete},
            {"all selected, typed over", [&] { QTest::keyClick(shown(), Qt::Key_A, Qt::ControlModifier); }, "x"},
        };
        for (const Step& step : steps) {
            step.move();
            // Where the field's text sits in the example: the selection made on it.
            QLineEdit* field = shown();
            const qsizetype offset = expected.indexOf(field->text());
            const qsizetype cursor = offset + field->cursorPosition();
            const qsizetype from = field->hasSelectedText() ? offset + field->selectionStart() : cursor;
            const qsizetype length = field->hasSelectedText() ? field->selectionLength() : 0;
            if (step.at >= 0)
                QCOMPARE(cursor, std::min(step.at, expected.size()));
            const bool noop = step.key == Qt::Key_Delete && !length && cursor == expected.size();
            changed.clear();
            if (step.key == Qt::Key_unknown)
                QTest::keyClicks(field, step.typed);
            else
                QTest::keyClick(field, step.key);
            QCoreApplication::processEvents();
            if (length || !step.typed.isEmpty())
                expected.replace(from, length, step.typed);
            else if (!noop)
                expected.remove(step.key == Qt::Key_Backspace ? cursor - 1 : cursor, 1);
            QVERIFY2(page.Example() == expected, step.name);
            QCOMPARE(changed.count(), noop ? 0 : std::max<qsizetype>(step.typed.size(), 1));
            QCOMPARE(changed.count() ? changed.last().at(0).toString() : expected, expected);
            QCOMPARE(whole->isHidden(), expected.size() > 8192);
        }

        // A selection in the slice is the one Add Selection offers.
        page.SetModel(model, expected + QString(40000, 'y'));
        part->setFocus();
        part->setSelection(3, 5);
        QCOMPARE(page.findChild<QPushButton*>("m_pButAddSelectionAsSS")->toolTip(), "Add \"yyyyy\" as Substring");
    }
};

TARVO_REGISTER_TEST(IncomingTest);
#include "incoming_test.moc"

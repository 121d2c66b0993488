#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "editors/functions/functionhelp.h"
#include "editors/functions/trvinsertfunction.h"
#include "testregistry.h"

namespace {

QString Html(const char* templatePrefix)
{
    for (const FunctionHelpEntry* entry = kFunctionHelp; *entry->callTemplate; ++entry) {
        if (QString::fromUtf8(entry->callTemplate).startsWith(QLatin1String(templatePrefix)))
            return FunctionHelpHtml(*entry);
    }
    return {};
}

} // namespace

class InsertFunctionTest : public QObject
{
    Q_OBJECT

private slots:
    void runReturnsTheChosenTemplate()
    {
        TRVInsertFunction dialog;
        auto* list = dialog.findChild<QListWidget*>("m_pListFunctions");
        auto* label = dialog.findChild<QLabel*>("m_pLabelInfo");
        auto* buttons = dialog.findChild<QDialogButtonBox*>("m_pButtonBox");
        QVERIFY(list && label && buttons);
        const struct
        {
            int row;
            QDialogButtonBox::StandardButton button;  // NoButton: double-click the row
            QString expected;
        } runs[] = {
            {0, QDialogButtonBox::Cancel, ""},
            {-1, QDialogButtonBox::Ok, ""},
            {0, QDialogButtonBox::Ok, "Mod(<dividend>, <divisor>)"},
            {4, QDialogButtonBox::NoButton, "Length(<string>)"},
        };
        for (const auto& run : runs) {
            int startRow = 0;
            QString startHelp = "?";
            QTimer::singleShot(0, &dialog, [&] {
                // A list taking the focus with no row current would choose its first.
                QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
                QCoreApplication::sendEvent(list, &focusIn);
                startRow = list->currentRow();
                startHelp = label->text();
                list->setCurrentRow(run.row);
                if (run.button == QDialogButtonBox::NoButton)
                    emit list->itemDoubleClicked(list->item(run.row));
                else
                    buttons->button(run.button)->click();
            });
            QTimer::singleShot(5000, &dialog, &QDialog::reject);  // a failed finish must not hang the run
            QCOMPARE(dialog.Run(), run.expected);
            // Every run starts with nothing highlighted and no help.
            QCOMPARE(startRow, -1);
            QCOMPARE(startHelp, QString());
        }
    }

    // Escaped for HTML, line breaks as <br>, and the corrected texts.
    void helpTexts_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("absent");
        QTest::newRow("escaped") << "atoi(" << "&lt;string&gt;: an ASCII string such as &quot;1234&quot;</b>" << "\"";
        QTest::newRow("line breaks") << "Mod(" << "value<br>&lt;divisor&gt;" << "\n";
        QTest::newRow("no argument help") << "Length(" << "<b></b><p>Returns the number" << "<br>";
        QTest::newRow("MD5 digest size") << "MD5(" << "16-byte MD5" << "32-byte";
        QTest::newRow("Replace spelling") << "Replace(" << "each instance of" << "instace";
        QTest::newRow("GetByte parenthesis") << "GetByte(" << "4 = most significant)</b>" << "significant</b>";
        QTest::newRow("ScanList example") << "ScanList(" << "for ScanList(00239102" << "ScanArray";
        QTest::newRow("ScanList line break") << "ScanList(" << "element<br>&lt;endian&gt;" << "element&lt;";
        QTest::newRow("If nested example") << "If(" << "&quot;unknown&quot;))" << "&quot;1&quot;</b>";
    }

    void helpTexts()
    {
        QFETCH(QString, function);
        QFETCH(QString, present);
        QFETCH(QString, absent);
        const QString html = Html(qPrintable(function));
        QVERIFY2(html.contains(present), qPrintable(html));
        QVERIFY2(!html.contains(absent), qPrintable(html));
    }

    void insertionSelectsTheArguments_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("templ");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("cursor");
        QTest::newRow("empty field") << "" << 0 << "Mod(<dividend>, <divisor>)" << "Mod(<dividend>, <divisor>)"
                                     << "<dividend>, <divisor>" << 4;
        QTest::newRow("in a formula") << "a+b" << 2 << "Len(<s>)" << "a+Len(<s>)b" << "<s>" << 6;
        QTest::newRow("past the end") << "x" << 99 << "LSB(<i>)" << "xLSB(<i>)" << "<i>" << 5;
        QTest::newRow("no arguments") << "x" << 0 << "F()" << "F()x" << "" << 2;
    }

    void insertionSelectsTheArguments()
    {
        QFETCH(QString, text);
        QFETCH(int, position);
        QFETCH(QString, templ);
        QLineEdit edit(text);
        QSignalSpy edited(&edit, &QLineEdit::textEdited);
        InsertFunctionTemplate(&edit, position, templ);
        QTEST(edit.text(), "result");
        QTEST(edit.selectedText(), "selected");
        QTEST(edit.cursorPosition(), "cursor");
        QCOMPARE(edited.count(), 1);  // an edit the owner saves like typing
    }
};

TARVO_REGISTER_TEST(InsertFunctionTest);

#include "insertfunction_test.moc"

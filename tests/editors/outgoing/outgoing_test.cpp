#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssrows.h"
#include "editors/outgoing/outgoingssstore.h"
#include "editors/params/paramrows.h"
#include "editors/outgoing/textarithmetic.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/outgoing/trveventoutgoingsschecksum.h"
#include "editors/variables/trvvariables.h"
#include "editors/variables/variablerows.h"
#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "scriptedprompts.h"
#include "testregistry.h"

namespace {

using SS = OutgoingSSModel_c;

// An event with the parameters Volume (integer, example 17) and Input
// (option, example HDMI sent as 3), and the variable Power (initial 1).
struct Event
{
    QStandardItemModel params;
    QStandardItemModel vars;
    SS model;

    Event()
    {
        AppendParamRow(&params, {"Volume", ParamTypeInteger, {}, "17", {}, {}, {}, {}});
        AppendParamRow(&params, {"Input", ParamTypeOption, {}, "HDMI", {}, {}, {}, {{"VGA", "1"}, {"HDMI", "3"}}});
        vars.appendRow(NewVariableRow("Power", false));
        vars.item(0, ColInitial)->setText("1");
        model.SetReferenceModels(&params, &vars);
    }

    // what: a constant's text, or the name of the parameter, variable or local.
    int Add(int type, int format, const QString& what, const QString& chars = {}, const QString& formula = {})
    {
        const int row = model.AppendSubstring("Substring", type);
        model.SetText(row, SS::ColOutputFormat, QString::number(format));
        model.SetText(row, SS::ColConstText, type == SS::TypeConstant ? what : QString());
        model.SetText(row, SS::ColLocalName, type == SS::TypeLocal ? what : QString());
        const QList<QStandardItem*> param = params.findItems(what);
        const QList<QStandardItem*> var = vars.findItems(what);
        model.SetParamRef(row, type == SS::TypeParameter && !param.isEmpty() ? param[0] : nullptr);
        model.SetVarRef(row, type == SS::TypeVariable && !var.isEmpty() ? var[0] : nullptr);
        model.SetText(row, SS::ColOptions, chars.isEmpty() && formula.isEmpty() ? "false" : "true");
        model.SetText(row, SS::ColChars, chars);
        model.SetText(row, SS::ColFormula, formula);
        RefreshRow(model, row);
        return row;
    }

    void Checksum(int row, int function, const QList<int>& rows)
    {
        QList<QStandardItem*> items;
        for (int r : rows)
            items << model.item(r, 0);
        SetChecksumSettings(model, row, function, items);
        RefreshRow(model, row);
    }

    // Everything a row shows and sends, with what it refers to.
    QStringList State(int row) const
    {
        QStringList state;
        for (int column : {SS::ColResult, SS::ColStringRep, SS::ColHexRep, SS::ColFormatPiece, SS::ColArgPiece,
                           SS::ColSSType, SS::ColOutputFormat, SS::ColConstText, SS::ColChecksumType})
            state << model.Text(row, column);
        state << model.RefName(row) << model.data(model.index(row, 0)).toString();
        for (const QStandardItem* covered : model.CoveredRows(row))
            state << QString::number(covered->row());
        return state;
    }
};

QByteArray Save(const SS& model)
{
    ProductDataDocument_c document;
    ProductDataCommand_c* command = document.ProductData()->FirstProtocol()->Commands()->Item(0, true);
    StoreOutgoingSubstrings(model, *command->Messages()->Item(0, true));
    KorBuffer_c buffer;
    document.SaveXML(&buffer);
    return QByteArray(buffer.View().data(), static_cast<qsizetype>(buffer.View().size()));
}

void Load(const QByteArray& bytes, SS& model)
{
    ProductDataDocument_c document;
    KorBuffer_c buffer;
    buffer.Assign(bytes.constData(), static_cast<int32_t>(bytes.size()));
    document.LoadXML(&buffer);
    LoadOutgoingSubstrings(*document.ProductData()->FirstProtocol()->Commands()->Item(0)->Messages()->Item(0), model);
}

QByteArray Golden(const char* name)
{
    QFile file(QStringLiteral(TARVO_TEST_DATA_DIR "/outgoing/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing golden file %s", name);
    return file.readAll().trimmed();
}

template <class T>
T* Child(QWidget& widget, const char* name)
{
    T* child = widget.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("missing widget %s", name);
    return child;
}

} // namespace

class OutgoingTest : public QObject
{
    Q_OBJECT

private slots:
    // Pieces, stored text and bytes of one row; storing and loading it gives the same row.
    void substring_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("chars");
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QStringList>("expected");  // format piece, argument piece, stored result, hex
        QTest::newRow("constant percent") << 3 << 0 << R"(50%\r)" << "" << ""
                                          << QStringList{R"(50\%\r)", "", R"("%s", "50%\r")", "35 30 25 0D"};
        QTest::newRow("constant quotes") << 3 << 0 << R"(a\b "c" 'd')" << "" << ""
                                         << QStringList{R"(a\\b \"c\" \'d\')", "", R"("%s", "a\b "c" 'd'")",
                                                        "61 5C 62 20 22 63 22 20 27 64 27"};
        QTest::newRow("constant escapes") << 3 << 0 << R"(\x02ON\r\n)" << "" << ""
                                          << QStringList{R"(\x02ON\r\n)", "", R"("%s", "\x02ON\r\n")",
                                                         "02 4F 4E 0D 0A"};
        QTest::newRow("constant beyond ASCII") << 3 << 0 << "€" << "" << ""
                                               << QStringList{"€", "", R"("%s", "€")", "E2 82 AC"};
        QTest::newRow("width") << 0 << 1 << "Volume" << "3" << ""
                               << QStringList{"%03d", "Volume", R"("%03d", [Volume])", "30 31 37"};
        QTest::newRow("two-digit width") << 0 << 1 << "Volume" << "12" << ""
                                         << QStringList{"%012d", "Volume", R"("%012d", [Volume])",
                                                        "30 30 30 30 30 30 30 30 30 30 31 37"};
        QTest::newRow("formula") << 0 << 4 << "Volume" << "2" << "Volume*2"
                                 << QStringList{"%02X", "Volume*2", R"("%02X", [Volume]*2)", "32 32"};
        QTest::newRow("formula without name") << 0 << 1 << "Volume" << "" << "100"
                                              << QStringList{"%d", "Volume", R"("%d", [Volume])", "31 37"};
        QTest::newRow("option example") << 0 << 0 << "Input" << "" << ""
                                        << QStringList{"%s", "Input", R"("%s", [Input])", "33"};
        QTest::newRow("variable value") << 1 << 5 << "Power" << "" << ""
                                        << QStringList{"%p", "Power", R"("%p", [Power])", "01"};
        QTest::newRow("local") << 2 << 1 << "Offset" << "" << "5*4"
                               << QStringList{"%d", "Offset", R"("%d", [Offset])", "32 30"};
        QTest::newRow("unnamed local") << 2 << 3 << "" << "" << "254"
                                       << QStringList{"%x", "254", R"("%x", 254)", "66 65"};
        QTest::newRow("no output") << 0 << 6 << "Volume" << "" << "" << QStringList{"", "", R"("", [Volume])", ""};
    }

    void substring()
    {
        QFETCH(int, type);
        QFETCH(int, format);
        QFETCH(QString, what);
        QFETCH(QString, chars);
        QFETCH(QString, formula);
        QFETCH(QStringList, expected);
        Event event;
        const int row = event.Add(type, format, what, chars, formula);
        const QString stored = StoredSubstringResult(event.model, row);
        QCOMPARE((QStringList{FormatPiece(event.model, row), ArgPiece(event.model, row), stored,
                              BuildOutgoingMessage(event.model).preview.hexRep}),
                 expected);

        Event loaded;
        Load(Save(event.model), loaded.model);
        QCOMPARE(loaded.State(0), event.State(0));
        QCOMPARE(StoredSubstringResult(loaded.model, 0), stored);
    }

    // Text is sent as UTF-8; the message shows what is valid text as text.
    void previewShowsTheBytesSent()
    {
        const QStringList cases[] = {
            // expression, message, hex
            {R"("€\r")", R"(€\r)", " E2 82 AC 0D"},
            {R"("\xC3\xA9é")", "éé", " C3 A9 C3 A9"},
            {R"("\xE2\x82\xC2\x85\x7F")", R"(\xE2\x82\xC2\x85\x7F)", " E2 82 C2 85 7F"},
        };
        for (const QStringList& c : cases) {
            const OutgoingPreview preview = PreviewText(c[0]);
            QCOMPARE((QStringList{c[0], preview.message, preview.hexRep}), c);
        }
    }

    // The hint names + - * / on text (a string variable, a quoted run, an md5)
    // with its row, and stays away from numbers and & joins.
    void textArithmeticHint()
    {
        Event event;
        event.vars.appendRow(NewVariableRow("Password", true));
        event.vars.item(1, ColType)->setText(QString::number(VariableTypeIndex("string")));
        event.Add(SS::TypeConstant, SS::FormatString, "LOGIN ");
        event.Add(SS::TypeLocal, SS::FormatInteger, "Sum", {}, "Volume + 1");
        const int login = event.Add(SS::TypeLocal, SS::FormatString, "Answer", {}, "md5(password + \"x\")");
        TRVEventOutgoingSS page(&event.vars, nullptr);
        page.SetModel(&event.model, &event.params);
        page.SetManualEdit(false);
        auto* hint = page.findChild<QLabel*>("m_pLabelOutgoingHint");
        QCOMPARE(hint->text(), QStringLiteral("Substring 3: '+' applied to text 'password'\n") + TextArithmeticAdvice);
        QVERIFY(!hint->isHidden());
        event.model.SetText(login, SS::ColFormula, "md5(password & \"x\")");
        RefreshRow(event.model, login);
        page.UpdateSSResults();
        QVERIFY(hint->isHidden());
        page.SetManualEdit(true);
        page.SetArgs("Volume, md5(\"a\") - 1");
        QCOMPARE(hint->text(), QStringLiteral("'-' applied to text 'md5(...)'\n") + TextArithmeticAdvice);
    }

    // Results written by hand or by older files.
    void readResult_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("expected");  // type, format, ref or local name, chars, formula, options
        QTest::newRow("width without zero") << "parameter0" << R"("%5d", [Volume])"
                                            << QStringList{"0", "1", "Volume", "", "", "false"};
        QTest::newRow("name decides the type") << "local0" << R"("%02X", [Power]+1)"
                                               << QStringList{"1", "4", "Power", "2", "Power+1", "true"};
        QTest::newRow("unknown name is a local") << "parameter0" << R"("%s", [Level])"
                                                 << QStringList{"2", "0", "Level", "", "", "false"};
        QTest::newRow("unset reference stays") << "parameter0" << R"("%d", [])"
                                               << QStringList{"0", "1", "", "", "", "false"};
        QTest::newRow("no brackets") << "local0" << R"("%d", Level+1)"
                                     << QStringList{"2", "1", "", "", "Level+1", "true"};
        QTest::newRow("not a result") << "variable0" << "Volume" << QStringList{"1", "-1", "", "", "", "false"};
    }

    void readResult()
    {
        QFETCH(QString, name);
        QFETCH(QString, result);
        QFETCH(QStringList, expected);
        Event event;
        const int row = AppendStoredSubstring(event.model, name, result);
        const SS& m = event.model;
        QCOMPARE((QStringList{QString::number(m.Type(row)), QString::number(m.Format(row)), m.RefName(row),
                              m.Text(row, SS::ColChars), m.Text(row, SS::ColFormula), m.Text(row, SS::ColOptions)}),
                 expected);
    }

    // A projector command of every substring type with two checksums, one
    // over the other: the stored file, its bytes, and the same rows back.
    void messageRoundTrip()
    {
        Event event;
        event.Add(SS::TypeConstant, SS::FormatString, "PWR ");
        event.Add(SS::TypeParameter, SS::FormatInteger, "Volume", "3");
        event.Add(SS::TypeConstant, SS::FormatString, ",");
        event.Add(SS::TypeVariable, SS::FormatHexUpper, "Power", "2");
        event.Add(SS::TypeLocal, SS::FormatInteger, "Offset", "", "5*4");
        const int sum = event.Add(SS::TypeChecksum, SS::FormatValue, {});
        const int bcc = event.Add(SS::TypeChecksum, SS::FormatValue, {});
        event.Add(SS::TypeConstant, SS::FormatString, R"(\r)");
        event.Add(SS::TypeParameter, SS::FormatNone, "Input");
        event.Checksum(sum, 1, {0, 1, 2, 3, 4});
        event.Checksum(bcc, 4, {sum, 0});  // row order wins over selection order
        event.Checksum(sum, 1, {0, 1, 2, 3, 4, bcc, sum});  // itself and a checksum over it are refused

        const QString byteChecksum = R"(ByteChecksum(sprintf("PWR %03d,%02X%d", Volume, Power, Offset)))";
        QCOMPARE(ArgPiece(event.model, sum), byteChecksum);
        QCOMPARE(ArgPiece(event.model, bcc), QString(R"(XOR(sprintf("PWR %p", )") + byteChecksum + "))");
        const OutgoingMessage message = BuildOutgoingMessage(event.model);
        QCOMPARE(message.format, QString(R"(PWR %03d,%02X%d%p%p\r)"));
        QCOMPARE(message.args, "Volume, Power, Offset, " + byteChecksum + R"(, BCC(sprintf("PWR %p", )" +
                                   byteChecksum + "))");
        // "PWR 017,0120" sums to 0x2A0; 0xA0 xor the bytes of "PWR " gives 0xD5.
        QCOMPARE(message.preview.hexRep, QString("50 57 52 20 30 31 37 2C 30 31 32 30 A0 D5 0D"));
        QCOMPARE(message.preview.message, QString(R"(PWR 017,0120\xA0\xD5\r)"));
        QCOMPARE(message.preview.stringRep, QString(R"("PWR 017,0120"\xA0\xD5"\r")"));

        const QByteArray saved = Save(event.model);
        QCOMPARE(saved, Golden("message.prd"));
        Event loaded;
        Load(saved, loaded.model);
        for (int row = 0; row < event.model.rowCount(); ++row)
            QCOMPARE(loaded.State(row), event.State(row));
        QCOMPARE(Save(loaded.model), saved);
    }

    void checksumFunctions_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("hex");
        QTest::newRow("nothing covered") << 6 << QList<int>{} << "00";
        // "Power=01": the constant adds no argument, and its text is no name to replace.
        QTest::newRow("XOR as BCC") << 4 << QList<int>{0, 1} << "63";
        QTest::newRow("BCC") << 3 << QList<int>{0, 1} << "63";
        QTest::newRow("Length") << 6 << QList<int>{1, 0} << "08";
    }

    void checksumFunctions()
    {
        QFETCH(int, function);
        QFETCH(QList<int>, rows);
        QFETCH(QString, hex);
        Event event;
        event.Add(SS::TypeConstant, SS::FormatString, "Power=");
        event.Add(SS::TypeVariable, SS::FormatInteger, "Power", "2");
        const int row = event.Add(SS::TypeChecksum, SS::FormatValue, {});
        event.Checksum(row, function, rows);
        QCOMPARE(event.model.Text(row, SS::ColHexRep).trimmed(), hex);
        Event loaded;
        Load(Save(event.model), loaded.model);
        QCOMPARE(loaded.State(row), event.State(row));
    }

    void rowOperations()
    {
        Event event;
        for (const char* selection : {"12", "1a", "1A", "1.5", "x", "AB"})
            AppendSelectionSubstring(event.model, selection, SS::TypeParameter);
        const int constant = AppendSelectionSubstring(event.model, "AB", SS::TypeConstant);
        QStringList formats;
        for (int row = 0; row < event.model.rowCount(); ++row)
            formats << event.model.Text(row, SS::ColOutputFormat) + "/" + event.model.Text(row, SS::ColChars);
        QCOMPARE(formats, (QStringList{"1/2", "3/2", "4/2", "2/3", "0/1", "4/2", "0/"}));
        QCOMPARE(event.model.Text(constant, SS::ColConstText), QString("AB"));

        // Covered rows follow moves, copies and deletions.
        event.model.removeRows(0, constant);
        event.Add(SS::TypeVariable, SS::FormatInteger, "Power");
        const int sum = event.Add(SS::TypeChecksum, SS::FormatValue, {});
        event.Checksum(sum, 6, {0, 1});
        QCOMPARE(MoveSubstring(event.model, sum, -1), 1);
        QCOMPARE(event.model.Text(1, SS::ColArgPiece), QString(R"(Length(sprintf("AB%d", Power)))"));
        const int copy = DuplicateSubstring(event.model, 1);
        QCOMPARE(event.State(copy), event.State(1));
        RemoveSubstring(event.model, 0);
        QCOMPARE(event.model.Text(0, SS::ColArgPiece), QString(R"(Length(sprintf("%d", Power)))"));
        QCOMPARE(BuildOutgoingMessage(event.model).preview.hexRep, QString("01 31 01"));
    }

    void editorFlow()
    {
        Event event;
        TRVEventOutgoingSS page(&event.vars, nullptr);
        page.SetModel(&event.model, &event.params);
        page.SetManualEdit(false);
        QSignalSpy format(&page, &TRVEventOutgoingSS::formatChanged);
        QSignalSpy savable(&page, &TRVEventOutgoingSS::savableDataChanged);
        ScriptedPrompts prompts;

        prompts.Answer(3);  // Constant
        page.on_m_pButAddOutgoingSS_clicked();
        QTest::keyClicks(Child<QLineEdit>(page, "m_pEditSSText"), "ON ");
        prompts.Answer(0);  // Parameter
        page.on_m_pButAddOutgoingSS_clicked();
        Child<QComboBox>(page, "m_pCmbSSParam")->setCurrentIndex(0);
        Child<QComboBox>(page, "m_pCmbOutgoingSSFormat")->setCurrentIndex(SS::FormatInteger);
        QCOMPARE(prompts.calls[0].choices.size(), 6);
        QCOMPARE(page.Format(), QString("ON %d"));
        QCOMPARE(page.Args(), QString("Volume"));
        QCOMPARE(Child<QLineEdit>(page, "m_pEditOutgoingResult")->text(), QString("ON 17"));
        QCOMPARE(format.last().at(0).toString(), QString("ON %d"));
        QVERIFY(!savable.isEmpty());

        // A new example shows at once; a removed parameter leaves no reference.
        event.params.item(0, ParamColExample)->setText("5");
        QCOMPARE(Child<QLineEdit>(page, "m_pEditOutgoingHexRep")->text(), QString("4F 4E 20 35"));
        RemoveParamRow(&event.params, 0);
        QCOMPARE(Child<QComboBox>(page, "m_pCmbSSParam")->currentIndex(), -1);
        page.CleanupParamsAndVars();
        QCOMPARE(page.Args(), QString());
        QCOMPARE(event.model.data(event.model.index(1, 0)).toString(), QString("0 (param: )"));

        // A local's name takes no spaces; moving rows rebuilds the format.
        prompts.Answer(2);  // Local
        page.on_m_pButAddOutgoingSS_clicked();
        QTest::keyClicks(Child<QLineEdit>(page, "m_pEditSSLocal"), "my var");
        QCOMPARE(event.model.Text(2, SS::ColLocalName), QString("my_var"));
        page.on_m_pButMoveOutgoingSSUp_clicked();
        page.on_m_pButMoveOutgoingSSUp_clicked();
        QCOMPARE(page.CurrentRow(), 0);
        QCOMPARE(page.Format(), QString("ON %d"));
        Child<QComboBox>(page, "m_pCmbOutgoingSSFormat")->setCurrentIndex(SS::FormatString);
        QCOMPARE(page.Format(), QString("%sON %d"));

        // Manual edit: the typed text previews; switching back regenerates.
        page.SetManualEdit(true);
        QVERIFY(!Child<QListView>(page, "m_pListOutgoingSS")->isEnabled());
        QCOMPARE(page.CurrentRow(), -1);
        page.SetFormat(R"(PWR %d\r)");
        page.SetArgs("xor(1)");  // not replaced by hand: no such function
        QCOMPARE(Child<QLineEdit>(page, "m_pEditOutgoingResult")->text(), QString("[syntax error]"));
        page.SetArgs("1");
        QCOMPARE(Child<QLineEdit>(page, "m_pEditOutgoingResult")->text(), QString(R"(PWR 1\r)"));
        page.SetManualEdit(false);
        QCOMPARE(page.Format(), QString("%sON %d"));
        QCOMPARE(format.last().at(0).toString(), QString("%sON %d"));
    }

    // "Add Variable": the row that has no variable takes the one added; Cancel adds none.
    void addVariableWindow()
    {
        Event event;
        const int row = event.Add(SS::TypeVariable, SS::FormatString, {});
        TRVEventOutgoingSS page(&event.vars, nullptr);
        page.SetModel(&event.model, &event.params);
        page.SelectRow(row);
        for (auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
            QTimer::singleShot(0, &page, [button] {
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (qobject_cast<TRVVariables*>(top) && top->isVisible())
                        top->findChild<QDialogButtonBox*>()->button(button)->click();
                }
            });
            page.on_m_pButAddEditVar_clicked();
        }
        QCOMPARE(event.vars.rowCount(), 2);
        QCOMPARE(event.model.RefName(row), event.vars.item(1, 0)->text());
        QCOMPARE(Child<QComboBox>(page, "m_pCmbSSVar")->currentIndex(), 1);
    }

    void checksumDialog()
    {
        Event event;
        event.Add(SS::TypeConstant, SS::FormatString, "AB");
        event.Add(SS::TypeParameter, SS::FormatInteger, "Volume");
        const int row = event.Add(SS::TypeChecksum, SS::FormatValue, {});
        TRVEventOutgoingSS page(&event.vars, nullptr);
        // No event shown, then the same model twice: nothing to show, nothing lost.
        page.SetModel(nullptr, nullptr);
        page.SetModel(&event.model, &event.params);
        page.SetModel(&event.model, &event.params);
        page.SetManualEdit(false);
        page.SelectRow(row);
        page.on_m_pButConfigureOutgoingChecksum_clicked();
        TRVEventOutgoingSSChecksum* dialog = page.ChecksumDialog();
        QVERIFY(dialog->isVisible());
        QSignalSpy savable(dialog, &TRVEventOutgoingSSChecksum::savableDataChanged);

        QItemSelectionModel* selection = Child<QListView>(*dialog, "m_pListOutgoingChecksumSS")->selectionModel();
        for (int r : {1, row, 0})
            selection->select(event.model.index(r, 0), QItemSelectionModel::Select);
        Child<QComboBox>(*dialog, "m_pCmbOutgoingChecksumType")->setCurrentIndex(4);
        QCOMPARE(selection->selectedIndexes().size(), 2);
        QCOMPARE(event.model.Text(row, SS::ColArgPiece), QString(R"(XOR(sprintf("AB%d", Volume)))"));
        QCOMPARE(page.Args(), QString(R"(Volume, BCC(sprintf("AB%d", Volume)))"));
        QCOMPARE(Child<QLineEdit>(*dialog, "m_pEditOutgoingChecksum")->text(), QString("AB17"));
        // 'A' ^ 'B' ^ '1' ^ '7' = 0x05
        QCOMPARE(Child<QLineEdit>(*dialog, "m_pEditOutgoingChecksumResult")->text(), QString(R"(\x05)"));
        QCOMPARE(savable.size(), 4);

        // The checksum follows the rows it covers.
        event.params.item(0, ParamColExample)->setText("16");
        QCOMPARE(Child<QLineEdit>(page, "m_pEditOutgoingHexRep")->text(), QString("41 42 31 36 04"));
        dialog->accept();
        QCOMPARE(dialog->ChecksumRow(), -1);
    }
};

TARVO_REGISTER_TEST(OutgoingTest);

#include "outgoing_test.moc"

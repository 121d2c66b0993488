#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardItemModel>
#include <QTest>

#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/outgoing/trveventoutgoingsschecksum.h"
#include "expr/checksumfinder.h"
#include "scriptedprompts.h"
#include "testregistry.h"

using SS = OutgoingSSModel_c;
using F = ChecksumFunction;
using T = ChecksumTransform;
using O = ChecksumOutput;

class OutgoingBytesTest : public QObject
{
    Q_OBJECT

private slots:
    // Only what %p or %d of the function's own value sends becomes a row.
    void rowForCandidate()
    {
        const struct {
            F function;
            T transform;
            int bytes;
            O output;
            int type, format;
        } rows[] = {
            {F::kByteChecksum, T::kNone, 1, O::kBinary, 1, SS::FormatValue},
            {F::kBcc, T::kNone, 1, O::kBinary, 3, SS::FormatValue},
            {F::kKorNetChecksum, T::kNone, 1, O::kBinary, 2, SS::FormatValue},
            {F::kChecksum, T::kNone, 4, O::kDecimal, 0, SS::FormatInteger},
            {F::kBcc, T::kNone, 1, O::kDecimal, 3, SS::FormatInteger},
            {F::kChecksum, T::kNone, 2, O::kBinary, -1, -1},  // %p drops a leading zero byte
            {F::kChecksum, T::kNone, 2, O::kDecimal, -1, -1},  // kept to 2 bytes
            {F::kByteChecksum, T::kComplement, 1, O::kBinary, -1, -1},
            {F::kByteChecksum, T::kNone, 1, O::kHexUpper, -1, -1},  // %X drops a leading zero digit
        };
        for (const auto& row : rows) {
            ChecksumCandidate c;
            c.function = row.function;
            c.transform = row.transform;
            c.bytes = row.bytes;
            c.output = row.output;
            const ChecksumRowChoice choice = ChecksumRowFor(c);
            QCOMPARE(choice.type, row.type);
            QCOMPARE(choice.format, row.format);
        }
    }

    // Paste Bytes in the constant field, and Find from Frames on a checksum row.
    void pastesBytesAndFindsTheChecksum()
    {
        QStandardItemModel params, vars;
        SS model;
        model.SetReferenceModels(&params, &vars);
        TRVEventOutgoingSS page(&vars, nullptr);
        page.SetModel(&model, &params);
        page.SetManualEdit(false);
        ScriptedPrompts prompts;

        prompts.Answer(3);  // Constant
        page.on_m_pButAddOutgoingSS_clicked();
        QVERIFY(page.PasteBytes(QStringLiteral("$02 $50 $57")));
        QVERIFY(page.PasteBytes(QStringLiteral("<cr>\\")) == false);
        QCOMPARE(prompts.calls.last().kind, QStringLiteral("critical"));
        QVERIFY(page.PasteBytes(QStringLiteral("1<ETX>")));
        QCOMPARE(model.Text(0, SS::ColConstText), QStringLiteral("\\x02PW1\\x03"));

        const int row = model.AppendSubstring(QStringLiteral("Substring1"), SS::TypeChecksum);
        TRVEventOutgoingSSChecksum* dialog = page.ChecksumDialog();
        dialog->ShowForRow(&model, row);
        auto* frames = dialog->findChild<QPlainTextEdit*>(QStringLiteral("m_pEditChecksumFrames"));
        auto* formula = dialog->findChild<QLineEdit*>(QStringLiteral("m_pEditChecksumFormula"));
        frames->setPlainText(QStringLiteral("02 50 57 52 31 2A 03\n<STX>VOL25X<ETX>\n02 49 4E 50 33 1A 03\n"));
        QVERIFY(dialog->FindFromFrames());
        QCOMPARE(model.Text(row, SS::ColChecksumType), QStringLiteral("1"));  // ByteChecksum
        QCOMPARE(model.Format(row), int(SS::FormatValue));
        QVERIFY(formula->isHidden());

        // Two hex digits of the two's complement: no row sends that, the formula is shown.
        frames->setPlainText(QStringLiteral(":VOL 2588<CR>\n:PWR ON4A<CR>\n"));
        QVERIFY(dialog->FindFromFrames());
        QCOMPARE(model.Text(row, SS::ColChecksumType), QStringLiteral("1"));
        QVERIFY(!formula->isHidden());
        QVERIFY(formula->text().startsWith(QLatin1String("sprintf(\"%02X\", bitand(compl(bytechecksum(")));

        frames->setPlainText(QStringLiteral("01 03 00 00 00 0A C5 CD\n01 06 00 01 00 03 98 0B\n"));
        QVERIFY(!dialog->FindFromFrames());
        dialog->reject();
    }
};

TARVO_REGISTER_TEST(OutgoingBytesTest);
#include "outgoingbytes_test.moc"

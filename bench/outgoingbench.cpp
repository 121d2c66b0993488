// tarvo-bench-outgoing: one character typed into a constant row of a
// 50-substring outgoing message with two checksums, until the message and
// its preview are shown again.
//
//   tarvo-bench-outgoing [Google Benchmark flags]
//
// Model: the row's text, then what the editor runs for it (the row's pieces
// and preview, the checksums covering it, the whole message). Editor: the
// same keystroke typed into the editor's "Value:" field (mapper write-back,
// item signals, the five message fields), on the offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QStandardItemModel>

#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssstore.h"
#include "editors/params/paramrows.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/variables/variablerows.h"

namespace {

using SS = OutgoingSSModel_c;

constexpr int kRows = 50;
constexpr int kTypedRow = 24;  // a constant in the middle, covered by both checksums

// A projector-like message: constants, parameters, variables and locals in
// turn, a Checksum over every row before it and an MD5 over that checksum
// and the first rows, closed by a carriage return.
struct Message
{
    QStandardItemModel params;
    QStandardItemModel vars;
    SS model;

    Message()
    {
        for (int i = 0; i < 4; ++i) {
            AppendParamRow(&params, {QStringLiteral("Param%1").arg(i), ParamTypeInteger, {},
                                     QString::number(10 + i), {}, {}, {}, {}});
            vars.appendRow(NewVariableRow(QStringLiteral("Var%1").arg(i), false));
            vars.item(i, ColInitial)->setText(QString::number(i));
        }
        model.SetReferenceModels(&params, &vars);
        for (int row = 0; row < kRows - 3; ++row) {
            const int type = row % 4 == 0 || row == kTypedRow ? SS::TypeConstant : row % 4 == 1 ? SS::TypeParameter
                             : row % 4 == 2 ? SS::TypeVariable : SS::TypeLocal;
            model.AppendSubstring(QStringLiteral("Substring%1").arg(row), type);
            switch (type) {
            case SS::TypeConstant: model.SetText(row, SS::ColConstText, QStringLiteral("SET %1 ").arg(row)); break;
            case SS::TypeParameter:
                model.SetParamRef(row, params.item(row % 4, 0));
                model.SetText(row, SS::ColOutputFormat, QString::number(SS::FormatInteger));
                break;
            case SS::TypeVariable:
                model.SetVarRef(row, vars.item(row % 4, 0));
                model.SetText(row, SS::ColOutputFormat, QString::number(SS::FormatHexUpper));
                model.SetText(row, SS::ColOptions, QStringLiteral("true"));
                model.SetText(row, SS::ColChars, QStringLiteral("2"));
                break;
            default:
                model.SetText(row, SS::ColOutputFormat, QString::number(SS::FormatInteger));
                model.SetText(row, SS::ColLocalName, QStringLiteral("Local%1").arg(row));
                model.SetText(row, SS::ColFormula, QStringLiteral("Param1*%1+3").arg(row));
                break;
            }
        }
        const int sum = model.AppendSubstring(QStringLiteral("Sum"), SS::TypeChecksum);
        const int md5 = model.AppendSubstring(QStringLiteral("Digest"), SS::TypeChecksum);
        const int end = model.AppendSubstring(QStringLiteral("End"), SS::TypeConstant);
        model.SetText(end, SS::ColConstText, QStringLiteral("\\r"));
        QList<QStandardItem*> all;
        for (int row = 0; row < sum; ++row)
            all << model.item(row, 0);
        for (int row : {sum, md5}) {
            model.SetText(row, SS::ColOutputFormat, QString::number(SS::FormatValue));
        }
        SetChecksumSettings(model, sum, 0, all);
        SetChecksumSettings(model, md5, 5, all.mid(0, kTypedRow + 1) << model.item(sum, 0));
        RefreshAllRows(model);
    }
};

void TypeIntoModel(benchmark::State& state)
{
    Message message;
    const QString base = message.model.Text(kTypedRow, SS::ColConstText);
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        message.model.SetText(kTypedRow, SS::ColConstText, longer ? base + QLatin1Char('x') : base);
        RefreshRow(message.model, kTypedRow);
        const OutgoingMessage shown = BuildOutgoingMessage(message.model);
        benchmark::DoNotOptimize(shown.preview.hexRep.constData());
    }
    state.counters["bytes"] = static_cast<double>(BuildOutgoingMessage(message.model).preview.hexRep.size() + 1) / 3;
}

void TypeIntoEditor(benchmark::State& state)
{
    Message message;
    TRVEventOutgoingSS page(&message.vars, nullptr);
    page.SetModel(&message.model, &message.params);
    page.SetManualEdit(false);
    page.SelectRow(kTypedRow);
    auto* field = page.findChild<QLineEdit*>(QStringLiteral("m_pEditSSText"));
    field->setCursorPosition(static_cast<int>(field->text().size()));
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        if (longer)
            field->insert(QStringLiteral("x"));  // reported as typed, like a key press
        else
            field->backspace();
    }
    if (!message.model.Text(kTypedRow, SS::ColConstText).startsWith(QStringLiteral("SET 24")))
        state.SkipWithError("the typed text did not reach the model");
}

BENCHMARK(TypeIntoModel)->Unit(benchmark::kMicrosecond);
BENCHMARK(TypeIntoEditor)->Unit(benchmark::kMicrosecond);

}  // namespace

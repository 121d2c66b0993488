#include "check/textcheck.h"

#include <QRegularExpression>
#include <QStandardItemModel>

#include "check/exprnames.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/common/modeltext.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/params/paramrows.h"
#include "editors/outgoing/textarithmetic.h"
#include "editors/variables/variablerows.h"

namespace {

void Report(QList<PartProblem>& problems, CheckPlace::Part part, int row, const QString& where,
            const QStringList& uses)
{
    for (const QString& use : uses)
        problems.append(
            {CheckKind::TextArithmetic, part, row, where + QStringLiteral(": ") + use + QStringLiteral("; ") + TextArithmeticAdvice});
}

QString ItemText(const QStandardItemModel& model, int row, int column)
{
    const QStandardItem* item = model.item(row, column);
    return item ? item->text() : QString();
}

} // namespace

QList<PartProblem> OutgoingTextArithmetic(const OutgoingSSModel_c& model, bool manual, const QString& args,
                                          const QSet<QString>& textNames)
{
    QList<PartProblem> problems;
    for (const ComputedText& text : OutgoingComputedTexts(model, manual, args))
        Report(problems, CheckPlace::Outgoing, text.row,
               text.row < 0 ? QStringLiteral("outgoing message") : QStringLiteral("outgoing substring %1").arg(text.row + 1),
               TextArithmeticUses(text.expression, textNames));
    return problems;
}

QList<PartProblem> IncomingTextArithmetic(const QStandardItemModel& model, const QSet<QString>& textNames)
{
    using namespace IncomingSS;
    QList<PartProblem> problems;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (Text(model, row, ColOperationOn) != QLatin1String("true"))
            continue;
        Report(problems, CheckPlace::Incoming, row, QStringLiteral("incoming substring %1's operation").arg(row + 1),
               TextArithmeticUses(Text(model, row, ColOperation), textNames));
    }
    return problems;
}

bool IsNumberText(const QString& text, bool integer)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    static const QRegularExpression decimal(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)\\s*$"));
    return (integer ? whole : decimal).match(text).hasMatch();
}

QList<PartProblem> ParameterNumbers(const QStandardItemModel& params)
{
    QList<PartProblem> problems;
    for (int row = 0; row < params.rowCount(); ++row) {
        const ParamFields fields = ParamRowFields(&params, row);
        if (fields.type != ParamTypeInteger && fields.type != ParamTypeDecimal)
            continue;
        const bool integer = fields.type == ParamTypeInteger;
        const QString label = QStringLiteral("parameter ") +
                              (fields.name.trimmed().isEmpty() ? QString() : Quoted(fields.name.trimmed()) + QLatin1Char(' ')) +
                              QStringLiteral("(row %1)").arg(row + 1);
        const std::pair<const char*, QString> values[] = {
            {"lower limit", fields.min}, {"upper limit", fields.max}, {"example", fields.example}};
        for (const auto& [what, value] : values) {
            if (!value.isEmpty() && !IsNumberText(value, integer))
                problems.append({CheckKind::NotANumber, CheckPlace::Parameter, row,
                                 label + QStringLiteral(": %1 %2 is not %3")
                                             .arg(QLatin1String(what), Quoted(value),
                                                  integer ? QStringLiteral("a whole number")
                                                          : QStringLiteral("a number"))});
        }
    }
    return problems;
}

QString VariableNumberProblem(const QStandardItemModel& variables, int row)
{
    const int type = ItemText(variables, row, ColType).toInt();
    const QString initial = ItemText(variables, row, ColInitial);
    const bool integer = type == VariableTypeIndex(QStringLiteral("integer"));
    if ((!integer && type != VariableTypeIndex(QStringLiteral("decimal"))) || initial.isEmpty() ||
        IsNumberText(initial, integer))
        return {};
    return QStringLiteral("initial value %1 is not %2")
        .arg(Quoted(initial), integer ? QStringLiteral("a whole number") : QStringLiteral("a number"));
}

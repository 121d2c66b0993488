#include "check/textcheck.h"

#include <QRegularExpression>
#include <QStandardItemModel>

#include "check/exprnames.h"
#include "editors/incomingssmodel.h"
#include "editors/modeltext.h"
#include "editors/outgoingssmodel.h"
#include "editors/paramrows.h"
#include "editors/variablerows.h"
#include "expr/exprtextarithmetic.h"

namespace {

using SS = OutgoingSSModel_c;

const QString kJoinHint = QStringLiteral("; + - * / add numbers, & joins text");

QStringList Uses(const QString& expression, const QSet<QString>& textNames)
{
    QStringList uses;
    const QByteArray bytes = TextBytes(expression);
    const auto isText = [&](std::string_view name) {
        return textNames.contains(FoldName(FromStd(std::string(name))));
    };
    const std::vector<TextArithmetic> found =
        FindTextArithmetic(std::string_view(bytes.constData(), size_t(bytes.size())), isText);
    for (const TextArithmetic& use : found) {
        const QString operand = FromStd(use.operand);
        // A quoted run shows its own quotes; a name or call is quoted here.
        uses << QStringLiteral("'%1' applied to text %2")
                    .arg(QChar::fromLatin1(use.op), operand.startsWith(QLatin1Char('"')) ? operand : Quoted(operand));
    }
    return uses;
}

void Report(QList<PartProblem>& problems, CheckPlace::Part part, int row, const QString& where,
            const QStringList& uses)
{
    for (const QString& use : uses)
        problems.append({CheckKind::TextArithmetic, part, row, where + QStringLiteral(": ") + use + kJoinHint});
}

QString ItemText(const QStandardItemModel& model, int row, int column)
{
    const QStandardItem* item = model.item(row, column);
    return item ? item->text() : QString();
}

} // namespace

QSet<QString> TextNames(const QStandardItemModel* params, const QStandardItemModel* variables)
{
    QSet<QString> names;
    for (int row = 0; params && row < params->rowCount(); ++row) {
        if (ParamRowFields(params, row).type == ParamTypeString)
            names.insert(FoldName(ItemText(*params, row, ParamColName)));
    }
    const int stringType = VariableTypeIndex(QStringLiteral("string"));
    for (int row = 0; variables && row < variables->rowCount(); ++row) {
        if (ItemText(*variables, row, ColType).toInt() == stringType)
            names.insert(FoldName(ItemText(*variables, row, ColName)));
    }
    names.remove(QString());
    return names;
}

QList<PartProblem> OutgoingTextArithmetic(const OutgoingSSModel_c& model, bool manual, const QString& args,
                                          const QSet<QString>& textNames)
{
    QList<PartProblem> problems;
    if (manual) {
        // The arguments are a list: they parse as the call they are stored in.
        Report(problems, CheckPlace::Outgoing, -1, QStringLiteral("outgoing message"),
               Uses(QStringLiteral("sprintf(\"\", ") + args + QLatin1Char(')'), textNames));
        return problems;
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        // A constant is quoted text sent as it is, never computed.
        if (model.Type(row) == SS::TypeConstant)
            continue;
        // A local's argument is its name; what it computes is its formula.
        const QString formula = model.Text(row, SS::ColFormula);
        Report(problems, CheckPlace::Outgoing, row, QStringLiteral("outgoing substring %1").arg(row + 1),
               Uses(formula.isEmpty() ? model.Text(row, SS::ColArgPiece) : formula, textNames));
    }
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
               Uses(Text(model, row, ColOperation), textNames));
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

#include "editors/outgoing/textarithmetic.h"

#include <QStandardItemModel>

#include <vector>

#include "editors/common/modeltext.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/params/paramrows.h"
#include "editors/variables/variablerows.h"
#include "expr/exprtextarithmetic.h"

namespace {

using SS = OutgoingSSModel_c;

QString Folded(const QString& name)
{
    return name.trimmed().toLower();
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
            names.insert(Folded(ItemText(*params, row, ParamColName)));
    }
    const int stringType = VariableTypeIndex(QStringLiteral("string"));
    for (int row = 0; variables && row < variables->rowCount(); ++row) {
        if (ItemText(*variables, row, ColType).toInt() == stringType)
            names.insert(Folded(ItemText(*variables, row, ColName)));
    }
    names.remove(QString());
    return names;
}

QStringList TextArithmeticUses(const QString& expression, const QSet<QString>& textNames)
{
    QStringList uses;
    const QByteArray bytes = TextBytes(expression);
    const auto isText = [&](std::string_view name) { return textNames.contains(Folded(FromStd(std::string(name)))); };
    const std::vector<TextArithmetic> found =
        FindTextArithmetic(std::string_view(bytes.constData(), size_t(bytes.size())), isText);
    for (const TextArithmetic& use : found) {
        const QString operand = FromStd(use.operand);
        // A quoted run shows its own quotes; a name or call is quoted here.
        uses << QStringLiteral("'%1' applied to text %2")
                    .arg(QChar::fromLatin1(use.op),
                         operand.startsWith(QLatin1Char('"')) ? operand : QLatin1Char('\'') + operand + QLatin1Char('\''));
    }
    return uses;
}

QList<ComputedText> OutgoingComputedTexts(const OutgoingSSModel_c& model, bool manual, const QString& args)
{
    QList<ComputedText> texts;
    if (manual) {
        // The arguments are a list: they parse as the call they are stored in.
        texts.append({-1, QStringLiteral("sprintf(\"\", ") + args + QLatin1Char(')')});
        return texts;
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        // A constant is quoted text sent as it is, never computed.
        if (model.Type(row) == SS::TypeConstant)
            continue;
        // A local's argument is its name; what it computes is its formula.
        const QString formula = model.Text(row, SS::ColFormula);
        texts.append({row, formula.isEmpty() ? CurrentArgPiece(model, row) : formula});
    }
    return texts;
}

QString OutgoingTextArithmeticHint(const OutgoingSSModel_c& model, bool manual, const QString& args)
{
    const QSet<QString> names = TextNames(model.ParamModel(), model.VariableModel());
    QStringList lines;
    for (const ComputedText& text : OutgoingComputedTexts(model, manual, args)) {
        for (const QString& use : TextArithmeticUses(text.expression, names))
            lines << (text.row < 0 ? use : QStringLiteral("Substring %1: ").arg(text.row + 1) + use);
    }
    if (lines.isEmpty())
        return {};
    lines << TextArithmeticAdvice;
    return lines.join(QLatin1Char('\n'));
}

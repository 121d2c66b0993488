#include "check/exprnames.h"

#include <QByteArray>

#include <string>

#include "editors/common/modeltext.h"
#include "expr/exprnode.h"
#include "expr/exprparser.h"

namespace {

void CollectNames(const ExprNode& node, QStringList& names)
{
    if (node.GetKind() == ExprKind::kLiteral && node.Count() == 0) {
        const ExprValue& value = node.Value();
        if (value.IsLiteral() && value.GetType() == ExprType::kText) {
            const std::string text = value.ToText();
            const QString name = FromStd(text).trimmed();
            // A quoted run is never a name, whatever it reads as.
            if (!name.isEmpty() && !name.contains(QLatin1Char('"')) && !names.contains(name))
                names.append(name);
        }
        return;
    }
    for (size_t i = 0; i < node.Count(); ++i)
        CollectNames(*node.Item(i), names);
}

} // namespace

QStringList ExpressionNames(const QString& expression)
{
    QStringList names;
    if (expression.trimmed().isEmpty())
        return names;
    const QByteArray text = TextBytes(expression);
    ExprNode root;
    ExprParser(std::string_view(text.constData(), size_t(text.size()))).Parse(&root);
    CollectNames(root, names);
    return names;
}

QStringList UnknownNames(const QString& expression, const QSet<QString>& known, const QSet<QString>& moreKnown)
{
    QStringList unknown;
    for (const QString& name : ExpressionNames(expression)) {
        const QString folded = FoldName(name);
        if (!known.contains(folded) && !moreKnown.contains(folded))
            unknown.append(name);
    }
    return unknown;
}

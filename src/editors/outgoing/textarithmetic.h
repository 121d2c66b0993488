#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class OutgoingSSModel_c;
class QStandardItemModel;

// + - * / in the language add numbers: text given to them is read as the
// number it starts with. These name such uses for the outgoing editor's hint
// and the driver check.

inline const QString TextArithmeticAdvice = QStringLiteral("+ - * / add numbers, & joins text");

// The names of string parameters (params may be null) and string variables,
// trimmed and lower case, as the controller matches names.
QSet<QString> TextNames(const QStandardItemModel* params, const QStandardItemModel* variables);

// One description per + - * / of expression applied to text, such as
// "'+' applied to text 'Password'".
QStringList TextArithmeticUses(const QString& expression, const QSet<QString>& textNames);

// What an outgoing message computes: in manual edit the typed arguments
// (as the sprintf call they are stored in), else each non-constant row's
// formula, or its argument when it has none. One entry per expression, with
// the substring row it belongs to (-1 for the typed message).
struct ComputedText
{
    int row;
    QString expression;
};
QList<ComputedText> OutgoingComputedTexts(const OutgoingSSModel_c& model, bool manual, const QString& args);

// The outgoing editor's hint: every use in the message, one line each, then
// the advice; empty when there is none.
QString OutgoingTextArithmeticHint(const OutgoingSSModel_c& model, bool manual, const QString& args);

#include "editors/common/fieldinput.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <limits>

void HoldFileText(QWidget* form)
{
    if (!form)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(form))
        edit->setMaxLength(std::numeric_limits<int>::max());
    for (QLineEdit* edit : form->findChildren<QLineEdit*>())
        edit->setMaxLength(std::numeric_limits<int>::max());
}

void SetNumberInput(QLineEdit* edit, NumberInput kind)
{
    if (!edit)
        return;
    static const QRegularExpression integer(QStringLiteral("-?[0-9]*"));
    static const QRegularExpression decimal(QStringLiteral("-?[0-9]*\\.?[0-9]*"));
    // The validator belongs to the edit, so replacing it frees the old one.
    const QValidator* old = edit->validator();
    switch (kind) {
    case NumberInput::Integer: edit->setValidator(new QRegularExpressionValidator(integer, edit)); break;
    case NumberInput::Decimal: edit->setValidator(new QRegularExpressionValidator(decimal, edit)); break;
    case NumberInput::Any: edit->setValidator(nullptr); break;
    }
    if (old && old->parent() == edit)
        delete old;
}

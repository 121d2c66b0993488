#include "editors/outgoing/outgoingssstore.h"

#include <QRegularExpression>
#include <QSet>

#include <memory>

#include "editors/common/cells.h"
#include "editors/common/edithistory.h"
#include "editors/common/keptitems.h"
#include "editors/common/modeltext.h"
#include "editors/common/namedrows.h"
#include "model/productdatamessage.h"
#include "model/showresource.h"

namespace {

using SS = OutgoingSSModel_c;

// The operations a message's locals store: name and formula of each.
QList<QStringList> GeneratedOperations(const OutgoingSSModel_c& model)
{
    QList<QStringList> operations;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QStandardItem* cell = model.item(row, SS::ColLocalName);
        const QVariant read = cell ? cell->data(UnresolvedLocalRole) : QVariant();
        const bool unresolved = read.isValid() && read.toString() == model.Text(row, SS::ColFormula);
        if (model.Type(row) == SS::TypeLocal && !unresolved)
            operations << QStringList{model.Text(row, SS::ColLocalName), model.Text(row, SS::ColFormula)};
    }
    return operations;
}

// Operations of a stored message that its locals would not store again as
// they are (an operation no local reads, another order, more than a name and
// a formula): the locals' operations as loaded and copies of those stored,
// written back while the locals store what they did when loaded.
struct KeptOperations
{
    QList<QStringList> generated;
    KeptItems operations;
    bool listed = false;  // the message had an operations element
};
using KeptOperationsPtr = std::shared_ptr<const KeptOperations>;
// On the model: KeptOperationsPtr, unset while the locals store what the file holds.
const char* const kKeptOperations = "keptOperations";

int IndexIgnoringCase(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// A conversion as the language's sprintf reads it: "%", an optional "0"
// (pad with zeros), a width, a precision, the letter.
const QRegularExpression& ConversionPattern()
{
    static const QRegularExpression pattern(QStringLiteral(R"(^%(0?)([0-9]*)(\.[0-9]*)?([sdfxXp])$)"));
    return pattern;
}

// The width the fields hold: the digits after "%0" (a store writes "%0" and
// the width, the only padding the fields offer).
QString WidthOfConversion(const QString& conversion)
{
    const QRegularExpressionMatch match = ConversionPattern().match(conversion);
    return match.hasMatch() && !match.captured(1).isEmpty() ? match.captured(2) : QString();
}

// The first name in square brackets outside double-quoted text: a quoted
// "[x]" in a formula is text the formula works on, not a reference.
QString BracketedName(const QString& argument)
{
    bool quoted = false;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument[i];
        if (quoted && c == QLatin1Char('\\')) {
            ++i;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('[')) {
            const qsizetype end = argument.indexOf(QLatin1Char(']'), i + 1);
            return end < 0 ? QString() : argument.mid(i + 1, end - i - 1);
        }
    }
    return QString();
}

// A parameter, variable or local: the conversion gives format and
// width, the argument the bracketed name and the formula.
void ReadValueSubstring(SS& model, int row, const QString& conversion, const QString& argument)
{
    int format = SS::FormatNone;
    if (!conversion.isEmpty())
        format = conversion.size() > 1 ? OutputFormatOfLetter(conversion.back()) : SS::FormatUnset;
    model.SetText(row, SS::ColOutputFormat, QString::number(format));
    const QString width = WidthOfConversion(conversion);
    model.SetText(row, SS::ColChars, width);

    const QString name = BracketedName(argument);
    QString formula = argument;
    formula.replace(QLatin1Char('[') + name + QLatin1Char(']'), name);
    const bool hasFormula = formula.size() > name.size();
    if (hasFormula)
        model.SetText(row, SS::ColFormula, formula);
    model.SetText(row, SS::ColOptions, QLatin1String(!width.isEmpty() || hasFormula ? "true" : "false"));
    // A precision or a width padded with spaces is sent as stored while the
    // fields still make the conversion they were read as.
    const QString made = QLatin1Char('%') + (width.isEmpty() ? QString() : QLatin1Char('0') + width) +
                         OutputFormatLetter(format);
    if (made != conversion && ConversionPattern().match(conversion).hasMatch()) {
        if (QStandardItem* cell = model.item(row, SS::ColOutputFormat))
            cell->setData(QStringList{made, conversion}, SS::StoredConversionRole);
    }

    // The stored type word decides between a parameter and a variable of the
    // same name; the other list is asked only when its own has no such name.
    const bool storedVariable = model.Type(row) == SS::TypeVariable;
    QStandardItem* param = nullptr;
    QStandardItem* variable = nullptr;
    if (!name.isEmpty()) {
        if (storedVariable)
            variable = FindNamedRow(model.VariableModel(), name);
        if (!variable)
            param = FindNamedRow(model.ParamModel(), name);
        if (!param && !variable && !storedVariable)
            variable = FindNamedRow(model.VariableModel(), name);
    }
    if (param) {
        model.SetText(row, SS::ColSSType, QString::number(SS::TypeParameter));
        model.SetParamRef(row, param);
    } else if (variable) {
        model.SetText(row, SS::ColSSType, QString::number(SS::TypeVariable));
        model.SetVarRef(row, variable);
    } else if (name.isEmpty() && (model.Type(row) == SS::TypeParameter || model.Type(row) == SS::TypeVariable)) {
        // A parameter or variable row that names nothing was saved before its
        // reference was chosen (or after it was deleted); it stays that row.
    } else {
        model.SetText(row, SS::ColSSType, QString::number(SS::TypeLocal));
        model.SetText(row, SS::ColLocalName, name);
        if (QStandardItem* cell = MadeCell(model, row, SS::ColLocalName))
            cell->setData(model.Text(row, SS::ColFormula), UnresolvedLocalRole);
    }
}

template <class List>
void RemoveAll(List* list)
{
    while (list && list->Count() > 0) {
        list->First();
        list->RemoveCurrent();
    }
}

} // namespace

QList<QStandardItem*> AllowedCoverage(const OutgoingSSModel_c& model, int row, const QList<QStandardItem*>& items)
{
    QList<QStandardItem*> allowed;
    for (int other = 0; other < model.rowCount(); ++other) {
        QStandardItem* item = model.item(other, 0);
        if (other == row || !items.contains(item))
            continue;
        if (model.Type(other) == SS::TypeChecksum && model.Covers(other, row))
            continue;
        allowed.append(item);
    }
    return allowed;
}

void SetChecksumSettings(OutgoingSSModel_c& model, int row, int functionType, const QList<QStandardItem*>& covered)
{
    if (row < 0 || row >= model.rowCount())
        return;
    if (functionType < 0 || functionType >= ChecksumFunctionNames().size())
        functionType = 0;
    model.SetText(row, SS::ColChecksumType, QString::number(functionType));
    model.SetCoveredRows(row, AllowedCoverage(model, row, covered));
    model.SetText(row, SS::ColArgPiece, ArgPiece(model, row));
}

QString StoredChecksumExpression(const OutgoingSSModel_c& model, int row)
{
    const QStringList& names = ChecksumFunctionNames();
    const QList<QStandardItem*> covered = model.CoveredRows(row);
    QString refs;
    for (const QStandardItem* item : covered) {
        const int r = item->row();
        refs += QLatin1String(model.Type(r) == SS::TypeChecksum ? ", Checksum" : ", Substring") + QString::number(r);
    }
    return names.value(model.Text(row, SS::ColChecksumType).toInt(), names.first()) + QStringLiteral("(sprintf(\"") +
           QStringLiteral("%s").repeated(covered.size()) + QLatin1Char('"') + refs + QStringLiteral("))");
}

bool ReadChecksumSettings(OutgoingSSModel_c& model, int row, const QString& stored)
{
    // The conversion letter may be missing (a checksum with no output yet),
    // and an empty selection has no argument list: both are stored that way.
    static const QRegularExpression pattern(
        QStringLiteral(R"re("%[a-zA-Z]?", (.+)\(sprintf\("(?:.*)"(?:, (.+))?\)\))re"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(stored);
    if (!match.hasMatch()) {
        SetChecksumSettings(model, row, 0, {});
        return false;
    }
    static const QRegularExpression reference(QStringLiteral("^([a-zA-Z]+)([0-9]+)$"));
    QList<QStandardItem*> covered;
    const QString refs = match.captured(2);
    for (const QString& name : refs.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch ref = reference.match(name);
        bool ok = false;
        const int r = ref.captured(2).toInt(&ok);
        if (ref.hasMatch() && ok && r < model.rowCount())
            covered << model.item(r, 0);
    }
    const int type = IndexIgnoringCase(ChecksumFunctionNames(), match.captured(1));
    SetChecksumSettings(model, row, type < 0 ? 0 : type, covered);
    return true;
}

QString StoredSubstringName(const OutgoingSSModel_c& model, int row)
{
    return SubstringTypeNames().value(model.Type(row)) + QString::number(row);
}

QString StoredSubstringResult(const OutgoingSSModel_c& model, int row)
{
    const int format = model.Format(row);
    const QString letter = OutputFormatLetter(format);
    switch (model.Type(row)) {
    case SS::TypeConstant:
        return QStringLiteral("\"%") + letter + QStringLiteral("\", \"") + model.Text(row, SS::ColConstText) +
               QLatin1Char('"');
    case SS::TypeChecksum:
        return QStringLiteral("\"%") + letter + QStringLiteral("\", ") + StoredChecksumExpression(model, row);
    default:
        break;
    }
    const QString conversion = FormatPiece(model, row);
    const QString name = model.RefName(row);
    QString argument = model.Text(row, SS::ColFormula);
    if (name.isEmpty()) {
        // A local without a name is its formula; it reads back as one.
        if (argument.isEmpty())
            argument = QStringLiteral("[]");
    } else if (argument.contains(name)) {
        argument.replace(name, QLatin1Char('[') + name + QLatin1Char(']'));
    } else {
        argument = QLatin1Char('[') + name + QLatin1Char(']');
    }
    return QLatin1Char('"') + conversion + QStringLiteral("\", ") + argument;
}

int AppendStoredSubstring(OutgoingSSModel_c& model, const QString& name, const QString& result)
{
    QString word;
    word.reserve(name.size());
    for (const QChar c : name) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            word += c;
    }
    const int type = IndexIgnoringCase(SubstringTypeNames(), word);
    const int row = model.AppendSubstring(name, type);

    // Whatever the row makes of it, a result is saved as stored while the row
    // still writes what it wrote when read (see LoadOutgoingSubstrings).
    if (QStandardItem* cell = model.item(row, SS::ColSSType))
        cell->setData(result, SS::StoredResultRole);
    // "conversion", argument: the conversion, up to the closing quote, may
    // hold flags, a width and a precision; there may be none at all.
    if (!result.startsWith(QLatin1Char('"')))
        return row;
    qsizetype close = 1;
    if (result.size() > 1 && result[1] == QLatin1Char('%')) {
        close = result.indexOf(QLatin1Char('"'), 1);
        if (close < 0)
            return row;
    }
    if (QStringView(result).mid(close, 3) != QLatin1String("\", ") || result.size() <= close + 3)
        return row;
    const QString conversion = result.mid(1, close - 1);
    const QString argument = result.mid(close + 3);
    if (type == SS::TypeConstant) {
        model.SetText(row, SS::ColOutputFormat, QString::number(SS::FormatString));
        model.SetText(row, SS::ColConstText, argument.size() >= 2 ? argument.mid(1, argument.size() - 2) : QString());
    } else if (type == SS::TypeChecksum) {
        model.SetText(row, SS::ColOutputFormat,
                      QString::number(result.size() > 2 ? OutputFormatOfLetter(result[2]) : SS::FormatUnset));
        model.SetText(row, SS::ColResult, result);
    } else {
        ReadValueSubstring(model, row, conversion, argument);
    }
    return row;
}

void StoreOutgoingSubstrings(const OutgoingSSModel_c& model, ProductDataMessage_c& message)
{
    ProductDataSubstrings_c* substrings = message.Substrings();
    RemoveAll(substrings);
    for (int row = 0; substrings && row < model.rowCount(); ++row) {
        ProductDataSubstring_c* substring = substrings->Item(row, true);
        if (!substring)
            continue;
        substring->SetName(ToStd(StoredSubstringName(model, row)));
        substring->SetDeviceVar(false);
        const QString result = StoredSubstringResult(model, row);
        const QStandardItem* cell = model.item(row, SS::ColSSType);
        const QStringList stored = cell ? cell->data(SS::StoredResultRole).toStringList() : QStringList();
        substring->SetResult(ToStd(stored.size() == 2 && stored[1] == result ? stored[0] : result));
    }

    const QList<QStringList> locals = GeneratedOperations(model);
    const QVariant keptValue = model.property(kKeptOperations);
    const KeptOperationsPtr kept = keptValue.isValid() ? keptValue.value<KeptOperationsPtr>() : nullptr;
    if (kept && kept->generated == locals) {
        if (kept->listed) {
            ProductDataOperations_c* operations = message.Operations();
            RemoveAll(operations);
            AppendItems(kept->operations, operations);
        }
        return;
    }
    // A message without locals gets no operations element.
    if (locals.isEmpty() && !ShowXMLInterface_c::FindChildElement(message.GetElement(), "operations"))
        return;
    ProductDataOperations_c* operations = message.Operations();
    RemoveAll(operations);
    for (int i = 0; operations && i < locals.size(); ++i) {
        if (ProductDataOperation_c* operation = operations->Item(i, true)) {
            operation->SetName(ToStd(locals[i][0]));
            operation->SetResult(ToStd(locals[i][1]));
        }
    }
}

void CopyStoredOutgoingOperations(const OutgoingSSModel_c& from, OutgoingSSModel_c& to)
{
    to.setProperty(kKeptOperations, from.property(kKeptOperations));
}

void LoadOutgoingSubstrings(ProductDataMessage_c& message, OutgoingSSModel_c& model)
{
    model.SetPreviewsDeferred(false);
    while (model.rowCount() > 0)
        EditRows::Remove(model, model.rowCount() - 1);
    if (ProductDataSubstrings_c* substrings = message.Substrings()) {
        const int count = substrings->Count();
        for (int i = 0; i < count; ++i) {
            if (ProductDataSubstring_c* substring = substrings->Item(i))
                AppendStoredSubstring(model, FromStd(substring->GetName()), FromStd(substring->GetResult()));
        }
    }
    ProductDataOperations_c* operations =
        ShowXMLInterface_c::FindChildElement(message.GetElement(), "operations") ? message.Operations() : nullptr;
    QList<QStringList> stored;  // name and result of each operation, as the file holds them
    QSet<int> taken;
    for (int i = 0, count = operations ? operations->Count() : 0; i < count; ++i) {
        ProductDataOperation_c* operation = operations->Item(i);
        if (!operation)
            continue;
        const QString name = FromStd(operation->GetName());
        const QString result = FromStd(operation->GetResult());
        stored << QStringList{name, result};
        // Operations are written in the order of the local rows, so locals
        // that share a name (or have none) each take the next one.
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.Type(row) == SS::TypeLocal && !taken.contains(row) && model.Text(row, SS::ColLocalName) == name) {
                model.SetText(row, SS::ColFormula, result);
                if (QStandardItem* cell = model.item(row, SS::ColLocalName))
                    cell->setData(QVariant(), UnresolvedLocalRole);
                taken.insert(row);
                break;
            }
        }
    }
    // Every checksum row reads its settings before a preview overwrites the
    // stored text it keeps in ColResult.
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.Type(row) == SS::TypeChecksum)
            ReadChecksumSettings(model, row, model.Text(row, SS::ColResult));
    }
    RefreshAllPieces(model);
    // A stored result that differs from what the row writes is kept beside it.
    for (int row = 0; row < model.rowCount(); ++row) {
        QStandardItem* cell = model.item(row, SS::ColSSType);
        const QVariant stored = cell ? cell->data(SS::StoredResultRole) : QVariant();
        if (!stored.isValid())
            continue;
        const QString written = StoredSubstringResult(model, row);
        cell->setData(stored.toString() == written ? QVariant() : QVariant(QStringList{stored.toString(), written}),
                      SS::StoredResultRole);
    }
    // The show controller reads the operations: those the locals would not
    // store again as they are stay as stored until the locals change.
    QList<QStringList> generated = GeneratedOperations(model);
    if (generated == stored && PlainItems(operations, {"name", "result"}, false)) {
        model.setProperty(kKeptOperations, QVariant());
    } else {
        auto kept = std::make_shared<KeptOperations>();
        kept->generated = std::move(generated);
        kept->operations = CopyItems(operations);
        kept->listed = operations != nullptr;
        model.setProperty(kKeptOperations, QVariant::fromValue(KeptOperationsPtr(std::move(kept))));
    }
}

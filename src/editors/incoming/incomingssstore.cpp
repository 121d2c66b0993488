#include "editors/incoming/incomingssstore.h"

#include "editors/incoming/incomingssmodel.h"
#include "editors/common/edithistory.h"
#include "editors/common/keptitems.h"
#include "editors/common/modeltext.h"
#include "editors/common/namedrows.h"
#include "model/productdatamessage.h"

#include <QRegularExpression>
#include <QStandardItem>
#include <QStandardItemModel>

#include <algorithm>
#include <memory>
#include <vector>

namespace IncomingSS {
namespace {

const QString kTemp = QStringLiteral("temp");
// On the model: operations of the stored message that no row reads (an
// operation of a message typed by hand, without substrings), each as a
// list of name, "true" for device_var, and result; written after the rows'.
const char* const kKeptOperations = "keptOperations";

// Every occurrence of name (case-sensitive) becomes replacement; an empty
// name names nothing.
QString Renamed(QString text, const QString& name, const QString& replacement)
{
    if (!name.isEmpty())
        text.replace(name, replacement, Qt::CaseSensitive);
    return text;
}

bool Captures(const QString& pattern)
{
    return !pattern.isEmpty() && pattern != QLatin1String("()");
}

template <typename Item>
void Fill(Item* item, const QString& name, bool deviceVar, const QString& result)
{
    if (!item)
        return;
    item->SetName(ToStd(name));
    item->SetDeviceVar(deviceVar);
    item->SetResult(ToStd(result));
}

// One item of a message list as read back.
struct Stored
{
    QString name;
    QString value;  // a substring's or operation's result, a parameter's text
    bool deviceVar = false;

    bool operator==(const Stored&) const = default;
};

// A message's three lists as the store writes them or as a file holds them.
struct Lists
{
    std::vector<Stored> params, substrings, operations;

    bool operator==(const Lists&) const = default;
};

// The lists of a message whose rows would store something else (a file
// written by hand or by another program): the rows' lists as loaded, and
// copies of the stored items, written back as they were while the rows
// still store what they did when loaded.
struct KeptLists
{
    Lists generated;
    KeptItems params, substrings, operations;
};
using KeptListsPtr = std::shared_ptr<const KeptLists>;
// On the model: KeptListsPtr, unset while the rows store what the file holds.
const char* const kKeptLists = "keptLists";

template <typename List>
std::vector<Stored> ReadList(List* list, bool params)
{
    std::vector<Stored> items;
    if (!list)
        return items;
    for (int32_t i = 0; i < list->Count(); ++i) {
        auto* item = list->Item(i);
        if (!item)
            continue;
        QString value;
        if constexpr (requires { item->GetResult(); }) {
            value = FromStd(item->GetResult());
        }
        if (params)
            value = FromStd(item->GetText());
        items.push_back({FromStd(item->GetName()), value, item->IsDeviceVar() == KOR_TRUE});
    }
    return items;
}

// A substring as the start of a row: its kind and its row number (-1 when
// the name carries none). A device_var substring belongs to a variable row
// with an operation.
struct SubstringRow
{
    int type = TypeConstant;
    int index = -1;
    const Stored* stored = nullptr;
};

SubstringRow ClassifySubstring(const Stored& substring)
{
    SubstringRow row;
    row.stored = &substring;
    if (substring.deviceVar) {
        row.type = TypeVariable;
        return row;
    }
    if (substring.name.contains(QLatin1String("Wildcard")))
        row.type = TypeWildcard;
    else if (substring.name.contains(QLatin1String("Local")))
        row.type = TypeLocal;
    static const QRegularExpression number(QStringLiteral("^[0-9]+"));
    const QRegularExpressionMatch digits = number.match(substring.name);
    if (digits.hasMatch())
        row.index = digits.captured().left(9).toInt();
    return row;
}

// The receiving name of a variable row with an operation, as its parameter
// or substring is named: without the "temp" the store adds.
QString WithoutTemp(const QString& name)
{
    return name.endsWith(kTemp) ? name.chopped(kTemp.size()) : name;
}

// A stored operation with the receiving name back in place of name + "temp";
// a row that received nothing was stored unrenamed.
QString Restored(const QString& operation, const QString& name)
{
    return name.isEmpty() ? operation : Renamed(operation, name + kTemp, name);
}

QStandardItem* FindVariable(const QStandardItemModel* variables, const QString& name)
{
    if (name.isEmpty())
        return nullptr;
    QStandardItem* item = FindNamedRow(variables, name, Qt::CaseSensitive);
    return item ? item : FindNamedRow(variables, name, Qt::CaseInsensitive);
}

// Character type, minimum and maximum back from a wildcard or capture pattern.
void ReadWildcard(QList<QStandardItem*>& row, const QString& pattern)
{
    static const QRegularExpression charClass(QStringLiteral(R"(\(?(\[0-9\]|\[A-Za-z\]|\.)\)?.*)"));
    static const QRegularExpression limits(QStringLiteral(R"(.*\{(.*),(.*)\})"));
    int charType = CharsNone;
    if (const QRegularExpressionMatch match = charClass.match(pattern); match.hasMatch()) {
        const QString found = match.captured(1);
        charType = found == QLatin1String(".") ? CharsAny : found == QLatin1String("[0-9]") ? CharsDigits : CharsLetters;
    }
    RowCell(row, ColCharTypes)->setText(QString::number(charType));
    if (const QRegularExpressionMatch match = limits.match(pattern); match.hasMatch()) {
        RowCell(row, ColMinimum)->setText(match.captured(1));
        RowCell(row, ColMaximum)->setText(match.captured(2));
    }
}

void SetOperation(QList<QStandardItem*>& row, const QString& operation)
{
    RowCell(row, ColOperation)->setText(operation);
    RowCell(row, ColOperationOn)->setText(QStringLiteral("true"));
}

// A variable row's operation as stored: its text, and its name beside the
// name the row stores into.
void SetStoredOperation(QList<QStandardItem*>& row, const Stored& operation, const QString& receiving)
{
    SetOperation(row, Restored(operation.value, receiving));
    RowCell(row, ColOperation)->setData(QStringList{operation.name, receiving}, StoredOperationNameRole);
}

// Links the row to the device variable of that name; without one the row
// keeps the name (shown, and stored into) so that a save does not lose it.
void Link(QList<QStandardItem*>& row, const QStandardItemModel* variables, const QString& name)
{
    if (QStandardItem* variable = FindVariable(variables, name)) {
        RowCell(row, ColVariable)->setData(QVariant::fromValue(variable), LinkRole);
        RowCell(row, ColVariable)->setText(variable->text());
    } else if (!name.isEmpty()) {
        RowCell(row, ColVariable)->setData(name, StoredNameRole);
        RowCell(row, ColVariable)->setText(name);
    }
}

// Remembers the capture parameter a row was read from; the pattern the row
// then makes is added once all rows are read (KeptCapture).
void KeepCapture(QList<QStandardItem*>& row, const Stored& param)
{
    RowCell(row, ColPattern)
        ->setData(QStringList{param.value, param.deviceVar ? QStringLiteral("true") : QString()}, StoredCaptureRole);
}

// The stored text and device_var flag of the row's capture parameter, while
// the row still makes the pattern and applies the operation it had when read
// (a pattern such as [0-9]+ reads back as the nearest one the row can make).
bool KeptCapture(const QStandardItemModel& model, int row, QString* text, bool* deviceVar)
{
    const QStandardItem* cell = model.item(row, ColPattern);
    const QStringList kept = cell ? cell->data(StoredCaptureRole).toStringList() : QStringList();
    if (kept.size() != 4 || kept[2] != RowPattern(model, row) || kept[3] != Text(model, row, ColOperationOn))
        return false;
    *text = kept[0];
    if (deviceVar)
        *deviceVar = !kept[1].isEmpty();
    return true;
}

} // namespace
} // namespace IncomingSS

using namespace IncomingSS;

namespace IncomingSS {
namespace {

// The lists the rows store, variable names resolved through variables.
Lists GeneratedLists(const QStandardItemModel& model, const QStandardItemModel* variables)
{
    Lists lists;
    const auto item = [](std::vector<Stored>& list, const QString& name, bool deviceVar, const QString& value) {
        list.push_back({name, value, deviceVar});
    };
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString number = QStringLiteral("%1").arg(row, 2, 10, QLatin1Char('0'));
        const QString pattern = Text(model, row, ColPattern);
        const QString name = ReceivingName(model, row, variables);
        const QString operation = Text(model, row, ColOperation);
        switch (RowType(model, row)) {
        case TypeConstant:
            item(lists.substrings, number + QLatin1String("Constant"), false, ReduceConstantPattern(pattern));
            break;
        case TypeWildcard:
            item(lists.substrings, number + QLatin1String("Wildcard"), false, pattern);
            break;
        case TypeVariable: {
            const bool withOperation = Text(model, row, ColOperationOn) == QLatin1String("true");
            QString capture = pattern;
            bool deviceVar = !withOperation;
            KeptCapture(model, row, &capture, &deviceVar);
            item(lists.params, withOperation ? name + kTemp : name, deviceVar, capture);
            if (withOperation) {
                const QString stored = Renamed(operation, name, name + kTemp);
                item(lists.substrings, name + kTemp, true, stored);
                const QStandardItem* cell = model.item(row, ColOperation);
                const QStringList named = cell ? cell->data(StoredOperationNameRole).toStringList() : QStringList();
                const bool unlisted = named.size() == 3 && named[1] == name && named[2] == operation;
                if (!unlisted)
                    item(lists.operations, named.size() == 2 && named[1] == name ? named[0] : name, true, stored);
            }
            break;
        }
        case TypeLocal: {
            const bool captures = Captures(pattern);
            QString capture = pattern;
            KeptCapture(model, row, &capture, nullptr);
            if (captures)
                item(lists.params, name + kTemp, false, capture);
            item(lists.substrings, number + QLatin1String("Local"), false, name);
            QString stored = operation;
            if (captures)
                stored = Renamed(stored.isEmpty() ? name : stored, name, name + kTemp);
            item(lists.operations, name, false, stored);
            break;
        }
        default: break;
        }
    }
    for (const QVariant& kept : model.property(kKeptOperations).toList()) {
        const QStringList texts = kept.toStringList();
        if (texts.size() == 3)
            item(lists.operations, texts[0], !texts[1].isEmpty(), texts[2]);
    }
    return lists;
}

} // namespace
} // namespace IncomingSS

void StoreIncomingSubstrings(const QStandardItemModel& model, const QStandardItemModel* variables,
                             ProductDataMessage_c& message)
{
    ProductDataParams_c* params = message.Params();
    ProductDataSubstrings_c* substrings = message.Substrings();
    ProductDataOperations_c* operations = message.Operations();
    if (!params || !substrings || !operations)
        return;
    const Lists lists = GeneratedLists(model, variables);
    const QVariant keptValue = model.property(kKeptLists);
    const KeptListsPtr kept = keptValue.isValid() ? keptValue.value<KeptListsPtr>() : nullptr;
    if (kept && kept->generated == lists) {
        AppendItems(kept->params, params);
        AppendItems(kept->substrings, substrings);
        AppendItems(kept->operations, operations);
        return;
    }
    int32_t index = 0;
    for (const Stored& stored : lists.params) {
        if (ProductDataParam_c* param = params->Item(index++, true)) {
            param->SetName(ToStd(stored.name));
            param->SetText(ToStd(stored.value));
            if (stored.deviceVar)
                param->SetDeviceVar(true);
        }
    }
    index = 0;
    for (const Stored& stored : lists.substrings)
        Fill(substrings->Item(index++, true), stored.name, stored.deviceVar, stored.value);
    index = 0;
    for (const Stored& stored : lists.operations)
        Fill(operations->Item(index++, true), stored.name, stored.deviceVar, stored.value);
}

void CopyStoredIncomingLists(const QStandardItemModel& from, QStandardItemModel& to)
{
    to.setProperty(kKeptOperations, from.property(kKeptOperations));
    to.setProperty(kKeptLists, from.property(kKeptLists));
}

QString LoadIncomingSubstrings(ProductDataMessage_c& message, QStandardItemModel& model,
                               const QStandardItemModel* variables)
{
    while (model.rowCount() > 0)
        EditRows::Remove(model, model.rowCount() - 1);
    const std::vector<Stored> params = ReadList(message.Params(), true);
    const std::vector<Stored> substrings = ReadList(message.Substrings(), false);
    const std::vector<Stored> operations = ReadList(message.Operations(), false);

    std::vector<SubstringRow> written;
    for (const Stored& substring : substrings)
        written.push_back(ClassifySubstring(substring));
    std::vector<const Stored*> variableOperations, localOperations;
    for (const Stored& operation : operations)
        (operation.deviceVar ? variableOperations : localOperations).push_back(&operation);
    size_t nextVariableOperation = 0, nextLocalOperation = 0;

    // A capturing local's parameter is named like that of a variable row with
    // an operation on a variable of the same name, and like that of a later
    // local of the same name. The local owns the next such parameter when the
    // variable rows leave one for it and either every later local needs one
    // too or its stored operation shows the renaming only a capture makes.
    const auto isLocalParam = [&](size_t param, size_t substring, const QString& local, const QString& operation) {
        const QString name = local + kTemp;
        if (params[param].deviceVar || params[param].name != name)
            return false;
        qsizetype paramsLeft = 0, variablesLeft = 0, localsLeft = 0;
        for (size_t p = param; p < params.size(); ++p)
            paramsLeft += !params[p].deviceVar && params[p].name == name;
        for (size_t s = substring; s < written.size(); ++s) {
            variablesLeft += written[s].type == TypeVariable && WithoutTemp(written[s].stored->name) == local;
            localsLeft += written[s].type == TypeLocal && written[s].stored->value == local;
        }
        const qsizetype spare = paramsLeft - variablesLeft;
        return spare > 0 && (spare >= localsLeft || operation.contains(name));
    };

    // A variable row with an operation may have its capture stored as a
    // device_var parameter (name + "temp", a name no device variable has)
    // instead of a plain one: the row's own substring claims it.
    const auto claims = [&](size_t substring, size_t param) {
        if (substring >= written.size() || param >= params.size() || written[substring].type != TypeVariable)
            return false;
        const QString name = WithoutTemp(written[substring].stored->name);
        const Stored& stored = params[param];
        if (!stored.deviceVar)
            return WithoutTemp(stored.name) == name;
        const bool ownFollows = param + 1 < params.size() && !params[param + 1].deviceVar &&
                                WithoutTemp(params[param + 1].name) == name;
        return stored.name == name + kTemp && !FindVariable(variables, stored.name) && !ownFollows;
    };

    size_t param = 0, substring = 0;
    while (param < params.size() || substring < written.size()) {
        const int row = model.rowCount();
        const SubstringRow* next = substring < written.size() ? &written[substring] : nullptr;
        const bool numbered = next && next->type != TypeVariable;
        // A variable row without an operation is written only as a device_var
        // parameter; it goes first when the next written row comes later or
        // is itself a variable row (whose parameter follows this one).
        // Parameters are listed in the order of the captures: one listed
        // before the parameter a capturing local owns is a row before that
        // local, whatever the substrings' numbers say.
        const auto beforeLocal = [&] {
            if (!next || next->type != TypeLocal)
                return false;
            size_t owned = param;
            while (owned < params.size() && params[owned].deviceVar)
                ++owned;
            const QString operation = nextLocalOperation < localOperations.size()
                                          ? localOperations[nextLocalOperation]->value
                                          : QString();
            return owned < params.size() && isLocalParam(owned, substring, next->stored->value, operation);
        };
        const bool variableFirst = param < params.size() && params[param].deviceVar &&
                                   (!next || !numbered || next->index > row || beforeLocal()) &&
                                   !claims(substring, param);
        if (variableFirst || !next) {
            const Stored& stored = params[param++];
            QList<QStandardItem*> items = NewRow(row, TypeVariable);
            KeepCapture(items, stored);
            // A device_var capture named name + "temp" that no device variable
            // has, read by the next variable operation (on name): that row.
            const QString operand = WithoutTemp(stored.name);
            const bool read = stored.deviceVar && operand != stored.name && !FindVariable(variables, stored.name) &&
                              nextVariableOperation < variableOperations.size() &&
                              variableOperations[nextVariableOperation]->name == operand;
            if (read) {
                Link(items, variables, operand);
                SetStoredOperation(items, *variableOperations[nextVariableOperation++], operand);
            } else if (stored.deviceVar) {
                Link(items, variables, stored.name);
            } else if (nextVariableOperation < variableOperations.size()) {
                Link(items, variables, WithoutTemp(stored.name));
                SetStoredOperation(items, *variableOperations[nextVariableOperation++], WithoutTemp(stored.name));
            } else {
                // No operation reads it: the capture keeps its whole name.
                Link(items, variables, stored.name);
            }
            ReadWildcard(items, stored.value);
            model.appendRow(items);
            continue;
        }
        ++substring;
        const Stored& stored = *next->stored;
        QList<QStandardItem*> items = NewRow(row, next->type);
        switch (next->type) {
        case TypeConstant: RowCell(items, ColConstant)->setText(stored.value); break;
        case TypeWildcard: ReadWildcard(items, stored.value); break;
        case TypeVariable: {
            const QString name = WithoutTemp(stored.name);
            Link(items, variables, name);
            QString pattern;
            if (claims(substring - 1, param)) {
                KeepCapture(items, params[param]);
                pattern = params[param++].value;
            }
            ReadWildcard(items, pattern);
            if (nextVariableOperation < variableOperations.size()) {
                SetStoredOperation(items, *variableOperations[nextVariableOperation++], name);
            } else {
                // The message lists no operation for this row: the row shows
                // the substring's, and a save adds none while it stays as read.
                const QString operation = Restored(stored.value, name);
                SetOperation(items, operation);
                RowCell(items, ColOperation)->setData(QStringList{QString(), name, operation}, StoredOperationNameRole);
            }
            break;
        }
        case TypeLocal: {
            const QString name = stored.value;
            RowCell(items, ColVariable)->setText(name);
            QString operation;
            if (nextLocalOperation < localOperations.size())
                operation = localOperations[nextLocalOperation++]->value;
            const bool captures = param < params.size() && isLocalParam(param, substring - 1, name, operation);
            if (captures)
                KeepCapture(items, params[param]);
            ReadWildcard(items, captures ? params[param++].value : QString());
            SetOperation(items, captures ? Restored(operation, name) : operation);
            break;
        }
        }
        model.appendRow(items);
    }
    QVariantList kept;
    for (const Stored& operation : operations) {
        const auto& list = operation.deviceVar ? variableOperations : localOperations;
        const size_t read = operation.deviceVar ? nextVariableOperation : nextLocalOperation;
        if (std::find(list.begin() + static_cast<std::ptrdiff_t>(read), list.end(), &operation) != list.end())
            kept << QStringList{operation.name, operation.deviceVar ? QStringLiteral("true") : QString(),
                                operation.value};
    }
    model.setProperty(kKeptOperations, kept.isEmpty() ? QVariant() : QVariant(kept));
    UpdateAllRowPatterns(model);
    for (int row = 0; row < model.rowCount(); ++row) {
        QStandardItem* cell = model.item(row, ColPattern);
        QStringList kept = cell->data(StoredCaptureRole).toStringList();
        if (kept.size() == 2)
            cell->setData(kept << Text(model, row, ColPattern) << Text(model, row, ColOperationOn), StoredCaptureRole);
    }
    // The reading above follows what this store writes. Where the rows would
    // store other captures or operations than the file holds (what the show
    // controller reads), the lists are kept as they are until the rows
    // change; substrings only the editor reads are written as the rows say.
    Lists generated = GeneratedLists(model, variables);
    if (generated.params == params && generated.operations == operations &&
        PlainItems(message.Params(), {"name", "device_var"}, true) &&
        PlainItems(message.Operations(), {"name", "device_var", "result"}, false)) {
        model.setProperty(kKeptLists, QVariant());
    } else {
        auto keptLists = std::make_shared<KeptLists>();
        keptLists->generated = std::move(generated);
        keptLists->params = CopyItems(message.Params());
        keptLists->substrings = CopyItems(message.Substrings());
        keptLists->operations = CopyItems(message.Operations());
        model.setProperty(kKeptLists, QVariant::fromValue(KeptListsPtr(std::move(keptLists))));
    }
    return FromStd(message.GetText());
}

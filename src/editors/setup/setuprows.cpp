#include "editors/setup/setuprows.h"

#include <QStandardItemModel>

#include "editors/common/edithistory.h"
#include "editors/events/eventrows.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/incoming/incomingssstore.h"
#include "editors/common/cells.h"
#include "editors/common/firstprotocol.h"
#include "editors/common/modeltext.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssrows.h"
#include "editors/outgoing/outgoingssstore.h"
#include "model/productdata.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"

namespace SetupRow {

namespace {

const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");

ProductDataSetupMessages_c* ProtocolSetupMessages(ProductData_c& product, bool create)
{
    ProductDataProtocol_c* protocol = FirstProtocolOf(product, create);
    return protocol ? protocol->SetupMessages() : nullptr;
}

} // namespace

QList<QStandardItem*> NewRow(int kind, int number, QObject* owner, QStandardItemModel* variables)
{
    const bool outgoing = kind == KindOutgoing;
    QList<QStandardItem*> row;
    row.reserve(ColumnCount);
    for (int column = 0; column < ColumnCount; ++column)
        row << new EditItem();
    row[ColName]->setText((outgoing ? QStringLiteral("Outgoing") : QStringLiteral("Incoming")) +
                          QStringLiteral(" - SetupMessage") + QString::number(number));
    row[ColKind]->setText(QString::number(outgoing ? KindOutgoing : KindIncoming));
    QStandardItemModel* child = nullptr;
    if (outgoing) {
        auto* substrings = new OutgoingSSModel_c(owner);
        substrings->SetReferenceModels(nullptr, variables);
        child = substrings;
    } else {
        child = NewEditModel(IncomingSS::ColumnCount, owner);
    }
    row[ColChild]->setData(QVariant::fromValue(child), ModelRole);
    return row;
}

QString Text(const QStandardItemModel& messages, int row, int column)
{
    return CellText(messages, row, column);
}

void SetText(QStandardItemModel& messages, int row, int column, const QString& text)
{
    SetCellText(messages, row, column, text);
}

int RowKind(const QStandardItemModel& messages, int row)
{
    if (row < 0 || row >= messages.rowCount())
        return -1;
    return Text(messages, row, ColKind) == QString::number(KindIncoming) ? KindIncoming : KindOutgoing;
}

bool IsManual(const QStandardItemModel& messages, int row)
{
    return Text(messages, row, ColManEdit) == TrueText;
}

QStandardItemModel* Child(const QStandardItemModel& messages, int row)
{
    const QStandardItem* cell = row >= 0 && row < messages.rowCount() ? messages.item(row, ColChild) : nullptr;
    return cell ? cell->data(ModelRole).value<QStandardItemModel*>() : nullptr;
}

OutgoingSSModel_c* Outgoing(const QStandardItemModel& messages, int row)
{
    return RowKind(messages, row) == KindOutgoing ? qobject_cast<OutgoingSSModel_c*>(Child(messages, row)) : nullptr;
}

int AppendNew(QStandardItemModel& messages, int kind, QObject* owner, QStandardItemModel* variables)
{
    EditRows::Append(messages, NewRow(kind, messages.rowCount() + 1, owner, variables));
    return messages.rowCount() - 1;
}

int Duplicate(QStandardItemModel& messages, int row, QObject* owner, QStandardItemModel* variables)
{
    const int kind = RowKind(messages, row);
    if (kind < 0)
        return -1;
    QList<QStandardItem*> copy;
    {
        // The copy's child models are filled before it is a row.
        const EditHistory::Aside building(owner);
        copy = NewRow(kind, 0, owner, variables);
        copy[ColName]->setText(Text(messages, row, ColName) + QStringLiteral("Copy"));
        for (int column : {ColFormatOrRegexp, ColArgsOrExample, ColManEdit})
            copy[column]->setText(Text(messages, row, column));
        QStandardItemModel* child = copy[ColChild]->data(ModelRole).value<QStandardItemModel*>();
        if (kind == KindOutgoing) {
            const OutgoingSSModel_c* from = Outgoing(messages, row);
            if (auto* to = qobject_cast<OutgoingSSModel_c*>(child); from && to)
                CopySubstrings(*from, *to);
        } else if (const QStandardItemModel* from = Child(messages, row)) {
            for (int ss = 0; ss < from->rowCount(); ++ss)
                child->appendRow(IncomingSS::CopyRow(*from, ss));
        }
    }
    EditRows::Append(messages, copy);
    return messages.rowCount() - 1;
}

bool Remove(QStandardItemModel& messages, int row)
{
    if (row < 0 || row >= messages.rowCount())
        return false;
    EditRows::Remove(messages, row, [](const QList<QStandardItem*>& items) {
        QStandardItemModel* child = items.value(ColChild)->data(ModelRole).value<QStandardItemModel*>();
        qDeleteAll(items);
        delete child;
    });
    return true;
}

int AppendStored(QStandardItemModel& messages, ProductDataMessage_c& message, QObject* owner,
                 QStandardItemModel* variables)
{
    const bool incoming = KorIsTrue(message.IsIncoming());
    bool manual = KorIsTrue(message.IsManual());
    bool keep = false;
    const int row = AppendNew(messages, incoming ? KindIncoming : KindOutgoing, owner, variables);
    QStandardItemModel* child = Child(messages, row);
    if (incoming) {
        SetText(messages, row, ColArgsOrExample, LoadIncomingSubstrings(message, *child, variables));
        const QString stored = FromStd(message.GetRegexpFormat());
        keep = !manual && EventRow::IncomingDiffers(*child, stored);
        manual = manual || keep;
        SetText(messages, row, ColFormatOrRegexp, manual ? stored : IncomingSS::ResponseFormat(*child));
    } else {
        OutgoingSSModel_c* substrings = Outgoing(messages, row);
        LoadOutgoingSubstrings(message, *substrings);
        const QString stored = FromStd(message.GetFormat());
        keep = !manual && EventRow::OutgoingDiffers(*substrings, stored);
        manual = manual || keep;
        const EventRow::StoredFormat texts =
            manual ? EventRow::SplitStoredFormat(stored) : EventRow::GeneratedFormat(*substrings);
        SetText(messages, row, ColFormatOrRegexp, texts.format);
        SetText(messages, row, ColArgsOrExample, texts.args);
        messages.item(row, ColFormatOrRegexp)->setData(stored, StoredTextRole);
    }
    SetText(messages, row, ColManEdit, manual ? TrueText : FalseText);
    messages.item(row, ColKind)->setData(EventRow::OtherMessageTexts(message, incoming), EventRow::OtherTextsRole);
    if (message.GetElement() && message.GetElement()->FindAttribute("name"))
        messages.item(row, ColName)->setData(FromStd(message.GetName()), StoredNameRole);
    if (keep)
        messages.item(row, ColManEdit)->setData(true, KeptStoredRole);
    return row;
}

bool KeptStored(const QStandardItemModel& messages, int row)
{
    const QStandardItem* cell = row >= 0 && row < messages.rowCount() ? messages.item(row, ColManEdit) : nullptr;
    return cell && cell->data(KeptStoredRole).toBool();
}

int KeptStoredCount(const QStandardItemModel& messages)
{
    int kept = 0;
    for (int row = 0; row < messages.rowCount(); ++row)
        kept += KeptStored(messages, row);
    return kept;
}

void StoreRow(const QStandardItemModel& messages, int row, QStandardItemModel* variables,
              ProductDataMessage_c& message)
{
    const bool manual = IsManual(messages, row);
    const QStandardItem* nameCell = messages.item(row, ColName);
    if (nameCell && nameCell->data(StoredNameRole).isValid())
        message.SetName(ToStd(nameCell->data(StoredNameRole).toString()));
    if (RowKind(messages, row) == KindIncoming) {
        message.SetIncoming(true);
        message.SetRegexpFormat(ToStd(Text(messages, row, ColFormatOrRegexp)));
        message.SetText(ToStd(Text(messages, row, ColArgsOrExample)));
        if (const QStandardItemModel* child = Child(messages, row))
            StoreIncomingSubstrings(*child, variables, message);
    } else {
        message.SetIncoming(false);
        const OutgoingSSModel_c* substrings = Outgoing(messages, row);
        if (substrings)
            StoreOutgoingSubstrings(*substrings, message);
        // As on the events page: a generated message follows its substrings,
        // and XOR is stored under the name the runtime language knows.
        const QStandardItem* formatCell = messages.item(row, ColFormatOrRegexp);
        message.SetFormat(ToStd(EventRow::SavedOutgoingText(
                              substrings, manual,
                              {Text(messages, row, ColFormatOrRegexp), Text(messages, row, ColArgsOrExample)},
                              formatCell ? formatCell->data(StoredTextRole) : QVariant())));
    }
    message.SetManual(manual);
    if (const QStandardItem* kindCell = messages.item(row, ColKind))
        EventRow::WriteOtherMessageTexts(kindCell->data(EventRow::OtherTextsRole), message);
}

int LoadRows(ProductData_c& product, QStandardItemModel& messages, QObject* owner, QStandardItemModel* variables)
{
    ProductDataSetupMessages_c* list = ProtocolSetupMessages(product, false);
    const int count = list ? list->Count() : 0;
    int kept = 0;
    for (int index = 0; index < count; ++index) {
        if (ProductDataSetupMessage_c* message = list->Item(index))
            kept += KeptStored(messages, AppendStored(messages, *message, owner, variables));
    }
    return kept;
}

void StoreRows(const QStandardItemModel& messages, QStandardItemModel* variables, ProductData_c& product)
{
    ProductDataSetupMessages_c* list = ProtocolSetupMessages(product, messages.rowCount() > 0);
    for (int row = 0; list && row < messages.rowCount(); ++row) {
        if (ProductDataSetupMessage_c* message = list->Item(row, true))
            StoreRow(messages, row, variables, *message);
    }
}

} // namespace SetupRow

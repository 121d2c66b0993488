#include "editors/events/eventrows.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStringList>
#include <QTimer>

#include "editors/incoming/incomingssmodel.h"
#include "editors/incoming/incomingssstore.h"
#include "editors/common/cells.h"
#include "editors/common/edithistory.h"
#include "editors/common/firstprotocol.h"
#include "editors/common/keptitems.h"
#include "editors/common/modeltext.h"
#include "editors/common/namedrows.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/outgoing/outgoingssrows.h"
#include "editors/outgoing/outgoingssstore.h"
#include "editors/params/paramrows.h"
#include "foundation/korbuffer.h"
#include "foundation/korpool.h"
#include "foundation/xml/korxml.h"
#include "model/productdata.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace EventRow {

namespace {

const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");

QString FlagText(bool flag)
{
    return flag ? TrueText : FalseText;
}

void BuildRow(QStandardItemModel& events, int row);

// The cells the messages' substrings make, which a row of a large file gets
// from the first read of its command after the load.
constexpr int MadeTextColumns[] = {ColMsgFormat, ColMsgArgs, ColMsgManEdit, ColIRRegexp, ColIRExample, ColIncManEdit};

bool IsMadeText(int column)
{
    return std::find(std::begin(MadeTextColumns), std::end(MadeTextColumns), column) != std::end(MadeTextColumns);
}

void CompleteTexts(const QStandardItemModel& events, int row);

QStandardItemModel* ChildModel(const QStandardItemModel& events, int row, int column)
{
    if (row < 0 || row >= events.rowCount())
        return nullptr;
    // A row of a large file gets its models when they are first asked for;
    // what the row holds does not change by that.
    BuildRow(const_cast<QStandardItemModel&>(events), row);
    const QStandardItem* cell = events.item(row, column);
    return cell ? cell->data(ModelRole).value<QStandardItemModel*>() : nullptr;
}

void SetChildModel(QStandardItem* cell, QStandardItemModel* model)
{
    cell->setData(QVariant::fromValue(model), ModelRole);
}

bool IsSpace(QChar c)
{
    return c.isSpace();
}

// Copies, owned by no document, of the messages an event row does not show.
using KeptMessages = std::shared_ptr<const std::vector<std::unique_ptr<KorXML_c>>>;

void KeepMessages(QStandardItem* cell, ProductDataMessages_c* messages, int from)
{
    auto kept = std::make_shared<std::vector<std::unique_ptr<KorXML_c>>>();
    for (int index = from; messages && index < messages->Count(); ++index) {
        const ProductDataMessage_c* message = messages->Item(index);
        const KorXML_c* element = message ? message->GetElement() : nullptr;
        auto copy = std::make_unique<KorXML_c>(KOR_XML_ELEMENT);
        if (element && element->CopyInto(copy.get()) == KOR_OK)
            kept->push_back(std::move(copy));
    }
    cell->setData(kept->empty() ? QVariant() : QVariant::fromValue(KeptMessages(kept)), KeptMessagesRole);
}

// Appends the kept messages to the list's wrapper, then binds the list again
// so that it counts them.
void WriteKeptMessages(const QStandardItem* cell, ProductDataMessages_c& messages)
{
    const QVariant stored = cell ? cell->data(KeptMessagesRole) : QVariant();
    const KeptMessages kept = stored.isValid() ? stored.value<KeptMessages>() : nullptr;
    if (kept)
        AppendItems(*kept, &messages);
}

QVariant CellData(const QStandardItemModel& events, int row, int column, int role)
{
    const QStandardItem* cell = events.item(row, column);
    return cell ? cell->data(role) : QVariant();
}

// Whether the event expects a response and whether it sends nothing, as one
// text to compare.
QString ShapeText(const QStandardItemModel& events, int row)
{
    return Text(events, row, ColIncoming) + QLatin1Char('/') + Text(events, row, ColUnsolicited);
}

// Keeps on cell the message's stored name attribute, or that it had none.
void SetStoredName(QStandardItem* cell, ProductDataMessage_c& message)
{
    const KorXML_c* element = message.GetElement();
    const bool named = element && element->FindAttribute("name");
    cell->setData(named ? QVariant(FromStd(message.GetName())) : QVariant(), StoredNameRole);
}

void WriteStoredName(const QStandardItem* cell, ProductDataMessage_c& message)
{
    const QVariant name = cell ? cell->data(StoredNameRole) : QVariant();
    if (name.isValid())
        message.SetName(ToStd(name.toString()));
}

// Nothing is sent or expected: no outgoing substrings or typed format, no
// response.
bool WithoutMessages(const QStandardItemModel& events, int row, const OutgoingSSModel_c* outgoing)
{
    return !Flag(events, row, ColIncoming) && !Flag(events, row, ColUnsolicited) &&
           !Flag(events, row, ColMsgManEdit) && Text(events, row, ColMsgFormat).isEmpty() &&
           Text(events, row, ColMsgArgs).isEmpty() && (!outgoing || outgoing->rowCount() == 0);
}

// Marks (or unmarks, when a row is loaded again) a message kept as stored.
void SetKept(QStandardItemModel& events, int row, int column, bool kept)
{
    QStandardItem* cell = events.item(row, column);
    if (cell && cell->data(KeptStoredRole).toBool() != kept)
        cell->setData(kept ? QVariant(true) : QVariant(), KeptStoredRole);
}

// Outside double-quoted text an expression holds names of functions,
// parameters and variables, which the language matches ignoring case;
// quoted text is sent as written.
bool SameExpressionText(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    bool quoted = false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const QChar c = a[i];
        if (quoted ? c != b[i] : c.toCaseFolded() != b[i].toCaseFolded())
            return false;
        if (quoted && c == QLatin1Char('\\') && i + 1 < a.size()) {
            ++i;
            if (a[i] != b[i])
                return false;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
        }
    }
    return true;
}

ProductDataCommands_c* ProtocolCommands(ProductData_c& product, bool create)
{
    ProductDataProtocol_c* protocol = FirstProtocolOf(product, create);
    return protocol ? protocol->Commands() : nullptr;
}

// The child models of a row, or ones made for a while to read or write a row
// whose models are not built.
struct Children
{
    QStandardItemModel* params = nullptr;
    OutgoingSSModel_c* outgoing = nullptr;
    QStandardItemModel* incoming = nullptr;
};

Children NewChildren(QObject* owner, QStandardItemModel* variables)
{
    Children children;
    children.params = NewEditModel(ParamColumnCount, owner);
    children.outgoing = new OutgoingSSModel_c(owner);
    children.outgoing->SetReferenceModels(children.params, variables);
    children.incoming = NewEditModel(IncomingSS::ColumnCount, owner);
    return children;
}

// Puts children under ModelRole in the cells cellOf(column) gives for the
// three child model columns.
template <class CellOf>
void SetChildren(CellOf cellOf, const Children& children)
{
    SetChildModel(cellOf(ColParams), children.params);
    SetChildModel(cellOf(ColOutgoingSS), children.outgoing);
    SetChildModel(cellOf(ColIncomingSS), children.incoming);
}

// A row's cells without child models.
QList<QStandardItem*> NewCells(const QString& name)
{
    QList<QStandardItem*> row;
    row.reserve(ColumnCount);
    for (int column = 0; column < ColumnCount; ++column)
        row << new EditItem();
    row[ColName]->setText(name);
    row[ColRetries]->setText(QStringLiteral("0"));
    row[ColTimeout]->setText(QStringLiteral("30"));
    row[ColIncoming]->setText(TrueText);
    for (int column : {ColUnsolicited, ColMsgManEdit, ColIncManEdit})
        row[column]->setText(FalseText);
    return row;
}

} // namespace

// Child models made for a while, freed with it.
class ScratchModels
{
public:
    explicit ScratchModels(QStandardItemModel* variables) : m_Children(NewChildren(nullptr, variables)) {}
    ~ScratchModels()
    {
        // The outgoing model refers to the parameter model, so it goes first.
        delete m_Children.outgoing;
        delete m_Children.params;
        delete m_Children.incoming;
    }
    ScratchModels(const ScratchModels&) = delete;
    ScratchModels& operator=(const ScratchModels&) = delete;

    const Children& Get() const { return m_Children; }

    // The models emptied for the next read, as new ones would be: reading
    // one command after another into the same models spares making and
    // freeing three models per command.
    const Children& Cleared() const
    {
        for (QStandardItemModel* model : {static_cast<QStandardItemModel*>(m_Children.outgoing), m_Children.params,
                                          m_Children.incoming}) {
            const QSignalBlocker quiet(model);
            model->setRowCount(0);
            for (const QByteArray& name : model->dynamicPropertyNames())
                model->setProperty(name.constData(), QVariant());
        }
        m_Children.outgoing->SetPreviewsDeferred(false);
        return m_Children;
    }

private:
    Children m_Children;
};

QList<QStandardItem*> NewRow(const QString& name, QObject* owner, QStandardItemModel* variables)
{
    QList<QStandardItem*> row = NewCells(name);
    SetChildren([&](int column) { return row[column]; }, NewChildren(owner, variables));
    return row;
}

QString Text(const QStandardItemModel& events, int row, int column)
{
    if (IsMadeText(column))
        CompleteTexts(events, row);
    return CellText(events, row, column);
}

void SetText(QStandardItemModel& events, int row, int column, const QString& text)
{
    // What is written goes over the texts the row would read later.
    if (IsMadeText(column))
        CompleteTexts(events, row);
    SetCellText(events, row, column, text);
}

bool Flag(const QStandardItemModel& events, int row, int column)
{
    return Text(events, row, column) == TrueText;
}

QStandardItemModel* Params(const QStandardItemModel& events, int row)
{
    return ChildModel(events, row, ColParams);
}

OutgoingSSModel_c* Outgoing(const QStandardItemModel& events, int row)
{
    return qobject_cast<OutgoingSSModel_c*>(ChildModel(events, row, ColOutgoingSS));
}

QStandardItemModel* Incoming(const QStandardItemModel& events, int row)
{
    return ChildModel(events, row, ColIncomingSS);
}

int AppendNew(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables)
{
    EditRows::Append(events, NewRow(QStringLiteral("Event%1").arg(events.rowCount() + 1), owner, variables));
    return events.rowCount() - 1;
}

int AppendIRFileEvent(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables,
                      const QString& name, const QString& message)
{
    QList<QStandardItem*> row = NewRow(name, owner, variables);
    row[ColMsgFormat]->setText(message);
    row[ColMsgManEdit]->setText(TrueText);
    row[ColIRRegexp]->setText(QStringLiteral("completeir.+\\r"));
    row[ColIncManEdit]->setText(TrueText);
    EditRows::Append(events, row);
    return events.rowCount() - 1;
}

int Duplicate(QStandardItemModel& events, int row, QObject* owner, QStandardItemModel* variables)
{
    if (row < 0 || row >= events.rowCount())
        return -1;
    QList<QStandardItem*> copy;
    {
        // The copy's child models are filled before it is a row.
        const EditHistory::Aside building(owner);
        copy = NewRow(Text(events, row, ColName) + QStringLiteral("Copy"), owner, variables);
        for (int column = ColDescription; column < ColumnCount; ++column) {
            if (column != ColParams && column != ColOutgoingSS && column != ColIncomingSS)
                copy[column]->setText(Text(events, row, column));
        }
        auto* params = copy[ColParams]->data(ModelRole).value<QStandardItemModel*>();
        CopyParamRows(Params(events, row), params);
        // The substrings' parameter references follow the copied parameters by row.
        const OutgoingSSModel_c* outgoing = Outgoing(events, row);
        auto* outgoingCopy = qobject_cast<OutgoingSSModel_c*>(copy[ColOutgoingSS]->data(ModelRole).value<QStandardItemModel*>());
        if (outgoing && outgoingCopy) {
            CopySubstrings(*outgoing, *outgoingCopy);
            CopyStoredOutgoingOperations(*outgoing, *outgoingCopy);
        }
        const QStandardItemModel* incoming = Incoming(events, row);
        auto* incomingCopy = copy[ColIncomingSS]->data(ModelRole).value<QStandardItemModel*>();
        for (int ss = 0; incoming && ss < incoming->rowCount(); ++ss)
            incomingCopy->appendRow(IncomingSS::CopyRow(*incoming, ss));
        if (incoming)
            CopyStoredIncomingLists(*incoming, *incomingCopy);
    }
    EditRows::Append(events, copy);
    return events.rowCount() - 1;
}

bool Remove(QStandardItemModel& events, int row)
{
    if (row < 0 || row >= events.rowCount())
        return false;
    EditRows::Remove(events, row, [](const QList<QStandardItem*>& items) {
        const auto model = [&](int column) { return items.value(column)->data(ModelRole).value<QStandardItemModel*>(); };
        const QList<QStandardItemModel*> models = {model(ColParams), model(ColOutgoingSS), model(ColIncomingSS)};
        qDeleteAll(items);
        // The outgoing model refers to the parameter model, so it goes first.
        delete models[1];
        delete models[0];
        delete models[2];
    });
    return true;
}

StoredFormat SplitStoredFormat(const QString& stored)
{
    const qsizetype size = stored.size();
    qsizetype at = 0;
    while (at < size && IsSpace(stored[at]))
        ++at;
    if (at < size && stored[at] == QLatin1Char('"')) {
        const qsizetype start = ++at;
        while (at < size && stored[at] != QLatin1Char('"'))
            at += stored[at] == QLatin1Char('\\') ? 2 : 1;
        if (at < size) {
            const QString format = stored.mid(start, at - start);
            ++at;
            while (at < size && IsSpace(stored[at]))
                ++at;
            if (at == size)
                return {format, QString()};
            if (stored[at] == QLatin1Char(',')) {
                ++at;
                while (at < size && IsSpace(stored[at]))
                    ++at;
                return {format, stored.mid(at)};
            }
        }
    }
    return {stored, QString()};
}

QString JoinStoredFormat(const QString& format, const QString& args)
{
    QString text = QLatin1Char('"') + format + QLatin1Char('"');
    if (!args.isEmpty())
        text += QStringLiteral(", ") + args;
    return text;
}

StoredFormat GeneratedFormat(const OutgoingSSModel_c& model)
{
    StoredFormat out;
    QStringList args;
    for (int row = 0; row < model.rowCount(); ++row) {
        out.format += FormatPiece(model, row);
        const QString arg = CurrentArgPiece(model, row);
        if (!arg.isEmpty())
            args << arg;
    }
    out.args = XorAsBcc(args.join(QStringLiteral(", ")));
    return out;
}

namespace {

// GeneratedFormat read from the piece cells, which hold what it computes
// right after a load refreshed every row; a load of many events spends a
// good part of its time computing the pieces, so they are not made twice.
StoredFormat LoadedGeneratedFormat(const OutgoingSSModel_c& model)
{
    StoredFormat out;
    QStringList args;
    for (int row = 0; row < model.rowCount(); ++row) {
        out.format += model.Text(row, OutgoingSSModel_c::ColFormatPiece);
        const QString arg = model.Text(row, OutgoingSSModel_c::ColArgPiece);
        if (!arg.isEmpty())
            args << arg;
    }
    out.args = XorAsBcc(args.join(QStringLiteral(", ")));
    Q_ASSERT([&] {
        const StoredFormat computed = GeneratedFormat(model);
        return out.format == computed.format && out.args == computed.args;
    }());
    return out;
}

bool GeneratedDiffers(const StoredFormat& generatedTexts, const QString& stored)
{
    const QString generated = StoredOutgoingText(generatedTexts);
    // A message with nothing stored sends nothing, as do substrings that make
    // an empty format.
    if (stored.isEmpty())
        return generated != JoinStoredFormat(QString(), QString());
    return !SameExpressionText(stored, generated);
}

} // namespace

QString StoredOutgoingText(const StoredFormat& texts, const QString& loaded)
{
    // Spaces around the comma are the file's own: the language reads a bare
    // word with the space before it.
    if (!loaded.isNull()) {
        const StoredFormat split = SplitStoredFormat(loaded);
        if (split.format == texts.format && split.args == texts.args)
            return XorAsBcc(loaded);
    }
    return XorAsBcc(JoinStoredFormat(texts.format, texts.args));
}

QString SavedOutgoingText(const OutgoingSSModel_c* model, bool manual, const StoredFormat& typed,
                          const QVariant& stored)
{
    const QString loaded = stored.isValid() ? stored.toString() : QString();
    // A message stored with no format, or an empty one, keeps it while it
    // still sends nothing.
    if (stored.isValid() && loaded.isEmpty()) {
        const StoredFormat made = manual || !model ? typed : GeneratedFormat(*model);
        if (made.format.isEmpty() && made.args.isEmpty())
            return loaded;
    }
    if (manual || !model)
        return StoredOutgoingText(typed, loaded);
    const QString generated = StoredOutgoingText(GeneratedFormat(*model));
    return !loaded.isEmpty() && SameExpressionText(loaded, generated) ? loaded : generated;
}

bool OutgoingDiffers(const OutgoingSSModel_c& model, const QString& stored)
{
    return GeneratedDiffers(GeneratedFormat(model), stored);
}

bool IncomingDiffers(const QStandardItemModel& model, const QString& stored)
{
    return stored != IncomingSS::ResponseFormat(model);
}

namespace {

// What a message stores that its kind does not use: pairs of what and text,
// and copies of the captures stored with a message that sends.
struct OtherTexts
{
    QStringList texts;
    KeptItems params;
};
using OtherTextsPtr = std::shared_ptr<const OtherTexts>;

} // namespace

QVariant OtherMessageTexts(ProductDataMessage_c& message, bool incoming)
{
    const KorXML_c* element = message.GetElement();
    auto other = std::make_shared<OtherTexts>();
    QStringList& texts = other->texts;
    if (incoming) {
        if (element && element->FindAttribute("format") && !message.GetFormat().empty())
            texts << QStringLiteral("format") << FromStd(message.GetFormat());
    } else {
        if (element && element->FindAttribute("regexp_format") && !message.GetRegexpFormat().empty())
            texts << QStringLiteral("regexp") << FromStd(message.GetRegexpFormat());
        if (const std::string example = message.GetText(); !example.empty())
            texts << QStringLiteral("example") << FromStd(example);
        // Captures stored with a message that sends, as they are.
        if (element && element->FindChildElement("params"))
            other->params = CopyItems(message.Params());
    }
    return texts.isEmpty() && other->params.empty() ? QVariant() : QVariant::fromValue(OtherTextsPtr(std::move(other)));
}

void WriteOtherMessageTexts(const QVariant& texts, ProductDataMessage_c& message)
{
    const OtherTextsPtr other = texts.isValid() ? texts.value<OtherTextsPtr>() : nullptr;
    if (!other)
        return;
    const QStringList& list = other->texts;
    for (qsizetype i = 0; i + 1 < list.size(); i += 2) {
        const std::string text = ToStd(list[i + 1]);
        if (list[i] == QLatin1String("format"))
            message.SetFormat(text);
        else if (list[i] == QLatin1String("regexp"))
            message.SetRegexpFormat(text);
        else if (list[i] == QLatin1String("example"))
            message.SetText(text);
    }
    if (!other->params.empty())
        AppendItems(other->params, message.Params());
}

namespace {

// Without child models (Children{}), the row gets only what the command
// holds as it is: the texts its messages' substrings make are left to a
// later read (TextsPendingRole).
int LoadRowInto(QStandardItemModel& events, int row, QStandardItemModel* variables, ProductDataCommand_c& command,
                const Children& children)
{
    int kept = 0;
    SetText(events, row, ColName, FromStd(command.GetName()));
    SetText(events, row, ColDescription, FromStd(command.GetDescription()));
    SetText(events, row, ColRetries, QString::number(command.GetRetries()));
    SetText(events, row, ColTimeout, QString::number(command.GetTimeout()));
    QStandardItemModel* params = children.params;
    LoadParamRows(command.Params(), params);

    ProductDataMessages_c* messages = command.Messages();
    const int count = messages ? messages->Count() : 0;
    int next = 0;
    bool outgoing = false;
    ProductDataMessage_c* message = count > 0 ? messages->Item(0) : nullptr;
    if (message && !KorIsTrue(message->IsIncoming())) {
        outgoing = true;
        next = 1;
        SetText(events, row, ColUnsolicited, FalseText);
        const QString stored = FromStd(message->GetFormat());
        if (OutgoingSSModel_c* model = children.outgoing) {
            model->SetReferenceModels(params, variables);
            LoadOutgoingSubstrings(*message, *model);
            const StoredFormat generated = LoadedGeneratedFormat(*model);
            const bool keep = !KorIsTrue(message->IsManual()) && GeneratedDiffers(generated, stored);
            const bool manual = keep || KorIsTrue(message->IsManual());
            const StoredFormat texts = manual ? SplitStoredFormat(stored) : generated;
            SetText(events, row, ColMsgFormat, texts.format);
            SetText(events, row, ColMsgArgs, texts.args);
            SetText(events, row, ColMsgManEdit, FlagText(manual));
            SetKept(events, row, ColMsgManEdit, keep);
            kept += keep;
        }
        events.item(row, ColMsgFormat)->setData(stored, StoredTextRole);
        SetStoredName(events.item(row, ColMsgFormat), *message);
        events.item(row, ColMsgFormat)->setData(OtherMessageTexts(*message, false), OtherTextsRole);
    }
    message = next < count ? messages->Item(next) : nullptr;
    if (message && KorIsTrue(message->IsIncoming())) {
        SetText(events, row, ColIncoming, TrueText);
        SetText(events, row, ColUnsolicited, FlagText(!outgoing));
        if (QStandardItemModel* model = children.incoming) {
            SetText(events, row, ColIRExample, LoadIncomingSubstrings(*message, *model, variables));
            const QString stored = FromStd(message->GetRegexpFormat());
            const bool keep = !KorIsTrue(message->IsManual()) && IncomingDiffers(*model, stored);
            const bool manual = keep || KorIsTrue(message->IsManual());
            SetText(events, row, ColIRRegexp, manual ? stored : IncomingSS::ResponseFormat(*model));
            SetText(events, row, ColIncManEdit, FlagText(manual));
            SetKept(events, row, ColIncManEdit, keep);
            kept += keep;
        }
        SetStoredName(events.item(row, ColIRRegexp), *message);
        events.item(row, ColIRRegexp)->setData(OtherMessageTexts(*message, true), OtherTextsRole);
        ++next;
    } else {
        SetText(events, row, ColIncoming, FalseText);
        SetText(events, row, ColUnsolicited, FalseText);
    }
    // The flag is the file's own: an event whose only message is a response
    // may be stored as solicited, and it stays so until its shape changes.
    events.item(row, ColUnsolicited)
        ->setData(QStringList{FlagText(KorIsTrue(command.IsUnsolicited())), ShapeText(events, row)},
                  StoredUnsolicitedRole);
    events.item(row, ColIncoming)->setData(count == 0 ? QVariant(true) : QVariant(), StoredWithoutMessagesRole);
    KeepMessages(events.item(row, ColName), messages, next);
    return kept;
}

void StoreRowFrom(const QStandardItemModel& events, int row, QStandardItemModel* variables,
                  ProductDataCommand_c& command, const Children& children)
{
    command.SetName(ToStd(Text(events, row, ColName)));
    command.SetDescription(ToStd(Text(events, row, ColDescription)));
    command.SetRetries(Text(events, row, ColRetries).toInt());
    command.SetTimeout(Text(events, row, ColTimeout).toInt());
    StoreParamRows(children.params, command.Params());

    const bool unsolicited = Flag(events, row, ColUnsolicited);
    const QStringList stored = CellData(events, row, ColUnsolicited, StoredUnsolicitedRole).toStringList();
    command.SetUnsolicited(stored.size() == 2 && stored[1] == ShapeText(events, row) ? stored[0] == TrueText
                                                                                      : unsolicited);
    // An event stored without messages (one still being written) stays so
    // until it is given something to send or expect.
    if (CellData(events, row, ColIncoming, StoredWithoutMessagesRole).toBool() && WithoutMessages(events, row, children.outgoing))
        return;
    ProductDataMessages_c* messages = command.Messages();
    if (!messages)
        return;
    int next = 0;
    if (!unsolicited) {
        if (ProductDataMessage_c* message = messages->Item(next++, true)) {
            WriteStoredName(events.item(row, ColMsgFormat), *message);
            const OutgoingSSModel_c* model = children.outgoing;
            if (model)
                StoreOutgoingSubstrings(*model, *message);
            const bool manual = Flag(events, row, ColMsgManEdit);
            // A generated message is rebuilt from its substrings, which follow
            // renamed or deleted variables even while the event is not shown.
            const QStandardItem* formatCell = events.item(row, ColMsgFormat);
            message->SetFormat(ToStd(
                SavedOutgoingText(model, manual, {Text(events, row, ColMsgFormat), Text(events, row, ColMsgArgs)},
                                  formatCell ? formatCell->data(StoredTextRole) : QVariant())));
            message->SetManual(manual);
            WriteOtherMessageTexts(CellData(events, row, ColMsgFormat, OtherTextsRole), *message);
        }
    }
    if (Flag(events, row, ColIncoming)) {
        if (ProductDataMessage_c* message = messages->Item(next++, true)) {
            WriteStoredName(events.item(row, ColIRRegexp), *message);
            message->SetIncoming(true);
            message->SetRegexpFormat(ToStd(Text(events, row, ColIRRegexp)));
            message->SetText(ToStd(Text(events, row, ColIRExample)));
            if (const QStandardItemModel* model = children.incoming)
                StoreIncomingSubstrings(*model, variables, *message);
            message->SetManual(Flag(events, row, ColIncManEdit));
            WriteOtherMessageTexts(CellData(events, row, ColIRRegexp, OtherTextsRole), *message);
        }
    }
    WriteKeptMessages(events.item(row, ColName), *messages);
}

// Loads a command into new child models; nothing listens to them yet, and
// each of their cells would still signal its change.
int LoadNewChildren(QStandardItemModel& events, int row, QStandardItemModel* variables, ProductDataCommand_c& command,
                    const Children& children)
{
    const QSignalBlocker params(children.params);
    const QSignalBlocker outgoing(children.outgoing);
    const QSignalBlocker incoming(children.incoming);
    return LoadRowInto(events, row, variables, command, children);
}

// The command as a save writes it, hidden parts included.
std::string CommandText(ProductDataCommand_c& command)
{
    const bool writeHidden = KorXML_c::GetWriteHidden();
    KorXML_c::SetWriteHidden(true);
    KorStringWriter_c text;
    command.GetElement()->Write(&text, 0, false);
    KorXML_c::SetWriteHidden(writeHidden);
    return std::string(text.Text());
}

// Reads a command kept as text into child models, and its row's cells into
// the one row of cells.
void ReadKeptCommand(const QByteArray& text, QStandardItemModel* variables, const Children& children,
                     QStandardItemModel& cells)
{
    const auto command =
        CommandFromText(std::string_view(text.constData(), static_cast<size_t>(text.size())));
    if (!command)
        return;
    cells.setRowCount(0);
    cells.appendRow(NewCells(QString()));
    LoadNewChildren(cells, 0, variables, *command, children);
}

QByteArray KeptCommand(const QStandardItemModel& events, int row)
{
    const QStandardItem* cell = events.item(row, ColName);
    return cell ? cell->data(KeptCommandRole).toByteArray() : QByteArray();
}

Children RowChildren(const QStandardItemModel& events, int row)
{
    return {Params(events, row), Outgoing(events, row), Incoming(events, row)};
}

const QString PendingRowsName = QStringLiteral("EventRow::PendingRows");

// The rows of a large file whose child models are built when first asked
// for, and whose texts are filled by their first read, and what reading them
// needs: the models' owner and the device variables as the load read them.
// A row is read with the variables' texts as loaded, so that it links to the
// variables the load would have linked it to even after a rename; a variable
// added, removed or moved builds every row first.
class PendingRows : public QObject
{
public:
    PendingRows(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables)
        : QObject(&events), m_Events(events), m_pOwner(owner), m_pVariables(variables)
    {
        setObjectName(PendingRowsName);
        connect(&events, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to) { ForgetSaved(from.row(), to.row()); });
        // While the window is idle, a few rows at a time get their texts;
        // then, as the first save would store every row from its text, a
        // few rows at a time are stored ahead of it.
        m_Prepare.setSingleShot(true);
        m_Prepare.setInterval(0);
        connect(&m_Prepare, &QTimer::timeout, this, &PendingRows::PrepareSaves);
        m_Prepare.start();
        if (!variables)
            return;
        for (int row = 0; row < variables->rowCount(); ++row) {
            QStringList texts;
            for (int column = 0; column < variables->columnCount(); ++column)
                texts << CellText(*variables, row, column);
            m_VariableTexts << texts;
        }
        const auto buildAll = [this] { BuildAll(); };
        connect(variables, &QAbstractItemModel::rowsAboutToBeInserted, this, buildAll);
        connect(variables, &QAbstractItemModel::rowsAboutToBeRemoved, this, buildAll);
        connect(variables, &QAbstractItemModel::rowsAboutToBeMoved, this, buildAll);
        connect(variables, &QAbstractItemModel::columnsAboutToBeInserted, this, buildAll);
        connect(variables, &QAbstractItemModel::columnsAboutToBeRemoved, this, buildAll);
        connect(variables, &QAbstractItemModel::layoutAboutToBeChanged, this, buildAll);
        connect(variables, &QAbstractItemModel::modelAboutToBeReset, this, buildAll);
        connect(variables, &QAbstractItemModel::dataChanged, this, &PendingRows::VariablesChanged);
    }

    QStandardItemModel* Variables() const { return m_pVariables; }

    // Reads a kept command into child models, the variables reading as
    // loaded; the texts of row, when still pending, are filled from the read.
    void Read(const QByteArray& text, const Children& children, int row) const
    {
        const AsLoaded loaded(*this);
        // The names as loaded, kept for the next reads while a change to the
        // variables' rows or texts is still heard of.
        std::unique_ptr<NamedRows> once;
        if (!m_pLoadedNames && m_pVariables)
            (m_Watching ? m_pLoadedNames : once) = std::make_unique<NamedRows>(*m_pVariables);
        const NamedRows* names = once ? once.get() : m_pLoadedNames.get();
        const NamedRows::Use use(names ? m_pVariables.data() : nullptr, names ? *names : NamedRows::None());
        ReadKeptCommand(text, m_pVariables, children, m_ReadCells);
        QStandardItem* name = m_Events.item(row, ColName);
        if (!name || !name->data(TextsPendingRole).isValid() || m_ReadCells.rowCount() != 1)
            return;
        // Filled as the load would have filled them: nothing to undo, nothing
        // changed to show or to save again.
        const EditHistory::Aside aside(m_pOwner);
        const QSignalBlocker blocker(&m_Events);
        for (const int column : MadeTextColumns) {
            const QStandardItem* read = m_ReadCells.item(0, column);
            QStandardItem* cell = MadeCell(m_Events, row, column);
            if (!read || !cell)
                continue;
            cell->setText(read->text());
            cell->setData(read->data(KeptStoredRole), KeptStoredRole);
        }
        name->setData(QVariant(), TextsPendingRole);
    }

    // Fills a row's pending texts from a read of its command.
    void Complete(int row) const
    {
        const QByteArray kept = KeptCommand(m_Events, row);
        if (!kept.isEmpty())
            Read(kept, Scratch(m_pCompleting), row);
    }

    // While idle, every row's pending texts are read first, then the first
    // save is prepared; done is called after the first part.
    void WhenTextsRead(QObject* context, std::function<void()> done)
    {
        m_WhenTextsRead.push_back({context, std::move(done)});
    }
    void ForgetWhenTextsRead() { m_WhenTextsRead.clear(); }
    bool TextsRead() const { return m_TextsRead; }

    // What a save writes for a row not yet built: the row stored, with models
    // read for the while, into a command of its own.
    std::string SaveText(int row, const QByteArray& kept) const
    {
        const std::unique_ptr<ProductDataCommand_c> command = CommandFromText("<command/>");
        if (!command)
            return {};
        const Children& scratch = Scratch(m_pSaving);
        Read(kept, scratch, row);
        StoreRowFrom(m_Events, row, m_pVariables, *command, scratch);
        return CommandText(*command);
    }

    static PendingRows* Of(const QStandardItemModel& events)
    {
        return dynamic_cast<PendingRows*>(events.findChild<QObject*>(PendingRowsName, Qt::FindDirectChildrenOnly));
    }

    void Build(int row)
    {
        QStandardItem* name = m_Events.item(row, ColName);
        const QByteArray text = name ? name->data(KeptCommandRole).toByteArray() : QByteArray();
        if (text.isEmpty())
            return;
        // The row holds what it held: nothing to undo, nothing to show again.
        const EditHistory::Aside aside(m_pOwner);
        const QSignalBlocker blocker(&m_Events);
        const Children children = NewChildren(m_pOwner, m_pVariables);
        Read(text, children, row);
        SetChildren([&](int column) { return MadeCell(m_Events, row, column); }, children);
        name->setData(QVariant(), KeptCommandRole);
        name->setData(QVariant(), SavedCommandRole);
    }

    // What a save wrote for a row not yet built, written again by the next
    // save while the row stays as it is: true when that is the kept text.
    void KeepSaved(int row, const std::string& written, const QByteArray& kept)
    {
        QStandardItem* name = m_Events.item(row, ColName);
        if (!name)
            return;
        const EditHistory::Aside aside(m_pOwner);
        const QSignalBlocker blocker(&m_Events);
        const bool same = std::string_view(kept.constData(), size_t(kept.size())) == written;
        name->setData(same ? QVariant(true) : QVariant(QByteArray::fromStdString(written)), SavedCommandRole);
    }

    void BuildAll()
    {
        for (int row = 0; row < m_Events.rowCount(); ++row)
            Build(row);
        // Nothing is left to build: the variables may change freely.
        m_Prepare.stop();
        m_pLoadedNames.reset();
        m_Watching = false;
        if (m_pVariables)
            disconnect(m_pVariables, nullptr, this, nullptr);
        TextsAllRead();
    }

private:
    // Models for reads, made once and emptied for each; saving and filling
    // texts have their own, so that neither empties the other's in use.
    const Children& Scratch(std::unique_ptr<ScratchModels>& models) const
    {
        if (!models)
            models = std::make_unique<ScratchModels>(m_pVariables);
        return models->Cleared();
    }

    void TextsAllRead()
    {
        if (m_TextsRead)
            return;
        m_TextsRead = true;
        for (auto& [context, done] : std::exchange(m_WhenTextsRead, {})) {
            if (context)
                QTimer::singleShot(0, context, std::move(done));
        }
    }

    // Fills rows' texts, then stores rows ahead of the first save, for about
    // a frame's time, then lets the window run before the next rows.
    void PrepareSaves()
    {
        QElapsedTimer spent;
        spent.start();
        for (; m_NextToComplete < m_Events.rowCount() && spent.elapsed() < 10; ++m_NextToComplete)
            Complete(m_NextToComplete);
        if (m_NextToComplete < m_Events.rowCount()) {
            m_Prepare.start();
            return;
        }
        TextsAllRead();
        for (; m_NextToPrepare < m_Events.rowCount() && spent.elapsed() < 10; ++m_NextToPrepare) {
            const int row = m_NextToPrepare;
            const QByteArray kept = KeptCommand(m_Events, row);
            if (!kept.isEmpty() && !CellData(m_Events, row, ColName, SavedCommandRole).isValid())
                KeepSaved(row, SaveText(row, kept), kept);
        }
        if (m_NextToPrepare < m_Events.rowCount())
            m_Prepare.start();
    }

    void ForgetSaved(int from, int to)
    {
        const EditHistory::Aside aside(m_pOwner);
        const QSignalBlocker blocker(&m_Events);
        for (int row = std::max(from, 0); row <= to && row < m_Events.rowCount(); ++row) {
            if (QStandardItem* name = m_Events.item(row, ColName); name && name->data(SavedCommandRole).isValid())
                name->setData(QVariant(), SavedCommandRole);
        }
    }

    // The variables' texts changed since the load swapped back to what they
    // were for a while (signals blocked, nothing recorded).
    class AsLoaded
    {
    public:
        explicit AsLoaded(const PendingRows& rows) : m_Rows(rows) { Swap(); }
        ~AsLoaded() { Swap(); }
        AsLoaded(const AsLoaded&) = delete;
        AsLoaded& operator=(const AsLoaded&) = delete;

    private:
        void Swap()
        {
            QStandardItemModel* variables = m_Rows.m_pVariables;
            if (m_Rows.m_ChangedCells.isEmpty() || !variables)
                return;
            const EditHistory::Aside aside(m_Rows.m_pOwner);
            const QSignalBlocker blocker(variables);
            const bool restoring = !m_Texts.isEmpty();
            for (qsizetype i = 0; i < m_Rows.m_ChangedCells.size(); ++i) {
                const auto [row, column] = m_Rows.m_ChangedCells[i];
                QStandardItem* cell = variables->item(row, column);
                if (!cell)
                    continue;
                if (restoring) {
                    cell->setText(m_Texts.value(i));
                } else {
                    m_Texts.resize(m_Rows.m_ChangedCells.size());
                    m_Texts[i] = cell->text();
                    cell->setText(m_Rows.m_VariableTexts[row][column]);
                }
            }
        }

        const PendingRows& m_Rows;
        QStringList m_Texts;
    };

    // A variable's text changed (its name, typically): rows are read with it
    // as loaded from now on, and what was saved for them may name it
    // otherwise now.
    void VariablesChanged(const QModelIndex& from, const QModelIndex& to)
    {
        for (int row = std::max(from.row(), 0); row <= to.row() && row < m_VariableTexts.size(); ++row) {
            for (int column = std::max(from.column(), 0); column <= to.column() && column < m_VariableTexts[row].size();
                 ++column) {
                const std::pair<int, int> cell{row, column};
                const bool changed = CellText(*m_pVariables, row, column) != m_VariableTexts[row][column];
                if (changed && !m_ChangedCells.contains(cell))
                    m_ChangedCells.append(cell);
                else if (!changed)
                    m_ChangedCells.removeOne(cell);
            }
        }
        m_pLoadedNames.reset();
        ForgetSaved(0, m_Events.rowCount() - 1);
        m_NextToPrepare = 0;
        m_Prepare.start();
    }

    QStandardItemModel& m_Events;
    QPointer<QObject> m_pOwner;
    QPointer<QStandardItemModel> m_pVariables;
    QList<QStringList> m_VariableTexts;
    QList<std::pair<int, int>> m_ChangedCells;  // row and column of texts that differ from m_VariableTexts
    QTimer m_Prepare;
    int m_NextToPrepare = 0;
    int m_NextToComplete = 0;
    bool m_TextsRead = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_WhenTextsRead;
    mutable std::unique_ptr<ScratchModels> m_pSaving;
    mutable std::unique_ptr<ScratchModels> m_pCompleting;
    mutable QStandardItemModel m_ReadCells{0, ColumnCount};
    mutable std::unique_ptr<NamedRows> m_pLoadedNames;
    bool m_Watching = true;
};

void BuildRow(QStandardItemModel& events, int row)
{
    const QStandardItem* name = events.item(row, ColName);
    if (!name || !name->data(KeptCommandRole).isValid())
        return;
    if (PendingRows* pending = PendingRows::Of(events))
        pending->Build(row);
}

void CompleteTexts(const QStandardItemModel& events, int row)
{
    const QStandardItem* name = row >= 0 && row < events.rowCount() ? events.item(row, ColName) : nullptr;
    if (!name || !name->data(TextsPendingRole).isValid())
        return;
    if (const PendingRows* pending = PendingRows::Of(events))
        pending->Complete(row);
}

int BuildWhenShownFrom = 5000;

} // namespace

int LoadRow(QStandardItemModel& events, int row, QStandardItemModel* variables, ProductDataCommand_c& command)
{
    return LoadRowInto(events, row, variables, command, RowChildren(events, row));
}

void StoreRow(const QStandardItemModel& events, int row, QStandardItemModel* variables,
              ProductDataCommand_c& command)
{
    StoreRowFrom(events, row, variables, command, RowChildren(events, row));
}

int SetBuildWhenShownFrom(int commands)
{
    return std::exchange(BuildWhenShownFrom, commands);
}

bool Built(const QStandardItemModel& events, int row)
{
    const QStandardItem* name = row >= 0 && row < events.rowCount() ? events.item(row, ColName) : nullptr;
    return name && !name->data(KeptCommandRole).isValid();
}

int UnpreparedRows(const QStandardItemModel& events)
{
    int rows = 0;
    for (int row = 0; row < events.rowCount(); ++row)
        rows += !KeptCommand(events, row).isEmpty() && !CellData(events, row, ColName, SavedCommandRole).isValid();
    return rows;
}

ReadModels::ReadModels(const QStandardItemModel& events, int row)
{
    const QByteArray text = row >= 0 && row < events.rowCount() ? KeptCommand(events, row) : QByteArray();
    const PendingRows* pending = text.isEmpty() ? nullptr : PendingRows::Of(events);
    if (!pending) {
        m_pParams = EventRow::Params(events, row);
        m_pOutgoing = EventRow::Outgoing(events, row);
        m_pIncoming = EventRow::Incoming(events, row);
        return;
    }
    m_pScratch = std::make_unique<ScratchModels>(pending->Variables());
    const Children& children = m_pScratch->Get();
    pending->Read(text, children, row);
    m_pParams = children.params;
    m_pOutgoing = children.outgoing;
    m_pIncoming = children.incoming;
}

ReadModels::~ReadModels() = default;

int LoadRows(ProductData_c& product, QStandardItemModel& events, QObject* owner, QStandardItemModel* variables)
{
    // Rows already there are built, so that every row still has what it reads from.
    if (PendingRows* earlier = PendingRows::Of(events)) {
        earlier->ForgetWhenTextsRead();  // what was waiting for them was about those rows
        earlier->BuildAll();
        delete earlier;
    }
    ProductDataCommands_c* commands = ProtocolCommands(product, false);
    if (!commands)
        return 0;
    // The rows of a large file take several times the memory of the file:
    // past a size, a row keeps its command as text and builds its child
    // models from it when they are first asked for (when the row is shown,
    // typically). Reading the messages' substrings for the texts they make
    // (and whether a message is kept as stored) takes most of a load's time:
    // it is left to the first read of the row, while the window is idle or
    // when the texts are asked for, whichever comes first.
    const bool pending = CommandCount(*commands) >= BuildWhenShownFrom;
    int kept = 0;
    TakeEachCommand(*commands, [&](ProductDataCommand_c& command, std::string_view text) {
        const int row = events.rowCount();
        QList<QStandardItem*> cells = NewCells(QString());
        if (pending) {
            events.appendRow(cells);
            LoadNewChildren(events, row, variables, command, Children{});
            cells[ColName]->setData(text.empty() ? QByteArray::fromStdString(CommandText(command))
                                                 : QByteArray(text.data(), qsizetype(text.size())),
                                    KeptCommandRole);
            cells[ColName]->setData(true, TextsPendingRole);
        } else {
            const Children children = NewChildren(owner, variables);
            SetChildren([&](int column) { return cells[column]; }, children);
            events.appendRow(cells);
            kept += LoadNewChildren(events, row, variables, command, children);
        }
    });
    if (pending && events.rowCount() > 0)
        new PendingRows(events, owner, variables);
    return kept;
}

bool KeptStored(const QStandardItemModel& events, int row, int column)
{
    CompleteTexts(events, row);
    const QStandardItem* cell = row >= 0 && row < events.rowCount() ? events.item(row, column) : nullptr;
    return cell && cell->data(KeptStoredRole).toBool();
}

int KeptStoredCount(const QStandardItemModel& events)
{
    int kept = 0;
    for (int row = 0; row < events.rowCount(); ++row)
        kept += KeptStored(events, row, ColMsgManEdit) + KeptStored(events, row, ColIncManEdit);
    return kept;
}

bool WhenTextsRead(const QStandardItemModel& events, QObject* context, std::function<void()> done)
{
    PendingRows* pending = PendingRows::Of(events);
    if (!pending || pending->TextsRead())
        return false;
    pending->WhenTextsRead(context, std::move(done));
    return true;
}

void StoreRowsAsText(const QStandardItemModel& events, QStandardItemModel* variables, ProductData_c& product)
{
    ProductDataCommands_c* commands = ProtocolCommands(product, events.rowCount() > 0);
    KorXML_c* wrapper = commands ? commands->GetElement() : nullptr;
    if (!wrapper)
        return;
    // Each command is stored, written as the save will write it, and its
    // elements freed before the next: the document never holds every event
    // as a tree next to the rows. A row not yet built is stored from models
    // made for the while, so that a save does not build every row; it holds
    // the same until built or changed, so the next save writes the same text.
    PendingRows* pending = PendingRows::Of(events);
    for (int row = 0; row < events.rowCount(); ++row) {
        const QByteArray kept = KeptCommand(events, row);
        const QVariant saved = kept.isEmpty() ? QVariant() : CellData(events, row, ColName, SavedCommandRole);
        if (saved.isValid()) {
            const QByteArray text = saved.typeId() == QMetaType::Bool ? kept : saved.toByteArray();
            wrapper->AppendNew(KOR_XML_RAW, std::string_view(text.constData(), size_t(text.size())));
        } else if (!kept.isEmpty() && pending) {
            const std::string written = pending->SaveText(row, kept);
            wrapper->AppendNew(KOR_XML_RAW, written);
            pending->KeepSaved(row, written, kept);
        } else if (ProductDataCommand_c* command = commands->Item(0, true)) {
            StoreRow(events, row, variables, *command);
            const std::string written = CommandText(*command);
            for (std::unique_ptr<ShowResource_c>& item : commands->TakeItems())
                ShowResources_c::ReleaseItem(std::move(item));
            wrapper->AppendNew(KOR_XML_RAW, written);
        }
        if (row % 512 == 511)
            KorPoolTrim();
    }
}

void StoreRows(const QStandardItemModel& events, QStandardItemModel* variables, ProductData_c& product)
{
    ProductDataCommands_c* commands = ProtocolCommands(product, events.rowCount() > 0);
    for (int row = 0; commands && row < events.rowCount(); ++row) {
        if (ProductDataCommand_c* command = commands->Item(row, true))
            StoreRow(events, row, variables, *command);
    }
}

} // namespace EventRow

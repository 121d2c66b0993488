#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <Qt>

#include <functional>
#include <memory>

class OutgoingSSModel_c;
class ProductData_c;
class ProductDataCommand_c;
class ProductDataMessage_c;
class QObject;
class QStandardItem;
class QStandardItemModel;

// The rows of the events page, one per event (command) of the protocol.
// Every cell is a text; flags are "true" and "false". An event's parameters,
// outgoing substrings and incoming substrings are child models held under
// ModelRole in their cells and owned (Qt parent) by the object the row was
// made for. Columns MsgFormat to IncManEdit are the texts the message
// editors report for the event.
namespace EventRow {

enum Column {
    ColName,
    ColDescription,
    ColRetries,      // integer text
    ColTimeout,      // frames, integer text
    ColIncoming,     // expects an incoming response
    ColUnsolicited,  // an incoming message with no outgoing message
    ColParams,       // parameter model (paramrows.h)
    ColOutgoingSS,   // OutgoingSSModel_c
    ColMsgFormat,    // outgoing sprintf format
    ColMsgArgs,      // outgoing sprintf arguments
    ColMsgManEdit,   // outgoing message typed by hand
    ColIncomingSS,   // incoming substring model (incomingssmodel.h)
    ColIRRegexp,     // incoming regular expression
    ColIRExample,    // example incoming message
    ColIncManEdit,   // incoming expression typed by hand
    ColumnCount
};

inline constexpr int ModelRole = Qt::UserRole + 1;
// On the ColMsgManEdit or ColIncManEdit cell: true when the load kept the
// message's stored text because it differs from what its substrings make,
// and opened the message as typed by hand.
inline constexpr int KeptStoredRole = Qt::UserRole + 2;
// On the ColMsgFormat cell: the format attribute as the file holds it,
// written back as it is while the message still says the same (see
// SavedOutgoingText).
inline constexpr int StoredTextRole = Qt::UserRole + 3;
// On the ColMsgFormat and ColIRRegexp cells: the name attribute of the
// outgoing and incoming message as stored (unset when there was none).
inline constexpr int StoredNameRole = Qt::UserRole + 4;
// On the ColUnsolicited cell: the event's unsolicited attribute as stored
// and the row's shape when loaded (ShapeText); a save writes the stored
// attribute back while the shape is the same.
inline constexpr int StoredUnsolicitedRole = Qt::UserRole + 5;
// On the ColIncoming cell: true for an event stored without messages; it is
// saved without them while nothing sends or expects anything.
inline constexpr int StoredWithoutMessagesRole = Qt::UserRole + 6;
// On the ColName cell: copies of the messages stored after those the row
// shows (a second response, a message sent after the response), written
// back after them as they were (KeptMessages).
inline constexpr int KeptMessagesRole = Qt::UserRole + 7;
// On the ColMsgFormat and ColIRRegexp cells: what the message stores that
// its kind does not use (OtherMessageTexts), written back as it was.
inline constexpr int OtherTextsRole = Qt::UserRole + 8;
// On the ColName cell of a row of a large file whose child models are not
// built yet: the command it was read from, as text (see LoadRows).
inline constexpr int KeptCommandRole = Qt::UserRole + 9;
// Beside it, once saved: what the save wrote for the row (true when the kept
// text itself), written again by the next save while the row is unchanged.
inline constexpr int SavedCommandRole = Qt::UserRole + 10;
// Beside them, true until the row's command is first read after the load:
// the cells its messages' substrings make (format, arguments, expression,
// example, the typed-by-hand flags) are filled then. Text, SetText and
// KeptStored read it first; so do building the row and storing it.
inline constexpr int TextsPendingRole = Qt::UserRole + 11;

// A new event row, not inserted: name, retries 0, timeout 30, expects a
// response, not unsolicited, nothing typed by hand, and three empty child
// models owned by owner. The outgoing model checks its references against
// its parameter model and variables.
QList<QStandardItem*> NewRow(const QString& name, QObject* owner, QStandardItemModel* variables);

QString Text(const QStandardItemModel& events, int row, int column);
// Writes text only when it differs, so an unchanged cell signals nothing.
void SetText(QStandardItemModel& events, int row, int column, const QString& text);
bool Flag(const QStandardItemModel& events, int row, int column);
// The child models of a row, built first when the row has none yet; null
// outside the model.
QStandardItemModel* Params(const QStandardItemModel& events, int row);
OutgoingSSModel_c* Outgoing(const QStandardItemModel& events, int row);
QStandardItemModel* Incoming(const QStandardItemModel& events, int row);

// The child models of a row to read: the row's own when built, else models
// read for the while from the command the row keeps, freed with this, so
// that reading every row (as a check does) does not build them all.
class ScratchModels;
class ReadModels
{
public:
    ReadModels(const QStandardItemModel& events, int row);
    ~ReadModels();
    ReadModels(const ReadModels&) = delete;
    ReadModels& operator=(const ReadModels&) = delete;

    QStandardItemModel* Params() const { return m_pParams; }
    OutgoingSSModel_c* Outgoing() const { return m_pOutgoing; }
    QStandardItemModel* Incoming() const { return m_pIncoming; }

private:
    std::unique_ptr<ScratchModels> m_pScratch;
    QStandardItemModel* m_pParams = nullptr;
    OutgoingSSModel_c* m_pOutgoing = nullptr;
    QStandardItemModel* m_pIncoming = nullptr;
};

// Appends "Event" + (row count + 1); returns its row.
int AppendNew(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables);
// Appends an event for an imported infra-red code: message sent as a format
// typed by hand, the reply matched by the typed expression completeir.+\r.
int AppendIRFileEvent(QStandardItemModel& events, QObject* owner, QStandardItemModel* variables,
                      const QString& name, const QString& message);
// Appends a copy of row named name + "Copy" that shares nothing with it:
// parameters (with their options), substrings (referring to the copy's
// parameters) and incoming rows are copied. -1 for a row outside the model.
int Duplicate(QStandardItemModel& events, int row, QObject* owner, QStandardItemModel* variables);
// Takes the row out and destroys its items and child models. False for a
// row outside the model.
bool Remove(QStandardItemModel& events, int row);

// A stored outgoing format attribute split into the format between its
// quotes (escaped quotes included, escapes kept) and the argument list after
// the comma that follows, both exactly as written. A text that is not a
// quoted format followed by nothing or by a comma comes back whole as the
// format, so nothing typed is lost.
struct StoredFormat
{
    QString format;
    QString args;
};
StoredFormat SplitStoredFormat(const QString& stored);
// The attribute text: the format in double quotes, then ", " and the
// arguments when there are any.
QString JoinStoredFormat(const QString& format, const QString& args);

// The format and arguments the substrings make (as the outgoing editor shows
// them), from the rows' current settings.
StoredFormat GeneratedFormat(const OutgoingSSModel_c& model);

// The outgoing format attribute a save writes for a format and arguments,
// XOR( stored as BCC(: for a format loaded as typed, the loaded text itself
// (its spaces, or a text that is no quoted format) while the format and
// arguments are still what it splits into.
QString StoredOutgoingText(const StoredFormat& texts, const QString& loaded = QString());
// The format attribute a save writes for a message typed by hand (manual,
// or without substrings) or generated by model; a generated one keeps the
// loaded text (stored; unset for a new message) while that differs from it
// only in the case of names, and an empty one while nothing is sent.
QString SavedOutgoingText(const OutgoingSSModel_c* model, bool manual, const StoredFormat& typed,
                          const QVariant& stored);
// Whether a stored outgoing format, or a stored incoming expression, differs
// from the one the substrings make. Outside quoted text a format may differ
// in case only (names are matched ignoring case); an empty stored format
// differs only from substrings that send something.
bool OutgoingDiffers(const OutgoingSSModel_c& model, const QString& stored);
bool IncomingDiffers(const QStandardItemModel& model, const QString& stored);

// The texts a message holds that its kind does not use: an outgoing
// message's regular expression, example and captures (kept whole, rules
// included), an incoming one's format (a file edited by hand may hold them);
// unset when it holds none.
QVariant OtherMessageTexts(ProductDataMessage_c& message, bool incoming);
void WriteOtherMessageTexts(const QVariant& texts, ProductDataMessage_c& message);

// Fills the row's cells and child models from a command: name, texts,
// parameters, then the messages: a first message that is not incoming is the
// outgoing message, the next incoming one the response (an unsolicited event
// when there is no outgoing message). A message typed by hand keeps its
// texts; a generated one gets those its substrings make, unless its stored
// text differs from them: then it opens as typed by hand with the stored
// text, marked under KeptStoredRole. Returns how many messages were kept so.
int LoadRow(QStandardItemModel& events, int row, QStandardItemModel* variables, ProductDataCommand_c& command);
// Writes the row into a command (messages created when missing): texts,
// parameters, the outgoing message unless unsolicited (XOR( stored as BCC(),
// the incoming response when one is expected.
void StoreRow(const QStandardItemModel& events, int row, QStandardItemModel* variables,
              ProductDataCommand_c& command);

// Appends one row per command of the product's first protocol; returns how
// many messages were kept as stored. The commands leave the product as they
// are loaded: a save stores the rows into a fresh document. From
// SetBuildWhenShownFrom commands on (5,000 unless set), a row keeps its
// command as text and builds its child models when they are first asked for
// (Params, Outgoing, Incoming); a save stores such a row without building it.
// Such rows also leave their messages' texts to their first read
// (TextsPendingRole) and count nothing in what is returned: KeptStoredCount
// reads them, or WhenTextsRead waits for the idle window to.
int LoadRows(ProductData_c& product, QStandardItemModel& events, QObject* owner, QStandardItemModel* variables);
// Returns the number it replaces.
int SetBuildWhenShownFrom(int commands);
// Whether the row's child models are built; false outside the model.
bool Built(const QStandardItemModel& events, int row);
// The rows not built whose save text is not prepared yet: while the window is
// idle, what the first save writes for them is prepared a few at a time.
int UnpreparedRows(const QStandardItemModel& events);
// Whether the message of the manual-edit cell column was kept as stored.
bool KeptStored(const QStandardItemModel& events, int row, int column);
// The messages of all rows kept as stored.
int KeptStoredCount(const QStandardItemModel& events);
// Calls done (through context's event loop) once every row loaded with its
// texts pending has them; they are read while the window is idle after the
// load. False, calling nothing, when no row waits for them.
bool WhenTextsRead(const QStandardItemModel& events, QObject* context, std::function<void()> done);
// Writes row i into the i-th command of the first protocol.
void StoreRows(const QStandardItemModel& events, QStandardItemModel* variables, ProductData_c& product);
// As StoreRows into a fresh document that is only written out afterwards:
// each command is kept as the text a save writes for it (a raw node of the
// commands element) instead of as elements, so a large document is not held
// as a tree at once. The commands then read as none through the model.
void StoreRowsAsText(const QStandardItemModel& events, QStandardItemModel* variables, ProductData_c& product);

} // namespace EventRow

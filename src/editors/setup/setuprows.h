#pragma once

#include <QList>
#include <QString>
#include <Qt>

class OutgoingSSModel_c;
class ProductData_c;
class ProductDataMessage_c;
class QObject;
class QStandardItem;
class QStandardItemModel;

// The rows of the setup page, one per setup (login) message, in the order
// they are exchanged. Each is an outgoing message or an incoming response;
// its substrings are a child model under ModelRole in ColChild, owned (Qt
// parent) by the object the row was made for.
namespace SetupRow {

enum Column {
    ColName,
    ColKind,              // Kind as text
    ColFormatOrRegexp,    // outgoing: sprintf format; incoming: regular expression
    ColArgsOrExample,     // outgoing: sprintf arguments; incoming: example message
    ColManEdit,           // "true" when typed by hand
    ColChild,             // OutgoingSSModel_c or incoming substring model
    ColumnCount
};
enum Kind { KindIncoming = 0, KindOutgoing = 1 };

inline constexpr int ModelRole = Qt::UserRole + 1;
// On the ColManEdit cell: true when the load kept the stored text because it
// differs from what the substrings make (see EventRow::KeptStoredRole).
inline constexpr int KeptStoredRole = Qt::UserRole + 2;
// On the ColFormatOrRegexp cell of an outgoing message: its format
// attribute as stored (see EventRow::StoredTextRole).
inline constexpr int StoredTextRole = Qt::UserRole + 3;
// On the ColName cell: the message's name attribute as stored (unset when
// there was none); the row's name is the page's own.
inline constexpr int StoredNameRole = Qt::UserRole + 4;
// The ColKind cell holds under EventRow::OtherTextsRole what the message
// stores that its kind does not use.

// A new row, not inserted: "Outgoing" or "Incoming", " - SetupMessage" and
// number; the kind; an empty child model of the kind owned by owner.
QList<QStandardItem*> NewRow(int kind, int number, QObject* owner, QStandardItemModel* variables);

QString Text(const QStandardItemModel& messages, int row, int column);
// Writes text only when it differs, so an unchanged cell signals nothing.
void SetText(QStandardItemModel& messages, int row, int column, const QString& text);
// KindOutgoing, KindIncoming, or -1 for a row outside the model.
int RowKind(const QStandardItemModel& messages, int row);
bool IsManual(const QStandardItemModel& messages, int row);
QStandardItemModel* Child(const QStandardItemModel& messages, int row);
// The child of an outgoing row; null for any other.
OutgoingSSModel_c* Outgoing(const QStandardItemModel& messages, int row);

// Appends a new row of the kind, numbered row count + 1; returns its row.
int AppendNew(QStandardItemModel& messages, int kind, QObject* owner, QStandardItemModel* variables);
// Appends a copy of row of the same kind named name + "Copy", with its own
// copy of the substrings. -1 for a row outside the model.
int Duplicate(QStandardItemModel& messages, int row, QObject* owner, QStandardItemModel* variables);
// Takes the row out and destroys its items and child model.
bool Remove(QStandardItemModel& messages, int row);

// Appends the row a stored message describes: an incoming response with its
// substrings and example, or an outgoing message with its substrings. A
// message typed by hand keeps its texts (the format split as the events page
// splits it); a generated one gets those its substrings make, unless its
// stored text differs from them: then it is kept as typed by hand and marked
// under KeptStoredRole.
int AppendStored(QStandardItemModel& messages, ProductDataMessage_c& message, QObject* owner,
                 QStandardItemModel* variables);
bool KeptStored(const QStandardItemModel& messages, int row);
int KeptStoredCount(const QStandardItemModel& messages);
// Writes the row into a message: incoming mark, texts, substrings (XOR( of
// an outgoing format stored as BCC(), the manual flag only when set.
void StoreRow(const QStandardItemModel& messages, int row, QStandardItemModel* variables,
              ProductDataMessage_c& message);

// Appends one row per setup message of the product's first protocol;
// returns how many were kept as stored.
int LoadRows(ProductData_c& product, QStandardItemModel& messages, QObject* owner, QStandardItemModel* variables);
// Writes row i into the i-th setup message of the first protocol.
void StoreRows(const QStandardItemModel& messages, QStandardItemModel* variables, ProductData_c& product);

} // namespace SetupRow

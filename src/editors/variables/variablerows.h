#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

class ProductData_c;
class QStandardItem;
class QStandardItemModel;

// Columns of the shared variables model; flags are the texts "true" and
// "false", the type is the index into VariableTypeNames() as text.
enum VariableColumn {
    ColName,
    ColType,
    ColInitial,
    ColDescription,
    ColSetup,
    ColList,
    ColListSize,
    ColListZero,
    VariableColumnCount
};

// Marks (on the column-0 item) the rows the device keeps by itself: "Error"
// and "TCPStatus". Every page on the model refuses to edit or delete them.
inline constexpr int BuiltInVariableRole = Qt::UserRole + 2;
// On the type item of a loaded row: the rules the variable was read with and
// the type they stand for. While the row keeps that type a save writes them
// back, limits, patterns and options included, which the page does not edit.
inline constexpr int StoredRulesRole = Qt::UserRole + 4;
// On the list size item of a loaded list: its entries (name, initial value,
// description, rules) and the size they stand for, written back while the
// row is a list of that size.
inline constexpr int StoredEntriesRole = Qt::UserRole + 5;

inline const QString ErrorVariableName = QStringLiteral("Error");
inline const QString TCPStatusVariableName = QStringLiteral("TCPStatus");

// The type combo's items in index order: integer, decimal, string, bool,
// datetime, timecode, percent.
const QStringList& VariableTypeNames();
// The index of a stored type keyword, ignoring case; -1 when it is not one.
int VariableTypeIndex(const QString& keyword);
// The initial value offered when the type is chosen; empty for datetime and
// for an index outside the list.
QString VariableTypeExample(int typeIndex);

// A new row of eight items, not inserted: the name, type "-1", the setup flag
// "true" or "false", everything else empty.
QList<QStandardItem*> NewVariableRow(const QString& name, bool setup);
// The built-in rows, marked with BuiltInVariableRole.
QList<QStandardItem*> NewErrorVariableRow();
QList<QStandardItem*> NewTCPStatusVariableRow();
bool IsBuiltInVariable(const QStandardItem* nameItem);
// A copy of the given row: the name with "Copy" appended, columns 1
// to 7 copied; never marked built-in.
QList<QStandardItem*> DuplicateVariableRow(const QStandardItemModel& model, int row);

// Appends one row per variable of the product's first protocol, in order;
// variables named exactly "Error" or "TCPStatus" are skipped, since the
// built-in rows stand for them. Creates nothing in the product.
void LoadVariableRows(ProductData_c& product, QStandardItemModel& model);
// Appends every row, built-ins included, to the variable list of the
// product's first protocol: name, type keyword (a row without a known type
// gets no rule; a row that kept its loaded type gets its loaded rules),
// initial value, description, the setup flag when set, and only for a list
// the size, the zero-indexed flag and the loaded entries while the size stays.
void StoreVariableRows(const QStandardItemModel& model, ProductData_c& product);

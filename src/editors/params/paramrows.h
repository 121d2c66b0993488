#pragma once

#include <QList>
#include <QString>
#include <Qt>

class ProductDataParam_c;
class ProductDataParams_c;
class QStandardItem;
class QStandardItemModel;

// Columns of a parameter model: one row per parameter of an event.
enum ParamColumn {
    ParamColName,
    ParamColType,         // type index as text, see ParamType; "-1" for none
    ParamColDescription,
    ParamColExample,
    ParamColMin,          // integer text; empty = no limit
    ParamColMax,
    ParamColRegexp,       // string expression; empty = none
    ParamColOptions,      // the option model, under ParamOptionsRole
    ParamColumnCount
};

// Columns of an option model: one row per option of an option parameter.
enum OptionColumn { OptionColMatch, OptionColReplace, OptionColumnCount };

// Role under which a cell holds its child model (QStandardItemModel*).
inline constexpr int ParamOptionsRole = Qt::UserRole + 1;
// On the ParamColName cell of a row read from a parameter that its fields
// would not store again as it is (an initial value, rules the row has no
// field for): the fields as read and a copy of the stored parameter, which a
// save writes instead while the row's fields are still those.
inline constexpr int ParamStoredRole = Qt::UserRole + 2;

// The parameter types, in the order of the type combo's items.
enum ParamType {
    ParamTypeNone = -1,
    ParamTypeInteger,
    ParamTypeDecimal,
    ParamTypeString,
    ParamTypeBool,
    ParamTypeDateTime,
    ParamTypeTimecode,
    ParamTypePercent,
    ParamTypeOption,
    ParamTypeCount
};

// The type combo's item texts, which are also the stored type keywords.
QStringList ParamTypeNames();
// The example value a type change puts into the example field; empty for
// "datetime" and for an index outside the table.
QString ParamTypeExample(int type);
// Object name of the limits page shown for a type ("ParamIntegerOptions",
// "ParamOptionsString", "ParamOptionsOptions" or, for the other types and
// indexes outside the table, "ParamEmptyOptions").
QString ParamTypePageName(int type);
// The type index of a stored rule keyword (ASCII case ignored); -1 for "none"
// and for keywords the editor has no item for.
int ParamTypeOfKeyword(const QString& keyword);

// Every whitespace character of text replaced by "_", so the length (and a
// cursor position in it) stays the same.
QString UnderscoreWhitespace(QString text);

struct ParamOption
{
    QString match;
    QString replace;
    bool operator==(const ParamOption&) const = default;
};

// One parameter row as values, detached from the item model.
struct ParamFields
{
    QString name;
    int type = ParamTypeNone;
    QString description;
    QString example;
    QString min;
    QString max;
    QString regexp;
    QList<ParamOption> options;
    bool operator==(const ParamFields&) const = default;
};

// The option model of a parameter row (its ParamColOptions cell); null when
// the cell holds none.
QStandardItemModel* ParamOptionModel(const QStandardItem* optionsCell);
QStandardItemModel* ParamOptionModel(const QStandardItemModel* params, int row);
// The option model of a row, made (owned by params) when the row has none;
// null for a row outside the model.
QStandardItemModel* EnsureParamOptionModel(QStandardItemModel* params, int row);

// Appends a row built from fields to params and returns its index. A row
// with options gets a new option model, owned by params (Qt parent) and
// destroyed with the row by RemoveParamRow; one without has none until
// EnsureParamOptionModel.
int AppendParamRow(QStandardItemModel* params, const ParamFields& fields);
// A new parameter: "Param" + (row count + 1), no type, empty texts.
int AppendNewParamRow(QStandardItemModel* params);
// The values of a row; a type text that is not a number reads as -1.
ParamFields ParamRowFields(const QStandardItemModel* params, int row);
// Appends a copy of row named name + "Copy", with its own copy of the
// options; -1 (nothing added) for a row outside the model.
int DuplicateParamRow(QStandardItemModel* params, int row);
// Takes the row out, destroying its option model and its items. False for a
// row outside the model.
bool RemoveParamRow(QStandardItemModel* params, int row);
// Appends a deep copy of every row of from to to, the stored parameters kept
// for them included.
void CopyParamRows(const QStandardItemModel* from, QStandardItemModel* to);
// Moves a row of any item model by offset (-1 up, +1 down), keeping its items;
// returns the new row, or -1 when the row or the target is outside the model.
int MoveModelRow(QStandardItemModel* model, int row, int offset);

// Writes one parameter as a save does: name, description, example, then the
// rules of its type (limits and expression only when given, limits read as
// integers with text that is not one giving 0; options in order; other types
// as their keyword, none as "none").
void StoreParamFields(const ParamFields& fields, ProductDataParam_c& param);
// Reads one parameter back: the type from the first rule, the limits that are
// present, the expression and the options.
ParamFields LoadParamFields(ProductDataParam_c& param);

// Every row of params into the list, row i into item i (created when missing);
// a row whose fields are those it was read with writes its stored parameter.
void StoreParamRows(const QStandardItemModel* params, ProductDataParams_c* list);
// Appends one row per parameter of the list, in list order, keeping each
// parameter its fields would not store again as it is (ParamStoredRole).
void LoadParamRows(ProductDataParams_c* list, QStandardItemModel* params);

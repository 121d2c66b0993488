#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>

class QStandardItem;

// The substrings of one outgoing message, one row each, every cell a text.
// A row's format piece and argument piece are its share of the message's
// sprintf format and argument list; its first three cells hold the bytes the
// row sends (message, string and hex forms) once previewed.
//
// References to a parameter, a variable or covered checksum rows are the
// column-0 items of those rows, held under ReferenceRole. They are read only
// through ParamRef, VarRef and CoveredRows, which answer null (or leave an
// item out) once the item is no longer a row of its model, so a reference
// to a deleted row is never followed.
class OutgoingSSModel_c : public QStandardItemModel
{
    Q_OBJECT

public:
    enum Column {
        ColResult,        // name at creation; afterwards the row's message preview
        ColStringRep,     // preview: string representation
        ColHexRep,        // preview: hex representation (" HH" per byte)
        ColFormatPiece,   // the row's part of the sprintf format
        ColArgPiece,      // the row's argument expression
        ColSSType,        // SSType as text
        ColOutputFormat,  // OutputFormat as text
        ColConstText,     // constant text
        ColParamRef,      // the parameter's name item, under ReferenceRole
        ColVarRef,        // the variable's name item, under ReferenceRole
        ColLocalName,
        ColOptions,       // "true" or "false": width and formula apply
        ColChars,         // zero-padded width (digits)
        ColFormula,       // arithmetic on the value
        ColChecksumType,  // index into ChecksumFunctionNames() as text
        ColChecksumRows,  // covered rows' column-0 items, under ReferenceRole
        ColumnCount
    };
    enum SSType { TypeNone = -1, TypeParameter, TypeVariable, TypeLocal, TypeConstant, TypeChecksum };
    enum OutputFormat {
        FormatUnset = -1, FormatString, FormatInteger, FormatDecimal, FormatHex, FormatHexUpper, FormatValue,
        FormatNone
    };

    static constexpr int ReferenceRole = Qt::UserRole + 1;
    // On the ColOutputFormat cell of a row read from a file whose conversion
    // the fields cannot hold (a precision, a width padded with spaces): the
    // conversion the fields make and the one stored, as a list of two. The
    // row's format piece is the stored one while the fields make the same.
    static constexpr int StoredConversionRole = Qt::UserRole + 2;
    // On the ColSSType cell of a row read from a file: its result text as
    // stored and as the row wrote it when read (see StoredSubstringResult).
    static constexpr int StoredResultRole = Qt::UserRole + 3;

    explicit OutgoingSSModel_c(QObject* parent = nullptr);

    // The event's parameter model and the shared variables model, against
    // which references are checked; neither is owned.
    void SetReferenceModels(QStandardItemModel* params, QStandardItemModel* variables);
    QStandardItemModel* ParamModel() const { return m_pParams; }
    QStandardItemModel* VariableModel() const { return m_pVariables; }

    // Display text of every column: the preview (or "[no output]"), then what
    // the row refers to; a constant shows its text.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Appends a row named name of the given type (a constant also gets the
    // "string" output format) and returns its index.
    int AppendSubstring(const QString& name, int type);

    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    int Type(int row) const;
    int Format(int row) const;
    bool OptionsOn(int row) const;

    // The referenced name items, null when none or no longer in their model.
    QStandardItem* ParamRef(int row) const;
    QStandardItem* VarRef(int row) const;
    void SetParamRef(int row, QStandardItem* nameItem);
    void SetVarRef(int row, QStandardItem* nameItem);
    // The name of the parameter, variable or local the row refers to.
    QString RefName(int row) const;

    // The column-0 items of the rows a checksum row covers that are still
    // rows of this model, in row order.
    QList<QStandardItem*> CoveredRows(int row) const;
    void SetCoveredRows(int row, const QList<QStandardItem*>& items);
    // Whether checksum row covers target, directly or through checksums it covers.
    bool Covers(int row, int target) const;

    // A load computes the rows' pieces only (RefreshAllPieces): the previews
    // in the first three cells are computed when one of them is first read,
    // as most messages of a large file are never shown. Computing them is
    // not an edit.
    void EnsurePreviews() const;
    void SetPreviewsDeferred(bool deferred) { m_PreviewsDeferred = deferred; }

private:
    QStandardItem* ValidRef(int row, int column, const QStandardItemModel* model) const;

    mutable bool m_PreviewsDeferred = false;

    QPointer<QStandardItemModel> m_pParams;
    QPointer<QStandardItemModel> m_pVariables;
};

// The type combo's items, which are also the stored name words.
const QStringList& SubstringTypeNames();
// The output format combo's items.
const QStringList& OutputFormatNames();
// The sprintf conversion letter of an output format; empty for "none" and unset.
QString OutputFormatLetter(int format);
// The output format of a conversion letter; FormatUnset when it is none.
int OutputFormatOfLetter(QChar letter);
// The checksum dialog's function types, which are also the function names.
const QStringList& ChecksumFunctionNames();

// A constant text as a quoted sprintf format: backslashes doubled except
// those of the escapes \n \r \t \x, and ' " % escaped.
QString ConstantFormatPiece(const QString& text);
// The row's format piece: empty for no output; a constant's escaped text;
// otherwise "%", "0" and the width when options are on, and the letter.
QString FormatPiece(const OutgoingSSModel_c& model, int row);
// The row's argument piece: empty for no output and for constants; a
// parameter's or variable's name, or the formula when it contains the name; a
// local's name, or its formula when the name is empty; a checksum's
// expression built from its settings.
QString ArgPiece(const OutgoingSSModel_c& model, int row);
// ArgPiece, with a checksum's arguments made from the covered rows' settings
// instead of their piece cells, which a message not refreshed since a
// variable or parameter was renamed still holds from before.
QString CurrentArgPiece(const OutgoingSSModel_c& model, int row);
// Every "XOR(" outside double-quoted text as "BCC(", ignoring case: the
// language knows XOR by that name, and quoted text is sent as typed.
QString XorAsBcc(QString text);

// The evaluable checksum of a checksum row: its function over a sprintf of
// the covered rows' format pieces and non-empty argument pieces.
QString ChecksumExpression(const OutgoingSSModel_c& model, int row);

// The sprintf call that previews a row, with names outside quoted text
// replaced by example values: a parameter's example (an option parameter's replacement when the
// example is one of its options), a variable's initial value, a local's
// formula; a checksum row uses those of the rows it covers.
// values: when given, what a message sends instead of the examples.
struct MessageValues;
QString RowPreviewText(const OutgoingSSModel_c& model, int row, const MessageValues* values = nullptr);

// Rebuilds the row's pieces and preview, then every checksum row covering it.
void RefreshRow(OutgoingSSModel_c& model, int row);
// Rebuilds every row, the checksum rows after the rows they cover.
void RefreshAllRows(OutgoingSSModel_c& model);
// The same for the pieces only; the previews wait until first read.
void RefreshAllPieces(OutgoingSSModel_c& model);
// Rebuilds every checksum row, after rows moved or went: covered lists drop
// rows that are gone, and a checksum's pieces follow row order.
void RefreshChecksums(OutgoingSSModel_c& model);
// Rebuilds every row that refers to the parameter or variable row of nameItem.
void RefreshRowsReferring(OutgoingSSModel_c& model, const QStandardItem* nameItem);
// Clears references to rows no longer in the parameter or variable model and
// rebuilds the rows concerned; true when one was cleared.
bool CleanupReferences(OutgoingSSModel_c& model);

// The three texts a preview shows.
struct OutgoingPreview
{
    QString message;
    QString stringRep;
    QString hexRep;  // without the leading space
};
// The message the rows make, and its format and argument list.
struct OutgoingMessage
{
    OutgoingPreview preview;
    QString format;
    QString args;  // non-empty argument pieces joined with ", ", XOR as BCC
};
// Joins the rows' previews (neighbouring quoted runs as one run) and pieces.
OutgoingMessage BuildOutgoingMessage(const OutgoingSSModel_c& model);
// The preview of a hand-written format and argument list.
OutgoingPreview PreviewManualMessage(const QString& format, const QString& args);
// The preview of one expression text, read as its UTF-8 bytes: the message
// as ShownBytes shows the bytes sent, or "[syntax error]" when it does not
// parse; the hex list has one " HH" per byte sent.
OutgoingPreview PreviewText(const QString& expression);

// The values a message is sent with: parameters by name (an option
// parameter's value sends the option's replacement, as its example does) and
// the device variables' current values by name. A name not held here
// previews as in the editor.
struct MessageValues
{
    QHash<QString, QString> params;
    QHash<QString, QString> variables;
    // Names whose values are text however they look (string parameters and
    // variables): sent as their characters, never read as a number.
    QSet<QString> text;
};
// The bytes the message sends with values, row by row through the rows'
// previews; false (error naming the row) when a row does not parse.
bool MessageBytes(const OutgoingSSModel_c& model, const MessageValues& values, QByteArray* bytes, QString* error);
// The same for a format and arguments typed by hand.
bool ManualMessageBytes(const QString& format, const QString& args, const MessageValues& values, QByteArray* bytes,
                        QString* error);

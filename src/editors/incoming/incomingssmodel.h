#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

class IncomingMatcher;
class QStandardItem;
class QStandardItemModel;

// The substrings of one incoming response, one row each, in match order.
// Every cell is a text except column ColVariable of a variable row, whose
// item also holds (under LinkRole) the column-0 item of the device variable
// it captures into. From the rows come the response's regular expression and
// a capture expression with exactly one group per row; an example reply is
// checked against both with QRegExp (RegExp2 syntax), as the show controller
// does.
namespace IncomingSS {

enum Column {
    ColCaptured,     // what the row captured from the example (as ShownBytes shows it), or "-"
    ColPattern,      // the row's part of the regular expression
    ColVariable,     // a local's name; a variable's name, its link under LinkRole
    ColOperation,    // arithmetic on the captured value
    ColType,         // Type as text
    ColConstant,     // a constant's text as typed (\r \n \t \xHH allowed)
    ColMinimum,      // minimum length as typed
    ColMaximum,      // maximum length as typed
    ColCharTypes,    // CharType as text
    ColOperationOn,  // "true" when the operation applies
    ColResult,       // the operation's value (as ShownBytes shows it)
    ColumnCount
};
enum Type { TypeNone = -1, TypeConstant, TypeWildcard, TypeVariable, TypeLocal };
enum CharType { CharsUnset = -1, CharsAny, CharsDigits, CharsLetters, CharsNone };

inline constexpr int LinkRole = Qt::UserRole + 1;
// On the ColVariable cell of a variable row read from a file: the name it
// was stored under when no device variable has it, kept as the name it
// stores into until a variable is chosen.
inline constexpr int StoredNameRole = Qt::UserRole + 2;
// On the ColPattern cell of a variable row read from a file: its capture's
// stored text, whether that capture was stored as device_var, and the
// pattern the row had when read (StoredCapture).
inline constexpr int StoredCaptureRole = Qt::UserRole + 3;
// On the ColOperation cell of a variable row read from a file: the stored
// operation's name and the name the row stored into then; the operation
// keeps its name while the row stores into the same variable. A row whose
// message listed no operation holds an empty name, the name and the
// operation as read instead: no operation is stored while both stay.
inline constexpr int StoredOperationNameRole = Qt::UserRole + 4;

// Column headers, "\n" breaking the two-word ones.
QStringList Headers();
// The combos' items in index order.
QStringList TypeNames();
QStringList CharTypeNames();

// A new row, not inserted: "Substring" + rowsBefore in the first column,
// type, "-1" as character type, "false" for the operation; the other cells
// are left out (null) until written.
QList<QStandardItem*> NewRow(int rowsBefore, int type);
// The cell of a row not inserted, made when it is left out.
QStandardItem* RowCell(QList<QStandardItem*>& row, int column);
// A new row for text selected in the example: a constant holds the text; any
// other type gets the unescaped text's length as minimum and maximum and the
// character type GuessCharType gives.
QList<QStandardItem*> NewSelectionRow(int rowsBefore, int type, const QString& selection);
// Letters only for ^[A-Za-z]+$, else digits only for ^[0-9]+$, else any.
int GuessCharType(const QString& selection);
// A copy of every cell of the row, the variable link included.
QList<QStandardItem*> CopyRow(const QStandardItemModel& model, int row);

QString Text(const QStandardItemModel& model, int row, int column);
// Writes text only when it differs, so an unchanged cell signals nothing.
void SetText(QStandardItemModel& model, int row, int column, const QString& text);
int RowType(const QStandardItemModel& model, int row);

// The constant's pattern: QRegExp::escape, then \\n \\r \\t \\x undoubled so
// the escapes reach the pattern, then a backslash before each ' and "; a
// \\xHH followed by a hex digit is written \\x00HH (QRegExp would read on).
QString ConstantPattern(const QString& text);
// The character class (empty for none or an unknown code, and then nothing
// else) followed by {min,max} with the texts as typed when either reads as a
// non-zero number, else *.
QString WildcardPattern(int charType, const QString& minimum, const QString& maximum);
// The pattern of the row by its type; variables and locals capture their
// wildcard in one group; an unknown type gives the empty text.
QString RowPattern(const QStandardItemModel& model, int row);
void UpdateRowPattern(QStandardItemModel& model, int row);
void UpdateAllRowPatterns(QStandardItemModel& model);
// The regular expression: every row's pattern in order.
QString ResponseFormat(const QStandardItemModel& model);
// The same with exactly one group per row: "()" for an empty pattern, a
// pattern already in parentheses as it is, any other in parentheses.
QString CaptureExpression(const QStandardItemModel& model);
// A stored constant: the pattern without the backslash before any character
// other than n, r, t and x, and without the zeros of \\x00HH: the text typed.
QString ReduceConstantPattern(const QString& pattern);

// The example as the device sends it: \n \r \t, then (again and again, the
// leftmost first) \x and two hex digits become the characters they name.
QString UnescapeExample(const QString& example);
// The bytes of a typed example reply: its characters as UTF-8, then
// unescaped as UnescapeExample does (\xHH is the one byte HH).
QByteArray ReplyBytes(const QString& example);
// A typed pattern in the byte view the matching runs on (ByteText of its
// UTF-8 bytes), so a character beyond ASCII matches its bytes in a reply and
// \xHH matches the one byte HH.
QString BytePattern(const QString& pattern);
// LF, CR, TAB as \n \r \t; other codes 0-31 and 127-255 as \xHH.
QString DisplayEscape(const QString& text);

// The device variable a variable row links to (the column-0 item of a row of
// variables), or null when there is none or the link no longer points into
// variables; a link is compared, never followed, before it is found there.
QStandardItem* LinkedVariable(const QStandardItemModel& model, int row, const QStandardItemModel* variables);
// Links the row to nameItem (null clears) and shows its name.
void SetLinkedVariable(QStandardItemModel& model, int row, QStandardItem* nameItem);
// Clears every link that no longer points at a column-0 item of variables.
void CleanupVars(QStandardItemModel& model, const QStandardItemModel* variables);
// The name a row stores into: a variable's linked name (or, unlinked, the
// name it was read under), a local's name.
QString ReceivingName(const QStandardItemModel& model, int row, const QStandardItemModel* variables);

// The row's result from its captured text: without an applied operation (or
// with nothing captured) the capture, or nothing for a local; otherwise the
// operation with XOR( as BCC(, the row's own name as the capture (when
// something was captured), the names of the rows above (nearest first) as
// their results (a variable's once it captured something) and every device
// variable's name as its initial value (its bytes, ReplyBytes, read as
// UTF-8), evaluated as sprintf("%s", ...) and shown as ShownBytes shows
// bytes. Empty for a row outside the model.
// values: the variables' current values by name, used instead of the
// initial values of the variables they name.
QString RowResult(const QStandardItemModel& model, int row, const QStandardItemModel* variables,
                  const QHash<QString, QString>* values = nullptr);
// The preview of sprintf("%s", expression): its bytes as ShownBytes shows
// them, or "[syntax error]".
QString EvaluateOperation(const QString& expression);

// What the last refresh found.
struct ResponseState
{
    QString format;   // the regular expression for the response
    bool match = false;    // the format matches the whole unescaped example
    bool checked = true;   // false when the check was refused as too costly
};

// Rebuilds the response: the pattern of changedRow (every row's for
// AllRows; none for -1), the format, the match status, every row's capture
// (all "-" without a match) and then every row's result, top to bottom.
inline constexpr int AllRows = -2;
ResponseState RefreshResponse(QStandardItemModel& model, const QStandardItemModel* variables,
                              const QString& example, IncomingMatcher& matcher, int changedRow = -1);
// Patterns and examples are typed text and are matched as bytes (BytePattern,
// ReplyBytes); captures show as ShownBytes shows bytes.
// The same for a reply as it arrived, one character per byte (ByteText,
// nothing unescaped), with format as the response's expression as typed (the
// generated or the hand-written one) and values as in RowResult. The row
// patterns are not rebuilt.
ResponseState MatchReply(QStandardItemModel& model, const QStandardItemModel* variables, const QString& format,
                         const QString& reply, IncomingMatcher& matcher, const QHash<QString, QString>* values);
// The match status alone, for an expression typed by hand.
ResponseState CheckFormat(const QString& format, const QString& example, IncomingMatcher& matcher);

// A refresh in three steps, so that the match can run on another thread:
// the model is read and written only by the first and the last.
struct MatchJob
{
    QString format;             // the response's expression as typed
    QString bytePattern;        // format as matched (BytePattern)
    QString captureExpression;  // the capture expression as matched; unused without capture
    QString reply;              // the reply as matched (ByteText), unless typed
    // A typed example, made into the reply by RunMatch (ReplyBytes), so that
    // a long one is unescaped off the GUI thread.
    QString example;
    bool typed = false;
    int groups = 0;
    bool capture = true;        // false: the match status alone
};
struct MatchOutcome
{
    bool match = false;
    bool checked = true;
    bool found = false;  // the capture search found a match
    QStringList captures;
};
// Rebuilds the row patterns as RefreshResponse does and returns what to match.
MatchJob PrepareResponse(QStandardItemModel& model, const QString& example, int changedRow = -1);
MatchJob PrepareCheck(const QString& format, const QString& example);
// Touches no model: safe on any thread, one matcher per thread.
MatchOutcome RunMatch(const MatchJob& job, IncomingMatcher& matcher);
// Writes the captures (all "-" unless found) and the results of every row.
// The model must have the rows the job was prepared from.
ResponseState ApplyMatch(QStandardItemModel& model, const QStandardItemModel* variables, const MatchJob& job,
                         const MatchOutcome& outcome, const QHash<QString, QString>* values = nullptr);

} // namespace IncomingSS

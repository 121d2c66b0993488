#include "editors/incoming/incomingssmodel.h"

#include "editors/incoming/incomingssmatch.h"
#include "editors/common/cells.h"
#include "editors/common/edithistory.h"
#include "editors/common/modeltext.h"
#include "editors/common/shownbytes.h"
#include "expr/preview.h"

#include <QRegExp>
#include <QRegularExpression>
#include <QStandardItem>
#include <QStandardItemModel>

namespace IncomingSS {

namespace {

const QString kTrue = QStringLiteral("true");
const QString kNoCapture = QStringLiteral("-");

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Every occurrence of name (case-sensitive) becomes value; an empty name
// names nothing.
void ReplaceName(QString& text, const QString& name, const QString& value)
{
    if (!name.isEmpty())
        text.replace(name, value, Qt::CaseSensitive);
}

QStandardItem* LinkOf(const QStandardItemModel& model, int row)
{
    const QStandardItem* cell = model.item(row, ColVariable);
    return cell ? cell->data(LinkRole).value<QStandardItem*>() : nullptr;
}

bool IsVariableNameItem(const QStandardItemModel* variables, const QStandardItem* item)
{
    if (!variables || !item)
        return false;
    for (int row = 0; row < variables->rowCount(); ++row) {
        if (variables->item(row, 0) == item)
            return true;
    }
    return false;
}

} // namespace

QStringList Headers()
{
    return {QStringLiteral("Captured Text"),        QStringLiteral("Regular Expression"),
            QStringLiteral("Variable"),             QStringLiteral("Operation"),
            QStringLiteral("Substring\nType"),      QStringLiteral("Constant\nSubstring"),
            QStringLiteral("Minimum\nCharacters"),  QStringLiteral("Maximum\nCharacters"),
            QStringLiteral("Character\nTypes"),     QStringLiteral("Operation?"),
            QStringLiteral("Result")};
}

QStringList TypeNames()
{
    return {QStringLiteral("constant"), QStringLiteral("wildcard"), QStringLiteral("variable"),
            QStringLiteral("local")};
}

QStringList CharTypeNames()
{
    return {QStringLiteral("any"), QStringLiteral("digits only"), QStringLiteral("letters only"),
            QStringLiteral("none")};
}

QList<QStandardItem*> NewRow(int rowsBefore, int type)
{
    // The other cells are made when first written (RowCell, SetText).
    QList<QStandardItem*> row(ColumnCount, nullptr);
    row[ColCaptured] = new EditItem(QStringLiteral("Substring") + QString::number(rowsBefore));
    row[ColType] = new EditItem(QString::number(type));
    row[ColCharTypes] = new EditItem(QStringLiteral("-1"));
    row[ColOperationOn] = new EditItem(QStringLiteral("false"));
    return row;
}

QStandardItem* RowCell(QList<QStandardItem*>& row, int column)
{
    QStandardItem*& cell = row[column];
    if (!cell)
        cell = new EditItem();
    return cell;
}

int GuessCharType(const QString& selection)
{
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]+$"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (letters.match(selection).hasMatch())
        return CharsLetters;
    if (digits.match(selection).hasMatch())
        return CharsDigits;
    return CharsAny;
}

QList<QStandardItem*> NewSelectionRow(int rowsBefore, int type, const QString& selection)
{
    QList<QStandardItem*> row = NewRow(rowsBefore, type);
    if (type == TypeConstant) {
        RowCell(row, ColConstant)->setText(selection);
    } else {
        // A wildcard counts bytes, so a character beyond ASCII counts as its UTF-8 bytes.
        const QString length = QString::number(ReplyBytes(selection).size());
        RowCell(row, ColMinimum)->setText(length);
        RowCell(row, ColMaximum)->setText(length);
        RowCell(row, ColCharTypes)->setText(QString::number(GuessCharType(selection)));
    }
    return row;
}

QList<QStandardItem*> CopyRow(const QStandardItemModel& model, int row)
{
    QList<QStandardItem*> copy;
    for (int column = 0; column < ColumnCount; ++column) {
        const QStandardItem* item = model.item(row, column);
        copy << (item ? item->clone() : new EditItem());
    }
    return copy;
}

QString Text(const QStandardItemModel& model, int row, int column)
{
    return CellText(model, row, column);
}

void SetText(QStandardItemModel& model, int row, int column, const QString& text)
{
    if (column >= 0 && column < ColumnCount)
        SetCellText(model, row, column, text);
}

int RowType(const QStandardItemModel& model, int row)
{
    bool ok = false;
    const int type = Text(model, row, ColType).toInt(&ok);
    return ok ? type : TypeNone;
}

QString ConstantPattern(const QString& text)
{
    const QString escaped = CollapseDoubledEscapes(QRegExp::escape(text));
    QString quoted;
    quoted.reserve(escaped.size() + 4);
    for (const QChar c : std::as_const(escaped)) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // Every backslash now starts a pair. QRegExp reads up to four hex digits
    // after \x, so \x0DA would be the one character U+00DA: an escape
    // followed by a hex digit gets two leading zeros and stays the character
    // typed (every other pattern is left as it was).
    QString pattern;
    pattern.reserve(quoted.size() + 4);
    for (qsizetype i = 0; i < quoted.size(); ++i) {
        pattern += quoted[i];
        if (quoted[i] != QLatin1Char('\\') || i + 1 >= quoted.size())
            continue;
        pattern += quoted[++i];
        if (quoted[i] == QLatin1Char('x') && i + 3 < quoted.size() && IsHexDigit(quoted[i + 1]) &&
            IsHexDigit(quoted[i + 2]) && IsHexDigit(quoted[i + 3]))
            pattern += QLatin1String("00");
    }
    return pattern;
}

QString WildcardPattern(int charType, const QString& minimum, const QString& maximum)
{
    QString pattern;
    switch (charType) {
    case CharsAny: pattern = QStringLiteral("."); break;
    case CharsDigits: pattern = QStringLiteral("[0-9]"); break;
    case CharsLetters: pattern = QStringLiteral("[A-Za-z]"); break;
    default: return {};
    }
    if (minimum.toInt() != 0 || maximum.toInt() != 0)
        return pattern + QLatin1Char('{') + minimum + QLatin1Char(',') + maximum + QLatin1Char('}');
    return pattern + QLatin1Char('*');
}

QString RowPattern(const QStandardItemModel& model, int row)
{
    const auto wildcard = [&] {
        return WildcardPattern(Text(model, row, ColCharTypes).toInt(), Text(model, row, ColMinimum),
                               Text(model, row, ColMaximum));
    };
    switch (RowType(model, row)) {
    case TypeConstant: return ConstantPattern(Text(model, row, ColConstant));
    case TypeWildcard: return wildcard();
    case TypeVariable:
    case TypeLocal: return QLatin1Char('(') + wildcard() + QLatin1Char(')');
    default: return {};
    }
}

void UpdateRowPattern(QStandardItemModel& model, int row)
{
    if (row >= 0 && row < model.rowCount())
        SetText(model, row, ColPattern, RowPattern(model, row));
}

void UpdateAllRowPatterns(QStandardItemModel& model)
{
    for (int row = 0; row < model.rowCount(); ++row)
        UpdateRowPattern(model, row);
}

QString ResponseFormat(const QStandardItemModel& model)
{
    QString format;
    for (int row = 0; row < model.rowCount(); ++row)
        format += Text(model, row, ColPattern);
    return format;
}

QString CaptureExpression(const QStandardItemModel& model)
{
    QString expression;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString pattern = Text(model, row, ColPattern);
        if (pattern.startsWith(QLatin1Char('(')) && pattern.endsWith(QLatin1Char(')')))
            expression += pattern;
        else
            expression += QLatin1Char('(') + pattern + QLatin1Char(')');
    }
    return expression;
}

QString ReduceConstantPattern(const QString& pattern)
{
    QString reduced;
    reduced.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != QLatin1Char('\\') || i + 1 >= pattern.size()) {
            reduced += pattern[i];
            continue;
        }
        const QChar next = pattern[++i];
        // The zeros ConstantPattern put before a hex escape followed by a hex digit.
        if (next == QLatin1Char('x') && i + 5 < pattern.size() && pattern[i + 1] == QLatin1Char('0') &&
            pattern[i + 2] == QLatin1Char('0') && IsHexDigit(pattern[i + 3]) && IsHexDigit(pattern[i + 4]) &&
            IsHexDigit(pattern[i + 5])) {
            reduced += QLatin1String("\\x");
            i += 2;
            continue;
        }
        if (QStringView(u"nrtx").contains(next))
            reduced += QLatin1Char('\\');
        reduced += next;
    }
    return reduced;
}

QString UnescapeExample(const QString& example)
{
    QString rest = example;
    rest.replace(QLatin1String("\\n"), QLatin1String("\n"));
    rest.replace(QLatin1String("\\r"), QLatin1String("\r"));
    rest.replace(QLatin1String("\\t"), QLatin1String("\t"));

    // Replacing the leftmost \xHH again and again, in one pass: out never
    // holds a whole escape, so the next leftmost one starts at most four
    // characters before its end (a character just made may complete one).
    QString out;
    out.reserve(rest.size());
    qsizetype next = 0;
    const auto at = [&](qsizetype index) {
        return index < out.size() ? out[index] : rest[next + index - out.size()];
    };
    for (;;) {
        const qsizetype available = out.size() + rest.size() - next;
        bool replaced = false;
        for (qsizetype start = std::max<qsizetype>(out.size() - 4, 0); start <= out.size() && start + 4 <= available;
             ++start) {
            if (at(start) == QLatin1Char('\\') && at(start + 1) == QLatin1Char('x') && IsHexDigit(at(start + 2)) &&
                IsHexDigit(at(start + 3))) {
                const char16_t code = char16_t(QString(at(start + 2)).append(at(start + 3)).toUShort(nullptr, 16));
                next += start + 4 - out.size();
                out.truncate(start);
                out += QChar(code);
                replaced = true;
                break;
            }
        }
        if (replaced)
            continue;
        if (next >= rest.size())
            break;
        out += rest[next++];
    }
    return out;
}

QByteArray ReplyBytes(const QString& example)
{
    // Typed characters stand for their UTF-8 bytes; a \xHH escape for one byte.
    return UnescapeExample(ByteText(TextBytes(example))).toLatin1();
}

QString BytePattern(const QString& pattern)
{
    return ByteText(TextBytes(pattern));
}

QString DisplayEscape(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code == u'\n')
            shown += QLatin1String("\\n");
        else if (code == u'\r')
            shown += QLatin1String("\\r");
        else if (code == u'\t')
            shown += QLatin1String("\\t");
        else if (code < 32 || (code >= 127 && code <= 255))
            shown += QLatin1String("\\x") + QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QStandardItem* LinkedVariable(const QStandardItemModel& model, int row, const QStandardItemModel* variables)
{
    QStandardItem* link = LinkOf(model, row);
    return IsVariableNameItem(variables, link) ? link : nullptr;
}

void SetLinkedVariable(QStandardItemModel& model, int row, QStandardItem* nameItem)
{
    if (row < 0 || row >= model.rowCount())
        return;
    if (!model.item(row, ColVariable))
        model.setItem(row, ColVariable, new EditItem());
    QStandardItem* cell = model.item(row, ColVariable);
    cell->setData(nameItem ? QVariant::fromValue(nameItem) : QVariant(), LinkRole);
    cell->setData(QVariant(), StoredNameRole);
    if (nameItem)
        SetText(model, row, ColVariable, nameItem->text());
}

void CleanupVars(QStandardItemModel& model, const QStandardItemModel* variables)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        QStandardItem* link = LinkOf(model, row);
        if (link && !IsVariableNameItem(variables, link))
            model.item(row, ColVariable)->setData(QVariant(), LinkRole);
    }
}

QString ReceivingName(const QStandardItemModel& model, int row, const QStandardItemModel* variables)
{
    switch (RowType(model, row)) {
    case TypeVariable: {
        if (const QStandardItem* variable = LinkedVariable(model, row, variables))
            return variable->text();
        const QStandardItem* cell = model.item(row, ColVariable);
        return cell ? cell->data(StoredNameRole).toString() : QString();
    }
    case TypeLocal: return Text(model, row, ColVariable);
    default: return {};
    }
}

QString EvaluateOperation(const QString& expression)
{
    const QByteArray text = TextBytes(QStringLiteral("sprintf(\"%s\", ") + expression + QLatin1Char(')'));
    std::string message;
    std::string raw;
    const KorStatus status =
        PreviewExpression(std::string_view(text.constData(), size_t(text.size())), &message, nullptr, nullptr, &raw);
    if (status == KOR_FAIL)
        return QString::fromLatin1(message.data(), qsizetype(message.size()));
    return ShownBytes(QByteArray(raw.data(), qsizetype(raw.size())));
}

QString RowResult(const QStandardItemModel& model, int row, const QStandardItemModel* variables,
                  const QHash<QString, QString>* values)
{
    if (row < 0 || row >= model.rowCount())
        return {};
    const QString captured = Text(model, row, ColCaptured);
    if (Text(model, row, ColOperationOn) != kTrue || captured == kNoCapture)
        return RowType(model, row) == TypeLocal ? QString() : captured;

    QString expression = Text(model, row, ColOperation);
    expression.replace(QLatin1String("XOR("), QLatin1String("BCC("), Qt::CaseInsensitive);
    if (!captured.isEmpty())
        ReplaceName(expression, ReceivingName(model, row, variables), captured);
    for (int above = row - 1; above >= 0; --above) {
        if (RowType(model, above) == TypeLocal) {
            ReplaceName(expression, Text(model, above, ColVariable), Text(model, above, ColResult));
        } else if (!Text(model, above, ColCaptured).isEmpty()) {
            // A variable above stands for its result once it captured
            // something, whatever this row captured.
            if (const QStandardItem* variable = LinkedVariable(model, above, variables))
                ReplaceName(expression, variable->text(), Text(model, above, ColResult));
        }
    }
    if (variables) {
        for (int variable = 0; variable < variables->rowCount(); ++variable) {
            const QStandardItem* name = variables->item(variable, 0);
            const QStandardItem* initial = variables->item(variable, 2);
            if (name && values && values->contains(name->text()))
                ReplaceName(expression, name->text(), values->value(name->text()));
            else if (name)
                ReplaceName(expression, name->text(),
                            QString::fromUtf8(ReplyBytes(initial ? initial->text() : QString())));
        }
    }
    return EvaluateOperation(expression);
}

MatchJob PrepareResponse(QStandardItemModel& model, const QString& example, int changedRow)
{
    if (changedRow == AllRows)
        UpdateAllRowPatterns(model);
    else
        UpdateRowPattern(model, changedRow);
    MatchJob job = PrepareCheck(ResponseFormat(model), example);
    job.captureExpression = BytePattern(CaptureExpression(model));
    job.groups = model.rowCount();
    job.capture = true;
    return job;
}

MatchJob PrepareCheck(const QString& format, const QString& example)
{
    MatchJob job;
    job.format = format;
    job.bytePattern = BytePattern(format);
    job.example = example;
    job.typed = true;
    job.capture = false;
    return job;
}

MatchOutcome RunMatch(const MatchJob& job, IncomingMatcher& matcher)
{
    const QString reply = job.typed ? ByteText(ReplyBytes(job.example)) : job.reply;
    matcher.Restart();
    MatchOutcome outcome;
    outcome.match = matcher.ExactMatch(job.bytePattern, reply, &outcome.checked);
    if (job.capture) {
        bool searched = true;
        outcome.found =
            matcher.Search(job.captureExpression, reply, job.groups, &outcome.captures, &searched, outcome.match);
        outcome.checked = searched && outcome.checked;
    }
    return outcome;
}

ResponseState ApplyMatch(QStandardItemModel& model, const QStandardItemModel* variables, const MatchJob& job,
                         const MatchOutcome& outcome, const QHash<QString, QString>* values)
{
    ResponseState state;
    state.format = job.format;
    state.match = outcome.match;
    state.checked = outcome.checked;
    if (!job.capture)
        return state;
    const int rows = model.rowCount();
    for (int row = 0; row < rows; ++row) {
        SetText(model, row, ColCaptured,
                outcome.found && row < outcome.captures.size() ? ShownBytes(outcome.captures.at(row).toLatin1())
                                                               : kNoCapture);
    }
    for (int row = 0; row < rows; ++row)
        SetText(model, row, ColResult, RowResult(model, row, variables, values));
    return state;
}

ResponseState RefreshResponse(QStandardItemModel& model, const QStandardItemModel* variables,
                              const QString& example, IncomingMatcher& matcher, int changedRow)
{
    const MatchJob job = PrepareResponse(model, example, changedRow);
    return ApplyMatch(model, variables, job, RunMatch(job, matcher));
}

ResponseState MatchReply(QStandardItemModel& model, const QStandardItemModel* variables, const QString& format,
                         const QString& reply, IncomingMatcher& matcher, const QHash<QString, QString>* values)
{
    MatchJob job;
    job.format = format;
    job.bytePattern = BytePattern(format);
    job.captureExpression = BytePattern(CaptureExpression(model));
    job.reply = reply;
    job.groups = model.rowCount();
    return ApplyMatch(model, variables, job, RunMatch(job, matcher), values);
}

ResponseState CheckFormat(const QString& format, const QString& example, IncomingMatcher& matcher)
{
    const MatchJob job = PrepareCheck(format, example);
    const MatchOutcome outcome = RunMatch(job, matcher);
    ResponseState state;
    state.format = format;
    state.match = outcome.match;
    state.checked = outcome.checked;
    return state;
}

} // namespace IncomingSS

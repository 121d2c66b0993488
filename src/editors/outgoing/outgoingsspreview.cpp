#include "editors/outgoing/outgoingssmodel.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <string>

#include "editors/common/modeltext.h"
#include "editors/common/shownbytes.h"
#include "editors/params/paramrows.h"
#include "editors/variables/variablerows.h"
#include "expr/preview.h"

// What a row and a message preview and send: names replaced by example or
// given values, evaluated as the show controller evaluates them.

namespace {

using SS = OutgoingSSModel_c;

// A name in an argument and the example value a preview puts in its place.
using Substitution = QPair<QString, QString>;

QString CellText(const QStandardItemModel* model, int row, int column)
{
    const QStandardItem* cell = model ? model->item(row, column) : nullptr;
    return cell ? cell->text() : QString();
}

bool HasOutput(int format)
{
    return format != SS::FormatNone && format != SS::FormatUnset;
}

QString ValueLiteral(const QString& value, bool text = false);

// A parameter's value as a preview puts it in: as typed for the editor's
// preview, as a literal when sending.
QString ValueText(const QString& name, const QString& value, const MessageValues* values)
{
    return values ? ValueLiteral(value, values->text.contains(name)) : value;
}

// The value a parameter row sends (its example unless values names it): an
// option parameter sends the replacement of the option the value names, when
// that has one.
QString ParamExample(const QStandardItemModel* params, int row, const MessageValues* values)
{
    const QString name = CellText(params, row, ParamColName);
    const QString example = values && values->params.contains(name) ? values->params.value(name)
                                                                    : CellText(params, row, ParamColExample);
    if (CellText(params, row, ParamColType).toInt() != ParamTypeOption)
        return example;
    const QStandardItemModel* options = ParamOptionModel(params, row);
    for (int option = 0; options && option < options->rowCount(); ++option) {
        if (CellText(options, option, OptionColMatch) == example) {
            const QString replacement = CellText(options, option, OptionColReplace);
            return replacement.isEmpty() ? example : replacement;
        }
    }
    return example;
}

void AddSubstitution(QList<Substitution>& subs, const QString& name, const QString& value)
{
    if (name.isEmpty())
        return;
    for (const Substitution& sub : subs) {
        if (sub.first == name)
            return;
    }
    subs.append({name, value});
}

// What a preview of row replaces: its own reference, or for a checksum the
// references of every row it covers, so the checksum is computed over the
// bytes the covered rows preview.
void CollectSubstitutions(const SS& model, int row, const MessageValues* values, QList<Substitution>& subs,
                          QSet<int>& visited)
{
    if (visited.contains(row))
        return;
    visited.insert(row);
    switch (model.Type(row)) {
    case SS::TypeParameter:
        if (const QStandardItem* ref = model.ParamRef(row))
            AddSubstitution(subs, ref->text(),
                            ValueText(ref->text(), ParamExample(model.ParamModel(), ref->row(), values), values));
        break;
    case SS::TypeVariable:
        if (const QStandardItem* ref = model.VarRef(row))
            AddSubstitution(subs, ref->text(),
                            values && values->variables.contains(ref->text())
                                ? ValueLiteral(values->variables.value(ref->text()), values->text.contains(ref->text()))
                                : CellText(model.VariableModel(), ref->row(), ColInitial));
        break;
    case SS::TypeLocal:
        AddSubstitution(subs, model.Text(row, SS::ColLocalName), model.Text(row, SS::ColFormula));
        break;
    case SS::TypeChecksum:
        for (const QStandardItem* covered : model.CoveredRows(row))
            CollectSubstitutions(model, covered->row(), values, subs, visited);
        break;
    default:
        break;
    }
}

// Copies text, letting replace rewrite what lies outside double-quoted
// runs: replace(i, out) appends a replacement for the text at i and returns
// how many characters it stands for, or 0 to keep the character. A quoted
// text (a checksum's inner format, a string in a formula) sends its
// characters as written.
template <typename Replace>
QString RewriteOutsideQuotes(const QString& text, Replace replace)
{
    QString out;
    out.reserve(text.size());
    bool quoted = false;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < text.size()) {
            out += text.mid(i, 2);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        const qsizetype used = quoted || c == QLatin1Char('"') ? 0 : replace(i, out);
        if (used == 0)
            out += c;
        i += std::max<qsizetype>(used, 1);
    }
    return out;
}

// Replaces name wherever it occurs outside double-quoted runs.
QString ReplaceOutsideQuotes(const QString& text, const QString& name, const QString& value)
{
    return RewriteOutsideQuotes(text, [&](qsizetype i, QString& out) -> qsizetype {
        if (name.isEmpty() || !QStringView(text).mid(i).startsWith(name))
            return 0;
        out += value;
        return name.size();
    });
}

// A value as expression text: a number in its plain form as it is, any
// other text in double quotes. The language reads a bare word with the space
// before it ("sprintf("%s", On)" sends " On") and reads "01" as 1; quoted,
// a value sends exactly its characters, and a comma, a parenthesis or a quote
// the device sent cannot change the expression around it. Escapes such as
// \xHH mean the same inside quotes. A text value (text) is quoted even when
// it looks like a number: a seed 1.234567 would be printed as 1.23.
QString ValueLiteral(const QString& value, bool text)
{
    static const QRegularExpression plainNumber(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?$"));
    if (value.isEmpty() || (!text && plainNumber.match(value).hasMatch()))
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Every whole word outside quotes that names a variable of values becomes
// its value: a local's formula or a hand-typed argument list reads the
// device's current state.
QString ReplaceVariableNames(const QString& text, const MessageValues& values)
{
    if (values.variables.isEmpty())
        return text;
    return RewriteOutsideQuotes(text, [&](qsizetype i, QString& out) -> qsizetype {
        if (!IsNameChar(text[i]) || (i > 0 && IsNameChar(text[i - 1])))
            return 0;
        qsizetype end = i;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        const QString word = text.mid(i, end - i);
        out += values.variables.contains(word) ? ValueLiteral(values.variables.value(word), values.text.contains(word))
                                               : word;
        return end - i;
    });
}

bool PreviewBytes(const QString& expression, QByteArray* bytes)
{
    std::string raw;
    const QByteArray text = TextBytes(expression);
    const KorStatus status = PreviewExpression(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                                               nullptr, nullptr, nullptr, &raw);
    *bytes = QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
    return status != KOR_FAIL;
}

} // namespace

QString XorAsBcc(QString text)
{
    return RewriteOutsideQuotes(text, [&](qsizetype i, QString& out) -> qsizetype {
        if (QStringView(text).mid(i, 4).compare(QLatin1String("XOR("), Qt::CaseInsensitive) != 0)
            return 0;
        out += QLatin1String("BCC(");
        return 4;
    });
}

QString RowPreviewText(const OutgoingSSModel_c& model, int row, const MessageValues* values)
{
    // From the row's settings: the piece cell of an event not shown since a
    // variable was renamed still names it as it was, and the values are put
    // in by the names the references have now.
    QString arg = XorAsBcc(CurrentArgPiece(model, row));
    QList<Substitution> subs;
    QSet<int> visited;
    CollectSubstitutions(model, row, values, subs, visited);
    for (const Substitution& sub : subs)
        arg = ReplaceOutsideQuotes(arg, sub.first, sub.second);
    if (values)
        arg = ReplaceVariableNames(arg, *values);
    return QStringLiteral("sprintf(\"") + model.Text(row, SS::ColFormatPiece) + QStringLiteral("\", ") + arg +
           QLatin1Char(')');
}

OutgoingMessage BuildOutgoingMessage(const OutgoingSSModel_c& model)
{
    OutgoingMessage out;
    QString hex;
    QStringList args;
    for (int row = 0; row < model.rowCount(); ++row) {
        out.preview.message += model.Text(row, SS::ColResult);
        hex += model.Text(row, SS::ColHexRep);
        const QString rep = model.Text(row, SS::ColStringRep);
        if (rep.startsWith(QLatin1Char('"')) && out.preview.stringRep.endsWith(QLatin1Char('"'))) {
            out.preview.stringRep.chop(1);
            out.preview.stringRep += QStringView(rep).mid(1);
        } else {
            out.preview.stringRep += rep;
        }
        out.format += model.Text(row, SS::ColFormatPiece);
        const QString arg = model.Text(row, SS::ColArgPiece);
        if (!arg.isEmpty())
            args << arg;
    }
    out.preview.hexRep = hex.mid(1);
    out.args = XorAsBcc(args.join(QStringLiteral(", ")));
    return out;
}

OutgoingPreview PreviewText(const QString& expression)
{
    std::string message;
    std::string stringRep;
    std::string hexRep;
    std::string raw;
    const QByteArray text = TextBytes(expression);
    const KorStatus status = PreviewExpression(std::string_view(text.constData(), static_cast<size_t>(text.size())),
                                               &message, &stringRep, &hexRep, &raw);
    const auto bytes = [](const std::string& part) {
        return QByteArray(part.data(), static_cast<qsizetype>(part.size()));
    };
    // The hex list is the bytes sent; the message shows them with what is
    // text as its characters.
    return {status == KOR_FAIL ? QString::fromLatin1(bytes(message)) : ShownBytes(bytes(raw)),
            ShownText(bytes(stringRep)), QString::fromLatin1(bytes(hexRep))};
}

OutgoingPreview PreviewManualMessage(const QString& format, const QString& args)
{
    OutgoingPreview preview =
        PreviewText(QStringLiteral("sprintf(\"") + format + QStringLiteral("\", ") + args + QLatin1Char(')'));
    preview.hexRep.remove(0, 1);
    return preview;
}

bool MessageBytes(const OutgoingSSModel_c& model, const MessageValues& values, QByteArray* bytes, QString* error)
{
    bytes->clear();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (!HasOutput(model.Format(row)) && model.Type(row) != SS::TypeConstant)
            continue;
        QByteArray part;
        if (!PreviewBytes(RowPreviewText(model, row, &values), &part)) {
            *error = QStringLiteral("substring %1 ('%2') does not parse with these values")
                         .arg(row + 1)
                         .arg(model.item(row, 0) ? model.item(row, 0)->text() : QString());
            return false;
        }
        bytes->append(part);
    }
    return true;
}

bool ManualMessageBytes(const QString& format, const QString& args, const MessageValues& values, QByteArray* bytes,
                        QString* error)
{
    QString arguments = XorAsBcc(args);
    for (auto it = values.params.cbegin(); it != values.params.cend(); ++it)
        arguments = ReplaceOutsideQuotes(arguments, it.key(), ValueLiteral(it.value(), values.text.contains(it.key())));
    arguments = ReplaceVariableNames(arguments, values);
    const QString call = QStringLiteral("sprintf(\"") + format + QLatin1Char('"') +
                         (arguments.trimmed().isEmpty() ? QString() : QStringLiteral(", ") + arguments) +
                         QLatin1Char(')');
    if (PreviewBytes(call, bytes))
        return true;
    *error = QStringLiteral("the message typed by hand does not parse with these values");
    return false;
}

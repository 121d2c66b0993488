#include "editors/outgoing/outgoingssmodel.h"

#include <QRegularExpression>
#include <QSet>
#include <QSignalBlocker>

#include "editors/common/cells.h"
#include "editors/common/edithistory.h"
#include "editors/common/modeltext.h"
#include "editors/common/shownbytes.h"

Q_DECLARE_METATYPE(QStandardItem*)

namespace {

using SS = OutgoingSSModel_c;

QString CellText(const QStandardItemModel* model, int row, int column)
{
    const QStandardItem* cell = model ? model->item(row, column) : nullptr;
    return cell ? cell->text() : QString();
}

bool HasOutput(int format)
{
    return format != SS::FormatNone && format != SS::FormatUnset;
}

void PreviewRow(SS& model, int row, bool previews = true)
{
    model.SetText(row, SS::ColFormatPiece, FormatPiece(model, row));
    model.SetText(row, SS::ColArgPiece, ArgPiece(model, row));
    if (!previews)
        return;
    const OutgoingPreview preview = PreviewText(RowPreviewText(model, row));
    model.SetText(row, SS::ColResult, preview.message);
    model.SetText(row, SS::ColStringRep, preview.stringRep);
    model.SetText(row, SS::ColHexRep, preview.hexRep);
}

// onPath guards against a covered list that leads back to row.
void RefreshRowAndCovering(SS& model, int row, QSet<int>& onPath)
{
    if (onPath.contains(row))
        return;
    onPath.insert(row);
    PreviewRow(model, row);
    QStandardItem* rowItem = model.item(row, 0);
    for (int other = 0; other < model.rowCount(); ++other) {
        if (model.Type(other) == SS::TypeChecksum && model.CoveredRows(other).contains(rowItem))
            RefreshRowAndCovering(model, other, onPath);
    }
    onPath.remove(row);
}

// Checksum rows after every checksum row they cover.
void PreviewChecksumFirstCovered(SS& model, int row, QSet<int>& done, bool previews)
{
    if (done.contains(row))
        return;
    done.insert(row);
    for (const QStandardItem* covered : model.CoveredRows(row)) {
        if (model.Type(covered->row()) == SS::TypeChecksum)
            PreviewChecksumFirstCovered(model, covered->row(), done, previews);
    }
    PreviewRow(model, row, previews);
}

void RefreshChecksumRows(OutgoingSSModel_c& model, bool previews)
{
    QSet<int> done;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.Type(row) == SS::TypeChecksum) {
            model.SetCoveredRows(row, model.CoveredRows(row));
            PreviewChecksumFirstCovered(model, row, done, previews);
        }
    }
}

void RefreshRows(OutgoingSSModel_c& model, bool previews)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.Type(row) != SS::TypeChecksum)
            PreviewRow(model, row, previews);
    }
    RefreshChecksumRows(model, previews);
}

} // namespace

OutgoingSSModel_c::OutgoingSSModel_c(QObject* parent) : QStandardItemModel(0, ColumnCount, parent)
{
    MakeEditModel(*this);
}

void OutgoingSSModel_c::SetReferenceModels(QStandardItemModel* params, QStandardItemModel* variables)
{
    m_pParams = params;
    m_pVariables = variables;
}

void OutgoingSSModel_c::EnsurePreviews() const
{
    if (!m_PreviewsDeferred)
        return;
    auto* self = const_cast<OutgoingSSModel_c*>(this);
    const EditHistory::Aside derived(self);
    const QSignalBlocker quiet(self);
    RefreshAllRows(*self);
}

QVariant OutgoingSSModel_c::data(const QModelIndex& index, int role) const
{
    if (m_PreviewsDeferred && index.column() <= ColHexRep)
        EnsurePreviews();
    if (role != Qt::DisplayRole || !index.isValid())
        return QStandardItemModel::data(index, role);
    const int row = index.row();
    const int type = Type(row);
    if (type == TypeConstant)
        return Text(row, ColConstText);
    const int format = Format(row);
    QString text = HasOutput(format) ? Text(row, ColResult) : QStringLiteral("[no output]");
    if (format == FormatValue)
        text = ShownBytes(TextBytes(text));
    switch (type) {
    case TypeParameter: return text + QStringLiteral(" (param: %1)").arg(RefName(row));
    case TypeVariable: return text + QStringLiteral(" (var: %1)").arg(RefName(row));
    case TypeLocal: return text + QStringLiteral(" (local: %1)").arg(Text(row, ColLocalName));
    case TypeChecksum: return text + QStringLiteral(" (checksum)");
    default: return text + QStringLiteral(" (unknown type)");
    }
}

int OutgoingSSModel_c::AppendSubstring(const QString& name, int type)
{
    // The other cells are made when first written: most stay empty, and a
    // file of many events has hundreds of thousands of substrings.
    QList<QStandardItem*> cells(ColumnCount, nullptr);
    cells[ColResult] = new EditItem(name);
    cells[ColSSType] = new EditItem(QString::number(type));
    cells[ColOutputFormat] = new EditItem(QString::number(type == TypeConstant ? FormatString : FormatUnset));
    cells[ColOptions] = new EditItem(QStringLiteral("false"));
    EditRows::Append(*this, cells);
    return rowCount() - 1;
}

QString OutgoingSSModel_c::Text(int row, int column) const
{
    if (m_PreviewsDeferred && column <= ColHexRep)
        EnsurePreviews();
    return CellText(this, row, column);
}

void OutgoingSSModel_c::SetText(int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount())
        return;
    // The others are computed first: an edit records what the cell held,
    // and an undo puts that back.
    if (m_PreviewsDeferred && column <= ColHexRep)
        EnsurePreviews();
    QStandardItem* cell = item(row, column);
    if (!cell) {
        if (!text.isEmpty())
            MadeCell(*this, row, column)->setText(text);
    } else if (cell->data(Qt::EditRole).userType() != QMetaType::QString || cell->text() != text) {
        cell->setText(text);
    }
}

int OutgoingSSModel_c::Type(int row) const
{
    bool ok = false;
    const int type = Text(row, ColSSType).toInt(&ok);
    return ok && type >= TypeParameter && type <= TypeChecksum ? type : TypeNone;
}

int OutgoingSSModel_c::Format(int row) const
{
    bool ok = false;
    const int format = Text(row, ColOutputFormat).toInt(&ok);
    return ok && format >= FormatString && format <= FormatNone ? format : FormatUnset;
}

bool OutgoingSSModel_c::OptionsOn(int row) const
{
    return Text(row, ColOptions) == QLatin1String("true");
}

QStandardItem* OutgoingSSModel_c::ValidRef(int row, int column, const QStandardItemModel* model) const
{
    const QStandardItem* cell = item(row, column);
    const auto* ref = cell ? cell->data(ReferenceRole).value<QStandardItem*>() : nullptr;
    if (!ref || !model)
        return nullptr;
    // Compared by address only: the item may have been deleted with its row.
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->item(r, 0) == ref)
            return model->item(r, 0);
    }
    return nullptr;
}

QStandardItem* OutgoingSSModel_c::ParamRef(int row) const
{
    return ValidRef(row, ColParamRef, m_pParams);
}

QStandardItem* OutgoingSSModel_c::VarRef(int row) const
{
    return ValidRef(row, ColVarRef, m_pVariables);
}

void OutgoingSSModel_c::SetParamRef(int row, QStandardItem* nameItem)
{
    if (QStandardItem* cell = nameItem ? MadeCell(*this, row, ColParamRef) : item(row, ColParamRef))
        cell->setData(QVariant::fromValue(nameItem), ReferenceRole);
}

void OutgoingSSModel_c::SetVarRef(int row, QStandardItem* nameItem)
{
    if (QStandardItem* cell = nameItem ? MadeCell(*this, row, ColVarRef) : item(row, ColVarRef))
        cell->setData(QVariant::fromValue(nameItem), ReferenceRole);
}

QString OutgoingSSModel_c::RefName(int row) const
{
    switch (Type(row)) {
    case TypeParameter: {
        const QStandardItem* ref = ParamRef(row);
        return ref ? ref->text() : QString();
    }
    case TypeVariable: {
        const QStandardItem* ref = VarRef(row);
        return ref ? ref->text() : QString();
    }
    case TypeLocal: return Text(row, ColLocalName);
    default: return QString();
    }
}

QList<QStandardItem*> OutgoingSSModel_c::CoveredRows(int row) const
{
    const QStandardItem* cell = item(row, ColChecksumRows);
    if (!cell)
        return {};
    const auto stored = cell->data(ReferenceRole).value<QList<QStandardItem*>>();
    if (stored.isEmpty())
        return {};
    QList<QStandardItem*> live;
    for (int r = 0; r < rowCount(); ++r) {
        if (r != row && stored.contains(item(r, 0)))
            live.append(item(r, 0));
    }
    return live;
}

void OutgoingSSModel_c::SetCoveredRows(int row, const QList<QStandardItem*>& items)
{
    QList<QStandardItem*> ordered;
    for (int r = 0; r < rowCount(); ++r) {
        if (r != row && items.contains(item(r, 0)))
            ordered.append(item(r, 0));
    }
    QStandardItem* cell = ordered.isEmpty() ? item(row, ColChecksumRows) : MadeCell(*this, row, ColChecksumRows);
    if (cell && ordered != cell->data(ReferenceRole).value<QList<QStandardItem*>>())
        cell->setData(QVariant::fromValue(ordered), ReferenceRole);
}

bool OutgoingSSModel_c::Covers(int row, int target) const
{
    QList<int> pending{row};
    QSet<int> seen{row};
    while (!pending.isEmpty()) {
        const int current = pending.takeLast();
        for (const QStandardItem* covered : CoveredRows(current)) {
            const int r = covered->row();
            if (r == target)
                return true;
            if (!seen.contains(r) && Type(r) == TypeChecksum) {
                seen.insert(r);
                pending.append(r);
            }
        }
    }
    return false;
}

const QStringList& SubstringTypeNames()
{
    static const QStringList names{"parameter", "variable", "local", "constant", "checksum"};
    return names;
}

const QStringList& OutputFormatNames()
{
    static const QStringList names{"string",    "ascii integer", "ascii decimal", "ascii hex",
                                   "ascii hex (uppercase)", "value", "none"};
    return names;
}

QString OutputFormatLetter(int format)
{
    static const QString letters = QStringLiteral("sdfxXp");
    return format >= 0 && format < letters.size() ? QString(letters[format]) : QString();
}

int OutputFormatOfLetter(QChar letter)
{
    const int format = static_cast<int>(QStringLiteral("sdfxXp").indexOf(letter));
    return format >= 0 ? format : SS::FormatUnset;
}

const QStringList& ChecksumFunctionNames()
{
    static const QStringList names{"Checksum", "ByteChecksum", "KorNetChecksum", "BCC", "XOR", "MD5", "Length"};
    return names;
}

QString ConstantFormatPiece(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\\'), QStringLiteral(R"(\\)"));
    const QString collapsed = CollapseDoubledEscapes(doubled);
    QString piece;
    piece.reserve(collapsed.size() + 4);
    for (const QChar c : collapsed) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('%'))
            piece += QLatin1Char('\\');
        piece += c;
    }
    return piece;
}

QString FormatPiece(const OutgoingSSModel_c& model, int row)
{
    const int format = model.Format(row);
    if (!HasOutput(format))
        return QString();
    const int type = model.Type(row);
    if (type == SS::TypeConstant)
        return ConstantFormatPiece(model.Text(row, SS::ColConstText));
    QString piece = QStringLiteral("%");
    // A checksum is stored with its letter only, and its width cannot be seen
    // on its page, so a width left from another type is not used.
    const QString width = model.Text(row, SS::ColChars);
    if (type != SS::TypeChecksum && model.OptionsOn(row) && !width.isEmpty())
        piece += QLatin1Char('0') + width;
    piece += OutputFormatLetter(format);
    const QStandardItem* cell = model.item(row, SS::ColOutputFormat);
    const QStringList stored = cell ? cell->data(SS::StoredConversionRole).toStringList() : QStringList();
    return stored.size() == 2 && stored[0] == piece ? stored[1] : piece;
}

QString ArgPiece(const OutgoingSSModel_c& model, int row)
{
    if (!HasOutput(model.Format(row)))
        return QString();
    switch (model.Type(row)) {
    case SS::TypeParameter:
    case SS::TypeVariable: {
        const QString name = model.RefName(row);
        if (name.isEmpty())
            return QString();
        const QString formula = model.Text(row, SS::ColFormula);
        return formula.contains(name) ? formula : name;
    }
    case SS::TypeLocal: {
        const QString name = model.Text(row, SS::ColLocalName);
        return name.isEmpty() ? model.Text(row, SS::ColFormula) : name;
    }
    case SS::TypeChecksum: return ChecksumExpression(model, row);
    default: return QString();
    }
}

namespace {

QString ChecksumExpressionOn(const OutgoingSSModel_c& model, int row, bool fresh, QSet<int>& onPath);

// CurrentArgPiece, onPath holding the checksums being made around it.
QString CurrentArgPieceOn(const OutgoingSSModel_c& model, int row, QSet<int>& onPath)
{
    if (model.Type(row) != SS::TypeChecksum || !HasOutput(model.Format(row)))
        return ArgPiece(model, row);
    return onPath.contains(row) ? model.Text(row, SS::ColArgPiece) : ChecksumExpressionOn(model, row, true, onPath);
}

// fresh: the arguments are made from the covered rows' settings rather than
// their piece cells, which a message not shown keeps from before a variable
// or parameter it refers to was renamed. onPath guards against a covered list
// that leads back to row.
QString ChecksumExpressionOn(const OutgoingSSModel_c& model, int row, bool fresh, QSet<int>& onPath)
{
    const QStringList& names = ChecksumFunctionNames();
    const int type = model.Text(row, SS::ColChecksumType).toInt();
    QString format;
    QString args;
    onPath.insert(row);
    for (const QStandardItem* covered : model.CoveredRows(row)) {
        const int at = covered->row();
        format += model.Text(at, SS::ColFormatPiece);
        const QString arg = fresh ? CurrentArgPieceOn(model, at, onPath) : model.Text(at, SS::ColArgPiece);
        // A row without an argument (a constant) adds no empty argument,
        // which sprintf would take for the next conversion.
        if (!arg.isEmpty())
            args += QStringLiteral(", ") + arg;
    }
    onPath.remove(row);
    return names.value(type, names.first()) + QStringLiteral("(sprintf(\"") + format + QLatin1Char('"') + args +
           QStringLiteral("))");
}

} // namespace

QString ChecksumExpression(const OutgoingSSModel_c& model, int row)
{
    QSet<int> onPath;
    return ChecksumExpressionOn(model, row, false, onPath);
}

QString CurrentArgPiece(const OutgoingSSModel_c& model, int row)
{
    QSet<int> onPath;
    return CurrentArgPieceOn(model, row, onPath);
}

void RefreshRow(OutgoingSSModel_c& model, int row)
{
    if (row < 0 || row >= model.rowCount())
        return;
    QSet<int> onPath;
    RefreshRowAndCovering(model, row, onPath);
}

void RefreshAllRows(OutgoingSSModel_c& model)
{
    model.SetPreviewsDeferred(false);
    RefreshRows(model, true);
}

void RefreshAllPieces(OutgoingSSModel_c& model)
{
    RefreshRows(model, false);
    model.SetPreviewsDeferred(true);
}

void RefreshChecksums(OutgoingSSModel_c& model)
{
    RefreshChecksumRows(model, true);
}

void RefreshRowsReferring(OutgoingSSModel_c& model, const QStandardItem* nameItem)
{
    if (!nameItem)
        return;
    const QStandardItemModel* owner = nameItem->model();
    const QStandardItem* rowItem = owner ? owner->item(nameItem->row(), 0) : nullptr;
    if (!rowItem)
        return;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.ParamRef(row) == rowItem || model.VarRef(row) == rowItem)
            RefreshRow(model, row);
    }
}

bool CleanupReferences(OutgoingSSModel_c& model)
{
    bool cleared = false;
    for (int row = 0; row < model.rowCount(); ++row) {
        bool rowCleared = false;
        const QStandardItem* paramCell = model.item(row, SS::ColParamRef);
        if (paramCell && paramCell->data(SS::ReferenceRole).value<QStandardItem*>() && !model.ParamRef(row)) {
            model.SetParamRef(row, nullptr);
            rowCleared = true;
        }
        const QStandardItem* varCell = model.item(row, SS::ColVarRef);
        if (varCell && varCell->data(SS::ReferenceRole).value<QStandardItem*>() && !model.VarRef(row)) {
            model.SetVarRef(row, nullptr);
            rowCleared = true;
        }
        if (rowCleared)
            RefreshRow(model, row);
        cleared = cleared || rowCleared;
    }
    return cleared;
}


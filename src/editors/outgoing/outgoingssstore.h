#pragma once

#include <QList>
#include <QString>

#include "editors/outgoing/outgoingssmodel.h"

class ProductDataMessage_c;
class QStandardItem;

// Checksum settings of a checksum row (its function type and covered rows)
// and the texts an outgoing message is stored as in a product file.

// The rows of items that checksum row may cover: not itself, and no
// checksum that covers it already (a loop would never finish).
QList<QStandardItem*> AllowedCoverage(const OutgoingSSModel_c& model, int row, const QList<QStandardItem*>& items);
// Writes a checksum row's function type (index into ChecksumFunctionNames(),
// 0 when outside), its covered rows (as AllowedCoverage leaves them) and
// its argument piece.
void SetChecksumSettings(OutgoingSSModel_c& model, int row, int functionType, const QList<QStandardItem*>& covered);
// The checksum as stored: the function over "%s" per covered row, the rows
// named "Substring" or "Checksum" and their row number.
QString StoredChecksumExpression(const OutgoingSSModel_c& model, int row);
// Reads a checksum row's settings back from its stored result text. A text
// that is not a stored checksum gives no covered rows and type 0, and false.
bool ReadChecksumSettings(OutgoingSSModel_c& model, int row, const QString& stored);

// The stored substring name: the type word and the row number ("constant3").
QString StoredSubstringName(const OutgoingSSModel_c& model, int row);
// The stored result text: a quoted conversion specification, ", " and the
// argument: a constant's quoted text, a checksum's stored expression, or the
// formula (or name) with the name in square brackets.
QString StoredSubstringResult(const OutgoingSSModel_c& model, int row);
// On the ColLocalName cell of a local read from a file (a local substring,
// or a parameter or variable one whose name is neither) that no operation
// gave a formula: the formula it was read with. It gets no operation while
// its formula stays that, as the file had none.
inline constexpr int UnresolvedLocalRole = Qt::UserRole + 4;

// Appends the row a stored name and result text describe, references
// resolved against the model's parameter and variable models, not yet
// previewed. A checksum row keeps its result text in ColResult for
// ReadChecksumSettings; a result that cannot be read gives the type only.
int AppendStoredSubstring(OutgoingSSModel_c& model, const QString& name, const QString& result);

// Replaces the message's substrings by the model's rows, and writes each
// local a second time as an operation (name and formula). The message's
// format and manual flag are the caller's.
void StoreOutgoingSubstrings(const OutgoingSSModel_c& model, ProductDataMessage_c& message);
// Replaces the model's rows by the message's substrings: rows, then the
// locals' formulas from the operations, then the checksums' settings, then
// every preview A message's operations that
// the locals would not store again as they are (the show controller reads
// them) are kept and written back as stored while the locals store what they
// did when loaded.
void LoadOutgoingSubstrings(ProductDataMessage_c& message, OutgoingSSModel_c& model);
// For a copy of the rows: to keeps the operations from keeps.
void CopyStoredOutgoingOperations(const OutgoingSSModel_c& from, OutgoingSSModel_c& to);

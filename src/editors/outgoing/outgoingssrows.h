#pragma once

#include <QString>

#include "editors/outgoing/outgoingssmodel.h"

// The editor's row operations on an OutgoingSSModel_c. Each keeps the
// checksums' covered lists pointing at live rows and rebuilds what depends
// on the change.

// Appends a copy of row; the new row, or -1 for a row outside the model.
int DuplicateSubstring(OutgoingSSModel_c& model, int row);
void RemoveSubstring(OutgoingSSModel_c& model, int row);
// -1 up, +1 down; the new row, or -1 when it cannot move.
int MoveSubstring(OutgoingSSModel_c& model, int row, int offset);

// The output format guessed from a selected example text: digits "ascii
// integer", lower-case hex "ascii hex", hex "ascii hex (uppercase)", digits
// and dots "ascii decimal", anything else "string".
int GuessOutputFormat(const QString& text);
// Appends a row for text selected in an example message: a constant holding
// it, or a row of another type with its width and guessed format.
int AppendSelectionSubstring(OutgoingSSModel_c& model, const QString& selection, int type);

// Appends copies of from's rows to to. References are carried over by row:
// to's parameter model is taken to be a copy of from's in the same order,
// the variables are shared, and covered rows point at the copies.
void CopySubstrings(const OutgoingSSModel_c& from, OutgoingSSModel_c& to);

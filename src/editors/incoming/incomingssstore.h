#pragma once

#include <QString>

class ProductDataMessage_c;
class QStandardItemModel;

// How an incoming response's rows are kept in a product file, one pass over
// the rows in order (NN: the row number, at least two digits):
// - a constant or wildcard: a substring "NNConstant" / "NNWildcard" holding
//   its pattern (a constant's with ReduceConstantPattern);
// - a variable: a parameter named after the variable holding the capture
//   pattern, device_var set unless the row carries an operation; with one,
//   the parameter is named name + "temp", and a substring (name + "temp")
//   and an operation (name), both device_var, hold the operation with the
//   name turned into name + "temp";
// - a local: a parameter name + "temp" holding its pattern when it captures
//   anything, a substring "NNLocal" holding its name, and an operation named
//   after it holding its operation (for a capturing local an empty one
//   becomes the name, and the name becomes name + "temp").
// The message's regular expression and example are the caller's.

// Writes the rows, variable names resolved through variables, into the
// message's parameters, substrings and operations.
void StoreIncomingSubstrings(const QStandardItemModel& model, const QStandardItemModel* variables,
                             ProductDataMessage_c& message);

// Rows read from a file whose lists they would not store exactly keep those
// lists, written back as stored while the rows store what they did when read.
// For a copy of the rows: to keeps what from keeps.
void CopyStoredIncomingLists(const QStandardItemModel& from, QStandardItemModel& to);

// Replaces the model's rows by those the message's lists describe, variables
// linked by name (exact, else ignoring case) and every row's pattern rebuilt;
// the captures and results are left to the next refresh. Rows come back in
// the order they were written: row numbers place the constants, wildcards
// and locals, the parameters' order the variables around them. Returns the
// message's example.
QString LoadIncomingSubstrings(ProductDataMessage_c& message, QStandardItemModel& model,
                               const QStandardItemModel* variables);

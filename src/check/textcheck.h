#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include "check/messagecheck.h"

class OutgoingSSModel_c;
class QStandardItemModel;

// Checks of what the show controller reads as numbers: arithmetic that the
// language applies to text, and numbers written where none is.

// Every + - * / on text in an outgoing message: the typed message in manual
// edit, else each substring's argument.
QList<PartProblem> OutgoingTextArithmetic(const OutgoingSSModel_c& model, bool manual, const QString& args,
                                          const QSet<QString>& textNames);
// Every + - * / on text in the operations of an incoming response's rows.
QList<PartProblem> IncomingTextArithmetic(const QStandardItemModel& model, const QSet<QString>& textNames);

// Whether text is a number of an integer (integer true) or decimal value as
// the controller reads one: an optional sign, digits, and for a decimal one
// point; spaces around it allowed.
bool IsNumberText(const QString& text, bool integer);
// Limits and examples of integer and decimal parameters that are no number.
QList<PartProblem> ParameterNumbers(const QStandardItemModel& params);
// The message for an integer or decimal variable whose initial value is no
// number; empty when it is one, empty, or the type is another.
QString VariableNumberProblem(const QStandardItemModel& variables, int row);

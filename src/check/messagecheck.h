#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

#include "check/checkproblem.h"

class IncomingMatcher;
class OutgoingSSModel_c;
class ProductDataDocument_c;
class ProductDataParam_c;
class QStandardItemModel;
struct ParamFields;

// The checks of one event or setup message, on the models its editors work
// on. Every verdict is the editors' own: a substring's preview is the
// outgoing editor's (example values put in), a match is the incoming
// editor's match status, an example's acceptance is its parameter's rules.

// A problem inside an item: message already names the part ("outgoing
// substring 2 ..."); partRow is the parameter or substring row, or -1.
struct PartProblem
{
    CheckKind kind;
    CheckPlace::Part part;
    int partRow;
    QString message;
};

// Empty names and names used by an earlier row (ignoring case).
struct NameFault
{
    int row;
    CheckKind kind;  // EmptyName or DuplicateName
    int firstRow;    // the earlier row with the same name; -1 for an empty name
};
QList<NameFault> NameFaults(const QStringList& names);

// Column 0 of every row, and the same folded for a known-name set.
QStringList ColumnTexts(const QStandardItemModel* model, int column = 0);
QSet<QString> FoldedNames(const QStringList& names);

// An outgoing message: in manual edit the typed format and arguments, else
// every substring row (references, names, preview) and the whole message's
// bytes. variableNames, paramNames: what the message may name besides its
// locals (FoldedNames).
QList<PartProblem> CheckOutgoing(const OutgoingSSModel_c& model, bool manual, const QString& format,
                                 const QString& args, const QSet<QString>& variableNames,
                                 const QSet<QString>& paramNames);

// An incoming response: its substrings' variables and operations, then its
// regular expression (the typed one in manual edit, else the one its rows
// make) and, when an example is stored, the editor's match of the example.
// variableNames: the folded names of variables.
QList<PartProblem> CheckIncoming(const QStandardItemModel& model, const QStandardItemModel* variables,
                                 const QSet<QString>& variableNames, bool manual, const QString& regexp,
                                 const QString& example, IncomingMatcher& matcher);

// Accepts or refuses example values the way the show controller does: the
// parameter is stored as a save stores it into a scratch document, and its
// rules validate the example.
class ExampleValidator
{
public:
    ExampleValidator();
    ~ExampleValidator();
    // What is wrong with the example of an integer, decimal or option
    // parameter; empty when its rules accept it or it is empty.
    QString Problem(const ParamFields& fields);

private:
    QString Judge(const ParamFields& fields);

    std::unique_ptr<ProductDataDocument_c> m_pScratch;
    ProductDataParam_c* m_pParam = nullptr;  // owned by m_pScratch
    // Parameters in generated and copied files repeat; each kind is judged once.
    QHash<QString, QString> m_Verdicts;
};

// A parameter list: empty and duplicate names, examples refused by their
// rules.
QList<PartProblem> CheckParameters(const QStandardItemModel& params, ExampleValidator& validator);

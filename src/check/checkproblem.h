#pragma once

#include <QList>
#include <QString>

// What kind of fault a driver check found. The names (CheckKindName) are
// what tarvo-cli check --json prints; scripts rely on them.
enum class CheckKind {
    NotOpenable,        // the window refuses the file (creator is not true)
    OutgoingSyntax,     // an outgoing message or substring does not parse
    OutgoingEmpty,      // an outgoing message previews to no bytes
    UnknownName,        // a parameter, variable or local that does not exist
    IncomingRegexp,     // an incoming regular expression that does not compile
    IncomingMismatch,   // the stored example does not match its expression
    IncomingUnchecked,  // the match is too costly to check
    DuplicateName,
    EmptyName,
    ExampleLimits,  // a parameter's example outside its limits or options
    MissingPort,    // a port of the protocol that the hardware lacks
    StoredDiffers,  // a message opened as stored, whose text its substrings do not make
    TextArithmetic, // + - * / applied to text, where & joins it
    NotANumber,     // a limit, example or initial value of a number type that is no number
};

QString CheckKindName(CheckKind kind);

// Where a problem is, as the window shows it: a row of a page's list and,
// within an event or setup message, a parameter or substring row.
struct CheckPlace
{
    enum Page { Product, Ports, Setup, Events, Variables };
    enum Part { Whole, Parameter, Outgoing, Incoming };

    Page page = Product;
    int row = -1;  // row of the page's model (for variables, of the shared model)
    Part part = Whole;
    int partRow = -1;  // row of the parameter or substring model
};

struct CheckProblem
{
    CheckKind kind;
    QString location;  // "event 'Power' (row 3)": the page's item by name and row
    QString message;   // what is wrong, naming the part of the item it is in
    CheckPlace place;
};

// "<file>: <location>: <message>" on one line (line breaks become spaces).
QString CheckProblemLine(const QString& file, const CheckProblem& problem);

// A text quoted for a problem message: in single quotes, control characters
// shown as the editors show them (\r, \n, \t, \xHH), cut at 60 characters.
QString Quoted(const QString& text);

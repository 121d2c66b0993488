#pragma once

#include <QList>

#include <functional>
#include <QString>
#include <QStringView>

// One infra-red code of an IR file: the event it becomes and the message
// format that event sends.
struct IRCode
{
    QString name;
    QString message;

    bool operator==(const IRCode&) const = default;
};

// The codes of an IR file's text: one code per line, lines ending in CR LF
// or LF, each of the form "[name] code". The name is the text before the
// first "]" without spaces, TABs, CRs and "["; the message is the text
// between the first and a second "]" without spaces, TABs and CRs,
// followed by \r (the escape, as a message format writes it), or empty
// when the line has no "]". Lines whose name comes out empty give no code.
QList<IRCode> ParseIRCodes(QStringView text);

// Files above this size are not IR files; they are refused.
inline constexpr qint64 IRFileSizeLimit = 4 * 1024 * 1024;

enum class IRFileProblem {
    None,      // read (a file that cannot be opened reads as empty)
    NotText,   // control bytes other than TAB, CR, LF, or not UTF-8
    TooLarge,  // more than IRFileSizeLimit bytes
};

struct IRFile
{
    IRFileProblem problem = IRFileProblem::None;
    QList<IRCode> codes;  // empty unless problem is None
};

// Reads and parses the IR file at path.
IRFile ReadIRFile(const QString& path);

// Above this many codes an import asks first, showing the count: each code
// becomes an event.
inline constexpr int IRImportAskAbove = 5000;

// Makes one event per code. progress(done) is called every so often and
// returns false to cancel, and then no event is added. Returns the number
// of events added.
using IRImporter = std::function<int(const QList<IRCode>& codes, const std::function<bool(int done)>& progress)>;

#include "check/checkproblem.h"

#include "editors/common/modeltext.h"
#include "editors/common/shownbytes.h"

QString CheckKindName(CheckKind kind)
{
    switch (kind) {
    case CheckKind::NotOpenable: return QStringLiteral("not-openable");
    case CheckKind::OutgoingSyntax: return QStringLiteral("outgoing-syntax");
    case CheckKind::OutgoingEmpty: return QStringLiteral("outgoing-empty");
    case CheckKind::UnknownName: return QStringLiteral("unknown-name");
    case CheckKind::IncomingRegexp: return QStringLiteral("incoming-regexp");
    case CheckKind::IncomingMismatch: return QStringLiteral("incoming-mismatch");
    case CheckKind::IncomingUnchecked: return QStringLiteral("incoming-unchecked");
    case CheckKind::DuplicateName: return QStringLiteral("duplicate-name");
    case CheckKind::EmptyName: return QStringLiteral("empty-name");
    case CheckKind::ExampleLimits: return QStringLiteral("example-limits");
    case CheckKind::MissingPort: return QStringLiteral("missing-port");
    case CheckKind::StoredDiffers: return QStringLiteral("stored-differs");
    case CheckKind::TextArithmetic: return QStringLiteral("text-arithmetic");
    case CheckKind::NotANumber: return QStringLiteral("not-a-number");
    }
    return QString();
}

QString CheckProblemLine(const QString& file, const CheckProblem& problem)
{
    QString line = file + QStringLiteral(": ") + problem.location + QStringLiteral(": ") + problem.message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line;
}

QString Quoted(const QString& text)
{
    constexpr qsizetype kLongest = 60;
    // Typed text is sent as UTF-8: show what is text as text, other bytes escaped.
    QString shown = ShownBytes(TextBytes(text));
    if (shown.size() > kLongest)
        shown = shown.left(kLongest) + QStringLiteral("...");
    return QLatin1Char('\'') + shown + QLatin1Char('\'');
}

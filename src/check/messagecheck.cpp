#include "check/messagecheck.h"

#include <QHash>
#include <QStandardItemModel>

#include <algorithm>
#include <string>

#include "check/exprnames.h"
#include "check/textcheck.h"
#include "editors/incoming/incomingssmatch.h"
#include "editors/incoming/incomingssmodel.h"
#include "editors/common/modeltext.h"
#include "editors/outgoing/outgoingssmodel.h"
#include "editors/params/paramrows.h"
#include "expr/preview.h"
#include "model/document/productdatadocument.h"
#include "model/productdata.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/showrules.h"

namespace {

using SS = OutgoingSSModel_c;

QString SubstringName(const char* side, int row)
{
    return QStringLiteral("%1 substring %2").arg(QLatin1String(side)).arg(row + 1);
}

QString NotKnown(const QString& what, const QString& name)
{
    return what + QStringLiteral(" names ") + Quoted(name) +
           QStringLiteral(", which is no parameter, variable or local");
}

// The locals of a message that have a value: a name and a formula.
QSet<QString> LocalNames(const OutgoingSSModel_c& model)
{
    QSet<QString> locals;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.Type(row) == SS::TypeLocal && !model.Text(row, SS::ColLocalName).isEmpty() &&
            !model.Text(row, SS::ColFormula).isEmpty())
            locals.insert(FoldName(model.Text(row, SS::ColLocalName)));
    }
    return locals;
}

// What a substring row refers to that does not exist; true when the row's
// reference itself is missing (its preview then fails because of it).
bool CheckSubstringNames(const OutgoingSSModel_c& model, int row, const QSet<QString>& variableNames,
                         const QSet<QString>& otherNames, QList<PartProblem>& problems)
{
    const QString where = SubstringName("outgoing", row);
    const auto report = [&](const QString& message) {
        problems.append({CheckKind::UnknownName, CheckPlace::Outgoing, row, message});
    };
    QString expression;
    switch (model.Type(row)) {
    case SS::TypeParameter:
    case SS::TypeVariable: {
        const bool parameter = model.Type(row) == SS::TypeParameter;
        if (!(parameter ? model.ParamRef(row) : model.VarRef(row))) {
            report(where + (parameter ? QStringLiteral(" names no existing parameter")
                                      : QStringLiteral(" names no existing variable")));
            return true;
        }
        expression = CurrentArgPiece(model, row);
        break;
    }
    case SS::TypeLocal: {
        // A stored parameter or variable name that matches none loads as a
        // local without a formula.
        const QString name = model.Text(row, SS::ColLocalName);
        expression = model.Text(row, SS::ColFormula);
        if (!name.isEmpty() && expression.isEmpty()) {
            report(NotKnown(where, name));
            return true;
        }
        break;
    }
    default:
        // A checksum names what the rows it covers name; they are checked.
        return false;
    }
    for (const QString& name : UnknownNames(expression, variableNames, otherNames))
        report(NotKnown(where, name));
    return false;
}

} // namespace

QList<NameFault> NameFaults(const QStringList& names)
{
    QList<NameFault> faults;
    QHash<QString, int> first;
    for (int row = 0; row < names.size(); ++row) {
        const QString folded = FoldName(names.at(row));
        if (folded.isEmpty()) {
            faults.append({row, CheckKind::EmptyName, -1});
            continue;
        }
        const auto found = first.constFind(folded);
        if (found != first.constEnd())
            faults.append({row, CheckKind::DuplicateName, found.value()});
        else
            first.insert(folded, row);
    }
    return faults;
}

QStringList ColumnTexts(const QStandardItemModel* model, int column)
{
    QStringList texts;
    for (int row = 0; model && row < model->rowCount(); ++row) {
        const QStandardItem* item = model->item(row, column);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}

QSet<QString> FoldedNames(const QStringList& names)
{
    QSet<QString> folded;
    for (const QString& name : names) {
        if (!name.trimmed().isEmpty())
            folded.insert(FoldName(name));
    }
    return folded;
}

QList<PartProblem> CheckOutgoing(const OutgoingSSModel_c& model, bool manual, const QString& format,
                                 const QString& args, const QSet<QString>& variableNames,
                                 const QSet<QString>& paramNames)
{
    QList<PartProblem> problems;
    const QSet<QString> names = paramNames + LocalNames(model);
    if (manual) {
        const QString expression =
            QStringLiteral("sprintf(\"") + format + QStringLiteral("\", ") + args + QLatin1Char(')');
        const OutgoingPreview preview = PreviewManualMessage(format, args);
        for (const QString& name : UnknownNames(expression, variableNames, names))
            problems.append(
                {CheckKind::UnknownName, CheckPlace::Outgoing, -1, NotKnown(QStringLiteral("outgoing message"), name)});
        if (preview.message == QLatin1String(kPreviewSyntaxError.data(), qsizetype(kPreviewSyntaxError.size())))
            problems.append({CheckKind::OutgoingSyntax, CheckPlace::Outgoing, -1,
                             QStringLiteral("outgoing message does not parse: ") + Quoted(expression)});
        else if (preview.hexRep.trimmed().isEmpty())
            problems.append({CheckKind::OutgoingEmpty, CheckPlace::Outgoing, -1,
                             QStringLiteral("outgoing message previews to no bytes")});
        return problems;
    }

    bool broken = false;
    bool bytes = false;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (CheckSubstringNames(model, row, variableNames, names, problems)) {
            broken = true;
            continue;
        }
        const OutgoingPreview preview = PreviewText(RowPreviewText(model, row));
        if (preview.message == QLatin1String(kPreviewSyntaxError.data(), qsizetype(kPreviewSyntaxError.size()))) {
            const QString stored = QStringLiteral("sprintf(\"") + model.Text(row, SS::ColFormatPiece) +
                                   QStringLiteral("\", ") + CurrentArgPiece(model, row) + QLatin1Char(')');
            problems.append({CheckKind::OutgoingSyntax, CheckPlace::Outgoing, row,
                             SubstringName("outgoing", row) + QStringLiteral(" does not parse: ") + Quoted(stored)});
            broken = true;
        }
        bytes = bytes || !preview.hexRep.trimmed().isEmpty();
    }
    // A message with a broken row is reported through that row.
    if (!broken && !bytes)
        problems.append({CheckKind::OutgoingEmpty, CheckPlace::Outgoing, -1,
                         model.rowCount() == 0 ? QStringLiteral("outgoing message has no substrings and sends no bytes")
                                               : QStringLiteral("outgoing message previews to no bytes")});
    return problems;
}

QList<PartProblem> CheckIncoming(const QStandardItemModel& model, const QStandardItemModel* variables,
                                 const QSet<QString>& variableNames, bool manual, const QString& regexp,
                                 const QString& example, IncomingMatcher& matcher)
{
    using namespace IncomingSS;
    QList<PartProblem> problems;
    if (!manual) {
        // An operation sees the device variables and what the rows up to its own received.
        QSet<QString> known;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString where = SubstringName("incoming", row);
            const int type = RowType(model, row);
            if (type == TypeVariable && !LinkedVariable(model, row, variables))
                problems.append({CheckKind::UnknownName, CheckPlace::Incoming, row,
                                 where + QStringLiteral(" captures into a variable that does not exist")});
            const QString receiving = ReceivingName(model, row, variables);
            if (!receiving.isEmpty())
                known.insert(FoldName(receiving));
            if ((type == TypeVariable || type == TypeLocal) &&
                Text(model, row, ColOperationOn) == QLatin1String("true")) {
                for (const QString& name : UnknownNames(Text(model, row, ColOperation), variableNames, known))
                    problems.append({CheckKind::UnknownName, CheckPlace::Incoming, row,
                                     where + QStringLiteral("'s operation names ") + Quoted(name) +
                                         QStringLiteral(", which is no variable or substring")});
            }
        }
    }

    const QString format = manual ? regexp : ResponseFormat(model);
    if (!matcher.Compiles(format)) {
        problems.append({CheckKind::IncomingRegexp, CheckPlace::Incoming, -1,
                         QStringLiteral("incoming regular expression does not compile: ") + Quoted(format)});
        return problems;
    }
    // Without a stored example there is nothing to match (an imported
    // infra-red event has none).
    if (example.isEmpty())
        return problems;
    const ResponseState state = CheckFormat(format, example, matcher);
    if (!state.checked)
        problems.append({CheckKind::IncomingUnchecked, CheckPlace::Incoming, -1,
                         QStringLiteral("incoming example ") + Quoted(example) +
                             QStringLiteral(" is too costly to match against ") + Quoted(format)});
    else if (!state.match)
        problems.append({CheckKind::IncomingMismatch, CheckPlace::Incoming, -1,
                         QStringLiteral("incoming example ") + Quoted(example) + QStringLiteral(" does not match ") +
                             Quoted(format)});
    return problems;
}

ExampleValidator::ExampleValidator() : m_pScratch(std::make_unique<ProductDataDocument_c>())
{
}

ExampleValidator::~ExampleValidator() = default;

QString ExampleValidator::Problem(const ParamFields& fields)
{
    // Examples are written as the outgoing preview puts them into an
    // expression (a timecode's in quotes), so only limits and options are
    // the show controller's to judge.
    if (fields.example.isEmpty() ||
        (fields.type != ParamTypeInteger && fields.type != ParamTypeDecimal && fields.type != ParamTypeOption))
        return {};
    QStringList key{QString::number(fields.type), fields.example, fields.min, fields.max, fields.regexp};
    for (const ParamOption& option : fields.options)
        key << option.match << option.replace;
    const QString joined = key.join(QChar(0x1f));
    if (const auto known = m_Verdicts.constFind(joined); known != m_Verdicts.constEnd())
        return known.value();
    const QString verdict = Judge(fields);
    m_Verdicts.insert(joined, verdict);
    return verdict;
}

QString ExampleValidator::Judge(const ParamFields& fields)
{
    if (!m_pParam) {
        ProductData_c* product = m_pScratch->ProductData();
        ProductDataProtocol_c* protocol = product ? product->FirstProtocol() : nullptr;
        ProductDataCommand_c* command =
            protocol && protocol->Commands() ? protocol->Commands()->Item(0, true) : nullptr;
        m_pParam = command && command->Params() ? command->Params()->Item(0, true) : nullptr;
        if (!m_pParam)
            return {};
    }
    // Stored as a save stores it: no rules before, then those of its type.
    m_pParam->SetTypeCode(SHOW_RULE_NONE);
    StoreParamFields(fields, *m_pParam);
    ShowResourceRules_c* rules = m_pParam->PeekRules();
    const std::string example = ToStd(fields.example);
    const int32_t count = rules ? rules->Count() : 0;
    for (int32_t i = 0; i < count; ++i) {
        ShowResourceRule_c* rule = rules->Item(i);
        if (rule && rule->Validate(example) == KOR_OK)
            return {};
    }
    if (count <= 0)
        return {};

    const QString shown = QStringLiteral("example ") + Quoted(fields.example);
    if (fields.type == ParamTypeOption) {
        QStringList matches;
        for (const ParamOption& option : fields.options)
            matches.append(Quoted(option.match));
        return shown + QStringLiteral(" is none of its options (%1)").arg(matches.join(QStringLiteral(", ")));
    }
    return shown + (fields.type == ParamTypeInteger
                        ? QStringLiteral(" is outside its limits (whole numbers from %1 to %2)")
                        : QStringLiteral(" is outside its limits (numbers from %1 to %2)"))
                       .arg(fields.min.isEmpty() ? QString::fromLatin1(ShowDataRuleBounded_c::kMinText) : fields.min,
                            fields.max.isEmpty() ? QString::fromLatin1(ShowDataRuleBounded_c::kMaxText) : fields.max);
}

QList<PartProblem> CheckParameters(const QStandardItemModel& params, ExampleValidator& validator)
{
    QList<PartProblem> problems;
    const QStringList names = ColumnTexts(&params, ParamColName);
    const auto label = [&](int row) {
        const QString name = names.at(row).trimmed();
        return QStringLiteral("parameter ") + (name.isEmpty() ? QString() : Quoted(name) + QLatin1Char(' ')) +
               QStringLiteral("(row %1)").arg(row + 1);
    };
    for (const NameFault& fault : NameFaults(names)) {
        problems.append({fault.kind, CheckPlace::Parameter, fault.row,
                         fault.kind == CheckKind::EmptyName
                             ? label(fault.row) + QStringLiteral(" has no name")
                             : label(fault.row) + QStringLiteral(" has the name of row %1").arg(fault.firstRow + 1)});
    }
    const QList<PartProblem> numbers = ParameterNumbers(params);
    problems += numbers;
    for (int row = 0; row < params.rowCount(); ++row) {
        // An example that is no number is reported as such, not as outside the limits.
        const bool notNumber = std::any_of(numbers.begin(), numbers.end(),
                                           [row](const PartProblem& problem) { return problem.partRow == row; });
        if (notNumber)
            continue;
        const QString problem = validator.Problem(ParamRowFields(&params, row));
        if (!problem.isEmpty())
            problems.append(
                {CheckKind::ExampleLimits, CheckPlace::Parameter, row, label(row) + QStringLiteral(": ") + problem});
    }
    return problems;
}

#include "check/productcheck.h"

#include <QSet>
#include <QStandardItemModel>

#include <algorithm>

#include "check/exprnames.h"
#include "check/messagecheck.h"
#include "check/textcheck.h"
#include "editors/events/eventrows.h"
#include "editors/incoming/incomingssmatch.h"
#include "editors/common/modeltext.h"
#include "editors/setup/setuprows.h"
#include "editors/outgoing/textarithmetic.h"
#include "editors/variables/variablerows.h"
#include "model/productdata.h"
#include "model/productdatahardware.h"

namespace {

// "event 'Power' (row 3)", or "event (row 3)" without a name.
QString ItemLocation(const QString& kind, const QString& name, int row)
{
    const QString trimmed = name.trimmed();
    return kind + QLatin1Char(' ') + (trimmed.isEmpty() ? QString() : Quoted(trimmed) + QLatin1Char(' ')) +
           QStringLiteral("(row %1)").arg(row + 1);
}

QString NameFaultText(const NameFault& fault)
{
    return fault.kind == CheckKind::EmptyName ? QStringLiteral("has no name")
                                              : QStringLiteral("has the name of row %1").arg(fault.firstRow + 1);
}

void AddParts(QList<CheckProblem>& problems, const QList<PartProblem>& parts, const QString& location,
              CheckPlace::Page page, int row)
{
    for (const PartProblem& part : parts)
        problems.append({part.kind, location, part.message, {page, row, part.part, part.partRow}});
}

// A message the load kept as stored, while its typed text is still not what
// its substrings make.
void CheckKeptOutgoing(QList<CheckProblem>& problems, const QString& location, CheckPlace::Page page, int row,
                       bool kept, const OutgoingSSModel_c& model, const QString& format, const QString& args)
{
    if (kept && EventRow::OutgoingDiffers(model, EventRow::StoredOutgoingText({format, args})))
        problems.append({CheckKind::StoredDiffers, location,
                         QStringLiteral("outgoing format differs from what its substrings make; kept as stored"),
                         {page, row, CheckPlace::Outgoing, -1}});
}

void CheckKeptIncoming(QList<CheckProblem>& problems, const QString& location, CheckPlace::Page page, int row,
                       bool kept, const QStandardItemModel& model, const QString& regexp)
{
    if (kept && EventRow::IncomingDiffers(model, regexp))
        problems.append(
            {CheckKind::StoredDiffers, location,
             QStringLiteral("incoming regular expression differs from what its substrings make; kept as stored"),
             {page, row, CheckPlace::Incoming, -1}});
}

void CheckFile(ProductData_c& product, QList<CheckProblem>& problems)
{
    if (!KorIsTrue(product.IsCreator()))
        problems.append({CheckKind::NotOpenable,
                         QStringLiteral("product"),
                         QStringLiteral("Tarvo refuses to open the file: its creator attribute does not read as true"),
                         {}});
    ProductDataProtocols_c* protocols = product.Protocols();
    ProductDataProtocol_c* protocol = protocols && protocols->Count() > 0 ? protocols->Item(0) : nullptr;
    ProductDataPorts_c* used = protocol ? protocol->Ports() : nullptr;
    if (!used)
        return;
    QSet<int32_t> present;
    ProductDataPorts_c* hardware = product.Hardware() ? product.Hardware()->Ports() : nullptr;
    for (int32_t i = 0, count = hardware ? hardware->Count() : 0; i < count; ++i) {
        if (ProductDataPort_c* port = hardware->Item(i))
            present.insert(port->GetType());
    }
    for (int32_t i = 0, count = used->Count(); i < count; ++i) {
        ProductDataPort_c* port = used->Item(i);
        if (!port || present.contains(port->GetType()))
            continue;
        const QString type = QString::fromLatin1(ProductPortTypeKeyword(port->GetType()));
        problems.append({CheckKind::MissingPort,
                         ItemLocation(QStringLiteral("port"), FromStd(port->GetName()), i),
                         QStringLiteral("the protocol uses it, but the hardware lists no %1 port").arg(type),
                         {CheckPlace::Ports, i}});
    }
}

void CheckSetupMessages(const QStandardItemModel& messages, const QStandardItemModel* variables,
                        const QSet<QString>& variableNames, IncomingMatcher& matcher, QList<CheckProblem>& problems)
{
    // Read once: a product has hundreds of variables and thousands of messages.
    const QSet<QString> variableTextNames = TextNames(nullptr, variables);
    for (int row = 0; row < messages.rowCount(); ++row) {
        const QString location =
            ItemLocation(QStringLiteral("setup message"), SetupRow::Text(messages, row, SetupRow::ColName), row);
        const bool manual = SetupRow::IsManual(messages, row);
        const QString formatOrRegexp = SetupRow::Text(messages, row, SetupRow::ColFormatOrRegexp);
        const QString argsOrExample = SetupRow::Text(messages, row, SetupRow::ColArgsOrExample);
        const bool kept = manual && SetupRow::KeptStored(messages, row);
        if (const OutgoingSSModel_c* outgoing = SetupRow::Outgoing(messages, row)) {
            CheckKeptOutgoing(problems, location, CheckPlace::Setup, row, kept, *outgoing, formatOrRegexp,
                              argsOrExample);
            AddParts(problems, CheckOutgoing(*outgoing, manual, formatOrRegexp, argsOrExample, variableNames, {}),
                     location, CheckPlace::Setup, row);
            AddParts(problems, OutgoingTextArithmetic(*outgoing, manual, argsOrExample, variableTextNames),
                     location, CheckPlace::Setup, row);
        } else if (const QStandardItemModel* incoming = SetupRow::Child(messages, row);
                   incoming && SetupRow::RowKind(messages, row) == SetupRow::KindIncoming) {
            CheckKeptIncoming(problems, location, CheckPlace::Setup, row, kept, *incoming, formatOrRegexp);
            AddParts(problems,
                     CheckIncoming(*incoming, variables, variableNames, manual, formatOrRegexp, argsOrExample, matcher),
                     location, CheckPlace::Setup, row);
            AddParts(problems, IncomingTextArithmetic(*incoming, variableTextNames), location,
                     CheckPlace::Setup, row);
        }
    }
}

void CheckEvents(const QStandardItemModel& events, const QStandardItemModel* variables,
                 const QSet<QString>& variableNames, IncomingMatcher& matcher, QList<CheckProblem>& problems)
{
    const QStringList names = ColumnTexts(&events, EventRow::ColName);
    QHash<int, NameFault> nameFaults;
    for (const NameFault& fault : NameFaults(names))
        nameFaults.insert(fault.row, fault);
    ExampleValidator validator;
    const QSet<QString> variableTextNames = TextNames(nullptr, variables);
    for (int row = 0; row < events.rowCount(); ++row) {
        const QString location = ItemLocation(QStringLiteral("event"), names.at(row), row);
        if (const auto fault = nameFaults.constFind(row); fault != nameFaults.constEnd())
            problems.append({fault->kind, location, NameFaultText(*fault), {CheckPlace::Events, row}});
        const EventRow::ReadModels models(events, row);
        const QStandardItemModel* params = models.Params();
        if (params)
            AddParts(problems, CheckParameters(*params, validator), location, CheckPlace::Events, row);
        if (!EventRow::Flag(events, row, EventRow::ColUnsolicited)) {
            if (const OutgoingSSModel_c* outgoing = models.Outgoing()) {
                CheckKeptOutgoing(problems, location, CheckPlace::Events, row,
                                  EventRow::Flag(events, row, EventRow::ColMsgManEdit) &&
                                      EventRow::KeptStored(events, row, EventRow::ColMsgManEdit),
                                  *outgoing, EventRow::Text(events, row, EventRow::ColMsgFormat),
                                  EventRow::Text(events, row, EventRow::ColMsgArgs));
                AddParts(problems,
                         CheckOutgoing(*outgoing, EventRow::Flag(events, row, EventRow::ColMsgManEdit),
                                       EventRow::Text(events, row, EventRow::ColMsgFormat),
                                       EventRow::Text(events, row, EventRow::ColMsgArgs), variableNames,
                                       FoldedNames(ColumnTexts(params))),
                         location, CheckPlace::Events, row);
                AddParts(problems,
                         OutgoingTextArithmetic(*outgoing, EventRow::Flag(events, row, EventRow::ColMsgManEdit),
                                                EventRow::Text(events, row, EventRow::ColMsgArgs),
                                                TextNames(params, nullptr) | variableTextNames),
                         location, CheckPlace::Events, row);
            }
        }
        if (EventRow::Flag(events, row, EventRow::ColIncoming)) {
            if (const QStandardItemModel* incoming = models.Incoming()) {
                CheckKeptIncoming(problems, location, CheckPlace::Events, row,
                                  EventRow::Flag(events, row, EventRow::ColIncManEdit) &&
                                      EventRow::KeptStored(events, row, EventRow::ColIncManEdit),
                                  *incoming, EventRow::Text(events, row, EventRow::ColIRRegexp));
                AddParts(problems,
                         CheckIncoming(*incoming, variables, variableNames,
                                       EventRow::Flag(events, row, EventRow::ColIncManEdit),
                                       EventRow::Text(events, row, EventRow::ColIRRegexp),
                                       EventRow::Text(events, row, EventRow::ColIRExample), matcher),
                         location, CheckPlace::Events, row);
                AddParts(problems, IncomingTextArithmetic(*incoming, variableTextNames), location,
                         CheckPlace::Events, row);
            }
        }
    }
}

void CheckVariables(const QStandardItemModel& variables, QList<CheckProblem>& all)
{
    QList<CheckProblem> problems;
    const QStringList names = ColumnTexts(&variables, ColName);
    // A variable is shown by row on the page of its mode.
    QList<int> shownRow;
    int device = 0, setup = 0;
    for (int row = 0; row < variables.rowCount(); ++row) {
        const QStandardItem* flag = variables.item(row, ColSetup);
        const bool isSetup = flag && flag->text() == QLatin1String("true");
        shownRow.append(isSetup ? setup++ : device++);
    }
    for (const NameFault& fault : NameFaults(names)) {
        const QStandardItem* flag = variables.item(fault.row, ColSetup);
        const bool isSetup = flag && flag->text() == QLatin1String("true");
        problems.append(
            {fault.kind,
             ItemLocation(isSetup ? QStringLiteral("setup variable") : QStringLiteral("variable"), names.at(fault.row),
                          shownRow.at(fault.row)),
             fault.kind == CheckKind::EmptyName
                 ? QStringLiteral("has no name")
                 : QStringLiteral("has the name of variable %1").arg(Quoted(names.at(fault.firstRow).trimmed())),
             {CheckPlace::Variables, fault.row}});
    }
    for (int row = 0; row < variables.rowCount(); ++row) {
        const QString number = VariableNumberProblem(variables, row);
        if (number.isEmpty())
            continue;
        const QStandardItem* flag = variables.item(row, ColSetup);
        const bool isSetup = flag && flag->text() == QLatin1String("true");
        problems.append({CheckKind::NotANumber,
                         ItemLocation(isSetup ? QStringLiteral("setup variable") : QStringLiteral("variable"),
                                      names.at(row), shownRow.at(row)),
                         number,
                         {CheckPlace::Variables, row}});
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const CheckProblem& a, const CheckProblem& b) { return a.place.row < b.place.row; });
    all += problems;
}

} // namespace

QList<CheckProblem> CheckProductFile(const CheckInput& input)
{
    QList<CheckProblem> problems;
    IncomingMatcher matcher;
    const QSet<QString> variableNames = FoldedNames(ColumnTexts(input.variables));
    if (input.product)
        CheckFile(*input.product, problems);
    if (input.setupMessages)
        CheckSetupMessages(*input.setupMessages, input.variables, variableNames, matcher, problems);
    if (input.events)
        CheckEvents(*input.events, input.variables, variableNames, matcher, problems);
    if (input.variables)
        CheckVariables(*input.variables, problems);
    return problems;
}

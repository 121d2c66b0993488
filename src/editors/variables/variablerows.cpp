#include "editors/variables/variablerows.h"

#include <QStandardItem>
#include <QStandardItemModel>
#include <QVariantList>

#include "editors/common/edithistory.h"
#include "editors/common/firstprotocol.h"
#include "editors/common/modeltext.h"
#include "model/productdata.h"
#include "model/showrules.h"
#include "model/showvariable.h"

namespace {

const QString TrueText = QStringLiteral("true");
const QString FalseText = QStringLiteral("false");

QString FlagText(bool flag)
{
    return flag ? TrueText : FalseText;
}

QString CellText(const QStandardItemModel& model, int row, int column)
{
    const QStandardItem* item = model.item(row, column);
    return item ? item->text() : QString();
}

QList<QStandardItem*> BuiltInRow(const QString& name, int typeIndex, const QString& description)
{
    QList<QStandardItem*> row = NewVariableRow(name, false);
    row[ColType]->setText(QString::number(typeIndex));
    row[ColDescription]->setText(description);
    row[ColName]->setData(true, BuiltInVariableRole);
    return row;
}

ShowDataVariables_c* ProtocolVariables(ProductData_c& product, bool create)
{
    ProductDataProtocol_c* protocol = FirstProtocolOf(product, create);
    return protocol ? protocol->Variables() : nullptr;
}

// The attributes a rule may carry: bounds, a pattern, an option's texts.
const char* const RuleAttributes[] = {"min", "max", "regexp", "match", "replace"};

// Per rule its keyword, then attribute names and values as they were read.
QVariantList ReadRules(ShowResourceVariable_c& variable)
{
    QVariantList rules;
    ShowResourceRules_c* list = variable.PeekRules();
    for (int32_t index = 0; list && index < list->Count(); ++index) {
        ShowResourceRule_c* rule = list->Item(index);
        if (!rule || !rule->GetElement())
            continue;
        QStringList texts = {QString::fromLatin1(rule->GetKeyword())};
        for (const char* name : RuleAttributes) {
            std::string value;
            if (rule->GetElement()->GetAttribute(name, &value) == KOR_OK)
                texts << QString::fromLatin1(name) << FromStd(value);
        }
        rules << texts;
    }
    return rules;
}

void WriteRules(const QVariantList& rules, ShowResourceVariable_c& variable)
{
    ShowResourceRules_c* list = variable.Rules();
    for (const QVariant& entry : rules) {
        const QStringList texts = entry.toStringList();
        ShowResourceRule_c* rule = list ? list->AddRule(ShowRuleTypeCode(ToStd(texts.value(0)))) : nullptr;
        for (qsizetype i = 1; rule && i + 1 < texts.size(); i += 2) {
            // The model keeps the name's address in its cache: only constants will do.
            for (const char* name : RuleAttributes)
                if (texts[i] == QLatin1String(name))
                    rule->SetStringAttr(name, ToStd(texts[i + 1]));
        }
    }
}

// Per entry of a list variable its name, initial value, description and rules.
QVariantList ReadEntries(ShowDataVariable_c& variable)
{
    QVariantList entries;
    ShowDataListVariables_c* list = variable.ListVariables();
    for (int32_t index = 0; list && index < list->Count(); ++index) {
        if (ShowDataListVariable_c* entry = list->Item(index))
            entries << QVariant(QVariantList{FromStd(entry->GetName()), FromStd(entry->GetInit()),
                                             FromStd(entry->GetText()), ReadRules(*entry)});
    }
    return entries;
}

void WriteEntries(const QVariantList& entries, ShowDataVariable_c& variable)
{
    ShowDataListVariables_c* list = variable.ListVariables();
    for (const QVariant& stored : entries) {
        const QVariantList texts = stored.toList();
        ShowDataListVariable_c* entry = list ? list->Item(list->Count(), true) : nullptr;
        if (!entry || texts.size() != 4)
            return;
        entry->SetName(ToStd(texts[0].toString()));
        entry->SetInit(ToStd(texts[1].toString()));
        if (!texts[2].toString().isEmpty())
            entry->SetText(ToStd(texts[2].toString()));
        if (!texts[3].toList().isEmpty())
            WriteRules(texts[3].toList(), *entry);
    }
}

} // namespace

const QStringList& VariableTypeNames()
{
    static const QStringList names = {
        QStringLiteral("integer"), QStringLiteral("decimal"),  QStringLiteral("string"),  QStringLiteral("bool"),
        QStringLiteral("datetime"), QStringLiteral("timecode"), QStringLiteral("percent"),
    };
    return names;
}

int VariableTypeIndex(const QString& keyword)
{
    const QStringList& names = VariableTypeNames();
    for (int index = 0; index < names.size(); ++index) {
        if (names.at(index).compare(keyword, Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

QString VariableTypeExample(int typeIndex)
{
    static const QStringList examples = {
        QStringLiteral("17"),   QStringLiteral("3.14"),
        QStringLiteral("Brackwater"), QStringLiteral("true"),
        QString(),              QStringLiteral("\"12:34:32.10\""),
        QStringLiteral("15%"),
    };
    return typeIndex >= 0 && typeIndex < examples.size() ? examples.at(typeIndex) : QString();
}

QList<QStandardItem*> NewVariableRow(const QString& name, bool setup)
{
    QList<QStandardItem*> row;
    row << new EditItem(name) << new EditItem(QStringLiteral("-1"));
    for (int column = ColInitial; column < VariableColumnCount; ++column)
        row << new EditItem();
    row[ColSetup]->setText(FlagText(setup));
    return row;
}

QList<QStandardItem*> NewErrorVariableRow()
{
    return BuiltInRow(ErrorVariableName, VariableTypeIndex(QStringLiteral("bool")),
                      QStringLiteral("Set to true when a command fails to get a correct response."));
}

QList<QStandardItem*> NewTCPStatusVariableRow()
{
    return BuiltInRow(TCPStatusVariableName, VariableTypeIndex(QStringLiteral("string")),
                      QStringLiteral("The current connection state: \"Not Connected\", \"Timeout\", \"Connected\", "
                                     "\"Waiting on TCP\", \"Waiting For Response\"."));
}

bool IsBuiltInVariable(const QStandardItem* nameItem)
{
    return nameItem && nameItem->data(BuiltInVariableRole).toBool();
}

QList<QStandardItem*> DuplicateVariableRow(const QStandardItemModel& model, int row)
{
    QList<QStandardItem*> copy;
    copy << new EditItem(CellText(model, row, ColName) + QStringLiteral("Copy"));
    // Clones keep the loaded rules along with the texts.
    for (int column = ColType; column < VariableColumnCount; ++column) {
        const QStandardItem* item = model.item(row, column);
        copy << (item ? item->clone() : new EditItem());
    }
    return copy;
}

void LoadVariableRows(ProductData_c& product, QStandardItemModel& model)
{
    ShowDataVariables_c* variables = ProtocolVariables(product, false);
    if (!variables)
        return;
    for (int32_t index = 0; index < variables->Count(); ++index) {
        ShowDataVariable_c* variable = variables->Item(index);
        if (!variable)
            continue;
        const QString name = FromStd(variable->GetName());
        if (name == ErrorVariableName || name == TCPStatusVariableName)
            continue;
        QList<QStandardItem*> row = NewVariableRow(name, KorIsTrue(variable->IsSetup()));
        row[ColType]->setText(QString::number(VariableTypeIndex(FromStd(variable->GetTypeKeyword()))));
        row[ColType]->setData(QVariantList{row[ColType]->text(), ReadRules(*variable)}, StoredRulesRole);
        row[ColInitial]->setText(FromStd(variable->GetInit()));
        row[ColDescription]->setText(FromStd(variable->GetText()));
        KorStatus hasList = KOR_FAIL;
        const int32_t size = variable->GetList(&hasList);
        row[ColList]->setText(FlagText(hasList == KOR_OK));
        if (hasList == KOR_OK)
            row[ColListSize]->setText(QString::number(size));
        // Entries of a variable stored without a list size are kept too, while
        // it stays no list.
        if (QVariantList entries = ReadEntries(*variable); hasList == KOR_OK || !entries.isEmpty())
            row[ColListSize]->setData(QVariantList{row[ColListSize]->text(), entries}, StoredEntriesRole);
        row[ColListZero]->setText(FlagText(KorIsTrue(variable->IsZero())));
        model.appendRow(row);
    }
}

void StoreVariableRows(const QStandardItemModel& model, ProductData_c& product)
{
    ShowDataVariables_c* variables = ProtocolVariables(product, true);
    if (!variables)
        return;
    const QStringList& types = VariableTypeNames();
    for (int row = 0; row < model.rowCount(); ++row) {
        ShowDataVariable_c* variable = variables->Item(variables->Count(), true);
        if (!variable)
            return;
        variable->SetName(ToStd(CellText(model, row, ColName)));
        bool typed = false;
        const int type = CellText(model, row, ColType).toInt(&typed);
        const bool known = typed && type >= 0 && type < types.size();
        const QVariantList stored = model.item(row, ColType) ? model.item(row, ColType)->data(StoredRulesRole).toList()
                                                              : QVariantList();
        if (stored.size() == 2 && stored[0].toString() == CellText(model, row, ColType))
            WriteRules(stored[1].toList(), *variable);
        else
            variable->SetTypeKeyword(known ? ToStd(types.at(type)) : std::string());
        variable->SetInit(ToStd(CellText(model, row, ColInitial)));
        variable->SetText(ToStd(CellText(model, row, ColDescription)));
        if (CellText(model, row, ColSetup) == TrueText)
            variable->SetSetup(true);
        const QVariantList entries = model.item(row, ColListSize)
                                         ? model.item(row, ColListSize)->data(StoredEntriesRole).toList()
                                         : QVariantList();
        const bool sameEntries = entries.size() == 2 && entries[0].toString() == CellText(model, row, ColListSize);
        if (CellText(model, row, ColList) == TrueText) {
            variable->SetList(CellText(model, row, ColListSize).toInt());
            if (sameEntries)
                WriteEntries(entries[1].toList(), *variable);
            if (CellText(model, row, ColListZero) == TrueText)
                variable->SetZero(true);
        } else if (sameEntries && entries[0].toString().isEmpty()) {
            WriteEntries(entries[1].toList(), *variable);
        }
    }
}

#include "editors/params/paramrows.h"

#include <QStandardItemModel>

#include <memory>

#include "editors/common/edithistory.h"
#include "editors/common/keptitems.h"
#include "editors/common/modeltext.h"
#include "foundation/xml/korxml.h"
#include "model/showparam.h"
#include "model/showrules.h"

namespace {

struct TypeEntry
{
    const char* keyword;
    const char* example;
    const char* page;
};

// Indexed by ParamType.
constexpr TypeEntry kTypes[ParamTypeCount] = {
    {"integer", "17", "ParamIntegerOptions"},
    {"decimal", "3.14", "ParamIntegerOptions"},
    {"string", "Brackwater", "ParamOptionsString"},
    {"bool", "true", "ParamEmptyOptions"},
    {"datetime", "", "ParamEmptyOptions"},
    {"timecode", "\"12:34:32.10\"", "ParamEmptyOptions"},
    {"percent", "15%", "ParamEmptyOptions"},
    {"option", "Text to be replaced", "ParamOptionsOptions"},
};

bool IsParamType(int type)
{
    return type >= 0 && type < ParamTypeCount;
}

QString CellText(const QStandardItemModel* model, int row, int column)
{
    const QStandardItem* item = model->item(row, column);
    return item ? item->text() : QString();
}

// A limit as stored: text that is not a whole number gives 0.
int32_t LimitValue(const QString& text)
{
    return text.trimmed().toInt();
}

bool HasAttribute(const ShowResourceRule_c* rule, const char* name)
{
    const KorXML_c* element = rule ? rule->GetElement() : nullptr;
    return element && element->FindAttribute(name);
}

} // namespace

QStringList ParamTypeNames()
{
    QStringList names;
    for (const TypeEntry& entry : kTypes)
        names << QString::fromLatin1(entry.keyword);
    return names;
}

QString ParamTypeExample(int type)
{
    return IsParamType(type) ? QString::fromUtf8(kTypes[type].example) : QString();
}

QString ParamTypePageName(int type)
{
    return QString::fromLatin1(IsParamType(type) ? kTypes[type].page : "ParamEmptyOptions");
}

int ParamTypeOfKeyword(const QString& keyword)
{
    for (int type = 0; type < ParamTypeCount; ++type) {
        if (keyword.compare(QLatin1String(kTypes[type].keyword), Qt::CaseInsensitive) == 0)
            return type;
    }
    return ParamTypeNone;
}

QString UnderscoreWhitespace(QString text)
{
    for (QChar& c : text) {
        if (c.isSpace())
            c = QLatin1Char('_');
    }
    return text;
}

QStandardItemModel* ParamOptionModel(const QStandardItem* optionsCell)
{
    return optionsCell ? optionsCell->data(ParamOptionsRole).value<QStandardItemModel*>() : nullptr;
}

QStandardItemModel* ParamOptionModel(const QStandardItemModel* params, int row)
{
    return params ? ParamOptionModel(params->item(row, ParamColOptions)) : nullptr;
}

QStandardItemModel* EnsureParamOptionModel(QStandardItemModel* params, int row)
{
    if (!params || row < 0 || row >= params->rowCount())
        return nullptr;
    if (QStandardItemModel* options = ParamOptionModel(params, row))
        return options;
    QStandardItem* cell = params->item(row, ParamColOptions);
    if (!cell) {
        cell = new EditItem();
        params->setItem(row, ParamColOptions, cell);
    }
    QStandardItemModel* options = NewEditModel(OptionColumnCount, params);
    cell->setData(QVariant::fromValue(options), ParamOptionsRole);
    return options;
}

int AppendParamRow(QStandardItemModel* params, const ParamFields& fields)
{
    // Empty cells are left out (made when first written), and most
    // parameters have no options: their model is made when the options
    // window first opens (EnsureParamOptionModel).
    QList<QStandardItem*> row;
    for (const QString& text : {fields.name, QString::number(fields.type), fields.description, fields.example,
                                fields.min, fields.max, fields.regexp, QString()})
        row << (text.isEmpty() && row.size() != ParamColName ? nullptr : new EditItem(text));
    if (!fields.options.isEmpty()) {
        QStandardItemModel* options = NewEditModel(OptionColumnCount, params);
        for (const ParamOption& option : fields.options)
            options->appendRow({new EditItem(option.match), new EditItem(option.replace)});
        row[ParamColOptions] = new EditItem();
        row[ParamColOptions]->setData(QVariant::fromValue(options), ParamOptionsRole);
    }
    EditRows::Append(*params, row);
    return params->rowCount() - 1;
}

int AppendNewParamRow(QStandardItemModel* params)
{
    ParamFields fields;
    fields.name = QStringLiteral("Param%1").arg(params->rowCount() + 1);
    return AppendParamRow(params, fields);
}

ParamFields ParamRowFields(const QStandardItemModel* params, int row)
{
    ParamFields fields;
    fields.name = CellText(params, row, ParamColName);
    bool ok = false;
    const int type = CellText(params, row, ParamColType).toInt(&ok);
    fields.type = ok ? type : ParamTypeNone;
    fields.description = CellText(params, row, ParamColDescription);
    fields.example = CellText(params, row, ParamColExample);
    fields.min = CellText(params, row, ParamColMin);
    fields.max = CellText(params, row, ParamColMax);
    fields.regexp = CellText(params, row, ParamColRegexp);
    if (const QStandardItemModel* options = ParamOptionModel(params, row)) {
        for (int option = 0; option < options->rowCount(); ++option)
            fields.options.append(
                {CellText(options, option, OptionColMatch), CellText(options, option, OptionColReplace)});
    }
    return fields;
}

int DuplicateParamRow(QStandardItemModel* params, int row)
{
    if (!params || row < 0 || row >= params->rowCount())
        return -1;
    ParamFields fields = ParamRowFields(params, row);
    fields.name += QStringLiteral("Copy");
    return AppendParamRow(params, fields);
}

bool RemoveParamRow(QStandardItemModel* params, int row)
{
    if (!params || row < 0 || row >= params->rowCount())
        return false;
    EditRows::Remove(*params, row, [](const QList<QStandardItem*>& items) {
        QStandardItemModel* options = ParamOptionModel(items.value(ParamColOptions));
        qDeleteAll(items);
        delete options;
    });
    return true;
}

namespace {

// A parameter kept as read, with the fields its row was read with.
struct StoredParam
{
    ParamFields fields;
    std::unique_ptr<KorXML_c> element;
};
using StoredParamPtr = std::shared_ptr<const StoredParam>;

StoredParamPtr StoredParamOf(const QStandardItemModel* params, int row)
{
    const QStandardItem* cell = params ? params->item(row, ParamColName) : nullptr;
    const QVariant stored = cell ? cell->data(ParamStoredRole) : QVariant();
    return stored.isValid() ? stored.value<StoredParamPtr>() : nullptr;
}

// Whether storing fields gives the parameter's element again (attribute
// order aside).
bool StoresAsRead(const ParamFields& fields, const KorXML_c* element)
{
    KorXML_c scratch(KOR_XML_ELEMENT);
    ProductDataParam_c param;
    if (!element || param.Bind(&scratch) != KOR_OK)
        return false;
    StoreParamFields(fields, param);
    return SameElement(&scratch, element);
}

} // namespace

void CopyParamRows(const QStandardItemModel* from, QStandardItemModel* to)
{
    if (!from || !to)
        return;
    for (int row = 0; row < from->rowCount(); ++row) {
        const int copy = AppendParamRow(to, ParamRowFields(from, row));
        if (const StoredParamPtr stored = StoredParamOf(from, row))
            to->item(copy, ParamColName)->setData(QVariant::fromValue(stored), ParamStoredRole);
    }
}

int MoveModelRow(QStandardItemModel* model, int row, int offset)
{
    const int target = row + offset;
    if (!model || row < 0 || row >= model->rowCount() || target < 0 || target >= model->rowCount())
        return -1;
    EditRows::Move(*model, row, target);
    return target;
}

void StoreParamFields(const ParamFields& fields, ProductDataParam_c& param)
{
    param.SetName(ToStd(fields.name));
    param.SetDescription(ToStd(fields.description));
    param.SetExample(ToStd(fields.example));
    switch (fields.type) {
    case ParamTypeInteger:
    case ParamTypeDecimal:
        param.SetTypeCode(fields.type == ParamTypeInteger ? SHOW_RULE_INTEGER : SHOW_RULE_DECIMAL);
        if (!fields.min.isEmpty())
            param.SetMin(LimitValue(fields.min));
        if (!fields.max.isEmpty())
            param.SetMax(LimitValue(fields.max));
        break;
    case ParamTypeString:
        param.SetTypeCode(SHOW_RULE_STRING);
        if (!fields.regexp.isEmpty())
            param.SetRegexp(ToStd(fields.regexp));
        break;
    case ParamTypeOption:
        param.SetTypeCode(SHOW_RULE_NONE);  // the options are the only rules
        for (const ParamOption& option : fields.options)
            param.AddOption(ToStd(option.match), ToStd(option.replace));
        break;
    default:
        param.SetTypeKeyword(IsParamType(fields.type) ? kTypes[fields.type].keyword : "none");
        break;
    }
}

ParamFields LoadParamFields(ProductDataParam_c& param)
{
    ParamFields fields;
    fields.name = FromStd(param.GetName());
    fields.description = FromStd(param.GetDescription());
    fields.example = FromStd(param.GetExample());
    fields.type = ParamTypeOfKeyword(FromStd(param.GetTypeKeyword()));
    switch (fields.type) {
    case ParamTypeInteger:
    case ParamTypeDecimal:
        // Reading a limit creates it, so only the ones in the file are read.
        if (HasAttribute(param.FirstRule(), "min"))
            fields.min = QString::number(param.GetMin());
        if (HasAttribute(param.FirstRule(), "max"))
            fields.max = QString::number(param.GetMax());
        break;
    case ParamTypeString:
        fields.regexp = FromStd(param.GetRegexp());
        break;
    case ParamTypeOption:
        for (int32_t i = 0, count = param.OptionCount(); i < count; ++i) {
            std::string match;
            std::string replace;
            param.GetOption(i, &match, &replace);
            fields.options.append({FromStd(match), FromStd(replace)});
        }
        break;
    default:
        break;
    }
    return fields;
}

void StoreParamRows(const QStandardItemModel* params, ProductDataParams_c* list)
{
    if (!params || !list)
        return;
    for (int row = 0; row < params->rowCount(); ++row) {
        ProductDataParam_c* param = list->Item(row, true);
        KorXML_c* element = param ? param->GetElement() : nullptr;
        if (!element)
            continue;
        const ParamFields fields = ParamRowFields(params, row);
        const StoredParamPtr stored = StoredParamOf(params, row);
        if (!stored || stored->fields != fields) {
            StoreParamFields(fields, *param);
            continue;
        }
        // The stored element's content replaces the new one's.
        KorXML_c copy(KOR_XML_ELEMENT);
        if (stored->element->CopyInto(&copy) != KOR_OK)
            continue;
        while (KorXML_c* child = element->ChildAt(0))
            element->RemoveChild(child);
        while (KorXML_c* child = copy.ChildAt(0))
            element->AppendChild(child->Detach());
        param->Rebind();
    }
}

void LoadParamRows(ProductDataParams_c* list, QStandardItemModel* params)
{
    if (!params || !list)
        return;
    for (int32_t i = 0, count = list->Count(); i < count; ++i) {
        ProductDataParam_c* param = list->Item(i);
        if (!param)
            continue;
        const ParamFields fields = LoadParamFields(*param);
        const int row = AppendParamRow(params, fields);
        if (StoresAsRead(fields, param->GetElement()))
            continue;
        auto stored = std::make_shared<StoredParam>();
        stored->fields = fields;
        stored->element = std::make_unique<KorXML_c>(KOR_XML_ELEMENT);
        if (param->GetElement()->CopyInto(stored->element.get()) == KOR_OK)
            params->item(row, ParamColName)->setData(QVariant::fromValue(StoredParamPtr(std::move(stored))),
                                                     ParamStoredRole);
    }
}

#include "editors/info/infofields.h"

#include "editors/common/modeltext.h"
#include "model/productdata.h"

QString NextVersionText(const QString& text, bool hasFile)
{
    const double number = text.toDouble();  // 0 for text that is not a number
    if (number == 0)
        return QStringLiteral("1.0");
    if (hasFile)
        return QString::number(number + 0.1, 'g', 6);
    return text;
}

void PrepareInfoForStore(InfoFields& fields, bool hasFile)
{
    if (fields.make.isEmpty())
        fields.make = QStringLiteral("Make");
    if (fields.model.isEmpty())
        fields.model = QStringLiteral("Model");
    fields.version = NextVersionText(fields.version, hasFile);
    if (fields.protocol.isEmpty())
        fields.protocol = fields.make + QLatin1Char('_') + fields.model;
}

void StoreInfoFields(const InfoFields& fields, ProductData_c& product)
{
    product.SetMake(ToStd(fields.make));
    product.SetModel(ToStd(fields.model));
    if (ShowDataInfo_c* info = product.Info()) {
        info->SetVersion(ToStd(fields.version));
        if (ShowDataInfoAuthors_c* authors = info->Authors()) {
            for (int i = 0; i < fields.authors.size(); ++i)
                authors->SetAuthor(i, ToStd(fields.authors.at(i)), true);
        }
        info->SetDescription(ToStd(fields.description));
    }
    if (ProductDataProtocol_c* protocol = product.FirstProtocol())
        protocol->SetName(ToStd(fields.protocol));
    if (ProductDataHardware_c* hardware = product.Hardware())
        hardware->SetGroup(ToStd(fields.group));
}

InfoFields LoadInfoFields(ProductData_c& product)
{
    InfoFields fields;
    fields.make = FromStd(product.GetMake());
    fields.model = FromStd(product.GetModel());
    if (ShowDataInfo_c* info = product.Info()) {
        fields.version = FromStd(info->GetVersion());
        if (ShowDataInfoAuthors_c* authors = info->Authors()) {
            for (int32_t i = 0; i < authors->AuthorCount(); ++i)
                fields.authors.append(FromStd(authors->GetAuthor(i)));
        }
        fields.description = FromStd(info->GetDescription());
    }
    if (ProductDataProtocols_c* protocols = product.Protocols(); protocols && protocols->Count() > 0) {
        if (ProductDataProtocol_c* protocol = protocols->Item(0))
            fields.protocol = FromStd(protocol->GetName());
    }
    if (ProductDataHardware_c* hardware = product.Hardware())
        fields.group = FromStd(hardware->GetGroup());
    return fields;
}

namespace {

// The text fields under their names in the map.
constexpr std::pair<const char*, QString InfoFields::*> InfoTexts[] = {
    {"make", &InfoFields::make},           {"model", &InfoFields::model},
    {"version", &InfoFields::version},     {"group", &InfoFields::group},
    {"protocol", &InfoFields::protocol},   {"description", &InfoFields::description},
};

} // namespace

QVariantMap InfoFieldMap(const InfoFields& fields)
{
    QVariantMap map;
    for (const auto& [name, member] : InfoTexts)
        map.insert(QLatin1String(name), fields.*member);
    map.insert(QStringLiteral("authors"), fields.authors);
    return map;
}

InfoFields InfoFieldsWith(InfoFields fields, const QVariantMap& values)
{
    for (const auto& [name, member] : InfoTexts)
        if (const auto it = values.find(QLatin1String(name)); it != values.end())
            fields.*member = it->toString();
    if (const auto it = values.find(QStringLiteral("authors")); it != values.end())
        fields.authors = it->toStringList();
    return fields;
}

#include "app/productio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include "app/producteditors.h"
#include "editors/common/modeltext.h"
#include "foundation/korbuffer.h"
#include "model/document/productdatadocument.h"
#include "model/productdata.h"

ProductLoadResult LoadProductText(ProductDataDocument_c& document, const QByteArray& text, ProductData_c*& product,
                                  bool* wellFormed, ProductCommandsAs commands)
{
    KorBuffer_c buffer;
    // A parse error does not stop the load: the root binds to whatever was
    // parsed before it, and the creator check decides.
    bool parsed = text.isEmpty();
    if (text.isEmpty() || buffer.Assign(text.constData(), static_cast<int32_t>(text.size())) != KOR_OK)
        document.LoadXML(nullptr);
    else
        parsed = document.LoadXML(&buffer, commands) != KOR_FAIL;
    if (wellFormed)
        *wellFormed = parsed;
    product = document.ProductData();
    if (!product)
        return ProductLoadResult::NoProduct;
    if (!KorIsTrue(product->IsCreator()))
        return ProductLoadResult::NotWrittenByTarvo;
    return ProductLoadResult::Loaded;
}

QString OpenRefusedText(const QString& path, const QByteArray& text)
{
    const QString name = QDir::toNativeSeparators(path);
    if (text.isEmpty()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QCoreApplication::translate("Tarvo", "%1 could not be read: %2").arg(name, file.errorString());
    }
    QXmlStreamReader reader(text);
    while (!reader.atEnd() && reader.readNext() != QXmlStreamReader::StartElement) {
    }
    if (reader.tokenType() != QXmlStreamReader::StartElement)
        return QCoreApplication::translate("Tarvo", "%1 is not an XML file, so it is no product file.").arg(name);
    if (reader.name() != QLatin1String("product"))
        return QCoreApplication::translate("Tarvo", "%1 is an XML file but not a product file: its root element is "
                                                    "<%2>, where a product file has <product>.")
            .arg(name, reader.name().toString());
    return name + QStringLiteral("\n\n") + NotWrittenByTarvoText();
}

ProductData_c* ResetProductDocument(ProductDataDocument_c& document)
{
    document.Reset();
    return document.ProductData();
}

void MarkWrittenByTarvo(ProductData_c& product)
{
    product.StampCreator();
}

bool SaveProductText(ProductDataDocument_c& document, QByteArray* text)
{
    KorBuffer_c buffer;
    const int32_t written = document.SaveXML(&buffer);
    if (written < 0)
        return false;
    const std::string_view bytes = buffer.View();
    *text = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return true;
}

QString ProductMake(ProductData_c& product)
{
    return FromStd(product.GetMake());
}

QString ProductModel(ProductData_c& product)
{
    return FromStd(product.GetModel());
}

int ProductListingGroup(const QByteArray& text)
{
    // Files this program did not write never carry " creator_ver"; they are
    // kept away from the full parse.
    if (!text.contains(" creator_ver"))
        return -1;
    ProductDataDocument_c document;
    ProductData_c* product = nullptr;
    // Only the root and the hardware are read: the commands stay text.
    if (LoadProductText(document, text, product, nullptr, ProductCommandsAs::Text) != ProductLoadResult::Loaded)
        return -1;
    ProductDataHardware_c* hardware = product->Hardware();
    const int group = hardware ? hardware->GetGroupIndex() : 0;
    return group >= 0 && group < 7 ? group : 0;
}

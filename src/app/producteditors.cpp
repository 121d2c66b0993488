#include "app/producteditors.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

#include "app/productio.h"
#include "check/productcheck.h"
#include "editors/events/eventrows.h"
#include "editors/setup/setuprows.h"
#include "editors/events/trvevents.h"
#include "editors/info/trvinfo.h"
#include "editors/ports/trvportsimport.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "model/document/productdatadocument.h"

void ProductEditors::Delete()
{
    delete events;
    delete setup;
    delete variables;
    delete portsImport;
    delete info;
    *this = ProductEditors();
}

void ProductEditors::Rebuild(QWidget* parent, bool hasFile)
{
    Delete();
    info = new TRVInfo(parent, hasFile);
    portsImport = new TRVPortsImport(parent);
    variables = new TRVVariables(parent);
    setup = new TRVSetup(parent, variables->Model());
    variables->AddBuiltInVariables();
    events = new TRVEvents(variables->Model(), parent);

    QObject::connect(portsImport, &TRVPortsImport::hasTCP, variables, &TRVVariables::UpdateTCPVariable);
    QObject::connect(portsImport, &TRVPortsImport::requestIREventCreation, events, &TRVEvents::CreateIRFileEvent);
    portsImport->SetIRImporter([events = QPointer<TRVEvents>(events)](const QList<IRCode>& codes,
                                                                       const std::function<bool(int)>& progress) {
        return events ? events->CreateIRFileEvents(codes, progress) : 0;
    });
    QObject::connect(variables, &TRVVariables::varDeleted, events, &TRVEvents::CleanupVars);
    QObject::connect(variables, &TRVVariables::varDeleted, setup, &TRVSetup::CleanupVars);
    QObject::connect(setup, &TRVSetup::varDeleted, events, &TRVEvents::CleanupVars);
}

void ProductEditors::Load(ProductData_c* product) const
{
    info->Load(product);
    portsImport->Load(product);
    variables->Load(product);
    setup->Load(product);
    events->Load(product);
}

ProductData_c* ProductEditors::Gather(ProductDataDocument_c& document) const
{
    ProductData_c* product = ResetProductDocument(document);
    info->Store(product);
    portsImport->Store(product);
    variables->Store(product);
    setup->Store(product);
    events->Store(product);
    return product;
}

QString NotWrittenByTarvoText()
{
    return QCoreApplication::translate("Tarvo", "This file was edited in a text editor and cannot be opened by Tarvo "
                                                "Tool. Open/Edit the file in a text or XML editor instead.");
}

bool ProductFileBytes(ProductDataDocument_c& document, ProductData_c* product, QByteArray* bytes, QString* error)
{
    if (!product) {
        *error = QCoreApplication::translate("Tarvo", "The product data could not be prepared.");
        return false;
    }
    MarkWrittenByTarvo(*product);
    if (!SaveProductText(document, bytes)) {
        *error = QCoreApplication::translate("Tarvo", "The product data could not be turned into text.");
        return false;
    }
    return true;
}

bool ResaveProductText(const QByteArray& text, bool hasFile, bool wholeText, QByteArray* saved, QString* error)
{
    ProductDataDocument_c document;
    ProductData_c* product = nullptr;
    bool wellFormed = true;
    // The pages' Load is the first reader of the commands.
    const ProductLoadResult result = LoadProductText(document, text, product, &wellFormed, ProductCommandsAs::Text);
    if (wholeText && !wellFormed) {
        *error = QCoreApplication::translate("Tarvo", "not well-formed XML: a save would drop what follows the error");
        return false;
    }
    switch (result) {
    case ProductLoadResult::NoProduct:
        *error = QCoreApplication::translate("Tarvo", "The product element cannot be bound.");
        return false;
    case ProductLoadResult::NotWrittenByTarvo: *error = NotWrittenByTarvoText(); return false;
    case ProductLoadResult::Loaded: break;
    }
    // The pages' parent stands in for the window: never shown.
    QWidget window;
    ProductEditors editors;
    editors.Rebuild(&window, hasFile);
    editors.Load(product);
    return ProductFileBytes(document, editors.Gather(document), saved, error);
}

DriverModels PageModels(const ProductEditors& pages)
{
    if (!pages.events || !pages.setup || !pages.variables)
        return {};
    return {pages.events->EventModel(), pages.setup->MessageModel(), pages.variables->Model()};
}

int KeptStoredMessages(const ProductEditors& pages)
{
    const DriverModels models = PageModels(pages);
    return (models.events ? EventRow::KeptStoredCount(*models.events) : 0) +
           (models.setupMessages ? SetupRow::KeptStoredCount(*models.setupMessages) : 0);
}

QString KeptStoredText(int count)
{
    const QString kept = count == 1 ? QStringLiteral("1 message was kept as stored because its text differs")
                                    : QStringLiteral("%1 messages were kept as stored because their texts differ")
                                          .arg(count);
    return kept + QStringLiteral(" from what the substrings make. They open as manual edits and are saved as "
                                 "they are. Check Product File (F7) lists them.");
}

HeadlessProduct::HeadlessProduct() = default;

HeadlessProduct::~HeadlessProduct()
{
    if (m_pPages)
        m_pPages->Delete();
}

bool HeadlessProduct::Load(const QByteArray& text, QString* error)
{
    auto document = std::make_unique<ProductDataDocument_c>();
    ProductData_c* product = nullptr;
    bool wellFormed = true;
    const ProductLoadResult result = LoadProductText(*document, text, product, &wellFormed, ProductCommandsAs::Text);
    if (text.isEmpty())
        *error = QCoreApplication::translate("Tarvo", "empty file");
    else if (!wellFormed)
        *error = QCoreApplication::translate("Tarvo", "not well-formed XML");
    else if (result == ProductLoadResult::NoProduct)
        *error = QCoreApplication::translate("Tarvo", "The product element cannot be bound.");
    else if (result == ProductLoadResult::NotWrittenByTarvo)
        *error = NotWrittenByTarvoText();
    else
        error->clear();
    if (!error->isEmpty())
        return false;
    if (m_pPages)
        m_pPages->Delete();
    m_pDocument = std::move(document);
    // The pages' parent stands in for the window: never shown.
    m_pOwner = std::make_unique<QWidget>();
    m_pPages = std::make_unique<ProductEditors>();
    m_pPages->Rebuild(m_pOwner.get(), true);
    m_pPages->Load(product);
    return true;
}

QList<CheckProblem> CheckProductPages(ProductData_c* product)
{
    QWidget window;
    ProductEditors editors;
    editors.Rebuild(&window, true);
    editors.Load(product);
    return CheckProductFile(
        {editors.events->EventModel(), editors.setup->MessageModel(), editors.variables->Model(), product});
}

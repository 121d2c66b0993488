#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

#include "check/checkproblem.h"
#include "devicetest/driverscript.h"

class ProductData_c;
class ProductDataDocument_c;
class QWidget;
class TRVEvents;
class TRVInfo;
class TRVPortsImport;
class TRVSetup;
class TRVVariables;

// The five editor pages of a product file, built and wired to each other as
// the main window holds them, with the window's load and gather steps. The
// window places the pages in its tabs; tarvo-cli save and check use them
// without one. The pages are owned by their Qt parent.
struct ProductEditors
{
    TRVInfo* info = nullptr;
    TRVPortsImport* portsImport = nullptr;
    TRVVariables* variables = nullptr;
    TRVSetup* setup = nullptr;
    TRVEvents* events = nullptr;

    // Deletes the pages and builds new ones under parent, in the order info,
    // ports, variables, setup, events, the variables page adding its built-in
    // variables between the setup and events pages, and connects them to each
    // other. hasFile: a product file is open, so storing raises the version.
    void Rebuild(QWidget* parent, bool hasFile);
    // Deletes the pages; the setup and events pages go first, since they hold
    // the variables page's model.
    void Delete();
    // Fills every page from product, in the order info, ports, variables,
    // setup, events.
    void Load(ProductData_c* product) const;
    // Clears document and lets every page store into its fresh product root,
    // in the load order; returns that root (null when it cannot be bound).
    // The events are held as the text the document writes for them, so the
    // root is for writing out: its commands read as none.
    ProductData_c* Gather(ProductDataDocument_c& document) const;
};

// The models a driver runs from: the events, setup and variables pages'.
DriverModels PageModels(const ProductEditors& pages);

// How many messages the pages' last load kept as stored, because their
// texts differ from what their substrings make, and what the window says
// about them once the file is open.
int KeptStoredMessages(const ProductEditors& pages);
QString KeptStoredText(int count);

// What the window says when it refuses a file not written by Tarvo.
QString NotWrittenByTarvoText();

// The bytes of a gathered document as File > Save writes them: the root
// attributes of a saved file set on product, then the document's text.
// False, with error saying why, when there is no product or no text.
bool ProductFileBytes(ProductDataDocument_c& document, ProductData_c* product, QByteArray* bytes, QString* error);

// File > Open, then File > Save, without a window: text is opened as the
// window opens a file (refused, with the window's reason in error, when the
// window would refuse it), every page is built and loaded and then gathered,
// and saved holds the bytes the window's Save writes. hasFile: as the window
// has it after Open (true), or false to keep the version as it is.
// wholeText: also refuse text with a parse error, which the window opens as
// far as it parsed, so its save would drop the rest.
bool ResaveProductText(const QByteArray& text, bool hasFile, bool wholeText, QByteArray* saved, QString* error);

// A product file opened into editor pages without a window, as File > Open
// opens it; the pages live as long as this.
class HeadlessProduct
{
public:
    HeadlessProduct();
    ~HeadlessProduct();
    HeadlessProduct(const HeadlessProduct&) = delete;
    HeadlessProduct& operator=(const HeadlessProduct&) = delete;

    // False, with error saying why, for text that is not a well-formed
    // product file the window opens.
    bool Load(const QByteArray& text, QString* error);
    // Null until loaded.
    const ProductEditors* Pages() const { return m_pPages.get(); }

private:
    std::unique_ptr<ProductDataDocument_c> m_pDocument;
    std::unique_ptr<QWidget> m_pOwner;
    std::unique_ptr<ProductEditors> m_pPages;
};

// The driver checks of a product as the window would show them right after
// opening it: every page is built and loaded from product, then checked,
// together with what only the file holds (creator, ports of the hardware).
QList<CheckProblem> CheckProductPages(ProductData_c* product);

// The window's open and save, as tarvo-cli save runs it: a product file the
// window opens is loaded into every editor page (its events built at once,
// or, for half the inputs, as a large file's are: when first asked for),
// gathered and saved. The save
// must keep everything the show controller reads (tests/app/productsemantics)
// and saving that save must give the same bytes. The driver checks run on
// the loaded pages too, as tarvo-cli check runs them.
//
// Building the pages costs far more than loading a file into them, so one
// application and one set of pages serve every input. The window builds new
// pages for every file it opens; when reused pages find a difference, new
// pages must find it too before the input counts as a defect.

#include <QApplication>
#include <QByteArray>
#include <QStandardItemModel>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "app/producteditors.h"
#include "app/productio.h"
#include "check/productcheck.h"
#include "editors/events/eventrows.h"
#include "editors/events/trvevents.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"
#include "editors/variables/variablerows.h"
#include "model/document/productdatadocument.h"
#include "productsemantics.h"

namespace {

void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

QWidget* g_window = nullptr;
ProductEditors* g_pages = nullptr;

void BuildPages()
{
    g_pages->Rebuild(g_window, false);
}

// Empties the pages as a rebuild leaves them: no events, no setup messages,
// only the built-in variables.
void ClearPages()
{
    g_pages->events->Load(nullptr);
    g_pages->setup->Load(nullptr);
    QStandardItemModel* variables = g_pages->variables->Model();
    for (int row = variables->rowCount() - 1; row >= 0; --row)
        if (!IsBuiltInVariable(variables->item(row, 0)))
            variables->removeRow(row);
}

// Opens text into the pages as File > Open does and saves it as File > Save;
// false when the window would refuse the text. check: also runs the driver checks.
bool OpenAndSave(const QByteArray& text, QByteArray* saved, bool check)
{
    ProductDataDocument_c document;
    ProductData_c* product = nullptr;
    bool wellFormed = false;
    if (LoadProductText(document, text, product, &wellFormed, ProductCommandsAs::Text) != ProductLoadResult::Loaded ||
        !wellFormed)
        return false;
    ClearPages();
    g_pages->Load(product);
    if (check)
        (void)CheckProductFile({g_pages->events->EventModel(), g_pages->setup->MessageModel(),
                                g_pages->variables->Model(), product});
    QString error;
    if (!ProductFileBytes(document, g_pages->Gather(document), saved, &error)) {
        std::fprintf(stderr, "an opened file was not saved: %s\n", error.toLocal8Bit().constData());
        std::abort();
    }
    return true;
}

std::vector<ProductFact> FactsOf(const QByteArray& text)
{
    std::vector<ProductFact> facts;
    ProductFactsOfText(std::string_view(text.constData(), static_cast<size_t>(text.size())), &facts);
    return facts;
}

// Empty when the save keeps every fact and saves again to the same bytes.
std::string Fault(const QByteArray& text, const QByteArray& once)
{
    std::string difference = FirstFactDifference(FactsOf(text), FactsOf(once));
    if (!difference.empty())
        return "the save changed " + difference;
    QByteArray again;
    if (!OpenAndSave(once, &again, false))
        return "the save does not open again";
    if (again == once)
        return {};
    qsizetype at = 0;
    while (at < again.size() && at < once.size() && again[at] == once[at])
        ++at;
    return "saving the save gives other bytes from byte " + std::to_string(at) + "\nonce:  " +
           once.mid(at, 200).toStdString() + "\nagain: " + again.mid(at, 200).toStdString();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(QuietMessages);
    // These live until the process ends.
    new QApplication(*argc, *argv);
    g_window = new QWidget;
    g_pages = new ProductEditors;
    BuildPages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The pages load every event into item models; larger inputs only slow the search.
    if (size > (64u << 10))
        return 0;
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Half the inputs open as a large file does: rows built only when asked
    // for, checked and saved from their commands' text.
    EventRow::SetBuildWhenShownFrom(size % 2 == 1 ? 0 : std::numeric_limits<int>::max());
    QByteArray once;
    if (!OpenAndSave(text, &once, true))
        return 0;
    std::string fault = Fault(text, once);
    if (fault.empty())
        return 0;
    // Pages that held another file may keep something of it: new pages decide.
    BuildPages();
    OpenAndSave(text, &once, false);
    fault = Fault(text, once);
    if (fault.empty())
        return 0;
    std::fprintf(stderr, "%s\nsaved:\n%s\n", fault.c_str(), once.constData());
    std::abort();
}

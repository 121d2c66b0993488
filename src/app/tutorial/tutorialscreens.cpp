#include "app/tutorial/tutorialscreens.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/startup.h"
#include "app/tarvo.h"
#include "app/trvsplash.h"
#include "editors/info/infofields.h"
#include "editors/common/prompts.h"
#include "editors/ports/portfields.h"
#include "editors/info/trvinfo.h"
#include "editors/ports/trvportsimport.h"
#include "editors/variables/trvvariables.h"
#include "editors/variables/variablerows.h"

namespace {

// The screenshots' window size: large enough for every page, small enough to
// stay readable on an A4 page.
const QSize kWindowSize(980, 660);

QImage Grab(QWidget& widget)
{
    QApplication::processEvents();
    return widget.grab().toImage();
}

QImage GrabTab(Tarvo& window, const char* page)
{
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("m_pTabMain"));
    tabs->setCurrentWidget(window.findChild<QWidget*>(QLatin1String(page)));
    return Grab(window);
}

// Makes a row of the named list in page current, when the list and the row exist.
void SelectRow(QWidget* page, const char* list, int row)
{
    auto* view = page->findChild<QAbstractItemView*>(QLatin1String(list));
    if (view && view->model() && row < view->model()->rowCount())
        view->setCurrentIndex(view->model()->index(row, 0));
}

void SelectEventTab(Tarvo& window, const char* page)
{
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("m_pTabsEvent"));
    QWidget* tab = window.findChild<QWidget*>(QLatin1String(page));
    if (tabs && tab && tabs->indexOf(tab) >= 0)
        tabs->setCurrentWidget(tab);
}

void AddVariable(TRVVariables& page, const QString& name, const QString& type, const QString& initial,
                 const QString& description)
{
    QList<QStandardItem*> row = page.NewVariable(name);
    row[ColType]->setText(QString::number(VariableTypeIndex(type)));
    row[ColInitial]->setText(initial);
    row[ColDescription]->setText(description);
    page.AddVariable(row);
}

} // namespace

// Answers the Save As dialog with a fixed path; every other prompt is the real one.
class SavePathPrompts : public QtPrompts
{
public:
    explicit SavePathPrompts(QString path) : m_Path(std::move(path)) { Prompts::Install(this); }
    ~SavePathPrompts() override { Prompts::Install(nullptr); }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return m_Path; }

private:
    QString m_Path;
};

QHash<QString, QImage> CaptureTutorialScreens(const QString& examplesFolder, const QString& savePath)
{
    QHash<QString, QImage> screens;
    QTemporaryDir home;
    {
        const QString folder = home.filePath(QStringLiteral("Documents/Brackwater Inc/VelmoraLive/My Product Files"));
        TRVSplash start(nullptr, folder, examplesFolder);
        // Show the reader the folder as it is on their own machine.
        auto* label = start.findChild<QLabel*>(QStringLiteral("label"));
        label->setText(label->text().replace(QDir::toNativeSeparators(home.path()), QStringLiteral("~")));
        start.show();
        screens.insert(QStringLiteral("screens/start.png"), Grab(start));
    }

    Tarvo window;
    window.resize(kWindowSize);
    window.show();

    InfoFields info;
    info.make = QStringLiteral("Example");
    info.model = QStringLiteral("PJ-100");
    info.version = QStringLiteral("1.0");
    info.group = QStringLiteral("projector");
    info.protocol = QStringLiteral("PJ-Net");
    info.description = QStringLiteral("A networked projector: login with an MD5 answer to a random seed, "
                                      "power, input and lamp hours.");
    info.authors = QStringList{QStringLiteral("Tutorial")};
    window.InfoEditor()->SetFields(info);
    screens.insert(QStringLiteral("screens/info.png"), GrabTab(window, "Info"));

    PortFields ports;
    ports.hasEthernet = true;
    ports.ethernet.type = QStringLiteral("tcp_client");
    ports.ethernet.ipAddress = QStringLiteral("192.168.001.050");
    ports.ethernet.devicePort = QStringLiteral("4352");
    window.PortsImportEditor()->SetFields(ports);
    screens.insert(QStringLiteral("screens/ports.png"), GrabTab(window, "PortsImport"));

    TRVVariables& variables = *window.VariablesEditor();
    AddVariable(variables, QStringLiteral("Power"), QStringLiteral("bool"), QStringLiteral("false"),
                QStringLiteral("The projector reports its power state"));
    AddVariable(variables, QStringLiteral("Input"), QStringLiteral("integer"), QStringLiteral("1"),
                QStringLiteral("The selected input, 1 to 4"));
    AddVariable(variables, QStringLiteral("LampHours"), QStringLiteral("integer"), QStringLiteral("0"),
                QStringLiteral("Hours on the lamp"));
    variables.SelectVariable(variables.Model()->item(variables.Model()->rowCount() - 1, ColName));
    screens.insert(QStringLiteral("screens/variables.png"), GrabTab(window, "Variables"));

    if (!savePath.isEmpty()) {
        SavePathPrompts prompts(savePath);
        window.SaveAs();
    }

    // The login and the events as the finished example holds them; the pages
    // as they are when there is no example yet.
    const QString example = examplesFolder + QStringLiteral("/projector-tcp.prd");
    if (!examplesFolder.isEmpty() && QFileInfo::exists(example))
        window.OpenFile(example);
    QWidget* setup = window.findChild<QWidget*>(QStringLiteral("Setup"));
    QWidget* events = window.findChild<QWidget*>(QStringLiteral("Events"));
    SelectRow(setup, "m_pListSetupMessages", 1);
    screens.insert(QStringLiteral("screens/setup.png"), GrabTab(window, "Setup"));
    SelectRow(events, "m_pListEvents", 0);
    SelectRow(events, "m_pListParams", 0);
    screens.insert(QStringLiteral("screens/events.png"), GrabTab(window, "Events"));
    SelectEventTab(window, "m_pTabOutgoingCommand");
    SelectRow(events, "m_pListOutgoingSS", 1);
    screens.insert(QStringLiteral("screens/outgoing.png"), GrabTab(window, "Events"));
    SelectRow(events, "m_pListEvents", 2);
    SelectEventTab(window, "m_pTabIncomingResponse");
    screens.insert(QStringLiteral("screens/incoming.png"), GrabTab(window, "Events"));
    return screens;
}

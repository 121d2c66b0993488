#include "app/tutorial/tutorialscreens.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>

#include "app/startup.h"
#include "app/tarvo.h"
#include "app/trvsplash.h"
#include "app/tutorial/tutorialdriver.h"
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

} // namespace

QHash<QString, QImage> CaptureTutorialScreens(const TutorialValues& values, const QString& examplesFolder,
                                              const QString& savePath, QStringList* problems)
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
    QApplication::setActiveWindow(&window);
    *problems = BuildTutorialDriver(window, values);
    if (!savePath.isEmpty() && !SaveTutorialDriver(window, savePath))
        problems->append(QStringLiteral("%1: the driver was not saved").arg(savePath));

    screens.insert(QStringLiteral("screens/info.png"), GrabTab(window, "Info"));
    screens.insert(QStringLiteral("screens/ports.png"), GrabTab(window, "PortsImport"));
    TRVVariables& variables = *window.VariablesEditor();
    variables.SelectVariable(variables.Model()->item(variables.Model()->rowCount() - 1, ColName));
    screens.insert(QStringLiteral("screens/variables.png"), GrabTab(window, "Variables"));

    QWidget* setup = window.findChild<QWidget*>(QStringLiteral("Setup"));
    QWidget* events = window.findChild<QWidget*>(QStringLiteral("Events"));
    auto* setupTabs = setup->findChild<QTabWidget*>(QStringLiteral("m_pTabsSetup"));
    setupTabs->setCurrentIndex(0);
    SelectRow(setup, "m_pListSetupMessages", 1);
    screens.insert(QStringLiteral("screens/setup.png"), GrabTab(window, "Setup"));
    SelectEventTab(window, "m_pTabInfoParams");
    SelectRow(events, "m_pListEvents", 0);
    SelectRow(events, "m_pListParams", 0);
    screens.insert(QStringLiteral("screens/events.png"), GrabTab(window, "Events"));
    SelectEventTab(window, "m_pTabOutgoingCommand");
    SelectRow(events, "m_pListOutgoingSS", 1);
    screens.insert(QStringLiteral("screens/outgoing.png"), GrabTab(window, "Events"));
    SelectRow(events, "m_pListEvents", 2);
    SelectEventTab(window, "m_pTabIncomingResponse");
    SelectRow(events, "m_pListIncomingSS", 1);
    screens.insert(QStringLiteral("screens/incoming.png"), GrabTab(window, "Events"));
    return screens;
}

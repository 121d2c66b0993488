#include "app/tarvo.h"

#include "ui_tarvo.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QUndoStack>
#include <QUndoView>
#include <QUrl>

#include "app/productfiles.h"
#include "app/productio.h"
#include "app/resources.h"
#include "app/trvcheckproblems.h"
#include "app/devicetest/trvdevicetest.h"
#include "app/help/trvhelp.h"
#include "app/windowtitle.h"
#include "check/productcheck.h"
#include "devicetest/terminal.h"
#include "editors/common/edithistory.h"
#include "editors/events/eventrows.h"
#include "editors/common/prompts.h"
#include "editors/incoming/trveventincomingss.h"
#include "editors/outgoing/trveventoutgoingss.h"
#include "editors/params/trveventparams.h"
#include "editors/events/trvevents.h"
#include "editors/info/trvinfo.h"
#include "editors/ports/trvportsimport.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"

namespace {

const QString kProductFileCaption = QStringLiteral("Product File");
const QString kProductFileFilter = QStringLiteral("Product File (*.prd)");

// Nothing the pages do while this lives is an edit (building, loading, saving).
class Unrecorded
{
public:
    explicit Unrecorded(EditHistory* history) : m_pHistory(history)
    {
        m_pHistory->Close();
        m_pHistory->Pause();
    }
    ~Unrecorded()
    {
        m_pHistory->Resync();
        m_pHistory->Resume();
    }
    Unrecorded(const Unrecorded&) = delete;
    Unrecorded& operator=(const Unrecorded&) = delete;

private:
    EditHistory* m_pHistory;
};

bool IsUndoKey(const QKeyEvent* key)
{
    const QKeyCombination combination = key->keyCombination();
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
        || combination == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)
        || combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Y);
}

} // namespace

Tarvo::Tarvo(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TarvoClass>()), m_QuitHandler([] { QCoreApplication::quit(); })
{
    InitTarvoResources();
    ui->setupUi(this);
    ui->m_pTabMain->removeTab(ui->m_pTabMain->indexOf(ui->DeviceTest));
    ui->m_pTabMain->setCurrentIndex(0);

    m_pHistory = new EditHistory(this, this);
    m_pHistory->SetViewFunctions([this] { return CaptureView(); }, [this](const QVariant& view) { ShowView(view); });
    connect(m_pHistory->Stack(), &QUndoStack::cleanChanged, this, &Tarvo::UpdateTitle);
    connect(m_pHistory, &EditHistory::pendingChanged, this, &Tarvo::UpdateTitle);
    SetUpEditMenu();
    qApp->installEventFilter(this);

    m_HasFile = false;
    UpdateTitle();
    RebuildEditors();
    m_pProductData = m_Document.ProductData();

    connect(ui->actionSave, &QAction::triggered, this, &Tarvo::Save);
    connect(ui->actionSave_as, &QAction::triggered, this, &Tarvo::SaveAs);
    connect(ui->actionQuit, &QAction::triggered, this, &Tarvo::Quit);
}

Tarvo::~Tarvo()
{
    qApp->removeEventFilter(this);
    // Steps refer to the pages' items: they go while the pages are still there.
    m_pHistory->Clear();
    // The device test runs on the pages' models: it stops before they go.
    if (m_pDeviceTest)
        m_pDeviceTest->DropSession();
}

void Tarvo::SetQuitHandler(std::function<void()> handler)
{
    m_QuitHandler = std::move(handler);
}

bool Tarvo::IsChanged() const
{
    // What the current key or click changed counts at once.
    m_pHistory->Close();
    return !m_pHistory->Stack()->isClean();
}

void Tarvo::UpdateTitle()
{
    const bool changed = m_pHistory && (m_pHistory->IsPending() || !m_pHistory->Stack()->isClean());
    setWindowTitle(TarvoWindowTitle(m_HasFile, changed, m_File.fileName()));
}

void Tarvo::SetUpEditMenu()
{
    QUndoStack* stack = m_pHistory->Stack();
    auto* menu = new QMenu(tr("&Edit"), this);
    menuBar()->insertMenu(ui->menuTools->menuAction(), menu);
    QAction* undo = stack->createUndoAction(this, tr("&Undo"));
    undo->setShortcuts(QKeySequence::Undo);
    QAction* redo = stack->createRedoAction(this, tr("&Redo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    undo->setObjectName(QStringLiteral("actionUndo"));
    redo->setObjectName(QStringLiteral("actionRedo"));
    menu->addAction(undo);
    menu->addAction(redo);
    menu->addSeparator();

    m_pHistoryDock = new QDockWidget(tr("Undo History"), this);
    m_pHistoryDock->setObjectName(QStringLiteral("undoHistoryDock"));
    auto* view = new QUndoView(stack, m_pHistoryDock);
    view->setEmptyLabel(tr("<as opened>"));
    m_pHistoryDock->setWidget(view);
    addDockWidget(Qt::RightDockWidgetArea, m_pHistoryDock);
    m_pHistoryDock->hide();
    QAction* history = m_pHistoryDock->toggleViewAction();
    history->setText(tr("Undo &History"));
    history->setObjectName(QStringLiteral("actionUndoHistory"));
    menu->addAction(history);
}

bool Tarvo::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this && IsUndoKey(static_cast<QKeyEvent*>(event))) {
            // Left unaccepted, the key goes to the Edit menu's shortcut.
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QVariant Tarvo::CaptureView() const
{
    const QStandardItem* variable = m_Editors.variables ? m_Editors.variables->SelectedVariable() : nullptr;
    return QVariantList{ui->m_pTabMain->currentIndex(), m_Editors.events ? m_Editors.events->CurrentRow() : -1,
                        m_Editors.setup ? m_Editors.setup->CurrentRow() : -1, variable ? variable->row() : -1};
}

void Tarvo::ShowView(const QVariant& view)
{
    const QVariantList places = view.toList();
    if (places.size() != 4 || !m_Editors.events)
        return;
    ui->m_pTabMain->setCurrentIndex(places[0].toInt());
    // The editors show the row again: texts they were handed may have changed.
    m_Editors.events->Reshow(places[1].toInt());
    m_Editors.setup->Reshow(places[2].toInt());
    if (QStandardItemModel* variables = m_Editors.variables->Model())
        m_Editors.variables->Reshow(variables->item(places[3].toInt(), 0));
}

void Tarvo::NoteVariableDeleted(QStandardItem* nameItem)
{
    if (!nameItem || !m_Editors.events)
        return;
    const int events = m_Editors.events->RowsUsingVariable(nameItem);
    const int setup = m_Editors.setup->RowsUsingVariable(nameItem);
    if (events + setup == 0)
        return;
    QStringList users;
    if (events > 0)
        users << (events == 1 ? tr("1 event") : tr("%1 events").arg(events));
    if (setup > 0)
        users << (setup == 1 ? tr("1 setup message") : tr("%1 setup messages").arg(setup));
    statusBar()->showMessage(tr("Deleted '%1' (used by %2): Ctrl+Z restores it")
                                 .arg(nameItem->text(), users.join(tr(" and "))));
}

void Tarvo::RebuildEditors()
{
    // The pages and their wiring to each other are shared with tarvo-cli;
    // the window adds its tabs and its own slots.
    if (m_pDeviceTest)
        m_pDeviceTest->DropSession();
    // Steps refer to the pages' items, which go now.
    m_pHistory->Clear();
    const Unrecorded building(m_pHistory);
    m_Editors.Rebuild(this, m_HasFile);
    ui->m_pLayoutInfo->addWidget(m_Editors.info);
    ui->m_pLayoutPortsImport->addWidget(m_Editors.portsImport);
    ui->m_pLayoutVariables->addWidget(m_Editors.variables);
    ui->m_pLayoutSetup->addWidget(m_Editors.setup);
    ui->m_pLayoutEvents->addWidget(m_Editors.events);

    connect(m_Editors.events, &TRVEvents::requestVarTabFocus, this, &Tarvo::FocusVarTab);
    connect(m_Editors.portsImport, &TRVPortsImport::requestEventTabFocus, this, &Tarvo::FocusEventTab);
    connect(m_Editors.info, &TRVInfo::savableDataChanged, this, &Tarvo::changesMade);
    connect(m_Editors.portsImport, &TRVPortsImport::savableDataChanged, this, &Tarvo::changesMade);
    connect(m_Editors.variables, &TRVVariables::savableDataChanged, this, &Tarvo::changesMade);
    connect(m_Editors.events, &TRVEvents::savableDataChanged, this, &Tarvo::changesMade);
    // Setup edits are saved like every other page's, so they count as changes too.
    connect(m_Editors.setup, &TRVSetup::savableDataChanged, this, &Tarvo::changesMade);
    for (TRVVariables* variables : {m_Editors.variables, m_Editors.setup->SetupVariables()})
        connect(variables, &TRVVariables::deleting, this, &Tarvo::NoteVariableDeleted);
    connect(m_Editors.events, &TRVEvents::statusMessage, this, [this](const QString& text) {
        statusBar()->showMessage(text);
    });

    // The information and ports pages keep their values in their widgets.
    TRVInfo* info = m_Editors.info;
    m_pHistory->AddStateSource(
        info, [info] { return InfoFieldMap(info->Fields()); },
        [info](const QVariantMap& fields) { info->SetFields(InfoFieldsWith(info->Fields(), fields)); });
    TRVPortsImport* ports = m_Editors.portsImport;
    m_pHistory->AddStateSource(
        ports, [ports] { return PortFieldMap(ports->Fields()); },
        [ports](const QVariantMap& fields) { ports->SetFields(PortFieldsWith(ports->Fields(), fields)); });
}

void Tarvo::changesMade()
{
    if (!m_Gathering)
        m_pHistory->NoteSavable();
}

void Tarvo::GatherEditors()
{
    // A field being edited commits its pending value when it loses the focus.
    setFocus(Qt::OtherFocusReason);
    m_pHistory->Close();
    const Unrecorded gathering(m_pHistory);
    m_Gathering = true;
    m_pProductData = m_Editors.Gather(m_Document);
    m_Gathering = false;
}

bool Tarvo::WriteDocument()
{
    const QString path = m_File.fileName();
    QByteArray text;
    QString error;
    const bool written =
        ProductFileBytes(m_Document, m_pProductData, &text, &error) && WriteWholeFile(path, text, &error);
    if (!written) {
        Prompts::Current().Critical(this, tr("Cannot Save File"),
                                    tr("The product file could not be saved:\n%1\n\n%2").arg(path, error));
        return false;
    }
    m_pHistory->Stack()->setClean();
    UpdateTitle();
    return true;
}

void Tarvo::RestoreInfo(const InfoFields& fields)
{
    if (!m_Editors.info)
        return;
    const Unrecorded restoring(m_pHistory);
    m_Gathering = true;
    m_Editors.info->SetFields(fields);
    m_Gathering = false;
}

bool Tarvo::SaveDocument()
{
    if (!m_HasFile)
        return SaveDocumentAs();
    const InfoFields before = m_Editors.info ? m_Editors.info->Fields() : InfoFields();
    GatherEditors();
    if (WriteDocument())
        return true;
    RestoreInfo(before);
    return false;
}

bool Tarvo::SaveDocumentAs()
{
    const InfoFields before = m_Editors.info ? m_Editors.info->Fields() : InfoFields();
    GatherEditors();
    const QString folder = ProductFilesFolder();
    // The proposal must name a folder that exists for the dialog to start there.
    EnsureFolder(folder);
    const QString proposal = m_pProductData
                                 ? SaveAsProposal(folder, ProductMake(*m_pProductData), ProductModel(*m_pProductData))
                                 : SaveAsProposal(folder, QString(), QString());
    const QString typed = Prompts::Current().SaveFileName(this, kProductFileCaption, proposal, kProductFileFilter);
    // A name without an extension would be left out of the start list and Open's filter.
    m_LastDialogPath = WithProductExtension(typed);
    if (m_LastDialogPath.isEmpty()) {
        RestoreInfo(before);
        return false;
    }
    if (m_LastDialogPath != typed && QFileInfo::exists(m_LastDialogPath)
        && Prompts::Current().Question(this, kProductFileCaption,
                                       tr("%1 already exists.\nDo you want to replace it?").arg(m_LastDialogPath),
                                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes) {
        RestoreInfo(before);
        return false;
    }

    const QString previousName = m_File.fileName();
    const bool previousHasFile = m_HasFile;
    m_File.setFileName(m_LastDialogPath);
    m_HasFile = true;
    UpdateTitle();
    if (WriteDocument())
        return true;
    // Nothing was written there, so the window keeps naming the file it had.
    m_File.setFileName(previousName);
    m_HasFile = previousHasFile;
    UpdateTitle();
    RestoreInfo(before);
    return false;
}

void Tarvo::Save()
{
    SaveDocument();
}

void Tarvo::SaveAs()
{
    SaveDocumentAs();
}

bool Tarvo::SaveBeforeClearingDialog()
{
    const QMessageBox::StandardButton answer = Prompts::Current().Question(
        this, tr("Save Your Changes"),
        tr("Save your current product file?\nIf you click 'No' all changes will be lost."),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoButton);
    switch (answer) {
    case QMessageBox::Yes:
        // Throwing the changes away after a cancelled or failed save would lose them.
        return SaveDocument();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void Tarvo::Quit()
{
    if (IsChanged() && !SaveBeforeClearingDialog())
        return;
    m_Quitting = true;
    emit quitting();
    if (m_QuitHandler)
        m_QuitHandler();
}

void Tarvo::closeEvent(QCloseEvent* event)
{
    // Quitting closes every window; by then the unsaved changes are settled.
    if (m_Quitting) {
        event->accept();
        return;
    }
    Quit();
    event->ignore();
}

bool Tarvo::LoadCurrentFile()
{
    QByteArray text = ReadWholeFile(m_File.fileName());
    // Nothing reads the commands before the events page takes them one at a time.
    const ProductLoadResult result =
        LoadProductText(m_Document, text, m_pProductData, nullptr, ProductCommandsAs::Text);
    if (result != ProductLoadResult::Loaded) {
        Prompts::Current().Critical(this, tr("Cannot Open File"), OpenRefusedText(m_File.fileName(), text));
        return false;
    }
    text = QByteArray();  // the document holds it now, while the pages grow
    RebuildEditors();
    {
        const Unrecorded loading(m_pHistory);
        m_Editors.Load(m_pProductData);
    }
    ReopenDeviceTest();
    UpdateTitle();
    // A large file's rows read their messages while the window is idle
    // after the open; what they kept is told once they have.
    const auto tellKept = [this] {
        if (const int kept = KeptStoredMessages(m_Editors); kept > 0)
            Prompts::Current().Information(this, tr("Messages Kept as Stored"), KeptStoredText(kept));
    };
    const DriverModels models = PageModels(m_Editors);
    if (!models.events || !EventRow::WhenTextsRead(*models.events, this, tellKept))
        tellKept();
    return true;
}

void Tarvo::OpenFile(QString path)
{
    const QString previousName = m_File.fileName();
    const bool previousHasFile = m_HasFile;
    m_File.setFileName(path);
    m_HasFile = true;
    if (LoadCurrentFile())
        return;
    // The pages still hold the previous content: keep it tied to its own file
    // so a later Save cannot overwrite the refused one.
    m_File.setFileName(previousName);
    m_HasFile = previousHasFile;
}

void Tarvo::OpenCopy(QString path)
{
    OpenFile(path);
    if (!m_HasFile || m_File.fileName() != path)
        return;  // refused: the window keeps what it had
    m_File.setFileName(QString());
    m_HasFile = false;
    UpdateTitle();
}

void Tarvo::on_actionOpen_triggered()
{
    if (IsChanged() && !SaveBeforeClearingDialog())
        return;
    m_LastDialogPath = Prompts::Current().OpenFileName(this, kProductFileCaption,
                                                       ProductFilesFolder() + QLatin1Char('/'), kProductFileFilter);
    if (m_LastDialogPath.isEmpty())
        return;
    OpenFile(m_LastDialogPath);
}

void Tarvo::on_actionNew_triggered()
{
    if (IsChanged() && !SaveBeforeClearingDialog())
        return;
    // A new document has no file yet, so its version must not be raised on save.
    m_HasFile = false;
    RebuildEditors();
    UpdateTitle();
    ReopenDeviceTest();
}

void Tarvo::on_actionAbout_triggered()
{
    Prompts::Current().Information(
        this, tr("About Tarvo"),
        tr("Tarvo v2.0\n\n"
           "An authoring tool for show-control product files: describe how a show controller "
           "talks to a device without writing XML by hand.\n\n"
           "Released under the MIT licence."));
}

void Tarvo::on_actionPRD_Creation_Guide_triggered()
{
    const QString program = QCoreApplication::applicationDirPath();
    const QString path = FindTarvoData(program, QStringLiteral("tutorial.md"));
    if (!m_pHelp) {
        m_pHelp = new TRVHelp(this);
        connect(m_pHelp, &TRVHelp::openPdf, this, &Tarvo::on_actionOpen_Tutorial_PDF_triggered);
    }
    if (path.isEmpty() || !m_pHelp->Load(path)) {
        const QStringList looked = TarvoDataCandidates(program, QStringLiteral("tutorial.md"));
        Prompts::Current().Critical(this, tr("View Tutorial"),
                                    tr("The tutorial could not be found:\n%1").arg(looked.join(QLatin1Char('\n'))));
        return;
    }
    m_pHelp->show();
    m_pHelp->raise();
    m_pHelp->activateWindow();
}

void Tarvo::on_actionOpen_Tutorial_PDF_triggered()
{
    const QString program = QCoreApplication::applicationDirPath();
    const QString path = TutorialPath(program);
    if (!QFileInfo::exists(path)) {
        const QStringList looked = TarvoDataCandidates(program, QStringLiteral("tutorial.pdf"));
        Prompts::Current().Critical(this, tr("Open Tutorial as PDF"),
                                    tr("The tutorial could not be found:\n%1").arg(looked.join(QLatin1Char('\n'))));
        return;
    }
    if (!Prompts::Current().OpenUrl(QUrl::fromLocalFile(path)))
        Prompts::Current().Critical(this, tr("Open Tutorial as PDF"),
                                    tr("No application could open %1.\nHelp > View Tutorial (F1) shows the same text "
                                       "inside Tarvo.").arg(QDir::toNativeSeparators(path)));
}

void Tarvo::FocusVarTab(QStandardItem* setupVarField)
{
    // An item of the variables model tells its row's mode whatever its column.
    const bool setup = setupVarField && (setupVarField->model() == m_Editors.variables->Model()
                                             ? m_Editors.variables->IsSetupVariable(setupVarField)
                                             : setupVarField->text() == QLatin1String("true"));
    if (!setup) {
        ui->m_pTabMain->setCurrentWidget(ui->Variables);
        m_Editors.variables->SelectVariable(setupVarField);
    } else {
        ui->m_pTabMain->setCurrentWidget(ui->Setup);
        m_Editors.setup->SelectVariable(setupVarField);
    }
}

void Tarvo::FocusEventTab()
{
    ui->m_pTabMain->setCurrentWidget(ui->Events);
}

void Tarvo::FocusInfoTab()
{
    ui->m_pTabMain->setCurrentWidget(ui->Info);
}

void Tarvo::on_actionCheck_Product_File_triggered()
{
    // A field being edited commits its pending value when it loses the focus.
    setFocus(Qt::OtherFocusReason);
    const CheckInput input{m_Editors.events->EventModel(), m_Editors.setup->MessageModel(),
                           m_Editors.variables->Model(), nullptr};
    if (!m_pCheckProblems) {
        m_pCheckProblems = new TRVCheckProblems(this);
        connect(m_pCheckProblems, &TRVCheckProblems::problemActivated, this, &Tarvo::ShowCheckPlace);
    }
    m_pCheckProblems->ShowProblems(CheckProductFile(input));
    m_pCheckProblems->show();
    m_pCheckProblems->raise();
}

void Tarvo::on_actionTest_on_Device_triggered()
{
    // A field being edited commits its pending value when it loses the focus.
    setFocus(Qt::OtherFocusReason);
    if (!m_pDeviceTest) {
        m_pDeviceTest = new TRVDeviceTest(this);
        connect(m_pDeviceTest, &TRVDeviceTest::makeEventRequested, this, [this](const Exchange& exchange) {
            if (!m_Editors.events)
                return;
            const EditHistory::Step step(this, tr("Make Event"));
            // The event goes in as one row insertion (its variables first).
            const int row = AppendExchangeEvent(*m_Editors.events->EventModel(), m_Editors.events,
                                                m_Editors.events->VariablesModel(), exchange);
            m_Editors.events->SelectRow(row);
            ui->m_pTabMain->setCurrentWidget(ui->Events);
            changesMade();
        });
    }
    // Opening starts from the pages as they are now; raising an open window keeps its run.
    if (!m_pDeviceTest->isVisible() || !m_pDeviceTest->Session())
        StartDeviceTest();
    m_pDeviceTest->show();
    m_pDeviceTest->raise();
    m_pDeviceTest->activateWindow();
}

void Tarvo::StartDeviceTest()
{
    m_pDeviceTest->Open(PageModels(m_Editors), m_Editors.portsImport->Fields());
}

void Tarvo::ReopenDeviceTest()
{
    if (m_pDeviceTest && m_pDeviceTest->isVisible())
        StartDeviceTest();
}

void Tarvo::ShowCheckPlace(const CheckPlace& place)
{
    // A problem listed before its row went must not select another.
    const auto within = [](const QStandardItemModel* model, int row) {
        return model && row >= 0 && row < model->rowCount();
    };
    QWidget* part = nullptr;
    switch (place.page) {
    case CheckPlace::Product:
        ui->m_pTabMain->setCurrentWidget(ui->Info);
        return;
    case CheckPlace::Ports:
        ui->m_pTabMain->setCurrentWidget(ui->PortsImport);
        return;
    case CheckPlace::Variables:
        if (within(m_Editors.variables->Model(), place.row))
            FocusVarTab(m_Editors.variables->Model()->item(place.row, 0));
        return;
    case CheckPlace::Setup: {
        TRVSetup* setup = m_Editors.setup;
        ui->m_pTabMain->setCurrentWidget(ui->Setup);
        if (!within(setup->MessageModel(), place.row))
            return;
        setup->SelectRow(place.row);
        if (place.part == CheckPlace::Outgoing) {
            setup->OutgoingEditor()->SelectRow(place.partRow);
            part = setup->OutgoingEditor();
        } else if (place.part == CheckPlace::Incoming) {
            setup->IncomingEditor()->SelectRow(place.partRow);
            part = setup->IncomingEditor();
        }
        break;
    }
    case CheckPlace::Events: {
        TRVEvents* events = m_Editors.events;
        ui->m_pTabMain->setCurrentWidget(ui->Events);
        if (!within(events->EventModel(), place.row))
            return;
        events->SelectRow(place.row);
        if (place.part == CheckPlace::Parameter) {
            const QStandardItemModel* params = EventRow::Params(*events->EventModel(), place.row);
            if (within(params, place.partRow))
                events->ParamsEditor()->SelectParameter(params->item(place.partRow, 0));
            part = events->ParamsEditor();
        } else if (place.part == CheckPlace::Outgoing) {
            events->OutgoingEditor()->SelectRow(place.partRow);
            part = events->OutgoingEditor();
        } else if (place.part == CheckPlace::Incoming) {
            events->IncomingEditor()->SelectRow(place.partRow);
            part = events->IncomingEditor();
        }
        break;
    }
    }
    // The part's editor sits on a tab of the page; that tab becomes current.
    for (QWidget* page = part; page && page->parentWidget(); page = page->parentWidget()) {
        auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
        if (tabs && tabs->indexOf(page) >= 0)
            tabs->setCurrentWidget(page);
    }
}

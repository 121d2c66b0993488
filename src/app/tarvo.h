#pragma once

#include <QFile>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

#include "app/producteditors.h"
#include "editors/info/infofields.h"
#include "model/document/productdatadocument.h"

namespace Ui {
class TarvoClass;
}

class EditHistory;
class ProductData_c;
class QDockWidget;
class QStandardItem;
class TRVCheckProblems;
class TRVDeviceTest;
class TRVHelp;
struct CheckPlace;

// The main window: owns the product document and the five editor pages, and
// runs the file commands, the window title and the unsaved-changes prompt.
// The pages hold the working state; the document is filled from them just
// before a write and they are filled from it just after a read.
class Tarvo : public QMainWindow
{
    Q_OBJECT

public:
    explicit Tarvo(QWidget* parent = nullptr);
    ~Tarvo() override;

    TRVInfo* InfoEditor() const { return m_Editors.info; }
    TRVPortsImport* PortsImportEditor() const { return m_Editors.portsImport; }
    TRVSetup* SetupEditor() const { return m_Editors.setup; }
    TRVEvents* EventsEditor() const { return m_Editors.events; }
    TRVVariables* VariablesEditor() const { return m_Editors.variables; }
    // The "Check Product File" list; null until the first check.
    TRVCheckProblems* CheckProblems() const { return m_pCheckProblems; }
    // The "Test on Device" window; null until first opened.
    TRVDeviceTest* DeviceTest() const { return m_pDeviceTest; }
    // The tutorial window; null until first opened.
    TRVHelp* Help() const { return m_pHelp; }
    bool HasFile() const { return m_HasFile; }
    // Whether the pages differ from the file as opened or last saved: the
    // undo history is away from its clean step.
    bool IsChanged() const;
    EditHistory* History() const { return m_pHistory; }
    QString FileName() const { return m_File.fileName(); }
    QString LastDialogPath() const { return m_LastDialogPath; }

    // What ending the program does once Quit has settled the unsaved changes;
    // QCoreApplication::quit by default.
    void SetQuitHandler(std::function<void()> handler);

public slots:
    // Help > View Tutorial: the tutorial in a window of its own.
    void on_actionPRD_Creation_Guide_triggered();
    // Hands the tutorial's PDF to the desktop; says so when nothing opens it.
    void on_actionOpen_Tutorial_PDF_triggered();
    void on_actionNew_triggered();
    void on_actionOpen_triggered();
    void OpenFile(QString path);
    // Opens path as an untitled copy: the first Save asks where to keep it,
    // so nothing is ever written back into path (an installed example).
    void OpenCopy(QString path);
    void Quit();
    void Save();
    void SaveAs();
    // Asks whether to save the unsaved changes; false when the user cancelled
    // or the save they asked for did not happen.
    bool SaveBeforeClearingDialog();
    void changesMade();
    void on_actionAbout_triggered();
    void FocusVarTab(QStandardItem* setupVarField);
    void FocusEventTab();
    void FocusInfoTab();
    // Runs the driver checks on what the pages hold and lists the problems.
    void on_actionCheck_Product_File_triggered();
    // Makes the page of a problem current and selects its row there.
    void ShowCheckPlace(const CheckPlace& place);
    // Opens (or raises) the window that runs the driver against a device.
    void on_actionTest_on_Device_triggered();

signals:
    // Quit has settled the unsaved changes and the program is about to end;
    // the window is still shown, so its geometry is worth keeping.
    void quitting();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Undo and redo keys reach the window's history even from a text field,
    // which would otherwise undo its own typing only.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RebuildEditors();
    // The device test window starts over on the pages' models and ports.
    void StartDeviceTest();
    // The same, when the window is open: the pages were just built and loaded.
    void ReopenDeviceTest();
    void GatherEditors();
    // Save: write to the current file, or ask for one. False when nothing was written.
    bool SaveDocument();
    bool SaveDocumentAs();
    bool WriteDocument();
    // Puts back the information page as it was before a save that did not
    // happen (the version it raised, the names it filled in).
    void RestoreInfo(const InfoFields& fields);
    bool LoadCurrentFile();
    void UpdateTitle();
    void SetUpEditMenu();
    // Where the user is (tab and current rows), for undo to show its step there.
    QVariant CaptureView() const;
    void ShowView(const QVariant& view);
    // Counts what refers to a variable about to be deleted and says how to get it back.
    void NoteVariableDeleted(QStandardItem* nameItem);

    std::unique_ptr<Ui::TarvoClass> ui;
    // The pages are owned through their Qt parents and replaced at every rebuild.
    ProductEditors m_Editors;
    TRVCheckProblems* m_pCheckProblems = nullptr;  // child
    TRVDeviceTest* m_pDeviceTest = nullptr;        // child window
    TRVHelp* m_pHelp = nullptr;                    // child window
    QString m_LastDialogPath;
    QFile m_File;
    ProductDataDocument_c m_Document;
    ProductData_c* m_pProductData = nullptr;  // owned by m_Document
    bool m_HasFile = false;
    EditHistory* m_pHistory = nullptr;  // child; recorded while the pages are edited
    QDockWidget* m_pHistoryDock = nullptr;  // child
    bool m_Gathering = false;  // storing into the document is not an edit
    bool m_Quitting = false;
    std::function<void()> m_QuitHandler;
};

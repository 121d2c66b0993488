#pragma once

#include <QMetaObject>
#include <QModelIndex>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

#include "editors/incoming/incomingssmodel.h"
#include "editors/incoming/incomingssrunner.h"

namespace Ui {
class TRVEventIncomingSS;
}

class IncomingExampleWindow;
class ProductDataMessage_c;
class QDataWidgetMapper;
class QStandardItem;
class QStandardItemModel;
class TRVInsertFunction;

// The "Incoming Response" page of an event (also used for incoming setup
// messages): the substrings from which the regular expression recognising a
// device's reply is built, an example reply checked against it as it is
// typed, and what each substring captures from it and each operation makes
// of that; or, in manual edit, an expression typed by hand. The rules live
// in incomingssmodel.h, incomingssmatch.h and incomingssstore.h, and a long
// example is typed through incomingssexample.h; the page wires them to its
// form.
//
// Showing an event: SetModel (with the example), then SetManual. SetModel
// rebuilds the expression and emits formatChanged, so a host reads the
// event's stored texts before calling it.
class TRVEventIncomingSS : public QWidget
{
    Q_OBJECT

public:
    // variables: the shared variables model (not owned).
    TRVEventIncomingSS(QStandardItemModel* variables, QWidget* parent);
    ~TRVEventIncomingSS() override;

    // A new, empty substring model with the page's columns and headers.
    static QStandardItemModel* NewModel(QObject* parent);

    // Shows model (not owned; null shows nothing) and example.
    void SetModel(QStandardItemModel* model, const QString& example);
    QStandardItemModel* Model() const { return m_pModel; }
    QStandardItemModel* VariablesModel() const { return m_pVariables; }
    // Ticks or clears manual edit; when on, expression becomes the typed one.
    void SetManual(bool on, const QString& expression);
    bool IsManualEdit() const;
    QString Format() const;
    QString Example() const;
    // The status text: "A Match!", "Not a Match!", "Checking..." while the
    // match runs, or "Not checked" when it was too costly, in its colour.
    QString MatchStatus() const;
    // Waits up to ms for a running match to be shown; true once none runs.
    bool WaitForMatch(int ms);
    // Whether "Add Variable" adds a setup variable (the setup page's editor).
    void SetAddsSetupVariables(bool setup) { m_AddsSetupVariables = setup; }

    // Fills model from the message's substrings and returns its example.
    QString Load(QStandardItemModel* model, ProductDataMessage_c* message);
    // Writes model's rows as the message's parameters, substrings and operations.
    void Store(QStandardItemModel* model, ProductDataMessage_c* message);
    // Removes (and destroys) every row of model.
    void EmptyModel(QStandardItemModel* model);

    // The current substring row, or -1; SelectRow makes a row current.
    int CurrentRow() const;
    void SelectRow(int row);

    // Connected to the list's selection model (not by name).
    void on_m_pListIncomingSS_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

signals:
    void formatChanged(const QString& format);
    void exampleChanged(const QString& example);
    void manEditToggled(bool on);
    // For the hosts' "show this variable"; this page never emits it.
    void addEditVarClicked(QStandardItem* variable);
    void savableDataChanged();

public slots:
    // Drops links to variable rows that are no longer in the variables model.
    void CleanupVars();
    void on_m_pEditSSLocal_textEdited(const QString& text);
    // Rebuilds the expression, the match status, the captures and the
    // results; item's row pattern first. Nothing in manual edit.
    void UpdateResponseFormat(QStandardItem* item = nullptr);
    void UpdateSSFormat(int row);
    void on_m_pEditExampleIncomingReponse_textChanged(const QString& text);
    void on_m_pEditExampleIncomingReponse_selectionChanged();
    void on_m_pButAddSelectionAsSS_clicked();
    void on_m_pButAddIncomingSS_clicked();
    void on_m_pButDupIncomingSS_clicked();
    void on_m_pButDeleteIncomingSS_clicked();
    void on_m_pButMoveIncomingSSUp_clicked();
    void on_m_pButMoveIncomingSSDown_clicked();
    void on_m_pCmbIncomingSSType_currentIndexChanged(int index);
    void on_m_pChkVarOptions_toggled(bool checked);
    void on_m_pCmbSSVars_currentIndexChanged(int index);
    void on_m_pButAddEditVariable_clicked();
    void on_m_pChkIncomingManEdit_toggled(bool checked);
    void UpdateMatchStatus();
    void on_m_pEditSSVarArithmetic_cursorPositionChanged(int oldPosition, int newPosition);
    void on_m_pButInsertFunction_clicked();
    void submit();

private:
    void EmitSavable();
    void AppendRow(int type, const QString* selection);
    void AfterRowsChanged(int current);
    void MoveCurrent(int step);
    void ShowStatus(const IncomingSS::ResponseState& state);
    void ShowOperations();
    void ShowLinkedVariable();
    void WatchModel(bool on);
    void Refresh(int changedRow);
    void StartMatch(const IncomingSS::MatchJob& job);
    void ShowMatch(const IncomingSS::MatchOutcome& outcome);

    std::unique_ptr<Ui::TRVEventIncomingSS> ui;
    QStandardItemModel* m_pVariables;        // not owned
    QPointer<QStandardItemModel> m_pModel;   // not owned
    QDataWidgetMapper* m_pMapper;            // child
    TRVInsertFunction* m_pInsertFunction;    // child
    IncomingExampleWindow* m_pExample = nullptr;  // child: a long example is typed through a slice of it
    QMetaObject::Connection m_ItemChanged;
    IncomingMatchRunner m_Runner;
    IncomingSS::MatchJob m_Job;  // the running match's, applied when it ends
    QString m_ExampleSelection;  // kept while the button takes the focus
    int m_ArithmeticCursor = 0;
    int m_VariablesChanging = 0;  // the variables model is moving rows
    int m_PendingRow = -1;        // a row edited during submit (AllRows: several)
    bool m_Populating = false;    // the form follows the model; no edit is reported
    bool m_Submitting = false;
    bool m_AddsSetupVariables = false;
};

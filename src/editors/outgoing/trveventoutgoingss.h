#pragma once

#include <QList>
#include <QMetaObject>
#include <QModelIndex>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "editors/outgoing/outgoingssmodel.h"

namespace Ui {
class TRVEventOutgoingSS;
}

class ProductDataMessage_c;
class QDataWidgetMapper;
class QStandardItem;
class QStandardItemModel;
class TRVEventOutgoingSSChecksum;
class TRVInsertFunction;

// The "Outgoing Message" page of an event (also used for setup messages):
// the message as a list of substrings, from which the page builds the
// sprintf format and arguments and previews the bytes sent, or, in manual
// edit, a format and arguments typed by hand. All rules live in
// outgoingssmodel.h and outgoingssstore.h; the page wires them to its form.
//
// Showing an event: SetModel, then SetManualEdit, then (for a manual
// message) SetFormat and SetArgs.
class TRVEventOutgoingSS : public QWidget
{
    Q_OBJECT

public:
    // variables: the shared variables model (not owned).
    TRVEventOutgoingSS(QStandardItemModel* variables, QWidget* parent);
    ~TRVEventOutgoingSS() override;

    // The event's substrings and parameters (neither owned); null shows nothing.
    void SetModel(OutgoingSSModel_c* model, QStandardItemModel* params);
    OutgoingSSModel_c* Model() const { return m_pModel; }
    QStandardItemModel* VariablesModel() const { return m_pVariables; }

    bool IsManualEdit() const;
    void SetManualEdit(bool on);
    // The hand-written format and arguments; ignored unless in manual edit.
    void SetFormat(const QString& format);
    void SetArgs(const QString& args);
    QString Format() const;
    QString Args() const;

    // Fills model (for an event whose parameters are params) from the
    // message's substrings and operations, previews included.
    void Load(OutgoingSSModel_c* model, QStandardItemModel* params, ProductDataMessage_c* message);
    // Writes model's rows as the message's substrings and operations.
    void Store(OutgoingSSModel_c* model, ProductDataMessage_c* message);
    // Removes every row of model.
    void ClearModel(OutgoingSSModel_c* model);

    // The current substring row, or -1; SelectRow makes a row current.
    int CurrentRow() const;
    void SelectRow(int row);
    TRVEventOutgoingSSChecksum* ChecksumDialog() const { return m_pChecksum; }
    // Whether "Add Variable" adds a setup variable (the setup page's editor).
    void SetAddsSetupVariables(bool setup) { m_AddsSetupVariables = setup; }

    // Connected to the list's selection model (not by name).
    void on_m_pListOutgoingSS_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

signals:
    void formatChanged(const QString& format);
    void argsChanged(const QString& args);
    void addEditParamClicked(QStandardItem* param);
    void addEditVarClicked(QStandardItem* variable);
    void manEditToggled(bool on);
    void savableDataChanged();

public slots:
    // Drops references to parameter and variable rows that are gone.
    void CleanupParamsAndVars();
    void on_m_pEditSSLocal_textEdited(const QString& text);
    void UpdateSSParams(QStandardItem* item);
    void UpdateSSVars(QStandardItem* item);
    // Previews the row of item again (and the checksums covering it).
    void UpdateSSResult(QStandardItem* item);
    // Shows the message the rows make; nothing in manual edit.
    void UpdateSSResults();
    void UpdateSSFormat(int row);
    void UpdateSSArg(int row);
    void on_m_pEditExampleOutgoingMessage_selectionChanged();
    void on_m_pButAddSelectionAsSS_clicked();
    // Inserts text read as bytes in any notation into the constant field, as
    // escapes; false (and a message) when the text is not valid.
    bool PasteBytes(const QString& text);
    // Previews expression into the three preview cells of row.
    void SetSSResults(const QString& expression, int row);
    void on_m_pButAddOutgoingSS_clicked();
    void on_m_pButDupOutgoingSS_clicked();
    void on_m_pButDeleteOutgoingSS_clicked();
    void on_m_pButMoveOutgoingSSUp_clicked();
    void on_m_pButMoveOutgoingSSDown_clicked();
    void on_m_pCmbOutgoingSSType_currentIndexChanged(int index);
    void on_m_pChkParamOptions_toggled(bool checked);
    void on_m_pChkVarOptions_toggled(bool checked);
    void on_m_pChkOutgoingFormatting_toggled(bool checked);
    void on_m_pCmbSSParam_currentIndexChanged(int index);
    void on_m_pCmbSSVar_currentIndexChanged(int index);
    void on_m_pChkOutgoingManEdit_toggled(bool checked);
    void ManEditFormatOrArgsChanged();
    void on_m_pButAddEditVar_clicked();
    void on_m_pButAddEditParam_clicked();
    void on_m_pButConfigureOutgoingChecksum_clicked();
    void on_m_pEditSSParamArithmetic_cursorPositionChanged(int oldPosition, int newPosition);
    void on_m_pButInsertFunction_clicked();
    void submit();

private:
    void EmitSavable();
    // Says under the preview when + - * / are applied to text.
    void ShowHint();
    void AfterRowsChanged(int current);
    void ShowOptions();
    void SyncReferenceCombos();
    void WatchParamModel(QStandardItemModel* params);
    void WatchReferenceModel(QStandardItemModel* model, QList<QMetaObject::Connection>& connections);

    std::unique_ptr<Ui::TRVEventOutgoingSS> ui;
    QStandardItemModel* m_pVariables;           // not owned
    QPointer<OutgoingSSModel_c> m_pModel;       // not owned
    QPointer<QStandardItemModel> m_pParams;     // not owned
    QStandardItemModel* m_pNoParams;            // child: what the parameter combo lists without an event
    QDataWidgetMapper* m_pMapper;               // child
    TRVEventOutgoingSSChecksum* m_pChecksum;    // child
    TRVInsertFunction* m_pInsertFunction;       // child
    QList<QMetaObject::Connection> m_ModelConnections;
    QList<QMetaObject::Connection> m_ParamConnections;
    QList<QMetaObject::Connection> m_VarConnections;
    QString m_ExampleSelection;  // kept while the button takes the focus
    int m_FormulaCursor = 0;
    bool m_Updating = false;      // the page is writing the model itself
    bool m_Populating = false;    // the form follows the model; no edit is reported
    int m_RefModelChanging = 0;   // a parameter or variable model is moving rows
    bool m_AddsSetupVariables = false;
};

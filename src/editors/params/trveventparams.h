#pragma once

#include <QModelIndex>
#include <QPointer>
#include <QStandardItemModel>
#include <QWidget>

#include <memory>

#include "editors/params/paramrows.h"

namespace Ui {
class TRVEventParams;
}

class ProductDataCommand_c;
class QDataWidgetMapper;
class QEventLoop;
class TRVEventParamOptions;

// The parameter editor over one event's parameter model (columns in
// paramrows.h). Two forms:
// - embedded on the events page's "Information/Parameters" tab;
// - the "Add Parameter" window (windowForm), opened by the message editors:
//       TRVEventParams window(this, true);
//       connect(&window, &TRVEventParams::paramDeleted, this, &Editor::CleanupParamsAndVars);
//       window.ExecWindow(paramModel);   // true when OK was pressed
//   It adds a new parameter at once and becomes current on it; OK hides the
//   window and keeps the parameter, Cancel (or Escape, or closing the window)
//   removes that parameter again (no other) and hides the window. The
//   window is application modal.
// The editor never owns the parameter model it shows.
class TRVEventParams : public QWidget
{
    Q_OBJECT

public:
    explicit TRVEventParams(QWidget* parent, bool windowForm = false);
    ~TRVEventParams() override;

    bool IsWindowForm() const { return m_WindowForm; }
    QStandardItemModel* Model() const { return m_pModel; }
    // Shows params (not owned; null shows nothing) with no row current.
    void SetModel(QStandardItemModel* params);
    // Makes the row whose name cell is nameItem current; other items are
    // ignored.
    void SelectParameter(QStandardItem* nameItem);
    // Appends a new parameter to the shown model and makes it current, as
    // "+" does; -1 without a model.
    int AddParameter();
    // Removes every row of params as Delete does: paramDeleted() once per row.
    void EmptyModel(QStandardItemModel* params);

    // Appends one row to params per parameter of the command.
    void Load(QStandardItemModel* params, ProductDataCommand_c* command);
    // Writes the rows of params as the command's parameters.
    void Store(const QStandardItemModel* params, ProductDataCommand_c* command);

    // Window form: shows params, adds a parameter, shows the window and waits
    // (processing events) until OK or Cancel hides it. True when accepted.
    bool ExecWindow(QStandardItemModel* params);

    // The row current in the list, or -1.
    int CurrentRow() const;
    QString CurrentName() const;

    // Connected to the list's selection model (each time a model is set), not
    // by name: its name matches no widget.
    void on_m_p_ListParams_currentRowChanged(const QModelIndex& current, const QModelIndex& previous);

signals:
    void savableDataChanged();
    void paramDeleted();
    // The parameter of nameItem is about to be deleted by the user.
    void deleting(QStandardItem* nameItem);

public slots:
    void on_m_pEditParamName_textEdited(const QString& text);
    void on_m_pButAddParam_clicked();
    void on_m_pButDupParam_clicked();
    void on_m_pButDeleteParam_clicked();
    void on_m_pButMoveParamUp_clicked();
    void on_m_pButMoveParamDown_clicked();
    void on_m_pCmbParamType_currentIndexChanged(int index);
    void on_m_pButParamOptions_clicked();
    void submit();

protected:
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void MakeCurrent(int row);
    void MoveCurrent(int offset);
    void RemoveRow(QStandardItemModel* params, int row);
    void ShowTypePage(int type);
    void WindowAccepted();
    void WindowRejected();

    std::unique_ptr<Ui::TRVEventParams> ui;
    const bool m_WindowForm;
    QPointer<QStandardItemModel> m_pModel;  // not owned
    QDataWidgetMapper* m_pMapper;
    TRVEventParamOptions* m_pOptions;
    QEventLoop* m_pWindowLoop = nullptr;  // while ExecWindow waits
    bool m_WindowAccepted = false;
    QPersistentModelIndex m_WindowParam;  // the parameter the window form added
};

#pragma once

#include <QString>

#include <memory>

#include "editors/messagelist/messagelistpage.h"
#include "editors/setup/setuprows.h"

namespace Ui {
class TRVSetup;
}

class TRVVariables;

// The "Setup Messages" page: the protocol's setup and login messages (one
// row each in the message model, columns and rules in setuprows.h), each
// shown in the outgoing or the incoming editor by its kind, and, on its own
// "Variables" tab, the setup variables of the shared variables model.
class TRVSetup : public MessageListPage
{
    Q_OBJECT

public:
    using enum SetupRow::Column;

    TRVSetup(QWidget* parent, QStandardItemModel* variables);
    ~TRVSetup() override;

    QStandardItemModel* MessageModel() const { return RowModel(); }
    TRVVariables* SetupVariables() const { return m_pSetupVariables; }
    // Makes the "Variables" tab current and selects the setup variable whose
    // item (any column) is given.
    void SelectVariable(QStandardItem* item);

signals:
    void varDeleted();

public slots:
    void FocusVarTab(QStandardItem* variable);
    void UpdateFormatRegexp(const QString& formatOrRegexp);
    void UpdateArgsExample(const QString& argsOrExample);
    void UpdateManEdit(bool enabled);

    void on_m_pChkSetupMessages_toggled(bool checked);

protected:
    // Asks which kind of message to add.
    int AppendRow() override;
    void ShowRow(int row) override;

private:
    // Column writes from the editor showing the current row's kind only.
    void WriteCurrent(int kind, int column, const QString& text);

    std::unique_ptr<Ui::TRVSetup> ui;
    TRVVariables* m_pSetupVariables = nullptr;  // child widget
};

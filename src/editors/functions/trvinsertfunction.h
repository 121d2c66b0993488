#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class TRVInsertFunction;
}

// Lists the expression functions of kFunctionHelp with a help text for the
// highlighted one. Usage:
//     const QString templ = m_pInsertFunction->Run();
//     if (!templ.isEmpty())
//         InsertFunctionTemplate(field, lastCursorPosition, templ);
class TRVInsertFunction : public QDialog
{
    Q_OBJECT

public:
    explicit TRVInsertFunction(QWidget* parent = nullptr);
    ~TRVInsertFunction() override;

    // Runs the dialog modally with nothing highlighted; the chosen call
    // template, or empty when cancelled or accepted with no row current.
    QString Run();

public slots:
    void on_m_pListFunctions_currentRowChanged(int row);

private:
    std::unique_ptr<Ui::TRVInsertFunction> ui;
};

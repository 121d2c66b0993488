#include "editors/functions/trvinsertfunction.h"

#include "ui_trvinsertfunction.h"

#include "editors/functions/functionhelp.h"

TRVInsertFunction::TRVInsertFunction(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TRVInsertFunction>())
{
    ui->setupUi(this);
    for (const FunctionHelpEntry* entry = kFunctionHelp; *entry->callTemplate; ++entry)
        ui->m_pListFunctions->addItem(QString::fromUtf8(entry->callTemplate));
    connect(ui->m_pListFunctions, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

TRVInsertFunction::~TRVInsertFunction() = default;

QString TRVInsertFunction::Run()
{
    // Cleared through the view, not only its selection model: a list whose
    // current row was never set by the view takes its first row when it
    // gains the focus, and OK would then insert a function nobody chose.
    ui->m_pListFunctions->setCurrentIndex(QModelIndex());
    ui->m_pListFunctions->clearSelection();
    on_m_pListFunctions_currentRowChanged(-1);  // also when it was -1 already
    if (exec() != QDialog::Accepted)
        return {};
    const QListWidgetItem* current = ui->m_pListFunctions->currentItem();
    return current ? current->text() : QString();
}

void TRVInsertFunction::on_m_pListFunctions_currentRowChanged(int row)
{
    ui->m_pLabelInfo->setText(row >= 0 && row < ui->m_pListFunctions->count() ? FunctionHelpHtml(kFunctionHelp[row])
                                                                                : QString());
}

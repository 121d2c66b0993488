#include "editors/info/trvinfo.h"

#include "ui_trvinfo.h"

#include "editors/common/edithistory.h"
#include "editors/common/fieldinput.h"
#include "editors/common/listbuttons.h"

#include <QListWidgetItem>

TRVInfo::TRVInfo(QWidget* parent, bool hasFile)
    : QWidget(parent), ui(std::make_unique<Ui::TRVInfo>()), m_HasFile(hasFile)
{
    ui->setupUi(this);
    HoldFileText(this);
    DecorateListButtons(ui->m_pListAuthors, QStringLiteral("Author"), ui->m_pButAddAuthor, nullptr,
                        ui->m_pButDeleteAuthor, ui->m_pButMoveAuthorUp, ui->m_pButMoveAuthorDown);

    for (QLineEdit* edit : {ui->m_pEditMake, ui->m_pEditModel, ui->m_pEditVersion, ui->m_pEditProtocol})
        connect(edit, &QLineEdit::textChanged, this, &TRVInfo::savableDataChanged);
    connect(ui->m_pEditDescription, &QPlainTextEdit::textChanged, this, &TRVInfo::savableDataChanged);
    connect(ui->m_pListAuthors, &QListWidget::itemChanged, this, &TRVInfo::savableDataChanged);
    // A changed group is stored like every other field, so it must be saved too.
    connect(ui->m_pCmbGroupType, &QComboBox::editTextChanged, this, &TRVInfo::savableDataChanged);
}

TRVInfo::~TRVInfo() = default;

InfoFields TRVInfo::Fields() const
{
    InfoFields fields;
    fields.make = ui->m_pEditMake->text();
    fields.model = ui->m_pEditModel->text();
    fields.version = ui->m_pEditVersion->text();
    fields.group = ui->m_pCmbGroupType->currentText();
    fields.protocol = ui->m_pEditProtocol->text();
    fields.description = ui->m_pEditDescription->toPlainText();
    for (int row = 0; row < ui->m_pListAuthors->count(); ++row)
        fields.authors.append(ui->m_pListAuthors->item(row)->text());
    return fields;
}

void TRVInfo::SetFields(const InfoFields& fields)
{
    ui->m_pEditMake->setText(fields.make);
    ui->m_pEditModel->setText(fields.model);
    ui->m_pEditVersion->setText(fields.version);
    const int groupIndex = ui->m_pCmbGroupType->findText(fields.group, Qt::MatchFixedString);
    if (groupIndex >= 0)
        ui->m_pCmbGroupType->setCurrentIndex(groupIndex);
    ui->m_pCmbGroupType->setEditText(fields.group);
    ui->m_pEditProtocol->setText(fields.protocol);
    if (ui->m_pEditDescription->toPlainText() != fields.description)
        ui->m_pEditDescription->setPlainText(fields.description);
    ui->m_pListAuthors->clear();
    for (const QString& author : fields.authors) {
        auto* item = new QListWidgetItem(author);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        ui->m_pListAuthors->addItem(item);
    }
}

void TRVInfo::Load(ProductData_c* product)
{
    if (product)
        SetFields(LoadInfoFields(*product));
}

void TRVInfo::Store(ProductData_c* product)
{
    InfoFields fields = Fields();
    PrepareInfoForStore(fields, m_HasFile);
    // Only the filled-in line edits change; the authors and description stay as typed.
    ui->m_pEditMake->setText(fields.make);
    ui->m_pEditModel->setText(fields.model);
    ui->m_pEditVersion->setText(fields.version);
    ui->m_pEditProtocol->setText(fields.protocol);
    if (product)
        StoreInfoFields(fields, *product);
}

void TRVInfo::on_m_pButAddAuthor_clicked()
{
    const EditHistory::Step step(this, tr("Add Author"));
    auto* item = new QListWidgetItem(QStringLiteral("First Last"));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    ui->m_pListAuthors->addItem(item);
    ui->m_pListAuthors->setCurrentItem(item);
    ui->m_pListAuthors->editItem(item);
    emit savableDataChanged();
}

void TRVInfo::on_m_pButDeleteAuthor_clicked()
{
    const EditHistory::Step step(this, tr("Delete Author"));
    QListWidgetItem* current = ui->m_pListAuthors->currentItem();
    if (!current)
        return;
    std::unique_ptr<QListWidgetItem> removed(ui->m_pListAuthors->takeItem(ui->m_pListAuthors->row(current)));
    emit savableDataChanged();
}

void TRVInfo::on_m_pButMoveAuthorUp_clicked()
{
    MoveCurrentAuthor(-1);
}

void TRVInfo::on_m_pButMoveAuthorDown_clicked()
{
    MoveCurrentAuthor(+1);
}

void TRVInfo::MoveCurrentAuthor(int offset)
{
    const EditHistory::Step step(this, offset < 0 ? tr("Move Author Up") : tr("Move Author Down"));
    QListWidget* list = ui->m_pListAuthors;
    const int row = list->currentRow();
    const int target = row + offset;
    if (row < 0 || target < 0 || target >= list->count())
        return;
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(target, item);
    list->setCurrentItem(item);
    emit savableDataChanged();
}

#include "app/help/trvhelp.h"

#include "ui_trvhelp.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace {

constexpr int kPositionRole = Qt::UserRole;

} // namespace

TRVHelp::TRVHelp(QWidget* parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TRVHelp>())
{
    ui->setupUi(this);
    ui->m_pSplitter->setStretchFactor(1, 3);
    connect(ui->m_pTreeContents, &QTreeWidget::itemClicked, this, &TRVHelp::OnContentsClicked);
    // Keys move through the contents as well as clicks.
    connect(ui->m_pTreeContents, &QTreeWidget::itemActivated, this, &TRVHelp::OnContentsClicked);
    connect(ui->m_pEditSearch, &QLineEdit::returnPressed, this, &TRVHelp::OnFindNext);
    connect(ui->m_pButFindNext, &QPushButton::clicked, this, &TRVHelp::OnFindNext);
    connect(ui->m_pEditSearch, &QLineEdit::textChanged, ui->m_pLabelSearchStatus, &QLabel::clear);
    connect(ui->m_pButOpenPdf, &QPushButton::clicked, this, &TRVHelp::openPdf);
}

TRVHelp::~TRVHelp() = default;

QTextDocument* TRVHelp::Document() const
{
    return ui->m_pBrowser->document();
}

bool TRVHelp::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ui->m_pBrowser->setSearchPaths({QFileInfo(path).absolutePath()});
    ui->m_pBrowser->setMarkdown(QString::fromUtf8(file.readAll()));
    FillContents();
    return true;
}

void TRVHelp::FillContents()
{
    ui->m_pTreeContents->clear();
    QTreeWidgetItem* chapter = nullptr;
    for (QTextBlock block = Document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0)
            continue;
        QTreeWidgetItem* item = level <= 1 || !chapter ? new QTreeWidgetItem(ui->m_pTreeContents)
                                                       : new QTreeWidgetItem(chapter);
        if (level <= 1)
            chapter = item;
        item->setText(0, block.text());
        item->setData(0, kPositionRole, block.position());
    }
    ui->m_pTreeContents->expandAll();
}

void TRVHelp::OnContentsClicked(QTreeWidgetItem* item)
{
    if (item)
        ShowHeading(item->data(0, kPositionRole).toInt());
}

void TRVHelp::ShowHeading(int position)
{
    const QTextBlock block = Document()->findBlock(position);
    if (!block.isValid())
        return;
    ui->m_pBrowser->setTextCursor(QTextCursor(block));
    const qreal top = Document()->documentLayout()->blockBoundingRect(block).top();
    ui->m_pBrowser->verticalScrollBar()->setValue(static_cast<int>(top));
}

bool TRVHelp::Find(const QString& text)
{
    if (text.isEmpty())
        return false;
    if (ui->m_pBrowser->find(text))
        return true;
    ui->m_pBrowser->moveCursor(QTextCursor::Start);
    return ui->m_pBrowser->find(text);
}

void TRVHelp::OnFindNext()
{
    const QString text = ui->m_pEditSearch->text();
    ui->m_pLabelSearchStatus->setText(Find(text) || text.isEmpty() ? QString()
                                                                   : tr("\"%1\" is not in the tutorial.").arg(text));
}

#include "app/trvsplash.h"

#include "ui_trvsplash.h"

#include "app/productio.h"
#include "app/productlisting.h"
#include "app/resources.h"

namespace {

// The examples Tarvo wrote, by name.
QStringList ExampleNames(const QDir& folder)
{
    QStringList names;
    for (const QString& name : folder.entryList({QStringLiteral("*.prd")}, QDir::Files)) {
        if (ProductListingGroup(ReadWholeFile(folder.filePath(name))) >= 0)
            names.append(name);
    }
    return names;
}

} // namespace

TRVSplash::TRVSplash(QWidget* parent, const QString& folder, const QString& examples)
    : QDialog(parent), ui(std::make_unique<Ui::TRVSplash>())
{
    InitTarvoResources();
    ui->setupUi(this);
    m_Splash.load(QStringLiteral(":/Tarvo/Resources/splash.png"));
    if (!m_Splash.isNull())
        ui->m_pSplashImage->setPixmap(m_Splash);

    for (const QString& group : ProductGroupNames())
        m_Categories.append(new QTreeWidgetItem(QStringList{group}));

    m_Folder.setPath(folder);
    // On first run the folder the list and the Save As proposals point at is made.
    EnsureFolder(m_Folder.path());
    const QList<QStringList> listing = ListProductFiles(m_Folder.path());
    for (int group = 0; group < m_Categories.size(); ++group) {
        for (const QString& name : listing.value(group))
            m_Categories[group]->addChild(new QTreeWidgetItem(QStringList{name}));
    }
    for (int group = 0; group < m_Categories.size(); ++group) {
        if (m_Categories[group]->childCount() > 0) {
            ui->m_pListProductFiles->addTopLevelItem(m_Categories[group]);
            // The user's own files are what the dialog is for: shown, not folded away.
            m_Categories[group]->setExpanded(true);
        }
    }
    const bool noProductFiles = ui->m_pListProductFiles->topLevelItemCount() == 0;

    QStringList exampleNames;
    if (!examples.isEmpty()) {
        m_ExamplesFolder.setPath(examples);
        exampleNames = ExampleNames(m_ExamplesFolder);
    }
    if (!exampleNames.isEmpty()) {
        m_pExamples = new QTreeWidgetItem(QStringList{tr("Examples")});
        for (const QString& name : exampleNames) {
            auto* item = new QTreeWidgetItem(m_pExamples, QStringList{name});
            item->setToolTip(0, tr("Opens a copy of %1").arg(m_ExamplesFolder.filePath(name)));
        }
        ui->m_pListProductFiles->addTopLevelItem(m_pExamples);
        m_pExamples->setExpanded(true);
    }
    if (noProductFiles) {
        QString text = tr("No product files yet. Tarvo keeps them in:\n%1").arg(QDir::toNativeSeparators(folder));
        if (m_pExamples)
            text += tr("\nDouble-click an example below to start from a copy of it.");
        ui->label->setText(text);
        ui->label->setWordWrap(true);
    }

    connect(ui->m_pButNewFile, &QPushButton::clicked, this, &TRVSplash::newFile);
    connect(ui->m_pButNewFile, &QPushButton::clicked, this, &TRVSplash::accept);
    connect(ui->m_pButOpenFile, &QPushButton::clicked, this, qOverload<>(&TRVSplash::openFile));
    connect(ui->m_pButOpenFile, &QPushButton::clicked, this, &TRVSplash::accept);
    connect(ui->m_pListProductFiles, &QTreeWidget::itemDoubleClicked, this, &TRVSplash::OpenProductFile);
    connect(this, qOverload<QString>(&TRVSplash::openFile), this, &TRVSplash::accept);
    connect(this, &TRVSplash::openExample, this, &TRVSplash::accept);
    connect(ui->m_pButTutorial, &QPushButton::clicked, this, &TRVSplash::tutorial);
}

TRVSplash::~TRVSplash()
{
    // Categories that were never shown have no tree to own them.
    for (QTreeWidgetItem* category : m_Categories) {
        if (!category->treeWidget())
            std::unique_ptr<QTreeWidgetItem> unshown(category);
    }
}

void TRVSplash::OpenProductFile(QTreeWidgetItem* item, int)
{
    if (!item || !item->parent())
        return;
    if (item->parent() == m_pExamples)
        emit openExample(m_ExamplesFolder.filePath(item->text(0)));
    else
        emit openFile(m_Folder.path() + QLatin1Char('/') + item->text(0));
}

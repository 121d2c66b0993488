#include "app/trvsplash.h"

#include "ui_trvsplash.h"

#include "app/productlisting.h"
#include "app/resources.h"

TRVSplash::TRVSplash(QWidget* parent, const QString& folder)
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
    const QList<QStringList> listing = ListProductFiles(m_Folder.path());
    for (int group = 0; group < m_Categories.size(); ++group) {
        for (const QString& name : listing.value(group))
            m_Categories[group]->addChild(new QTreeWidgetItem(QStringList{name}));
    }
    for (int group = 0; group < m_Categories.size(); ++group) {
        if (m_Categories[group]->childCount() > 0)
            ui->m_pListProductFiles->addTopLevelItem(m_Categories[group]);
    }

    connect(ui->m_pButNewFile, &QPushButton::clicked, this, &TRVSplash::newFile);
    connect(ui->m_pButNewFile, &QPushButton::clicked, this, &TRVSplash::accept);
    connect(ui->m_pButOpenFile, &QPushButton::clicked, this, qOverload<>(&TRVSplash::openFile));
    connect(ui->m_pButOpenFile, &QPushButton::clicked, this, &TRVSplash::accept);
    connect(ui->m_pListProductFiles, &QTreeWidget::itemDoubleClicked, this, &TRVSplash::OpenProductFile);
    connect(this, qOverload<QString>(&TRVSplash::openFile), this, &TRVSplash::accept);
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
    if (item && item->parent())
        emit openFile(m_Folder.path() + QLatin1Char('/') + item->text(0));
}

#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QList>
#include <QPixmap>

#include <memory>

#include "app/productfiles.h"

namespace Ui {
class TRVSplash;
}

class QTreeWidgetItem;

// The start dialog: a splash picture, the product files of the product-files
// folder grouped by device group, the examples that come with Tarvo, and the
// ways on (new file, browse, open a listed file or a copy of an example,
// tutorial). Beyond creating the product-files folder on first run it does no
// file work itself: it emits its choice and then accepts itself, except for
// the tutorial.
class TRVSplash : public QDialog
{
    Q_OBJECT

public:
    // folder: where the product files are listed from (created when
    // missing); examples: where the examples are listed from (none when empty).
    explicit TRVSplash(QWidget* parent = nullptr, const QString& folder = ProductFilesFolder(),
                       const QString& examples = ExamplesFolder(QCoreApplication::applicationDirPath()));
    ~TRVSplash() override;

    QString Folder() const { return m_Folder.path(); }

signals:
    void newFile();
    void openFile();
    void openFile(QString path);
    // An example was double-clicked: path is the installed file, which the
    // receiver opens as an untitled copy.
    void openExample(QString path);
    void tutorial();

public slots:
    void OpenProductFile(QTreeWidgetItem* item, int column);

private:
    std::unique_ptr<Ui::TRVSplash> ui;
    QPixmap m_Splash;
    QDir m_Folder;
    QDir m_ExamplesFolder;
    // One per group, in group order; owned by the tree once shown, else here.
    QList<QTreeWidgetItem*> m_Categories;
    // The "Examples" heading; owned by the tree, null when there are none.
    QTreeWidgetItem* m_pExamples = nullptr;
};

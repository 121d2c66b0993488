#pragma once

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
// folder grouped by device group, and the ways on (new file, browse, open a
// listed file, tutorial). It does no file work itself: it emits its choice and
// then accepts itself, except for the tutorial.
class TRVSplash : public QDialog
{
    Q_OBJECT

public:
    // folder: where the product files are listed from.
    explicit TRVSplash(QWidget* parent = nullptr, const QString& folder = ProductFilesFolder());
    ~TRVSplash() override;

    QString Folder() const { return m_Folder.path(); }

signals:
    void newFile();
    void openFile();
    void openFile(QString path);
    void tutorial();

public slots:
    void OpenProductFile(QTreeWidgetItem* item, int column);

private:
    std::unique_ptr<Ui::TRVSplash> ui;
    QPixmap m_Splash;
    QDir m_Folder;
    // One per group, in group order; owned by the tree once shown, else here.
    QList<QTreeWidgetItem*> m_Categories;
};

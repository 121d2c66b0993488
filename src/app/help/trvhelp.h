#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class TRVHelp;
}

class QTextDocument;
class QTreeWidgetItem;

// The tutorial inside Tarvo: the markdown text with its pictures, a table of
// contents of its headings and a search field, so no PDF viewer is needed.
class TRVHelp : public QWidget
{
    Q_OBJECT

public:
    explicit TRVHelp(QWidget* parent = nullptr);
    ~TRVHelp() override;

    // Shows the markdown file at path; pictures are found relative to its
    // folder. False when the file cannot be read: the window then stays empty.
    bool Load(const QString& path);
    // Finds text after the cursor, starting over at the top when nothing
    // follows; false when the text is nowhere.
    bool Find(const QString& text);
    // Scrolls the heading's block to the top of the view.
    void ShowHeading(int position);
    QTextDocument* Document() const;

signals:
    // "Open as PDF" was pressed.
    void openPdf();

private:
    void FillContents();
    void OnContentsClicked(QTreeWidgetItem* item);
    void OnFindNext();

    std::unique_ptr<Ui::TRVHelp> ui;
};

#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

// How writing the tutorial PDF went.
struct TutorialPdfResult
{
    bool written = false;
    int pages = 0;
    // Images the text names that were not given: the PDF is not written.
    QStringList missingImages;
    QString error;
};

// Lays markdown out on A4 pages with Qt's own text engine, each image the text
// names (![caption](name)) taken from images and scaled down to the text
// width, and writes the pages to pdfPath.
TutorialPdfResult WriteTutorialPdf(const QString& markdown, const QHash<QString, QImage>& images,
                                   const QString& pdfPath);

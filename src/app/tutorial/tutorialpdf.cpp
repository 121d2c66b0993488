#include "app/tutorial/tutorialpdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

#include <cmath>

namespace {

// Layout units of QTextDocument: pixels at 96 dpi; PDF points are 1/72 inch.
constexpr qreal kLayoutPerPoint = 96.0 / 72.0;

QSizeF LayoutPageSize(const QPageLayout& layout)
{
    return layout.fullRectPoints().size() * kLayoutPerPoint;
}

// Registers each image fragment's picture and fits it into width; returns the
// names no picture was given for.
QStringList PlaceImages(QTextDocument& document, const QHash<QString, QImage>& images, qreal width)
{
    QStringList missing;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image = images.value(format.name());
            if (image.isNull()) {
                missing.append(format.name());
                continue;
            }
            document.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            const qreal scale = qMin<qreal>(1.0, width / image.width());
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
    return missing;
}

// A picture that does not fit below the text before it would start a new
// page and leave the rest of this one empty: it is made smaller to fit there
// instead, down to kSmallestFit of its size; only a picture that would be
// smaller still moves to the next page.
constexpr qreal kSmallestFit = 0.6;

// Shrinks the first picture, after those already done, that would leave its
// page's end empty; false when none is left. The document is laid out again
// in full before every look, so each picture sees where the ones before it
// went.
bool FitNextImage(QTextDocument& document, int* done)
{
    const qreal pageHeight = document.pageSize().height();
    const qreal margin = document.documentMargin();
    document.pageCount();
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    int seen = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlock previous = block.previous();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isImageFormat())
                continue;
            if (seen++ < *done || !previous.isValid())
                continue;
            ++*done;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const qreal top = layout->blockBoundingRect(previous).bottom() + block.blockFormat().topMargin();
            const qreal pageBottom = (std::floor(top / pageHeight) + 1) * pageHeight - margin;
            // Room for the line the picture sits on, not only the picture.
            const qreal room = pageBottom - top - 8;
            if (format.height() <= room || room < format.height() * kSmallestFit)
                return true;
            format.setWidth(format.width() * room / format.height());
            format.setHeight(room);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
            return true;
        }
    }
    return false;
}

void FitImagesOnPages(QTextDocument& document)
{
    int done = 0;
    while (FitNextImage(document, &done)) {
    }
}

} // namespace

TutorialPdfResult WriteTutorialPdf(const QString& markdown, const QHash<QString, QImage>& images,
                                   const QString& pdfPath)
{
    TutorialPdfResult result;
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(50, 50, 50, 50),
                             QPageLayout::Point);
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document.setMarkdown(markdown);
    const QSizeF page = LayoutPageSize(layout);
    // The document's own margin stands for the page margins, so its pages are
    // the PDF's pages one for one.
    document.setDocumentMargin(50 * kLayoutPerPoint);
    document.setPageSize(page);
    result.missingImages = PlaceImages(document, images, page.width() - 2 * document.documentMargin());
    if (!result.missingImages.isEmpty()) {
        result.error = QStringLiteral("no picture for %1").arg(result.missingImages.join(QStringLiteral(", ")));
        return result;
    }
    FitImagesOnPages(document);
    result.pages = document.pageCount();

    QPdfWriter writer(pdfPath);
    writer.setTitle(QStringLiteral("Tarvo tutorial"));
    writer.setCreator(QStringLiteral("Tarvo"));
    writer.setPageLayout(QPageLayout(layout.pageSize(), QPageLayout::Portrait, QMarginsF()));
    document.print(&writer);
    QFile written(pdfPath);
    if (!written.exists() || written.size() == 0) {
        result.error = QStringLiteral("%1 could not be written").arg(pdfPath);
        return result;
    }
    result.written = true;
    return result;
}

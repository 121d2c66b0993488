#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPalette>
#include <QTemporaryDir>
#include <QTextStream>

#include "app/tutorial/tutorialpdf.h"
#include "app/tutorial/tutorialdriver.h"
#include "app/tutorial/tutorialscreens.h"

// tarvo-tutorial MARKDOWN PDF [--examples DIR] [--screens DIR] [--save FILE] [--dark]:
// builds the tutorial's driver on the real pages offscreen, writes the
// tutorial PDF with their pictures and prints its page count.
int main(int argc, char* argv[])
{
    // Nothing the capture does may reach the real home (the start dialog makes
    // the product-files folder, the window's settings).
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("markdown"), QStringLiteral("The tutorial's text."));
    parser.addPositionalArgument(QStringLiteral("pdf"), QStringLiteral("The PDF to write."));
    parser.addOption({QStringLiteral("examples"), QStringLiteral("The examples the start dialog offers."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("screens"), QStringLiteral("Also keep the screenshots here as PNG."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("save"), QStringLiteral("Also save the driver the tutorial builds."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("dark"), QStringLiteral("Capture the pages with a dark palette, as on a dark desktop.")});
    parser.process(application);
    if (parser.isSet(QStringLiteral("dark"))) {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Button, QColor(53, 53, 56));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        dark.setColor(QPalette::ToolTipBase, QColor(30, 30, 30));
        dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
        dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
        dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(QPalette::HighlightedText, Qt::white);
        dark.setColor(QPalette::Link, QColor(110, 170, 255));
        dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
        dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
        dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
        QApplication::setPalette(dark);
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() != 2) {
        err << "usage: tarvo-tutorial MARKDOWN PDF [--examples DIR] [--screens DIR] [--save FILE]\n";
        return 2;
    }
    QFile text(files.at(0));
    if (!text.open(QIODevice::ReadOnly)) {
        err << "tarvo-tutorial: " << files.at(0) << ": " << text.errorString() << '\n';
        return 2;
    }
    const QString markdown = QString::fromUtf8(text.readAll());

    const QString save = parser.value(QStringLiteral("save"));
    const QString savePath = save.isEmpty() ? save : QFileInfo(save).absoluteFilePath();
    QStringList problems;
    const QHash<QString, QImage> screens = CaptureTutorialScreens(
        ReadTutorialValues(markdown), parser.value(QStringLiteral("examples")), savePath, &problems);
    if (!problems.isEmpty()) {
        for (const QString& problem : problems)
            err << "tarvo-tutorial: " << problem << '\n';
        return 1;
    }
    if (parser.isSet(QStringLiteral("screens"))) {
        const QDir folder(parser.value(QStringLiteral("screens")));
        for (auto it = screens.begin(); it != screens.end(); ++it) {
            const QString path = folder.filePath(it.key());
            QDir().mkpath(QFileInfo(path).path());
            it.value().save(path);
        }
    }
    const TutorialPdfResult result = WriteTutorialPdf(markdown, screens, files.at(1));
    if (!result.written) {
        err << "tarvo-tutorial: " << files.at(1) << ": " << result.error << '\n';
        return 1;
    }
    QTextStream(stdout) << "pages: " << result.pages << '\n';
    return 0;
}

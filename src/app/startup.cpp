#include "app/startup.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "app/tarvo.h"
#include "app/trvsplash.h"
#include "editors/common/prompts.h"

namespace {

const QString kGeometryKey = QStringLiteral("MainWindow/geometry");

} // namespace

void ConnectStartDialog(TRVSplash& dialog, Tarvo& window)
{
    QObject::connect(&dialog, &TRVSplash::newFile, &window, &Tarvo::on_actionNew_triggered);
    QObject::connect(&dialog, qOverload<>(&TRVSplash::openFile), &window, &Tarvo::on_actionOpen_triggered);
    QObject::connect(&dialog, qOverload<QString>(&TRVSplash::openFile), &window, &Tarvo::OpenFile);
    QObject::connect(&dialog, &TRVSplash::openExample, &window, &Tarvo::OpenCopy);
    QObject::connect(&dialog, &TRVSplash::tutorial, &window, &Tarvo::on_actionPRD_Creation_Guide_triggered);
    QObject::connect(&dialog, &TRVSplash::accepted, &window, &QWidget::show);
}

QString FileArgument(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The product file to open."));
    // Unknown options are no reason to refuse the file a file manager hands over.
    parser.parse(arguments);
    const QStringList files = parser.positionalArguments();
    return files.isEmpty() ? QString() : QFileInfo(files.constFirst()).absoluteFilePath();
}

std::unique_ptr<TRVSplash> StartTarvo(Tarvo& window, const QStringList& arguments)
{
    const QString file = FileArgument(arguments);
    if (file.isEmpty()) {
        auto dialog = std::make_unique<TRVSplash>();
        ConnectStartDialog(*dialog, window);
        dialog->show();
        return dialog;
    }
    window.show();
    if (QFileInfo(file).isFile()) {
        window.OpenFile(file);
    } else {
        Prompts::Current().Critical(&window, QObject::tr("Cannot Open File"),
                                    QObject::tr("The file %1 does not exist.").arg(file));
    }
    return nullptr;
}

std::unique_ptr<QSettings> TarvoSettings()
{
    return std::make_unique<QSettings>(QStringLiteral("Tarvo"), QStringLiteral("Tarvo"));
}

QSize DefaultWindowSize(const Tarvo& window, const QSize& available)
{
    // The tab widget's hint is its largest page's, and the window's hint adds
    // the menu bar and margins around it.
    QSize size = window.sizeHint();
    if (available.isValid())
        size = size.boundedTo(available);
    return size;
}

void RestoreWindowGeometry(Tarvo& window, QSettings& settings)
{
    if (window.restoreGeometry(settings.value(kGeometryKey).toByteArray()))
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    window.resize(DefaultWindowSize(window, screen ? screen->availableSize() : QSize()));
}

void SaveWindowGeometry(const Tarvo& window, QSettings& settings)
{
    settings.setValue(kGeometryKey, window.saveGeometry());
}

void KeepWindowGeometry(Tarvo& window, QSettings& settings)
{
    QObject::connect(&window, &Tarvo::quitting, &window, [&window, &settings] {
        SaveWindowGeometry(window, settings);
        settings.sync();
    });
}

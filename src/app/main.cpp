#include <QApplication>
#include <QSettings>

#include <memory>

#include "app/startup.h"
#include "app/tarvo.h"
#include "app/trvsplash.h"

int main(int argc, char* argv[])
{
    auto application = std::make_unique<QApplication>(argc, argv);
    std::unique_ptr<QSettings> settings = TarvoSettings();
    auto window = std::make_unique<Tarvo>();
    RestoreWindowGeometry(*window, *settings);
    // Only the window's Quit saves it: a window never shown (the start dialog
    // closed without a choice) has no geometry worth keeping.
    KeepWindowGeometry(*window, *settings);
    std::unique_ptr<TRVSplash> splash = StartTarvo(*window, QCoreApplication::arguments());
    const int status = application->exec();

    splash.reset();
    window.reset();
    settings.reset();
    application.reset();
    return status;
}

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
    std::unique_ptr<TRVSplash> splash = StartTarvo(*window, QCoreApplication::arguments());
    const int status = application->exec();

    // A window that was never shown (the start dialog closed without a choice)
    // has no geometry worth keeping.
    if (window->isVisible())
        SaveWindowGeometry(*window, *settings);
    settings.reset();
    splash.reset();
    window.reset();
    application.reset();
    return status;
}

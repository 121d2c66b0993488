#include <QApplication>

#include <memory>

#include "app/startup.h"
#include "app/tarvo.h"
#include "app/trvsplash.h"

int main(int argc, char* argv[])
{
    auto application = std::make_unique<QApplication>(argc, argv);
    auto window = std::make_unique<Tarvo>();
    auto splash = std::make_unique<TRVSplash>();
    ConnectStartDialog(*splash, *window);

    splash->show();
    const int status = application->exec();

    splash.reset();
    window.reset();
    application.reset();
    return status;
}

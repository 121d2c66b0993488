#include <QApplication>

#include <memory>

#include "app/tarvo.h"
#include "app/trvsplash.h"

int main(int argc, char* argv[])
{
    auto application = std::make_unique<QApplication>(argc, argv);
    auto window = std::make_unique<Tarvo>();
    auto splash = std::make_unique<TRVSplash>();

    QObject::connect(splash.get(), &TRVSplash::newFile, window.get(), &Tarvo::on_actionNew_triggered);
    QObject::connect(splash.get(), qOverload<>(&TRVSplash::openFile), window.get(), &Tarvo::on_actionOpen_triggered);
    QObject::connect(splash.get(), qOverload<QString>(&TRVSplash::openFile), window.get(), &Tarvo::OpenFile);
    QObject::connect(splash.get(), &TRVSplash::tutorial, window.get(), &Tarvo::on_actionPRD_Creation_Guide_triggered);
    QObject::connect(splash.get(), &TRVSplash::accepted, window.get(), &QWidget::show);

    splash->show();
    const int status = application->exec();

    splash.reset();
    window.reset();
    application.reset();
    return status;
}

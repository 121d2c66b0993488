#include "app/startup.h"

#include "app/tarvo.h"
#include "app/trvsplash.h"

void ConnectStartDialog(TRVSplash& dialog, Tarvo& window)
{
    QObject::connect(&dialog, &TRVSplash::newFile, &window, &Tarvo::on_actionNew_triggered);
    QObject::connect(&dialog, qOverload<>(&TRVSplash::openFile), &window, &Tarvo::on_actionOpen_triggered);
    QObject::connect(&dialog, qOverload<QString>(&TRVSplash::openFile), &window, &Tarvo::OpenFile);
    QObject::connect(&dialog, &TRVSplash::tutorial, &window, &Tarvo::on_actionPRD_Creation_Guide_triggered);
    QObject::connect(&dialog, &TRVSplash::accepted, &window, &QWidget::show);
}

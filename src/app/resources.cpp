#include "app/resources.h"

#include <QtGlobal>

static void InitTarvoQrc()
{
    Q_INIT_RESOURCE(tarvo);
}

void InitTarvoResources()
{
    static const bool done = (InitTarvoQrc(), true);
    (void)done;
}

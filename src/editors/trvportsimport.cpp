#include "editors/trvportsimport.h"

#include <QVBoxLayout>

TRVPortsImport::TRVPortsImport(QWidget* parent) : QWidget(parent)
{
    new QVBoxLayout(this);
}

TRVPortsImport::~TRVPortsImport() = default;

void TRVPortsImport::Load(ProductData_c*)
{
}

void TRVPortsImport::Store(ProductData_c*)
{
}

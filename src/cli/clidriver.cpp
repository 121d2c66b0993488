#include "cli/clidriver.h"

#include <QByteArray>

#include "cli/clicommon.h"
#include "cli/cliproduct.h"
#include "editors/events/trvevents.h"
#include "editors/ports/trvportsimport.h"
#include "editors/setup/trvsetup.h"
#include "editors/variables/trvvariables.h"

namespace tarvo::cli {

int DriverFile::Load(const std::string& path) {
  auto input = ReadInput(path);
  if (!input) return kExitUsage;
  QString error;
  if (!product_.Load(QByteArray(input->data(), static_cast<qsizetype>(input->size())), &error)) {
    ReportError(DisplayName(path), error.toStdString());
    return kExitUsage;
  }
  return kExitOk;
}

DriverModels DriverFile::Models() const {
  return product_.Pages() ? PageModels(*product_.Pages()) : DriverModels();
}

PortFields DriverFile::Ports() const {
  return product_.Pages() ? product_.Pages()->portsImport->Fields() : PortFields();
}

}  // namespace tarvo::cli

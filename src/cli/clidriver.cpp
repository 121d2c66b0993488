#include "cli/clidriver.h"

#include <QByteArray>
#include <QWidget>

#include "app/productio.h"
#include "app/producteditors.h"
#include "cli/clicommon.h"
#include "cli/cliproduct.h"
#include "editors/trvevents.h"
#include "editors/trvportsimport.h"
#include "editors/trvsetup.h"
#include "editors/trvvariables.h"
#include "model/document/productdatadocument.h"

namespace tarvo::cli {

DriverFile::DriverFile() = default;

DriverFile::~DriverFile() {
  if (pages_) pages_->Delete();
}

int DriverFile::Load(const std::string& path) {
  auto input = ReadInput(path);
  if (!input) return kExitUsage;
  ProductDataDocument_c document;
  ProductData_c* product = nullptr;
  bool wellFormed = true;
  const QByteArray text(input->data(), static_cast<qsizetype>(input->size()));
  const ProductLoadResult result = LoadProductText(document, text, product, &wellFormed);
  std::string problem;
  if (input->empty())
    problem = "empty file";
  else if (!wellFormed)
    problem = "not well-formed XML";
  else if (result == ProductLoadResult::NoProduct)
    problem = "no product element";
  else if (result == ProductLoadResult::NotWrittenByTarvo)
    problem = NotWrittenByTarvoText().toStdString();
  if (!problem.empty()) {
    ReportError(DisplayName(path), problem);
    return kExitUsage;
  }
  // The pages' parent stands in for the window: never shown.
  owner_ = std::make_unique<QWidget>();
  pages_ = std::make_unique<ProductEditors>();
  pages_->Rebuild(owner_.get(), true);
  pages_->Load(product);
  return kExitOk;
}

DriverModels DriverFile::Models() const {
  if (!pages_ || !pages_->events) return {};
  return {pages_->events->EventModel(), pages_->setup->MessageModel(), pages_->variables->Model()};
}

PortFields DriverFile::Ports() const {
  return pages_ && pages_->portsImport ? pages_->portsImport->Fields() : PortFields();
}

}  // namespace tarvo::cli

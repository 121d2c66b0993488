#pragma once

#include <string>

#include "app/producteditors.h"
#include "devicetest/driverscript.h"
#include "editors/ports/portfields.h"

namespace tarvo::cli {

// A product file loaded into the editor pages without a window, as File >
// Open loads it, for running or playing its driver. Needs an EditorSession.
class DriverFile {
 public:
  // Loads path; reports the problem (tarvo-cli: FILE: ...) and returns
  // kExitUsage when it cannot be read or is not a product file the window opens.
  int Load(const std::string& path);
  DriverModels Models() const;
  PortFields Ports() const;

 private:
  HeadlessProduct product_;
};

}  // namespace tarvo::cli

#pragma once

#include <memory>
#include <string>

#include "devicetest/driverscript.h"
#include "editors/portfields.h"

class QWidget;
struct ProductEditors;

namespace tarvo::cli {

// A product file loaded into the editor pages without a window, as File >
// Open loads it, for running or playing its driver. Needs an EditorSession.
class DriverFile {
 public:
  DriverFile();
  ~DriverFile();
  DriverFile(const DriverFile&) = delete;
  DriverFile& operator=(const DriverFile&) = delete;

  // Loads path; reports the problem (tarvo-cli: FILE: ...) and returns
  // kExitUsage when it cannot be read or is not a product file the window opens.
  int Load(const std::string& path);
  DriverModels Models() const;
  PortFields Ports() const;

 private:
  std::unique_ptr<QWidget> owner_;
  std::unique_ptr<ProductEditors> pages_;
};

}  // namespace tarvo::cli

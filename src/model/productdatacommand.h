#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/productdatamessage.h"
#include "model/showparam.h"
#include "model/showresource.h"

// An event of the driver (`command`): its parameters, operations and
// messages. The lists are made (with their wrappers) on first call and
// dropped whenever the command is bound again.
class ProductDataCommand_c : public ShowResource_c {
 public:
  ProductDataCommand_c();
  ~ProductDataCommand_c() override;

  SHOW_DECLARE_CREATE_NEW(ProductDataCommand_c)
  void SetChangeTracking(KorBool flag) override;
  // The resource binding, then the tag becomes `command`.
  KorStatus Bind(KorXML_c* element) override;
  // Also answers for the `description` element and the nodes of the lists
  // made so far.
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  // Text of the `description` child, created empty on first access.
  std::string GetDescription(KorStatus* status = nullptr) {
    return GetChildText("description", status);
  }
  KorStatus SetDescription(std::string_view text) { return SetChildText("description", text); }
  // 0 when absent.
  int32_t GetTimeout(KorStatus* status = nullptr) { return GetIntAttr("timeout", status); }
  KorStatus SetTimeout(int32_t ms) { return SetIntAttr("timeout", ms); }
  int32_t GetRetries(KorStatus* status = nullptr) { return GetIntAttr("retries", status); }
  KorStatus SetRetries(int32_t count) { return SetIntAttr("retries", count); }
  // Written "true" or "false"; never removed.
  KorBool IsUnsolicited() { return GetBoolAttr("unsolicited"); }
  KorStatus SetUnsolicited(bool flag) { return SetBoolAttr("unsolicited", flag, true); }

  // Null when unbound (no list is kept then).
  ProductDataParams_c* Params();
  ProductDataOperations_c* Operations();
  ProductDataMessages_c* Messages();

 protected:
  void Unbind() override;

 private:
  std::unique_ptr<ProductDataParams_c> m_params;
  std::unique_ptr<ProductDataOperations_c> m_operations;
  std::unique_ptr<ProductDataMessages_c> m_messages;
};

// The events of a protocol: wrapper `commands`; every child element is a
// command (its tag becomes `command` when bound).
class ProductDataCommands_c : public ShowTypedResources_c<ProductDataCommand_c> {
 public:
  ProductDataCommands_c() : ShowTypedResources_c("commands", "") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataCommands_c)
};

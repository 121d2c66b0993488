#pragma once

#include <cstdint>
#include <functional>
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

// The wrapper of a protocol's commands.
inline constexpr const char* PRODUCT_COMMANDS_TAG = "commands";

// The events of a protocol: wrapper `commands`; every child element is a
// command (its tag becomes `command` when bound). Commands a load kept as
// text (raw nodes) are not counted; TakeEachCommand reads both kinds.
class ProductDataCommands_c : public ShowTypedResources_c<ProductDataCommand_c> {
 public:
  ProductDataCommands_c() : ShowTypedResources_c(PRODUCT_COMMANDS_TAG, "") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataCommands_c)
};

// How many commands TakeEachCommand hands over: the counted items and the
// commands kept as text (every raw node under the wrapper counts as one).
int32_t CommandCount(ProductDataCommands_c& commands);

// Takes the commands out of the list one at a time, in document order, and
// hands each to use, bound to elements of its own, with the text it was kept
// as when the load kept it as text (empty otherwise). Each is freed, and its
// element taken out of the tree, when use returns, and the pool's free chunks
// are handed back every so often (KorPoolTrim), so that the commands are
// never all held as trees at once. A raw node that holds no command element
// is left in place and not handed over.
void TakeEachCommand(
    ProductDataCommands_c& commands,
    const std::function<void(ProductDataCommand_c& command, std::string_view text)>& use);

// A command bound to elements parsed from text (as TakeEachCommand hands
// them): a `commands` element holding the command element, owned by the
// command alone. Null when the text is not one element that parses without
// error.
std::unique_ptr<ProductDataCommand_c> CommandFromText(std::string_view text);

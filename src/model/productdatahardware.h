#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/productdatacommand.h"
#include "model/productdatamessage.h"
#include "model/showresource.h"
#include "model/showvariable.h"

// Port kinds: the index of the `type` keyword.
inline constexpr int32_t PRODUCT_PORT_NULL = 0;
inline constexpr int32_t PRODUCT_PORT_PROGRAMMER = 1;
inline constexpr int32_t PRODUCT_PORT_SERIAL = 2;
inline constexpr int32_t PRODUCT_PORT_ETHERNET = 3;
inline constexpr int32_t PRODUCT_PORT_DMX512 = 4;
inline constexpr int32_t PRODUCT_PORT_MIDI = 5;
inline constexpr int32_t PRODUCT_PORT_USB = 6;
inline constexpr int32_t PRODUCT_PORT_TYPE_COUNT = 7;

// Keyword of a port type index; null outside 0..6.
const char* ProductPortTypeKeyword(int32_t index);
// Index of a port type keyword (ASCII case ignored); 0 ("null") when unknown.
int32_t ProductPortTypeIndex(std::string_view keyword);

// Device groups: the index of the `group` keyword.
inline constexpr int32_t PRODUCT_GROUP_CUSTOM = 0;
inline constexpr int32_t PRODUCT_GROUP_AUDIO = 1;
inline constexpr int32_t PRODUCT_GROUP_CONTROL = 2;
inline constexpr int32_t PRODUCT_GROUP_DISPLAY = 3;
inline constexpr int32_t PRODUCT_GROUP_LIGHTING = 4;
inline constexpr int32_t PRODUCT_GROUP_PROJECTOR = 5;
inline constexpr int32_t PRODUCT_GROUP_VIDEO = 6;
inline constexpr int32_t PRODUCT_GROUP_COUNT = 7;

// Keyword of a group index; null outside 0..6.
const char* ProductGroupKeyword(int32_t index);
// Index of a group keyword (ASCII case ignored); KOR_FAIL when unknown.
int32_t ProductGroupIndex(std::string_view keyword);

// One record of port settings (`port_option`). The ports editor fills only
// the fields of the port's kind.
class ProductDataPortOption_c : public ShowResource_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ProductDataPortOption_c)
  // The resource binding, then the tag becomes `port_option`.
  KorStatus Bind(KorXML_c* element) override;

  std::string GetBaud(KorStatus* status = nullptr) { return GetStringAttr("baud", status); }
  KorStatus SetBaud(std::string_view text) { return SetStringAttr("baud", text); }
  std::string GetBits(KorStatus* status = nullptr) { return GetStringAttr("bits", status); }
  KorStatus SetBits(std::string_view text) { return SetStringAttr("bits", text); }
  std::string GetParity(KorStatus* status = nullptr) { return GetStringAttr("parity", status); }
  KorStatus SetParity(std::string_view text) { return SetStringAttr("parity", text); }
  std::string GetStopBits(KorStatus* status = nullptr) {
    return GetStringAttr("stop_bits", status);
  }
  KorStatus SetStopBits(std::string_view text) { return SetStringAttr("stop_bits", text); }
  std::string GetEType(KorStatus* status = nullptr) { return GetStringAttr("etype", status); }
  KorStatus SetEType(std::string_view text) { return SetStringAttr("etype", text); }
  std::string GetIPAddress(KorStatus* status = nullptr) {
    return GetStringAttr("ip_address", status);
  }
  KorStatus SetIPAddress(std::string_view text) { return SetStringAttr("ip_address", text); }
  // The port on the device; 0 when absent.
  int32_t GetEPort(KorStatus* status = nullptr) { return GetIntAttr("eport", status); }
  KorStatus SetEPort(int32_t port) { return SetIntAttr("eport", port); }
  // The local port for the device's messages; 0 (also when absent) asks for
  // a random one at run time.
  int32_t GetESPort(KorStatus* status = nullptr) { return GetIntAttr("esport", status); }
  KorStatus SetESPort(int32_t port) { return SetIntAttr("esport", port); }
};

// The option records of a port: wrapper `port_options`, any child element.
class ProductDataPortOptions_c : public ShowTypedResources_c<ProductDataPortOption_c> {
 public:
  ProductDataPortOptions_c() : ShowTypedResources_c("port_options", "") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataPortOptions_c)
};

// A port through which the device is reached (`port`): variable content
// plus its kind in `type` and its option records.
class ProductDataPort_c : public ShowResourceIO_c {
 public:
  ProductDataPort_c();
  ~ProductDataPort_c() override;

  SHOW_DECLARE_CREATE_NEW(ProductDataPort_c)
  void SetChangeTracking(KorBool flag) override;
  // The variable binding, then the tag becomes `port`; the option list is
  // dropped and made again on next access.
  KorStatus Bind(KorXML_c* element) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  // Writes the keyword of index 0..6; KOR_FAIL (nothing written) otherwise.
  KorStatus SetType(int32_t index);
  // Index of the stored keyword; 0 ("null") when absent or unknown.
  int32_t GetType();

  // The option list, made (with `port_options`) on first call; null when
  // unbound.
  ProductDataPortOptions_c* PortOptions();

 protected:
  void Unbind() override;

 private:
  std::unique_ptr<ProductDataPortOptions_c> m_options;
};

// The ports of a protocol or of the hardware block: wrapper `ports`, any
// child element.
class ProductDataPorts_c : public ShowTypedResources_c<ProductDataPort_c, ShowResourceIOs_c> {
 public:
  ProductDataPorts_c() : ShowTypedResources_c("ports", "") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataPorts_c)
};

// A protocol (`protocol`): everything the driver does. Binding makes and
// binds its ports, setup messages, commands and variables, in that order,
// creating the missing wrappers.
class ProductDataProtocol_c : public ShowResource_c {
 public:
  ProductDataProtocol_c();
  ~ProductDataProtocol_c() override;

  SHOW_DECLARE_CREATE_NEW(ProductDataProtocol_c)
  void SetChangeTracking(KorBool flag) override;
  // Fails at the first list that cannot be bound; the lists bound before
  // it stay.
  KorStatus Bind(KorXML_c* element) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  // The lists made at bind time; null when unbound.
  ProductDataPorts_c* Ports() const { return m_ports.get(); }
  ProductDataSetupMessages_c* SetupMessages() const { return m_setupMessages.get(); }
  ProductDataCommands_c* Commands() const { return m_commands.get(); }
  ShowDataVariables_c* Variables() const { return m_variables.get(); }

 protected:
  void Unbind() override;

 private:
  void DropLists();

  std::unique_ptr<ProductDataPorts_c> m_ports;
  std::unique_ptr<ProductDataSetupMessages_c> m_setupMessages;
  std::unique_ptr<ProductDataCommands_c> m_commands;
  std::unique_ptr<ShowDataVariables_c> m_variables;
};

// The protocols of a product: wrapper `protocols`, any child element. The
// editors use the first protocol.
class ProductDataProtocols_c : public ShowTypedResources_c<ProductDataProtocol_c> {
 public:
  ProductDataProtocols_c() : ShowTypedResources_c("protocols", "") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataProtocols_c)
};

// The hardware block (`hardware` under `product`): the device's group and
// its ports. Bound from the product element; it finds or creates
// `hardware` there and then binds its port list.
class ProductDataHardware_c : public ShowXMLInterface_c {
 public:
  ProductDataHardware_c();
  ~ProductDataHardware_c() override;

  SHOW_DECLARE_CREATE_NEW(ProductDataHardware_c)
  void SetChangeTracking(KorBool flag) override;
  KorStatus Bind(KorXML_c* element) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  // Writes word as given when it is one of the seven group keywords (ASCII
  // case ignored); KOR_FAIL and nothing written otherwise.
  KorStatus SetGroup(std::string_view word);
  // The stored text, as written.
  std::string GetGroup(KorStatus* status = nullptr) { return GetStringAttr("group", status); }
  // Index of the stored word; 0 ("custom") when absent or unknown.
  int32_t GetGroupIndex();

  // Null when unbound.
  ProductDataPorts_c* Ports() const { return m_ports.get(); }

 protected:
  void Unbind() override;
  KorXML_c* BindSource() const override;

 private:
  std::unique_ptr<ProductDataPorts_c> m_ports;
};

#include "model/productdatahardware.h"

#include "foundation/korstring.h"
#include "foundation/xml/korxml.h"
#include "model/productdatadetail.h"

using productdata_detail::BoundChild;
using productdata_detail::FindOwnerAmong;
using productdata_detail::LazyList;

namespace {

constexpr const char* kPortTypes[PRODUCT_PORT_TYPE_COUNT] = {
    "null", "programmer", "serial", "ethernet", "dmx512", "midi", "usb"};

constexpr const char* kGroups[PRODUCT_GROUP_COUNT] = {"custom",   "audio",     "control", "display",
                                                      "lighting", "projector", "video"};

template <size_t N>
int32_t IndexOf(const char* const (&words)[N], std::string_view word) {
  for (size_t i = 0; i < N; ++i)
    if (KorString_c::EqualsIgnoreCase(words[i], word)) return static_cast<int32_t>(i);
  return KOR_FAIL;
}

}  // namespace

const char* ProductPortTypeKeyword(int32_t index) {
  if (index < 0 || index >= PRODUCT_PORT_TYPE_COUNT) return nullptr;
  return kPortTypes[index];
}

int32_t ProductPortTypeIndex(std::string_view keyword) {
  int32_t index = IndexOf(kPortTypes, keyword);
  return index < 0 ? PRODUCT_PORT_NULL : index;
}

const char* ProductGroupKeyword(int32_t index) {
  if (index < 0 || index >= PRODUCT_GROUP_COUNT) return nullptr;
  return kGroups[index];
}

int32_t ProductGroupIndex(std::string_view keyword) { return IndexOf(kGroups, keyword); }

// ---------------------------------------------------------------------------
// ProductDataPortOption_c

KorStatus ProductDataPortOption_c::Bind(KorXML_c* element) {
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("port_option");
  return KOR_OK;
}

// ---------------------------------------------------------------------------
// ProductDataPort_c

ProductDataPort_c::ProductDataPort_c() = default;
ProductDataPort_c::~ProductDataPort_c() = default;

void ProductDataPort_c::SetChangeTracking(KorBool flag) {
  ShowResourceIO_c::SetChangeTracking(flag);
  if (m_options) m_options->SetChangeTracking(flag);
}

KorStatus ProductDataPort_c::Bind(KorXML_c* element) {
  if (ShowResourceIO_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("port");
  return KOR_OK;
}

void ProductDataPort_c::Unbind() {
  m_options.reset();
  ShowResourceIO_c::Unbind();
}

ShowXMLInterface_c* ProductDataPort_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowResourceIO_c::FindOwner(node)) return owner;
  return FindOwnerAmong(node, m_options.get());
}

KorStatus ProductDataPort_c::SetType(int32_t index) {
  const char* keyword = ProductPortTypeKeyword(index);
  if (!keyword || !IsBound()) return KOR_FAIL;
  return SetStringAttr("type", keyword);
}

int32_t ProductDataPort_c::GetType() {
  KorStatus status = KOR_FAIL;
  std::string word = GetStringAttr("type", &status);
  if (status != KOR_OK) return PRODUCT_PORT_NULL;
  return ProductPortTypeIndex(word);
}

ProductDataPortOptions_c* ProductDataPort_c::PortOptions() { return LazyList(m_options, this); }

// ---------------------------------------------------------------------------
// ProductDataProtocol_c

ProductDataProtocol_c::ProductDataProtocol_c() = default;
ProductDataProtocol_c::~ProductDataProtocol_c() = default;

void ProductDataProtocol_c::SetChangeTracking(KorBool flag) {
  ShowResource_c::SetChangeTracking(flag);
  if (m_ports) m_ports->SetChangeTracking(flag);
  if (m_setupMessages) m_setupMessages->SetChangeTracking(flag);
  if (m_commands) m_commands->SetChangeTracking(flag);
  if (m_variables) m_variables->SetChangeTracking(flag);
}

void ProductDataProtocol_c::DropLists() {
  m_variables.reset();
  m_commands.reset();
  m_setupMessages.reset();
  m_ports.reset();
}

void ProductDataProtocol_c::Unbind() {
  DropLists();
  ShowResource_c::Unbind();
}

KorStatus ProductDataProtocol_c::Bind(KorXML_c* element) {
  if (ShowResource_c::Bind(element) != KOR_OK) return KOR_FAIL;
  SetTag("protocol");
  // The four wrappers are made in this order, so a saved protocol always
  // holds them (after any it already had).
  m_ports = BoundChild<ProductDataPorts_c>(this, element);
  if (!m_ports) return KOR_FAIL;
  m_setupMessages = BoundChild<ProductDataSetupMessages_c>(this, element);
  if (!m_setupMessages) return KOR_FAIL;
  m_commands = BoundChild<ProductDataCommands_c>(this, element);
  if (!m_commands) return KOR_FAIL;
  m_variables = BoundChild<ShowDataVariables_c>(this, element);
  if (!m_variables) return KOR_FAIL;
  return KOR_OK;
}

ShowXMLInterface_c* ProductDataProtocol_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowResource_c::FindOwner(node)) return owner;
  return FindOwnerAmong(node, m_ports.get(), m_setupMessages.get(), m_commands.get(),
                        m_variables.get());
}

// ---------------------------------------------------------------------------
// ProductDataHardware_c

ProductDataHardware_c::ProductDataHardware_c() = default;
ProductDataHardware_c::~ProductDataHardware_c() = default;

void ProductDataHardware_c::SetChangeTracking(KorBool flag) {
  ShowXMLInterface_c::SetChangeTracking(flag);
  if (m_ports) m_ports->SetChangeTracking(flag);
}

void ProductDataHardware_c::Unbind() {
  m_ports.reset();
  ShowXMLInterface_c::Unbind();
}

KorXML_c* ProductDataHardware_c::BindSource() const {
  return GetElement() ? GetElement()->GetParent() : nullptr;
}

KorStatus ProductDataHardware_c::Bind(KorXML_c* element) {
  Unbind();
  if (!element || element->GetType() != KOR_XML_ELEMENT) return KOR_FAIL;
  if (AttachElement(FindOrCreateChildElement(element, "hardware"), "hardware") != KOR_OK)
    return KOR_FAIL;
  m_ports = BoundChild<ProductDataPorts_c>(this, GetElement());
  return m_ports ? KOR_OK : KOR_FAIL;
}

ShowXMLInterface_c* ProductDataHardware_c::FindOwner(const KorXML_c* node) {
  if (ShowXMLInterface_c* owner = ShowXMLInterface_c::FindOwner(node)) return owner;
  return FindOwnerAmong(node, m_ports.get());
}

KorStatus ProductDataHardware_c::SetGroup(std::string_view word) {
  if (!IsBound() || ProductGroupIndex(word) < 0) return KOR_FAIL;
  return SetStringAttr("group", word);
}

int32_t ProductDataHardware_c::GetGroupIndex() {
  KorStatus status = KOR_FAIL;
  std::string word = GetStringAttr("group", &status);
  if (status != KOR_OK) return PRODUCT_GROUP_CUSTOM;
  int32_t index = ProductGroupIndex(word);
  return index < 0 ? PRODUCT_GROUP_CUSTOM : index;
}

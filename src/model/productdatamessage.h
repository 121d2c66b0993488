#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/showparam.h"
#include "model/showresource.h"
#include "model/showvariable.h"

// One piece of a message (`substring`): a typed value whose `result` holds
// its part of the stored argument text or pattern.
class ProductDataSubstring_c : public ShowResourceVariable_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ProductDataSubstring_c)
  // The variable binding, then the tag becomes `substring`.
  KorStatus Bind(KorXML_c* element) override;

  std::string GetResult(KorStatus* status = nullptr) { return GetStringAttr("result", status); }
  KorStatus SetResult(std::string_view text) { return SetStringAttr("result", text); }
};

// The substrings of a message: wrapper `substrings`, items `substring`.
class ProductDataSubstrings_c
    : public ShowTypedResources_c<ProductDataSubstring_c, ShowResourceVariables_c> {
 public:
  ProductDataSubstrings_c() : ShowTypedResources_c("substrings", "substring") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataSubstrings_c)
};

// A computed value (`operation`): `name` receives the formula in `result`.
class ProductDataOperation_c : public ShowResourceVariable_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ProductDataOperation_c)
  // The variable binding, then the tag becomes `operation`.
  KorStatus Bind(KorXML_c* element) override;

  std::string GetResult(KorStatus* status = nullptr) { return GetStringAttr("result", status); }
  KorStatus SetResult(std::string_view text) { return SetStringAttr("result", text); }
};

// The operations of a command or message: wrapper `operations`, items
// `operation`.
class ProductDataOperations_c
    : public ShowTypedResources_c<ProductDataOperation_c, ShowResourceVariables_c> {
 public:
  ProductDataOperations_c() : ShowTypedResources_c("operations", "operation") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataOperations_c)
};

// One outgoing message or incoming response (`message`). The outgoing text
// is stored in `format` as the arguments of a sprintf call, the response
// pattern in `regexp_format`; the element text is an example response.
// The three lists are made (with their wrappers) on first call and dropped
// whenever the message is bound again.
class ProductDataMessage_c : public ShowResource_c {
 public:
  ProductDataMessage_c();
  ~ProductDataMessage_c() override;

  SHOW_DECLARE_CREATE_NEW(ProductDataMessage_c)
  void SetChangeTracking(KorBool flag) override;
  // The resource binding, then the tag becomes `message`.
  KorStatus Bind(KorXML_c* element) override;
  // Also answers for the nodes of the lists made so far.
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  std::string GetFormat(KorStatus* status = nullptr) { return GetStringAttr("format", status); }
  KorStatus SetFormat(std::string_view text) { return SetStringAttr("format", text); }
  std::string GetRegexpFormat(KorStatus* status = nullptr) {
    return GetStringAttr("regexp_format", status);
  }
  KorStatus SetRegexpFormat(std::string_view text) { return SetStringAttr("regexp_format", text); }
  // False (outgoing) removes the attribute.
  KorBool IsIncoming() { return GetBoolAttr("incoming"); }
  KorStatus SetIncoming(bool flag) { return SetBoolAttr("incoming", flag); }
  // The stored text was typed by hand and is not regenerated.
  KorBool IsManual() { return GetBoolAttr("manual"); }
  KorStatus SetManual(bool flag) { return SetBoolAttr("manual", flag); }

  // Null when unbound (no list is kept then).
  ProductDataParams_c* Params();
  ProductDataSubstrings_c* Substrings();
  ProductDataOperations_c* Operations();

 protected:
  void Unbind() override;

 private:
  std::unique_ptr<ProductDataParams_c> m_params;
  std::unique_ptr<ProductDataSubstrings_c> m_substrings;
  std::unique_ptr<ProductDataOperations_c> m_operations;
};

// The messages of a command: wrapper `messages`, items `message` (the
// outgoing message first, then the incoming response).
class ProductDataMessages_c : public ShowTypedResources_c<ProductDataMessage_c> {
 public:
  ProductDataMessages_c() : ShowTypedResources_c("messages", "message") {}
  ProductDataMessages_c(const char* wrapperTag, const char* itemTag)
      : ShowTypedResources_c(wrapperTag, itemTag) {}
  SHOW_DECLARE_CREATE_NEW(ProductDataMessages_c)
};

// A setup (login) message of a protocol; the same content as a message.
class ProductDataSetupMessage_c : public ProductDataMessage_c {
 public:
  SHOW_DECLARE_CREATE_NEW(ProductDataSetupMessage_c)
};

// The setup messages of a protocol: wrapper `setup_messages`, items
// `message`, in the order they are exchanged.
class ProductDataSetupMessages_c
    : public ShowTypedResources_c<ProductDataSetupMessage_c, ProductDataMessages_c> {
 public:
  ProductDataSetupMessages_c() : ShowTypedResources_c("setup_messages", "message") {}
  SHOW_DECLARE_CREATE_NEW(ProductDataSetupMessages_c)
};

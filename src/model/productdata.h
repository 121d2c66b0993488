#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/productdatahardware.h"
#include "model/showresource.h"

// Values the save path stamps on the product element.
inline constexpr const char* PRODUCT_XMLNS_XSI = "http://www.w3.org/2001/XMLSchema-instance";
inline constexpr const char* PRODUCT_SCHEMA_LOCATION = "shell.xsd";
inline constexpr int32_t PRODUCT_CREATOR_VERSION = 2;

// The list of authors (`authors` under `info`): plain `author` elements
// addressed by index, one name as the text of each. Bound from the info
// element; it finds or creates `authors` there.
class ShowDataInfoAuthors_c : public ShowXMLInterface_c {
 public:
  ShowDataInfoAuthors_c();
  ~ShowDataInfoAuthors_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowDataInfoAuthors_c)
  KorStatus Bind(KorXML_c* element) override;
  // Also answers for the author elements and their text.
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;
  void NodeDestroyed(const KorXML_c* node) override;

  // Number of child elements with a tag; 0 when unbound.
  int32_t AuthorCount() const;
  // Text of the author at index. With create, empty `author` elements are
  // appended first until the index exists. Without such an author: "" and
  // KOR_FAIL, nothing created.
  std::string GetAuthor(int32_t index, KorStatus* status = nullptr, bool create = false);
  KorStatus SetAuthor(int32_t index, std::string_view name, bool create = true);

 protected:
  void Unbind() override;
  KorXML_c* BindSource() const override;

 private:
  // The author element at index, appending empty ones when create is set.
  KorXML_c* AuthorNode(int32_t index, bool create);

  // Child elements of `authors` with a tag, in document order; not owned.
  // The document tells us (NodeDestroyed) when one goes.
  std::vector<KorXML_c*> m_authors;
};

// Device information (`info` under `product`): description, version and
// authors. Bound from the product element; it finds or creates `info`
// there, then binds its authors.
class ShowDataInfo_c : public ShowXMLInterface_c {
 public:
  ShowDataInfo_c();
  ~ShowDataInfo_c() override;

  SHOW_DECLARE_CREATE_NEW(ShowDataInfo_c)
  void SetChangeTracking(KorBool flag) override;
  KorStatus Bind(KorXML_c* element) override;
  // Also answers for the `version` and `description` elements (and their
  // text) and for the authors.
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  // Text of `description`, created empty on first access.
  std::string GetDescription(KorStatus* status = nullptr) {
    return GetChildText("description", status);
  }
  KorStatus SetDescription(std::string_view text) { return SetChildText("description", text); }
  // Text of `version`, created with "1.0" on first access.
  std::string GetVersion(KorStatus* status = nullptr) {
    return GetChildText("version", status, kDefaultVersion);
  }
  KorStatus SetVersion(std::string_view text) {
    return SetChildText("version", text, kDefaultVersion);
  }

  // Null when unbound.
  ShowDataInfoAuthors_c* Authors() const { return m_authors.get(); }

  static constexpr const char* kDefaultVersion = "1.0";

 protected:
  void Unbind() override;
  KorXML_c* BindSource() const override;

 private:
  std::unique_ptr<ShowDataInfoAuthors_c> m_authors;
};

// The root of a product file's data (`product`). Bound to the document
// node: it finds the first `product` element there (ASCII case ignored) or
// appends one, then makes and binds info, hardware and protocols in that
// order.
class ProductData_c : public ShowXMLInterface_c {
 public:
  ProductData_c();
  ~ProductData_c() override;

  SHOW_DECLARE_CREATE_NEW(ProductData_c)
  void SetChangeTracking(KorBool flag) override;
  // KOR_FAIL (and no children) unless node is a document node.
  KorStatus Bind(KorXML_c* node) override;
  ShowXMLInterface_c* FindOwner(const KorXML_c* node) override;

  std::string GetMake(KorStatus* status = nullptr) { return GetStringAttr("make", status); }
  KorStatus SetMake(std::string_view text) { return SetStringAttr("make", text); }
  std::string GetModel(KorStatus* status = nullptr) { return GetStringAttr("model", status); }
  KorStatus SetModel(std::string_view text) { return SetStringAttr("model", text); }
  std::string GetXmlnsXsi(KorStatus* status = nullptr) {
    return GetStringAttr("xmlns:xsi", status);
  }
  KorStatus SetXmlnsXsi(std::string_view text) { return SetStringAttr("xmlns:xsi", text); }
  std::string GetSchemaLocation(KorStatus* status = nullptr) {
    return GetStringAttr("xsi:noNamespaceSchemaLocation", status);
  }
  KorStatus SetSchemaLocation(std::string_view text) {
    return SetStringAttr("xsi:noNamespaceSchemaLocation", text);
  }
  // Whether this system wrote the file; a product that is not is refused on
  // open.
  KorBool IsCreator() { return GetBoolAttr("creator"); }
  KorStatus SetCreator(bool flag) { return SetBoolAttr("creator", flag); }
  int32_t GetCreatorVersion(KorStatus* status = nullptr) {
    return GetIntAttr("creator_ver", status);
  }
  KorStatus SetCreatorVersion(int32_t version) { return SetIntAttr("creator_ver", version); }

  // Sets the four attributes every save writes, in the order they appear in
  // the file: `xmlns:xsi`, `xsi:noNamespaceSchemaLocation`, `creator` true
  // and `creator_ver` 2.
  KorStatus StampCreator();

  // The owned children; null when unbound.
  ShowDataInfo_c* Info() const { return m_info.get(); }
  ProductDataHardware_c* Hardware() const { return m_hardware.get(); }
  ProductDataProtocols_c* Protocols() const { return m_protocols.get(); }
  // The first protocol, appended when there is none (the editors work on
  // it); null when unbound.
  ProductDataProtocol_c* FirstProtocol();

 protected:
  void Unbind() override;
  KorXML_c* BindSource() const override;

 private:
  void DropChildren();

  std::unique_ptr<ShowDataInfo_c> m_info;
  std::unique_ptr<ProductDataHardware_c> m_hardware;
  std::unique_ptr<ProductDataProtocols_c> m_protocols;
};

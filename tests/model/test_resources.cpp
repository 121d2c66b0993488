#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

#include "foundation/xml/showxml.h"
#include "model/showparam.h"
#include "model/showresource.h"
#include "model/showrules.h"
#include "model/showvariable.h"
#include "modeltesting.h"

using namespace model_test;

namespace {

constexpr const char* kItem =
    "<?xml version=\"1.0\"?><root><item name=\"a\" n=\"7\" flag=\"yes\">text</item>"
    "<other/></root>";

constexpr const char* kParams =
    "<?xml version=\"1.0\"?><root><params>"
    "<param name=\"one\"/><x name=\"skip\"/><PARAM name=\"Two\"/><!-- note -->"
    "<param name=\"three\"/><tail/></params></root>";

int CountAttributes(const KorXML_c* element, std::string_view name) {
  int count = 0;
  for (KorObject_c* object : *element->PeekChildren()) {
    auto* child = static_cast<KorXML_c*>(object);
    if (child->GetType() == KOR_XML_ATTRIBUTE && child->GetName() == name) ++count;
  }
  return count;
}

std::vector<std::string> Names(ShowResources_c& list) {
  std::vector<std::string> names;
  for (int32_t i = 0; i < list.Count(); ++i) names.push_back(list.Item(i)->GetName());
  return names;
}

// The params list of kParams, bound and reporting to its document.
struct ParamsFixture {
  ShowDocument_c document;
  ShowDataParams_c params;
  ParamsFixture() {
    LoadText(document, kParams);
    params.SetDocument(&document);
    EXPECT_EQ(params.Bind(At(document, "root")), KOR_OK);
  }
};

// A resource bound to root/item of kItem, reporting to its document.
struct ItemFixture {
  ShowDocument_c document;
  ShowResource_c resource;
  KorXML_c* item = nullptr;
  ItemFixture() {
    LoadText(document, kItem);
    item = At(document, "root/item");
    resource.SetDocument(&document);
    resource.Bind(item);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// Binding and attribute access

TEST(ShowXMLInterface, UnboundObjectsFailWithoutCreating) {
  ShowResource_c resource;
  KorStatus status = KOR_OK;
  EXPECT_EQ(resource.GetName(&status), "");
  EXPECT_EQ(status, KOR_FAIL);
  EXPECT_EQ(resource.SetName("x"), KOR_FAIL);
  EXPECT_EQ(resource.GetIntAttr("n", &status), 0);
  EXPECT_EQ(status, KOR_FAIL);
  EXPECT_EQ(resource.GetBoolAttr("f"), KOR_FALSE);
  EXPECT_EQ(resource.SetBoolAttr("f", false), KOR_FAIL);
  EXPECT_EQ(resource.GetChildText("version", &status), "");
  EXPECT_EQ(status, KOR_FAIL);
  EXPECT_EQ(resource.Rebind(), KOR_FAIL);

  ShowDataParams_c list;
  EXPECT_EQ(list.Item(0, true), nullptr);
  EXPECT_EQ(list.Append(), nullptr);
  EXPECT_EQ(list.RemoveCurrent(), KOR_FAIL);
}

TEST(ShowXMLInterface, BindAcceptsElementsOnly) {
  ShowDocument_c document;
  LoadText(document, kItem);
  KorXML_c* item = At(document, "root/item");
  ShowResource_c resource;
  EXPECT_EQ(resource.Bind(item->FindAttribute("name")), KOR_FAIL);
  EXPECT_FALSE(resource.IsBound());
  EXPECT_EQ(resource.Bind(document.GetXMLDocument()), KOR_FAIL);
  // The document node suits a plain view (the product root binds there).
  ShowXMLInterface_c view;
  EXPECT_EQ(view.Bind(document.GetXMLDocument()), KOR_OK);
  // A node of unknown kind is made an element.
  KorXML_c odd(static_cast<uint8_t>(42));
  odd.SetName("odd");
  EXPECT_EQ(resource.Bind(&odd), KOR_OK);
  EXPECT_EQ(odd.GetType(), KOR_XML_ELEMENT);
  EXPECT_EQ(odd.GetName(), "resource");
}

TEST(ShowXMLInterface, StringAttributesAreCreatedOnceAndTrackChanges) {
  ItemFixture f;
  EXPECT_EQ(f.item->GetName(), "resource");
  EXPECT_EQ(f.document.IsModified(), KOR_FALSE);
  EXPECT_EQ(f.resource.SetName("a"), KOR_OK);
  EXPECT_EQ(f.document.IsModified(), KOR_FALSE) << "an unchanged value is no change";
  EXPECT_EQ(f.resource.SetName("b"), KOR_OK);
  EXPECT_EQ(f.document.IsModified(), KOR_TRUE);
  EXPECT_EQ(f.document.HistoryCount(), 1);

  // Reading an absent attribute creates it, empty, exactly once.
  KorStatus status = KOR_FAIL;
  EXPECT_EQ(f.resource.GetStringAttr("missing", &status), "");
  EXPECT_EQ(status, KOR_OK);
  f.resource.GetStringAttr("missing");
  f.resource.SetStringAttr("missing", "now");
  EXPECT_EQ(CountAttributes(f.item, "missing"), 1);
  // An initial text is used only when the attribute is created.
  EXPECT_EQ(f.resource.GetStringAttr("init", nullptr, "5"), "5");
  EXPECT_EQ(f.resource.GetStringAttr("n", nullptr, "5"), "7");

  // A name built at run time may change or go once the call returns.
  std::string name = "alpha";
  f.resource.SetStringAttr(name.c_str(), "1");
  name.replace(0, 5, "gamma");
  EXPECT_EQ(f.resource.GetStringAttr(name.c_str()), "");
  EXPECT_EQ(f.resource.GetStringAttr("alpha"), "1");
}

TEST(ShowXMLInterface, IntegerAndBooleanAttributes) {
  ItemFixture f;
  const std::tuple<const char*, int32_t, KorStatus> integers[] = {
      {"7", 7, KOR_OK},     {"-12", -12, KOR_OK},         {" 40 ", 40, KOR_OK},
      {"", 0, KOR_FAIL},    {"abc", 0, KOR_FAIL},         {"12a", 0, KOR_FAIL},
      {"1.5", 0, KOR_FAIL}, {"99999999999", 0, KOR_FAIL}, {"2147483647", 2147483647, KOR_OK}};
  for (const auto& [text, value, expected] : integers) {
    f.resource.SetStringAttr("n", text);
    KorStatus status = KOR_OK;
    EXPECT_EQ(f.resource.GetIntAttr("n", &status), value) << text;
    EXPECT_EQ(status, expected) << text;
  }
  EXPECT_EQ(f.resource.SetIntAttr("n", -2147483647), KOR_OK);
  EXPECT_EQ(f.item->GetAttribute("n"), "-2147483647");
  const std::pair<const char*, KorBool> booleans[] = {
      {"true", KOR_TRUE}, {"TRUE", KOR_TRUE},    {"yes", KOR_TRUE},    {"1", KOR_TRUE},
      {"On", KOR_TRUE},   {"enabled", KOR_TRUE}, {"false", KOR_FALSE}, {"0", KOR_FALSE},
      {"no", KOR_FALSE},  {"maybe", KOR_FALSE},  {"", KOR_FALSE},      {" ", KOR_FALSE}};
  for (const auto& [text, value] : booleans) {
    f.resource.SetStringAttr("flag", text);
    EXPECT_EQ(f.resource.GetBoolAttr("flag"), value) << '"' << text << '"';
  }
  EXPECT_EQ(f.resource.GetBoolAttr("absent"), KOR_FALSE);
}

// False removes the attribute (the explicit form writes "false"); true
// creates a fresh one, seen by every view of the element.
TEST(ShowXMLInterface, BooleanFalseRemovesTheAttribute) {
  ItemFixture f;
  ShowResource_c second;
  second.SetDocument(&f.document);
  ASSERT_EQ(second.Bind(f.item), KOR_OK);
  ASSERT_EQ(f.resource.GetBoolAttr("flag"), KOR_TRUE);
  EXPECT_EQ(second.SetBoolAttr("flag", false), KOR_OK);
  EXPECT_EQ(f.item->FindAttribute("flag"), nullptr);
  EXPECT_EQ(f.document.IsModified(), KOR_TRUE);
  EXPECT_EQ(f.resource.GetBoolAttr("flag"), KOR_FALSE);
  EXPECT_EQ(f.resource.GetBoolAttr("flag"), KOR_FALSE);
  EXPECT_EQ(SaveText(f.document).find("flag"), std::string::npos);
  f.resource.SetBoolAttr("flag", true);
  EXPECT_EQ(second.GetBoolAttr("flag"), KOR_TRUE);
  EXPECT_EQ(CountAttributes(f.item, "flag"), 1);
  EXPECT_EQ(f.resource.SetBoolAttr("flag", false, true), KOR_OK);
  EXPECT_EQ(f.item->GetAttribute("flag"), "false");
  EXPECT_EQ(second.GetBoolAttr("flag"), KOR_FALSE);
}

TEST(ShowXMLInterface, ChangeTrackingSwitches) {
  ItemFixture f;
  f.resource.SetChangeTracking(KOR_FALSE);
  f.resource.SetName("quiet");
  EXPECT_EQ(f.document.IsModified(), KOR_FALSE);
  f.resource.SetChangeTracking(KOR_TRUE);
  ShowXMLInterface_c::SetGlobalChangeTracking(KOR_FALSE);
  f.resource.SetName("still quiet");
  EXPECT_EQ(f.document.IsModified(), KOR_FALSE);
  ShowXMLInterface_c::SetGlobalChangeTracking(KOR_TRUE);
  f.resource.SetName("heard");
  EXPECT_EQ(f.document.IsModified(), KOR_TRUE);
}

TEST(ShowXMLInterface, DuplicatePlacesCopyRightAfterSource) {
  ShowDocument_c document;
  LoadText(document,
           "<?xml?><root><params><param name=\"a\"/><param name=\"b\" x=\"1\"><rules><integer "
           "min=\"1\"/></rules></param><param name=\"c\"/></params></root>");
  ShowDataParams_c params;
  params.SetDocument(&document);
  ASSERT_EQ(params.Bind(At(document, "root")), KOR_OK);
  ShowDataParam_c* second = params.Item(1);
  std::unique_ptr<KorObject_c> made = second->CreateNew();
  auto* copy = dynamic_cast<ShowDataParam_c*>(made.get());
  ASSERT_NE(copy, nullptr);
  ASSERT_EQ(second->Duplicate(copy), KOR_OK);
  EXPECT_EQ(copy->GetDocument(), &document);
  EXPECT_EQ(copy->GetTypeKeyword(), "integer");
  copy->SetName("b2");
  EXPECT_EQ(second->GetName(), "b");

  ASSERT_EQ(params.Rebind(), KOR_OK);
  EXPECT_EQ(Names(params), (std::vector<std::string>{"a", "b", "b2", "c"}));
  EXPECT_EQ(params.Item(2)->GetElement()->GetAttribute("x"), "1");
  ShowResource_c unbound;
  EXPECT_EQ(unbound.Duplicate(copy), KOR_FAIL);
  EXPECT_EQ(params.Item(1)->Duplicate(nullptr), KOR_FAIL);
}

// ---------------------------------------------------------------------------
// Lists

TEST(ShowResources, FindByNameIgnoresCaseAndFindsTheFirst) {
  ShowDocument_c document;
  LoadText(document,
           "<?xml?><root><params><param name=\"x\"/><param name=\"ABC\" id=\"1\"/>"
           "<param/><param name=\"abc\" id=\"2\"/></params></root>");
  ShowDataParams_c params;
  ASSERT_EQ(params.Bind(At(document, "root")), KOR_OK);
  int32_t index = 99;
  ShowDataParam_c* found = params.FindByName("abc", &index);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(found->GetElement()->GetAttribute("id"), "1");
  EXPECT_EQ(params.FindByName("nothing", &index), nullptr);
  EXPECT_EQ(index, -1);
  // The search reads names without adding them.
  EXPECT_EQ(params.Item(2)->GetElement()->FindAttribute("name"), nullptr);
  EXPECT_EQ(params.Item(4), nullptr);
  EXPECT_EQ(params.Item(-1), nullptr);
  EXPECT_EQ(params.Item(-1, true), nullptr);
  EXPECT_EQ(params.Item(0)->GetOwnerList(), &params);
}

TEST(ShowResources, CursorAppendAndRemove) {
  ParamsFixture f;
  ShowDocument_c& document = f.document;
  ShowDataParams_c& params = f.params;
  EXPECT_EQ(Names(params), (std::vector<std::string>{"one", "Two", "three"}));

  ASSERT_EQ(params.First()->GetName(), "one");
  EXPECT_EQ(params.Previous(), nullptr);
  ShowDataParam_c* added = params.Append();  // after "one"
  ASSERT_NE(added, nullptr);
  added->SetName("after-one");
  EXPECT_EQ(params.Current(), added);
  params.First();
  params.Append(true)->SetName("front");  // before "one"
  EXPECT_EQ(Names(params), (std::vector<std::string>{"front", "one", "after-one", "Two", "three"}));
  EXPECT_EQ(ChildTags(At(document, "root/params")), "param param param x param param tail");

  // On the last item, Append goes to the end of the wrapper.
  while (params.Next()) {
  }
  EXPECT_EQ(params.Current()->GetName(), "three");
  params.Append()->SetName("end");
  EXPECT_EQ(ChildTags(At(document, "root/params")), "param param param x param param tail param");

  // Removing the last item leaves the cursor on the new last one.
  ASSERT_EQ(params.RemoveCurrent(), KOR_OK);
  EXPECT_EQ(params.Current()->GetName(), "three");
  // Removing in the middle moves on to the next.
  params.First();
  params.Next();
  ASSERT_EQ(params.RemoveCurrent(), KOR_OK);
  EXPECT_EQ(params.Current()->GetName(), "after-one");
  EXPECT_EQ(Names(params), (std::vector<std::string>{"front", "after-one", "Two", "three"}));

  // Emptying the list.
  while (params.First()) ASSERT_EQ(params.RemoveCurrent(), KOR_OK);
  EXPECT_EQ(params.Count(), 0);
  EXPECT_EQ(params.Current(), nullptr);
  EXPECT_EQ(params.RemoveCurrent(), KOR_FAIL);
  EXPECT_EQ(ChildTags(At(document, "root/params")), "x tail");
}

// Items taken out are read one at a time and freed with their elements;
// the rest of the wrapper stays, and an item bound inside a freed element
// is unbound rather than left pointing at it.
TEST(ShowResources, TakenItemsAreFreedOneAtATime) {
  ParamsFixture f;
  ShowDocument_c& document = f.document;
  ShowDataParams_c& params = f.params;
  ShowResource_c second;
  second.SetDocument(&document);
  second.Bind(ShowXMLInterface_c::FindChildElement(At(document, "root/params"), "param"));

  std::vector<std::unique_ptr<ShowResource_c>> taken = params.TakeItems();
  EXPECT_EQ(params.Count(), 0);
  ASSERT_EQ(taken.size(), 3u);
  std::vector<std::string> read;
  for (auto& item : taken) {
    read.push_back(item->GetName());
    ShowResources_c::ReleaseItem(std::move(item));
  }
  EXPECT_EQ(read, (std::vector<std::string>{"one", "Two", "three"}));
  EXPECT_EQ(ChildTags(At(document, "root/params")), "x tail");
  EXPECT_FALSE(second.IsBound());
  // The list still works on what is left.
  params.Item(0, true)->SetName("new");
  EXPECT_EQ(ChildTags(At(document, "root/params")), "x tail param");
}

// ---------------------------------------------------------------------------
// No object is left pointing at freed nodes

TEST(ShowResources, ObjectForgetsACachedChildThatIsDestroyed) {
  ItemFixture f;
  EXPECT_EQ(f.resource.GetChildText("version", nullptr, "1.0"), "1.0");
  f.resource.GetText();
  f.resource.GetStringAttr("n");
  f.item->RemoveChild(At(f.item, "version"));
  f.item->RemoveChild(f.item->FindAttribute("n"));
  f.item->RemoveChild(f.item->TextChild());
  EXPECT_TRUE(f.resource.IsBound());
  EXPECT_EQ(f.resource.GetChildText("version", nullptr, "1.0"), "1.0");
  EXPECT_EQ(f.resource.GetStringAttr("n"), "");
  EXPECT_EQ(f.resource.GetText(), "");
  EXPECT_EQ(f.resource.SetText("back"), KOR_OK);
  EXPECT_EQ(f.item->TextChild()->GetText(), "back");
}

// ---------------------------------------------------------------------------
// One contract for every typed view

namespace {

template <class T>
std::unique_ptr<T> Make() {
  return std::make_unique<T>();
}

struct ViewRow {
  std::string label;
  std::function<std::unique_ptr<ShowResource_c>()> make;
  std::string tag;
  uint32_t kind;
};

std::vector<ViewRow> ViewRows() {
  std::vector<ViewRow> rows = {
      {"resource", Make<ShowResource_c>, "resource", 0},
      {"variable", Make<ShowResourceVariable_c>, "resource", 0},
      {"io", Make<ShowResourceIO_c>, "resource", 0},
      {"var", Make<ShowDataVariable_c>, "var", SHOW_KIND_VARIABLE},
      {"lv", Make<ShowDataListVariable_c>, "lv", 0},
      {"param", Make<ShowDataParam_c>, "param", SHOW_KIND_PARAM},
      {"product param", Make<ProductDataParam_c>, "param", SHOW_KIND_PARAM},
  };
  for (int32_t code = 1; code <= SHOW_RULE_LAST; ++code)
    rows.push_back({ShowRuleKeyword(code), [code] { return ShowCreateRule(code); },
                    ShowRuleKeyword(code), static_cast<uint32_t>(code)});
  return rows;
}

}  // namespace

TEST(TypedViews, EveryResourceBindsReadsAndWritesTheSameWay) {
  for (const ViewRow& row : ViewRows()) {
    SCOPED_TRACE(row.label);
    ShowDocument_c document;
    LoadText(document,
             "<?xml?><root><Thing name=\"N\" odd=\"keep\"><!-- remark --><deep x=\"1\"/>"
             "</Thing></root>");
    KorXML_c* element = At(document, "root/thing");
    std::unique_ptr<ShowResource_c> view = row.make();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetKind(), row.kind);
    view->SetDocument(&document);
    ASSERT_EQ(view->Bind(element), KOR_OK);
    EXPECT_EQ(element->GetName(), row.tag);
    EXPECT_EQ(view->GetName(), "N");
    EXPECT_EQ(document.IsModified(), KOR_FALSE);
    EXPECT_EQ(view->SetName("M"), KOR_OK);
    EXPECT_EQ(document.IsModified(), KOR_TRUE);
    EXPECT_EQ(view->FindOwner(element->FindAttribute("name")), view.get());

    std::string saved = SaveText(document);
    EXPECT_NE(saved.find("odd=\"keep\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("<!-- remark -->"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<deep x=\"1\" />"), std::string::npos) << saved;

    std::unique_ptr<KorObject_c> fresh = view->CreateNew();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(typeid(*fresh), typeid(*view));
    EXPECT_FALSE(static_cast<ShowResource_c*>(fresh.get())->IsBound());

    std::unique_ptr<ShowResource_c> clone = view->CloneAs<ShowResource_c>();
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetElement(), element);
    EXPECT_EQ(clone->GetName(), "M");
    EXPECT_EQ(clone->GetDocument(), &document);
    ASSERT_EQ(view->Rebind(), KOR_OK);
    EXPECT_EQ(view->GetElement(), element);
  }
}

TEST(TypedViews, EveryListKeepsDocumentOrder) {
  struct ListRow {
    const char* label;
    std::function<std::unique_ptr<ShowResources_c>()> make;
    std::string wrapper;
    std::string item;  // tag of the items in the fixture
    bool appends;      // Item (i, true) can make items
    uint32_t kind;
  };
  const ListRow rows[] = {
      {"variables", Make<ShowDataVariables_c>, "variables", "var", true, SHOW_KIND_VARIABLES},
      {"lvs", Make<ShowDataListVariables_c>, "lvs", "lv", true, 0},
      {"params", Make<ShowDataParams_c>, "params", "param", true, SHOW_KIND_PARAMS},
      {"product params", Make<ProductDataParams_c>, "params", "param", true, SHOW_KIND_PARAMS},
      {"rules", Make<ShowResourceRules_c>, "rules", "string", false, 0},
  };
  for (const ListRow& row : rows) {
    SCOPED_TRACE(row.label);
    const std::string& w = row.wrapper;
    const std::string& i = row.item;
    ShowDocument_c document;
    LoadText(document, "<?xml?><root><owner><" + w + "><" + i + " name=\"a\"/><zzz name=\"x\"/><" +
                           i + " name=\"b\"/><" + i + " name=\"c\"/></" + w +
                           "></owner><bare/></root>");
    std::unique_ptr<ShowResources_c> list = row.make();
    EXPECT_EQ(list->GetKind(), row.kind);
    list->SetDocument(&document);
    ASSERT_EQ(list->Bind(At(document, "root/owner")), KOR_OK);
    EXPECT_EQ(list->GetElement(), At(document, "root/owner/" + w));
    EXPECT_EQ(Names(*list), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(list->FindOwner(list->Item(1)->GetElement()), list->Item(1));
    EXPECT_EQ(list->FindOwner(At(document, "root/owner/zzz")), nullptr);
    if (row.appends) {
      ASSERT_NE(list->Item(4, true), nullptr);
      EXPECT_EQ(list->Count(), 5);
      EXPECT_EQ(ChildTags(list->GetElement()), i + " zzz " + i + " " + i + " " + i + " " + i);
    }
    // A missing wrapper is created empty.
    std::unique_ptr<ShowResources_c> empty = row.make();
    ASSERT_EQ(empty->Bind(At(document, "root/bare")), KOR_OK);
    EXPECT_EQ(ChildTags(At(document, "root/bare")), w);
    EXPECT_EQ(empty->Count(), 0);
    ASSERT_EQ(empty->Rebind(), KOR_OK);
    EXPECT_EQ(ChildTags(At(document, "root/bare")), w) << "rebinding must not add a wrapper";
  }
}

#include "productwalk.h"

#include <string>

#include "model/productdata.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"
#include "model/showparam.h"
#include "model/showrules.h"
#include "model/showvariable.h"

namespace {

class Walker_c {
 public:
  ProductWalkCounts counts;

  void Text(const std::string& text) { counts.bytes += text.size(); }
  void Number(int64_t v) { counts.bytes += static_cast<uint64_t>(v) & 1u; }

  void Variable(ShowResourceVariable_c* v) {
    Text(v->GetName());
    Text(v->GetInit());
    Number(v->GetList());
    Number(v->IsZero());
    Number(v->IsDeviceVar());
    Number(v->IsSetup());
    Number(v->GetTypeCode());
    Text(v->GetText());
  }

  void Params(ProductDataParams_c* params) {
    if (!params) return;
    for (int32_t i = 0, n = params->Count(); i < n; ++i) {
      ProductDataParam_c* p = params->Item(i);
      if (!p) continue;
      ++counts.params;
      Variable(p);
      Text(p->GetDescription());
      Text(p->GetExample());
      switch (p->GetTypeCode()) {
        case SHOW_RULE_INTEGER:
        case SHOW_RULE_DECIMAL:
          Number(p->GetMin());
          Number(p->GetMax());
          break;
        case SHOW_RULE_STRING:
          Text(p->GetRegexp());
          break;
        default:
          for (int32_t k = 0, m = p->OptionCount(); k < m; ++k) {
            std::string match, replace;
            p->GetOption(k, &match, &replace);
            Text(match);
            Text(replace);
          }
      }
    }
  }

  void Operations(ProductDataOperations_c* ops, bool count) {
    if (!ops) return;
    for (int32_t i = 0, n = ops->Count(); i < n; ++i) {
      ProductDataOperation_c* o = ops->Item(i);
      if (!o) continue;
      if (count) ++counts.operations;
      Variable(o);
      Text(o->GetResult());
    }
  }

  void Message(ProductDataMessage_c* m, bool event) {
    Text(m->GetName());
    Text(m->GetFormat());
    Text(m->GetRegexpFormat());
    Number(m->IsIncoming());
    Number(m->IsManual());
    Text(m->GetText());
    ProductWalkCounts before = counts;
    Params(m->Params());
    if (ProductDataSubstrings_c* subs = m->Substrings()) {
      for (int32_t i = 0, n = subs->Count(); i < n; ++i) {
        ProductDataSubstring_c* s = subs->Item(i);
        if (!s) continue;
        ++counts.substrings;
        Variable(s);
        Text(s->GetResult());
      }
    }
    Operations(m->Operations(), true);
    if (!event) {  // setup messages count only as themselves
      before.bytes = counts.bytes;
      counts = before;
    }
  }

  void Ports(ProductDataPorts_c* ports, bool count) {
    if (!ports) return;
    for (int32_t i = 0, n = ports->Count(); i < n; ++i) {
      ProductDataPort_c* port = ports->Item(i);
      if (!port) continue;
      if (count) ++counts.ports;
      Variable(port);
      Number(port->GetType());
      ProductDataPortOptions_c* options = port->PortOptions();
      if (!options) continue;
      for (int32_t k = 0, m = options->Count(); k < m; ++k) {
        ProductDataPortOption_c* o = options->Item(k);
        if (!o) continue;
        Text(o->GetName());
        Text(o->GetBaud());
        Text(o->GetBits());
        Text(o->GetParity());
        Text(o->GetStopBits());
        Text(o->GetEType());
        Text(o->GetIPAddress());
        Number(o->GetEPort());
        Number(o->GetESPort());
      }
    }
  }
};

}  // namespace

ProductWalkCounts WalkProduct(ProductData_c* root) {
  Walker_c w;
  if (!root) return w.counts;
  w.Text(root->GetMake());
  w.Text(root->GetModel());
  w.Number(root->IsCreator());
  w.Number(root->GetCreatorVersion());
  if (ShowDataInfo_c* info = root->Info()) {
    w.Text(info->GetDescription());
    w.Text(info->GetVersion());
    if (ShowDataInfoAuthors_c* authors = info->Authors())
      for (int32_t i = 0, n = authors->AuthorCount(); i < n; ++i) w.Text(authors->GetAuthor(i));
  }
  if (ProductDataHardware_c* hardware = root->Hardware()) {
    w.Text(hardware->GetGroup());
    w.Ports(hardware->Ports(), false);
  }
  ProductDataProtocol_c* protocol = root->FirstProtocol();
  if (!protocol) return w.counts;
  w.Text(protocol->GetName());
  w.Ports(protocol->Ports(), true);
  if (ProductDataSetupMessages_c* setup = protocol->SetupMessages()) {
    for (int32_t i = 0, n = setup->Count(); i < n; ++i) {
      if (ProductDataSetupMessage_c* m = setup->Item(i)) {
        ++w.counts.setupMessages;
        w.Message(m, false);
      }
    }
  }
  if (ProductDataCommands_c* commands = protocol->Commands()) {
    for (int32_t i = 0, n = commands->Count(); i < n; ++i) {
      ProductDataCommand_c* c = commands->Item(i);
      if (!c) continue;
      ++w.counts.events;
      w.Text(c->GetName());
      w.Text(c->GetDescription());
      w.Number(c->GetTimeout());
      w.Number(c->GetRetries());
      w.Number(c->IsUnsolicited());
      w.Params(c->Params());
      w.Operations(c->Operations(), false);
      if (ProductDataMessages_c* messages = c->Messages()) {
        for (int32_t k = 0, m = messages->Count(); k < m; ++k) {
          if (ProductDataMessage_c* msg = messages->Item(k)) {
            ++w.counts.messages;
            w.Message(msg, true);
          }
        }
      }
    }
  }
  if (ShowDataVariables_c* vars = protocol->Variables()) {
    for (int32_t i = 0, n = vars->Count(); i < n; ++i) {
      ShowDataVariable_c* v = vars->Item(i);
      if (!v) continue;
      ++w.counts.variables;
      w.Variable(v);
      if (ShowDataListVariables_c* lvs = v->ListVariables()) {
        for (int32_t k = 0, m = lvs->Count(); k < m; ++k) {
          if (ShowDataListVariable_c* lv = lvs->Item(k)) {
            ++w.counts.listVariables;
            w.Variable(lv);
          }
        }
      }
    }
  }
  return w.counts;
}

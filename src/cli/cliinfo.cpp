#include <string>
#include <vector>

#include "cli/clicommands.h"
#include "cli/clijson.h"
#include "cli/cliproduct.h"
#include "model/productdatacommand.h"
#include "model/productdatahardware.h"
#include "model/productdatamessage.h"
#include "model/showvariable.h"

namespace tarvo::cli {

const char* const kInfoHelp =
    "Usage: tarvo-cli info [--json] FILE\n"
    "\n"
    "Summarises a product file ('-' for standard input): make, model, version,\n"
    "group, protocol, whether Tarvo wrote it (creator), the ports with their\n"
    "settings, the setup messages, the device variables and the events with\n"
    "their outgoing format and incoming regular expression. Only the first\n"
    "protocol is shown, as in Tarvo.\n"
    "\n"
    "Options:\n"
    "  --json   print one JSON object instead of text:\n"
    "    { \"file\", \"make\", \"model\", \"version\", \"group\", \"protocol\",\n"
    "      \"creator\": bool,\n"
    "      \"ports\": [ { \"name\", \"type\", \"settings\": { \"baud\", \"bits\", \"parity\",\n"
    "                   \"stop_bits\", \"etype\", \"ip_address\", \"eport\", \"esport\" } } ],\n"
    "      \"setup_messages\": [ { \"name\", \"incoming\": bool, \"format\", \"regexp_format\" } ],\n"
    "      \"variables\": [ { \"name\", \"type\", \"init\", \"list\": int, \"description\" } ],\n"
    "      \"events\": [ { \"name\", \"outgoing_format\": string|null,\n"
    "                    \"incoming_regexp\": string|null } ] }\n"
    "    A port's \"settings\" holds only the settings its first option record has;\n"
    "    eport and esport are numbers. Texts are UTF-8; invalid bytes become U+FFFD.\n"
    "\n"
    "Exit status: 0 on success, 1 when FILE is not well-formed or holds no\n"
    "product element, 2 when FILE cannot be read.\n";

namespace {

struct PortSummary {
  std::string name, type;
  std::vector<std::pair<std::string, std::string>> settings;  // only those present
  std::vector<std::pair<std::string, int32_t>> numbers;
};
struct MessageSummary {
  std::string name;
  bool incoming = false;
  std::string format, regexpFormat;
};
struct VariableSummary {
  std::string name, type, init, description;
  int32_t list = 0;
};
struct EventSummary {
  std::string name;
  bool hasOutgoing = false, hasIncoming = false;
  std::string outgoingFormat, incomingRegexp;
};
struct Summary {
  std::string file, make, model, version, group, protocol;
  bool creator = false;
  std::vector<PortSummary> ports;
  std::vector<MessageSummary> setupMessages;
  std::vector<VariableSummary> variables;
  std::vector<EventSummary> events;
};

PortSummary SummarisePort(ProductDataPort_c& port) {
  PortSummary summary;
  summary.name = port.GetName();
  summary.type = ProductPortTypeKeyword(port.GetType());
  ProductDataPortOptions_c* options = port.PortOptions();
  ProductDataPortOption_c* option = options && options->Count() > 0 ? options->Item(0) : nullptr;
  if (!option) return summary;
  // Reading an absent attribute fails; only what the record holds is reported.
  auto text = [&](const char* key, std::string value, KorStatus status) {
    if (status == KOR_OK && !value.empty()) summary.settings.emplace_back(key, std::move(value));
  };
  KorStatus status = KOR_OK;
  std::string value;
  value = option->GetBaud(&status), text("baud", value, status);
  value = option->GetBits(&status), text("bits", value, status);
  value = option->GetParity(&status), text("parity", value, status);
  value = option->GetStopBits(&status), text("stop_bits", value, status);
  value = option->GetEType(&status), text("etype", value, status);
  value = option->GetIPAddress(&status), text("ip_address", value, status);
  int32_t number = option->GetEPort(&status);
  if (status == KOR_OK) summary.numbers.emplace_back("eport", number);
  number = option->GetESPort(&status);
  if (status == KOR_OK) summary.numbers.emplace_back("esport", number);
  return summary;
}

MessageSummary SummariseMessage(ProductDataMessage_c& message) {
  MessageSummary summary;
  summary.name = message.GetName();
  summary.incoming = KorIsTrue(message.IsIncoming());
  summary.format = message.GetFormat();
  summary.regexpFormat = message.GetRegexpFormat();
  return summary;
}

EventSummary SummariseEvent(ProductDataCommand_c& command) {
  EventSummary summary;
  summary.name = command.GetName();
  ProductDataMessages_c* messages = command.Messages();
  int32_t count = messages ? messages->Count() : 0;
  for (int32_t i = 0; i < count; ++i) {
    ProductDataMessage_c* message = messages->Item(i);
    if (!message) continue;
    if (KorIsTrue(message->IsIncoming())) {
      if (summary.hasIncoming) continue;
      summary.hasIncoming = true;
      summary.incomingRegexp = message->GetRegexpFormat();
    } else if (!summary.hasOutgoing) {
      summary.hasOutgoing = true;
      summary.outgoingFormat = message->GetFormat();
    }
  }
  return summary;
}

Summary Summarise(const std::string& file, ProductData_c& root) {
  Summary summary;
  summary.file = file;
  summary.make = root.GetMake();
  summary.model = root.GetModel();
  summary.creator = KorIsTrue(root.IsCreator());
  if (ShowDataInfo_c* info = root.Info()) summary.version = info->GetVersion();
  if (ProductDataHardware_c* hardware = root.Hardware()) summary.group = hardware->GetGroup();
  ProductDataProtocols_c* protocols = root.Protocols();
  ProductDataProtocol_c* protocol = protocols && protocols->Count() > 0 ? protocols->Item(0) : nullptr;
  if (!protocol) return summary;
  summary.protocol = protocol->GetName();

  if (ProductDataPorts_c* ports = protocol->Ports()) {
    for (int32_t i = 0, n = ports->Count(); i < n; ++i) {
      if (ProductDataPort_c* port = ports->Item(i)) summary.ports.push_back(SummarisePort(*port));
    }
  }
  if (ProductDataSetupMessages_c* setup = protocol->SetupMessages()) {
    for (int32_t i = 0, n = setup->Count(); i < n; ++i) {
      if (ProductDataMessage_c* message = setup->Item(i)) {
        summary.setupMessages.push_back(SummariseMessage(*message));
      }
    }
  }
  if (ShowDataVariables_c* variables = protocol->Variables()) {
    for (int32_t i = 0, n = variables->Count(); i < n; ++i) {
      ShowDataVariable_c* variable = variables->Item(i);
      if (!variable) continue;
      VariableSummary v;
      v.name = variable->GetName();
      v.type = variable->GetTypeKeyword();
      v.init = variable->GetInit();
      v.list = variable->GetList();
      v.description = variable->GetText();
      summary.variables.push_back(std::move(v));
    }
  }
  if (ProductDataCommands_c* commands = protocol->Commands()) {
    for (int32_t i = 0, n = commands->Count(); i < n; ++i) {
      if (ProductDataCommand_c* command = commands->Item(i)) {
        summary.events.push_back(SummariseEvent(*command));
      }
    }
  }
  return summary;
}

std::string FormatText(const Summary& s) {
  std::string out;
  auto line = [&out](std::string_view label, std::string_view value) {
    out.append(label);
    out.append(value);
    out.push_back('\n');
  };
  line("file: ", s.file);
  line("make: ", s.make);
  line("model: ", s.model);
  line("version: ", s.version);
  line("group: ", s.group);
  line("protocol: ", s.protocol);
  line("creator: ", s.creator ? "true" : "false (Tarvo refuses to open this file)");

  line("ports: ", std::to_string(s.ports.size()));
  for (const PortSummary& port : s.ports) {
    std::string settings;
    for (const auto& [key, value] : port.settings) settings += " " + key + "=" + value;
    for (const auto& [key, value] : port.numbers) settings += " " + key + "=" + std::to_string(value);
    line("  ", port.name + " (" + port.type + ")" + settings);
  }
  line("setup messages: ", std::to_string(s.setupMessages.size()));
  for (const MessageSummary& message : s.setupMessages) {
    line("  ", message.name + (message.incoming ? " in: " + message.regexpFormat : " out: " + message.format));
  }
  line("variables: ", std::to_string(s.variables.size()));
  for (const VariableSummary& v : s.variables) {
    std::string text = v.name + " (" + v.type + (v.list > 0 ? ", list of " + std::to_string(v.list) : "") + ")";
    if (!v.init.empty()) text += " init=" + v.init;
    if (!v.description.empty()) text += ": " + v.description;
    line("  ", text);
  }
  line("events: ", std::to_string(s.events.size()));
  for (const EventSummary& event : s.events) {
    line("  ", event.name);
    if (event.hasOutgoing) line("    out: ", event.outgoingFormat);
    if (event.hasIncoming) line("    in:  ", event.incomingRegexp);
  }
  return out;
}

std::string FormatJson(const Summary& s) {
  JsonWriter json;
  auto field = [&json](std::string_view key, std::string_view value) {
    json.Key(key);
    json.String(value);
  };
  auto optional = [&json](std::string_view key, bool present, std::string_view value) {
    json.Key(key);
    if (present) {
      json.String(value);
    } else {
      json.Null();
    }
  };
  json.BeginObject();
  field("file", s.file);
  field("make", s.make);
  field("model", s.model);
  field("version", s.version);
  field("group", s.group);
  field("protocol", s.protocol);
  json.Key("creator");
  json.Bool(s.creator);

  json.Key("ports");
  json.BeginArray();
  for (const PortSummary& port : s.ports) {
    json.BeginObject();
    field("name", port.name);
    field("type", port.type);
    json.Key("settings");
    json.BeginObject();
    for (const auto& [key, value] : port.settings) field(key, value);
    for (const auto& [key, value] : port.numbers) {
      json.Key(key);
      json.Integer(value);
    }
    json.EndObject();
    json.EndObject();
  }
  json.EndArray();

  json.Key("setup_messages");
  json.BeginArray();
  for (const MessageSummary& message : s.setupMessages) {
    json.BeginObject();
    field("name", message.name);
    json.Key("incoming");
    json.Bool(message.incoming);
    field("format", message.format);
    field("regexp_format", message.regexpFormat);
    json.EndObject();
  }
  json.EndArray();

  json.Key("variables");
  json.BeginArray();
  for (const VariableSummary& v : s.variables) {
    json.BeginObject();
    field("name", v.name);
    field("type", v.type);
    field("init", v.init);
    json.Key("list");
    json.Integer(v.list);
    field("description", v.description);
    json.EndObject();
  }
  json.EndArray();

  json.Key("events");
  json.BeginArray();
  for (const EventSummary& event : s.events) {
    json.BeginObject();
    field("name", event.name);
    optional("outgoing_format", event.hasOutgoing, event.outgoingFormat);
    optional("incoming_regexp", event.hasIncoming, event.incomingRegexp);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
  return json.Text();
}

}  // namespace

int RunInfo(const Arguments& args) {
  if (args.operands.size() != 1) {
    ReportError("info", "expects exactly one FILE (see 'tarvo-cli info --help')");
    return kExitUsage;
  }
  const std::string& path = args.operands.front();
  LoadedProduct product;
  int status = LoadProduct(path, product);
  if (status != kExitOk) return status;
  Summary summary = Summarise(DisplayName(path), *product.root);
  std::string out = HasFlag(args, "--json") ? FormatJson(summary) : FormatText(summary);
  if (!WriteStdout(out)) {
    ReportError("<stdout>", "cannot write");
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace tarvo::cli

#include "prdgenerator.h"

#include "foundation/xml/korxml.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>
#include <vector>

uint64_t PrdRandom_c::Next() {
  m_state += 0x9E3779B97F4A7C15ull;
  uint64_t z = m_state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int32_t PrdRandom_c::Below(int32_t n) {
  if (n <= 0) return 0;
  return static_cast<int32_t>(Next() % static_cast<uint64_t>(n));
}

namespace {

// One element of the generated tree, written in the compact form.
struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attrs;
  std::vector<Element> children;
  std::string text;

  Element& Attr(std::string key, std::string value) {
    attrs.emplace_back(std::move(key), std::move(value));
    return *this;
  }
  Element& Child(std::string tag) {
    children.push_back(Element{std::move(tag), {}, {}, {}});
    return children.back();
  }
};

// The generated files use the same entity encoding as the writer under test.
void AppendEncoded(std::string& out, std::string_view text) { out += KorXMLEncode(text); }

void Write(std::string& out, const Element& e) {
  out += '<';
  AppendEncoded(out, e.name);
  if (!e.attrs.empty()) {
    for (const auto& [key, value] : e.attrs) {
      out += ' ';
      AppendEncoded(out, key);
      out += "=\"";
      AppendEncoded(out, value);
      out += '"';
    }
    out += ' ';
  }
  if (e.children.empty() && e.text.empty()) {
    out += "/>";
    return;
  }
  out += '>';
  for (const Element& c : e.children) Write(out, c);
  AppendEncoded(out, e.text);
  out += "</";
  AppendEncoded(out, e.name);
  out += '>';
}

template <size_t N>
std::string_view Pick(PrdRandom_c& rnd, const std::array<std::string_view, N>& items) {
  return items[static_cast<size_t>(rnd.Below(static_cast<int32_t>(N)))];
}

struct Device {
  std::string_view make, model, group, protocol;
};

constexpr std::array<Device, 6> kDevices = {{
    {"Lumora", "PJ-4K20", "projector", "Lumora Serial Control"},
    {"Sonaris", "DSP-816", "audio", "Sonaris Text Protocol"},
    {"Kinetix", "VP-300", "video", "Kinetix Transport"},
    {"Halden", "LX-24", "lighting", "Halden Net"},
    {"Corvane", "CTL-8", "control", "Corvane ASCII"},
    {"Vistar", "D55-Pro", "display", "Vistar RS-232"},
}};

constexpr std::array<std::string_view, 20> kVerbs = {
    "Power",  "Input",      "Volume",   "Mute",    "Shutter", "Lamp", "Preset",
    "Play",   "Stop",       "Pause",    "Locate",  "Gain",    "Zoom", "Focus",
    "Freeze", "Brightness", "Contrast", "Channel", "Scene",   "Fade"};
constexpr std::array<std::string_view, 10> kNouns = {
    "On", "Off", "Set", "Up", "Down", "Query", "Toggle", "Recall", "Store", "Status"};
constexpr std::array<std::string_view, 12> kKeywords = {
    "PWR", "INP", "VOL", "MUTE", "SHUT", "LAMP", "PRST", "PLAY", "STOP", "PAUS", "LOC", "GAIN"};
constexpr std::array<std::string_view, 8> kDescriptions = {
    "Turns the device on & waits for the lamp",
    "Selects the input <HDMI 1> or \"DVI\"",
    "Sets the level in steps of 0.5 dB",
    "Recalls a stored scene (1-99)",
    "Queries the device's current state",
    "Fades to the target over the given time",
    "Bühne links: Zone 2 °C sensor",
    "Stops playback and returns to the cue"};
constexpr std::array<std::string_view, 6> kVarStems = {"Power", "Level",  "Source",
                                                       "Temp",  "Status", "Position"};
constexpr std::array<std::string_view, 5> kChecksums = {"Checksum", "ByteChecksum",
                                                        "KornetChecksum", "BCC", "XOR"};
constexpr std::array<std::string_view, 5> kChecksumFunctions = {"checksum", "bytechecksum",
                                                                "kornetchecksum", "bcc", "bcc"};

std::string Num(int64_t v) { return std::to_string(v); }

// A constant as the outgoing editor turns it into a format piece: backslash
// escapes (\r, \n, \t, \x..) kept, % and quotes escaped.
std::string FormatPiece(std::string_view constant) {
  std::string out;
  for (char c : constant) {
    if (c == '%' || c == '"' || c == '\'') out += '\\';
    out += c;
  }
  return out;
}

// Characters with a meaning in a regular expression get a backslash.
std::string RegexpEscape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {  // keep \r, \n, \x.. escapes as typed
      out += c;
      out += text[++i];
      continue;
    }
    if (std::string_view(".^$|()[]{}*+?").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

struct Variable {
  std::string name;
  int32_t type;  // 1 integer, 2 string, 3 bool, 13 decimal
};

struct ParamInfo {
  std::string name;
  std::string spec;     // conversion specification used for it, e.g. %03d
  std::string example;  // example value
};

void AddRules(PrdRandom_c& rnd, Element& owner, int32_t type) {
  Element& rules = owner.Child("rules");
  switch (type) {
    case 1: {
      int32_t lo = rnd.Chance(80) ? 0 : -rnd.Between(1, 100);
      rules.Child("integer").Attr("min", Num(lo)).Attr("max", Num(rnd.Between(1, 65535)));
      break;
    }
    case 2:
      rules.Child("string").Attr("regexp", rnd.Chance(50) ? "[A-Za-z0-9 ]{1,16}" : "^[0-9A-F]{2}$");
      break;
    case 3:
      rules.Child("bool");
      break;
    case 13:
      rules.Child("decimal").Attr("min", "0").Attr("max", Num(rnd.Between(10, 1000)));
      break;
    default:  // option list: several match/replace rules
      for (int32_t i = 0, n = rnd.Between(2, 5); i < n; ++i)
        rules.Child("option").Attr("match", "Choice " + Num(i)).Attr("replace", Num(i + 1));
  }
}

class Generator_c {
 public:
  Generator_c(const PrdGenOptions& options) : m_rnd(options.seed), m_options(options) {}

  std::string Run(PrdGenSummary* summary);

 private:
  Element Header();
  void Ports(Element& ports, bool withOptions);
  void Variables(int32_t count);
  Element VariablesElement();
  Element Command(int32_t index);
  void Outgoing(Element& message, const std::vector<ParamInfo>& params, bool setup);
  void Incoming(Element& message, std::string_view keyword);
  Element SetupMessage(int32_t index);

  PrdRandom_c m_rnd;
  PrdGenOptions m_options;
  PrdGenSummary m_sum;
  Device m_device{};
  std::vector<Variable> m_vars;
};

Element Generator_c::Header() {
  m_device = kDevices[static_cast<size_t>(m_rnd.Below(static_cast<int32_t>(kDevices.size())))];
  Element product{"product", {}, {}, {}};
  product.Attr("make", std::string(m_device.make))
      .Attr("model", std::string(m_device.model))
      .Attr("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance")
      .Attr("xsi:noNamespaceSchemaLocation", "shell.xsd")
      .Attr("creator", "true")
      .Attr("creator_ver", "2");
  Element& info = product.Child("info");
  Element& authors = info.Child("authors");
  for (int32_t i = 0, n = m_rnd.Between(1, 3); i < n; ++i)
    authors.Child("author").text =
        std::string(Pick(m_rnd, std::array<std::string_view, 4>{"A. Lindqvist", "M. O'Hara",
                                                                "J. Novák", "Show Systems Team"}));
  info.Child("version").text = "1." + Num(m_rnd.Between(0, 9));
  info.Child("description").text = std::string(m_device.make) + " " + std::string(m_device.model) +
                                   " driver; generated test data";
  Element& hardware = product.Child("hardware");
  hardware.Attr("group", std::string(m_device.group));
  Ports(hardware.Child("ports"), false);
  return product;
}

void Generator_c::Ports(Element& ports, bool withOptions) {
  ports.children.reserve(3);  // the references below must stay valid
  Element& serial = ports.Child("port");
  serial.Attr("name", "Serial").Attr("type", "serial");
  Element& eth = ports.Child("port");
  eth.Attr("name", "Ethernet").Attr("type", "ethernet");
  Element& midi = ports.Child("port");
  midi.Attr("name", "MIDI").Attr("type", "midi");
  if (!withOptions) return;
  m_sum.ports = 3;
  static constexpr std::array<std::string_view, 5> kBauds = {"9600", "19200", "38400", "57600",
                                                             "115200"};
  serial.Child("port_options")
      .Child("port_option")
      .Attr("name", "Serial")
      .Attr("baud", std::string(Pick(m_rnd, kBauds)))
      .Attr("bits", "8")
      .Attr("parity", m_rnd.Chance(80) ? "n" : "even")
      .Attr("stop_bits", "1");
  eth.Child("port_options")
      .Child("port_option")
      .Attr("name", "Ethernet")
      .Attr("ip_address",
            "192.168." + Num(m_rnd.Between(0, 254)) + "." + Num(m_rnd.Between(1, 254)))
      .Attr("eport", Num(m_rnd.Chance(50) ? 23 : m_rnd.Between(1024, 65000)))
      .Attr("esport", "0")
      .Attr("etype", m_rnd.Chance(70) ? "tcp/telnet" : "tcp_client");
  midi.Child("port_options")
      .Child("port_option")
      .Attr("name", "MIDI")
      .Attr("baud", "31250")
      .Attr("bits", "8")
      .Attr("parity", "n")
      .Attr("stop_bits", "1");
}

void Generator_c::Variables(int32_t count) {
  static constexpr std::array<int32_t, 4> kTypes = {1, 2, 3, 13};
  for (int32_t i = 0; i < count; ++i) {
    Variable v;
    v.name = std::string(Pick(m_rnd, kVarStems)) + Num(i + 1);
    v.type = kTypes[static_cast<size_t>(m_rnd.Below(4))];
    m_vars.push_back(v);
  }
}

Element Generator_c::VariablesElement() {
  Element vars{"variables", {}, {}, {}};
  for (const Variable& v : m_vars) {
    Element& e = vars.Child("var");
    e.Attr("name", v.name);
    e.Attr("init", v.type == 3 ? "false" : v.type == 2 ? "idle" : "0");
    int32_t listSize = m_rnd.Chance(15) ? m_rnd.Between(2, 4) : 0;
    if (listSize) e.Attr("list", Num(listSize)).Attr("zero", "true");
    if (m_rnd.Chance(10)) e.Attr("setup", "true");
    Element& lvs = e.Child("lvs");
    if (listSize) {
      for (int32_t i = 0; i < listSize; ++i) {
        Element& lv = lvs.Child("lv");
        lv.Attr("name", v.name + "_" + Num(i)).Attr("init", "0");
        ++m_sum.listVariables;
      }
    }
    AddRules(m_rnd, e, v.type);
    if (m_rnd.Chance(70)) e.text = std::string(Pick(m_rnd, kDescriptions));
    ++m_sum.variables;
  }
  return vars;
}

// One outgoing message: substrings (constants, parameters, variables,
// locals, an optional checksum over the rows before it), the operations of
// its locals and the format attribute the editor derives from them.
void Generator_c::Outgoing(Element& message, const std::vector<ParamInfo>& params, bool setup) {
  std::string keyword(Pick(m_rnd, kKeywords));
  std::vector<std::string> pieces;  // format piece per row
  std::vector<std::string> args;    // argument piece per row ("" = none)
  Element substrings{"substrings", {}, {}, {}};
  Element operations{"operations", {}, {}, {}};
  auto addSubstring = [&](std::string name, std::string result) {
    Element& s = substrings.Child("substring");
    s.Attr("name", std::move(name)).Attr("result", std::move(result));
    ++m_sum.substrings;
  };
  // Leading constant, often framed by STX or a header byte.
  std::string lead =
      m_rnd.Chance(20) ? "\\x02" + keyword + " " : keyword + (m_rnd.Chance(50) ? " " : "=");
  int32_t row = 0;
  pieces.push_back(FormatPiece(lead));
  args.emplace_back();
  addSubstring("constant" + Num(row++), "\"%s\", \"" + lead + "\"");

  for (const ParamInfo& p : params) {
    pieces.push_back(p.spec);
    bool formula = m_rnd.Chance(25);
    args.push_back(formula ? p.name + "*2" : p.name);
    addSubstring("parameter" + Num(row++),
                 "\"" + p.spec + "\", " + (formula ? "[" + p.name + "]*2" : "[" + p.name + "]"));
    if (m_rnd.Chance(30)) {
      pieces.push_back(",");
      args.emplace_back();
      addSubstring("constant" + Num(row++), "\"%s\", \",\"");
    }
  }
  if (!m_vars.empty() && m_rnd.Chance(30)) {
    const Variable& v =
        m_vars[static_cast<size_t>(m_rnd.Below(static_cast<int32_t>(m_vars.size())))];
    pieces.push_back("%d");
    args.push_back(v.name);
    addSubstring("variable" + Num(row++), "\"%d\", [" + v.name + "]");
  }
  if (m_rnd.Chance(15)) {
    std::string local = "offset" + Num(row);
    std::string formula = "mod(" + Num(m_rnd.Between(1, 500)) + ", 256)";
    pieces.push_back("%02X");
    args.push_back(local);
    addSubstring("local" + Num(row++), "\"%02X\", [" + local + "]");
    Element& op = operations.Child("operation");
    op.Attr("name", local).Attr("result", formula);
    ++m_sum.operations;
  }
  if (!setup && m_rnd.Chance(20)) {
    size_t kind = static_cast<size_t>(m_rnd.Below(static_cast<int32_t>(kChecksums.size())));
    std::string covered, coveredFormat, coveredArgs;
    std::string storedNames;
    for (int32_t i = 0; i < row; ++i) {
      coveredFormat += "%s";
      storedNames += ", Substring" + Num(i);
    }
    std::string format;
    std::vector<std::string> used;
    for (size_t i = 0; i < pieces.size(); ++i) {
      format += pieces[i];
      if (!args[i].empty()) used.push_back(args[i]);
    }
    std::string inner = "sprintf(\"" + format + "\"";
    for (const std::string& a : used) inner += ", " + a;
    inner += ")";
    pieces.push_back("%p");
    args.push_back(std::string(kChecksumFunctions[kind]) + "(" + inner + ")");
    addSubstring("checksum" + Num(row++), "\"%p\", " + std::string(kChecksums[kind]) +
                                              "(sprintf(\"" + coveredFormat + "\"" + storedNames +
                                              "))");
  }
  std::string tail = m_rnd.Chance(80) ? "\\r" : (m_rnd.Chance(50) ? "\\x03" : "\\r\\n");
  pieces.push_back(FormatPiece(tail));
  args.emplace_back();
  addSubstring("constant" + Num(row++), "\"%s\", \"" + tail + "\"");

  std::string format = "\"";
  for (const std::string& p : pieces) format += p;
  format += "\"";
  for (const std::string& a : args)
    if (!a.empty()) format += ", " + a;
  message.Attr("format", format);
  if (m_rnd.Chance(5)) message.Attr("manual", "true");
  message.children.push_back(std::move(substrings));
  if (!operations.children.empty()) message.children.push_back(std::move(operations));
}

// One incoming response: constants, wildcards and captures into device
// variables or locals, its regular expression and an example.
void Generator_c::Incoming(Element& message, std::string_view keyword) {
  message.Attr("incoming", "true");
  Element params{"params", {}, {}, {}};
  Element substrings{"substrings", {}, {}, {}};
  Element operations{"operations", {}, {}, {}};
  std::string regexp, example;
  int32_t row = 0;
  auto rowName = [&](std::string_view kind) {
    std::string n = (row < 10 ? "0" : "") + Num(row) + std::string(kind);
    ++row;
    return n;
  };
  auto constant = [&](const std::string& text) {
    regexp += RegexpEscape(text);
    example += text;
    substrings.Child("substring").Attr("name", rowName("Constant")).Attr("result", text);
    ++m_sum.substrings;
  };
  constant(std::string(keyword) + "=");
  for (int32_t i = 0, n = m_rnd.Between(1, 3); i < n; ++i) {
    if (i > 0) constant(",");
    int32_t width = m_rnd.Between(1, 4);
    std::string cls = m_rnd.Chance(70) ? "[0-9]" : "[A-Za-z]";
    std::string pattern = cls + "{1," + Num(width) + "}";
    std::string sample = cls == "[0-9]" ? std::string(static_cast<size_t>(width), '7')
                                        : std::string(static_cast<size_t>(width), 'K');
    int32_t what = m_rnd.Below(10);
    if (what < 3 || m_vars.empty()) {  // wildcard
      regexp += pattern;
      substrings.Child("substring").Attr("name", rowName("Wildcard")).Attr("result", pattern);
      ++m_sum.substrings;
    } else if (what < 8) {  // capture into a device variable
      const Variable& v =
          m_vars[static_cast<size_t>(m_rnd.Below(static_cast<int32_t>(m_vars.size())))];
      regexp += "(" + pattern + ")";
      bool op = m_rnd.Chance(30);
      Element& p = params.Child("param");
      p.Attr("name", op ? v.name + "temp" : v.name);
      if (!op) p.Attr("device_var", "true");
      p.text = "(" + pattern + ")";
      ++m_sum.params;
      if (op) {
        std::string expr = v.name + "temp*10";
        substrings.Child("substring")
            .Attr("name", v.name)
            .Attr("result", expr)
            .Attr("device_var", "true");
        operations.Child("operation")
            .Attr("name", v.name)
            .Attr("result", expr)
            .Attr("device_var", "true");
        ++m_sum.substrings;
        ++m_sum.operations;
      }
      // The capture has its place in the row numbering, as the editor stores it.
      ++row;
    } else {  // capture into a local
      std::string local = "value" + Num(row);
      regexp += "(" + pattern + ")";
      Element& p = params.Child("param");
      p.Attr("name", local + "temp");
      p.text = "(" + pattern + ")";
      ++m_sum.params;
      substrings.Child("substring").Attr("name", rowName("Local")).Attr("result", local);
      operations.Child("operation").Attr("name", local).Attr("result", local + "temp+1");
      ++m_sum.substrings;
      ++m_sum.operations;
    }
    example += sample;
  }
  constant("\\r");
  message.Attr("regexp_format", regexp);
  if (m_rnd.Chance(5)) message.Attr("manual", "true");
  if (!params.children.empty()) message.children.push_back(std::move(params));
  message.children.push_back(std::move(substrings));
  if (!operations.children.empty()) message.children.push_back(std::move(operations));
  message.text = example;
}

Element Generator_c::Command(int32_t index) {
  Element cmd{"command", {}, {}, {}};
  std::string name = std::string(Pick(m_rnd, kVerbs)) + " " + std::string(Pick(m_rnd, kNouns)) +
                     " " + Num(index + 1);
  bool outgoing = m_rnd.Chance(85);
  bool incoming = !outgoing || m_rnd.Chance(55);
  cmd.Attr("name", name)
      .Attr("timeout", Num(m_rnd.Between(0, 6) * 500))
      .Attr("retries", Num(m_rnd.Between(0, 3)))
      .Attr("unsolicited", outgoing ? "false" : "true");
  if (m_rnd.Chance(70)) cmd.Child("description").text = std::string(Pick(m_rnd, kDescriptions));

  std::vector<ParamInfo> params;
  if (outgoing) {
    static constexpr std::array<std::string_view, 7> kSpecs = {"%d", "%03d", "%02X", "%x",
                                                               "%s", "%p",   "%.1f"};
    static constexpr std::array<std::string_view, 5> kParamNames = {"Level", "Channel", "Source",
                                                                    "Time", "Index"};
    int32_t n = m_rnd.Below(4);
    Element& pe = cmd.Child("params");
    for (int32_t i = 0; i < n; ++i) {
      ParamInfo p;
      p.name = std::string(kParamNames[static_cast<size_t>(i)]);
      p.spec = std::string(Pick(m_rnd, kSpecs));
      int32_t type = p.spec == "%s" ? (m_rnd.Chance(50) ? 2 : 15) : p.spec == "%.1f" ? 13 : 1;
      p.example = type == 2 ? "Main" : type == 15 ? "Choice 1" : Num(m_rnd.Between(0, 99));
      Element& e = pe.Child("param");
      e.Attr("name", p.name)
          .Attr("description", "The " + p.name + " to use")
          .Attr("example", p.example);
      AddRules(m_rnd, e, type);
      params.push_back(p);
      ++m_sum.params;
    }
  }
  Element& messages = cmd.Child("messages");
  std::string_view keyword = Pick(m_rnd, kKeywords);
  if (outgoing) {
    Element& m = messages.Child("message");
    m.Attr("name", "Outgoing");
    Outgoing(m, params, false);
    ++m_sum.messages;
  }
  if (incoming) {
    Element& m = messages.Child("message");
    m.Attr("name", "Incoming");
    Incoming(m, keyword);
    ++m_sum.messages;
  }
  ++m_sum.events;
  return cmd;
}

// The counts of a setup message's own lists are not part of the summary.
Element Generator_c::SetupMessage(int32_t index) {
  PrdGenSummary before = m_sum;
  Element m{"message", {}, {}, {}};
  m.Attr("name", "Login " + Num(index + 1));
  if (index % 2 == 0) {
    Outgoing(m, {}, true);
  } else {
    Incoming(m, "OK");
  }
  m_sum = before;
  ++m_sum.setupMessages;
  return m;
}

std::string Generator_c::Run(PrdGenSummary* summary) {
  Element product = Header();
  int32_t events = m_options.events < 0 ? 0 : m_options.events;
  int32_t varCount = m_options.variables;
  if (varCount < 0) {
    int64_t expected =
        m_options.targetBytes ? static_cast<int64_t>(m_options.targetBytes / 1800) : events;
    varCount = static_cast<int32_t>(std::clamp<int64_t>(8 + expected / 25, 8, 400));
  }
  Variables(varCount);
  int32_t setupCount =
      m_options.setupMessages < 0 ? 2 * m_rnd.Between(1, 2) : m_options.setupMessages;

  Element& protocol = product.Child("protocols").Child("protocol");
  protocol.Attr("name", std::string(m_device.protocol));
  Ports(protocol.Child("ports"), true);
  Element& setup = protocol.Child("setup_messages");
  for (int32_t i = 0; i < setupCount; ++i) setup.children.push_back(SetupMessage(i));
  protocol.Child("commands");

  // The commands are written one by one between the two halves of the tree
  // so that a 50 MB file never exists twice as a tree.
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";
  std::string whole;
  Write(whole, product);
  const std::string marker = "<commands/>";
  size_t at = whole.find(marker);
  out.append(whole, 0, at);
  Element variables = VariablesElement();
  std::string tail;
  Write(tail, variables);
  tail += whole.substr(at + marker.size());

  std::string commands;
  for (int32_t i = 0;; ++i) {
    size_t size = out.size() + commands.size() + tail.size() + 21;
    if (m_options.targetBytes ? size >= m_options.targetBytes : i >= events) break;
    Write(commands, Command(i));
  }
  out += commands.empty() ? "<commands/>" : "<commands>" + commands + "</commands>";
  out += tail;
  if (summary) *summary = m_sum;
  return out;
}

}  // namespace

std::string GeneratePrd(const PrdGenOptions& options, PrdGenSummary* summary) {
  Generator_c generator(options);
  return generator.Run(summary);
}

#include <QEventLoop>
#include <QHash>
#include <QString>

#include <string>
#include <vector>

#include "cli/clicommands.h"
#include "cli/clidriver.h"
#include "cli/clieditors.h"
#include "cli/clijson.h"
#include "cli/cliproduct.h"
#include "devicetest/devicesession.h"

namespace tarvo::cli {

const char* const kTestHelp =
    "Usage: tarvo-cli test FILE (--tcp HOST:PORT | --udp HOST:PORT | --serial DEV)\n"
    "                      [--event NAME [--param NAME=VALUE]...]... [--keep-going]\n"
    "                      [--json]\n"
    "\n"
    "Runs the driver in FILE against a device, as Tarvo's Device Test window\n"
    "does: connects, sends the setup and login messages in order (awaiting each\n"
    "incoming setup message for up to 3 s and storing its captures in the device\n"
    "variables), then each event given with --event, or every event that sends a\n"
    "message, with its example values. Each reply is awaited within the event's\n"
    "timeout (frames, 30 per second; 0 frames waits 1 s), the message is sent\n"
    "again on each retry, and the reply is matched by the event's regular\n"
    "expression exactly as the incoming editor matches it. The bytes sent are the\n"
    "outgoing editor's preview with the given values and the variables' current\n"
    "values. Replies of unsolicited events are recognised whenever they arrive.\n"
    "A value of a string parameter or variable is sent as its text, even when it\n"
    "looks like a number (a seed 1.234567 is sent as 1.234567).\n"
    "\n"
    "Setup messages that come before the first outgoing one are the device's\n"
    "greeting: they are awaited first (over UDP an empty datagram is sent on\n"
    "connect, so the device knows where to send them). A setup step that does not\n"
    "match stops the run: the steps after it are reported as skipped and nothing\n"
    "worked out from a value that never came (a login from an empty seed) is sent,\n"
    "unless --keep-going is given.\n"
    "\n"
    "One line is printed per step:\n"
    "\n"
    "  <step>: <outcome>: sent \"<bytes>\"; received \"<bytes>\"; <captures>\n"
    "\n"
    "where <outcome> is sent (no reply expected), matched, mismatch, timeout,\n"
    "refused (a value outside its parameter's limits or options: nothing is\n"
    "sent), failed (the connection ended; the bytes received before it are\n"
    "shown) or skipped (not run: the connection ended or a setup step failed\n"
    "before it), bytes shown as the editors show them (\\r, \\n, \\t, \\xHH), and\n"
    "each capture as NAME=\"<value>\". A reply an unsolicited event took while a\n"
    "step waited is named in the step's detail (\"reply taken by unsolicited event\n"
    "'CommandError': %1POWR=ERR3\\r\").\n"
    "\n"
    "Serial settings (baud, bits, parity, stop bits) come from the file's ports.\n"
    "FILE is loaded as File > Open loads it; no display is needed.\n"
    "\n"
    "Options:\n"
    "  --tcp HOST:PORT      connect as a TCP client\n"
    "  --udp HOST:PORT      send datagrams to HOST:PORT and read its answers\n"
    "  --serial DEV         open the serial device DEV (for example a\n"
    "                       /dev/serial/by-id name or a pseudo-terminal)\n"
    "  --event NAME         run the event NAME (ignoring case); may repeat\n"
    "  --param NAME=VALUE   a parameter value for the --event before it; the\n"
    "                       others are sent with their examples\n"
    "  --keep-going         run every step even after a setup step failed\n"
    "  --json               print one JSON object instead: { \"connection\",\n"
    "                       \"result\", \"steps\": [{ \"step\", \"outcome\", \"sent\",\n"
    "                       \"sent_hex\", \"received\", \"received_hex\", \"captures\":\n"
    "                       [{ \"name\", \"variable\", \"captured\", \"result\" }],\n"
    "                       \"detail\" }], \"unsolicited\": [ \"<log line>\" ] }\n"
    "\n"
    "Exit status: 0 when every step matched (or was sent when no reply is\n"
    "expected), 1 on a mismatch, a timeout, a refused value, a connection that\n"
    "ended or a failed setup step (named on standard error), 2 when it cannot\n"
    "connect, FILE cannot be read, or the options are wrong.\n";

namespace {

struct EventRequest {
  std::string name;
  QHash<QString, QString> values;
};

// The --event and --param options in the order given.
bool ReadEvents(const Arguments& args, std::vector<EventRequest>* events) {
  for (const auto& [option, value] : args.values) {
    if (option == "--event") {
      events->push_back({value, {}});
    } else if (option == "--param") {
      const size_t equals = value.find('=');
      if (events->empty() || equals == std::string::npos || equals == 0) {
        ReportError("test", events->empty() ? "--param " + value + " comes before any --event"
                                            : "--param needs NAME=VALUE, not '" + value + "'");
        return false;
      }
      events->back().values.insert(QString::fromStdString(value.substr(0, equals)),
                                   QString::fromStdString(value.substr(equals + 1)));
    }
  }
  return true;
}

bool ReadLink(const Arguments& args, LinkSettings* settings) {
  const auto tcp = OptionValues(args, "--tcp");
  const auto udp = OptionValues(args, "--udp");
  const auto serial = OptionValues(args, "--serial");
  if (tcp.size() + udp.size() + serial.size() != 1) {
    ReportError("test", "give exactly one of --tcp, --udp and --serial (see 'tarvo-cli test --help')");
    return false;
  }
  if (!serial.empty()) {
    settings->kind = LinkSettings::Serial;
    settings->device = QString::fromStdString(serial.front());
    return true;
  }
  settings->kind = tcp.empty() ? LinkSettings::Udp : LinkSettings::Tcp;
  settings->localPort = 0;
  const std::string& where = tcp.empty() ? udp.front() : tcp.front();
  if (!ParseHostPort(QString::fromStdString(where), &settings->host, &settings->port) || settings->port == 0) {
    ReportError("test", "'" + where + "' is not HOST:PORT");
    return false;
  }
  return true;
}

std::string StepLine(const StepResult& result) {
  QString line = result.step + QStringLiteral(": ") + OutcomeName(result.outcome);
  QStringList parts;
  if (!result.sent.isEmpty()) parts << QStringLiteral("sent \"%1\"").arg(EscapedBytes(result.sent));
  if (!result.received.isEmpty()) parts << QStringLiteral("received \"%1\"").arg(EscapedBytes(result.received));
  for (const ReplyCapture& capture : result.captures)
    parts << QStringLiteral("%1=\"%2\"").arg(capture.name, capture.result);
  if (!result.detail.isEmpty() && result.outcome != StepResult::Matched) parts << result.detail;
  if (!parts.isEmpty()) line += QStringLiteral(": ") + parts.join(QStringLiteral("; "));
  return line.toStdString() + '\n';
}

void WriteStep(JsonWriter& writer, const StepResult& result) {
  writer.BeginObject();
  writer.Key("step");
  writer.String(result.step.toStdString());
  writer.Key("outcome");
  writer.String(OutcomeName(result.outcome).toStdString());
  writer.Key("sent");
  writer.String(EscapedBytes(result.sent).toStdString());
  writer.Key("sent_hex");
  writer.String(HexBytes(result.sent).toStdString());
  writer.Key("received");
  writer.String(EscapedBytes(result.received).toStdString());
  writer.Key("received_hex");
  writer.String(HexBytes(result.received).toStdString());
  writer.Key("captures");
  writer.BeginArray();
  for (const ReplyCapture& capture : result.captures) {
    writer.BeginObject();
    writer.Key("name");
    writer.String(capture.name.toStdString());
    writer.Key("variable");
    writer.Bool(capture.variable);
    writer.Key("captured");
    writer.String(capture.captured.toStdString());
    writer.Key("result");
    writer.String(capture.result.toStdString());
    writer.EndObject();
  }
  writer.EndArray();
  writer.Key("detail");
  writer.String(result.detail.toStdString());
  writer.EndObject();
}

}  // namespace

int RunTest(const Arguments& args) {
  if (args.operands.size() != 1) {
    ReportError("test", "expects exactly one FILE (see 'tarvo-cli test --help')");
    return kExitUsage;
  }
  std::vector<EventRequest> requests;
  if (!ReadEvents(args, &requests)) return kExitUsage;

  EditorSession editors;
  DriverFile file;
  if (const int status = file.Load(args.operands.front()); status != kExitOk) return status;
  LinkSettings settings = LinkSettingsFromPorts(file.Ports());
  if (!ReadLink(args, &settings)) return kExitUsage;

  DeviceSession session(file.Models());
  session.SetStopOnSetupFailure(!HasFlag(args, "--keep-going"));
  DriverScript& script = session.Script();
  const bool json = HasFlag(args, "--json");
  QList<StepResult> results;
  QStringList unsolicited;
  QObject::connect(&session, &DeviceSession::stepFinished, [&](const StepResult& result) {
    results << result;
    if (!json) WriteStdout(StepLine(result));
  });
  QObject::connect(&session, &DeviceSession::logged, [&](const DeviceLogEntry& entry) {
    if (entry.kind != DeviceLogEntry::Unsolicited) return;
    unsolicited << LogLine(entry);
    if (!json) WriteStdout(LogLine(entry).toStdString() + '\n');
  });

  if (requests.empty()) {
    for (int row = 0; row < script.EventCount(); ++row)
      if (script.EventSends(row)) requests.push_back({script.EventName(row).toStdString(), {}});
  }
  for (const EventRequest& request : requests) {
    const int row = script.FindEvent(QString::fromStdString(request.name));
    if (row < 0) {
      ReportError(DisplayName(args.operands.front()), "no event named '" + request.name + "'");
      return kExitUsage;
    }
    session.QueueEvent(row, request.values);
  }

  QEventLoop loop;
  bool connected = false;
  bool unreachable = false;
  QObject::connect(&session, &DeviceSession::linkStateChanged, [&](DeviceLink::State state, const QString& text) {
    if (state == DeviceLink::Connected) connected = true;
    if (state == DeviceLink::Failed && !connected) {
      ReportError(DisplayName(args.operands.front()), text.toStdString());
      unreachable = true;
      loop.exit(kExitUsage);
    }
  });
  QObject::connect(&session, &DeviceSession::idle, [&] {
    if (connected) loop.exit(kExitOk);
  });
  // A device that cannot be opened fails at once, before the loop runs.
  session.Connect(settings);
  int status = unreachable ? kExitUsage : loop.exec();
  session.Disconnect();
  if (status == kExitOk) {
    for (const StepResult& result : results)
      if (result.outcome != StepResult::Matched && result.outcome != StepResult::Sent) status = kExitContent;
    for (const StepResult& result : results) {
      if (!result.step.startsWith(QLatin1String("setup ")) || result.outcome == StepResult::Matched ||
          result.outcome == StepResult::Sent || result.outcome == StepResult::Skipped)
        continue;
      ReportError(DisplayName(args.operands.front()), result.step.toStdString() + " " +
                                                          OutcomeName(result.outcome).toStdString() +
                                                          (HasFlag(args, "--keep-going") ? "" : "; the run stopped"));
      break;
    }
  }
  if (json) {
    JsonWriter writer;
    writer.BeginObject();
    writer.Key("connection");
    writer.String(DescribeLink(settings).toStdString());
    writer.Key("result");
    writer.String(status == kExitOk ? "passed" : status == kExitContent ? "failed" : "not connected");
    writer.Key("steps");
    writer.BeginArray();
    for (const StepResult& result : results) WriteStep(writer, result);
    writer.EndArray();
    writer.Key("unsolicited");
    writer.BeginArray();
    for (const QString& line : unsolicited) writer.String(line.toStdString());
    writer.EndArray();
    writer.EndObject();
    WriteStdout(writer.Text());
  }
  return status;
}

}  // namespace tarvo::cli

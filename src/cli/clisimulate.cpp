#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "cli/clicommands.h"
#include "cli/clidriver.h"
#include "cli/clieditors.h"
#include "cli/cliproduct.h"
#include "devicetest/devicelink.h"
#include "devicetest/devicesimulator.h"

namespace tarvo::cli {

const char* const kSimulateHelp =
    "Usage: tarvo-cli simulate FILE (--tcp HOST:PORT | --udp HOST:PORT | --pty)\n"
    "                          [--count N] [--seconds S] [--lenient]\n"
    "\n"
    "Plays the device the driver in FILE talks to, so a driver (or a show\n"
    "controller) can be tried without the hardware. FILE is loaded into Tarvo's\n"
    "editor pages as File > Open loads it. Each request that arrives is\n"
    "recognised as one of the driver's outgoing messages (a setup or login\n"
    "message, or an event's) and answered with the example reply stored with the\n"
    "message's incoming response; a message without an incoming response gets\n"
    "no answer.\n"
    "\n"
    "A device that speaks first is played too: the incoming setup messages before\n"
    "the first outgoing one (a greeting, a login challenge with its seed) are sent\n"
    "with their examples to each TCP client as it connects, to each UDP sender\n"
    "before its first answer (an empty datagram makes a sender known), and once on\n"
    "a pseudo-terminal as it opens. Each later incoming setup message is the reply\n"
    "to the outgoing one before it.\n"
    "\n"
    "A request is recognised by its message's substrings: constants must match\n"
    "exactly; parameters, variables, locals and checksums may take any value of\n"
    "their output format (digits for %d, hex digits for %x and %X, a run of text\n"
    "up to the next constant for %s; a computed %p value such as byte(Address)\n"
    "or md5(...), and a checksum, take as many bytes as their preview sends).\n"
    "A parameter with options fits only the texts its options send, a number\n"
    "only within its limits; of the messages that fit, the one with more constant\n"
    "bytes is taken (a remaining tie is logged: the file's order never decides).\n"
    "\n"
    "The simulator keeps its own device variables, filled from the replies it\n"
    "sends (a seed from its greeting). A request that sends a checksum, an MD5 or\n"
    "another computed value, and takes no parameters, is worked out from them and\n"
    "compared byte for byte; one that differs is logged (\"computed field differs:\n"
    "expected ..., received ...\") and not answered, unless --lenient is given.\n"
    "When it is a setup message (a login), the client's login failed: nothing more\n"
    "it sends is answered until it connects again.\n"
    "\n"
    "Bytes that are no request are reported as unknown and not answered: those\n"
    "before a recognised request, and the rest once the client has been quiet for\n"
    "300 ms or has sent more than 64 KiB that is no request.\n"
    "\n"
    "Where to listen (exactly one):\n"
    "  --tcp HOST:PORT   accept TCP clients (several at once) on HOST:PORT\n"
    "  --udp HOST:PORT   answer each datagram received on HOST:PORT to its sender\n"
    "  --pty             open a pseudo-terminal for a client that talks to a\n"
    "                    serial device (raw: no echo, no line editing)\n"
    "PORT 0 takes a free port. HOST is an address (127.0.0.1, ::1, 0.0.0.0 for\n"
    "every interface), localhost or a host name.\n"
    "\n"
    "When to stop (the default: on SIGINT or SIGTERM):\n"
    "  --count N         after N recognised requests (answered or not)\n"
    "  --seconds S       after S seconds (decimals allowed)\n"
    "\n"
    "  --lenient         answer a request whose computed value differs as well\n"
    "\n"
    "Output: once listening, one line on standard output (flushed at once, so a\n"
    "script can read it before it talks to the simulator):\n"
    "\n"
    "  listening on tcp ADDRESS:PORT\n"
    "  listening on udp ADDRESS:PORT\n"
    "  pty PATH\n"
    "\n"
    "where PORT is the port listened on (the number after the last ':'; an IPv6\n"
    "ADDRESS is written in brackets) and PATH the terminal the client opens, for\n"
    "example /dev/pts/7. Then one line per request, bytes shown as the editors\n"
    "show them (\\r, \\n, \\t, \\xHH):\n"
    "\n"
    "  greeting 'Incoming - SetupMessage1' (setup 1): sent PJLINK 0\\r\n"
    "  request 'Power' (event): PWR 1\\r -> answered PWR=1\\r\n"
    "  request 'Outgoing - SetupMessage1' (setup 1): HELLO\\r -> answered ...\n"
    "  request 'Stop' (event): STOP\\r -> no reply\n"
    "  unknown request: XYZ\\r\n"
    "\n"
    "Example:\n"
    "  tarvo-cli simulate projector.prd --tcp 127.0.0.1:0 --count 3 &\n"
    "  tarvo-cli test projector.prd --tcp 127.0.0.1:PORT --event Power\n"
    "\n"
    "No display is needed: Qt's offscreen platform is used unless QT_QPA_PLATFORM\n"
    "names another.\n"
    "\n"
    "Exit status: 0 when stopped by --count, --seconds, SIGINT or SIGTERM; 2 for\n"
    "usage errors, a FILE that cannot be read or is not a product file, and an\n"
    "address that cannot be listened on.\n";

namespace {

// SIGINT and SIGTERM end the run from the event loop: the handler only
// writes a byte to this pipe.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t wrote = ::write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

// Installs the handlers for as long as it lives.
class StopSignals {
 public:
  StopSignals() {
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &oldInt_);
    ::sigaction(SIGTERM, &action, &oldTerm_);
    // A reader that closes the output must not end the device.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &oldPipe_);
    installed_ = true;
  }
  ~StopSignals() {
    if (!installed_) return;
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
    ::sigaction(SIGPIPE, &oldPipe_, nullptr);
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  bool Installed() const { return installed_; }
  int ReadFd() const { return g_signalPipe[0]; }

 private:
  bool installed_ = false;
  struct sigaction oldInt_ {};
  struct sigaction oldTerm_ {};
  struct sigaction oldPipe_ {};
};

bool ParsePositive(const std::string& text, double max, bool integer, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double number = integer ? static_cast<double>(std::strtoll(text.c_str(), &end, 10))
                                : std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != '\0' || !(number > 0) || number > max) return false;
  *value = number;
  return true;
}

void PrintLine(const QString& line) {
  // Output that cannot be written (a reader gone) does not stop the device.
  WriteStdout(line.toStdString() + '\n');
}

}  // namespace

int RunSimulate(const Arguments& args) {
  if (args.operands.size() != 1) {
    ReportError("simulate", "expects exactly one FILE (see 'tarvo-cli simulate --help')");
    return kExitUsage;
  }
  const auto tcp = OptionValues(args, "--tcp");
  const auto udp = OptionValues(args, "--udp");
  const bool pty = HasFlag(args, "--pty");
  if (tcp.size() + udp.size() + (pty ? 1 : 0) != 1) {
    ReportError("simulate", "expects exactly one of --tcp HOST:PORT, --udp HOST:PORT and --pty");
    return kExitUsage;
  }
  QString host;
  quint16 port = 0;
  const std::string address = !tcp.empty() ? tcp.front() : !udp.empty() ? udp.front() : std::string();
  if (!pty && !ParseHostPort(QString::fromStdString(address), &host, &port)) {
    ReportError(address, "not HOST:PORT (for example 127.0.0.1:4352, or port 0 for a free one)");
    return kExitUsage;
  }
  double count = 0;
  double seconds = 0;
  const auto counts = OptionValues(args, "--count");
  const auto times = OptionValues(args, "--seconds");
  if (counts.size() > 1 || (counts.size() == 1 && !ParsePositive(counts.front(), 1e9, true, &count))) {
    ReportError("--count", "expects one positive whole number");
    return kExitUsage;
  }
  if (times.size() > 1 || (times.size() == 1 && !ParsePositive(times.front(), 1e6, false, &seconds))) {
    ReportError("--seconds", "expects one positive number of seconds (at most 1000000)");
    return kExitUsage;
  }

  const std::string& path = args.operands.front();
  EditorSession session;
  DriverFile file;
  if (file.Load(path) != kExitOk) return kExitUsage;

  DeviceSimulator simulator(file.Models());
  QString error;
  const bool listening = pty            ? simulator.ListenPty(&error)
                         : !tcp.empty() ? simulator.ListenTcp(host, port, &error)
                                        : simulator.ListenUdp(host, port, &error);
  if (!listening) {
    const std::string where = pty ? std::string("a pseudo-terminal") : (!tcp.empty() ? "tcp " : "udp ") + address;
    ReportError(DisplayName(path), "cannot listen on " + where + ": " + error.toStdString());
    return kExitUsage;
  }

  StopSignals stopSignals;
  if (!stopSignals.Installed()) {
    ReportError("simulate", "cannot set up the signal handlers");
    return kExitUsage;
  }
  QEventLoop loop;
  QSocketNotifier stopNotifier(stopSignals.ReadFd(), QSocketNotifier::Read);
  QObject::connect(&stopNotifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
  QObject::connect(&simulator, &DeviceSimulator::logged, &PrintLine);
  // Quit once the handler returns, so the last reply is written first.
  QObject::connect(&simulator, &DeviceSimulator::limitReached, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  simulator.SetRequestLimit(static_cast<int>(count));
  simulator.SetLenient(HasFlag(args, "--lenient"));
  QTimer deadline;
  if (seconds > 0) {
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(static_cast<int>(seconds * 1000));
  }

  const QString endpoint = simulator.Endpoint();
  PrintLine(pty ? endpoint : QStringLiteral("listening on ") + endpoint);
  loop.exec();
  simulator.Close();
  return kExitOk;
}

}  // namespace tarvo::cli

#include "cli/clieditors.h"

#include <QApplication>

#include <cstdlib>

namespace tarvo::cli {

namespace {

void QuietMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// QApplication keeps references to its arguments for its whole life.
int g_argc = 1;
char g_name[] = "tarvo-cli";
char* g_argv[] = {g_name, nullptr};

}  // namespace

EditorSession::EditorSession() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qInstallMessageHandler(QuietMessages);
  app_ = std::make_unique<QApplication>(g_argc, g_argv);
}

EditorSession::~EditorSession() {
  app_.reset();
  qInstallMessageHandler(nullptr);
}

}  // namespace tarvo::cli

#pragma once

#include "cli/clicommon.h"

namespace tarvo::cli {

// Each command takes the words after its name and returns the exit status.
int RunEval(const Arguments& args);
int RunXml(const Arguments& args);
int RunResave(const Arguments& args);
int RunInfo(const Arguments& args);
int RunBytes(const Arguments& args);
int RunFindChecksum(const Arguments& args);
// Built with the editors only (TARVO_CLI_EDITORS).
int RunSave(const Arguments& args);
int RunCheck(const Arguments& args);
int RunTest(const Arguments& args);
int RunSimulate(const Arguments& args);

extern const char* const kEvalHelp;
extern const char* const kXmlHelp;
extern const char* const kResaveHelp;
extern const char* const kInfoHelp;
extern const char* const kBytesHelp;
extern const char* const kFindChecksumHelp;
extern const char* const kSaveHelp;
extern const char* const kCheckHelp;
extern const char* const kTestHelp;
extern const char* const kSimulateHelp;

}  // namespace tarvo::cli

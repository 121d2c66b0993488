#pragma once

#include <memory>

class QApplication;

namespace tarvo::cli {

// The Qt application the editor pages need, for as long as it lives. It uses
// the offscreen platform unless QT_QPA_PLATFORM names another, so no display
// is needed, and keeps Qt's own messages off stderr, which carries only the
// tool's one-line errors.
class EditorSession {
 public:
  EditorSession();
  ~EditorSession();
  EditorSession(const EditorSession&) = delete;
  EditorSession& operator=(const EditorSession&) = delete;

 private:
  std::unique_ptr<QApplication> app_;
};

}  // namespace tarvo::cli

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo::cli {

// A small streaming JSON writer producing two-space indented output. Texts are
// taken as UTF-8; bytes that are not valid UTF-8 become U+FFFD so the output
// always parses.
class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // Names the next value inside an object.
  void Key(std::string_view name);
  void String(std::string_view text);
  void Integer(int64_t value);
  void Bool(bool value);
  void Null();

  // The document so far, ending with a line feed once the outermost value is closed.
  const std::string& Text() const { return out_; }

 private:
  void BeforeValue();
  void Newline();

  std::string out_;
  int depth_ = 0;
  bool first_ = true;      // no member written yet in the current container
  bool afterKey_ = false;  // a key was written and its value is pending
};

// `text` as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view text);

}  // namespace tarvo::cli

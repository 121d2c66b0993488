#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The language's + - * / work on numbers: a text operand is read as the
// number it starts with ("secret" + "5f3a9c21" is 5), so text joined with
// + sends the wrong bytes. & is what joins text.

// One operator applied to text: the operator's character and the text
// operand as written (trimmed), the first text operand when both are.
struct TextArithmetic {
  char op;
  std::string operand;
};

// Every + - * / of expression one of whose operands is text: a quoted run,
// a name for which isTextName answers true (a string parameter or variable),
// or a call of a function that returns text (md5, sprintf, mid, left, right,
// pad, replace) or a & join. An expression that does not parse gives what
// was parsed before the error; an empty one gives nothing.
std::vector<TextArithmetic> FindTextArithmetic(std::string_view expression,
                                               const std::function<bool(std::string_view name)>& isTextName);

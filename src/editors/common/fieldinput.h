#pragma once

class QLineEdit;
class QWidget;

// What a field holding file text or a number lets the user type.

// Every QLineEdit inside form (form included) takes text of any length: a
// line edit otherwise cuts what it is given at 32,767 characters, and the
// cut text would be saved.
void HoldFileText(QWidget* form);

enum class NumberInput { Any, Integer, Decimal };

// Limits typing in edit to an optional minus and digits (Integer), with one
// decimal point (Decimal), or lifts the limit (Any). Text set by the program
// is kept as it is, so a value read from a file is never altered.
void SetNumberInput(QLineEdit* edit, NumberInput kind);

#pragma once

#include <QString>

class QLineEdit;

// One entry of the insert-function dialog: a call template with argument
// placeholders, the help on its arguments and what the function does.
struct FunctionHelpEntry
{
    const char* callTemplate;
    const char* argumentHelp;
    const char* description;
};

// The dialog's list, in display order, ending with an entry whose texts are
// all empty.
extern const FunctionHelpEntry kFunctionHelp[];

// The help shown for an entry: the argument help in bold, then the
// description as a paragraph, both HTML-escaped, line breaks as "<br>".
QString FunctionHelpHtml(const FunctionHelpEntry& entry);

// Inserts templ into edit's text at position (clamped to the text), gives the
// field the focus and selects the text between the template's first "(" and
// its first ")", the cursor after the "(", so typing replaces the argument
// placeholders. Without both parentheses the cursor goes after the template.
void InsertFunctionTemplate(QLineEdit* edit, int position, const QString& templ);

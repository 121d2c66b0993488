#include "editors/functions/functionhelp.h"

#include <QCoreApplication>
#include <QLineEdit>

namespace {

constexpr const char* kTimecodeHelp = "<timecode>: a string timecode or parameter in the format 00:00:00.01";
constexpr const char* kBytesHelp = "<parameter>: a string of ASCII characters or other bytes";
constexpr const char* kStringHelp = "<string>: a string of characters of any length";
constexpr const char* kIntegerHelp = "<integer>: a four-byte integer value or variable";
constexpr const char* kParameterHelp = "<parameter>: parameter name or integer value";

} // namespace

const FunctionHelpEntry kFunctionHelp[] = {
    {"Mod(<dividend>, <divisor>)", "<dividend>: integer value\n<divisor>: integer value to divide by",
     "Returns remainder from division."},
    {"Left(<string>, <length>)", "<length>: number of characters to return",
     "Returns the first (or leftmost) character or characters in a text string."},
    {"Right(<string>, <length>)", "<length>: number of characters to return",
     "Returns the last (or rightmost) character or characters in a text string."},
    {"Mid(<string>, <start>, <length>)",
     "<start>: the zero-indexed starting point\n<length>: number of characters to return",
     "Returns a specific number of characters from a text string starting at the specified position."},
    {"Length(<string>)", "", "Returns the number of characters in a text string."},
    {"Pad(<byte>, <length>)", "<byte>: integer or hex byte to duplicate\n<length>: total length of string",
     "Returns a string consisting of <byte> repeated <length> times."},
    {"bitand(<parameter>, <parameter>, ...)", kParameterHelp,
     "Returns the bitwise \"and\" of all the parameters."},
    {"bitor(<parameter>, <parameter>, ...)", kParameterHelp, "Returns the bitwise \"or\" of all the parameters."},
    {"bitxor(<parameter>, <parameter>, ...)", kParameterHelp,
     "Returns the bitwise \"xor\" of all the parameters."},
    {"not(<parameter>)", "<parameter>: logical value", "Returns the inverse of a logical argument."},
    {"compl(<parameter>)", kParameterHelp, "Returns the bitwise complement of a value."},
    {"atoi(<string>)", "<string>: an ASCII string such as \"1234\"",
     "Converts ASCII text to an integer and returns the numerical value."},
    {"btoi(<string>, <length>)",
     "<string>: a big-endian sequence of up to four bytes\n<length>: the length of the byte sequence",
     "Converts a big-endian string into an integer and returns the numerical value."},
    {"ltoi(<string>, <length>)",
     "<string>: a little-endian sequence of up to four bytes\n<length>: the length of the byte sequence",
     "Converts a little-endian string into an integer and returns the numerical value."},
    {"ByteChecksum(<parameter>)", kBytesHelp,
     "Returns the least significant byte of the checksum for all of the characters in the parameter."},
    {"Checksum(<parameter>)", kBytesHelp,
     "Returns a bytewise checksum (up to four bytes in size) for all of the characters in the parameter."},
    {"KorNetChecksum(<parameter>)", kBytesHelp,
     "Returns an Kor Net checksum for all of the characters in the parameter."},
    {"MD5(<string>)", kStringHelp, "Returns the 16-byte MD5 sum for <string>."},
    {"sprintf(\"%08x%08x%08x%08x\", btoi(mid(md5(<string>), 0, 4), 4), btoi(mid(md5(<string>), 4, 4), 4), "
     "btoi(mid(md5(<string>), 8, 4), 4), btoi(mid(md5(<string>), 12, 4), 4))",
     "<string>: the text to digest, the same in all four places, for example Seed & Password",
     "Returns the MD5 sum for <string> as 32 lowercase hexadecimal digits, as logins such as PJLink's send it.\n"
     "Join texts with &: + adds numbers."},
    {"BCC(<string>)", kStringHelp,
     "Returns the one-byte BCC checksum (the result of XORing all individual bytes) for <string>."},
    {"XOR(<string>)", kStringHelp,
     "Returns the one-byte XOR checksum (the result of XORing all individual bytes) for <string>."},
    {"LSB(<integer>)", kIntegerHelp, "Returns the least significant byte of <integer>."},
    {"MSB(<integer>)", kIntegerHelp, "Returns the most significant byte of <integer>."},
    {"GetByte(<integer>, <index>)",
     "<integer>: a four-byte integer value or variable\n"
     "<index>: the index of a single byte (1 = least significant, 4 = most significant)",
     "Returns a single byte within <integer>."},
    {"Byte(<integer>)", "<integer>: an integer of up to four bytes",
     "Returns the least significant byte of <integer>."},
    {"Word(<integer>)", "<integer>: an integer of up to four bytes",
     "Returns the two least significant bytes of <integer>."},
    {"sprintf(<format>, <param>, <param>, ...)",
     "<format>: a C-style format string\n<param>: a string, integer, or floating-point value",
     "Returns a formatted string with the parameters substituted as needed.\n\n"
     "The following placeholders are supported:\n%s: string print\n%d: integer print\n%f: decimal print\n"
     "%x: hex print\n%p: value print (for non-ASCII values)"},
    {"Hours(<timecode>)", kTimecodeHelp, "Returns an integer representing the hours portion of the timecode."},
    {"Minutes(<timecode>)", kTimecodeHelp,
     "Returns an integer representing the minutes portion of the timecode."},
    {"Seconds(<timecode>)", kTimecodeHelp,
     "Returns an integer representing the seconds portion of the timecode."},
    {"Frames(<timecode>)", kTimecodeHelp, "Returns an integer representing the frames portion of the timecode."},
    {"TotalFrames(<timecode>)", kTimecodeHelp,
     "Returns an integer representing the total amount of frames equivalent to the timecode."},
    {"BER(<string>)", "<string>: an Object ID string in the form \"1.3.6.1.2.3.5.4.45.4\"",
     "Returns the binary string needed for outgoing messages such as SNMP."},
    {"Replace(<string>, <find>, <replace>)", "",
     "Returns a string with each instance of <find> in <string> replaced with <replace>.\n\n"
     "Spaces are required between parameters when using this function."},
    {"ScanList(<value>, <length>, <list variable>, <size>, <endian>)",
     "<value>: value to parse and store\n<length>: total length to store\n"
     "<list variable>: destination list (array) variable\n<size>: number of bytes per array element\n"
     "<endian>: either \"big\" or \"little\" in quotes",
     "Takes a stream of data (ie: 00239102) and parses words (or bytes) of data into a list (array) "
     "VelmoraLive variable.\n\n"
     "ie: for ScanList(00239102, 4, myList, 2, \"little\") the result would be:\n"
     "myList[0]=00, myList[1]=23, myList[2]=91, myList[3]=02"},
    {"PrintList(<length>, <list variable>, <size>, <endian>)",
     "<length>: total length to print\n<list variable>: list (array) variable\n"
     "<size>: number of bytes per array element\n<endian>: either \"big\" or \"little\" in quotes",
     "Outputs a stream of data (not ASCII) using a list (array) VelmoraLive variable."},
    {"GetAt(<list variable>, <index>)", "",
     "Returns the value of a particular position in a list (array) VelmoraLive variable."},
    {"SetAt(<list variable>, <index>)", "",
     "Sets the value of a particular position in a list (array) VelmoraLive variable."},
    {"If(<logical test>, <value if true>, <value if false>)", "<logical test>: test statement such as 'myVar = \"1\"'",
     "Returns one of two values based on the results of a logical test.\n"
     "This statement can be nested, ie: if (myVar=1, \"varIsOne\", if (myVar=2, \"varIsTwo\", \"unknown\"))"},
    {"", "", ""},
};

QString FunctionHelpHtml(const FunctionHelpEntry& entry)
{
    const QString argumentHelp = QString::fromUtf8(entry.argumentHelp).toHtmlEscaped();
    const QString description = QString::fromUtf8(entry.description).toHtmlEscaped();
    // One pass over both arguments, so a "%1" inside a help text stays as it is.
    return QStringLiteral("<b>%1</b><p>%2")
        .arg(argumentHelp, description)
        .replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

void InsertFunctionTemplate(QLineEdit* edit, int position, const QString& templ)
{
    if (!edit || templ.isEmpty())
        return;
    position = qBound(0, position, static_cast<int>(edit->text().size()));
    edit->setCursorPosition(position);
    edit->insert(templ);  // as typed: undoable, and reported as an edit
    edit->setFocus();
    // The focus-in is handled before the selection is made, so it cannot
    // replace the selection.
    QCoreApplication::processEvents();
    const int open = static_cast<int>(templ.indexOf(QLatin1Char('(')));
    const int close = static_cast<int>(templ.indexOf(QLatin1Char(')')));
    if (open < 0 || close <= open) {
        edit->setCursorPosition(position + static_cast<int>(templ.size()));
        return;
    }
    edit->setSelection(position + close, open + 1 - close);
}

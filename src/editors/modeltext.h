#pragma once

#include <QString>

#include <string>

// The data model keeps its texts as UTF-8 std::string; the editors show QString.
inline QString FromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

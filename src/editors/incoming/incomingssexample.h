#pragma once

#include <QObject>
#include <QString>

#include <utility>

class QLabel;
class QLineEdit;

namespace IncomingSS {

// The characters [start, start + length) of an example.
struct ExampleSpan
{
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype End() const { return start + length; }
    bool operator==(const ExampleSpan&) const = default;
};

// The span of a text of size characters that holds anchor and cursor with
// reach characters on either side (fewer at the text's ends).
ExampleSpan SpanAround(qsizetype size, qsizetype anchor, qsizetype cursor, qsizetype reach);
// Whether span still suits anchor and cursor: at least margin characters
// between them and each edge that is not the text's own, and no longer than
// SpanAround would make it plus twice margin.
bool SpanSuits(const ExampleSpan& span, qsizetype size, qsizetype anchor, qsizetype cursor, qsizetype reach,
               qsizetype margin);

} // namespace IncomingSS

// Keeps typing in a long example reply as quick as in a short one. A line
// edit lays out its whole text again on every key, which takes a tenth of a
// second at a megabyte; so while the example is long, the field that holds
// it (whole) shows nothing and is hidden, and part, in its place, holds only
// the characters around the cursor and the selection. Each edit of part is
// made on whole at once as one insert over the changed characters, so
// whole's text, signals and undo path stay what they are for a short
// example; part takes a new slice of whole when its cursor nears an edge.
// Home, End and Select All reach the ends of the whole example; a selection
// is always inside part, so a very long one is laid out at its full length.
class IncomingExampleWindow : public QObject
{
    Q_OBJECT

public:
    // Past Long characters part takes over; below Short whole comes back.
    static constexpr qsizetype Long = 16384;
    static constexpr qsizetype Short = 8192;
    // Characters part holds on either side of its cursor and selection, and
    // how near an inner edge the cursor may come before part is sliced again.
    static constexpr qsizetype Reach = 4096;
    static constexpr qsizetype Margin = 1024;

    // label: whose buddy follows the field shown. None is owned.
    IncomingExampleWindow(QLineEdit* whole, QLineEdit* part, QLabel* label, QObject* parent);

    // Sets whole's text as setText does, a long one without laying it out.
    void SetText(const QString& text);
    bool IsLong() const { return m_Long; }
    // The field the user types in: part while the example is long.
    QLineEdit* Shown() const;
    // The slice part holds (empty while the example is short).
    IncomingSS::ExampleSpan Span() const { return m_Span; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WholeChanged();
    void PartEdited(const QString& text);
    void SetLong(bool on);
    void Slice(qsizetype anchor, qsizetype cursor);
    void ScheduleCheck();
    void Check();
    // part's anchor and cursor in whole's characters.
    std::pair<qsizetype, qsizetype> PartSelection() const;

    QLineEdit* m_pWhole;
    QLineEdit* m_pPart;
    QLabel* m_pLabel;
    IncomingSS::ExampleSpan m_Span;
    bool m_Long = false;
    bool m_Forwarding = false;  // an edit of part is being made on whole
    bool m_Slicing = false;     // part is being given a new slice
    bool m_CheckPending = false;
};

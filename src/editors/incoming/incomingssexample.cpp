#include "editors/incoming/incomingssexample.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScopedValueRollback>

#include <algorithm>
#include <optional>

namespace IncomingSS {

ExampleSpan SpanAround(qsizetype size, qsizetype anchor, qsizetype cursor, qsizetype reach)
{
    const qsizetype start = std::clamp<qsizetype>(std::min(anchor, cursor) - reach, 0, size);
    const qsizetype end = std::clamp<qsizetype>(std::max(anchor, cursor) + reach, start, size);
    return {start, end - start};
}

bool SpanSuits(const ExampleSpan& span, qsizetype size, qsizetype anchor, qsizetype cursor, qsizetype reach,
               qsizetype margin)
{
    const qsizetype low = std::min(anchor, cursor);
    const qsizetype high = std::max(anchor, cursor);
    if (low < span.start || high > span.End() || span.End() > size)
        return false;
    if ((span.start > 0 && low - span.start < margin) || (span.End() < size && span.End() - high < margin))
        return false;
    return span.length <= high - low + 2 * (reach + margin);
}

} // namespace IncomingSS

namespace {

// A line edit's anchor and cursor.
std::pair<qsizetype, qsizetype> Selection(const QLineEdit* edit)
{
    const qsizetype cursor = edit->cursorPosition();
    if (!edit->hasSelectedText())
        return {cursor, cursor};
    const qsizetype start = edit->selectionStart();
    return {start == cursor ? start + edit->selectionLength() : start, cursor};
}

void Select(QLineEdit* edit, qsizetype anchor, qsizetype cursor)
{
    if (anchor == cursor)
        edit->setCursorPosition(int(cursor));
    else
        edit->setSelection(int(anchor), int(cursor - anchor));
}

} // namespace

IncomingExampleWindow::IncomingExampleWindow(QLineEdit* whole, QLineEdit* part, QLabel* label, QObject* parent)
    : QObject(parent), m_pWhole(whole), m_pPart(part), m_pLabel(label)
{
    m_pPart->hide();
    m_pPart->installEventFilter(this);
    connect(m_pWhole, &QLineEdit::textChanged, this, &IncomingExampleWindow::WholeChanged);
    connect(m_pPart, &QLineEdit::textEdited, this, &IncomingExampleWindow::PartEdited);
    connect(m_pPart, &QLineEdit::cursorPositionChanged, this, [this] {
        if (!m_Slicing)
            ScheduleCheck();
    });
}

void IncomingExampleWindow::SetText(const QString& text)
{
    // A long text goes in unseen, so that it is never laid out whole.
    const bool lengthens = !m_Long && text.size() > Long;
    if (lengthens)
        m_pWhole->setEchoMode(QLineEdit::NoEcho);
    m_pWhole->setText(text);
    // The same text again reports no change.
    if (lengthens && !m_Long)
        SetLong(true);
}

QLineEdit* IncomingExampleWindow::Shown() const
{
    return m_Long ? m_pPart : m_pWhole;
}

void IncomingExampleWindow::WholeChanged()
{
    if (m_Forwarding)
        return;
    const qsizetype size = m_pWhole->text().size();
    if (m_Long ? size < Short : size > Long) {
        SetLong(!m_Long);
    } else if (m_Long) {
        const auto [anchor, cursor] = Selection(m_pWhole);
        Slice(anchor, cursor);
    }
}

void IncomingExampleWindow::PartEdited(const QString& text)
{
    if (!m_Long)
        return;
    qsizetype prefix = 0, removed = 0;
    QString inserted;
    {
        // Let go of whole's text before it changes, or it is copied whole.
        const QString before = m_pWhole->text();
        const QStringView old = QStringView(before).mid(m_Span.start, m_Span.length);
        const qsizetype shorter = std::min(old.size(), text.size());
        while (prefix < shorter && old[prefix] == text[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < shorter - prefix && old[old.size() - 1 - suffix] == text[text.size() - 1 - suffix])
            ++suffix;
        removed = old.size() - prefix - suffix;
        inserted = text.mid(prefix, text.size() - prefix - suffix);
    }
    m_Span.length = text.size();
    ScheduleCheck();
    if (removed == 0 && inserted.isEmpty())
        return;
    const QScopedValueRollback<bool> forwarding(m_Forwarding, true);
    m_pWhole->setSelection(int(m_Span.start + prefix), int(removed));
    m_pWhole->insert(inserted);
}

void IncomingExampleWindow::SetLong(bool on)
{
    QLineEdit* from = on ? m_pWhole : m_pPart;
    QLineEdit* to = on ? m_pPart : m_pWhole;
    const bool focused = from->hasFocus();
    m_Long = on;
    // Long, whole has nothing to lay out: its text is seen through part.
    m_pWhole->setEchoMode(on ? QLineEdit::NoEcho : QLineEdit::Normal);
    if (on) {
        m_pPart->setReadOnly(m_pWhole->isReadOnly());
        m_Span = {};
        const auto [anchor, cursor] = Selection(m_pWhole);
        Slice(anchor, cursor);
    }
    to->show();
    if (focused)
        to->setFocus();
    from->hide();
    if (m_pLabel)
        m_pLabel->setBuddy(to);
    if (!on) {
        const QScopedValueRollback<bool> slicing(m_Slicing, true);
        m_pPart->clear();
        m_Span = {};
    }
}

void IncomingExampleWindow::Slice(qsizetype anchor, qsizetype cursor)
{
    const QString whole = m_pWhole->text();
    const IncomingSS::ExampleSpan span = IncomingSS::SpanAround(whole.size(), anchor, cursor, Reach);
    // The text under the edge it moves away from stays at that edge, so the
    // characters on screen do not jump: the line edit scrolls only as far as
    // its cursor needs, and the cursor is put there for one paint.
    qsizetype keep = -1;
    if (m_pPart->isVisible() && m_Span.length > 0 && span.start != m_Span.start) {
        const QRect area = m_pPart->rect().adjusted(8, 0, -8, 0);
        const int x = span.start > m_Span.start ? area.left() : area.right();
        keep = m_Span.start + m_pPart->cursorPositionAt(QPoint(x, area.center().y()));
    }
    const QScopedValueRollback<bool> slicing(m_Slicing, true);
    m_Span = span;
    m_pPart->setText(whole.mid(span.start, span.length));
    if (keep >= span.start && keep <= span.End()) {
        m_pPart->setCursorPosition(int(keep - span.start));
        m_pPart->repaint();
    }
    Select(m_pPart, anchor - span.start, cursor - span.start);
}

void IncomingExampleWindow::ScheduleCheck()
{
    if (std::exchange(m_CheckPending, true))
        return;
    QMetaObject::invokeMethod(this, &IncomingExampleWindow::Check, Qt::QueuedConnection);
}

void IncomingExampleWindow::Check()
{
    m_CheckPending = false;
    // During a drag the slice stays; the release checks again.
    if (!m_Long || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    const qsizetype size = m_pWhole->text().size();
    const auto [anchor, cursor] = PartSelection();
    if (size < Short) {
        SetLong(false);
        Select(m_pWhole, std::min(anchor, size), std::min(cursor, size));
        return;
    }
    if (!IncomingSS::SpanSuits(m_Span, size, anchor, cursor, Reach, Margin))
        Slice(anchor, cursor);
}

std::pair<qsizetype, qsizetype> IncomingExampleWindow::PartSelection() const
{
    const auto [anchor, cursor] = Selection(m_pPart);
    return {m_Span.start + anchor, m_Span.start + cursor};
}

bool IncomingExampleWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pPart || !m_Long)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // The ends of the line are the example's, not the slice's.
        const auto* key = static_cast<const QKeyEvent*>(event);
        const qsizetype anchor = PartSelection().first;
        const qsizetype end = m_pWhole->text().size();
        std::optional<std::pair<qsizetype, qsizetype>> to;
        if (key->matches(QKeySequence::SelectAll))
            to = {0, end};
        else if (key->matches(QKeySequence::MoveToStartOfLine) || key->matches(QKeySequence::MoveToStartOfBlock) ||
                 key->matches(QKeySequence::MoveToStartOfDocument))
            to = {0, 0};
        else if (key->matches(QKeySequence::MoveToEndOfLine) || key->matches(QKeySequence::MoveToEndOfBlock) ||
                 key->matches(QKeySequence::MoveToEndOfDocument))
            to = {end, end};
        else if (key->matches(QKeySequence::SelectStartOfLine) || key->matches(QKeySequence::SelectStartOfBlock) ||
                 key->matches(QKeySequence::SelectStartOfDocument))
            to = {anchor, 0};
        else if (key->matches(QKeySequence::SelectEndOfLine) || key->matches(QKeySequence::SelectEndOfBlock) ||
                 key->matches(QKeySequence::SelectEndOfDocument))
            to = {anchor, end};
        if (to) {
            Slice(to->first, to->second);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        ScheduleCheck();
    } else if (event->type() == QEvent::ContextMenu) {
        QMenu* menu = m_pPart->createStandardContextMenu();
        if (!menu)
            return true;
        // Its Select All selects the whole example, as Ctrl+A does. The
        // action bears no name, but it is the one that selects all of part.
        for (QAction* action : menu->actions()) {
            connect(action, &QAction::triggered, this, [this] {
                const qsizetype length = m_pPart->text().size();
                if (length > 0 && m_pPart->selectionLength() == length)
                    Slice(0, m_pWhole->text().size());
            });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

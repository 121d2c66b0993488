#pragma once

class QAbstractButton;
class QAbstractItemView;
class QString;

// Gives a list's row buttons the desktop's icons (bundled ones where the icon
// theme has none) in square buttons, with tooltips naming rowKind ("Event",
// "Variable", ...), and lets Delete and Ctrl+D press the delete and duplicate
// buttons while the list itself has the keyboard focus, if they are enabled
// and shown. A null button is one the list does not have; it gets no key.
// What the buttons do stays with their page.
void DecorateListButtons(QAbstractItemView* list, const QString& rowKind, QAbstractButton* add,
                         QAbstractButton* duplicate, QAbstractButton* remove, QAbstractButton* up,
                         QAbstractButton* down);

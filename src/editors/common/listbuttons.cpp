#include "editors/common/listbuttons.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QShortcut>
#include <QString>

// The bundled icons live in the editors library, which the linker would drop
// unless something refers to them.
static void InitListButtonIcons()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(listbuttons);
        return true;
    }();
    (void)done;
}

namespace {

constexpr int IconSide = 16;

// Made once: every page of every file opened decorates its buttons, and
// reading the bundled images each time was a good part of an open.
QIcon ThemeIcon(const char* name)
{
    static QHash<QString, QIcon> icons;
    const QString key = QLatin1String(name);
    if (const auto found = icons.constFind(key); found != icons.cend())
        return *found;
    const QString bundled = QStringLiteral(":/Tarvo/ListButtons/%1").arg(key);
    QIcon fallback;
    fallback.addFile(bundled + QStringLiteral(".png"), QSize(IconSide, IconSide));
    fallback.addFile(bundled + QStringLiteral("@2x.png"), QSize(2 * IconSide, 2 * IconSide));
    return icons.insert(key, QIcon::fromTheme(key, fallback)).value();
}

// key: the name of the key that presses the button, or empty.
void Decorate(QAbstractButton* button, const char* iconName, const QString& action, const QString& key)
{
    if (!button)
        return;
    button->setToolTip(key.isEmpty() ? action : QStringLiteral("%1 (%2)").arg(action, key));
    button->setStatusTip(action);
    button->setAccessibleName(action);
    const QIcon icon = ThemeIcon(iconName);
    // A button without a drawable icon keeps its text rather than go blank.
    if (icon.pixmap(IconSide).isNull())
        return;
    button->setIcon(icon);
    button->setIconSize(QSize(IconSide, IconSide));
    button->setText(QString());
    const QSize hint = button->sizeHint();
    const int side = qMax(hint.width(), hint.height());
    button->setFixedSize(side, side);
}

// The shortcut belongs to the list alone (not its children), so a line edit,
// or the editor of a list item being renamed, keeps the key to itself.
void PressOnKey(QAbstractItemView* list, QAbstractButton* button, const QKeySequence& key)
{
    if (!list || !button)
        return;
    auto* shortcut = new QShortcut(key, list);
    shortcut->setContext(Qt::WidgetShortcut);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled() && button->isVisible())
            button->click();
    });
}

} // namespace

void DecorateListButtons(QAbstractItemView* list, const QString& rowKind, QAbstractButton* add,
                         QAbstractButton* duplicate, QAbstractButton* remove, QAbstractButton* up,
                         QAbstractButton* down)
{
    InitListButtonIcons();
    const QKeySequence duplicateKey(Qt::CTRL | Qt::Key_D);
    const QKeySequence deleteKey(Qt::Key_Delete);
    Decorate(add, "list-add", QStringLiteral("Add %1").arg(rowKind), QString());
    Decorate(duplicate, "edit-copy", QStringLiteral("Duplicate %1").arg(rowKind),
             duplicateKey.toString(QKeySequence::NativeText));
    // Named in full: the key's own text is the abbreviation "Del".
    Decorate(remove, "list-remove", QStringLiteral("Delete %1").arg(rowKind), QStringLiteral("Delete"));
    Decorate(up, "go-up", QStringLiteral("Move %1 Up").arg(rowKind), QString());
    Decorate(down, "go-down", QStringLiteral("Move %1 Down").arg(rowKind), QString());
    PressOnKey(list, duplicate, duplicateKey);
    PressOnKey(list, remove, deleteKey);
}

#include "editors/common/namedrows.h"

#include <QStandardItemModel>

namespace {

// The index in use and the model it stands for; loads run on one thread.
const QStandardItemModel* g_pIndexedModel = nullptr;
const NamedRows* g_pIndex = nullptr;

bool IsAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            return false;
    }
    return true;
}

} // namespace

NamedRows::NamedRows(const QStandardItemModel& model)
{
    for (int row = 0; row < model.rowCount(); ++row) {
        QStandardItem* item = model.item(row, 0);
        if (!item)
            continue;
        const QString text = item->text();
        if (!m_Exact.contains(text))
            m_Exact.insert(text, item);
        m_Ascii = m_Ascii && IsAscii(text);
        if (const QString folded = text.toLower(); m_Ascii && !m_Folded.contains(folded))
            m_Folded.insert(folded, item);
    }
    if (!m_Ascii)
        m_Folded.clear();
}

const NamedRows& NamedRows::None()
{
    static const NamedRows none;
    return none;
}

NamedRows::Use::Use(const QStandardItemModel* model, const NamedRows& rows)
    : m_pModel(g_pIndexedModel), m_pRows(g_pIndex)
{
    g_pIndexedModel = model;
    g_pIndex = &rows;
}

NamedRows::Use::~Use()
{
    g_pIndexedModel = m_pModel;
    g_pIndex = m_pRows;
}

QStandardItem* FindNamedRow(const QStandardItemModel* model, const QString& name, Qt::CaseSensitivity sensitivity)
{
    if (!model)
        return nullptr;
    if (model == g_pIndexedModel && g_pIndex) {
        if (sensitivity == Qt::CaseSensitive)
            return g_pIndex->m_Exact.value(name);
        if (g_pIndex->m_Ascii && IsAscii(name))
            return g_pIndex->m_Folded.value(name.toLower());
    }
    for (int row = 0; row < model->rowCount(); ++row) {
        QStandardItem* item = model->item(row, 0);
        if (item && QString::compare(item->text(), name, sensitivity) == 0)
            return item;
    }
    return nullptr;
}

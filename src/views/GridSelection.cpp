#include "views/GridSelection.h"

#include <algorithm>

namespace {

bool valid(const QList<NookItem>& items, int index) {
    return index >= 0 && index < items.size();
}

} // namespace

void GridSelection::click(const QList<NookItem>& items, int index) {
    m_ids.clear();
    if (valid(items, index))
        m_anchor = items.at(index).id;
}

void GridSelection::ctrlClick(const QList<NookItem>& items, int index) {
    if (!valid(items, index))
        return;
    const QUuid& id = items.at(index).id;
    if (!m_ids.remove(id))
        m_ids.insert(id);
    m_anchor = id;
}

void GridSelection::extend(const QList<NookItem>& items, int from, int to) {
    if (!valid(items, to))
        return;
    qsizetype anchor = -1;
    if (m_anchor) {
        const auto found = std::find_if(items.cbegin(), items.cend(),
                                        [this](const NookItem& item) { return item.id == *m_anchor; });
        anchor = found == items.cend() ? -1 : found - items.cbegin();
    }
    if (anchor < 0) {
        anchor = valid(items, from) ? from : to;
        m_anchor = items.at(anchor).id;
    }
    m_ids.clear();
    for (qsizetype i = std::min<qsizetype>(anchor, to); i <= std::max<qsizetype>(anchor, to); ++i)
        m_ids.insert(items.at(i).id);
}

void GridSelection::selectAll(const QList<NookItem>& items) {
    for (const NookItem& item : items)
        m_ids.insert(item.id);
    if (!m_anchor && !items.isEmpty())
        m_anchor = items.first().id;
}

void GridSelection::beginBand(bool add) {
    m_bandBase = add ? m_ids : QSet<QUuid>();
}

void GridSelection::band(const QList<NookItem>& items, const QList<int>& touched) {
    m_ids = m_bandBase;
    for (int index : touched) {
        if (valid(items, index))
            m_ids.insert(items.at(index).id);
    }
    if (!touched.isEmpty() && valid(items, touched.first()))
        m_anchor = items.at(touched.first()).id;
}

bool GridSelection::clear() {
    if (m_ids.isEmpty())
        return false;
    m_ids.clear();
    return true;
}

void GridSelection::follow(const QList<NookItem>& items) {
    // Called with the whole nook at every change to it: each item is looked up in the
    // selection, which is small, rather than the whole nook hashed.
    if (m_ids.isEmpty() && m_bandBase.isEmpty() && !m_anchor)
        return;
    QSet<QUuid> ids;
    QSet<QUuid> bandBase;
    bool anchorStays = false;
    for (const NookItem& item : items) {
        if (m_ids.contains(item.id))
            ids.insert(item.id);
        if (m_bandBase.contains(item.id))
            bandBase.insert(item.id);
        anchorStays = anchorStays || (m_anchor && *m_anchor == item.id);
    }
    m_ids = ids;
    m_bandBase = bandBase;
    if (!anchorStays)
        m_anchor.reset();
}

QList<NookItem> GridSelection::selectedIn(const QList<NookItem>& items) const {
    QList<NookItem> selected;
    for (const NookItem& item : items) {
        if (m_ids.contains(item.id))
            selected << item;
    }
    return selected;
}

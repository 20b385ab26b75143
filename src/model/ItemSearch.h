#pragma once

#include "model/NookGroup.h"

#include <optional>

// Finds items of every nook by name or by the path they were added from, ignoring
// case and accents. The texts are folded once when the groups are set, so each
// keystroke only compares folded strings.
//
// Order: the current nook's items first, then the other nooks in their order; within
// that, a name starting with the query, then a word of the name starting with it, then
// the query inside the name, then a word of the path starting with it; ties keep the
// items' order. Every word of the query must match.
class ItemSearch {
public:
    struct Result {
        NookItem item;
        QUuid groupID;
        QString groupName;
        bool otherGroup = false; // from a nook other than the current one
    };

    void setGroups(const QList<NookGroup>& groups, const std::optional<QUuid>& currentGroupID);
    QList<Result> find(const QString& query) const;

    // Lower case, without accents or other combining marks ("Ärger" -> "arger"), with the
    // letters a plain keyboard spells out written so ("Straße" -> "strasse").
    static QString fold(const QString& text);

private:
    struct Entry {
        int group;
        int item;
        QString name;
        QString path; // relative to the home folder where it lies inside it
    };

    QList<NookGroup> m_groups;
    QList<Entry> m_entries; // current nook's entries first
    std::optional<QUuid> m_current;
};

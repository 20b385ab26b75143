#pragma once

#include <QList>
#include <QString>
#include <QUuid>

// What the tab bar needs of a group.
struct GroupSummary {
    QUuid id;
    QString name;

    friend bool operator==(const GroupSummary&, const GroupSummary&) = default;
};

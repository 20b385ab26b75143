#include "model/ItemSearch.h"

#include "model/Bookmarks.h"

#include <QDir>

#include <algorithm>

namespace {

enum Rank { NamePrefix, NameWord, NameInside, PathWord, NoMatch };

bool wordStart(const QString& text, qsizetype at) {
    return at == 0 || !text.at(at - 1).isLetterOrNumber();
}

// The best place of `word` in `text`: the start, the start of a word, or anywhere.
Rank rankIn(const QString& text, const QString& word, Rank prefix, Rank wordRank, Rank inside) {
    Rank best = NoMatch;
    for (qsizetype at = text.indexOf(word); at >= 0; at = text.indexOf(word, at + 1)) {
        if (at == 0)
            return prefix;
        if (wordStart(text, at))
            return wordRank;
        best = inside;
    }
    return best;
}

// Letters that carry no accent to strip but are written otherwise on a plain keyboard.
QString spelledOut(char32_t code) {
    switch (code) {
    case U'ß':
    case U'ẞ':
        return QStringLiteral("ss");
    case U'æ':
    case U'Æ':
        return QStringLiteral("ae");
    case U'œ':
    case U'Œ':
        return QStringLiteral("oe");
    case U'ø':
    case U'Ø':
        return QStringLiteral("o");
    case U'ł':
    case U'Ł':
        return QStringLiteral("l");
    default:
        return {};
    }
}

} // namespace

QString ItemSearch::fold(const QString& text) {
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) { // most names are plain ASCII: no table look-ups
            folded.append(c.toLower());
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text.at(++i));
        if (const QString spelled = spelledOut(code); !spelled.isEmpty()) {
            folded.append(spelled);
            continue;
        }
        const QString part = QString::fromUcs4(&code, 1).normalized(QString::NormalizationForm_KD);
        for (const QChar p : part) {
            const QChar::Category category = p.category();
            if (category != QChar::Mark_NonSpacing && category != QChar::Mark_Enclosing &&
                category != QChar::Mark_SpacingCombining)
                folded.append(p);
        }
    }
    return folded.toCaseFolded();
}

void ItemSearch::setGroups(const QList<NookGroup>& groups, const std::optional<QUuid>& currentGroupID) {
    m_groups = groups;
    m_current = currentGroupID;
    m_entries.clear();
    const QString home = QDir::homePath() + QLatin1Char('/');
    auto addGroup = [&](int g) {
        const QList<NookItem>& items = m_groups.at(g).items;
        for (int i = 0; i < items.size(); ++i) {
            QString path = Bookmarks::recordedPath(items.at(i).bookmarkData).value_or(QString());
            // Every file under the home folder would match its name otherwise.
            if (path.startsWith(home))
                path = path.mid(home.size());
            m_entries.append(Entry{g, i, fold(items.at(i).name), fold(path)});
        }
    };
    int current = -1;
    for (int g = 0; g < m_groups.size(); ++g) {
        if (current < 0 && m_groups.at(g).id == currentGroupID) {
            current = g;
            addGroup(g);
        }
    }
    for (int g = 0; g < m_groups.size(); ++g) {
        if (g != current)
            addGroup(g);
    }
}

QList<ItemSearch::Result> ItemSearch::find(const QString& query) const {
    const QStringList words = fold(query).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    struct Hit {
        int entry;
        bool other;
        Rank rank;
    };
    QList<Hit> hits;
    for (int e = 0; e < m_entries.size(); ++e) {
        const Entry& entry = m_entries.at(e);
        Rank worst = NamePrefix;
        for (const QString& word : words) {
            Rank rank = rankIn(entry.name, word, NamePrefix, NameWord, NameInside);
            if (rank == NoMatch)
                rank = rankIn(entry.path, word, PathWord, PathWord, NoMatch);
            worst = std::max(worst, rank);
            if (worst == NoMatch)
                break;
        }
        if (worst != NoMatch)
            hits.append(Hit{e, m_groups.at(entry.group).id != m_current, worst});
    }
    // Entries are already in nook and item order, so a stable sort keeps ties in it.
    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        return std::tie(a.other, a.rank) < std::tie(b.other, b.rank);
    });
    QList<Result> results;
    results.reserve(hits.size());
    for (const Hit& hit : hits) {
        const Entry& entry = m_entries.at(hit.entry);
        const NookGroup& group = m_groups.at(entry.group);
        results.append(Result{group.items.at(entry.item), group.id, group.name, hit.other});
    }
    return results;
}

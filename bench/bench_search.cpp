// Searching the items of every nook as the user types: 10,000 items in 100 nooks.
// One keystroke must stay well inside a frame (16 ms) on the UI thread.
#include "model/ItemSearch.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

QList<NookGroup> sampleGroups(int itemCount) {
    const QStringList words = {u"Bericht"_s, u"Quarterly"_s, u"report"_s, u"Übersicht"_s, u"café"_s,
                               u"notes"_s,   u"Rechnung"_s,  u"slides"_s, u"Ölpreis"_s,   u"draft"_s,
                               u"final"_s,   u"Angebot"_s,   u"photos"_s, u"résumé"_s};
    QList<NookGroup> groups;
    for (int i = 0; i < itemCount; ++i) {
        if (i % 100 == 0)
            groups.append(NookGroup{QUuid::createUuid(), QStringLiteral("Nook %1").arg(i / 100), {}});
        const QString name = words.at(i % words.size()) + QLatin1Char(' ') +
                             words.at((i / 7) % words.size()) + QStringLiteral(" %1").arg(i);
        const QString path =
            QDir::homePath() + QStringLiteral("/Documents/Projekte %1/%2.pdf").arg(i % 37).arg(name);
        groups.last().items.append(NookItem{QUuid::createUuid(), name, path.toUtf8()});
    }
    return groups;
}

void BM_IndexItems(benchmark::State& state) {
    const QList<NookGroup> groups = sampleGroups(int(state.range(0)));
    for (auto _ : state) {
        ItemSearch search;
        search.setGroups(groups, groups.at(3).id);
        benchmark::DoNotOptimize(search);
    }
}
BENCHMARK(BM_IndexItems)->Arg(10000)->Unit(benchmark::kMillisecond);

// Each keystroke of a word; the first letters match most of the items.
void BM_Keystroke(benchmark::State& state) {
    const QList<NookGroup> groups = sampleGroups(10000);
    ItemSearch search;
    search.setGroups(groups, groups.at(3).id);
    const QString typed = QStringLiteral("ubersicht");
    const QString query = typed.left(int(state.range(0)));
    qsizetype found = 0;
    for (auto _ : state) {
        found = search.find(query).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["results"] = double(found);
}
BENCHMARK(BM_Keystroke)->DenseRange(1, 9)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

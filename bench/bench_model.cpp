// Encoding, decoding, adding files and resolving moved targets, at sizes well past
// what the data is expected to hold. Each run works in its own temporary home.
#include "model/Bookmarks.h"
#include "model/HandOverQueue.h"
#include "model/NookCodec.h"
#include "model/NookStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QList<NookGroup> sampleGroups(int itemCount) {
    QList<NookGroup> groups;
    const int perGroup = 100;
    for (int i = 0; i < itemCount; ++i) {
        if (i % perGroup == 0)
            groups.append(NookGroup{QUuid::createUuid(), QStringLiteral("Group %1").arg(i / perGroup), {}});
        const QString path =
            QStringLiteral("/home/someone/Documents/Projekte/Bericht Nummer %1 – endgültig.pdf").arg(i);
        groups.last().items.append(
            NookItem{QUuid::createUuid(), QStringLiteral("Bericht %1").arg(i),
                     QByteArray("TKBM\x01\x01", 6) + QByteArray(36, '\x7f') + path.toUtf8()});
    }
    return groups;
}

QString makeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

void BM_Encode(benchmark::State& state) {
    const QList<NookGroup> groups = sampleGroups(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(NookCodec::encode(groups));
}
BENCHMARK(BM_Encode)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state) {
    const QByteArray text = NookCodec::encode(sampleGroups(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(NookCodec::decode(text));
}
BENCHMARK(BM_Decode)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The store's start with a data file of N items: reading, decoding, checking ids.
void BM_StoreLoad(benchmark::State& state) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("nooks.json")));
    file.open(QIODevice::WriteOnly);
    file.write(NookCodec::encode(sampleGroups(int(state.range(0)))));
    file.close();
    for (auto _ : state) {
        NookStore store(folder.path());
        benchmark::DoNotOptimize(store.groups().size());
    }
}
BENCHMARK(BM_StoreLoad)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One change to a store of N items: the time the calling (UI) thread spends, and the
// time until the file is on disk.
void BM_SaveOneChange(benchmark::State& state) {
    QTemporaryDir folder;
    NookStore store(folder.path());
    store.setGroups(sampleGroups(int(state.range(0))));
    store.waitForSaves();
    const QUuid id = store.groups().first().id;
    const bool untilOnDisk = state.range(1) != 0;
    int n = 0;
    for (auto _ : state) {
        store.renameGroup(id, QString::number(++n));
        if (untilOnDisk)
            store.waitForSaves();
        else {
            state.PauseTiming();
            store.waitForSaves();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_SaveOneChange)
    ->ArgNames({"items", "onDisk"})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Iterations(20) // the untimed wait for the disk would otherwise repeat without end
    ->Unit(benchmark::kMillisecond);

// 100 new files into a group of 1,000 items through the hand-over queue: every file is
// checked against every item for a duplicate, and the whole file is written once.
void BM_AddURLs100Into1000(benchmark::State& state) {
    QTemporaryDir home;
    QList<QUrl> existing, fresh;
    for (int i = 0; i < 1000; ++i)
        existing << QUrl::fromLocalFile(makeFile(home.filePath(QStringLiteral("old/file%1.txt").arg(i))));
    for (int i = 0; i < 100; ++i)
        fresh << QUrl::fromLocalFile(makeFile(home.filePath(QStringLiteral("new/file%1.txt").arg(i))));
    for (auto _ : state) {
        state.PauseTiming();
        QDir(home.filePath(QStringLiteral("data"))).removeRecursively();
        NookStore store(home.filePath(QStringLiteral("data")));
        const HandOverTarget group = HandOverTarget::group(store.groups().first().id);
        store.handOvers().add(existing, group);
        store.handOvers().complete();
        state.ResumeTiming();
        store.handOvers().add(fresh, group);
        store.handOvers().complete();
        store.waitForSaves();
        benchmark::DoNotOptimize(store.groups().first().items.size());
    }
}
BENCHMARK(BM_AddURLs100Into1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A target moved into a sibling folder among 2,000 other files, found by its identity.
void BM_ResolveMovedTarget(benchmark::State& state) {
    QTemporaryDir home;
    for (int i = 0; i < 2000; ++i)
        makeFile(home.filePath(QStringLiteral("docs/sub%1/file%2").arg(i % 20).arg(i)));
    const QString before = makeFile(home.filePath(QStringLiteral("docs/inbox/report.pdf")));
    const QByteArray bookmark = *Bookmarks::makeBookmark(QUrl::fromLocalFile(before));
    QDir().mkpath(home.filePath(QStringLiteral("docs/sub19/deeper")));
    QFile::rename(before, home.filePath(QStringLiteral("docs/sub19/deeper/report.pdf")));
    for (auto _ : state) {
        Bookmarks::forgetSearches();
        benchmark::DoNotOptimize(Bookmarks::resolvePath(bookmark));
    }
}
BENCHMARK(BM_ResolveMovedTarget)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("share"))));
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

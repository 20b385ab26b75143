#pragma once

#include "app/CommandLine.h"
#include "app/NookTransfers.h"
#include "app/StoreCommands.h"

#include <QStringList>
#include <QTextStream>

#include <optional>

class NookStore;
class RemoteInstance;

// The command line's side of a request: carried out by the running instance, or, where
// none runs, answered here. Exit status: 0 done, 1 nothing done (the reason on `err`),
// 2 bad usage.
namespace CommandLineClient {

enum ExitStatus { Done = 0, NothingDone = 1, BadUsage = 2 };

// What a request needs when no instance runs.
enum class WithoutInstance {
    BecomeInstance,    // this process is to be the instance (a plain start, a launcher)
    StartInBackground, // start one detached from the caller, then ask it
    WriteDataFile,     // carried out here, on the data file (files with no display to start on, an
                       // export, an import)
    NotRunning,        // nothing to do without one (--list, --quit)
    NoDisplay,         // it cannot start here
};
WithoutInstance withoutInstance(CommandLine::Action action, bool hasDisplay, bool hasBus);

// The request carried out by the running instance; the exit status.
int call(const CommandLine::Request& request, const RemoteInstance& instance, QTextStream& out,
         QTextStream& err);

// The request carried out here, on `store`, where no instance runs; the exit status.
int carryOutHere(const CommandLine::Request& request, NookStore& store, QTextStream& out, QTextStream& err);

// Names on `err` each file that was not added and why; Done when any was added.
// Which nook a name given with --nook was taken for, on `err`, when it could have meant others too.
void reportChosenNook(const StoreCommands::ChosenNook& chosen, QTextStream& err);
int reportHandOver(const QStringList& duplicates, const QStringList& rejected, bool anyAdded,
                   QTextStream& err);

// What an export or import did, on `out` (and the files skipped on `err`), or why it did not.
int reportTransfer(const CommandLine::Request& request, const NookTransfers::Outcome& outcome,
                   QTextStream& out, QTextStream& err);

// The listing's JSON as lines: a nook's name, then one indented line per item with its
// name and path (or "missing"), separated by a tab. Control characters (C0, DEL, C1) and
// the backslash are shown escaped, so that a name can neither steer the terminal nor
// pass for another line.
QString plainListing(const QString& json);

// The nooks' names from the listing's JSON, each ended by a NUL.
QString nookNames(const QString& json);

} // namespace CommandLineClient

#pragma once

#include "platform/GlobalShortcut.h"

// Holds any keys but those another program holds, as the X11 backend does.
class FakeShortcut : public GlobalShortcut {
public:
    QList<QKeySequence> taken;
    Status answer = Status::Bound; // Unavailable: the session has none
    void bind(const QKeySequence& keys) override {
        const Status got = keys.isEmpty()            ? Status::Off
                           : answer != Status::Bound ? answer
                           : taken.contains(keys)    ? Status::Taken
                                                     : Status::Bound;
        if (got == Status::Taken && status() == Status::Bound)
            emit refused(keys, got);
        else
            setState(got, keys);
    }
    void retry() override {
        if (status() == Status::Taken)
            bind(keys());
    }
};

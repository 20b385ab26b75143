#pragma once

#include "model/NookGroup.h"

#include <optional>

// The data file's form: a compact UTF-8 JSON array of group objects, non-ASCII
// written raw, every "/" escaped as "\/", UUIDs as 36 upper-case characters and
// bookmark bytes as padded Base64. Reading is strict: any missing, null or
// mistyped key, malformed UUID or Base64 anywhere fails the whole read.
namespace NookCodec {

QByteArray encode(const QList<NookGroup>& groups);

// Nothing on failure, with a one-line description of what was wrong and where in `error`.
// A group or item whose id an earlier one holds already gets a fresh id, so each stays
// one thing to delete or rename; `renewed` counts them.
std::optional<QList<NookGroup>> decode(const QByteArray& bytes, QString* error = nullptr,
                                       int* renewed = nullptr);

// Exactly 8-4-4-4-12 hexadecimal digits, either case, nothing else.
std::optional<QUuid> parseUuid(const QString& text);
QString uuidText(const QUuid& id);

} // namespace NookCodec

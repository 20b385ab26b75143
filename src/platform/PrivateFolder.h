#pragma once

#include <QString>

// Folders for what only the user may read, made so whatever the umask says.
namespace PrivateFolder {

// Creates the folder and any missing parents for the owner only; folders that exist stay
// as they are. Whether the folder is there now.
bool createMissing(const QString& folder);

// As createMissing, and makes an existing folder private too when it belongs to the user
// (following a symlink to it): one made by an earlier version, or by hand, may be open.
bool make(const QString& folder);

} // namespace PrivateFolder

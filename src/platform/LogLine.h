#pragma once

#include <QString>

// Writes one line to standard output at once: the text (line breaks inside it
// folded to blanks, so a line stays a line) followed by one line break.
void writeLogLine(const QString& text);

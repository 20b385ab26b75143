#pragma once

// The system's font configuration (fontconfig's files: some fifty of XML on a usual
// desktop) is read by the first text any window lays out, and reading it was over half of
// the first showing's work before the panel is mapped. Read ahead on a worker at start,
// the first click finds it done. It opens no font: those are still loaded when text needs
// them.
namespace FontConfiguration {

// Reads it unless it was read; safe on any thread, also beside the first text laid out.
void read();

} // namespace FontConfiguration

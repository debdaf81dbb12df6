#pragma once

#include <cstddef>
#include <cstdint>

// The fuzz entry: arbitrary bytes cut into quote records and handed to the
// receiving slots of all four components (past the quote manager's checks),
// and cut into bus frames, whose accepted records go the same way.
// Builds the components on its first call; a QApplication must exist.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#pragma once

// The editor's own start and stop of the multi-format image library.
namespace FreeImageLibrary {
void initialise();
void deinitialise();
} // namespace FreeImageLibrary

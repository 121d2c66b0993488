#pragma once

// Registers the compiled-in window icon and splash picture. The resources live
// in a static library, so they are registered explicitly; calling this more
// than once is harmless.
void InitTarvoResources();

#pragma once

#include <cstdint>

// Files built into the library under integer ids, where the platform has no resource
// section of its own. The table is generated at build time from the resource script.
// Finds resource `id`: its bytes and length, or false when the library has none.
bool FindEmbeddedResource(int id, const uint8_t** bytes, uint32_t* length);

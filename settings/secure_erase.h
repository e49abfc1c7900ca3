#pragma once
#include <cstddef>

// Overwrites size bytes at data with zeros through volatile stores, so that the
// compiler cannot drop the writes as dead (as SecureZeroMemory does). For buffers that
// held card numbers or track data.
void SecureErase(void* data, size_t size);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

// SHA-256's compression with the processor's own SHA instructions (the x86-64 SHA extensions),
// where it has them: as fast as OpenSSL's, without loading a library of several megabytes
// first (which takes longer than hashing a photograph).
namespace ShaInstructions {

// Whether this processor has the instructions.
bool available();

// Compresses the `blocks` 64-byte blocks at `data` into the eight words of `state`. Only where
// available().
void compress(std::uint32_t state[8], const unsigned char* data, std::size_t blocks);

} // namespace ShaInstructions

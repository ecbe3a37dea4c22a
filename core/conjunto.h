#pragma once

#include <array>
#include <cstdint>

namespace tildora {

// A set of byte values with a fast search for the first member in a buffer.
// The engine spends nearly all its time looking for the next byte that
// matters; on x86 this looks at sixteen bytes at a time.
class ConjuntoBytes {
public:
    void Poner(unsigned char c, bool dentro);
    bool Contiene(unsigned char c) const { return m_tabla[c]; }

    // The first byte of [p, fin) in the set, or fin.
    const unsigned char* Buscar(const unsigned char* p, const unsigned char* fin) const;

private:
    std::array<bool, 256> m_tabla{};
    // For each low nibble, one bit per high nibble 0-7 and 8-15.
    alignas(16) std::uint8_t m_bajos07[16]{};
    alignas(16) std::uint8_t m_bajos815[16]{};
};

} // namespace tildora

#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The input layout the scan targets share: the number of cuts (first byte,
// 0 to 7), each cut as two bytes, then the text. Gives the text and where its
// pieces begin and end, in order (0 and its size included); false when the
// input is too short for its cuts.
inline bool LeerCortes(const std::uint8_t* datos, std::size_t n, std::string_view& texto,
                       std::vector<std::size_t>& donde) {
    if (n == 0) {
        return false;
    }
    const std::size_t cortes = datos[0] % 8;
    if (n < 1 + 2 * cortes) {
        return false;
    }
    texto =
        std::string_view(reinterpret_cast<const char*>(datos) + 1 + 2 * cortes, n - 1 - 2 * cortes);
    donde = {0, texto.size()};
    for (std::size_t i = 0; i < cortes; ++i) {
        const std::size_t k = datos[1 + 2 * i] | (std::size_t{datos[2 + 2 * i]} << 8);
        donde.push_back(texto.empty() ? 0 : k % (texto.size() + 1));
    }
    std::sort(donde.begin(), donde.end());
    return true;
}

#include "core/conjunto.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

using tildora::ConjuntoBytes;

// The vector search must find exactly what a byte-by-byte search finds, for
// every kind of set, position and buffer length.
TEST(ConjuntoBytes, FindsTheFirstMemberLikeAPlainLoop) {
    std::mt19937 azar(99);
    for (int caso = 0; caso < 3000; ++caso) {
        ConjuntoBytes conjunto;
        bool dentro[256] = {};
        const int miembros = static_cast<int>(azar() % 6);
        for (int i = 0; i < miembros; ++i) {
            const auto c = static_cast<unsigned char>(azar());
            conjunto.Poner(c, true);
            dentro[c] = true;
        }
        if (azar() % 4 == 0) { // and take one out again
            const auto c = static_cast<unsigned char>(azar());
            conjunto.Poner(c, false);
            dentro[c] = false;
        }
        std::string datos(1 + azar() % 100, '\0');
        for (char& b : datos) {
            const char comunes[] = {'a', 'b', '\r', '\n'};
            b = static_cast<char>(azar() % 3 == 0 ? azar() : comunes[azar() % 4]);
        }
        const auto* p = reinterpret_cast<const unsigned char*>(datos.data());
        const auto* fin = p + datos.size();
        const unsigned char* esperado = p;
        while (esperado < fin && !dentro[*esperado]) {
            ++esperado;
        }
        ASSERT_EQ(conjunto.Buscar(p, fin) - p, esperado - p) << "case " << caso;

        for (int c = 0; c < 256; ++c) {
            ASSERT_EQ(conjunto.Contiene(static_cast<unsigned char>(c)), dentro[c]);
        }
    }
}

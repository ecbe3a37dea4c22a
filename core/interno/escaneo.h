#pragma once

// The scan of the engine: over the stops the search finds, how often each
// wrong character occurs and where each first stands. The rewrite is the
// same walk, replacing at the stops (see Escaneo::Paradas).

#include "core/documento.h"
#include "core/interno/busqueda.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tildora {

// Where each character of the scan stands in its list.
class IndiceCaracteres {
public:
    // The place of `cp` in the list, `nuevo` when it was not there.
    std::uint32_t Lugar(char32_t cp, bool& nuevo) {
        std::uint32_t* celda = cp < 0x100 ? &m_bajos[cp] : cp < 0x10000 ? &Bmp()[cp] : &m_resto[cp];
        nuevo = *celda == 0;
        if (nuevo) {
            *celda = ++m_cuantos;
        }
        return *celda - 1;
    }
    // The place of `cp`, or -1.
    std::int64_t Buscar(char32_t cp) const;
    // Takes now the table of the characters below U+10000.
    void Reservar() { Bmp(); }

private:
    std::uint32_t* Bmp() {
        if (!m_bmp) {
            m_bmp = std::make_unique<std::uint32_t[]>(0x10000);
        }
        return m_bmp.get();
    }
    // Place + 1 of each code: below U+0100 (a Windows-1252 text needs no
    // more), below U+10000, and above.
    std::array<std::uint32_t, 0x100> m_bajos{};
    std::unique_ptr<std::uint32_t[]> m_bmp;
    std::unordered_map<char32_t, std::uint32_t> m_resto;
    std::uint32_t m_cuantos = 0;
};

// What a scan of a stretch of text found. A character's unit is its code
// (for a Windows-1252 text, the byte's own value), in order of first
// appearance.
struct Recuento {
    struct Primera {
        char32_t unidad = 0;
        std::uint64_t linea = 0;   // line ends before it in the stretch
        std::uint64_t columna = 0; // from 1: in its line, or from the stretch's start
    };
    std::vector<Primera> primeras;
    std::vector<std::uint64_t> cuentas; // by place in `primeras`
    std::uint64_t bytes = 0;
    std::uint64_t fines = 0;        // line ends
    std::uint64_t columnaFinal = 0; // units after the last line end (or the start)
    // UTF-8: whether the text stopped being UTF-8, and the continuation
    // bytes that no sequence held (any is one standing alone).
    bool invalido = false;
    std::int64_t sueltas = 0;

    bool Utf8Valido() const { return !invalido && sueltas == 0; }

    // Joins the stretch that follows this one.
    void Unir(const Recuento& siguiente);
};

// The scan of one stretch of a text handed in pieces of whole characters.
class Escaneo {
public:
    explicit Escaneo(Unidades unidades, Via via = MejorVia());

    // What a walk over the text does at each wrong character, besides
    // counting it: the rewrite replaces it. `pos` is its offset in the piece
    // handed to Procesar, `lugar` its place in the list. False stops the walk.
    class Paradas {
    public:
        virtual bool Parada(std::size_t pos, std::size_t largo, std::uint32_t lugar) = 0;

    protected:
        ~Paradas() = default;
    };

    // False when `paradas` stopped it, or the text is not UTF-8.
    bool Procesar(const unsigned char* p, std::size_t n, unsigned char anterior,
                  Paradas* paradas = nullptr);
    Recuento& Resultado() { return m_recuento; }
    // Takes now the memory a scan takes on its way, but for the list of a
    // great many distinct characters.
    void Reservar();
    Via Camino() const { return m_buscador.Camino(); }

private:
    // Where a character first stands: its line and column from where the
    // search's stretch `p` begins.
    void Situar(Recuento::Primera& primera, const unsigned char* p, std::size_t pos,
                std::uint64_t finesAntes, unsigned char anterior) const;
    // A stretch of at most kTrozoParadas at `desde` in the piece p; false
    // when the text is not UTF-8 (Recuento::invalido) or `paradas` stopped.
    bool Buscar(const unsigned char* p, std::size_t desde, std::size_t m, std::size_t n,
                unsigned char antes, Paradas* paradas);

    // The place in the list of the character at a stop, found by its bytes;
    // -1 for an allowed one; -2 when the text is not UTF-8 there. A stop's
    // bytes seen before are not decoded again: most of a text's stops are a
    // few characters over and over.
    std::int64_t Lugar(const unsigned char* p, std::size_t pos, std::size_t resto, int& largo,
                       std::uint64_t finesAntes, unsigned char anterior);

    Unidades m_unidades;
    Buscador m_buscador;
    IndiceCaracteres m_indice;
    Recuento m_recuento;
    // The bytes of a character (up to four, read as one word), by a hash of
    // them, and its place (or -1).
    struct Visto {
        std::uint32_t bytes = 0;
        std::int32_t lugar = -3; // none yet
    };
    std::array<Visto, 256> m_vistos{};
    std::array<std::int32_t, 256> m_porByte = Ninguno(); // Windows-1252: the place of each byte

    static std::array<std::int32_t, 256> Ninguno() {
        std::array<std::int32_t, 256> a;
        a.fill(-3);
        return a;
    }
};

// Whether a text (handed as Escaneo takes it) is UTF-8, checked on the way
// while it is scanned as Windows-1252. It stops looking once it is not.
class ValidadorUtf8 {
public:
    void Procesar(const unsigned char* p, std::size_t n);
    bool Invalido() const { return m_invalido; }
    bool Multibyte() const { return m_multibyte; }
    // Joins the validator of the stretch that follows.
    void Unir(const ValidadorUtf8& v) {
        m_invalido = m_invalido || v.m_invalido;
        m_multibyte = m_multibyte || v.m_multibyte;
    }

private:
    bool m_invalido = false;
    bool m_multibyte = false;
};

// The wrong characters of a scan in the form the program hands on.
std::vector<Hallazgo> HallazgosDe(const Recuento& r, Unidades unidades);

} // namespace tildora

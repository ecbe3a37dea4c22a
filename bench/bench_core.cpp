// Speed of the core on a large Windows-1252 text: reading the file, the scan,
// reading and scanning together, and the rewrite with 20 rows.
//
//   tildora_bench [--mb=N] [google benchmark flags]
//
// The text is made once in the system's temporary folder and removed at the
// end: mostly allowed text, about one byte in a hundred wrong, CR LF lines.

#include "core/documento.h"
#include "core/estado.h"
#include "core/interno/escaneo.h"
#include "core/interno/lector.h"
#include "core/interno/reescritura.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace tildora;

namespace {

std::size_t g_megas = 200;
std::string g_ruta;
std::string g_texto;

// Twenty wrong characters and what they become; several replacements are
// longer than one byte and two of them hold characters corrected later.
const std::vector<Fila> kPares = {
    {"\xE7", "c"},   {"\xC7", "C"},   {"\t", "    "}, {"|", "/"},     {"^", ""},
    {"\x80", "EUR"}, {"\x85", "..."}, {"\x93", "\""}, {"\x94", "\""}, {"\x96", "-"},
    {"\x97", "--"},  {"\xAB", "<<"},  {"\xBB", ">>"}, {"\xE0", "a"},  {"\xE8", "e"},
    {"\xEA", "e"},   {"\xF6", "o"},   {"`", "'"},     {"\x92", "'"},  {"\xB7", "."},
};

std::string Generar(std::size_t bytes) {
    static const char* const kPalabras[] = {"etxea",
                                            "mendia",
                                            "itsasoa",
                                            "zuhaitza",
                                            "ibaia",
                                            "casa",
                                            "monte",
                                            "mar",
                                            "\xE1rbol",
                                            "r\xEDo",
                                            "ni\xF1o",
                                            "ma\xF1"
                                            "ana",
                                            "Euskadi,",
                                            "Bilbao.",
                                            "100",
                                            "\xBFqu\xE9?"};
    std::string wrong;
    for (const auto& p : kPares) {
        wrong += p.clave;
    }
    std::mt19937 azar(7);
    std::string t;
    t.reserve(bytes + 128);
    std::size_t linea = 0;
    while (t.size() < bytes) {
        if (azar() % 100 == 0) {
            t += wrong[azar() % wrong.size()];
        } else {
            t += kPalabras[azar() % std::size(kPalabras)];
        }
        t += ' ';
        if (t.size() - linea > 70) {
            t += "\r\n";
            linea = t.size();
        }
    }
    t.resize(bytes);
    return t;
}

struct Callado : Avisador {
    void Mensaje(const std::string&) override {}
};

void Leer(benchmark::State& s) {
    std::string buffer;
    for (auto _ : s) {
        if (!LeerFichero(g_ruta, buffer)) {
            s.SkipWithError("read failed");
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * g_texto.size()));
}

void Escanear(benchmark::State& s) {
    for (auto _ : s) {
        Escaneo e(Unidades::Ansi);
        e.Procesar(reinterpret_cast<const unsigned char*>(g_texto.data()), g_texto.size(), 0);
        benchmark::DoNotOptimize(e.Resultado().primeras.size());
    }
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * g_texto.size()));
}

void LeerYEscanear(benchmark::State& s) {
    Estado estado;
    Callado callado;
    for (auto _ : s) {
        if (!BuscarErrores(estado, g_ruta, callado)) {
            s.SkipWithError("scan found nothing");
        }
    }
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * g_texto.size()));
}

// Takes the corrected text and keeps nothing of it: what is measured is the
// rewrite, not an output.
class Desague : public Destino {
public:
    Resultado<void> Escribir(const char*, std::size_t n) override {
        m_bytes += n;
        return {};
    }
    std::uint64_t m_bytes = 0;
};

void Corregir(benchmark::State& s) {
    const Resultado<Documento> documento = DocumentoDeTexto(g_texto, Codificacion::Windows1252);
    if (!documento) {
        s.SkipWithError("scan failed");
        return;
    }
    std::uint64_t cuenta = 0;
    for (auto _ : s) {
        Desague desague;
        const Resultado<std::uint64_t> r =
            Reescribir(*documento, kPares, desague, false, kSinLimite, nullptr);
        if (!r) {
            s.SkipWithError("rewrite failed");
            break;
        }
        cuenta = *r;
        benchmark::DoNotOptimize(desague.m_bytes);
    }
    s.counters["corrections"] = static_cast<double>(cuenta);
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * g_texto.size()));
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--mb=", 5) == 0) {
            g_megas = std::strtoul(argv[i] + 5, nullptr, 10);
        }
    }
    g_texto = Generar(g_megas * 1000 * 1000);
    g_ruta = (std::filesystem::temp_directory_path() / "tildora-bench.txt").string();
    {
        std::ofstream f(g_ruta, std::ios::binary);
        f.write(g_texto.data(), static_cast<std::streamsize>(g_texto.size()));
    }
    benchmark::RegisterBenchmark("read_file", Leer)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("scan_in_memory", Escanear)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("read_and_scan_file", LeerYEscanear)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("rewrite_20_rows", Corregir)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(g_ruta);
    return 0;
}

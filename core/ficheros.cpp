#include "core/ficheros.h"

#include <dirent.h>
#include <filesystem>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace tildora {

bool MismoFichero(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) {
        return false;
    }
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool MismoLugar(const std::string& a, const std::string& b) {
    if (MismoFichero(a, b)) {
        return true;
    }
    std::error_code ea;
    std::error_code eb;
    const std::filesystem::path ra =
        std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
    const std::filesystem::path rb =
        std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
    return !ea && !eb && ra == rb;
}

namespace {

// '*' matches any run of characters, '?' any one character; everything else
// stands for itself.
bool Coincide(std::string_view patron, std::string_view nombre) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t estrella = std::string_view::npos;
    std::size_t desde = 0;
    while (n < nombre.size()) {
        if (p < patron.size() && (patron[p] == '?' || patron[p] == nombre[n])) {
            ++p;
            ++n;
        } else if (p < patron.size() && patron[p] == '*') {
            estrella = p++;
            desde = n;
        } else if (estrella != std::string_view::npos) {
            p = estrella + 1;
            n = ++desde;
        } else {
            return false;
        }
    }
    while (p < patron.size() && patron[p] == '*') {
        ++p;
    }
    return p == patron.size();
}

bool EsOrdinario(const std::string& ruta) {
    struct stat st {};
    return ::stat(ruta.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool ExisteFicheroOrdinario(const std::string& nombre) {
    if (nombre.empty()) {
        return false;
    }
    const std::size_t barra = nombre.rfind('/');
    const std::string carpeta =
        barra == std::string::npos ? std::string() : nombre.substr(0, barra + 1);
    const std::string_view resto = barra == std::string::npos
                                       ? std::string_view(nombre)
                                       : std::string_view(nombre).substr(barra + 1);
    // A folder name finds its first ordinary file.
    const std::string patron = resto.empty() ? std::string("*") : std::string(resto);

    if (patron.find_first_of("*?") == std::string::npos) {
        return patron[0] != '.' && EsOrdinario(nombre);
    }

    const std::unique_ptr<DIR, int (*)(DIR*)> dir(
        ::opendir(carpeta.empty() ? "." : carpeta.c_str()), &::closedir);
    if (!dir) {
        return false;
    }
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view n = e->d_name;
        // Hidden files (and "." and "..") are never found.
        if (!n.empty() && n[0] != '.' && Coincide(patron, n) &&
            EsOrdinario(carpeta + std::string(n))) {
            return true;
        }
    }
    return false;
}

} // namespace tildora

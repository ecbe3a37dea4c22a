#pragma once

// Helpers shared by the Windows platform files (plataforma_windows.cpp,
// temporal_windows.cpp, memoria_windows.cpp); nothing else includes this.
//
// Names are UTF-8 inside the program and UTF-16 at the Windows API: every
// call takes the wide name Ancho gives. Failures are said with the C
// library's error numbers, as on every system (ErrorDe).

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tildora::sistema::windows {

// UTF-8 to UTF-16. A name's UTF-8 may hold a lone UTF-16 half written as
// three bytes (what Estrecho makes of a name Windows allows but Unicode does
// not), which comes back as it was; a byte that is no part of UTF-8 becomes
// U+FFFD, which no Windows name can be confused with. For a console
// (`consola`) such a byte is the Windows-1252 character it stands for: what
// is written there may be a Windows-1252 text.
std::wstring Ancho(std::string_view utf8, bool consola = false);
// UTF-16 to UTF-8; a lone half as three bytes (see Ancho).
std::string Estrecho(std::wstring_view utf16);
// A file name for the wide API: Ancho's, and past the length the old API
// takes (MAX_PATH), the whole path with the \\?\ prefix that lifts it.
std::wstring Nombre(const std::string& ruta);

// Appends one argument to a command line for CreateProcessW as the C
// library's start-up splits it again: in quotes when it holds a blank or a
// quote or is empty, a quote after its run of backslashes doubled, the
// backslashes before the closing quote doubled.
void Citar(std::wstring& linea, const std::wstring& a);

// The C library's error number for a Windows error code.
int ErrorDe(DWORD codigo);
// The same for the last error of this thread.
inline int UltimoError() {
    return ErrorDe(::GetLastError());
}
// The same for the last error of a call on the name `ruta`: where a folder
// on its way is a file, ENOTDIR, as POSIX says (Windows says only that the
// path is not found).
int UltimoErrorDe(const std::string& ruta);

// What an Archivo holds for the standard streams: their handles, which the
// C library's descriptors 0 to 2 need not be (a program may start without
// them, and then a file opened may get one of those numbers).
constexpr int kEntradaEstandar = -10;
constexpr int kSalidaEstandar = -11;
constexpr int kSalidaError = -12;

// The handle of a C library descriptor, or of a standard stream
// (INVALID_HANDLE_VALUE for none).
HANDLE Manejador(int fd);
// A C library descriptor that owns `h` (closing it closes `h`), or -1 (then
// `h` is closed).
int Descriptor(HANDLE h);

// The folder part of `ruta`, with its separator ('\' or '/', or the "C:"
// of a drive); empty for a bare name.
std::string Carpeta(const std::string& ruta);

// A file that another program holds open in a way that forbids what is
// asked of it (Windows then says so at once, as a sharing violation) is
// asked again: such opens are short, even on a busy machine. Sleeps a
// little and says whether to try again, for up to five seconds in all;
// `esperado`, the milliseconds waited so far, starts at 0. Then the
// failure is said as it is (a sharing violation is EBUSY).
bool EsperarOcupado(DWORD& esperado);
// CreateFileW, asked again while the file is held as EsperarOcupado says.
HANDLE AbrirEsperando(const std::string& ruta, DWORD acceso, DWORD compartir, DWORD crear,
                      DWORD banderas);

// All of it, on a handle that is no console.
bool EscribirTodo(HANDLE h, const char* datos, std::size_t n);

// The byte every exclusive lock of a temporary file is taken on: far past
// any data, so that the lock (which Windows enforces on reads and writes
// of what it covers) never stands in the way of anyone's reading.
constexpr std::uint64_t kByteCerrojo = (std::uint64_t{1} << 62);
// Takes that lock without waiting; false when someone holds it.
bool BloquearTemporal(HANDLE h);

// A new file in `carpeta`, named and marked as a Temporal's (its name into
// `nombre`), open for reading, writing and deleting, that no one else can open to delete
// or rename while this handle lives, and locked as BloquearTemporal locks.
// `alCerrar`: removed by Windows once the handle is closed, by the program
// or by its end, however it ends. INVALID_HANDLE_VALUE with the error on
// failure.
HANDLE CrearBloqueado(const std::string& carpeta, bool alCerrar, std::string& nombre);

} // namespace tildora::sistema::windows

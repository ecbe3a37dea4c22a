#pragma once

// Every text the user sees, written once, in UTF-8. Basque first, Spanish
// second. The windows, the command line and the core all take their texts
// from here.

#include <cstdint>
#include <string>
#include <string_view>

namespace tildora::textos {

inline constexpr std::string_view Titulo = "Tildarkia / Tildora";

// Messages.
inline constexpr std::string_view M1NombreIncorrecto =
    "Sartu duzun fitxategien izena ez da egokia / El nombre de los ficheros introducidos no es "
    "correcto";
inline constexpr std::string_view M2NombresIguales =
    "Sarrera eta irteerako fitxategien izena ezin du berdina izan / Los nombres de los ficheros "
    "de entrada y salida no pueden coincidir";
inline constexpr std::string_view M3SobreEscribir =
    "Irteerako fitxategia jada existitzen da, gainetik idatzi nahi al duzu? / El fichero de "
    "salida ya existe, desea sobreescribirlo?";
inline constexpr std::string_view M4SinErrores =
    "Fitxategiak ez du errorerik / El fichero no tiene ningún error";
inline constexpr std::string_view CaracterIncorrecto =
    "Sartu duzun karakterea ez da zuzena / El carácter que ha introducido no es correcto";
inline constexpr std::string_view FaltanSoluciones =
    "Karaktere batzuentzat ez duzu eman soluziorik / Hay caracteres para los que no ha dado "
    "solución alguna";
inline constexpr std::string_view SalidaIncorrecta =
    "Irteerarako emandako fitxategiaren izena ez da egokia / El nombre del fichero de salida no "
    "es correcto";
inline constexpr std::string_view CorregidoParte1 = "Fitxategia zuzendu da. ";
inline constexpr std::string_view CorregidoParte2 =
    " errore zeuden / El fichero ha sido corregido. Había ";
inline constexpr std::string_view CorregidoParte3 = " errores";

// The count message for `cuenta` corrections, in plain decimal digits.
inline std::string MensajeCorregido(std::uint64_t cuenta) {
    const std::string n = std::to_string(cuenta);
    std::string m;
    m.append(CorregidoParte1).append(n).append(CorregidoParte2).append(n).append(CorregidoParte3);
    return m;
}

// File-selection window.
inline constexpr std::string_view LblFitxategiakAukeratu =
    "Erroreak dituen fitzategia aukeratu sarrera bezala eta bukaeran sortuko den fitxategiaren "
    "izena eta kokalekua adierazi irteeratzat";
inline constexpr std::string_view LblSeleccionFicheros =
    "Seleccione el fichero con errores como entrada y el nombre y ubicación del fichero "
    "corregido como salida";
inline constexpr std::string_view CmdActualizar = "Zuzendu Corregir";
inline constexpr std::string_view CmdSalir = "       Irten       Salir";
inline constexpr std::string_view LblAct = "Sarrera Fitxategia / Fichero de Entrada";
inline constexpr std::string_view Label1Salida = "Irteera Fitxategia / Fichero de Salida";

// Conversion window.
inline constexpr std::string_view TituloConversion = "Onbihurtu / Convertir";
inline constexpr std::string_view Label1Conversion =
    "Ezkerrean aldatu behar diren karaktereak dituzu. Ezkuineko zutabean karaktere horiek "
    "fitxategian zein balio hartu behar duten sar ezazu.";
inline constexpr std::string_view Label2Conversion =
    "A la izquierda tiene los caracteres que han de ser cambiados. Introduzca en la columna "
    "derecha el valor por el que ese caracter ha de ser sustituido en el fichero.";
inline constexpr std::string_view CmdBuscar = "      Bilatu       Buscar";
inline constexpr std::string_view CmdBuscarTip =
    "Karakterea testuan bilatu kontextu aikusteko / Buscar el carácter para ver el contexto";
inline constexpr std::string_view CmdAceptar = "      Ados       Aceptar";
inline constexpr std::string_view CmdCancelar = "      Utzi       Cancelar";
inline constexpr std::string_view CabeceraErroneo = "Okerrekoa / Erróneo";
inline constexpr std::string_view CabeceraCorrecto = "Zuzenekoa / Correcto";

// The store.
inline constexpr std::string_view SeccionLista = "lista";
inline constexpr std::string_view NombreAlmacen = "caracteres.ini";

} // namespace tildora::textos

#include "core/resultado.h"
#include "core/textos.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

using namespace tildora;

// Every text the user sees, against a literal copy of the program's texts:
// a typo in one place shows up here.
TEST(Textos, EveryTextAsWritten) {
    const std::pair<std::string_view, const char*> casos[] = {
        {textos::Titulo, "Tildarkia / Tildora"},
        {textos::M1NombreIncorrecto, "Sartu duzun fitxategien izena ez da egokia / El nombre de "
                                     "los ficheros introducidos no es correcto"},
        {textos::M2NombresIguales,
         "Sarrera eta irteerako fitxategien izena ezin du berdina izan / Los nombres de los "
         "ficheros de entrada y salida no pueden coincidir"},
        {textos::M3SobreEscribir,
         "Irteerako fitxategia jada existitzen da, gainetik idatzi nahi al duzu? / El fichero de "
         "salida ya existe, desea sobreescribirlo?"},
        {textos::M4SinErrores, "Fitxategiak ez du errorerik / El fichero no tiene ningún error"},
        {textos::CaracterIncorrecto,
         "Sartu duzun karakterea ez da zuzena / El carácter que ha introducido no es correcto"},
        {textos::FaltanSoluciones, "Karaktere batzuentzat ez duzu eman soluziorik / Hay caracteres "
                                   "para los que no ha dado solución alguna"},
        {textos::SalidaIncorrecta, "Irteerarako emandako fitxategiaren izena ez da egokia / El "
                                   "nombre del fichero de salida no es correcto"},
        {textos::LblFitxategiakAukeratu,
         "Erroreak dituen fitzategia aukeratu sarrera bezala eta bukaeran sortuko den "
         "fitxategiaren izena eta kokalekua adierazi irteeratzat"},
        {textos::LblSeleccionFicheros, "Seleccione el fichero con errores como entrada y el nombre "
                                       "y ubicación del fichero corregido como salida"},
        {textos::CmdActualizar, "Zuzendu Corregir"},
        {textos::CmdSalir, "       Irten       Salir"},
        {textos::LblAct, "Sarrera Fitxategia / Fichero de Entrada"},
        {textos::Label1Salida, "Irteera Fitxategia / Fichero de Salida"},
        {textos::TituloConversion, "Onbihurtu / Convertir"},
        {textos::Label1Conversion,
         "Ezkerrean aldatu behar diren karaktereak dituzu. Ezkuineko zutabean karaktere horiek "
         "fitxategian zein balio hartu behar duten sar ezazu."},
        {textos::Label2Conversion,
         "A la izquierda tiene los caracteres que han de ser cambiados. Introduzca en la columna "
         "derecha el valor por el que ese caracter ha de ser sustituido en el fichero."},
        {textos::CmdBuscar, "      Bilatu       Buscar"},
        {textos::CmdBuscarTip,
         "Karakterea testuan bilatu kontextu aikusteko / Buscar el carácter para ver el contexto"},
        {textos::CmdAceptar, "      Ados       Aceptar"},
        {textos::CmdCancelar, "      Utzi       Cancelar"},
        {textos::CabeceraErroneo, "Okerrekoa / Erróneo"},
        {textos::CabeceraCorrecto, "Zuzenekoa / Correcto"},
        {textos::SeccionLista, "lista"},
        {textos::NombreAlmacen, "caracteres.ini"},
    };
    for (const auto& [texto, copia] : casos) {
        EXPECT_EQ(texto, copia);
    }
}

// The system's usual reasons in the program's two languages, whatever
// failed and on every system; the same words in the windows and on the
// command line, which both take them from Razon.
TEST(Textos, TheSystemsUsualReasonsInBothLanguages) {
    const std::string noExiste =
        "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta";
    const std::string permiso = "ez dago baimenik / no hay permiso";
    const std::string enUso = "beste programa batek darabil / otro programa lo est\xc3\xa1 usando";
    const std::string enlaces = "esteka gehiegi / demasiados enlaces";
    std::vector<std::pair<int, std::string>> casos = {
        {ENOENT, noExiste},
        {EACCES, permiso},
        {EPERM, permiso},
        {EROFS, "fitxategi-sistema irakurtzeko soilik da / el sistema de ficheros es de solo "
                "lectura"},
        {ENOSPC, "ez dago lekurik diskoan / no queda espacio en el disco"},
        {ENAMETOOLONG, "izena luzeegia da / el nombre es demasiado largo"},
        {EFBIG, "fitxategia handiegia da / el fichero es demasiado grande"},
        {EISDIR, "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero"},
        {ENOTDIR, "bideko zati bat fitxategi bat da, ez karpeta bat / una parte de la ruta es un "
                  "fichero, no una carpeta"},
        {EBUSY, enUso},
        {EMLINK, enlaces},
        {ENOMEM, "ez dago memoria nahikorik / no hay memoria suficiente"},
    };
#ifdef EDQUOT
    casos.emplace_back(EDQUOT, "kuota bete da / se ha llenado la cuota");
#endif
#ifdef ETXTBSY
    casos.emplace_back(ETXTBSY, enUso);
#endif
#ifdef ELOOP
    casos.emplace_back(ELOOP, enlaces);
#endif
    for (const auto& [codigo, razon] : casos) {
        for (const Fallo fallo : {Fallo::Lectura, Fallo::Escritura, Fallo::NoExiste}) {
            EXPECT_EQ(Razon(Falla(fallo, codigo, "x")), razon) << codigo;
        }
    }
    // Memory running out while reading a text too.
    EXPECT_EQ(Razon(Falla(Fallo::Grande, ENOMEM)),
              "ez dago memoria nahikorik / no hay memoria suficiente");
}

TEST(Textos, CountMessage) {
    EXPECT_EQ(textos::MensajeCorregido(3),
              "Fitxategia zuzendu da. 3 errore zeuden / El fichero ha sido corregido. Había 3 "
              "errores");
    EXPECT_EQ(textos::MensajeCorregido(0),
              "Fitxategia zuzendu da. 0 errore zeuden / El fichero ha sido corregido. Había 0 "
              "errores");
    EXPECT_EQ(textos::MensajeCorregido(40000000000ull),
              "Fitxategia zuzendu da. 40000000000 errore zeuden / El fichero ha sido corregido. "
              "Había 40000000000 errores");
}

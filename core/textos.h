#pragma once

// Every text the user sees, written once, in UTF-8. Basque first, Spanish
// second. The windows, the command line and the core all take their texts
// from here.

#include <cstdint>
#include <string>
#include <string_view>

namespace tildora::textos {

inline constexpr std::string_view Titulo = "Tildarkia / Tildora";

// The message boxes' buttons, whatever the system's language.
inline constexpr std::string_view BotonAceptar = "Ados / Aceptar";
inline constexpr std::string_view BotonCancelar = "Utzi / Cancelar";

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

// Leaving the conversion window with answers typed there and not stored.
inline constexpr std::string_view SalirSinGuardar =
    "Idatzi dituzun ordezkoak ez dira gordeko; irten nahi al duzu? / Los sustitutos que ha "
    "escrito no se guardarán; ¿desea salir?";

// The fixed answer of a lone LF's row (a line break, written as CR LF), and
// its tip.
inline constexpr std::string_view SaltoDeLineaCelda = "\u21B5 CR LF";
inline constexpr std::string_view SaltoDeLineaTip =
    "Lerro-jauzia: CR LF gisa idazten da; ez du ordezkorik behar / Salto de línea: se escribe "
    "como CR LF; no necesita sustituto";

// A replacement cell holding the proposal, which nothing remembered or
// typed has replaced: its tip.
inline constexpr std::string_view PropuestaTip = "Proposamena / Propuesta";
// The delete answer (the character goes) in a replacement cell, and its
// tip.
inline constexpr std::string_view BorrarCelda = "\u2326 ezabatu / borrar";
inline constexpr std::string_view BorrarTip = "Karakterea ezabatu egiten da / El carácter se borra";
// A row's context menu: the delete answer, no answer, and the proposal back
// (followed by it).
inline constexpr std::string_view MenuBorrar = "Karakterea ezabatu / Borrar el carácter";
inline constexpr std::string_view MenuSinSustituto = "Ordezkorik ez / Sin sustituto";
inline constexpr std::string_view MenuPropuesta = "Proposamena / Propuesta: ";

// A grid cell's tip: how often the character occurs and where it first
// stands (each followed by the numbers).
inline constexpr std::string_view TipVeces = "Agerraldiak / Apariciones: ";
inline constexpr std::string_view TipPrimera =
    "Lehena (lerroa:zutabea) / Primera (línea:columna): ";

// Rows whose replacements would leave wrong characters in the output (each
// row follows, as CHARACTER → REPLACEMENT).
inline constexpr std::string_view SustitutosNoLimpios =
    "Ordezko hauek karaktere okerrak utziko lituzkete fitxategian / Estas sustituciones dejarían "
    "caracteres erróneos en el fichero:";

// A file larger than the window can hold.
inline constexpr std::string_view DemasiadoGrandeVentana =
    "Fitxategia handiegia da leihoetarako; zuzendu ezazu \"tildora fix SARRERA IRTEERA\" "
    "aginduarekin / El fichero es demasiado grande para las ventanas; corríjalo con la orden "
    "\"tildora fix ENTRADA SALIDA\"";

// A UTF-16 text that is not valid UTF-16 (a lone surrogate, an odd length).
inline constexpr std::string_view CodificacionIncorrecta =
    "Fitxategia ez da baliozko UTF-16 testua / El fichero no es un texto UTF-16 válido";

// The conversion window's title for a text in UTF-8 or UTF-16 names the
// encoding after it.
inline constexpr std::string_view SeparadorCodificacion = " \u2014 ";

// Progress of a long step.
inline constexpr std::string_view ProgresoLectura =
    "Fitxategia irakurtzen... / Leyendo el fichero...";
inline constexpr std::string_view ProgresoCorreccion =
    "Fitxategia zuzentzen... / Corrigiendo el fichero...";
inline constexpr std::string_view ProgresoCancelar = BotonCancelar;

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
// Which occurrence the search chose and how many there are, "3 / 17" ("? /
// 17" before a search); its tip names the keys.
inline constexpr std::string_view OcurrenciaSinElegir = "?";
inline constexpr std::string_view OcurrenciasTip =
    "Bilaketak aukeratutako agerraldia / guztiak. F3: hurrengoa, Maius+F3: aurrekoa / La "
    "aparición elegida por la búsqueda / todas. F3: la siguiente, Mayús+F3: la anterior";
// The button that shows the text as it will be written (F4), and what the
// label under the text says it shows.
inline constexpr std::string_view CmdPrevia = "      Aurrebista       Vista\u00A0previa";
inline constexpr std::string_view CmdPreviaTip =
    "Testua zuzenduta nola geratuko den ikusi, gorde aurretik (F4) / Ver cómo quedará el texto "
    "corregido, antes de guardarlo (F4)";
inline constexpr std::string_view TextoOriginal = "Jatorrizko testua / Texto original";
inline constexpr std::string_view TextoCorregido = "Testu zuzendua / Texto corregido";
inline constexpr std::string_view CabeceraErroneo = "Okerrekoa / Erróneo";
inline constexpr std::string_view CabeceraCorrecto = "Zuzenekoa / Correcto";

// What assistive technology (a screen reader) says for each control: its
// name, then what it is for. A label's name is its own caption.
inline constexpr std::string_view AccArgibideak =
    "Leiho honen argibideak / Instrucciones de esta ventana";
inline constexpr std::string_view AccIzenburua =
    "Azpiko kutxaren izenburua / Título de la caja de debajo";
inline constexpr std::string_view AccEntradaBoton =
    "Sarrera fitxategia aukeratu / Elegir el fichero de entrada";
inline constexpr std::string_view AccEntradaBotonDesc =
    "Sarrerako fitxategia aukeratzeko leihoa irekitzen du / Abre la ventana para elegir el "
    "fichero de entrada";
inline constexpr std::string_view AccEntradaCaja = "Sarrera fitxategia / Fichero de entrada";
inline constexpr std::string_view AccEntradaCajaDesc =
    "Zuzendu behar den fitxategiaren izena / Nombre del fichero que se ha de corregir";
inline constexpr std::string_view AccSalidaCaja = "Irteera fitxategia / Fichero de salida";
inline constexpr std::string_view AccSalidaCajaDesc =
    "Sortuko den fitxategi zuzenduaren izena eta kokalekua / Nombre y ubicación del fichero "
    "corregido que se creará";
inline constexpr std::string_view AccSalidaBoton =
    "Irteera fitxategia aukeratu / Elegir el fichero de salida";
inline constexpr std::string_view AccSalidaBotonDesc =
    "Irteerako fitxategia aukeratzeko leihoa irekitzen du / Abre la ventana para elegir el "
    "fichero de salida";
inline constexpr std::string_view AccActualizar = "Zuzendu / Corregir";
inline constexpr std::string_view AccActualizarDesc =
    "Sarrera fitxategia irakurtzen du eta bere karaktere okerrak erakusten ditu / Lee el fichero "
    "de entrada y muestra sus caracteres erróneos";
inline constexpr std::string_view AccSalir = "Irten / Salir";
inline constexpr std::string_view AccSalirDesc = "Programa amaitzen du / Termina el programa";
inline constexpr std::string_view AccRejilla =
    "Karaktere okerrak eta ordezkoak / Caracteres erróneos y sustitutos";
inline constexpr std::string_view AccRejillaDesc =
    "Ezkerrean karaktere okerra, eskuinean bere ordezkoa. Geziekin mugitu; F2 edo zuriunea "
    "sakatuz edo karaktere bat idatziz ordezkoa aldatzen da; Supr teklak karakterea ezabatzen "
    "du, atzera-teklak ordezkoa kentzen du, eta menu-teklak aukerak erakusten ditu / A la "
    "izquierda el carácter erróneo, a la derecha su sustituto. Muévase con las flechas; con F2, "
    "la barra espaciadora o escribiendo un carácter se cambia el sustituto; Supr borra el "
    "carácter, Retroceso quita el sustituto y la tecla de menú muestra las opciones";
inline constexpr std::string_view AccEditor = "Ordezkoa / Sustituto";
inline constexpr std::string_view AccEditorDesc =
    "Karaktere okerraren ordezkoa; gora eta behera geziekin beste errenkada batera / El sustituto "
    "del carácter erróneo; con las flechas arriba y abajo, a otra fila";
inline constexpr std::string_view AccTexto = "Fitxategiaren testua / Texto del fichero";
inline constexpr std::string_view AccTextoDesc =
    "Sarrera fitxategiaren testua, karaktere okerrak beren testuinguruan ikusteko; errenkadako "
    "karakterea nabarmenduta dago. F4: testu zuzendua / El texto del fichero de entrada, para ver "
    "los caracteres erróneos en su contexto; el carácter de la fila está resaltado. F4: el texto "
    "corregido";
inline constexpr std::string_view AccBuscar = "Bilatu / Buscar";
inline constexpr std::string_view AccBuscarDesc =
    "Errenkadako karakterea testuan bilatzen du; F3 hurrengoa, Maius+F3 aurrekoa / Busca en el "
    "texto el carácter de la fila; F3 el siguiente, Mayús+F3 el anterior";
inline constexpr std::string_view AccOcurrencias = "Agerraldiak / Apariciones";
inline constexpr std::string_view AccOcurrenciasDesc =
    "Bilaketak aukeratutako agerraldia eta guztira zenbat diren; F3 hurrengoa, Maius+F3 aurrekoa "
    "/ La aparición elegida por la búsqueda y cuántas hay; F3 la siguiente, Mayús+F3 la anterior";
inline constexpr std::string_view AccPrevia = "Aurrebista / Vista previa";
inline constexpr std::string_view AccPreviaDesc =
    "Testu-ikuspegian testu zuzendua edo jatorrizkoa erakusten du (F4 tekla); ordezkatutakoak "
    "berdez, ordezkorik gabeak gorriz eta azpimarratuta / Muestra en la vista el texto corregido "
    "o el original (tecla F4); lo sustituido en verde, lo que no tiene sustituto en rojo y "
    "subrayado";
inline constexpr std::string_view AccTextoMostrado =
    "Testu-ikuspegiak erakusten duen testua / El texto que muestra la vista";
inline constexpr std::string_view AccAceptar = "Ados / Aceptar";
inline constexpr std::string_view AccAceptarDesc =
    "Ordezkoak gogoratzen ditu eta fitxategi zuzendua idazten du (Sartu tekla) / Recuerda los "
    "sustitutos y escribe el fichero corregido (tecla Intro)";
inline constexpr std::string_view AccCancelar = "Utzi / Cancelar";
inline constexpr std::string_view AccCancelarDesc =
    "Ezer gorde gabe fitxategien leihora itzultzen da (Esc tekla) / Vuelve a la ventana de "
    "ficheros sin guardar nada (tecla Esc)";

// The command line. Its messages are the windows' own; these are its usage
// texts and the short reasons on the line after a message.
// Every line the command line writes on standard error begins with this.
inline constexpr std::string_view PrefijoMensaje = "tildora: ";
// An existing OUTPUT, which only --force replaces (the window asks instead).
inline constexpr std::string_view SalidaExiste =
    "Irteerako fitxategia jada existitzen da; --force erabili gainetik idazteko / El fichero de "
    "salida ya existe; use --force para sobrescribirlo";
// The delete answer (the character goes) in the replacement columns of check
// and list. A backslash of a replacement is written doubled there, so no
// replacement is ever written as this.
inline constexpr std::string_view MarcaBorrado = "\\delete";
// forget of a character the store holds no answer for; the character follows.
inline constexpr std::string_view NoRecordado =
    "Karaktere honek ez du ordezko gogoraturik / Este carácter no tiene sustituto recordado: ";
#ifndef TILDORA_VERSION
#define TILDORA_VERSION "1.0.0"
#endif
// The first line is the name and version alone, for scripts that read it.
inline constexpr std::string_view Version =
    "tildora " TILDORA_VERSION "\n"
    "Copyright (C) 2026 The Tildora maintainers\n"
    "Lizentzia: GNU GPL, 3. bertsioa edo berriagoa (GPL-3.0-or-later).\n"
    "Software librea da: aldatu eta banatu dezakezu.\n"
    "Ez du inolako bermerik, legeak uzten duen neurrian.\n"
    "Licencia: GNU GPL, versión 3 o posterior (GPL-3.0-or-later).\n"
    "Es software libre: puede modificarlo y redistribuirlo.\n"
    "No tiene ninguna garantía, en la medida en que lo permita la ley.\n"
    "<https://www.gnu.org/licenses/gpl-3.0.html>\n";
// Short reasons of the command line's own, for the line after a message.
inline constexpr std::string_view RazonCambiado =
    "aldatu egin da irakurri bitartean / ha cambiado mientras se leía";
inline constexpr std::string_view RazonCrecimiento =
    "irteera handiegia litzateke / la salida sería demasiado grande";
inline constexpr std::string_view RazonAlmacen =
    "ordezkoen fitxategia da / es el fichero de sustitutos";
inline constexpr std::string_view RazonRepetida =
    "beste fitxategi batek irteera bera du / otro fichero tiene la misma salida";
inline constexpr std::string_view RazonPermitido =
    "karaktere onargarria da / es un carácter permitido";
inline constexpr std::string_view RazonUnoSolo =
    "karaktere bakarra izan behar da / ha de ser un solo carácter";
inline constexpr std::string_view RazonWindows =
    "Windows-1252 kodeak ezin du gorde / Windows-1252 no lo puede representar";
inline constexpr std::string_view RazonNoUtf8 =
    "ez da UTF-8 testu baliozkoa / no es texto UTF-8 válido";
inline constexpr std::string_view RazonSalto =
    "lerro-jauzia da, ez karakterea / es un salto de línea, no un carácter";
inline constexpr std::string_view RazonSustitutoSalto =
    "lerro-jauzirik ezin du izan / no puede contener saltos de línea";
inline constexpr std::string_view RazonSustitutoPropio =
    "bere karakterea du, eta ez litzateke inoiz zuzenduko / contiene su propio carácter, que nunca "
    "quedaría corregido";
inline constexpr std::string_view RazonSustitutoVacio = "hutsik dago / está vacío";
inline constexpr std::string_view RazonSustitutoLargo =
    "127 byte baino luzeagoa / más largo de 127 bytes";
inline constexpr std::string_view RazonNoSeGuarda = "ezin da idatzi / no se puede escribir";
inline constexpr std::string_view RazonDemasiadoGrande =
    "handiegia da memorian eusteko / demasiado grande para tenerlo en memoria";
// The store's own limit, reading it or writing it.
inline constexpr std::string_view RazonAlmacenGrande =
    "ordezkoen fitxategiak ezin ditu 4 MiB gainditu / el fichero de sustitutos no puede pasar "
    "de 4 MiB";
// A pipe, a socket or a device where only an ordinary file will do (the
// store).
inline constexpr std::string_view RazonNoRegular =
    "ez da fitxategi arrunta (hodi bat edo gailu bat da) / no es un fichero ordinario (es una "
    "tubería o un dispositivo)";

inline constexpr std::string_view RazonCodificacion =
    "ez da baliozkoa bere kodeketan (UTF-16 edo UTF-8) / no es válido en su codificación "
    "(UTF-16 o UTF-8)";

inline constexpr std::string_view RazonNoCodificable =
    "karaktere bat ezin da idatzi irteerako kodeketan / un carácter no se puede escribir en "
    "la codificación de salida";

// The commands' usage, one language at a time, Basque first: the text after
// a usage error shows it, and so does the short help (--help), which also
// gives the windows' start and where the rest is told.
inline constexpr std::string_view UsoEu = "Erabilera:\n";
inline constexpr std::string_view UsoVentanasEu = "  tildora [FITXATEGIA]   (leihoak)\n";
inline constexpr std::string_view UsoOrdenesEu =
    "  tildora [--store INI] check [--propose] [--from KODEKETA] FITXATEGIA...\n"
    "  tildora [--store INI] fix [--force] [--propose] [--from KOD] [--to KOD] SARRERA IRTEERA\n"
    "  tildora [--store INI] fix [--force] [--propose] --out-dir KARPETA FITXATEGIA...\n"
    "  tildora [--store INI] remember KARAKTEREA ORDEZKOA\n"
    "  tildora [--store INI] remember KARAKTEREA --delete\n"
    "  tildora [--store INI] list\n"
    "  tildora [--store INI] forget KARAKTEREA\n";
inline constexpr std::string_view UsoEs = "Uso:\n";
inline constexpr std::string_view UsoVentanasEs = "  tildora [FICHERO]      (las ventanas)\n";
inline constexpr std::string_view UsoOrdenesEs =
    "  tildora [--store INI] check [--propose] [--from CODIFICACIÓN] FICHERO...\n"
    "  tildora [--store INI] fix [--force] [--propose] [--from COD] [--to COD] ENTRADA SALIDA\n"
    "  tildora [--store INI] fix [--force] [--propose] --out-dir CARPETA FICHERO...\n"
    "  tildora [--store INI] remember CARÁCTER SUSTITUTO\n"
    "  tildora [--store INI] remember CARÁCTER --delete\n"
    "  tildora [--store INI] list\n"
    "  tildora [--store INI] forget CARÁCTER\n";

// After a usage error, on standard error.
inline std::string Uso() {
    std::string t;
    t.append(UsoEu).append(UsoOrdenesEu).append(UsoEs).append(UsoOrdenesEs);
    return t.append("tildora --help\n");
}

// tildora --help: the usage alone. The exit statuses are told once, in the
// long help.
inline std::string Ayuda() {
    std::string t;
    t.append(UsoEu).append(UsoVentanasEu).append(UsoOrdenesEu);
    t.append(UsoEs).append(UsoVentanasEs).append(UsoOrdenesEs);
    return t.append("Laguntza osoa / Ayuda completa: tildora --help --verbose, man tildora\n");
}

// tildora --help --verbose: every command and option, at length.
inline constexpr std::string_view AyudaLarga =
    "tildora " TILDORA_VERSION "\n"
    "\n"
    "Erabilera:\n"
    "  tildora [FITXATEGIA]\n"
    "      Leihoak irekitzen ditu, FITXATEGIA sarrerako kutxan.\n"
    "  tildora [--store INI] check [--propose] [--from KODEKETA] FITXATEGIA...\n"
    "      Karaktere oker bakoitzeko lerro bat idazten du, agertzen diren ordenan,\n"
    "      tabulazioz bereizita: FITXATEGIA, KODEA, ZENBAT, LERROA:ZUTABEA,\n"
    "      KARAKTEREA, ORDEZKOA (gogoratua, edo hutsik).\n"
    "      --propose: zazpigarren zutabea, PROPOSAMENA, ordezkorik gogoratu ez\n"
    "      denean (bestela hutsik).\n"
    "      Karaktere okerrak utziko lituzkeen ordezko bakoitza errore estandarrean\n"
    "      esaten da, fix-ek bezala (KODEA, KARAKTEREA, ORDEZKOA).\n"
    "  tildora [--store INI] fix [--force] [--propose] [--from KOD] [--to KOD]\n"
    "          SARRERA IRTEERA\n"
    "      SARRERA zuzentzen du gogoratutako ordezkoekin eta IRTEERA idazten du.\n"
    "      --force: IRTEERA badago, gainetik idazten du.\n"
    "      --propose: ordezko gogoraturik ez duen karakterea bere proposamenarekin\n"
    "      zuzentzen du; ez du ezer gogoratzen.\n"
    "  tildora [--store INI] fix [--force] [--propose] --out-dir KARPETA FITXATEGIA...\n"
    "      Fitxategi bakoitza KARPETA karpetan zuzentzen du, bere izen berarekin.\n"
    "  tildora [--store INI] remember KARAKTEREA ORDEZKOA\n"
    "      KARAKTEREA (UTF-8, \\xHH edo U+XXXX) ordezteko ORDEZKOA gogoratzen du.\n"
    "  tildora [--store INI] remember KARAKTEREA --delete\n"
    "      KARAKTEREA ezabatzea gogoratzen du (ordezkorik gabe); check eta list\n"
    "      aginduek \\delete idazten dute ORDEZKOA gisa.\n"
    "  tildora [--store INI] list\n"
    "      Gogoratutako ordezko bakoitzeko lerro bat, tabulazioz bereizita:\n"
    "      KODEA, KARAKTEREA, ORDEZKOA.\n"
    "  tildora [--store INI] forget KARAKTEREA\n"
    "      KARAKTEREAren (UTF-8, \\xHH edo U+XXXX) ordezkoa ahazten du.\n"
    "  Izenetan, karaktereetan eta ordezkoetan kontrol-karaktereak eta Windows-1252-k\n"
    "  zehazten ez dituen kodeak \\xHH dira, eta \\ \\\\ da.\n"
    "  Proposamena karaktere onargarriz egindako ordezkoa da (… → ..., € → EUR), edo\n"
    "  \\delete karaktere ikusezinentzat; txinera, japoniera eta koreerako\n"
    "  karaktereek ez dute proposamenik.\n"
    "  Mezuak (zuzenketarena ere) errore estandarrean doaz, \"tildora: \" aurretik.\n"
    "  '-' sarrera estandarra da SARRERA gisa (behin), eta irteera estandarra IRTEERA gisa.\n"
    "  --: ondorengoak izenak edo balioak dira, ez aukerak (remember -- '\xe2\x80\x9c' -x).\n"
    "  Kodeketak: UTF-16 bere BOMagatik ezagutzen da, UTF-8 bere BOMagatik edo\n"
    "  byte anitzeko sekuentziak dituen UTF-8 baliozkoa delako; bestela Windows-1252.\n"
    "  UTF-8/UTF-16 fitxategietan ZUTABEA karaktereetan doa, Windows-1252-n ez dagoen\n"
    "  karakterearen KODEA U+XXXX da, eta check-ek kodeketa errore estandarrean dio.\n"
    "  --from KOD: kodeketa hori erabiltzen du, ezagutu gabe. --to KOD: IRTEERA\n"
    "  kodeketa horretan (bestela sarrerarenean). KOD: windows-1252, utf-8, utf-16le,\n"
    "  utf-16be.\n"
    "  --store INI: caracteres.ini-ren ordez INI fitxategia erabiltzen du.\n"
    "  Irteera-kodeak: 0 ondo; 1 karaktere okerrak daude (check), ez zegoen (forget);\n"
    "  2 errorea; 3 ordezkoak falta dira edo ez dira garbiak;\n"
    "  4 IRTEERA badago (--force gabe).\n"
    "\n"
    "Uso:\n"
    "  tildora [FICHERO]\n"
    "      Abre las ventanas, con FICHERO en la caja de entrada.\n"
    "  tildora [--store INI] check [--propose] [--from CODIFICACIÓN] FICHERO...\n"
    "      Escribe una línea por carácter erróneo, en el orden en que aparecen,\n"
    "      separada por tabuladores: FICHERO, CÓDIGO, CUÁNTOS, LÍNEA:COLUMNA,\n"
    "      CARÁCTER, SUSTITUTO (el recordado, o vacío).\n"
    "      --propose: una séptima columna, PROPUESTA, cuando no hay sustituto\n"
    "      recordado (si no, vacía).\n"
    "      Cada sustituto que dejaría caracteres erróneos se dice en la salida de\n"
    "      errores, como en fix (CÓDIGO, CARÁCTER, SUSTITUTO).\n"
    "  tildora [--store INI] fix [--force] [--propose] [--from COD] [--to COD]\n"
    "          ENTRADA SALIDA\n"
    "      Corrige ENTRADA con los sustitutos recordados y escribe SALIDA.\n"
    "      --force: si SALIDA existe, la sobreescribe.\n"
    "      --propose: corrige con su propuesta el carácter que no tiene sustituto\n"
    "      recordado; no recuerda nada.\n"
    "  tildora [--store INI] fix [--force] [--propose] --out-dir CARPETA FICHERO...\n"
    "      Corrige cada fichero en la carpeta CARPETA, con su mismo nombre.\n"
    "  tildora [--store INI] remember CARÁCTER SUSTITUTO\n"
    "      Recuerda SUSTITUTO para CARÁCTER (en UTF-8, \\xHH o U+XXXX).\n"
    "  tildora [--store INI] remember CARÁCTER --delete\n"
    "      Recuerda que CARÁCTER se borra (sin sustituto); check y list escriben\n"
    "      \\delete como SUSTITUTO.\n"
    "  tildora [--store INI] list\n"
    "      Escribe una línea por sustituto recordado, separada por tabuladores:\n"
    "      CÓDIGO, CARÁCTER, SUSTITUTO.\n"
    "  tildora [--store INI] forget CARÁCTER\n"
    "      Olvida el sustituto de CARÁCTER (en UTF-8, \\xHH o U+XXXX).\n"
    "  En nombres, caracteres y sustitutos, los caracteres de control y los códigos que\n"
    "  Windows-1252 no define son \\xHH, y \\ es \\\\.\n"
    "  Una propuesta es un sustituto hecho de caracteres permitidos (… → ..., € → EUR),\n"
    "  o \\delete para los caracteres invisibles; los caracteres chinos, japoneses y\n"
    "  coreanos no tienen propuesta.\n"
    "  Los mensajes (también el de la corrección) van a la salida de errores, tras\n"
    "  \"tildora: \".\n"
    "  '-' es la entrada estándar como ENTRADA (una vez), y la salida estándar como SALIDA.\n"
    "  --: lo que sigue son nombres o valores, no opciones (remember -- '\xe2\x80\x9c' -x).\n"
    "  Codificaciones: UTF-16 se reconoce por su BOM, UTF-8 por su BOM o por ser UTF-8\n"
    "  válido con secuencias de varios bytes; si no, Windows-1252. En ficheros\n"
    "  UTF-8/UTF-16 la COLUMNA cuenta caracteres, el CÓDIGO de un carácter que\n"
    "  Windows-1252 no tiene es U+XXXX, y check dice la codificación en la salida de\n"
    "  errores.\n"
    "  --from COD: usa esa codificación, sin reconocerla. --to COD: SALIDA en esa\n"
    "  codificación (si no, la de la entrada). COD: windows-1252, utf-8, utf-16le,\n"
    "  utf-16be.\n"
    "  --store INI: usa el fichero INI en lugar de caracteres.ini.\n"
    "  Códigos de salida: 0 bien; 1 hay caracteres erróneos (check), no estaba (forget);\n"
    "  2 error; 3 faltan sustitutos o no son limpios;\n"
    "  4 SALIDA existe (sin --force).\n";

inline constexpr std::string_view OpcionDesconocida = "Aukera ezezaguna / Opción desconocida: ";
inline constexpr std::string_view OrdenDesconocida = "Agindu ezezaguna / Orden desconocida: ";
inline constexpr std::string_view OpcionRepetida = "Aukera errepikatua / Opción repetida: ";
inline constexpr std::string_view EntradaEstandarRepetida =
    "'-' (sarrera estandarra) behin bakarrik / '-' (la entrada estándar) solo una vez";
inline constexpr std::string_view CodificacionDesconocida =
    "Kodeketa ezezaguna (windows-1252, utf-8, utf-16le, utf-16be) / Codificación desconocida "
    "(windows-1252, utf-8, utf-16le, utf-16be): ";
inline constexpr std::string_view FaltaOrden = "Agindurik ez / Falta la orden";
inline constexpr std::string_view FaltaValor = "Balioa falta da / Falta el valor de: ";
inline constexpr std::string_view CuentaArgumentos =
    "Argumentu kopuru okerra / Número de argumentos incorrecto: ";

inline constexpr std::string_view SinVentanas =
    "Bertsio honek ez du leihorik; ikus tildora --help / Esta versión no tiene ventanas; vea "
    "tildora --help";
inline constexpr std::string_view VentanasNoEncontradas =
    "Ezin dira leihoak abiarazi / No se pueden abrir las ventanas: ";
// On Windows, tildora.com without tildora.exe beside it, which runs the
// commands as well as the windows; then its path and the system's reason.
inline constexpr std::string_view ProgramaNoSeInicia =
    "Ezin da programa abiarazi / No se puede iniciar el programa: ";

// The store's failures, each followed by the store's path and the reason.
inline constexpr std::string_view AlmacenIlegible =
    "Ordezkoen fitxategia ezin da irakurri / No se puede leer el fichero de sustitutos: ";
inline constexpr std::string_view AlmacenNoSeGuarda =
    "Ordezkoen fitxategian ezin da idatzi / No se puede escribir en el fichero de sustitutos: ";
// An answer of a UTF-8 or UTF-16 store that Windows-1252 cannot hold, and so
// no answer; the store's path and the line's number follow ("path:7").
inline constexpr std::string_view AlmacenValorNoWindows =
    "Ordezko hau Windows-1252 kodeak ezin du gorde, eta ez da erabiltzen / Este sustituto no se "
    "puede representar en Windows-1252 y no se usa: ";

// What stopped the work, said first when the name is not what is wrong; the
// name, and the system's reason, follow on the next line.
// Memory ran out (the text, or something made of it, could not be held).
inline constexpr std::string_view DemasiadoGrande =
    "Handiegia da memorian eusteko / Es demasiado grande para tenerlo en memoria";
inline constexpr std::string_view DiscoLleno =
    "Ez dago lekurik diskoan (edo kuota bete da) / No queda espacio en el disco (o se ha llenado "
    "la cuota)";
inline constexpr std::string_view LimiteTamano =
    "Fitxategien tamaina-muga gainditu da (ulimit -f) / Se ha superado el límite de tamaño de los "
    "ficheros (ulimit -f)";
inline constexpr std::string_view SoloLectura =
    "Fitxategi-sistema irakurtzeko soilik da / El sistema de ficheros es de solo lectura";
inline constexpr std::string_view SalidaDemasiadoGrande =
    "Irteera handiegia litzateke / La salida sería demasiado grande";
inline constexpr std::string_view SalidaNoSeEscribe =
    "Irteerako fitxategia ezin da idatzi / No se puede escribir el fichero de salida";
// A pipe read as input is copied to the temporary folder ($TMPDIR, else
// /tmp) to be read twice; the folder and the reason follow.
inline constexpr std::string_view CopiaTemporalFallida =
    "Sarreraren kopia ezin da egin aldi baterako karpetan (TMPDIR) / No se puede hacer la copia "
    "de la entrada en la carpeta temporal (TMPDIR)";
// The input changed while it was read again to be corrected: nothing was
// written. The input's name follows.
inline constexpr std::string_view EntradaCambiada =
    "Sarrera aldatu egin da irakurri bitartean; ez da ezer idatzi / La entrada ha cambiado "
    "mientras se leía; no se ha escrito nada";
// The input changed on disk, or can no longer be read, since the conversion
// window read it: the output can still be written from the text as it was
// read. The input's name follows (and why it cannot be read).
inline constexpr std::string_view EntradaModificada =
    "Sarrerako fitxategia aldatu egin da ireki zenetik; irteera ireki zeneko testutik idatzi "
    "nahi al duzu? / El fichero de entrada ha cambiado desde que se abrió; ¿desea escribir la "
    "salida a partir del texto tal como se abrió?";
inline constexpr std::string_view EntradaIlegible =
    "Sarrerako fitxategia ezin da irakurri ireki zenetik; irteera ireki zeneko testutik idatzi "
    "nahi al duzu? / El fichero de entrada ya no se puede leer desde que se abrió; ¿desea "
    "escribir la salida a partir del texto tal como se abrió?";
// The system's usual reasons, in place of its own words (an error number
// not among them keeps the system's text).
inline constexpr std::string_view RazonNoExiste =
    "ez dago fitxategi edo karpeta hori / no existe ese fichero o carpeta";
inline constexpr std::string_view RazonSinPermiso = "ez dago baimenik / no hay permiso";
inline constexpr std::string_view RazonSoloLectura =
    "fitxategi-sistema irakurtzeko soilik da / el sistema de ficheros es de solo lectura";
inline constexpr std::string_view RazonDiscoLleno =
    "ez dago lekurik diskoan / no queda espacio en el disco";
inline constexpr std::string_view RazonCuota = "kuota bete da / se ha llenado la cuota";
inline constexpr std::string_view RazonNombreLargo =
    "izena luzeegia da / el nombre es demasiado largo";
inline constexpr std::string_view RazonEsCarpeta =
    "karpeta bat da, ez fitxategi bat / es una carpeta, no un fichero";
inline constexpr std::string_view RazonNoCarpeta =
    "bideko zati bat fitxategi bat da, ez karpeta bat / una parte de la ruta es un fichero, no "
    "una carpeta";
inline constexpr std::string_view RazonEnUso =
    "beste programa batek darabil / otro programa lo está usando";
inline constexpr std::string_view RazonEnlaces = "esteka gehiegi / demasiados enlaces";
inline constexpr std::string_view RazonFicheroGrande =
    "fitxategia handiegia da / el fichero es demasiado grande";
inline constexpr std::string_view RazonSinMemoria =
    "ez dago memoria nahikorik / no hay memoria suficiente";
// Short reasons, for the line after a message.
inline constexpr std::string_view RazonTuberia =
    "hodi bat da (FIFO), ez fitxategi bat / es una tubería (FIFO), no un fichero";
inline constexpr std::string_view RazonDispositivo =
    "gailu bat da, ez fitxategi bat / es un dispositivo, no un fichero";
// The same as the command line says them of OUTPUT, where "-" is standard
// output (the windows take no "-").
inline constexpr std::string_view RazonTuberiaOrden =
    "hodi bat da (FIFO), ez fitxategi bat; erabili - irteera estandarrerako / es una tubería "
    "(FIFO), no un fichero; use - para la salida estándar";
inline constexpr std::string_view RazonDispositivoOrden =
    "gailu bat da, ez fitxategi bat; erabili - irteera estandarrerako / es un dispositivo, no un "
    "fichero; use - para la salida estándar";
inline constexpr std::string_view RazonCodigoSinCaracter =
    "ez da karaktere baten kodea (U+D800-U+DFFF UTF-16ren erdiak dira, eta U+10FFFF da azkena) / "
    "no es el código de un carácter (U+D800-U+DFFF son mitades de UTF-16, y U+10FFFF es el último)";
// Usage: --help (with --verbose or not) and --version take nothing after
// them; "--" ends the command's options, after the command.
inline constexpr std::string_view NadaTrasOpcion =
    "Aukera honen ondoren ez da ezer onartzen / Tras esta opción no se admite nada: ";
inline constexpr std::string_view GuionesAntesDeOrden =
    "\"--\" aginduaren ondoren doa, izenen aurretik (tildora check -- -a.txt) / \"--\" va "
    "tras la orden, antes de los nombres (tildora check -- -a.txt)";

// The store.
inline constexpr std::string_view SeccionLista = "lista";
inline constexpr std::string_view NombreAlmacen = "caracteres.ini";

} // namespace tildora::textos

#!/usr/bin/env bash
# Makes the Windows installer, an MSI, from a finished Windows build's
# programs (tildora.exe and tildora.com in FOLDER, the build's app/ or the
# zip's folder) with msitools' wixl and msibuild:
#   scripts/instalador.sh FOLDER VERSION OUT.msi
# VERSION is the MSI's version, MAJOR.MINOR.PATCH (a newer one replaces an
# older installation). The programs are stripped, the texts made as the zip
# has them (scripts/windows.sh). What the installer does: packaging/windows/
# tildora.wxs. What wixl 0.101 cannot write is added to the MSI it builds:
#   - the Environment table (packaging/windows/Environment.idt) and the
#     actions that write and remove its strings, for ADDTOPATH=1, with the
#     conditions of the components its rows belong to;
#   - the action that keeps the PATH entry over an upgrade (RecordarRuta);
#   - the registry root HKMU (-1: HKCU for one user, HKLM for all), which
#     wixl writes as 4, a root Windows Installer does not know;
#   - the "Open with" keys that hold no value (OpenWithList\tildora.exe),
#     made on install and removed with everything under them on uninstall;
#   - what wixl has no attribute for: an installer of the same version
#     replaces the installation, the mark is a hidden file, and ARPSIZE,
#     the size for the installed programs' list.
# Needs the packages wixl and msitools (PAQUETES_WINDOWS in comun.sh) and
# x86_64-w64-mingw32-strip.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"

if [ $# -ne 3 ] || ! [[ "$2" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "Erabilera / Uso: $0 KARPETA/CARPETA BERTSIOA/VERSIÓN (1.2.3) IRTEERA/SALIDA.msi" >&2
    exit 2
fi
programas=$1
version=$2
salida=$3
for programa in tildora.exe tildora.com; do
    if [ ! -f "$programas/$programa" ]; then
        echo "Ez dago / No está: $programas/$programa" >&2
        exit 2
    fi
done

# wixl takes only names relative to the folder it runs in: everything the
# MSI holds is put together in one temporary folder.
obra="$(mktemp -d)"
trap 'rm -rf "$obra"' EXIT
for programa in tildora.exe tildora.com; do
    x86_64-w64-mingw32-strip -o "$obra/$programa" "$programas/$programa"
done
cp "$raiz/data/LEEME-windows.txt" "$obra/IRAKURRI-LEEME.txt"
sed 's/$/\r/' "$raiz/COPYING" >"$obra/COPYING.txt"
cp "$raiz/ui-win32/iconos/ventana.ico" "$obra/tildora.ico"
# The mark of an installed copy (core/almacen.cpp): only its presence counts;
# its text says what it is to whoever opens it.
printf '%s\r\n' \
    "Tildora instalatuta: ordezkoak %APPDATA%\\tildora\\caracteres.ini fitxategian daude." \
    "Tildora instalado: los sustitutos están en %APPDATA%\\tildora\\caracteres.ini." \
    >"$obra/.tildora-instalada"

msi="$obra/tildora.msi"
(cd "$obra" && wixl -a x64 -D Version="$version" -o tildora.msi \
    "$raiz/packaging/windows/tildora.wxs")

consulta() { msibuild "$msi" -q "$1"; }
msibuild "$msi" -i "$raiz/packaging/windows/Environment.idt"
# The user's PATH for an installation of one user, the system's for one of
# all users; neither without ADDTOPATH=1. Once Windows Installer has chosen,
# ALLUSERS is 1 for all users and empty for one (Wine, which always chooses
# all users, leaves it at 2). Removing, the condition holds too: a component
# whose condition fails is left out of the removal as well (so Wine does),
# and its PATH entry would stay.
consulta "UPDATE \`Component\` SET \`Condition\` = '(ADDTOPATH=1 AND NOT ALLUSERS) OR REMOVE=\"ALL\"' WHERE \`Component\` = 'RutaUsuario'"
consulta "UPDATE \`Component\` SET \`Condition\` = '(ADDTOPATH=1 AND ALLUSERS) OR REMOVE=\"ALL\"' WHERE \`Component\` = 'RutaSistema'"
# Where Windows Installer's own sequence has them: removed right after the
# shortcuts, written right after the registry values.
consulta "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)"
consulta "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
# An installation that made the PATH entry left Software\Tildora\AddToPath
# (found by AppSearch); an upgrade or a reinstallation that does not say
# ADDTOPATH keeps the entry (51: a property set at once, right after the
# search). ADDTOPATH passes to the installing service for every user too.
consulta "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('RecordarRuta', 51, 'ADDTOPATH', '1')"
for secuencia in InstallExecuteSequence InstallUISequence; do
    consulta "INSERT INTO \`$secuencia\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('RecordarRuta', '(RUTA_USUARIO_ANTERIOR OR RUTA_SISTEMA_ANTERIOR) AND NOT ADDTOPATH', 51)"
done
consulta "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;ADDTOPATH' WHERE \`Property\` = 'SecureCustomProperties'"
consulta "UPDATE \`Registry\` SET \`Root\` = -1 WHERE \`Root\` = 4"
# An installer of the same version replaces the installation too (each build
# has a ProductCode of its own): the upgrade's highest version is included
# (512, msidbUpgradeAttributesVersionMaxInclusive, beside 1, the features'
# states carried over). The attributes are part of the row's key: the row is
# written again.
codigo="$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')"
consulta "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
consulta "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$codigo', '$version', 513, 'WIX_UPGRADE_DETECTED')"
# The mark is hidden (2), as the files Explorer need not show are.
consulta "UPDATE \`File\` SET \`Attributes\` = 514 WHERE \`File\` = 'marca'"
clave=1
for tipo in '.txt' 'SystemFileAssociations\text'; do
    consulta "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('AbrirConLista$clave', -1, 'Software\\Classes\\$tipo\\OpenWithList\\tildora.exe', '*', 'AbrirCon')"
    clave=$((clave + 1))
done
# The size the installed programs' list shows, in KiB, for a Windows
# Installer that does not work it out itself (Wine's).
kib=$(($(cat "$obra"/tildora.exe "$obra"/tildora.com "$obra"/*.txt "$obra"/.tildora-instalada | wc -c) / 1024 + 1))
consulta "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('ARPSIZE', '$kib')"
mkdir -p "$(dirname "$salida")"
mv "$msi" "$salida"

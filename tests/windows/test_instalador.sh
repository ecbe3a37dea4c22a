#!/usr/bin/env bash
# The Windows installer (scripts/instalador.sh) made from this build's
# programs, checked as a Windows user meets it, under Wine, in a Wine prefix
# of its own made afresh (PREFIX-UID, removed when the test passes) and on
# an X server of its own (Xvfb), so that nothing here meets the other tests'
# windows:
#   - the MSI's tables that matter against instalador_tablas.txt;
#   - installed for one user, with the PATH entry: the files, the Start menu
#     entry, "Open with", the installed programs' list, the user's PATH (what
#     the user had there kept), the command line by that PATH, the windows
#     from the Start menu entry, the store in %APPDATA%\tildora;
#   - a second installer, of a higher version, over the first, not told
#     ADDTOPATH: one entry in the list, the new version, the PATH entry kept,
#     once; an older one refused; one of the same version with ADDTOPATH=0:
#     still one entry, and no PATH entry;
#   - removed: nothing it made is left but the store;
#   - for all users, with the PATH entry: HKLM and the system's PATH, and
#     removed again.
# Wine differs from Windows here: it always installs for all users when
# ALLUSERS is 2 (it does not know MSIINSTALLPERUSER), so one user's
# installation is asked for with ALLUSERS="", and it keeps the installed
# programs' list in HKLM whichever it is.
#   test_instalador.sh WINE64 PROGRAMS_FOLDER VERSION VENTANA_ABIERTA.EXE PREFIX
#   test_instalador.sh --tablas FILE.msi     the tables as they are compared
set -uo pipefail
export LC_ALL=C.UTF-8
raiz="$(cd "$(dirname "$0")/../.." && pwd)"
esperadas="$raiz/tests/windows/instalador_tablas.txt"

# The rows of the MSI $1 that say what it installs, one a line, "TABLE<TAB>
# columns", sorted: the columns that change at every build (ProductCode,
# sizes, the registry rows' own names) left out, the version as VERSION.
tablas() {
    local msi=$1 t version
    version="$(msiinfo export "$msi" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')"
    for t in Directory Component File RemoveFile Shortcut Registry Environment Upgrade \
        LaunchCondition AppSearch RegLocator CustomAction Property InstallExecuteSequence; do
        msiinfo export "$msi" "$t" | tr -d '\r' | tail -n +4 | case "$t" in
        File) cut -f1-3,7 ;;
        Upgrade) sed "s/\t$version\t/\tVERSION\t/" ;;
        Registry) cut -f2- ;;
        Property) grep -E '^(ALLUSERS|MSIINSTALLPERUSER|ARPPRODUCTICON|ARPNOMODIFY|Manufacturer|ProductName|UpgradeCode|SecureCustomProperties)'$'\t' ;;
        InstallExecuteSequence) grep -E '^(FindRelatedProducts|AppSearch|RecordarRuta|RemoveExistingProducts|[A-Za-z]*Environment[A-Za-z]*|CreateShortcuts|WriteRegistryValues)'$'\t' ;;
        *) cat ;;
        esac | sed "s/^/$t\t/"
    done | LC_ALL=C sort
}

if [ "${1:-}" = --tablas ] && [ $# -eq 2 ]; then
    tablas "$2"
    exit
fi
[ $# -eq 5 ] || {
    echo "uso: $0 WINE64 PROGRAMS_FOLDER VERSION VENTANA_ABIERTA.EXE PREFIX | --tablas FILE.msi" >&2
    exit 2
}
wine64=$1
programas=$2
version=$3
ventana_abierta=$4
prefijo="$5-$(id -u)"

for orden in wixl msibuild msiinfo; do
    if ! command -v "$orden" >/dev/null; then
        echo "SKIPPED: no $orden (the packages wixl and msitools)"
        exit 77
    fi
done
# An X server of this test's own.
if [ -z "${TILDORA_XVFB_PROPIO:-}" ] && command -v xvfb-run >/dev/null; then
    exec env TILDORA_XVFB_PROPIO=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

tmp="$(mktemp -d)"
export WINEPREFIX=$prefijo
parar() {
    "$(dirname "$wine64")/wineserver64" -k 2>/dev/null
    rm -rf "$tmp"
}
trap parar EXIT
wine=(bash "$raiz/cmake/wine.sh" "$5" "$wine64")
fallos=0
fallo() {
    printf 'FAILED  %s\n' "$1"
    fallos=$((fallos + 1))
}
# A Unix path as Wine names it (drive Z: is /).
windows() { printf 'Z:%s' "${1//\//\\}"; }

# Three installers of the same programs: the second of a higher version, the
# third of that version again (a product of its own, as every build is).
mayor="${version%%.*}"
segunda="$((mayor + 1)).0.0"
for v in "$version" "$segunda" "$segunda-otra"; do
    bash "$raiz/scripts/instalador.sh" "$programas" "${v%-otra}" "$tmp/tildora-$v.msi" 2>"$tmp/error" ||
        {
            cat "$tmp/error"
            echo "FAILED  scripts/instalador.sh $v"
            exit 1
        }
done

if ! diff -u "$esperadas" <(tablas "$tmp/tildora-$version.msi") >"$tmp/diferencia"; then
    cat "$tmp/diferencia"
    fallo "the MSI's tables differ from tests/windows/instalador_tablas.txt (after a change on purpose: $0 --tablas FILE.msi)"
fi

# A fresh prefix, so that nothing of an earlier run counts.
wineserver64="$(dirname "$wine64")/wineserver64"
"$wineserver64" -k 2>/dev/null
rm -rf "$prefijo" "$prefijo.lock"
"${wine[@]}" cmd /c ver >/dev/null 2>&1

# A batch file run by Wine's cmd, for what Wine's own quoting of arguments
# would spoil (ALLUSERS="", names with spaces).
cmd_bat() {
    printf '%s\r\n' "$@" >"$tmp/orden.bat"
    "${wine[@]}" cmd /c "$(windows "$tmp/orden.bat")" 2>/dev/null | tr -d '\r'
}
msiexec() { cmd_bat "start /wait msiexec $*"; }
# Wine's reg query ARGS: its output, status 1 when the key or value is not
# there. On a busy machine Wine now and then fails to start a program at
# all: that is tried again rather than taken for a missing key.
reg_query() {
    local intento salida
    for intento in 1 2 3 4 5; do
        if salida="$("${wine[@]}" reg query "$@" 2>&1)"; then
            printf '%s\n' "$salida"
            return 0
        fi
        # Wine's reg says so on its standard output.
        case "$salida" in *"Unable to find"*) return 1 ;; esac
        sleep "$intento"
    done
    printf '%s\n' "$salida" >&2
    return 1
}
# The data of value $2 of key $1 (the default value when $2 is empty);
# status 1 when there is none.
valor() {
    local salida
    if [ -n "$2" ]; then
        salida="$(reg_query "$1" /v "$2")" || return 1
    else
        salida="$(reg_query "$1" /ve)" || return 1
    fi
    printf '%s\n' "$salida" | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    //p; s/^    .*    REG_[A-Z_]*$//p' | head -n 1
}
clave_existe() { reg_query "$1" >/dev/null; }
# The entries of the PATH in value $2 of key $1, empty ones left out: Wine,
# removing an entry, leaves its ';' behind.
entradas() { valor "$1" "$2" | tr ';' '\n' | grep -v '^$' | paste -sd ';'; }
# The installed programs' list's entries named Tildarkia / Tildora, each as
# "DisplayVersion Publisher".
en_la_lista() {
    local raiz_lista k
    for raiz_lista in HKCU HKLM; do
        reg_query "$raiz_lista\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" 2>/dev/null |
            tr -d '\r' | grep -i 'Uninstall\\' | while IFS= read -r k; do
            [ "$(valor "$k" DisplayName)" = "Tildarkia / Tildora" ] || continue
            printf '%s %s %s\n' "$(valor "$k" DisplayVersion)" "$(valor "$k" Publisher)" \
                "$(valor "$k" Size)"
        done
    done
}

carpeta_win='C:\Program Files\Tildora'
carpeta="$prefijo/drive_c/Program Files/Tildora"
perfil=""
for d in "$prefijo"/drive_c/users/*/; do
    [ "$d" = "$prefijo/drive_c/users/Public/" ] || perfil=$d
done
menu="${perfil}AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tildarkia - Tildora.lnk"
almacen="${perfil}AppData/Roaming/tildora/caracteres.ini"
clases='HKCU\Software\Classes'
ruta_usuario='C:\Herramientas'
"${wine[@]}" reg add 'HKCU\Environment' /v Path /d "$ruta_usuario" /f >/dev/null 2>&1

# --- One user, with the PATH entry.
msiexec /i "$(windows "$tmp/tildora-$version.msi")" /qn ADDTOPATH=1 'ALLUSERS=""' >/dev/null
for f in tildora.exe tildora.com COPYING.txt IRAKURRI-LEEME.txt .tildora-instalada; do
    [ -f "$carpeta/$f" ] || fallo "installed: no $f in $carpeta_win"
done
cmp -s "$carpeta/IRAKURRI-LEEME.txt" "$raiz/data/LEEME-windows.txt" ||
    fallo "installed: IRAKURRI-LEEME.txt is not data/LEEME-windows.txt"
[ -f "$menu" ] || fallo "installed: no Start menu entry $menu"
[ "$(valor "$clases\\Applications\\tildora.exe\\shell\\open\\command" "")" = "\"$carpeta_win\\tildora.exe\" \"%1\"" ] ||
    fallo "installed: Applications\\tildora.exe\\shell\\open\\command is not the program with the file"
[ "$(valor "$clases\\Applications\\tildora.exe" FriendlyAppName)" = "Tildarkia / Tildora" ] ||
    fallo "installed: no FriendlyAppName"
valor "$clases\\Applications\\tildora.exe\\SupportedTypes" .txt >/dev/null ||
    fallo "installed: .txt is not among SupportedTypes"
for k in '.txt\OpenWithList\tildora.exe' 'SystemFileAssociations\text\OpenWithList\tildora.exe'; do
    clave_existe "$clases\\$k" || fallo "installed: no $k"
done
# "Open with" never takes the default program of text files.
valor "$clases\\.txt" "" | grep -qi tildora && fallo "installed: the default program of .txt is this one"
lista="$(en_la_lista)"
[ "$lista" = "$version Tildora $(($(cat "$carpeta"/* "$carpeta"/.tildora-instalada | wc -c) / 1024 + 1))" ] ||
    fallo "installed: the installed programs' list holds \"$lista\", not one entry of version $version by Tildora with its size"
ls "$prefijo"/drive_c/users/*/AppData/Roaming/Microsoft/Installer/*/tildora.ico >/dev/null 2>&1 ||
    ls "$prefijo"/drive_c/windows/Installer/*/tildora.ico >/dev/null 2>&1 ||
    fallo "installed: the list's icon was not put in place"
[ "$(valor 'HKCU\Environment' Path)" = "$ruta_usuario;$carpeta_win\\" ] ||
    fallo "installed: the user's PATH is \"$(valor 'HKCU\Environment' Path)\""

# The command line by the PATH entry the installer wrote (Wine's cmd stops
# at the empty entry Wine puts between the system's PATH and the user's, so
# the user's entry is given alone): a console runs tildora.com for tildora.
salida="$(cmd_bat '@echo off' "set PATH=C:\\windows\\system32;$(valor 'HKCU\Environment' Path)" \
    'cd /d C:\' 'tildora --version')"
[ "$(printf '%s\n' "$salida" | head -n 1)" = "tildora $version" ] ||
    fallo "installed: tildora --version by the PATH gives \"$(printf '%s' "$salida" | head -n 3)\""
# An installed copy keeps its store in %APPDATA%\tildora, even in a folder
# it could write.
"${wine[@]}" "$carpeta_win\\tildora.com" remember 'ç' c >/dev/null 2>"$tmp/error" ||
    fallo "installed: tildora remember: $(cat "$tmp/error")"
[ -f "$almacen" ] || fallo "installed: the store is not in %APPDATA%\\tildora"
[ -e "$carpeta/caracteres.ini" ] && fallo "installed: the store was made beside the program"

# The windows, from the Start menu entry: their first window shows, with
# the program's title, and the close box ends the program.
if [ -n "${DISPLAY:-}" ]; then
    cmd_bat "start \"\" \"$(sed 's|^.*/drive_c/|C:\\|; s|/|\\|g' <<<"$menu")\"" >/dev/null
    titulo="$("${wine[@]}" "$ventana_abierta" TildoraFrmElegirFicheros 60 2>&1 | tr -d '\r')"
    [ "$titulo" = "Tildarkia / Tildora" ] ||
        fallo "installed: the Start menu entry shows no window of the program: $titulo"
    for _ in $(seq 300); do
        pgrep -u "$(id -u)" -f 'Tildora.tildora\.exe' >/dev/null || break
        sleep 0.1
    done
    pgrep -u "$(id -u)" -f 'Tildora.tildora\.exe' >/dev/null &&
        fallo "installed: the windows did not end at the close box"
else
    echo "SKIPPED: the windows from the Start menu entry (no X server: xvfb-run)"
fi

# --- A higher version over it, not told ADDTOPATH: replaced in place, the
# PATH entry kept.
msiexec /i "$(windows "$tmp/tildora-$segunda.msi")" /qn 'ALLUSERS=""' >/dev/null
lista="$(en_la_lista)"
[ "$(cut -d' ' -f1 <<<"$lista")" = "$segunda" ] ||
    fallo "upgraded: the installed programs' list holds \"$lista\", not one entry of version $segunda"
[ -f "$carpeta/tildora.com" ] || fallo "upgraded: no tildora.com"
[ "$(entradas 'HKCU\Environment' Path)" = "$ruta_usuario;$carpeta_win\\" ] ||
    fallo "upgraded: the user's PATH is \"$(valor 'HKCU\Environment' Path)\""

# --- An older version over the newer one: refused, nothing changed.
msiexec /i "$(windows "$tmp/tildora-$version.msi")" /qn 'ALLUSERS=""' >/dev/null
lista="$(en_la_lista)"
[ "$(cut -d' ' -f1 <<<"$lista")" = "$segunda" ] ||
    fallo "an older version over it: the installed programs' list holds \"$lista\""

# --- The same version again with ADDTOPATH=0: it replaces the installation
# too, and the PATH entry goes.
msiexec /i "$(windows "$tmp/tildora-$segunda-otra.msi")" /qn ADDTOPATH=0 'ALLUSERS=""' >/dev/null
lista="$(en_la_lista)"
[ "$(cut -d' ' -f1 <<<"$lista")" = "$segunda" ] ||
    fallo "the same version again: the installed programs' list holds \"$lista\""
[ "$(entradas 'HKCU\Environment' Path)" = "$ruta_usuario" ] ||
    fallo "the same version again, ADDTOPATH=0: the user's PATH is \"$(valor 'HKCU\Environment' Path)\""

# --- Removed: only the store is left, and the user's PATH as it was.
msiexec /x "$(windows "$tmp/tildora-$segunda-otra.msi")" /qn 'ALLUSERS=""' >/dev/null
[ -e "$carpeta" ] && fallo "removed: $carpeta_win is left: $(ls -A "$carpeta" | tr '\n' ' ')"
[ -e "$menu" ] && fallo "removed: the Start menu entry is left"
for k in "$clases\\Applications\\tildora.exe" "$clases\\.txt\\OpenWithList\\tildora.exe" \
    "$clases\\SystemFileAssociations\\text\\OpenWithList\\tildora.exe" 'HKCU\Software\Tildora'; do
    clave_existe "$k" && fallo "removed: $k is left"
done
[ -z "$(en_la_lista)" ] || fallo "removed: the installed programs' list still holds it"
[ "$(entradas 'HKCU\Environment' Path)" = "$ruta_usuario" ] ||
    fallo "removed: the user's PATH is \"$(valor 'HKCU\Environment' Path)\""
grep -q '=c' "$almacen" 2>/dev/null || fallo "removed: the user's store went"

# --- All users, with the PATH entry: HKLM and the system's PATH.
sistema='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
ruta_sistema="$(valor "$sistema" Path)"
msiexec /i "$(windows "$tmp/tildora-$version.msi")" /qn ADDTOPATH=1 ALLUSERS=1 >/dev/null
[ -f "$carpeta/tildora.exe" ] || fallo "all users: no tildora.exe"
clave_existe 'HKLM\Software\Classes\Applications\tildora.exe\shell\open\command' ||
    fallo "all users: no Applications\\tildora.exe in HKLM"
clave_existe "$clases\\Applications\\tildora.exe" && fallo "all users: Applications\\tildora.exe in HKCU"
[ "$(valor "$sistema" Path)" = "$ruta_sistema;$carpeta_win\\" ] ||
    fallo "all users: the system's PATH is \"$(valor "$sistema" Path)\""
[ "$(entradas 'HKCU\Environment' Path)" = "$ruta_usuario" ] ||
    fallo "all users: the user's PATH is \"$(valor 'HKCU\Environment' Path)\""
msiexec /x "$(windows "$tmp/tildora-$version.msi")" /qn ALLUSERS=1 >/dev/null
[ -e "$carpeta" ] && fallo "all users, removed: $carpeta_win is left"
for k in 'HKLM\Software\Classes\Applications\tildora.exe' 'HKLM\Software\Tildora'; do
    clave_existe "$k" && fallo "all users, removed: $k is left"
done
[ "$(entradas "$sistema" Path)" = "$ruta_sistema" ] ||
    fallo "all users, removed: the system's PATH is \"$(valor "$sistema" Path)\""

if [ "$fallos" -gt 0 ]; then
    echo "$fallos FAILED (the Wine prefix is kept: $prefijo)"
    exit 1
fi
# Passed: the prefix (some 700 MB) goes; a failed run's stays to be looked at.
"$wineserver64" -k 2>/dev/null
rm -rf "$prefijo" "$prefijo.lock"
echo "the installer: installed, upgraded and removed under Wine"

# shellcheck shell=bash
# The recorded cases of the command line, run by ejecutar.sh: every command,
# every refusal and exit status, the three encodings, standard input and
# output. Each case starts in an empty folder whose store is caracteres.ini.
# Only what stays the same on every machine is looked at (no permissions,
# no sizes of the machine).

w1252='Ni\xf1o \x93hola\x94 \xe7a\x85\r\nsegunda l\xednea\r\n'
utf8='Ni\xc3\xb1o \xe2\x80\x9chola\xe2\x80\x9d \xc3\xa7a\xe2\x80\xa6\r\nsegunda \xc5\x82\n'
# UTF-16LE with its mark: "Ñ“ł\r\n"
utf16le='\xff\xfe\xd1\x00\x1c\x20\x42\x01\r\x00\n\x00'
utf16be='\xfe\xff\x00\xd1\x20\x1c\x01\x42\x00\r\x00\n'
tienda='[lista]\r\n\x93="\r\n\x94="\r\n\xe7=c\r\n\x85=...\r\n'

# --- usage, help, version ----------------------------------------------------
caso "no command"
t_solo --store x.ini
caso "unknown command"
t_solo frobnicate
caso "unknown option before the command"
t_solo --verbose check a.txt
caso "--store twice"
t_solo --store a.ini --store b.ini list
caso "--store empty"
t_solo --store= list
caso "--store without value"
t_solo --store
caso "--version"
t_solo --version
caso "--help"
t_solo --help
caso "--help after a command"
t_solo check --help
caso "check without files"
t check
caso "fix with one name"
t fix a.txt
caso "remember with one argument"
t remember x
caso "list with an argument"
t list x
caso "unknown option of a command"
t check --force a.txt
caso "--to on check"
t check --to utf-8 a.txt
caso "unknown encoding"
t check --from latin9 a.txt
caso "--from twice"
t fix --from utf-8 --from=utf-8 a.txt b.txt
caso "--out-dir without value"
t fix --out-dir
caso "--out-dir twice"
t fix --out-dir a --out-dir=b x.txt
caso "check - - refused"
t check - -
caso "--help with something after it"
t_solo --help extra
caso "--version with something after it"
t_solo --version extra
caso "--help after a command, something after it"
t_solo check --help a.txt
caso "-- before the command"
t_solo -- check a.txt

# --- check ---------------------------------------------------------------------
caso "check clean file"
printf 'Ni\xf1o \xe1rbol\r\n' >a.txt
t check a.txt
caso "check Windows-1252 with answers"
printf "$w1252" >a.txt
printf "$tienda" >caracteres.ini
t check a.txt
caso "check lone LF and CR"
printf 'a\nb\rc\x00d\te\x7f' >a.txt
t check a.txt
caso "check UTF-8"
printf "$utf8" >a.txt
t check a.txt
caso "check UTF-8 with mark"
printf '\xef\xbb\xbfa\xe2\x80\x94b' >a.txt
t check a.txt
caso "check UTF-16LE"
printf "$utf16le" >a.txt
t check a.txt
caso "check UTF-16BE"
printf "$utf16be" >a.txt
t check a.txt
caso "check invalid UTF-16"
printf '\xff\xfea\x00b' >a.txt
t check a.txt
caso "check --from windows-1252 on UTF-8"
printf "$utf8" >a.txt
t check --from windows-1252 a.txt
caso "check --from utf-8 on invalid UTF-8"
printf 'a\xffb' >a.txt
t check --from utf-8 a.txt
caso "check UTF-8 turned invalid is Windows-1252"
printf 'a\xc3\xa7b\xff' >a.txt
t check a.txt
caso "check several files, one missing, one folder"
printf '\x93uno\x94' >uno.txt
printf 'nada' >limpio.txt
printf 'dos|' >dos.txt
mkdir carpeta
t check uno.txt falta.txt limpio.txt carpeta dos.txt
caso "check standard input"
entrada 'x\x96y'
t check -
caso "check empty name"
t check ''
caso "check name with control characters"
printf 'a^b' >"$(printf 'n\tom\\bre.txt')"
t check "$(printf 'n\tom\\bre.txt')"
caso "check names with C1 controls"
printf 'a^b' >"$(printf 'c1\xc2\x9b.txt')"
t check "$(printf 'c1\xc2\x9b.txt')" "$(printf 'falta\xc2\x85\x9b.txt')"
caso "check standard input in UTF-8 turned invalid"
entrada 'a\xc3\xa7b\xff\x93'
t check -
caso "check standard input that turns out UTF-8"
entrada 'ascii\n\xc3\xa7\xe2\x80\x9c'
t check -
caso "check with unclean answers"
printf 'a\x93b\x94c' >a.txt
printf '[lista]\r\n\x93=\x94\x94\r\n\x94=\x93\r\n' >caracteres.ini
t check a.txt
caso "check unreadable store"
printf 'a\x93' >a.txt
mkdir caracteres.ini
t check a.txt
caso "check UTF-8 store with a value outside Windows-1252"
printf 'a\xe7' >a.txt
printf '\xef\xbb\xbf[lista]\r\n\xc3\xa7=\xc4\x81\r\n' >caracteres.ini
t check a.txt
caso "check invisible characters in UTF-8"
printf 'a\xe2\x80\x8bb\xc2\x81c\xf0\x9f\x91\x8d' >a.txt
t check a.txt

# --- fix -----------------------------------------------------------------------
caso "fix Windows-1252"
printf "$w1252" >a.txt
printf "$tienda" >caracteres.ini
t fix a.txt b.txt
ver b.txt caracteres.ini
caso "fix clean input copied"
printf 'limpio\r\n' >a.txt
t fix a.txt b.txt
ver b.txt
caso "fix missing answers"
printf "$w1252" >a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix a.txt b.txt
listar
caso "fix unclean answers"
printf 'a\x93b\x94c' >a.txt
printf '[lista]\r\n\x93=\x94\x94\r\n\x94=\x93\r\n' >caracteres.ini
t fix a.txt b.txt
listar
caso "fix answer fed by the rows below"
printf 'a\x93b\x94c' >a.txt
printf '[lista]\r\n\x93=\x94\x94\r\n\x94="\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "fix output exists"
printf 'a\x93' >a.txt
printf 'viejo' >b.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "fix --force"
printf 'a\x93' >a.txt
printf 'viejo' >b.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix --force a.txt b.txt
ver b.txt
caso "fix equal names"
printf 'a\x93' >a.txt
t fix a.txt a.txt
caso "fix one file under two names"
printf 'a\x93' >a.txt
t fix a.txt ./a.txt
caso "fix empty name"
t fix '' b.txt
caso "fix output is the store"
printf 'a\x93' >a.txt
t fix a.txt caracteres.ini
listar
caso "fix output is a folder"
printf 'a\x93' >a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
mkdir d
t fix a.txt d
caso "fix output is a pipe"
printf 'a\x93' >a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
mkfifo tubo
t fix --force a.txt tubo
caso "fix output is a device"
printf 'a\x93' >a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix --force a.txt /dev/null
caso "fix standard input without a temporary folder"
# Standard input is /dev/null here: no file, so it is copied to be read twice.
(export TMPDIR=/tildora-no-hay && t fix - -)
caso "fix output in a missing folder"
printf 'a\x93' >a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix a.txt no/b.txt
listar
caso "fix missing input"
t fix falta.txt b.txt
listar
caso "fix to standard output"
printf "$w1252" >a.txt
printf "$tienda" >caracteres.ini
t fix a.txt -
caso "fix standard input to standard output"
printf "$tienda" >caracteres.ini
entrada "$w1252"
t fix - -
caso "fix standard input to a file"
printf "$tienda" >caracteres.ini
entrada "$w1252"
t fix - b.txt
ver b.txt
caso "fix UTF-8 keeps UTF-8"
printf "$utf8" >a.txt
printf "$tienda"'U+0142=l\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "fix UTF-8 with mark keeps the mark"
printf '\xef\xbb\xbfa\xe2\x80\x9cb' >a.txt
printf "$tienda" >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "fix UTF-16LE keeps UTF-16LE"
printf "$utf16le" >a.txt
printf '[lista]\r\n\x93="\r\nU+0142=l\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "fix UTF-16BE keeps UTF-16BE"
printf "$utf16be" >a.txt
printf '[lista]\r\n\x93="\r\nU+0142=l\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "fix --to utf-16le from Windows-1252"
printf "$w1252" >a.txt
printf "$tienda" >caracteres.ini
t fix --to utf-16le a.txt b.txt
ver b.txt
caso "fix --to utf-8 from UTF-16BE"
printf "$utf16be" >a.txt
printf '[lista]\r\n\x93="\r\nU+0142=l\r\n' >caracteres.ini
t fix --to utf-8 a.txt b.txt
ver b.txt
caso "fix --to windows-1252 from UTF-8 with mark"
printf '\xef\xbb\xbfa\xe2\x80\x9cb\xc3\xb1' >a.txt
printf "$tienda" >caracteres.ini
t fix --to windows-1252 a.txt b.txt
ver b.txt
caso "fix --from utf-16le without mark"
printf 'a\x00\x1c\x20' >a.txt
printf "$tienda" >caracteres.ini
t fix --from utf-16le a.txt b.txt
ver b.txt
caso "fix invalid UTF-16"
printf '\xfe\xff\xd8\x00' >a.txt
t fix a.txt b.txt
listar
caso "fix growth refused"
printf 'a\x93\x94\x92\x91\x96\x97\x85\x80\x8b\x9b\x82\x84' >a.txt
printf '[lista]\r\n\x93=\x94\x94\x94\x94\x94\x94\x94\x94\r\n\x94=\x92\x92\x92\x92\x92\x92\x92\x92\r\n\x92=\x91\x91\x91\x91\x91\x91\x91\x91\r\n\x91=\x96\x96\x96\x96\x96\x96\x96\x96\r\n\x96=\x97\x97\x97\x97\x97\x97\x97\x97\r\n\x97=\x85\x85\x85\x85\x85\x85\x85\x85\r\n\x85=\x80\x80\x80\x80\x80\x80\x80\x80\r\n\x80=\x8b\x8b\x8b\x8b\x8b\x8b\x8b\x8b\r\n\x8b=\x9b\x9b\x9b\x9b\x9b\x9b\x9b\x9b\r\n\x9b=\x82\x82\x82\x82\x82\x82\x82\x82\r\n\x82=\x84\x84\x84\x84\x84\x84\x84\x84\r\n\x84=a\r\n' >caracteres.ini
t fix a.txt b.txt
listar
caso "fix growth refused in UTF-8"
printf 'a\xe2\x80\x9c\xe2\x80\x9d\xe2\x80\x99\xe2\x80\x98' >a.txt
printf '[lista]\r\n\x93=%s\r\n\x94=%s\r\n\x92=%s\r\n\x91=%s\r\n' \
    "$(printf '\x94%.0s' {1..127})" "$(printf '\x92%.0s' {1..127})" \
    "$(printf '\x91%.0s' {1..127})" "$(printf 'a%.0s' {1..127})" >caracteres.ini
t fix a.txt b.txt
listar
caso "fix --out-dir"
printf 'a\x93' >uno.txt
printf 'b\xe7' >dos.txt
printf 'limpio' >tres.txt
mkdir limpios
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix --out-dir limpios uno.txt dos.txt tres.txt falta.txt -
ver limpios/uno.txt limpios/dos.txt limpios/tres.txt
caso "fix --out-dir same names twice"
mkdir x y limpios
printf 'a' >x/a.txt
printf 'b' >y/a.txt
t fix --out-dir=limpios/ x/a.txt y/a.txt
ver limpios/a.txt
caso "fix --out-dir missing folder"
printf 'a' >a.txt
t fix --out-dir no a.txt
caso "fix --out-dir is a file"
printf 'a' >a.txt
t fix --out-dir a.txt a.txt
caso "fix unreadable store"
printf 'a\x93' >a.txt
mkdir caracteres.ini
t fix a.txt b.txt
caso "fix lone LF in Windows-1252"
printf 'a\nb\x93' >a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
t check b.txt
caso "fix -- before names"
printf 'a\x93' >-a.txt
printf '[lista]\r\n\x93="\r\n' >caracteres.ini
t fix -- -a.txt -b.txt
ver ./-b.txt

# --- remember, list, forget ----------------------------------------------------
caso "remember and list"
t remember ç c
t remember '“' '"'
t remember '\x85' ...
t remember U+0142 l
t remember 'ā' a
t remember '\x09' ' '
t list
ver caracteres.ini
caso "remember replaces an answer in place"
printf '; mío\r\n[lista]\r\n\xe7=x\r\n\x93="\r\n' >caracteres.ini
t remember ç c
ver caracteres.ini
caso "remember into a UTF-8 store"
printf '\xef\xbb\xbf[lista]\r\n\xc3\xa7=c\r\n' >caracteres.ini
t remember '”' '"'
ver caracteres.ini
caso "remember into a UTF-16LE store"
printf '\xff\xfe[\x00l\x00i\x00s\x00t\x00a\x00]\x00\r\x00\n\x00' >caracteres.ini
t remember '”' '"'
ver caracteres.ini
caso "remember an allowed character"
t remember á a
listar
caso "remember a CR"
t remember '\x0d' x
caso "remember a replacement outside Windows-1252"
t remember ç 'ā'
caso "remember its own character"
t remember ç 'aç'
caso "remember an empty replacement"
t remember ç ''
caso "remember a line break in the replacement"
t remember ç "$(printf 'a\nb')"
caso "remember a replacement too long"
t remember ç "$(printf '%0128d' 0)"
caso "remember two characters"
t remember 'ab' x
caso "remember a surrogate"
t remember U+D800 x
caso "remember a code past the last character"
t remember U+110000 x
caso "remember a lone byte"
t remember "$(printf '\xff')" x
caso "remember into a folder store"
mkdir caracteres.ini
t remember ç c
caso "list an empty store"
t list
caso "list a store with escapes and junk"
printf '[otra]\r\nx=y\r\n[lista]\r\n\\x00=nul\r\n\x81=\\\r\nnada\r\nU+1F44D=ok\r\nU+12=no\r\n' >caracteres.ini
t list
caso "forget"
printf '[lista]\r\n\xe7=c\r\n\x93="\r\n\xe7=d\r\n' >caracteres.ini
t forget ç
ver caracteres.ini
t forget ç
caso "forget a character given wrong"
t forget ab
caso "forget from an unreadable store"
mkdir caracteres.ini
t forget ç

# --- proposals and the delete answer ---------------------------------------------
# The sample text a first-time user brings (UTF-8, CR LF).
muestra="$aqui/../muestra.txt"
caso "check --propose the sample"
cp "$muestra" a.txt
t check --propose a.txt
caso "check --propose after answers remembered"
cp "$muestra" a.txt
printf '[lista]\r\n\x93=\x27\r\nU+0142=""\r\n\xe0=\x85\r\n' >caracteres.ini
t check --propose a.txt
t check a.txt
caso "fix --propose the sample, then check the output"
cp "$muestra" a.txt
t fix --propose a.txt b.txt
ver b.txt
t check b.txt
listar
caso "fix --propose keeps what is remembered, and stores nothing"
cp "$muestra" a.txt
printf '[lista]\r\n\x93=\x27\r\nU+0142=""\r\n' >caracteres.ini
t fix --propose a.txt b.txt
ver b.txt caracteres.ini
caso "fix --propose with no proposal for a character"
printf 'a\xe2\x80\xa6b\xf0\x9f\x98\x80c\xe6\xb1\x89\r\n' >a.txt
t fix --propose a.txt b.txt
listar
caso "fix --propose --to windows-1252 between standard streams"
entrada 'a\xe2\x80\x9cb\xe2\x80\x8bc\xc5\x82\r\n'
t fix --propose --to windows-1252 - -
caso "fix --propose --from utf-16le"
printf 'a\x00\x1c\x20b\x00\x0b\x20' >a.txt
t fix --propose --from utf-16le a.txt b.txt
ver b.txt
caso "fix --propose --out-dir"
mkdir limpios
printf 'a\x93b\x85' >uno.txt
printf 'a\xf0\x9f\x98\x80' >dos.txt
t fix --propose --out-dir limpios uno.txt dos.txt
ver limpios/uno.txt limpios/dos.txt
listar
caso "fix with a remembered delete answer in Windows-1252"
printf 'a\x93\x93b\x81c\r\n' >a.txt
printf '[lista]\r\n\x93=""\r\n\x81='"''"'\r\n' >caracteres.ini
t fix a.txt b.txt
ver b.txt
caso "remember --delete and list"
t remember '“' --delete
t remember --delete U+200B
t remember '\x81' --delete
t remember ç c
t remember '\x09' '\delete'
t list
ver caracteres.ini
caso "remember --delete over an answer, and back"
printf '; mío\r\n[lista]\r\n\xe7=c\r\n\x93="\r\n' >caracteres.ini
t remember ç --delete
ver caracteres.ini
t remember ç c
ver caracteres.ini
caso "remember --delete refusals"
t remember á --delete
t remember '\x0d' --delete
t remember ab --delete
t remember ç c --delete
listar
caso "forget a delete answer"
printf '[lista]\r\n\xe7=""\r\n' >caracteres.ini
t forget ç
ver caracteres.ini
caso "--propose and --delete where they do not belong"
t list --propose
t remember ç --propose
t forget ç --delete
# --- lone LF -------------------------------------------------------------------
caso "remember an LF"
t remember '\x0a' x
listar
caso "fix ignores a stored LF answer"
printf 'a\nb\r\nc\n' >a.txt
printf '[lista]\r\n\\x0A=x\r\n' >caracteres.ini
t check a.txt
t fix a.txt b.txt
ver b.txt
t check b.txt
t list
caso "fix --to windows-1252 from UTF-8 with lone LF"
printf 'a\n\xe2\x80\x9cb\r\nc\n' >a.txt
printf "$tienda" >caracteres.ini
t fix --to windows-1252 a.txt b.txt
ver b.txt
t check b.txt
caso "fix --to utf-8 from Windows-1252 with lone LF"
printf 'a\nb' >a.txt
t fix --to utf-8 a.txt b.txt
ver b.txt
t check b.txt

# --- the long help --------------------------------------------------------------
caso "--help --verbose"
t_solo --help --verbose
caso "--verbose --help after a command"
t_solo check --verbose --help
caso "--help --verbose with something after it"
t_solo --help --verbose extra
caso "--verbose alone"
t_solo --verbose

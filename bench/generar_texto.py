#!/usr/bin/env python3
"""Writes a Windows-1252 text of MEGABYTES (10^6 bytes) to FILE, the same
every run: Spanish-like words with the accents that are allowed, CR LF line
ends, and about 1 % of the bytes wrong characters as they turn up in real
files. Usage: generar_texto.py FILE MEGABYTES"""
import random, sys
azar = random.Random(20261207)  # the same text every run
path, size = sys.argv[1], int(sys.argv[2]) * 1000 * 1000
# Spanish-like words in Windows-1252, with the accents that are allowed.
words = [w.encode("cp1252") for w in (
    "de la que el en y a los se del las un por con no una su para es al lo como "
    "más pero sus le ya o este sí porque esta entre cuando muy sin sobre también "
    "me hasta hay donde quien desde todo nos durante todos uno les ni contra otros "
    "ese eso ante ellos e esto mí antes algunos qué unos yo otro otras otra él tanto "
    "esa estos mucho quienes nada muchos cual poco ella estar estas algunas algo "
    "nosotros niño canción corazón años día información país pequeña está según"
).split()]
# Wrong characters as they turn up in real files: typographic quotes and
# dashes, the ellipsis, accents this table does not allow, tabs, the euro.
wrong = [b"\x93", b"\x94", b"\x92", b"\x85", b"\x96", b"\x97", b"\xe7", b"\xc7",
         b"\xe0", b"\xe8", b"\xf2", b"\xe4", b"\xb4", b"\t", b"\x80", b"`", b"|"]
written = 0
with open(path, "wb") as f:
    while written < size:
        ws = azar.choices(words, k=200000)
        text = bytearray()
        col = 0
        for w in ws:
            text += w
            col += len(w)
            if col > 70:
                text += b"\r\n"
                col = 0
            else:
                text += b" "
                col += 1
        # About 1 % of the bytes become wrong characters.
        for _ in range(len(text) // 100):
            i = azar.randrange(len(text))
            if text[i] not in (13, 10):
                text[i:i + 1] = azar.choice(wrong)
        text = text[: size - written]
        f.write(text)
        written += len(text)

#!/usr/bin/env python3
"""Turns a 24-bit BMP (as the Windows face's tests save a window) into a PNG,
with nothing but Python's own zlib: scripts/capturas-windows.sh.
    bmp_a_png.py ORIGEN.bmp DESTINO.png"""
import struct
import sys
import zlib


def bmp_a_png(origen, destino):
    with open(origen, "rb") as f:
        datos = f.read()
    if datos[:2] != b"BM":
        sys.exit(f"{origen}: not a BMP")
    inicio = struct.unpack_from("<I", datos, 10)[0]
    ancho, alto, _, bits, compresion = struct.unpack_from("<iiHHI", datos, 18)
    if bits != 24 or compresion != 0:
        sys.exit(f"{origen}: not an uncompressed 24-bit BMP")
    paso = (ancho * 3 + 3) & ~3
    filas = []
    for y in range(abs(alto)):
        # Rows go bottom up unless the height is negative.
        fila = y if alto < 0 else abs(alto) - 1 - y
        bgr = datos[inicio + fila * paso : inicio + fila * paso + ancho * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        filas.append(b"\0" + bytes(rgb))

    def trozo(tipo, cuerpo):
        return (struct.pack(">I", len(cuerpo)) + tipo + cuerpo
                + struct.pack(">I", zlib.crc32(tipo + cuerpo)))

    cabecera = struct.pack(">IIBBBBB", ancho, abs(alto), 8, 2, 0, 0, 0)
    with open(destino, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + trozo(b"IHDR", cabecera)
                + trozo(b"IDAT", zlib.compress(b"".join(filas), 9)) + trozo(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    bmp_a_png(sys.argv[1], sys.argv[2])

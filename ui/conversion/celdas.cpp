#include "ui/conversion/celdas.h"

#include "core/caracteres.h"
#include "core/textos.h"
#include "core/unicode.h"
#include "ui/dialogos.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPalette>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <unicode/uchar.h>

namespace tildora {

bool HayGlifo(const QFont& fuente, char32_t u) {
    // The font itself, quickly; else the fallbacks, by laying the character
    // out as it would be drawn.
    if (QFontMetrics(fuente).inFontUcs4(u)) {
        return true;
    }
    QTextLayout disposicion(QString::fromUcs4(&u, 1), fuente);
    disposicion.beginLayout();
    disposicion.createLine();
    disposicion.endLayout();
    const QList<QGlyphRun> tiradas = disposicion.glyphRuns();
    for (const QGlyphRun& t : tiradas) {
        for (const quint32 g : t.glyphIndexes()) {
            if (g == 0) {
                return false;
            }
        }
    }
    return !tiradas.isEmpty();
}

namespace {

QString Letra(char32_t cp) {
    return QString::fromUcs4(&cp, 1);
}

// A control (0 to 31, 127) as its picture, or its abbreviation framed.
PiezaCelda Control(unsigned char c, const std::function<bool(char32_t)>& hayGlifo) {
    const char32_t dibujo = GlifoDeAnsi(c, true);
    if (hayGlifo(dibujo)) {
        return {Letra(dibujo), false};
    }
    // The abbreviation is the last part of the code's description.
    const QString descripcion =
        QString::fromStdString(DescripcionClave(std::string(1, static_cast<char>(c)), false));
    return {descripcion.section(QStringLiteral(" \u00b7 "), -1), true};
}

// Any other character: itself, or its code framed when it would show
// nothing, or nothing telling.
PiezaCelda Caracter(char32_t cp, const std::function<bool(char32_t)>& hayGlifo) {
    if (cp < 0x20 || cp == 0x7F) {
        return Control(static_cast<unsigned char>(cp), hayGlifo);
    }
    if (EsInvisible(cp) || !hayGlifo(cp)) {
        return {QString::fromStdString(CodigoUnicode(cp)), true};
    }
    return {Letra(cp), false};
}

} // namespace

std::vector<PiezaCelda> PiezasCaracter(std::string_view clave, bool unicode,
                                       const std::function<bool(char32_t)>& hayGlifo) {
    // A Windows-1252 text's key is its byte; a Unicode text's may be U+XXXX.
    const std::optional<char32_t> cp =
        (unicode || clave.size() == 1) ? CaracterDeClave(clave) : std::optional<char32_t>{};
    if (!cp) {
        return {{QString::fromStdString(std::string(clave)), false}};
    }
    return {Caracter(*cp, hayGlifo)};
}

std::vector<PiezaCelda> PiezasRespuesta(std::string_view bytes,
                                        const std::function<bool(char32_t)>& hayGlifo) {
    std::vector<PiezaCelda> piezas;
    const auto poner = [&piezas](PiezaCelda p) {
        if (!p.enmarcado && !piezas.empty() && !piezas.back().enmarcado) {
            piezas.back().texto += p.texto;
        } else {
            piezas.push_back(std::move(p));
        }
    };
    for (const char x : bytes) {
        const auto b = static_cast<unsigned char>(x);
        if (b == ' ' || b == 0xA0) {
            const char32_t marca = b == ' ' ? 0x2423 : 0x237D; // ␣ and ⍽
            poner(hayGlifo(marca)
                      ? PiezaCelda{Letra(marca), false}
                      : PiezaCelda{b == ' ' ? QStringLiteral("SP") : QStringLiteral("NBSP"), true});
        } else {
            poner(Caracter(UnicodeDeAnsi(b), hayGlifo));
        }
    }
    return piezas;
}

std::vector<PiezaCelda> PiezasBorrado(const std::function<bool(char32_t)>& hayGlifo) {
    QString marca = TextoQt(textos::BorrarCelda);
    const char32_t signo = marca.toUcs4().front();
    if (!hayGlifo(signo)) {
        marca = marca.mid(QString::fromUcs4(&signo, 1).size()).trimmed();
    }
    return {{marca, false}};
}

namespace {

// Relative luminance as WCAG 2 defines it.
double Luminancia(const QColor& c) {
    const auto canal = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * canal(c.redF()) + 0.7152 * canal(c.greenF()) + 0.0722 * canal(c.blueF());
}

} // namespace

double Contraste(const QColor& a, const QColor& b) {
    const double la = Luminancia(a);
    const double lb = Luminancia(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ColorPropuesta(const QPalette& paleta) {
    const QColor fondo = paleta.color(QPalette::Base);
    const QColor enlace = paleta.color(QPalette::Link);
    if (Contraste(enlace, fondo) >= 4.5) {
        return enlace;
    }
    const QColor claro(0x8a, 0xb4, 0xf8);
    const QColor oscuro(0x1a, 0x4f, 0xbf);
    return Contraste(claro, fondo) > Contraste(oscuro, fondo) ? claro : oscuro;
}

QFont FuenteErroneos(const QFont& base) {
    // 12 points fill a row of 300 twips (20 pixels at 1×) without clipping
    // and give quotes and dashes shapes of their own.
    QFont f = base;
    f.setPointSizeF(std::max(base.pointSizeF(), 12.0));
    return f;
}

QString NombreUnicode(char32_t cp) {
    char nombre[128];
    UErrorCode error = U_ZERO_ERROR;
    const int32_t n = u_charName(static_cast<UChar32>(cp), U_EXTENDED_CHAR_NAME, nombre,
                                 static_cast<int32_t>(sizeof nombre), &error);
    if (U_FAILURE(error) || n <= 0) {
        return {};
    }
    return QString::fromLatin1(nombre, std::min<int32_t>(n, sizeof nombre - 1));
}

QString ConsejoCaracter(const Hallazgo& h, bool unicode) {
    QStringList lineas;
    const QString nombre = NombreUnicode(h.caracter);
    if (!nombre.isEmpty()) {
        lineas.append(nombre);
    }
    lineas.append(QString::fromStdString(DescripcionClave(h.clave, unicode)));
    lineas.append(TextoQt(textos::TipVeces) + QString::number(h.cuenta));
    lineas.append(TextoQt(textos::TipPrimera) + QString::number(h.primera.linea) +
                  QLatin1Char(':') + QString::number(h.primera.columna));
    return lineas.join(QLatin1Char('\n'));
}

} // namespace tildora

#pragma once

// The conversion window at any size: its controls laid out from the model
// (modelos/disposicion.h, DisposicionConversionEn) whenever its size
// changes, and the size the user left it at, opened again and remembered
// (modelos/tamano_ventana.h).

class QTableView;
class QWidget;

namespace tildora {

// Every control of `ventana` that the layout names, but the editor, where the
// layout puts it at the window's present size; `rejilla` says how wide its
// columns need it.
void ColocarControles(QWidget& ventana, const QTableView& rejilla);

// Before the window shows: its smallest size (the layout's, or the screen's
// where smaller), and the size the user left it at, maximised if it was,
// never larger than the screen.
void AbrirConTamano(QWidget& ventana);

// The window's size (the one it has when not maximised) and whether it is
// maximised, kept for next time.
void RecordarTamano(const QWidget& ventana);

} // namespace tildora

#pragma once

// The buttons' part of the controls gallery: renders the shaded buttons,
// colour and highlight buttons, coloured edits and statics and the sliders in
// their states to PNG files, one file per control and state. Needs a running
// QApplication (offscreen is fine). For looking at, not for comparing pixels.

#include <QString>
#include <QStringList>

// Writes the PNG files into `folder` (which must exist) and appends their
// names to `written`. False, with `error` set, when a file cannot be written.
bool renderButtonGallery(const QString& folder, QStringList* written, QString* error);

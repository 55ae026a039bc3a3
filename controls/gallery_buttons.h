#pragma once

// The buttons' part of the controls gallery: the shaded buttons (nine shades
// in five states, with and without an icon), the colour and highlight
// buttons, coloured edits and statics and the sliders, one picture per
// control and state. Needs a running QApplication (offscreen is fine).

class Gallery;

void renderButtonGallery(Gallery& gallery);

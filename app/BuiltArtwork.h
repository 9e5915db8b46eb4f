#pragma once

#include <QImage>

#include <array>
#include <optional>

// The pictures the build drew into the program, beside those its windows draw themselves.

// The splash logo; a null image when the program was built without it.
QImage BuiltSplashLogo();

// The current mode's markers of the main window (file, camera, auto); nothing when the program was
// built without them.
std::optional<std::array<QImage, 3>> BuiltModeMarkers();
// Gives the built markers to the main window's artwork, which then shows them instead of drawing
// them; without them it draws as before.
void ProvideBuiltModeMarkers();

#pragma once

class QWidget;

namespace verdane {

// The secondary windows place their controls at fixed positions made for an 8-point sans-serif font; in the
// desktop's usual, larger font their captions would be cut short.
void useDialogFont(QWidget* window);

// Widens labels, option buttons and check boxes whose caption is longer than their designed width, as far as their
// window allows, so that no caption is cut. Call it once the controls are placed.
void fitCaptions(QWidget* window);

} // namespace verdane

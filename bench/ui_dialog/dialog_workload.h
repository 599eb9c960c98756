// The dialog both halves of the benchmark build: 40 controls (labels, edits,
// check boxes, radio buttons, push buttons, combo boxes, a list box and a
// group box) at fixed places, in dialog units of an 8-point font.
#pragma once

enum class ControlKind { Label, Edit, Check, Radio, Push, Combo, List, Group };

struct ControlSpec {
    ControlKind kind;
    const char *text;
    int id;
    short x, y, cx, cy;
};

constexpr int kDialogCx = 320, kDialogCy = 240;

// The 40 controls; count receives their number.
const ControlSpec *dialogControls(int *count);

// Makes, shows (and lets paint) and destroys the dialog `rounds` times with
// Qt widgets directly; returns the elapsed seconds.
double dialogsWithQt(int rounds);

// A Qt application with one hidden top-level widget, for the memory figure.
void windowingStateWithQt();

#pragma once

namespace ornavel {

enum class Kind { Frame, Label, TextBox, Option, Button, Picture };

// The window's controls at their design positions, in twips; a control inside a frame is
// placed relative to that frame. The tab index orders keyboard focus. The result boxes are
// 1035 twips wide, not the legacy 735: grown to the right within Frame1 as far as it allows,
// so that more results show whole; one that does not fit at the 10 px floor takes the short
// form with its exponent.
struct ControlRow {
    const char *name;
    Kind kind;
    const char *container; // nullptr: the client area
    int left, top, width, height;
    const char *text;
    int tabIndex;
    double pointSize = 0; // points, where the control's font differs from the window's
};

inline constexpr ControlRow controlTable[] = {
    {"Frame2", Kind::Frame, nullptr, 120, 0, 1335, 615, "", 14},
    {"Label2", Kind::Label, "Frame2", 120, 240, 255, 255, "γ =", 16, 8.25},
    {"Text1", Kind::TextBox, "Frame2", 600, 240, 495, 285, "", 15},
    {"Frame3", Kind::Frame, nullptr, 120, 720, 1335, 1455, "Input Options", 17},
    {"Option_M1", Kind::Option, "Frame3", 240, 240, 615, 375, "M1", 18},
    {"Option_M2", Kind::Option, "Frame3", 240, 600, 615, 375, "M2", 19},
    {"Option_Po2P1", Kind::Option, "Frame3", 240, 960, 855, 375, "Po2/P1", 20},
    {"Command1", Kind::Button, nullptr, 120, 2280, 1335, 615, "Choose an input option", 21},
    {"Frame1", Kind::Frame, nullptr, 1680, 0, 2175, 2895, "", 0},
    {"Label_M1", Kind::Label, "Frame1", 240, 240, 615, 255, "M1 =", 8},
    {"Text_M1", Kind::TextBox, "Frame1", 1080, 240, 1035, 285, "", 7},
    {"Label_P2P1", Kind::Label, "Frame1", 240, 600, 735, 255, "P2/P1 =", 1},
    {"Text_P2P1", Kind::TextBox, "Frame1", 1080, 600, 1035, 285, "", 2},
    {"Label_Ro2Ro1", Kind::Label, "Frame1", 240, 960, 735, 255, "ρ2/ρ1 =", 22, 9},
    {"Text_Ro2Ro1", Kind::TextBox, "Frame1", 1080, 960, 1035, 285, "", 23},
    {"Label_T2T1", Kind::Label, "Frame1", 240, 1320, 855, 255, "T2/T1 =", 11},
    {"Text_T2T1", Kind::TextBox, "Frame1", 1080, 1320, 1035, 285, "", 12},
    {"Label_Po2Po1", Kind::Label, "Frame1", 240, 1680, 855, 255, "Po2/Po1 =", 3},
    {"Text_Po2Po1", Kind::TextBox, "Frame1", 1080, 1680, 1035, 285, "", 4},
    {"Label_Po2P1", Kind::Label, "Frame1", 240, 2040, 735, 255, "Po2/P1 =", 5},
    {"Text_Po2P1", Kind::TextBox, "Frame1", 1080, 2040, 1035, 285, "", 6},
    {"Label_M2", Kind::Label, "Frame1", 240, 2400, 495, 255, "M2 =", 10},
    {"Text_M2", Kind::TextBox, "Frame1", 1080, 2400, 1035, 285, "", 9},
    {"Picture1", Kind::Picture, nullptr, 120, 3120, 3735, 2415, "", 13},
};

} // namespace ornavel

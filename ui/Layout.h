#pragma once
// Where the main window's controls stand, in pixels of its client area (one
// pixel is 15 twips at 96 dots per inch). The window places its controls from
// this table and its test reads the same table.

#include <cstddef>
#include <string_view>

namespace vellum::ui::layout {

inline constexpr int kClientWidth = 419;
inline constexpr int kClientHeight = 275;

struct Place {
    std::string_view control; // the control's object name
    int left;
    int top;
    int width;
    int height;
};

// In tab order. The name box lies over the header label, the title label
// over its bottom edge; lblSize's width follows its caption.
inline constexpr Place kPlaces[] = {
    {"txtMain", 0, 0, 315, 275},
    {"cmdNew", 319, 4, 97, 23},
    {"cmdSave", 319, 27, 45, 23},
    {"cmdSaveAs", 365, 27, 51, 23},
    {"cmdLoad", 319, 50, 97, 23},
    {"cmdLoadS", 319, 73, 97, 23},
    {"cmdString", 319, 105, 97, 29},
    {"lblHeader", 316, 144, 100, 35},
    {"txtVarName", 326, 155, 86, 8},
    {"lblFileName", 326, 178, 84, 8},
    {"lblSave", 324, 192, 83, 7},
    {"cmdCharMap", 319, 205, 97, 19},
    {"lblSize", 318, 226, 66, 8},
    // Not in the tab order: the note a paste leaves, in the free corner
    // under the size readout.
    {"lblNote", 318, 237, 98, 36},
};

constexpr const Place& placeOf(std::string_view control) {
    for (const Place& place : kPlaces) {
        if (place.control == control) {
            return place;
        }
    }
    throw "no such control"; // a compile-time error where used in a constant
}

} // namespace vellum::ui::layout

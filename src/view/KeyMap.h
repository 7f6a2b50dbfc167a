#pragma once
// The keys of the line view: which key, with exactly which modifiers, moves which axis and how. The
// view's key handler walks this table; a key with two entries (Ctrl+Home, Ctrl+End) does both, in
// order. Keys and modifier sets not listed do nothing.
#include "XDTPtrView.h"

#include <Qt>

struct TKeyBinding {
    Qt::Key Key;
    Qt::KeyboardModifiers Mods; // compared as a whole: none, or Ctrl, Shift or Alt alone
    Qt::Orientation Axis;
    int Code;    // a TScrollCode, handled as if the scroll bar sent it; unused when Divisor is not 0
    int Divisor; // instead: move by the visible lines (columns) divided by it; backwards when negative
};

// clang-format off
constexpr TKeyBinding kKeyMap[] = {
    // key             modifiers            axis            scroll code  or part of the window
    {Qt::Key_PageUp,   Qt::NoModifier,      Qt::Vertical,   scPageUp,    0},
    {Qt::Key_PageUp,   Qt::ControlModifier, Qt::Vertical,   scTop,       0},
    {Qt::Key_PageDown, Qt::NoModifier,      Qt::Vertical,   scPageDown,  0},
    {Qt::Key_PageDown, Qt::ControlModifier, Qt::Vertical,   scBottom,    0},
    {Qt::Key_End,      Qt::NoModifier,      Qt::Horizontal, scBottom,    0}, // stays in the line
    {Qt::Key_End,      Qt::ControlModifier, Qt::Vertical,   scBottom,    0},
    {Qt::Key_End,      Qt::ControlModifier, Qt::Horizontal, scBottom,    0},
    {Qt::Key_Home,     Qt::NoModifier,      Qt::Horizontal, scTop,       0}, // stays in the line
    {Qt::Key_Home,     Qt::ControlModifier, Qt::Vertical,   scTop,       0},
    {Qt::Key_Home,     Qt::ControlModifier, Qt::Horizontal, scTop,       0},
    {Qt::Key_Left,     Qt::NoModifier,      Qt::Horizontal, scLineUp,    0},
    {Qt::Key_Left,     Qt::ControlModifier, Qt::Horizontal, scPageUp,    0},
    {Qt::Key_Left,     Qt::ShiftModifier,   Qt::Horizontal, 0,          -2},
    {Qt::Key_Left,     Qt::AltModifier,     Qt::Horizontal, 0,          -4},
    {Qt::Key_Up,       Qt::NoModifier,      Qt::Vertical,   scLineUp,    0},
    {Qt::Key_Up,       Qt::ControlModifier, Qt::Vertical,   scPageUp,    0},
    {Qt::Key_Up,       Qt::ShiftModifier,   Qt::Vertical,   0,          -2},
    {Qt::Key_Up,       Qt::AltModifier,     Qt::Vertical,   0,          -4},
    {Qt::Key_Right,    Qt::NoModifier,      Qt::Horizontal, scLineDown,  0},
    {Qt::Key_Right,    Qt::ControlModifier, Qt::Horizontal, scPageDown,  0},
    {Qt::Key_Right,    Qt::ShiftModifier,   Qt::Horizontal, 0,           2},
    {Qt::Key_Right,    Qt::AltModifier,     Qt::Horizontal, 0,           4},
    {Qt::Key_Down,     Qt::NoModifier,      Qt::Vertical,   scLineDown,  0},
    {Qt::Key_Down,     Qt::ControlModifier, Qt::Vertical,   scPageDown,  0},
    {Qt::Key_Down,     Qt::ShiftModifier,   Qt::Vertical,   0,           2},
    {Qt::Key_Down,     Qt::AltModifier,     Qt::Vertical,   0,           4},
};
// clang-format on

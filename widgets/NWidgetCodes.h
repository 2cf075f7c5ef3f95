// Codes of the port events widgets raise, and the input codes of the button state machine.
#pragma once

#include <cstdint>

// Port events of the widgets.
enum : int32_t {
    kEventEditorChar = 30100,         // notification port: before a character, backspace (8) or delete (145)
    kEventEditorSpecialChar = 30101,  // notification port: character 3, 10 or 13 was typed
    kEventRepeatStep = 31000,         // a click notification's value: each further auto-repeat step
    kEventRepeatFirst = 31001,        // a click notification's value: the press of an auto-repeat button
    kEventRadioSelect = 31010,        // radio group port, sent; argument: the radio button
    kEventSliderLineLess = 31030,     // one line towards the minimum
    kEventSliderLineMore = 31031,     // one line towards the maximum
    kEventSliderPageLess = 31032,     // one page towards the minimum
    kEventSliderPageMore = 31033,     // one page towards the maximum
    kEventSliderThumbDone = 31034,    // the thumb was released after moving; the value snapped
    kEventSliderChanged = 31035,      // the value changed while dragging or with the range
    kEventHighlightStart = 31100,     // application port, posted; argument: the widget
    kEventHighlightEnd = 31101,       // application port, posted (sent when hidden or destroyed)
};

// Inputs of the button state machine (ApplyInput).
enum : int32_t {
    kButtonInputLeave = 0,       // pointer left (not pressed), or released outside
    kButtonInputPress = 1,       // button down on it
    kButtonInputReenter = 2,     // pointer came back over it while pressed
    kButtonInputDragOff = 3,     // pointer left it while pressed
    kButtonInputHover = 4,       // pointer over it, also re-enabling under the pointer
    kButtonInputDisable = 5,     // disabled, or any release while disabled
    kButtonInputEnable = 6,      // enabled with the pointer elsewhere
    kButtonInputClick = 7,       // released over it
    kButtonInputKeyboard = 8,    // shortcut
};

import QtQuick
import QtQuick.Controls as QQC

// The text field every entry of the client builds on: it takes the focus and the caret at
// the press, however long the press is held.
// Qt Quick Controls' field holds a left press back until the release (to tell a press and
// hold apart) and drops it once the platform's press-and-hold interval has passed, which the
// start-up shortens to 300 ms: a click held that long, or stretched by a busy machine, never
// reached the text input, and the typing that followed went to whichever field had the focus.
QQC.TextField {
    id: control

    onPressed: event => {
        if (!activeFocusOnPress || event.button !== Qt.LeftButton)
            return;
        forceActiveFocus(Qt.MouseFocusReason);
        const position = positionAt(event.x, event.y);
        // Shift extends the selection, as the text input does with a press it receives.
        if ((event.modifiers & Qt.ShiftModifier) && selectByMouse)
            moveCursorSelection(position, TextInput.SelectCharacters);
        else
            cursorPosition = position;
    }
}

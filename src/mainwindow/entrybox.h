#pragma once

#include <QLineEdit>

namespace tickora {

/// The entry box's character rule outside the name column: it keeps the digits, ".", a "-" in
/// the first place and control characters; it refuses the blank, "!" to ",", "/", a "-" in any
/// later place and every character above "9" (letters, the colon, all non-ASCII characters).
/// Position of the first refused character of `text` and its length in UTF-16 units (2 for a
/// character outside the basic plane), or -1 and 0 when the text is clean.
struct RefusedChar
{
    qsizetype position = -1;
    qsizetype length = 0;
};
RefusedChar firstRefused(QStringView text);

/// What removing the first refused character again and again until none is left makes of
/// `text`, and how many characters that removes, in one pass over the text.
struct FilteredText
{
    QString text;
    int removed = 0;
};
FilteredText removeRefused(QStringView text);

/// The entry box's rule in the code column, in one pass as removeRefused: full-width digits and
/// letters become their half-width forms and lower-case letters capitals (so text from the input
/// method or a paste arrives in the form codes are compared in); then digits stay, a code letter
/// (see isCodeLetter) stays in the second or fourth place among the characters kept, and every
/// other character is removed.
FilteredText filterCodeText(QStringView text);

/// The entry box: a one-line editor that reports every character key (Enter as 13, Backspace
/// as 8, a paste as PasteKey) before it takes effect, so the window can consume it, and reports
/// taking the focus. Delete and other keys without a character are not reported. Text committed
/// by an input method is reported as the key of its first character. Every other way text is
/// pasted in is reported as PasteKey too, as Ctrl+V is: the context menu's paste, the middle
/// button's paste of the X11 selection and text dropped into the box.
class EntryBox : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    /// The key reported for a paste (Ctrl+V, Shift+Insert): the control code of Ctrl+V.
    static constexpr int PasteKey = 22;

Q_SIGNALS:
    void keyPressed(int keyAscii, bool* consumed);
    void focusReceived();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// Reports `keyAscii`; true when the window consumed it, so it must take no effect.
    bool report(int keyAscii);
};

} // namespace tickora

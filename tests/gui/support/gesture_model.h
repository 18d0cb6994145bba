#pragma once
// What a user's gestures must do to the window's controls, known without asking the window: the selection
// of a grid after clicks, shift-clicks, arrow keys and the reselections the pages make, and the text a
// field shows after typing. A random session compares the window with these models after every step, so
// that a slip between a gesture and the window's state cannot hide behind the window's own answer.

#include <QLineEdit>
#include <QString>

#include <algorithm>
#include <functional>
#include <memory>

namespace tcn::test {

// Types into a field as a user does: Ctrl+A (mode 0: the text replaces everything), End (mode 1: the
// text goes behind what is there) or End and three Backspaces (mode 2), then one key per character
// (letters and digits by their key, others by their text alone). `click` first clicks into the field,
// as a user would to reach it; the cursor that click leaves is moved by the keys that follow.
// `afterKey` runs after every key, so that a caller can follow the field keystroke by keystroke.
void TypeInto(QLineEdit* field, const QString& text, int mode, bool click,
              const std::function<void()>& afterKey = {});

// A field as the program must show it: a hidden line edit of the same kind (input mask, maximum length,
// ISO-8859-1 only) that is shown the same values and typed into with the same keys as the real one.
class FieldModel {
  public:
    FieldModel();
    ~FieldModel();
    FieldModel(FieldModel&&) noexcept;
    FieldModel& operator=(FieldModel&&) noexcept;

    // A text field of at most `maxLength` characters, each with an 8-bit form.
    static FieldModel Text(int maxLength);
    // A masked field: `mask` in the notation of QLineEdit::inputMask.
    static FieldModel Masked(const QString& mask);

    // The program shows `text` (in a field with `mask`, when given): what it does on every redraw.
    void Show(const QString& text);
    void Show(const QString& mask, const QString& text);
    void Type(const QString& text, int mode, const std::function<void()>& afterKey = {});
    QString Displayed() const { return m_edit->displayText(); }
    QString Text() const { return m_edit->text(); }
    const QLineEdit* Edit() const { return m_edit.get(); }

  private:
    std::unique_ptr<QLineEdit> m_edit;
};

// The selection of a grid: rows top to bottom selected, `current` the current row, and `anchor` the row a
// shift-click extends the range from (the row last clicked, reached by an arrow key, or made current by
// the program).
struct Selection {
    int top = 0, bottom = 0, current = 0, anchor = 0;

    void Set(int row) { top = bottom = current = anchor = row; }
    void Range(int first, int last, int currentRow) {
        top = first, bottom = last, current = anchor = currentRow;
    }
    void ShiftClick(int row) {
        current = row;
        top = std::min(anchor, row), bottom = std::max(anchor, row);
    }
    // Up or Down: one row, within 1..rows; at the edge nothing changes, not even a range.
    void Step(int delta, int rows) {
        const int next = std::clamp(current + delta, 1, std::max(1, rows));
        if (next != current) Set(next);
    }
    bool operator==(const Selection& other) const {
        return top == other.top && bottom == other.bottom && current == other.current;
    }
};

} // namespace tcn::test

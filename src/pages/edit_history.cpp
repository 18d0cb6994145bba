#include "edit_history.h"

#include "channelfile/channel_file_session.h"

#include <exception>

namespace tcn {

// One action's bytes. Undo and redo both swap them with the live tables; the swap the stack runs when
// the step is pushed is skipped, since the action has already changed the tables.
class EditHistory::Step : public QUndoCommand {
  public:
    Step(EditHistory& history, const QString& text, DatabaseDelta delta, int mergeKey)
        : QUndoCommand(text), m_history(history), m_delta(std::move(delta)), m_mergeKey(mergeKey) {}

    void undo() override { m_delta.Swap(m_history.Live()); }
    void redo() override {
        if (m_pushed) m_delta.Swap(m_history.Live());
        m_pushed = true;
    }
    int id() const override { return m_mergeKey; }
    // The next keystroke of the same burst: this step grows to reach the live tables. The stack merges
    // only into the step last done and never into the saved one.
    bool mergeWith(const QUndoCommand* other) override {
        if (m_sealed || other->id() != m_mergeKey) return false;
        m_history.Refold(*this);
        // Typing a name back to what it was leaves nothing to undo.
        setObsolete(m_delta.Empty());
        return true;
    }

    DatabaseDelta& Delta() { return m_delta; }
    void Seal() { m_sealed = true; }

  private:
    EditHistory& m_history;
    DatabaseDelta m_delta;
    int m_mergeKey;
    bool m_pushed = false;
    bool m_sealed = false;
};

EditHistory::EditHistory(ChannelFileSession& session) : m_session(session) {
    m_stack.setUndoLimit(kStepLimit);
}

EditHistory::~EditHistory() = default;

ChannelDatabase& EditHistory::Live() {
    return m_session.Database();
}

void EditHistory::Reset() {
    m_stack.clear();
    m_stack.setClean();
    m_visited = false;
    if (m_shadow)
        *m_shadow = Live();
    else
        m_shadow = std::make_unique<ChannelDatabase>(Live());
}

EditHistory::Step* EditHistory::LastDone() {
    // The stack hands out its steps as const; they are ours, and only their bytes change.
    const int index = m_stack.index();
    return index > 0 ? static_cast<Step*>(const_cast<QUndoCommand*>(m_stack.command(index - 1))) : nullptr;
}

void EditHistory::Visit(const std::function<void(ChannelDatabase&)>& prepare) {
    if (!m_shadow) m_shadow = std::make_unique<ChannelDatabase>(Live());
    prepare(Live());
    m_visited = true;
}

void EditHistory::FoldVisits() {
    if (!m_shadow) {
        m_shadow = std::make_unique<ChannelDatabase>(Live());
        return;
    }
    if (!m_visited) return;
    m_visited = false;
    if (Step* last = LastDone())
        Refold(*last);
    else
        *m_shadow = Live();
}

void EditHistory::Refold(Step& step) {
    step.Delta().Swap(*m_shadow);
    step.Delta() = DatabaseDelta::Between(*m_shadow, Live());
    *m_shadow = Live();
}

bool EditHistory::Undo() {
    if (m_openActions > 0 || !m_stack.canUndo()) return false;
    FoldVisits();
    m_stack.undo();
    *m_shadow = Live();
    EndBurst();
    return true;
}

bool EditHistory::Redo() {
    if (m_openActions > 0 || !m_stack.canRedo()) return false;
    // The step's bytes were taken against the tables before any visit since: those writes are taken
    // back (the pages make them again when they are drawn).
    if (m_shadow && m_visited) Live() = *m_shadow;
    m_visited = false;
    m_stack.redo();
    *m_shadow = Live();
    EndBurst();
    return true;
}

void EditHistory::EndBurst() {
    if (Step* last = LastDone()) last->Seal();
}

void EditHistory::BeginAction() {
    if (m_openActions++ == 0) FoldVisits();
}

void EditHistory::EndAction(const QString& text, int mergeKey) {
    if (--m_openActions > 0) return;
    try {
        DatabaseDelta delta = DatabaseDelta::Between(*m_shadow, Live());
        if (delta.Empty()) return;
        m_stack.push(new Step(*this, text, std::move(delta), mergeKey));
        *m_shadow = Live();
    } catch (const std::exception&) {
        // Without memory for the step the history cannot follow the tables any more: it starts again
        // from them, and they count as unsaved.
        m_stack.clear();
        m_stack.resetClean();
        *m_shadow = Live();
        m_visited = false;
    }
}

} // namespace tcn

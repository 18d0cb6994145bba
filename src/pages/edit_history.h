#pragma once
// The undo history of the tables: one QUndoStack step per user action, each holding only the bytes the
// action changed (a DatabaseDelta), and the stack's clean state telling whether the tables differ from
// the last load or save.
//
// A page marks an action with a TableEdit guard; the table operation run while it lives becomes one step.
// Showing a page may also write to the tables (a page that lists satellites counts them, the channel and
// favourites pages resolve the groups): such writes are made through Visit, which keeps them apart as
// finishing the state the last step left. Before the next action or an undo they are folded into that
// step; before a redo they are taken back, so that the redo gives exactly the tables after its step.
// Undo therefore always gives back exactly the tables before the action, and redo the tables after it.

#include "tables/database_delta.h"

#include <QString>
#include <QUndoStack>

#include <functional>
#include <memory>

namespace tcn {

class ChannelFileSession;

class EditHistory {
  public:
    // At most this many steps are kept; the oldest go first.
    static constexpr int kStepLimit = 100;

    explicit EditHistory(ChannelFileSession& session);
    ~EditHistory();

    QUndoStack& Stack() { return m_stack; }
    // A fresh history over the live tables, which count as saved: after a successful load.
    void Reset();
    // The live tables are what the last save wrote.
    void MarkSaved() { m_stack.setClean(); }
    bool HasUnsavedChanges() const { return !m_stack.isClean(); }

    // Take back or redo one step; false when there was none or an action is under way.
    bool Undo();
    bool Redo();
    // The name-editing burst of the last step is over: a later keystroke starts a step of its own.
    void EndBurst();

    // The writes showing a page makes, run on the live tables.
    void Visit(const std::function<void(ChannelDatabase&)>& prepare);

    // Called by TableEdit. `mergeKey` >= 0 makes consecutive steps with the same key one step.
    void BeginAction();
    void EndAction(const QString& text, int mergeKey);

  private:
    class Step;
    ChannelDatabase& Live();
    // Folds the writes of page visits since the history last looked into the step last done (or, with
    // none, into the starting state), so that the shadow equals the live tables.
    void FoldVisits();
    // Recomputes `step` from the state before it to the live tables. The shadow must hold the state
    // after the step; it holds the live tables afterwards.
    void Refold(Step& step);
    // The step whose state the live tables are in (the last one done), or null.
    Step* LastDone();

    ChannelFileSession& m_session;
    QUndoStack m_stack;
    // A copy of the live tables as the history last saw them (one reused buffer); the live tables differ
    // from it only by the writes of page visits since, when `m_visited` says there were any.
    std::unique_ptr<ChannelDatabase> m_shadow;
    bool m_visited = false;
    int m_openActions = 0;
};

// One user action on the tables, from construction to destruction, as one undo step (nothing is recorded
// when the tables did not change). Guards opened inside another belong to the outer one.
class TableEdit {
  public:
    TableEdit(EditHistory& history, const QString& text, int mergeKey = -1)
        : m_history(history), m_text(text), m_mergeKey(mergeKey) {
        m_history.BeginAction();
    }
    ~TableEdit() { m_history.EndAction(m_text, m_mergeKey); }
    TableEdit(const TableEdit&) = delete;
    TableEdit& operator=(const TableEdit&) = delete;

  private:
    EditHistory& m_history;
    QString m_text;
    int m_mergeKey;
};

} // namespace tcn

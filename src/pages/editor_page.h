#pragma once
// The common shape of the four tab pages: each is built once with the window and draws itself anew from
// the tables whenever it becomes the active page (after the writes showing it makes, which the window
// runs first).

#include "page_context.h"

#include <QWidget>

namespace tcn {

class EditorPage : public QWidget {
    Q_OBJECT

  public:
    EditorPage(PageContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}
    // What the page change runs for this page: the whole page drawn from the tables, which it only reads.
    virtual void Render(const ChannelDatabase& db) = 0;

  protected:
    PageContext& m_context;
};

} // namespace tcn

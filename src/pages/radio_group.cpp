#include "radio_group.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace tcn {

namespace {

// A radio item that takes a click anywhere in its cell of the group, not only on its circle and caption,
// as a user of a radio group expects.
class RadioItem : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace

RadioGroup::RadioGroup(QWidget* parent)
    : QGroupBox(parent), m_buttons(new QButtonGroup(this)), m_layout(new QGridLayout(this)) {
    m_buttons->setExclusive(true);
    m_layout->setContentsMargins(6, 2, 6, 2);
    m_layout->setSpacing(0);
    connect(m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

void RadioGroup::setItems(const QStringList& items) {
    m_items = items;
    Rebuild();
}

void RadioGroup::setColumns(int columns) {
    m_columns = columns < 1 ? 1 : columns;
    Rebuild();
}

void RadioGroup::Rebuild() {
    for (QAbstractButton* button : m_buttons->buttons()) {
        m_buttons->removeButton(button);
        delete button;
    }
    const int rows = (static_cast<int>(m_items.size()) + m_columns - 1) / m_columns;
    for (int i = 0; i < m_items.size(); ++i) {
        auto* button = new RadioItem(m_items[i], this);
        button->setObjectName(objectName() + QStringLiteral("Item") + QString::number(i));
        m_buttons->addButton(button, i);
        // Items run down the first column, then down the next.
        m_layout->addWidget(button, rows ? i % rows : 0, rows ? i / rows : 0);
    }
}

int RadioGroup::itemIndex() const { return m_buttons->checkedId(); }

void RadioGroup::setItemIndex(int index) {
    QAbstractButton* button = m_buttons->button(index);
    if (button) {
        button->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last button; lift the rule for a moment.
    if (QAbstractButton* checked = m_buttons->checkedButton()) {
        m_buttons->setExclusive(false);
        checked->setChecked(false);
        m_buttons->setExclusive(true);
    }
}

} // namespace tcn

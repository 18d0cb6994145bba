#pragma once
// A captioned group of radio buttons, one per item, of which at most one is chosen; it can also show no
// choice at all. Items are laid out in `columns` columns. Each button is named "<group>Item<index>".

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;

namespace tcn {

class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex)
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int columns READ columns WRITE setColumns)

  public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList items() const { return m_items; }
    // Replaces the items; nothing is chosen afterwards.
    void setItems(const QStringList& items);
    int columns() const { return m_columns; }
    void setColumns(int columns);

    // The chosen item, or -1 for none.
    int itemIndex() const;
    // Chooses an item (-1 or an index outside the items: none). Does not emit itemClicked.
    void setItemIndex(int index);

  signals:
    // The user chose an item (by mouse or keyboard). Not emitted for setItemIndex.
    void itemClicked(int index);

  private:
    void Rebuild();

    QStringList m_items;
    int m_columns = 1;
    QButtonGroup* m_buttons;
    QGridLayout* m_layout;
};

} // namespace tcn

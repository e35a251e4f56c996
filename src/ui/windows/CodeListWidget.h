#pragma once
// The access-code list of the main window: an icon view whose items sit at
// the points the code-list logic computes, each a 120 x 80 picture with the
// code's text under it, one selected at a time and the selection shown even
// without focus.
//
// Besides the list's own signals it reports what the code-list logic calls
// a click (on an item or on empty space: the position or -1, sent when the
// button is released) and a double click anywhere in the list.

#include <QListWidget>
#include <QPoint>

namespace ostiva {

class CodeListWidget : public QListWidget {
    Q_OBJECT
  public:
    explicit CodeListWidget(QWidget* parent = nullptr);

    // Puts the item of `row` at `point` of the list's contents.
    void SetItemPosition(int row, const QPoint& point);
    // Where the item of `row` is now, in contents coordinates.
    QPoint ItemPosition(int row) const;

  Q_SIGNALS:
    void listClicked(int row);
    void listDoubleClicked(int row);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace ostiva

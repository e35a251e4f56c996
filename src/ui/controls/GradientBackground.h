#pragma once
// The grey background of the main and login windows: one grey level per pixel
// row, from 245 at the top down towards 213, so the window darkens slightly
// towards its bottom. Labels, group boxes and check boxes drawn over it show
// it through instead of painting a plain face behind their text.
//
// Usage in a window's constructor:
//     GradientBackground::Install(this);
//     for (QWidget* w : {companyLabel, myInfoGroup, savePasswordBox})
//         GradientBackground::ShowThrough(w);

#include <QObject>

class QPainter;
class QRect;
class QWidget;

namespace ostiva {

class GradientBackground : public QObject {
    Q_OBJECT
  public:
    // Grey level of row y of an area h rows high: 245 - (32 * y / h), integer
    // division. The top row is 245; the bottom row is 214 once h >= 32.
    static int Level(int y, int h);

    // Fills the rectangle row by row with the gradient (rows counted from the
    // rectangle's top).
    static void Paint(QPainter& painter, const QRect& area);

    // Paints the gradient behind the window's own painting from now on. The
    // helper is a child of the window and goes with it.
    static GradientBackground* Install(QWidget* window);

    // Makes a control draw its text without a background of its own, so the
    // window's gradient shows through (labels, group boxes, check boxes).
    static void ShowThrough(QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit GradientBackground(QWidget* window);
};

}  // namespace ostiva
